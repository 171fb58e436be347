// SQLite's files reached through their folder: a database deep below a folder of any depth, with
// its log and shared memory beside it; a link in place of the file followed to its target's folder;
// and a FIFO in place of a database or one of its side files refused at once, never waited on.
#include "DeepFolder.h"
#include "platform/FolderVfs.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testing_support::MakeDeepFolder;

namespace {

bool IsThere(int folder, const QByteArray& name)
{
    struct stat st {};
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Runs sql on a connection and answers SQLite's result.
int Exec(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

int OpenThrough(const SqliteFolder& folder, int flags, sqlite3** db)
{
    return sqlite3_open_v2(folder.Alias().constData(), db, flags, FolderVfsName());
}

// The first value of t, read afresh; -1 when it cannot be read.
int64_t ReadBack(const SqliteFolder& folder)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* q = nullptr;
    int64_t value = -1;
    if (OpenThrough(folder, SQLITE_OPEN_READONLY, &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT x FROM t", -1, &q, nullptr) == SQLITE_OK && sqlite3_step(q) == SQLITE_ROW)
        value = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    sqlite3_close(db);
    return value;
}

TEST(FolderVfsTest, ADatabaseInAFolderOfAnyDepthIsWrittenWithItsLogBesideIt)
{
    for (const qsizetype length : {600, 1000, 4000}) {
        SCOPED_TRACE(length);
        QTemporaryDir top;
        const QByteArray deep = MakeDeepFolder(QFile::encodeName(top.path()), length, "registry.db");
        ASSERT_FALSE(deep.isEmpty());
        const QByteArray file = deep + "/registry.db";
        ASSERT_EQ(file.size(), length);
        SqliteFolder folder;
        ASSERT_TRUE(folder.Open(file)) << std::strerror(errno);
        EXPECT_EQ(folder.Name(), "registry.db");
        EXPECT_LT(folder.Alias().size(), 100);
        EXPECT_EQ(folder.PathOf("registry.db-wal"), file + "-wal");

        sqlite3* db = nullptr;
        ASSERT_EQ(OpenThrough(folder, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db), SQLITE_OK);
        EXPECT_EQ(Exec(db, "PRAGMA journal_mode = WAL; CREATE TABLE t(x); INSERT INTO t VALUES (42)"), SQLITE_OK)
            << sqlite3_errmsg(db);
        EXPECT_TRUE(IsThere(folder.Fd(), "registry.db-wal"));
        EXPECT_TRUE(IsThere(folder.Fd(), "registry.db-shm"));
        EXPECT_EQ(ReadBack(folder), 42) << "a second connection, through the log";
        sqlite3_close(db);
        EXPECT_FALSE(IsThere(folder.Fd(), "registry.db-wal")) << "the last connection folds the log in";
        EXPECT_EQ(ReadBack(folder), 42);
        folder.Close();
    }
}

// A link in place of the file leads SQLite to its target, and the log beside the target, as it
// would without the alias: every program that reaches the file, by the link or not, shares one log.
TEST(FolderVfsTest, ALinkInPlaceOfTheFileIsFollowedToItsTargetsFolder)
{
    QTemporaryDir top;
    const QByteArray root = QFile::encodeName(top.path());
    ASSERT_EQ(::mkdir((root + "/a").constData(), 0700), 0);
    ASSERT_EQ(::mkdir((root + "/b").constData(), 0700), 0);
    struct Case {
        const char* what;
        QByteArray target; // of a/registry.db
        QByteArray hop;    // a second link, b/hop, when not empty
    } cases[] = {
        {"relative", "../b/real.db", {}},
        {"absolute", root + "/b/real.db", {}},
        {"two links", "../b/hop", "real.db"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink((root + "/a/registry.db").constData());
        ::unlink((root + "/b/hop").constData());
        ASSERT_EQ(::symlink(c.target.constData(), (root + "/a/registry.db").constData()), 0);
        if (!c.hop.isEmpty()) {
            ASSERT_EQ(::symlink(c.hop.constData(), (root + "/b/hop").constData()), 0);
        }
        SqliteFolder folder;
        ASSERT_TRUE(folder.Open(root + "/a/registry.db"));
        EXPECT_EQ(folder.Name(), "real.db");
        EXPECT_TRUE(folder.PathOf("real.db").endsWith("/b/real.db")) << folder.PathOf("real.db").constData();
        sqlite3* db = nullptr;
        ASSERT_EQ(OpenThrough(folder, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db), SQLITE_OK);
        EXPECT_EQ(Exec(db, "PRAGMA journal_mode = WAL; CREATE TABLE IF NOT EXISTS t(x); INSERT INTO t VALUES (1)"),
                  SQLITE_OK);
        EXPECT_TRUE(IsThere(folder.Fd(), "real.db-wal"));
        sqlite3_close(db);
        struct stat st {};
        EXPECT_EQ(::lstat((root + "/a/registry.db").constData(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link stays a link";
        EXPECT_FALSE(IsThere(AT_FDCWD, root + "/a/registry.db-wal"));
    }
    // A loop of links leads nowhere.
    ASSERT_EQ(::symlink("loop2", (root + "/a/loop1").constData()), 0);
    ASSERT_EQ(::symlink("loop1", (root + "/a/loop2").constData()), 0);
    SqliteFolder loop;
    EXPECT_FALSE(loop.Open(root + "/a/loop1"));
    EXPECT_EQ(errno, ELOOP);
}

// Runs body in a child process; its exit code, or -1 when it did not end within ten seconds (it is
// then killed).
int InChild(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

// With nothing looked at beforehand: the race in which a FIFO takes a file's place after the
// caller looked ends the same way.
TEST(FolderVfsTest, AFifoIsRefusedAtOnceInPlaceOfADatabaseOrItsSideFiles)
{
    struct Case {
        const char* what;
        const char* fifo;    // made in the folder
        const char* journal; // the journal mode of the database made first, or none
        int flags;
    } cases[] = {
        {"the database, to write", "registry.db", nullptr, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE},
        {"the database, to read", "registry.db", nullptr, SQLITE_OPEN_READONLY},
        {"the log", "registry.db-wal", "WAL", SQLITE_OPEN_READWRITE},
        {"the shared memory", "registry.db-shm", "WAL", SQLITE_OPEN_READWRITE},
        {"the journal", "registry.db-journal", "DELETE", SQLITE_OPEN_READWRITE},
        {"the journal, to read", "registry.db-journal", "DELETE", SQLITE_OPEN_READONLY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir top;
        const QByteArray file = QFile::encodeName(top.path()) + "/registry.db";
        SqliteFolder folder;
        ASSERT_TRUE(folder.Open(file));
        if (c.journal) {
            sqlite3* db = nullptr;
            ASSERT_EQ(OpenThrough(folder, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &db), SQLITE_OK);
            const std::string sql = std::string("PRAGMA journal_mode = ") + c.journal +
                                    "; CREATE TABLE t(x); INSERT INTO t VALUES (7)";
            EXPECT_EQ(Exec(db, sql.c_str()), SQLITE_OK);
            sqlite3_close(db);
        }
        const QByteArray fifo = QFile::encodeName(top.path()) + '/' + c.fifo;
        ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
        // 0: refused; 1: the database answered as if nothing were wrong.
        const int outcome = InChild([&] {
            sqlite3* db = nullptr;
            int rc = OpenThrough(folder, c.flags, &db);
            if (rc == SQLITE_OK)
                rc = Exec(db, "SELECT * FROM t");
            sqlite3_close(db);
            return rc == SQLITE_OK ? 1 : 0;
        });
        EXPECT_EQ(outcome, 0) << "-1: it waited";
        struct stat st {};
        EXPECT_EQ(::lstat(fifo.constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO stays where it was";
    }
}

} // namespace
