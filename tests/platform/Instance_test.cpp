// The single-instance test: copies that share a settings store see each other while they live, and
// a copy that is gone, even by SIGKILL and even with a program it launched still running, never
// counts. Each test has a store of its own, so the marks of other tests never meet it.
#include "TestSupport.h"
#include "platform/Instance.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>

namespace {

class InstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray savedStore;
    std::vector<std::unique_ptr<QProcess>> copies;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        savedStore = qgetenv("QUORVANE_REGISTRY");
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))));
    }
    void TearDown() override
    {
        for (auto& p : copies)
            Kill(*p);
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", savedStore);
    }

    // Starts a copy; returns what it printed: whether it saw another copy, and its child's pid.
    std::pair<int, long> StartCopy(bool withChild = false)
    {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationDirPath() + QStringLiteral("/instance_holder"),
                 withChild ? QStringList{QStringLiteral("--with-child")} : QStringList{});
        EXPECT_TRUE(p->waitForStarted(5000));
        EXPECT_TRUE(p->waitForReadyRead(5000));
        const QList<QByteArray> parts = p->readLine().trimmed().split(' ');
        copies.push_back(std::move(p));
        if (parts.size() != 2)
            return {-1, 0};
        return {parts[0].toInt(), parts[1].toLong()};
    }
    static void Kill(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished(5000);
    }
};

TEST_F(InstanceTest, CopiesSeeEachOtherWhileTheyLiveAndNotAfterAKill)
{
    EXPECT_EQ(StartCopy().first, 0) << "the first copy finds nobody";
    EXPECT_EQ(StartCopy().first, 1) << "the second finds the first";
    EXPECT_TRUE(vb::PrevInstance());

    Kill(*copies[0]);
    EXPECT_TRUE(vb::PrevInstance()) << "the second copy still runs";
    Kill(*copies[1]);
    // This process marked itself too, but a copy never counts itself.
    EXPECT_FALSE(vb::PrevInstance());
    EXPECT_EQ(StartCopy().first, 1) << "this process now counts as a running copy";
}

TEST_F(InstanceTest, AProgramTheKilledCopyLaunchedDoesNotKeepItAlive)
{
    const auto [others, child] = StartCopy(true);
    ASSERT_EQ(others, 0);
    ASSERT_GT(child, 0);
    Kill(*copies[0]);
    ASSERT_EQ(::kill(static_cast<pid_t>(child), 0), 0) << "the launched program outlives the copy";
    EXPECT_FALSE(vb::PrevInstance());
    ::kill(static_cast<pid_t>(child), SIGKILL);
}

TEST_F(InstanceTest, ALockThatCannotBeMadeLetsTheProgramStart)
{
    // The store's folder is a plain file: no lock file can be made there.
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("file/registry.db"))));
    EXPECT_FALSE(vb::PrevInstance());

    // A lock file planted as a link to another file is not followed, and that file stays as it was.
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))));
    const QString target = dir.filePath(QStringLiteral("precious"));
    QFile t(target);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("keep");
    t.close();
    ASSERT_TRUE(QFile::link(target, vb::InstanceLockPath()));
    EXPECT_FALSE(vb::PrevInstance());
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "keep");
}

} // namespace
