#include "windows/widgets/Shape.h"

#include <QPainter>

#include <algorithm>

namespace windows
{

Shape::Shape(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Shape::setBrushColor(const QColor& color)
{
    if (color == m_brush)
        return;
    m_brush = color;
    update();
}

QSize Shape::sizeHint() const
{
    return {24, 24};
}

void Shape::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_brush);
    const int side = std::min(width(), height()) - 2;
    painter.drawEllipse(QRect((width() - side) / 2, (height() - side) / 2, side, side));
}

} // namespace windows
