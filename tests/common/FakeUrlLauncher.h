#pragma once
// A stand-in for the desktop's URL launcher: while it lives, QUORVANE_URL_LAUNCHER names a small
// script that appends each address it is asked to open to a log, so no browser is ever started.
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

namespace testing_support {

class FakeUrlLauncher {
public:
    // then: shell lines the launcher runs after recording (an exit status, say).
    explicit FakeUrlLauncher(const QString& then = {})
    {
        log = dir.filePath(QStringLiteral("opened.log"));
        Then(then);
    }
    // Rewrites the launcher to run `then` after recording, and names it again.
    void Then(const QString& then)
    {
        const QString script = dir.filePath(QStringLiteral("fake-launcher"));
        QFile f(script);
        if (f.open(QIODevice::WriteOnly))
            f.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n%2\n").arg(log, then).toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("QUORVANE_URL_LAUNCHER", script.toUtf8());
    }
    // The log the launcher appends each address to (missing until the first one).
    const QString& LogFile() const { return log; }
    ~FakeUrlLauncher() { qunsetenv("QUORVANE_URL_LAUNCHER"); }
    FakeUrlLauncher(const FakeUrlLauncher&) = delete;
    FakeUrlLauncher& operator=(const FakeUrlLauncher&) = delete;

    // The addresses opened so far, waiting up to timeoutMs for at least `count` of them (the
    // launcher runs as a process of its own).
    QStringList Opened(int count = 1, int timeoutMs = 5000) const
    {
        QStringList lines;
        const bool enough = QTest::qWaitFor(
            [&] {
                QFile f(log);
                if (f.open(QIODevice::ReadOnly))
                    lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                return lines.size() >= count;
            },
            timeoutMs);
        (void)enough; // the caller compares what came
        return lines;
    }

private:
    QTemporaryDir dir;
    QString log;
};

} // namespace testing_support
