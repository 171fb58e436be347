#include "TestSupport.h"

#include "platform/Form.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <memory>

namespace testing_support {

MsgBoxRecorder::MsgBoxRecorder(int answer_) : answer(answer_)
{
    previous = vb::SetMsgBoxHandler([this](const vb::MsgBoxCall& c) {
        calls.push_back(c);
        if (onCall)
            return onCall(c);
        return answer ? answer : int(vb::vbOK);
    });
}

MsgBoxRecorder::~MsgBoxRecorder() { vb::SetMsgBoxHandler(std::move(previous)); }

namespace {
// Runs `action` on what `find` returns as soon as the event loop turns, retrying for up to two
// seconds until there is something.
void WhenFound(QWidget* (*find)(), std::function<void(QWidget*)> action)
{
    auto tries = std::make_shared<int>(0);
    auto fn = std::make_shared<std::function<void()>>();
    *fn = [find, action, tries, fn]() {
        QWidget* w = find();
        if (w) {
            action(w);
            *fn = nullptr; // break the self-reference
            return;
        }
        if (++*tries > 200) {
            *fn = nullptr;
            return;
        }
        auto again = *fn;
        QTimer::singleShot(10, [again]() { again(); });
    };
    auto first = *fn;
    QTimer::singleShot(0, [first]() { first(); });
}
} // namespace

void WhenModal(std::function<void(QWidget*)> action) { WhenFound(&QApplication::activeModalWidget, std::move(action)); }

void WhenPopup(std::function<void(QWidget*)> action) { WhenFound(&QApplication::activePopupWidget, std::move(action)); }

int RunUntilTheProgramEnds(std::function<void()> start)
{
    QTimer::singleShot(0, std::move(start));
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    vb::OnLastFormUnloaded([] { QCoreApplication::exit(0); });
    const int rc = QApplication::exec();
    vb::OnLastFormUnloaded(nullptr);
    return rc;
}

bool ClickMenuEntry(QWidget* popup, const QString& text, Qt::MouseButton button)
{
    auto* menu = qobject_cast<QMenu*>(popup);
    if (!menu)
        return false;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator() || a->text() != text)
            continue;
        const QPoint at = menu->actionGeometry(a).center();
        QTest::mouseMove(menu, at);
        QTest::mousePress(menu, button, {}, at);
        QTest::mouseRelease(menu, button, {}, at);
        return true;
    }
    return false;
}

QString RegistryPath() { return qEnvironmentVariable("QUORVANE_REGISTRY"); }

QString SaveShot(QWidget* w, const QString& name)
{
    QString dir = qEnvironmentVariable("QUORVANE_SHOTS");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../shots"); // build/shots
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    w->grab().save(path);
    return path;
}

} // namespace testing_support
