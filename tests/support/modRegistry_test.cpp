// The four registry value functions over the settings store.
#include "support/modRegistry.h"

#include "FreshRegistry.h"
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <sqlite3.h>
#include <QTemporaryDir>
#include <algorithm>
#include <climits>
#include <vector>
#include <gtest/gtest.h>

namespace {

const QString Success = QStringLiteral("Success");
const QString Failed = QStringLiteral("No! Failed to save Value");
const QString Base = QStringLiteral("Software\\Quorvane\\Test");

class RegistryValues : public FreshRegistry {
protected:
    // Writes raw bytes straight through the store, as another program might have left them.
    static void Put(const QByteArray& name, uint32_t type, const QByteArray& data)
    {
        PutRaw(HKEY_CURRENT_USER, Base, name, type, data);
    }
    static QByteArray Raw(const QString& path, const QByteArray& name, uint32_t* type)
    {
        return FreshRegistry::Raw(HKEY_CURRENT_USER, path, name, type);
    }
};

TEST_F(RegistryValues, NumbersRoundTripAsFourLittleEndianBytes)
{
    struct Case {
        int32_t value;
        QByteArray bytes;
    } cases[] = {
        {0, QByteArray("\0\0\0\0", 4)},
        {1, QByteArray("\1\0\0\0", 4)},
        {-1, QByteArray("\xff\xff\xff\xff", 4)},
        {0x01020304, QByteArray("\4\3\2\1", 4)},
        {INT_MIN, QByteArray("\0\0\0\x80", 4)},
        {INT_MAX, QByteArray("\xff\xff\xff\x7f", 4)},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Left"), c.value), Success);
        uint32_t type = 0;
        EXPECT_EQ(Raw(Base, "Left", &type).toHex(), c.bytes.toHex()) << c.value;
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("left"), 12345), c.value);
    }
}

TEST_F(RegistryValues, TextsRoundTripWithoutATerminatingNul)
{
    for (const QString& text : {QStringLiteral("plain"), QStringLiteral("Grüße – ‘quoted’\u00A0end"), QString()}) {
        ASSERT_EQ(SaveRegString(HKEY_CURRENT_USER, Base, QStringLiteral("Text"), text), Success);
        uint32_t type = 0;
        EXPECT_EQ(Raw(Base, "Text", &type), text.toUtf8()); // no NUL; an empty text has size 0
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, QStringLiteral("Text"), QStringLiteral("default")), text);
    }
}

TEST_F(RegistryValues, MissingKeyGivesTheDefaultAndCreatesNothing)
{
    const QString path = QStringLiteral("Software\\Quorvane\\Nowhere\\Deeper");
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, path, QStringLiteral("Left"), -7), -7);
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, path, QStringLiteral("Name"), QStringLiteral("dflt")), "dflt");
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_FILE_NOT_FOUND);
    // A missing value in an existing key reads the same way.
    Put("Other", REG_DWORD, QByteArray("\1\0\0\0", 4));
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Left"), 42), 42);
}

TEST_F(RegistryValues, SavingCreatesEveryMissingLevel)
{
    const QString path = QStringLiteral("Software\\Quorvane\\A\\B\\C");
    EXPECT_EQ(SaveRegDWord(HKEY_CURRENT_USER, path, QStringLiteral("State"), 2), Success);
    EXPECT_EQ(SaveRegString(HKEY_CURRENT_USER, path + QStringLiteral("\\D"), QStringLiteral("S"), "x"), Success);
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, path, QStringLiteral("State"), 0), 2);
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, path + QStringLiteral("\\D"), QStringLiteral("S"), ""), "x");
}

TEST_F(RegistryValues, AValueOfAnotherTypeReadsAsTheDefault)
{
    struct Case {
        const char* name;
        uint32_t type;
        QByteArray data;
        int32_t asNumber;
        QString asText;
    } cases[] = {
        {"TextOne", REG_SZ, "1", 99, "1"},
        {"TextFourBytes", REG_SZ, "1234", 99, "1234"},
        {"LongText", REG_SZ, "123456789", 99, "123456789"},
        {"Number", REG_DWORD, QByteArray("\1\0\0\0", 4), 1, "dflt"},
        {"ShortNumber", REG_DWORD, QByteArray("\1\2", 2), 99, "dflt"},
        {"LongNumber", REG_DWORD, QByteArray("\1\0\0\0\0", 5), 99, "dflt"},
        {"Expand", REG_EXPAND_SZ, QByteArray("%HOME%\0", 7), 99, "dflt"},
        {"Binary", REG_BINARY, QByteArray("\1\0\0\0", 4), 99, "dflt"},
        {"BigEndian", REG_DWORD_BIG_ENDIAN, QByteArray("\0\0\0\1", 4), 99, "dflt"},
        {"Multi", REG_MULTI_SZ, QByteArray("a\0b\0\0", 5), 99, "dflt"},
    };
    for (const Case& c : cases) {
        Put(c.name, c.type, c.data);
        EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, c.name, 99), c.asNumber) << c.name;
        EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, c.name, QStringLiteral("dflt")), c.asText) << c.name;
    }
}

TEST_F(RegistryValues, TextReadStopsAtTheFirstNul)
{
    Put("WithNul", REG_SZ, QByteArray("abc\0", 4));
    Put("TwoParts", REG_SZ, QByteArray("abc\0def\0", 8));
    Put("Empty", REG_SZ, QByteArray("", 0));
    Put("OnlyNul", REG_SZ, QByteArray("\0", 1));
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, "WithNul", "d"), "abc");
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, "TwoParts", "d"), "abc");
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, "Empty", "d"), "");
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, "OnlyNul", "d"), "");
}

TEST_F(RegistryValues, NothingIsCachedBetweenCalls)
{
    ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 1), Success);
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 0), 1);
    Put("Top", REG_DWORD, QByteArray("\2\0\0\0", 4));
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 0), 2);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, Base.toUtf8()), ERROR_SUCCESS);
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 0), 0);
    EXPECT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 3), Success);
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Top"), 0), 3);
}

// A write that fails must not be reported as saved, even when the key opened and closed cleanly.
TEST_F(RegistryValues, AFailedWriteIsReportedAsAFailure)
{
    const QString tooLongName(MaxValueNameLength + 1, QLatin1Char('n'));
    EXPECT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, tooLongName, 1), Failed);
    EXPECT_EQ(SaveRegString(HKEY_CURRENT_USER, Base, tooLongName, "x"), Failed);
    // The key itself was created on the way, as the writer opens or creates it first.
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, Base.toUtf8(), &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(SaveRegDWord(0x12345, Base, "Left", 1), Failed); // not a hive
    EXPECT_EQ(SaveRegDWord(HKEY_CURRENT_USER, "\\Bad", "Left", 1), Failed);
}

TEST_F(RegistryValues, AStoreThatCannotBeOpenedGivesDefaultsAndFailedSaves)
{
    QFile blocker(storeDir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    RegistryCloseStore();
    qputenv("QUORVANE_REGISTRY", QFile::encodeName(storeDir.filePath(QStringLiteral("file/registry.db"))));
    EXPECT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Left"), 1), Failed);
    EXPECT_EQ(SaveRegString(HKEY_CURRENT_USER, Base, QStringLiteral("Name"), "x"), Failed);
    EXPECT_EQ(GetRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Left"), 5), 5);
    EXPECT_EQ(GetRegString(HKEY_CURRENT_USER, Base, QStringLiteral("Name"), "d"), "d");
}

// ---- Several numbers saved as one ----

const QString WindowPosition = QStringLiteral("Software\\Quorvane\\WindowPosition");
const QStringList RecordNames = {QStringLiteral("Left"), QStringLiteral("Top"), QStringLiteral("Width"),
                                 QStringLiteral("Height"), QStringLiteral("State")};

// The five window values as one snapshot of the store (-1 for a missing one); empty when the
// store stayed busy too long to take one.
std::vector<int32_t> ReadRecord()
{
    std::vector<int32_t> record;
    const int32_t result = RegistryTransaction([&record] {
        for (const QString& name : RecordNames)
            record.push_back(GetRegDWord(HKEY_CURRENT_USER, WindowPosition, name, -1));
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS)
        record.clear();
    return record;
}

bool IsWhole(const std::vector<int32_t>& record)
{
    return record.size() == 5 && std::all_of(record.begin(), record.end(), [&](int32_t v) { return v == record[0]; });
}

TEST_F(RegistryValues, SeveralNumbersAreSavedAllOrNone)
{
    EXPECT_EQ(SaveRegDWords(HKEY_CURRENT_USER, WindowPosition,
                            {{"Left", 1500}, {"Top", 900}, {"Width", 12000}, {"Height", 9000}, {"State", 2}}),
              Success);
    EXPECT_EQ(ReadRecord(), (std::vector<int32_t>{1500, 900, 12000, 9000, 2}));
    uint32_t type = 0;
    EXPECT_EQ(Raw(WindowPosition, "Width", &type).toHex(), QByteArray("\xe0\x2e\0\0", 4).toHex());
    EXPECT_EQ(type, REG_DWORD);

    // One value that cannot be saved: none of them is.
    const QString tooLongName(MaxValueNameLength + 1, QLatin1Char('n'));
    EXPECT_EQ(SaveRegDWords(HKEY_CURRENT_USER, WindowPosition, {{"Left", 1}, {"Top", 2}, {tooLongName, 3}}), Failed);
    EXPECT_EQ(ReadRecord(), (std::vector<int32_t>{1500, 900, 12000, 9000, 2}));
    EXPECT_EQ(SaveRegDWords(HKEY_CURRENT_USER, "\\Bad", {{"Left", 1}}), Failed);
    EXPECT_EQ(SaveRegDWords(0x12345, WindowPosition, {{"Left", 1}}), Failed);
}

QString WriterProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer");
}

// Two copies closing at once: the store holds one copy's whole record at every moment, never a mix.
TEST_F(RegistryValues, TwoProcessesSavingRecordsAtOnceNeverMixThem)
{
    constexpr int Records = 300;
    QProcess a, b;
    a.start(WriterProgram(), {QStringLiteral("--records"), QStringLiteral("1"), QString::number(Records)});
    b.start(WriterProgram(), {QStringLiteral("--records"), QStringLiteral("2"), QString::number(Records)});
    ASSERT_TRUE(a.waitForStarted() && b.waitForStarted());
    int mixed = 0;
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        const std::vector<int32_t> record = ReadRecord();
        if (!record.empty() && !IsWhole(record))
            ++mixed;
        a.waitForFinished(1);
        b.waitForFinished(1);
    }
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_EQ(mixed, 0);
    const std::vector<int32_t> last = ReadRecord();
    ASSERT_EQ(last.size(), 5u);
    EXPECT_TRUE(IsWhole(last));
    EXPECT_TRUE(last[0] == 100000 + Records - 1 || last[0] == 200000 + Records - 1) << last[0];
}

// Killed in the middle of its saves, a copy leaves its last whole record.
TEST_F(RegistryValues, AKilledSaverLeavesAWholeRecord)
{
    QProcess writer;
    writer.start(WriterProgram(), {QStringLiteral("--records"), QStringLiteral("3"), QStringLiteral("1000000")});
    QByteArray out;
    while (out.count('\n') < 100 && writer.waitForReadyRead(30000))
        out += writer.readAllStandardOutput();
    ASSERT_GE(out.count('\n'), 100);
    writer.kill(); // SIGKILL
    writer.waitForFinished(10000);
    out += writer.readAllStandardOutput();
    const QList<QByteArray> lines = out.trimmed().split('\n');
    const std::vector<int32_t> record = ReadRecord();
    ASSERT_EQ(record.size(), 5u);
    EXPECT_TRUE(IsWhole(record)) << record[0] << " " << record[4];
    EXPECT_GE(record[0], 300000 + lines.last().toInt());
}

} // namespace

namespace {

// Someone who opens the settings file with the sqlite3 shell reads the values in plain words.
TEST_F(RegistryValues, TheSettingsFileShowsReadableValues)
{
    ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base + QStringLiteral("\\WindowPosition"), QStringLiteral("Left"), 1500), Success);
    ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("State"), -1), Success);
    ASSERT_EQ(SaveRegDWord(HKEY_CURRENT_USER, Base, QStringLiteral("Big"), INT_MAX), Success);
    ASSERT_EQ(SaveRegString(HKEY_CURRENT_USER, Base, QStringLiteral("Name"), QStringLiteral("Grüße")), Success);
    Put("Blob", 3, QByteArray("\x01\xAB", 2));
    RegistryCloseStore();

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(storeDir.filePath(QStringLiteral("registry.db"))).constData(), &db,
                              SQLITE_OPEN_READONLY, nullptr),
              SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT key, name, value FROM settings ORDER BY key, name", -1, &stmt, nullptr),
              SQLITE_OK);
    QStringList rows;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        rows << QStringLiteral("%1|%2|%3")
                    .arg(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))),
                         QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))),
                         QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2))));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    const QString k = QStringLiteral("HKEY_CURRENT_USER\\") + Base;
    EXPECT_EQ(rows, QStringList({k + "|Big|2147483647", k + "|Blob|01AB", k + QString::fromUtf8("|Name|Grüße"),
                                 k + "|State|-1", k + "\\WindowPosition|Left|1500"}));
}

} // namespace
