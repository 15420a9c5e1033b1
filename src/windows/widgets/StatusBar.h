#pragma once

#include <QStatusBar>

#include <vector>

class QLabel;

namespace windows
{

// A status bar of fixed panels side by side, each with a text of its own.
class StatusBar : public QStatusBar
{
    Q_OBJECT
public:
    // One panel per entry, at least that many pixels wide.
    StatusBar(const std::vector<int>& panelWidths, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(m_panels.size()); }
    QString panelText(int index) const;
    // Sets the text only when it differs, so that a steady text costs nothing.
    void setPanelText(int index, const QString& text);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::vector<QLabel*> m_panels;
};

} // namespace windows
