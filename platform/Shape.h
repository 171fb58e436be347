#pragma once
// The window system's shape control as the main window uses it: a filled circle (the tapping-point
// markers), placed in twips in its container, with fill, back and border colours, a visible state
// and a Tag. It takes no input: clicks go through to the picture beneath it.
#include "platform/Controls.h"

#include <QColor>
#include <QWidget>

namespace vb {

class Shape : public ControlOf<QWidget> {
public:
    Shape(QWidget* container, int left, int top, int width = 240, int height = 240);

    QColor FillColor() const { return fill; }
    void SetFillColor(const QColor& c);
    QColor BackColor() const { return back; }
    void SetBackColor(const QColor& c);
    QColor BorderColor() const { return border; }
    void SetBorderColor(const QColor& c);

    // Showing and hiding a marker only changes what it paints: the step timer blinks it many times
    // a second, and a real show or hide would post several events and wake the event loop each time.
    bool Visible() const { return shown; }
    void SetVisible(bool on);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor fill{Qt::black};
    QColor back{Qt::white};
    QColor border{Qt::black};
    bool shown = true;
};

} // namespace vb
