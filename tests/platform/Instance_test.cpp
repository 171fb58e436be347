// The single-instance test: copies that share a settings store see each other while they live, and
// a copy that is gone, even by SIGKILL and even with a program it launched still running, never
// counts. Each test has a store of its own, so the marks of other tests never meet it.
#include "RunningCopy.h"
#include "TestSupport.h"
#include "platform/Instance.h"

#include <QFile>
#include <gtest/gtest.h>

using testing_support::OwnStore;
using testing_support::RunningCopy;

namespace {

TEST(InstanceTest, CopiesSeeEachOtherWhileTheyLiveAndNotAfterAKill)
{
    OwnStore store;
    RunningCopy first;
    EXPECT_EQ(first.SawOther(), 0) << "the first copy finds nobody";
    RunningCopy second;
    EXPECT_EQ(second.SawOther(), 1) << "the second finds the first";
    EXPECT_TRUE(vb::PrevInstance());

    first.Kill();
    EXPECT_TRUE(vb::PrevInstance()) << "the second copy still runs";
    second.Kill();
    // This process marked itself too, but a copy never counts itself.
    EXPECT_FALSE(vb::PrevInstance());
    RunningCopy third;
    EXPECT_EQ(third.SawOther(), 1) << "this process now counts as a running copy";
}

TEST(InstanceTest, AProgramTheKilledCopyLaunchedDoesNotKeepItAlive)
{
    OwnStore store;
    RunningCopy copy(true);
    ASSERT_EQ(copy.SawOther(), 0);
    ASSERT_GT(copy.Child(), 0);
    copy.Kill();
    const auto child = static_cast<pid_t>(copy.Child());
    ASSERT_EQ(::kill(child, 0), 0) << "the launched program outlives the copy";
    EXPECT_FALSE(vb::PrevInstance());
    ::kill(child, SIGKILL);
}

TEST(InstanceTest, ALockThatCannotBeMadeLetsTheProgramStart)
{
    OwnStore store;
    // The store's folder is a plain file: no lock file can be made there.
    QFile blocker(store.Folder() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(store.Folder() + QStringLiteral("/file/registry.db")));
    EXPECT_FALSE(vb::PrevInstance());

    // A lock file planted as a link to another file is not followed, and that file stays as it was.
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(store.FilePath()));
    const QString target = store.Folder() + QStringLiteral("/precious");
    QFile t(target);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("keep");
    t.close();
    ASSERT_TRUE(QFile::link(target, QFile::decodeName(vb::InstanceLockPath())));
    EXPECT_FALSE(vb::PrevInstance());
    QFile check(target);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), "keep");
}

} // namespace

namespace {

// A folder that QUORVANE_REGISTRY names and that is not there is not made: the program runs
// without a store there.
TEST(InstanceTest, ANamedStoreFolderThatIsMissingIsNotMade)
{
    OwnStore store;
    const QString missing = store.Folder() + QStringLiteral("/nonexist");
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(missing + QStringLiteral("/a/b/registry.db")));
    EXPECT_FALSE(vb::PrevInstance());
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(QFile::exists(missing));
}

} // namespace
