#pragma once

#include <QColor>
#include <QWidget>

namespace windows
{

// A filled circle with a thin black outline: an indicator lamp.
class Shape : public QWidget
{
    Q_OBJECT
public:
    explicit Shape(QWidget* parent = nullptr);

    QColor brushColor() const { return m_brush; }
    // Repaints only when the colour changes.
    void setBrushColor(const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_brush = Qt::white;
};

} // namespace windows
