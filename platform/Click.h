#pragma once
// A click as the window system counts one on windows, labels, picture boxes and frames: a left
// press on the control and its release over it. The second press of a double-click is a double
// click there, not a second click, so its release raises nothing. Push buttons do not use this:
// each press of a button is a click of its own.
class QMouseEvent;
class QRect;

namespace vb {

class ClickTracker {
public:
    // From mousePressEvent. The widget's default double-click handler passes the second press of a
    // double-click on to mousePressEvent, typed as a double-click: that press starts no click.
    // `own` is false for a press that a child control let pass up to its container.
    void Press(const QMouseEvent* e, bool own = true);
    // From mouseReleaseEvent: true when this release ends a click inside `area`.
    bool Release(const QMouseEvent* e, const QRect& area);

private:
    bool pressed = false;
};

} // namespace vb
