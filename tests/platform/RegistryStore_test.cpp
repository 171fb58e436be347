// Store files that bring something of their own: triggers, a view or tables made otherwise in
// place of ours, values of unexpected kinds, a set-aside lock that another program keeps, a FIFO,
// a folder or a device in place of the store or its side files. None of it runs, holds the program
// up or loses the values, and what keeps settings from being kept is said once on standard error.
// A store in a folder of any depth keeps its settings. Saves that could hang run in a helper
// process given a time limit.
#include "DeepFolder.h"
#include "FreshRegistry.h"
#include "RunningCopy.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Endless unless stopped: what a hostile trigger runs.
#define ENDLESS "SELECT count(*) FROM (WITH RECURSIVE r(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM r) SELECT n FROM r)"

const char* const Position = "Software\\Quorvane\\WindowPosition";

class HostileStore : public FreshRegistry {
protected:
    QString File() const { return storeDir.filePath(QStringLiteral("registry.db")); }

    // A store of ours holding Left 1500 and Top 900, then changed by `sql` run on it directly.
    void Plant(const char* sql)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, Position, &key), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "Left", 0, REG_DWORD, "\xDC\x05\0\0", 4), ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "Top", 0, REG_DWORD, "\x84\x03\0\0", 4), ERROR_SUCCESS);
        RegCloseKey(key);
        RegistryCloseStore();
        Run(sql);
    }
    void Run(const char* sql)
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(File()).constData(), &db), SQLITE_OK);
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close(db);
    }
    // registry_access run with a time limit, after `setup` in the new process; its output lines
    // joined by blanks, or "<hung>". *errors (when given) gets what it wrote on standard error.
    static std::string Access(const QStringList& args, std::string* errors = nullptr,
                              const std::function<void()>& setup = {})
    {
        QProcess helper;
        if (setup)
            helper.setChildProcessModifier(setup);
        helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/registry_access"), args);
        if (!helper.waitForFinished(20000)) {
            helper.kill();
            helper.waitForFinished(5000);
            return "<hung>";
        }
        if (errors)
            *errors = helper.readAllStandardError().toStdString();
        return QString::fromUtf8(helper.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .join(QLatin1Char(' '))
            .toStdString();
    }
    static std::string Set(const char* name, int value)
    {
        return Access({QStringLiteral("set"), QString::fromLatin1(Position), QString::fromLatin1(name),
                       QString::number(value)});
    }
    static std::string Get(std::string* errors = nullptr, const std::function<void()>& setup = {})
    {
        return Access({QStringLiteral("get"), QString::fromLatin1(Position), QStringLiteral("Left"),
                       QStringLiteral("Top")},
                      errors, setup);
    }
    // Two saves in one run: Left and Top.
    static std::string SetBoth(int left, int top, std::string* errors = nullptr,
                               const std::function<void()>& setup = {})
    {
        return Access({QStringLiteral("set"), QString::fromLatin1(Position), QStringLiteral("Left"),
                       QString::number(left), QStringLiteral("Top"), QString::number(top)},
                      errors, setup);
    }
    QStringList SetAside() const
    {
        return QDir(storeDir.path())
            .entryList({QStringLiteral("registry.db.foreign-*"), QStringLiteral("registry.db.damaged-*")});
    }
};

// Triggers in a store of ours never run: a save that would start an endless one (the program's
// close, which saves the window's position) ends at once and is kept, and a trigger that would
// refuse a change does not refuse it.
TEST_F(HostileStore, TriggersInTheFileNeverRun)
{
    struct Case {
        const char* what;
        const char* sql;
    } cases[] = {
        {"endless after an update", "CREATE TRIGGER t AFTER UPDATE ON vals BEGIN " ENDLESS "; END"},
        {"endless after an insert", "CREATE TRIGGER t AFTER INSERT ON vals BEGIN " ENDLESS "; END"},
        {"endless before a new key", "CREATE TRIGGER t BEFORE INSERT ON keys BEGIN " ENDLESS "; END"},
        {"refusing every change",
         "CREATE TRIGGER u BEFORE UPDATE ON vals BEGIN SELECT RAISE(ABORT, 'no'); END;"
         "CREATE TRIGGER i BEFORE INSERT ON vals BEGIN SELECT RAISE(ABORT, 'no'); END;"
         "CREATE TRIGGER d BEFORE DELETE ON vals BEGIN SELECT RAISE(ABORT, 'no'); END"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(QFile::remove(File()) || !QFile::exists(File()));
        Plant(c.sql);
        EXPECT_EQ(Set("Left", 1200), "Success");
        EXPECT_EQ(Access({QStringLiteral("set"), QStringLiteral("Software\\Quorvane\\Options"),
                          QStringLiteral("ShowWhatIsIt"), QStringLiteral("1")}),
                  "Success");
        EXPECT_EQ(Get(), "1200 900");
        HKEY key = 0;
        ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Position, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteValueA(key, "Top"), ERROR_SUCCESS);
        RegCloseKey(key);
        RegistryCloseStore();
        EXPECT_EQ(Get(), "1200 default");
        EXPECT_TRUE(SetAside().isEmpty()) << "a store of ours stays in use";
    }
}

// A file with our marks whose tables are not as we make them (a view with triggers in place of a
// table, an extra column, an index of its own) is not ours: it is kept aside and a new store is
// started, without anything in it running.
TEST_F(HostileStore, TablesNotAsWeMakeThemAreNotOurs)
{
    struct Case {
        const char* what;
        const char* sql;
    } cases[] = {
        {"a view with endless triggers for vals",
         "ALTER TABLE vals RENAME TO old; CREATE VIEW vals AS SELECT * FROM old;"
         "CREATE TRIGGER i INSTEAD OF INSERT ON vals BEGIN " ENDLESS "; END;"
         "CREATE TRIGGER u INSTEAD OF UPDATE ON vals BEGIN " ENDLESS "; END"},
        {"an extra column", "ALTER TABLE vals ADD COLUMN note TEXT"},
        {"a computed column", "ALTER TABLE keys ADD COLUMN big TEXT AS (zeroblob(100000000))"},
        {"an index of its own", "CREATE INDEX mine ON vals(length(data) * 2)"},
        // The check refuses the very value saved below, and a row check could as well run for ever.
        {"a check of its own",
         "DROP VIEW settings; DROP TABLE vals;"
         "CREATE TABLE vals(id INTEGER PRIMARY KEY AUTOINCREMENT,"
         " key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE, name BLOB NOT NULL, fold BLOB NOT NULL,"
         " type INTEGER NOT NULL, data BLOB NOT NULL CHECK(data <> x'b0040000'));"
         "CREATE UNIQUE INDEX vals_by_name ON vals(key, fold)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& f : QDir(storeDir.path()).entryList(QDir::Files))
            QFile::remove(storeDir.filePath(f));
        Plant(c.sql);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Set("Left", 1200), "Success");
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(Get(), "1200 default") << "a new store";
        EXPECT_EQ(SetAside().size(), 1) << SetAside().join(QLatin1Char(' ')).toStdString();
    }
}

// Values of kinds our own writes never make (numbers, texts and fractions where bytes belong, an
// unknown type, a number of the wrong length) read as the bytes the file holds and can be written over.
TEST_F(HostileStore, ValuesOfUnexpectedKindsAreReadAndReplaced)
{
    Plant("WITH v(name, type, data) AS (VALUES ('int', 4, 12345), ('text', 1, 'abc'), ('real', 3, 1.5),"
          " ('odd', -7, x'00ff'), ('short', 4, x'01'))"
          " INSERT INTO vals(key, name, fold, type, data)"
          " SELECT 2, CAST(name AS BLOB), CAST(name AS BLOB), type, data FROM v");
    struct Case {
        const char* name;
        uint32_t type;
        std::string data;
    } cases[] = {
        {"int", 4, "12345"}, {"text", 1, "abc"}, {"real", 3, "1.5"}, {"odd", uint32_t(-7), std::string("\0\xff", 2)},
        {"short", 4, "\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char data[16] = {};
        uint32_t size = sizeof data;
        uint32_t type = 0;
        ASSERT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, c.name, nullptr, &type, data, &size), ERROR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(std::string(data, size), c.data);
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, c.name, 0, REG_DWORD, "\x07\0\0\0", 4), ERROR_SUCCESS);
        size = sizeof data;
        ASSERT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, c.name, nullptr, &type, data, &size), ERROR_SUCCESS);
        EXPECT_EQ(std::string(data, size), std::string("\x07\0\0\0", 4));
    }
}

// Another program that keeps the lock taken while a bad file is set aside holds a call up only for
// a while: the call ends with the defaults, and the file stays where it is.
TEST_F(HostileStore, ALockKeptOnTheSetAsideLockHoldsACallOnlyAWhile)
{
    QFile bad(File());
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(8192, 'G'));
    bad.close();
    const int lock = ::open(QFile::encodeName(File() + QStringLiteral(".lock")).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    // The five values a start reads: one wait for all of them, not one each (which would outlast
    // the helper's time limit).
    EXPECT_EQ(Access({QStringLiteral("get"), QString::fromLatin1(Position), QStringLiteral("Left"),
                      QStringLiteral("Top"), QStringLiteral("Width"), QStringLiteral("Height"),
                      QStringLiteral("State")}),
              "default default default default default");
    EXPECT_TRUE(SetAside().isEmpty());
    ::close(lock);
}

// ---- What stands in the store's place ----

const std::string NotSavedTwice = "No! Failed to save Value No! Failed to save Value";

// A run's standard error: one line, naming the file and saying what.
void ExpectSaidOnce(const std::string& errors, const QString& file, const QString& what)
{
    const QStringList lines = QString::fromStdString(errors).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << errors;
    EXPECT_TRUE(lines[0].contains(file)) << errors;
    EXPECT_TRUE(lines[0].contains(what)) << errors;
}

// Whether anything opened, read or wrote a file (or, for a folder, anything in it) while it lives.
class OpenWatch {
public:
    explicit OpenWatch(const QByteArray& path) : fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        watching = fd >= 0 && ::inotify_add_watch(fd, path.constData(), IN_OPEN | IN_ACCESS | IN_MODIFY) >= 0;
    }
    ~OpenWatch()
    {
        if (fd >= 0)
            ::close(fd);
    }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    bool Watching() const { return watching; }
    bool Touched() const
    {
        char events[4096];
        return ::read(fd, events, sizeof events) > 0;
    }

private:
    int fd;
    bool watching = false;
};

// A socket file at path, which stays after the socket is closed.
bool MakeSocket(const QByteArray& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool made = s >= 0 && ::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (s >= 0)
        ::close(s);
    return made;
}

mode_t TypeOf(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// Something other than a plain file in the store's place, or in the place of one of its side
// files, makes the store unusable: nothing there is opened, read or written, the values read as
// their defaults, saves fail, and each run says so once, naming the file.
TEST_F(HostileStore, WhatIsNotAPlainFileIsNeverOpenedAndIsSaidOnce)
{
    struct Case {
        const char* what;
        const char* name;   // made in the store's folder
        mode_t kind;        // S_IFIFO, S_IFDIR or S_IFSOCK; 0 for a link
        const char* target; // a link's target, made in the folder (by kind) unless absolute
        bool storeFirst;    // a store of ours is there first
    } cases[] = {
        {"a FIFO", "registry.db", S_IFIFO, nullptr, false},
        {"a folder", "registry.db", S_IFDIR, nullptr, false},
        {"a socket", "registry.db", S_IFSOCK, nullptr, false},
        {"a link to a device", "registry.db", 0, "/dev/null", false},
        {"a link to a FIFO", "registry.db", S_IFIFO, "pipe", false},
        {"a link to a folder", "registry.db", S_IFDIR, "folder", false},
        {"a FIFO as its log", "registry.db-wal", S_IFIFO, nullptr, true},
        {"a FIFO as its shared memory", "registry.db-shm", S_IFIFO, nullptr, true},
        {"a FIFO as its journal", "registry.db-journal", S_IFIFO, nullptr, true},
        {"a folder as its log", "registry.db-wal", S_IFDIR, nullptr, true},
    };
    const QByteArray folder = QFile::encodeName(storeDir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QString& f : QDir(storeDir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            ASSERT_TRUE(QFile::remove(storeDir.filePath(f)) || QDir(storeDir.filePath(f)).removeRecursively());
        if (c.storeFirst) {
            PutRaw(HKEY_CURRENT_USER, QString::fromLatin1(Position), "Left", REG_DWORD, QByteArray("\xDC\x05\0\0", 4));
            RegistryCloseStore();
        }
        const QByteArray thing = c.target && c.target[0] == '/' ? QByteArray(c.target)
                                 : folder + '/' + (c.target ? c.target : c.name);
        if (!c.target || c.target[0] != '/') {
            const int made = c.kind == S_IFIFO  ? ::mkfifo(thing.constData(), 0600)
                             : c.kind == S_IFDIR ? ::mkdir(thing.constData(), 0700)
                                                 : MakeSocket(thing) ? 0 : -1;
            ASSERT_EQ(made, 0) << std::strerror(errno);
        }
        if (c.target) {
            ASSERT_EQ(::symlink(c.target, (folder + '/' + c.name).constData()), 0);
        }
        const mode_t before = TypeOf(thing);
        // Other programs open /dev/null all the time.
        const std::unique_ptr<OpenWatch> watch(c.target && c.target[0] == '/' ? nullptr : new OpenWatch(thing));
        ASSERT_TRUE(!watch || watch->Watching());

        std::string readErrors, saveErrors;
        EXPECT_EQ(Get(&readErrors), "default default");
        EXPECT_EQ(SetBoth(1200, 800, &saveErrors), NotSavedTwice);
        // A side file is named as well as the store.
        const QString named = File() + QString::fromLatin1(c.name).mid(int(std::strlen("registry.db")));
        for (const std::string& errors : {readErrors, saveErrors}) {
            ExpectSaidOnce(errors, named, QStringLiteral("is not a plain file"));
            EXPECT_NE(errors.find(File().toStdString() + ' '), std::string::npos) << errors;
        }
        if (watch) {
            EXPECT_FALSE(watch->Touched()) << "something opened it";
        }
        EXPECT_EQ(TypeOf(thing), before) << "it stays as it was";
    }
}

// Where no store can be had, each run says why, once, naming the file.
TEST_F(HostileStore, WhyNoStoreCanBeHadIsSaidOnce)
{
    const auto noRoom = [] {
        const rlimit none {0, 0};
        ::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &none) != 0)
            ::_exit(125);
    };
    QByteArray tooLong = QFile::encodeName(storeDir.path());
    while (tooLong.size() < 5000)
        tooLong += '/' + QByteArray(250, 'x');
    struct Case {
        const char* what;
        QByteArray file;
        std::function<void()> setup;
        const char* reason;
    } cases[] = {
        {"a path longer than the system takes", tooLong + "/registry.db", {}, "File name too long"},
        {"a folder that is not there", QFile::encodeName(storeDir.filePath(QStringLiteral("gone/registry.db"))), {},
         "No such file or directory"},
        // As on a full disk: SQLite may make the file, but write nothing into it or beside it.
        {"no room for a new store", QFile::encodeName(File()), noRoom, "cannot be set up"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qputenv("QUORVANE_REGISTRY", c.file);
        std::string readErrors, saveErrors;
        EXPECT_EQ(Get(&readErrors, c.setup), "default default");
        EXPECT_EQ(SetBoth(1200, 800, &saveErrors, c.setup), NotSavedTwice);
        for (const std::string& errors : {readErrors, saveErrors})
            ExpectSaidOnce(errors, QFile::decodeName(c.file), QString::fromLatin1(c.reason));
    }
}

// A save that the file system refuses halfway (here: the log may not grow, as on a full disk) is
// said once a run, however many saves fail, and the values stay as they were.
TEST_F(HostileStore, ASaveTheFileSystemRefusesIsSaidOnce)
{
    PutRaw(HKEY_CURRENT_USER, QString::fromLatin1(Position), "Left", REG_DWORD, QByteArray("\xDC\x05\0\0", 4));
    PutRaw(HKEY_CURRENT_USER, QString::fromLatin1(Position), "Top", REG_DWORD, QByteArray("\x84\x03\0\0", 4));
    // This process keeps the store open with a log longer than the helper may write files: its
    // shared memory is there already, and the helper's save has to add to the log.
    PutRaw(HKEY_CURRENT_USER, QStringLiteral("Software\\Quorvane\\Big"), "Data", REG_BINARY, QByteArray(64 * 1024, 'b'));
    constexpr rlim_t Limit = 48 * 1024;
    struct stat log {};
    ASSERT_EQ(::stat(QFile::encodeName(File() + QStringLiteral("-wal")).constData(), &log), 0);
    ASSERT_GT(log.st_size, static_cast<off_t>(Limit));
    const auto limited = [] {
        const rlimit small {Limit, Limit};
        ::signal(SIGXFSZ, SIG_IGN);
        if (::setrlimit(RLIMIT_FSIZE, &small) != 0)
            ::_exit(125);
    };
    std::string errors;
    EXPECT_EQ(SetBoth(1200, 800, &errors, limited), NotSavedTwice);
    ExpectSaidOnce(errors, File(), QStringLiteral("could not be written"));
    EXPECT_EQ(Get(), "1500 900");
}

// ---- A folder of any depth ----

mode_t TypeAt(int folder, const QByteArray& name)
{
    struct stat st {};
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? st.st_mode & S_IFMT : 0;
}

// A store whose path is longer than SQLite takes by itself keeps its settings from one run to the
// next, with its log beside it, the copies that use it see each other, and a damaged file there is
// set aside beside it. At 4,000 bytes every name beside the store stays below the system's limit
// for a whole path; at 4,090 the lock files and the set-aside file go past it, and are reached
// through the folder.
TEST_F(HostileStore, AStoreInADeepFolderKeepsItsSettings)
{
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    struct Case {
        qsizetype length; // of the store's path
        bool byConfigFolder;
    } cases[] = {{600, false}, {1000, false}, {4000, false}, {4090, false}, {1000, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + (c.byConfigFolder ? " in the config folder" : ""));
        QTemporaryDir top;
        QByteArray folder;
        if (c.byConfigFolder) {
            // The store's own folder is made on the first call.
            const QByteArray config =
                testing_support::MakeDeepFolder(QFile::encodeName(top.path()), c.length, "Quorvane/registry.db");
            ASSERT_FALSE(config.isEmpty());
            qunsetenv("QUORVANE_REGISTRY");
            qputenv("XDG_CONFIG_HOME", config);
            folder = config + "/Quorvane";
        } else {
            folder = testing_support::MakeDeepFolder(QFile::encodeName(top.path()), c.length, "registry.db");
            ASSERT_FALSE(folder.isEmpty());
            qputenv("QUORVANE_REGISTRY", folder + "/registry.db");
        }
        const QByteArray file = folder + "/registry.db";
        ASSERT_EQ(file.size(), c.length);

        std::string errors;
        EXPECT_EQ(SetBoth(1500, 900, &errors), "Success Success");
        EXPECT_EQ(errors, "");
        EXPECT_EQ(Get(), "1500 900");
        const int at = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(at, 0);
        // Written through its log: SQLite marks such a file with 2 at bytes 18 and 19.
        char header[20] = {};
        const int fd = ::openat(at, "registry.db", O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(::read(fd, header, sizeof header), 20) << std::strerror(errno);
        ::close(fd);
        EXPECT_EQ(header[18], 2);

        {
            testing_support::RunningCopy first;
            EXPECT_EQ(first.SawOther(), 0);
            testing_support::RunningCopy second;
            EXPECT_EQ(second.SawOther(), 1);
            EXPECT_EQ(TypeAt(at, "registry.db.instance"), S_IFREG) << "the mark lies beside the store";
        }

        const int bad = ::openat(at, "registry.db", O_WRONLY | O_TRUNC | O_CLOEXEC);
        ASSERT_GE(bad, 0);
        const QByteArray note = "not a store, and not to be lost";
        EXPECT_EQ(::write(bad, note.constData(), static_cast<size_t>(note.size())), note.size());
        ::close(bad);
        EXPECT_EQ(Access({QStringLiteral("set"), QString::fromLatin1(Position), QStringLiteral("Left"),
                          QStringLiteral("7")},
                         &errors),
                  "Success");
        EXPECT_NE(errors.find(file.toStdString() + ".damaged-"), std::string::npos) << errors;
        EXPECT_EQ(Get(), "7 default");
        const QStringList names =
            QDir(QFile::decodeName(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        EXPECT_EQ(names.filter(QStringLiteral("registry.db.damaged-")).size(), 1) << names.join(' ').toStdString();
        // Names that a whole path cannot reach go through the folder.
        for (const QString& name : names)
            ::unlinkat(at, QFile::encodeName(name).constData(), 0);
        ::close(at);
    }
    RegistryCloseStore();
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

} // namespace
