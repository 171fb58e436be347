// The single-instance test: copies that share a settings store see each other while they live, and
// a copy that is gone, even by SIGKILL and even with a program it launched still running, never
// counts. Each test has a store of its own, so the marks of other tests never meet it.
#include "RunningCopy.h"
#include "TestSupport.h"
#include "platform/Instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The copies on that store still see each other, through the lock in the private folder.
    RunningCopy copy;
    EXPECT_EQ(copy.SawOther(), 1);
    EXPECT_FALSE(QFile::exists(missing));
}

// A lock that another program keeps, the mark exclusively (flock -x) or the gate shared (another
// user's copy, say), holds the start up only for a short wait: the copy answers, long before the
// five seconds RunningCopy waits for it. Nothing can be told then, and the answer is No.
TEST(InstanceTest, ALockKeptByAnotherProgramHoldsTheStartOnlyBriefly)
{
    struct Case {
        const char* what;
        bool markExclusive;
        bool gateShared;
    } cases[] = {{"mark kept exclusively", true, false}, {"gate kept shared", false, true}, {"both", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OwnStore store;
        const QByteArray mark = vb::InstanceLockPath();
        const int markFd = ::open(mark.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        const int gateFd = ::open((mark + "-gate").constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(markFd, 0);
        ASSERT_GE(gateFd, 0);
        if (c.markExclusive) {
            ASSERT_EQ(::flock(markFd, LOCK_EX), 0);
        }
        if (c.gateShared) {
            ASSERT_EQ(::flock(gateFd, LOCK_SH), 0);
        }
        RunningCopy copy;
        EXPECT_EQ(copy.SawOther(), 0);
        ::close(markFd);
        ::close(gateFd);
        if (!c.markExclusive) {
            RunningCopy second;
            EXPECT_EQ(second.SawOther(), 1) << "the copy that passed the gate is marked";
        }
    }
}

// An ordinary user whose store lies in a folder they may not write (mode 0555): their copies still
// see each other through a lock in their private folder, $XDG_RUNTIME_DIR, or /tmp/quorvane-<uid>
// where that is not theirs alone.
TEST(InstanceTest, CopiesOfAUserWhoMayNotWriteTheStoresFolderStillSeeEachOther)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to take on an ordinary user";
    constexpr uid_t User = 65534;
    constexpr gid_t Group = 65534;
    const QByteArray fallback = "/tmp/quorvane-" + QByteArray::number(User);
    const bool fallbackThere = QFileInfo::exists(QFile::decodeName(fallback));
    const auto asUser = [] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(Group) != 0 || ::setuid(User) != 0)
            ::_exit(125);
    };
    struct Case {
        const char* what;
        mode_t runtimeMode;
        bool runtimeUsed;
    } cases[] = {{"private runtime folder", 0700, true}, {"runtime folder others may enter", 0777, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OwnStore store;
        const QByteArray top = QFile::encodeName(store.Folder());
        const QByteArray runtime = top + "/run";
        const QString helper = store.Folder() + QStringLiteral("/instance_holder");
        ASSERT_EQ(::chmod(top.constData(), 0755), 0);
        ASSERT_EQ(::mkdir((top + "/shared").constData(), 0555), 0);
        ASSERT_EQ(::mkdir(runtime.constData(), c.runtimeMode), 0);
        ASSERT_EQ(::chmod(runtime.constData(), c.runtimeMode), 0);
        ASSERT_EQ(::chown(runtime.constData(), User, Group), 0);
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/instance_holder"), helper));
        ASSERT_EQ(::chmod(QFile::encodeName(helper).constData(), 0755), 0);
        qputenv("QUORVANE_REGISTRY", top + "/shared/registry.db");
        qputenv("XDG_RUNTIME_DIR", runtime);

        RunningCopy first(false, helper, asUser);
        EXPECT_EQ(first.SawOther(), 0);
        RunningCopy second(false, helper, asUser);
        EXPECT_EQ(second.SawOther(), 1) << "the second copy asks";
        EXPECT_EQ(QDir(QFile::decodeName(top + "/shared")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(),
                  0);
        EXPECT_EQ(QDir(QFile::decodeName(runtime)).entryList(QDir::Files).size(), c.runtimeUsed ? 2 : 0);
    }
    if (!fallbackThere)
        QDir(QFile::decodeName(fallback)).removeRecursively();
}

} // namespace
