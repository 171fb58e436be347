#include "TestSupport.h"

#include <QApplication>
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

void WhenModal(std::function<void(QWidget*)> action)
{
    auto tries = std::make_shared<int>(0);
    auto fn = std::make_shared<std::function<void()>>();
    *fn = [action, tries, fn]() {
        QWidget* w = QApplication::activeModalWidget();
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

QString RegistryPath() { return qEnvironmentVariable("QUORVANE_REGISTRY"); }

QString SaveShot(QWidget* w, const QString& name)
{
    QString dir = qEnvironmentVariable("QUORVANE_SHOTS");
    if (dir.isEmpty())
        dir = QDir::currentPath() + QStringLiteral("/shots");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    w->grab().save(path);
    return path;
}

} // namespace testing_support
