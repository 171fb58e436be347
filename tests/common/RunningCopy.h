#pragma once
// A settings store of a test's own, and other running copies of the program on it.
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

namespace testing_support {

// Points the settings store (and so the single-instance lock beside it) at a fresh folder, and
// the user's private runtime folder (where a lock goes that cannot lie beside the store) at
// another, for as long as it lives; the ones in use before come back after.
class OwnStore {
public:
    OwnStore()
        : saved(qgetenv("QUORVANE_REGISTRY")), savedRuntime(qgetenv("XDG_RUNTIME_DIR")),
          hadRuntime(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(FilePath()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    ~OwnStore()
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", saved);
        if (hadRuntime)
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    OwnStore(const OwnStore&) = delete;
    OwnStore& operator=(const OwnStore&) = delete;

    QString FilePath() const { return dir.filePath(QStringLiteral("registry.db")); }
    QString Folder() const { return dir.path(); }
    QString RuntimeFolder() const { return runtime.path(); }

private:
    QTemporaryDir dir;
    QTemporaryDir runtime;
    QByteArray saved;
    QByteArray savedRuntime;
    bool hadRuntime;
};

// Another copy of the program (the instance_holder helper) on the current store: it tells whether
// it found a copy running when it started, and lives until Kill (SIGKILL) or the end of this object.
class RunningCopy {
public:
    // withChild: the copy first launches a program that outlives it; its pid is Child(). helper: the
    // instance_holder to run (the build's when empty); setup: what the new process does before it
    // runs it (taking on another user's identity, say).
    explicit RunningCopy(bool withChild = false, const QString& helper = {}, std::function<void()> setup = {})
    {
        if (setup)
            process.setChildProcessModifier(setup);
        process.start(helper.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/instance_holder")
                                       : helper,
                      withChild ? QStringList{QStringLiteral("--with-child")} : QStringList{});
        if (!process.waitForStarted(5000) || !process.waitForReadyRead(5000))
            return;
        const QList<QByteArray> parts = process.readLine().trimmed().split(' ');
        if (parts.size() == 2) {
            sawOther = parts[0].toInt();
            child = parts[1].toLong();
        }
    }
    ~RunningCopy() { Kill(); }
    RunningCopy(const RunningCopy&) = delete;
    RunningCopy& operator=(const RunningCopy&) = delete;

    // 1 when the copy found another one running, 0 when not, -1 when it did not answer.
    int SawOther() const { return sawOther; }
    long Child() const { return child; }
    void Kill()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        process.waitForFinished(5000);
    }

private:
    QProcess process;
    int sawOther = -1;
    long child = 0;
};

} // namespace testing_support
