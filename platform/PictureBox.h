#pragma once
// What the main window needs beyond the control set: pictures drawn from SVG resources for the
// picture boxes and picture buttons, and the frame that groups option buttons.
#include "platform/Controls.h"

#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace vb {

// The SVG resource drawn at the size of a control of widthTwips x heightTwips, sharp at the
// screen's pixel ratio; a null pixmap when the resource is missing or unreadable.
QPixmap SvgPicture(const QString& resource, int widthTwips, int heightTwips);
// An SVG resource as a button picture; a null icon when it is missing.
QIcon SvgIcon(const QString& resource);
// Gives the picture box the SVG resource as its picture, drawn at the box's size.
void SetSvgPicture(PictureBox* box, const QString& resource);

// A frame: a bordered container, with an optional caption, whose option buttons exclude each other.
class Frame : public ControlOf<QGroupBox> {
    Q_OBJECT
public:
    Frame(QWidget* container, int left, int top, int width, int height, const QString& caption = {});
    QString Caption() const { return title(); }
    void SetCaption(const QString& caption) { setTitle(caption); }

signals:
    void Click(int Index);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    ClickTracker click;
};

} // namespace vb
