#include "platform/Click.h"

#include <QMouseEvent>
#include <QRect>

namespace vb {

void ClickTracker::Press(const QMouseEvent* e, bool own)
{
    pressed = own && e->button() == Qt::LeftButton && e->type() == QEvent::MouseButtonPress;
}

bool ClickTracker::Release(const QMouseEvent* e, const QRect& area)
{
    const bool click = pressed && e->button() == Qt::LeftButton && area.contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton)
        pressed = false;
    return click;
}

} // namespace vb

