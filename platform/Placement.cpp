#include "platform/Placement.h"

#include "platform/Screen.h"
#include "platform/VbError.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace vb {

namespace {

// How long a window without a frame is watched after its showing: 25 waits of 20 ms.
constexpr int kFrameWaits = 25;
constexpr int kFrameWaitMs = 20;

const QString kCentringWatch = QStringLiteral("vb.centring");

// The frame arrives with a move or resize of the window, after the showing; it is looked for then,
// and every 20 ms until the bound.
class FrameWatch : public QObject {
public:
    FrameWatch(Form* w, std::function<void(bool)> act) : QObject(w), window(w), action(std::move(act))
    {
        w->installEventFilter(this);
        if (w->isVisible())
            poll();
    }

protected:
    bool eventFilter(QObject* obj, QEvent* e) override
    {
        if (obj == window && !done) {
            const QEvent::Type type = e->type();
            if (type == QEvent::Show)
                QTimer::singleShot(0, this, [this] { poll(); });
            else if ((type == QEvent::Move || type == QEvent::Resize) && window->isVisible())
                QTimer::singleShot(0, this, [this] { check(); });
        }
        return false;
    }

private:
    bool framed() const { return window->frameGeometry().size() != window->geometry().size(); }

    void check()
    {
        if (!done && window->isVisible() && framed())
            finish(true);
    }

    void poll()
    {
        if (done || !window->isVisible())
            return;
        const bool noManager = QGuiApplication::platformName() == QLatin1String("offscreen");
        if (framed() || noManager || waits >= kFrameWaits) {
            finish(framed());
            return;
        }
        ++waits;
        QTimer::singleShot(kFrameWaitMs, this, [this] { poll(); });
    }

    void finish(bool isFramed)
    {
        done = true;
        setObjectName(QString());
        window->removeEventFilter(this);
        // The action may end this watch (a newer centring replaces it): nothing of it is used after.
        const std::function<void(bool)> act = std::move(action);
        deleteLater();
        act(isFramed);
    }

    Form* window;
    std::function<void(bool)> action;
    int waits = 0;
    bool done = false;
};

} // namespace

QObject* WhenFramed(Form* w, std::function<void(bool framed)> action)
{
    return new FrameWatch(w, std::move(action));
}

void MoveToCentre(Form* w, const QRect& area)
{
    // The halves in single precision, rounded to whole twips only at the move.
    const float l = float(area.left()) + (float(area.width()) - float(w->Width())) / 2.0f;
    const float t = float(area.top()) + (float(area.height()) - float(w->Height())) / 2.0f;
    w->Move(CLng(l), CLng(t));
}

void CentreWindow(Form* w, const QRect& areaTwips)
{
    for (QObject* old : w->findChildren<QObject*>(kCentringWatch, Qt::FindDirectChildrenOnly))
        delete old;
    MoveToCentre(w, areaTwips);
    WhenFramed(w, [w, areaTwips](bool framed) {
        if (framed && w->WindowState() == vbNormal)
            MoveToCentre(w, areaTwips);
    })->setObjectName(kCentringWatch);
}

QRect ActiveWindowAreaTwips()
{
    auto* active = qobject_cast<Form*>(QApplication::activeWindow());
    if (!active || !active->isVisible())
        return ScreenAreaTwips();
    return QRect(active->Left(), active->Top(), active->Width(), active->Height());
}

} // namespace vb
