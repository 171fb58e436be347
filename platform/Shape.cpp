#include "platform/Shape.h"

#include <QPainter>

namespace vb {

Shape::Shape(QWidget* container, int left, int top, int width, int height)
    : ControlOf<QWidget>(container, left, top, width, height)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
}

void Shape::SetFillColor(const QColor& c)
{
    fill = c;
    update();
}

void Shape::SetBackColor(const QColor& c)
{
    back = c;
    update();
}

void Shape::SetBorderColor(const QColor& c)
{
    border = c;
    update();
}

void Shape::SetVisible(bool on)
{
    if (on == shown)
        return;
    shown = on;
    update();
}

void Shape::paintEvent(QPaintEvent*)
{
    if (!shown)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(border, 1.0));
    p.setBrush(fill);
    p.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace vb
