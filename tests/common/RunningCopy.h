#pragma once
// A settings store of a test's own, and other running copies of the program on it.
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

namespace testing_support {

// Points the settings store (and so the single-instance lock beside it) at a fresh folder for as
// long as it lives; the store in use before comes back after.
class OwnStore {
public:
    OwnStore() : saved(qgetenv("QUORVANE_REGISTRY"))
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(FilePath()));
    }
    ~OwnStore()
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", saved);
    }
    OwnStore(const OwnStore&) = delete;
    OwnStore& operator=(const OwnStore&) = delete;

    QString FilePath() const { return dir.filePath(QStringLiteral("registry.db")); }
    QString Folder() const { return dir.path(); }

private:
    QTemporaryDir dir;
    QByteArray saved;
};

// Another copy of the program (the instance_holder helper) on the current store: it tells whether
// it found a copy running when it started, and lives until Kill (SIGKILL) or the end of this object.
class RunningCopy {
public:
    // withChild: the copy first launches a program that outlives it; its pid is Child().
    explicit RunningCopy(bool withChild = false)
    {
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/instance_holder"),
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
