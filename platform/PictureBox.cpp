#include "platform/PictureBox.h"

#include "platform/Screen.h"

#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace vb {

QPixmap SvgPicture(const QString& resource, int widthTwips, int heightTwips)
{
    if (!QFile::exists(resource))
        return {};
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    const QRect px = TwipsToPixels(0, 0, widthTwips, heightTwips);
    const qreal ratio = qGuiApp && qGuiApp->primaryScreen() ? qGuiApp->primaryScreen()->devicePixelRatio() : 1.0;
    QPixmap pm(QSize(std::max(1, px.width()), std::max(1, px.height())) * ratio);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p);
    }
    pm.setDevicePixelRatio(ratio);
    return pm;
}

QIcon SvgIcon(const QString& resource)
{
    if (!QFile::exists(resource))
        return {};
    QSvgRenderer renderer(resource);
    if (!renderer.isValid())
        return {};
    return QIcon(resource);
}

void SetSvgPicture(PictureBox* box, const QString& resource)
{
    box->SetPicture(SvgPicture(resource, box->Width(), box->Height()));
}

Frame::Frame(QWidget* container, int left, int top, int width, int height, const QString& caption)
    : ControlOf<QGroupBox>(container, left, top, width, height)
{
    setTitle(caption);
}

void Frame::mousePressEvent(QMouseEvent* e)
{
    click.Press(e);
    QGroupBox::mousePressEvent(e);
}

void Frame::mouseReleaseEvent(QMouseEvent* e)
{
    const bool clicked = click.Release(e, rect());
    QGroupBox::mouseReleaseEvent(e);
    if (clicked) {
        // The click is this frame's own: the container beneath must not take it as well.
        e->accept();
        emit Click(Index());
    }
}

} // namespace vb
