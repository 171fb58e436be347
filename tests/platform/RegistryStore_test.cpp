// Store files that bring something of their own: triggers, a view or tables made otherwise in
// place of ours, values of unexpected kinds, a set-aside lock that another program keeps. None of
// it runs, holds the program up or loses the values. Saves that could hang run in a helper process
// given a time limit.
#include "FreshRegistry.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <string>
#include <sys/file.h>
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
    // registry_access run with a time limit; its output lines joined by blanks, or "<hung>".
    static std::string Access(const QStringList& args)
    {
        QProcess helper;
        helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/registry_access"), args);
        if (!helper.waitForFinished(20000)) {
            helper.kill();
            helper.waitForFinished(5000);
            return "<hung>";
        }
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
    static std::string Get()
    {
        return Access({QStringLiteral("get"), QString::fromLatin1(Position), QStringLiteral("Left"),
                       QStringLiteral("Top")});
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

} // namespace
