// The settings store: typed values kept byte for byte, names without regard to case, stable
// enumeration, delete rules, result codes, several processes at once, kills and damaged files.
#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Each test gets a store file of its own, reopened from scratch.
class RegistryStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        savedPath = qgetenv("QUORVANE_REGISTRY");
        UseStore(dir.filePath(QStringLiteral("registry.db")));
    }
    void TearDown() override
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", savedPath);
    }
    static void UseStore(const QString& path)
    {
        RegistryCloseStore();
        qputenv("QUORVANE_REGISTRY", QFile::encodeName(path));
    }
    static HKEY Create(const QByteArray& path)
    {
        HKEY key = 0;
        EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS) << path.constData();
        return key;
    }
    static QByteArray Read(HKEY key, const QByteArray& name, uint32_t* type = nullptr)
    {
        uint32_t size = 0;
        uint32_t t = 0;
        if (RegQueryValueExA(key, name, nullptr, &t, nullptr, &size) != ERROR_SUCCESS)
            return "<missing>";
        QByteArray data(size, '\x7f');
        EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &t, data.data(), &size), ERROR_SUCCESS);
        if (type)
            *type = t;
        return data;
    }
    static std::vector<std::string> ValueNames(HKEY key)
    {
        std::vector<std::string> names;
        char buffer[300];
        for (uint32_t i = 0;; ++i) {
            uint32_t size = sizeof buffer;
            if (RegEnumValueA(key, i, buffer, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            names.emplace_back(buffer, size);
        }
        return names;
    }
    static std::vector<std::string> SubkeyNames(HKEY key)
    {
        std::vector<std::string> names;
        char buffer[300];
        for (uint32_t i = 0; RegEnumKeyA(key, i, buffer, sizeof buffer) == ERROR_SUCCESS; ++i)
            names.emplace_back(buffer);
        return names;
    }

    QTemporaryDir dir;
    QByteArray savedPath;
};

TEST_F(RegistryStore, EveryTypeKeepsItsExactBytesAcrossAReopen)
{
    struct Case {
        uint32_t type;
        QByteArray data;
    };
    QByteArray big(70000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7);
    const std::vector<Case> cases = {
        {REG_NONE, QByteArray("\x00\x01", 2)},
        {REG_SZ, QByteArray("text\0", 5)},
        {REG_SZ, QByteArray("no terminator")},
        {REG_SZ, QByteArray()},
        {REG_EXPAND_SZ, QByteArray("%HOME%\\x\0", 9)},
        {REG_BINARY, QByteArray("\x00\xff\x00\x80", 4)},
        {REG_BINARY, big},
        {REG_DWORD, QByteArray("\xff\xff\xff\xff", 4)},
        {REG_DWORD_BIG_ENDIAN, QByteArray("\x00\x00\x01\x02", 4)},
        {REG_LINK, QByteArray("l\0i\0", 4)},
        {REG_MULTI_SZ, QByteArray("a\0b\0\0", 5)},
        {REG_RESOURCE_LIST, QByteArray("\x01", 1)},
        {REG_FULL_RESOURCE_DESCRIPTOR, QByteArray("\x02\x03", 2)},
        {REG_RESOURCE_REQUIREMENTS_LIST, QByteArray("\x04", 1)},
        {REG_QWORD, QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
    };
    HKEY key = Create("Software\\Quorvane\\Types");
    for (size_t i = 0; i < cases.size(); ++i)
        ASSERT_EQ(RegSetValueExA(key, "v" + QByteArray::number(qulonglong(i)), 0, cases[i].type,
                                 cases[i].data.constData(), uint32_t(cases[i].data.size())),
                  ERROR_SUCCESS);
    RegCloseKey(key);
    RegistryCloseStore();

    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\Types", &key), ERROR_SUCCESS);
    for (size_t i = 0; i < cases.size(); ++i) {
        uint32_t type = 99;
        const QByteArray got = Read(key, "v" + QByteArray::number(qulonglong(i)), &type);
        EXPECT_EQ(type, cases[i].type) << "case " << i;
        EXPECT_EQ(got.toHex().left(200), cases[i].data.toHex().left(200)) << "case " << i;
        EXPECT_EQ(got.size(), cases[i].data.size()) << "case " << i;
        EXPECT_TRUE(got == cases[i].data) << "case " << i;
    }
    RegCloseKey(key);
}

TEST_F(RegistryStore, NamesIgnoreCaseAndKeepTheCaseTheyWereCreatedWith)
{
    HKEY key = Create("Software\\MiXed\\Ünïcode");
    HKEY same = 0;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\mixed\\üNÏCODE", &same), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Left", 0, REG_DWORD, "\x01\0\0\0", 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(same, "LEFT", 0, REG_DWORD, "\x02\0\0\0", 4), ERROR_SUCCESS);
    EXPECT_EQ(Read(key, "left"), QByteArray("\x02\0\0\0", 4));
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{"Left"});

    HKEY parent = 0;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "software", &parent), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyNames(parent), std::vector<std::string>{"MiXed"});
    // Creating under another spelling opens the existing key.
    HKEY again = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\MIXED", 0, "", 0, KEY_ALL_ACCESS, nullptr, &again,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(SubkeyNames(parent), std::vector<std::string>{"MiXed"});
    for (HKEY h : {key, same, parent, again})
        EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
}

TEST_F(RegistryStore, EnumerationOrderIsStable)
{
    HKEY key = Create("Software\\Order");
    for (const char* name : {"Zeta", "alpha", "Mid", "beta"})
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    // Rewriting a value keeps its place.
    ASSERT_EQ(RegSetValueExA(key, "ZETA", 0, REG_SZ, "y", 1), ERROR_SUCCESS);
    for (const char* name : {"zulu", "Bravo", "alpha", "Charlie"}) {
        HKEY sub = 0;
        ASSERT_EQ(RegCreateKeyA(key, name, &sub), ERROR_SUCCESS);
        RegCloseKey(sub);
    }
    const std::vector<std::string> values = {"Zeta", "alpha", "Mid", "beta"};
    const std::vector<std::string> subkeys = {"alpha", "Bravo", "Charlie", "zulu"};
    EXPECT_EQ(ValueNames(key), values);
    EXPECT_EQ(SubkeyNames(key), subkeys);
    RegCloseKey(key);
    RegistryCloseStore();
    key = Create("Software\\Order");
    EXPECT_EQ(ValueNames(key), values);
    EXPECT_EQ(SubkeyNames(key), subkeys);

    char name[8];
    uint32_t size = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 4, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumKeyA(key, 4, name, sizeof name), ERROR_NO_MORE_ITEMS);
    // A buffer one short of the name and its terminating zero is too small.
    size = 4;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 5), ERROR_MORE_DATA);
    EXPECT_EQ(RegEnumKeyA(key, 0, name, 6), ERROR_SUCCESS);
    EXPECT_STREQ(name, "alpha");
    RegCloseKey(key);
}

// What one listing call answers: the name, or the result code.
std::string ValueAt(HKEY key, uint32_t index)
{
    char name[16];
    uint32_t size = sizeof name;
    const int32_t r = RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    return r == ERROR_SUCCESS ? std::string(name, size) : std::to_string(r);
}

std::string SubkeyAt(HKEY key, uint32_t index)
{
    char name[16];
    const int32_t r = RegEnumKeyA(key, index, name, sizeof name);
    return r == ERROR_SUCCESS ? std::string(name) : std::to_string(r);
}

// A listing is asked one index at a time; each answer is the store's row at that index when it is
// asked, whatever was asked or written before.
TEST_F(RegistryStore, EachListingCallAnswersFromTheStoreAsItIsThen)
{
    HKEY key = Create("Software\\Listing");
    for (const char* name : {"v0", "v1", "v2", "v3", "v4"})
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    for (const char* name : {"k1", "k2", "k3", "k4"})
        RegCloseKey(Create("Software\\Listing\\" + QByteArray(name)));

    // Out of order, repeated, past the end.
    EXPECT_EQ(ValueAt(key, 3), "v3");
    EXPECT_EQ(ValueAt(key, 1), "v1");
    EXPECT_EQ(ValueAt(key, 1), "v1");
    EXPECT_EQ(ValueAt(key, 2), "v2");
    EXPECT_EQ(ValueAt(key, 4), "v4");
    EXPECT_EQ(ValueAt(key, 5), "259");
    EXPECT_EQ(ValueAt(key, 4), "v4");

    // Writes between two calls: a value deleted before the place, one added at the end.
    EXPECT_EQ(ValueAt(key, 1), "v1");
    ASSERT_EQ(RegDeleteValueA(key, "v0"), ERROR_SUCCESS);
    EXPECT_EQ(ValueAt(key, 2), "v3");
    ASSERT_EQ(RegSetValueExA(key, "v5", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(ValueAt(key, 3), "v4");
    EXPECT_EQ(ValueAt(key, 4), "v5");
    EXPECT_EQ(SubkeyAt(key, 1), "k2");
    RegCloseKey(Create("Software\\Listing\\a"));
    EXPECT_EQ(SubkeyAt(key, 2), "k2");
    EXPECT_EQ(SubkeyAt(key, 2), "k2");
    ASSERT_EQ(RegDeleteKeyA(key, "k1"), ERROR_SUCCESS);
    EXPECT_EQ(SubkeyAt(key, 3), "k4");

    // A write undone between two calls, and one made through another handle of the same key.
    EXPECT_EQ(ValueAt(key, 0), "v1");
    EXPECT_EQ(RegistryTransaction([key]() -> int32_t {
                  RegDeleteValueA(key, "v1");
                  EXPECT_EQ(ValueAt(key, 1), "v3");
                  return ERROR_ACCESS_DENIED;
              }),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(ValueAt(key, 2), "v3");
    HKEY other = Create("Software\\Listing");
    EXPECT_EQ(ValueAt(other, 0), "v1");
    ASSERT_EQ(RegDeleteValueA(other, "v3"), ERROR_SUCCESS);
    EXPECT_EQ(ValueAt(key, 3), "v5");
    EXPECT_EQ(ValueAt(other, 1), "v2");

    // Rewritten data shows when the same index is asked again.
    char data[4] = {};
    char name[4];
    uint32_t size = sizeof name, bytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, data, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(std::string(data, bytes), "x");
    ASSERT_EQ(RegSetValueExA(other, "V1", 0, REG_SZ, "yz", 2), ERROR_SUCCESS);
    size = sizeof name;
    bytes = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, nullptr, data, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(std::string(data, bytes), "yz");
    RegCloseKey(other);
    RegCloseKey(key);
}

// Another program's writes between two calls show as well.
TEST_F(RegistryStore, AListingSeesAnotherProgramsWritesBetweenItsCalls)
{
    HKEY key = Create("Software\\Listing");
    for (const char* name : {"v0", "v1", "v2", "v3"})
        ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    for (const char* name : {"k1", "k2", "k3"})
        RegCloseKey(Create("Software\\Listing\\" + QByteArray(name)));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))).constData(), &db), SQLITE_OK);
    const auto exec = [db](const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; };

    EXPECT_EQ(ValueAt(key, 0), "v0");
    EXPECT_EQ(ValueAt(key, 1), "v1");
    exec("DELETE FROM vals WHERE name = CAST('v0' AS BLOB)");
    EXPECT_EQ(ValueAt(key, 2), "v3");
    EXPECT_EQ(ValueAt(key, 2), "v3");
    exec("DELETE FROM vals WHERE name = CAST('v1' AS BLOB)");
    EXPECT_EQ(ValueAt(key, 2), "259");

    EXPECT_EQ(SubkeyAt(key, 0), "k1");
    exec("INSERT INTO keys(parent, name, fold) SELECT parent, CAST('a' AS BLOB), CAST('a' AS BLOB) FROM keys"
         " WHERE name = CAST('k1' AS BLOB)");
    EXPECT_EQ(SubkeyAt(key, 1), "k1");
    EXPECT_EQ(SubkeyAt(key, 2), "k2");
    sqlite3_close(db);
    RegCloseKey(key);
}

TEST_F(RegistryStore, LongestKeyNamesAndTooLongOnes)
{
    HKEY key = Create("Software\\Long");
    const QByteArray longest(MaxKeyNameLength, 'k');
    HKEY sub = 0;
    ASSERT_EQ(RegCreateKeyA(key, "a" + QByteArray(MaxKeyNameLength - 1, 'x'), &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    ASSERT_EQ(RegCreateKeyA(key, longest, &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegCreateKeyA(key, longest + "k", &sub), ERROR_INVALID_PARAMETER);
    char buffer[255];
    // 255 characters need a 256-byte buffer; the first (shorter-sorted "a...") also.
    EXPECT_EQ(RegEnumKeyA(key, 0, buffer, sizeof buffer), ERROR_MORE_DATA);
    uint32_t maxLen = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxLen, 255u);
    RegCloseKey(key);
}

TEST_F(RegistryStore, CreatingMakesEveryMissingLevel)
{
    HKEY key = Create("Software\\A\\B\\C\\");
    RegCloseKey(key);
    for (const char* path : {"Software", "Software\\A", "Software\\A\\B", "Software\\A\\B\\C"}) {
        HKEY h = 0;
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h), ERROR_SUCCESS) << path;
        RegCloseKey(h);
    }
    // The roots are kept apart.
    HKEY other = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\A", &other), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(other, 0);
    for (const char* bad : {"\\Software", "Software\\\\A"})
        EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, bad, &other), ERROR_BAD_PATHNAME) << bad;
}

TEST_F(RegistryStore, DeleteRules)
{
    HKEY leaf = Create("Software\\Del\\Leaf");
    ASSERT_EQ(RegSetValueExA(leaf, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Del"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Del\\Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\del\\LEAF"), ERROR_SUCCESS);
    // The open handle now names a deleted key: writing through it fails, reading finds nothing.
    EXPECT_EQ(RegSetValueExA(leaf, "v", 0, REG_SZ, "y", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueExA(leaf, "v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
    // Recreated, it holds none of the old values.
    leaf = Create("Software\\Del\\Leaf");
    EXPECT_EQ(Read(leaf, "v"), "<missing>");
    EXPECT_EQ(RegDeleteValueA(leaf, "v"), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegSetValueExA(leaf, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(leaf, "V"), ERROR_SUCCESS);
    EXPECT_EQ(Read(leaf, "v"), "<missing>");
    RegCloseKey(leaf);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Del\\Leaf"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Del"), ERROR_SUCCESS);
}

TEST_F(RegistryStore, QuerySizesBuffersAndMoreData)
{
    HKEY key = Create("Software\\Q");
    ASSERT_EQ(RegSetValueExA(key, "s", 0, REG_SZ, "hello\0", 6), ERROR_SUCCESS);
    uint32_t type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 6u);
    // One byte short: the caller gets what fits, the size needed and ERROR_MORE_DATA.
    char small[6] = {'#', '#', '#', '#', '#', '#'};
    size = 5;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(QByteArray(small, 6), QByteArray("hello#"));
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, small, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    // A larger buffer: the size comes back as the stored size.
    char big[16];
    size = sizeof big;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, big, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, big, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, big, &size), ERROR_FILE_NOT_FOUND);
    // The unnamed default value is a value like any other.
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, "d\0", 2), ERROR_SUCCESS);
    EXPECT_EQ(Read(key, ""), QByteArray("d\0", 2));
    // Text after a zero byte is not part of a name.
    EXPECT_EQ(Read(key, QByteArray("s\0ignored", 9)), QByteArray("hello\0", 6));
    RegCloseKey(key);
}

TEST_F(RegistryStore, HandlesAndAccessRights)
{
    HKEY key = Create("Software\\H");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(0), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, "\0\0\0\0", 4), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(0, "v", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    HKEY h = 0;
    EXPECT_EQ(RegOpenKeyA(static_cast<HKEY>(0x80000005u), "Software", &h), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Missing", &h), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(h, 0);
    // An empty path hands back the very handle given.
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "", &h), ERROR_SUCCESS);
    EXPECT_EQ(h, HKEY_CURRENT_USER);

    HKEY readOnly = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\H", 0, KEY_QUERY_VALUE, &readOnly), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(readOnly, "v", 0, REG_DWORD, "\0\0\0\0", 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
    char name[16];
    EXPECT_EQ(RegEnumKeyA(readOnly, 0, name, sizeof name), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCreateKeyA(readOnly, "New", &h), ERROR_ACCESS_DENIED);
    RegCloseKey(readOnly);
    HKEY writer = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\H", 0, KEY_SET_VALUE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(writer, "v", 0, REG_DWORD, "\0\0\0\0", 4), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    RegCloseKey(writer);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, QByteArray(MaxValueNameLength + 1, 'n'), 0, REG_SZ, "", 0),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryStore, QueryInfoKeyCountsAndLengths)
{
    HKEY key = 0;
    uint32_t disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "txtfile", 0, "MyClass", 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, "Text Document\0", 14), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "LongerName", 0, REG_BINARY, "\1\2\3", 3), ERROR_SUCCESS);
    HKEY sub = 0;
    ASSERT_EQ(RegCreateKeyA(key, "shell\\open\\command", &sub), ERROR_SUCCESS);
    RegCloseKey(sub);
    ASSERT_EQ(RegCreateKeyA(key, "DefaultIcon", &sub), ERROR_SUCCESS);
    RegCloseKey(sub);

    char cls[16];
    uint32_t cchClass = sizeof cls, subKeys = 0, maxSub = 0, maxClass = 0, values = 0, maxName = 0, maxData = 0,
             sd = 1;
    int64_t written = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, cls, &cchClass, nullptr, &subKeys, &maxSub, &maxClass, &values, &maxName,
                               &maxData, &sd, &written),
              ERROR_SUCCESS);
    EXPECT_STREQ(cls, "MyClass");
    EXPECT_EQ(cchClass, 7u);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSub, 11u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 10u);
    EXPECT_EQ(maxData, 14u);
    EXPECT_GT(written, 130000000000000000LL); // after 2012, in 100-ns steps since 1601
    cchClass = 7;
    EXPECT_EQ(RegQueryInfoKeyA(key, cls, &cchClass, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_MORE_DATA);
    RegCloseKey(key);
}

// ---- Bad ground ----

TEST_F(RegistryStore, MissingFolderReadsNothingAndRefusesWrites)
{
    QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    UseStore(dir.filePath(QStringLiteral("not-a-folder/registry.db")));
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software", &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_ACCESS_DENIED);
    char name[8];
    EXPECT_EQ(RegEnumKeyA(HKEY_CURRENT_USER, 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
    // Once the folder is there, the same program can write.
    ASSERT_TRUE(QFile::remove(blocker.fileName()));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("not-a-folder")));
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
}

TEST_F(RegistryStore, DefaultFileIsInTheUsersConfigFolder)
{
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    struct Case {
        QByteArray xdg;
        QString expected;
    } cases[] = {
        {QFile::encodeName(dir.filePath(QStringLiteral("xdg"))), dir.filePath(QStringLiteral("xdg/Quorvane/registry.db"))},
        {QByteArray(), dir.filePath(QStringLiteral("home/.config/Quorvane/registry.db"))},
    };
    qputenv("HOME", QFile::encodeName(dir.filePath(QStringLiteral("home"))));
    for (const Case& c : cases) {
        RegistryCloseStore();
        qunsetenv("QUORVANE_REGISTRY");
        if (c.xdg.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", c.xdg);
        EXPECT_EQ(RegistryStorePath(), QFile::encodeName(c.expected));
        EXPECT_FALSE(QFile::exists(c.expected)); // nothing until the first call
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
        EXPECT_TRUE(QFile::exists(c.expected)) << c.expected.toStdString();
    }
    RegistryCloseStore();
    qputenv("XDG_CONFIG_HOME", savedXdg);
    qputenv("HOME", savedHome);
}

// Damaged or foreign files are kept beside the store under a new name, never lost.
class BadStoreFile : public RegistryStore, public ::testing::WithParamInterface<const char*> {
protected:
    static QStringList Aside(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral("registry.db.*")}, QDir::Files, QDir::Name)
            .filter(QRegularExpression(QStringLiteral("\\.(damaged|foreign)-[0-9-]+$")));
    }
};

TEST_P(BadStoreFile, IsKeptAsideAndAFreshStoreIsUsed)
{
    const QString file = dir.filePath(QStringLiteral("registry.db"));
    QByteArray original;
    if (QByteArray(GetParam()) == "foreign") {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(body TEXT); INSERT INTO notes VALUES('keep me')", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    } else if (QByteArray(GetParam()) == "garbage") {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'G'));
    } else {
        // A real store whose pages were overwritten in the middle.
        HKEY key = Create("Software\\Quorvane");
        for (int i = 0; i < 200; ++i)
            RegSetValueExA(key, "value" + QByteArray::number(i), 0, REG_BINARY, QByteArray(500, 'x').constData(),
                           500);
        RegCloseKey(key);
        RegistryCloseStore();
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(file).constData(), &db);
        sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_GT(f.size(), 4096 * 6);
        f.seek(4096 * 2);
        f.write(QByteArray(4096 * 3, '\xA5'));
    }
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        original = f.readAll();
    }
    RegistryCloseStore();

    testing::internal::CaptureStderr();
    uint32_t size = 0;
    const int32_t read = RegQueryValueExA(HKEY_CURRENT_USER, "value1", nullptr, nullptr, nullptr, &size);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(read, ERROR_FILE_NOT_FOUND);

    const QStringList aside = Aside(dir.path());
    ASSERT_EQ(aside.size(), 1) << err;
    EXPECT_NE(err.find(QFile::encodeName(dir.filePath(aside[0])).toStdString()), std::string::npos) << err;
    QFile kept(dir.filePath(aside[0]));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_TRUE(kept.readAll() == original);

    // The fresh store works and survives a reopen without being moved again.
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "after", 0, REG_SZ, "ok", 2), ERROR_SUCCESS);
    RegistryCloseStore();
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "after", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(Aside(dir.path()).size(), 1);
    // The lock taken while the file was examined is gone with it.
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".lock")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadStoreFile, ::testing::Values("garbage", "foreign", "overwritten"));

// A file that some program still has open is not moved from under it: that program would go on
// writing into the moved file. It is moved once nobody holds it.
TEST_F(BadStoreFile, OneThatAProgramHasOpenStaysWhereItIs)
{
    const QString file = dir.filePath(QStringLiteral("registry.db"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE notes(body TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QProcess holder;
    holder.setStandardInputFile(file);
    holder.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());

    testing::internal::CaptureStderr();
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "v", nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_ACCESS_DENIED);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(Aside(dir.path()).isEmpty());
    EXPECT_NE(err.find("has it open"), std::string::npos) << err;
    EXPECT_FALSE(QFile::exists(file + QStringLiteral(".lock")));

    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(Aside(dir.path()).size(), 1);
}

// A store of ours from a newer version keeps the user's settings: this version reads them and
// changes nothing, saying so once.
TEST_F(RegistryStore, ANewerStoreIsReadAndLeftAsItIs)
{
    const QString file = dir.filePath(QStringLiteral("registry.db"));
    HKEY key = Create("Software\\Quorvane\\WindowPosition");
    ASSERT_EQ(RegSetValueExA(key, "Left", 0, REG_DWORD, "\x05\0\0\0", 4), ERROR_SUCCESS);
    RegCloseKey(key);
    RegistryCloseStore();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    QByteArray before;
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        before = f.readAll();
    }

    testing::internal::CaptureStderr();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\WindowPosition", &key), ERROR_SUCCESS);
    EXPECT_EQ(Read(key, "Left"), QByteArray("\x05\0\0\0", 4));
    EXPECT_EQ(RegSetValueExA(key, "Left", 0, REG_DWORD, "\x06\0\0\0", 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(key, "Left"), ERROR_ACCESS_DENIED);
    HKEY created = 0;
    EXPECT_EQ(RegCreateKeyA(key, "New", &created), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegSetValueExA(key, "Top", 0, REG_DWORD, "\x06\0\0\0", 4), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("newer version"), std::string::npos) << err;
    EXPECT_NE(err.find(QFile::encodeName(file).toStdString()), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;

    RegistryCloseStore();
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*damaged*"), QStringLiteral("*foreign*")}).size(), 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == before);
}

TEST_F(RegistryStore, AnEmptyFileBecomesAStore)
{
    QFile f(dir.filePath(QStringLiteral("registry.db")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("*damaged*"), QStringLiteral("*foreign*")}).size(), 0);
}

// ---- Several processes ----

QString WriterProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/registry_writer");
}

QSet<int> StoredIndices(const QString& prefix)
{
    QSet<int> found;
    HKEY key = 0;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\WriterTest", &key) != ERROR_SUCCESS)
        return found;
    char name[64];
    unsigned char data[4];
    for (uint32_t i = 0;; ++i) {
        uint32_t cch = sizeof name, cb = sizeof data, type = 0;
        if (RegEnumValueA(key, i, name, &cch, nullptr, &type, data, &cb) != ERROR_SUCCESS)
            break;
        const QString n = QString::fromUtf8(name, cch);
        const int value = data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24;
        if (n.startsWith(prefix) && type == REG_DWORD && n.mid(prefix.size()).toInt() == value)
            found.insert(value);
    }
    RegCloseKey(key);
    return found;
}

TEST_F(RegistryStore, TwoProcessesWritingAtOnceLoseNothing)
{
    ASSERT_TRUE(QFile::exists(WriterProgram())) << WriterProgram().toStdString();
    QProcess a, b;
    a.start(WriterProgram(), {QStringLiteral("a"), QStringLiteral("500")});
    b.start(WriterProgram(), {QStringLiteral("b"), QStringLiteral("500")});
    // Read while they write: this process is a third user of the file.
    for (int i = 0; i < 20; ++i)
        StoredIndices(QStringLiteral("a"));
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_EQ(StoredIndices(QStringLiteral("a")).size(), 500);
    EXPECT_EQ(StoredIndices(QStringLiteral("b")).size(), 500);
}

TEST_F(RegistryStore, AKilledWriterLeavesEveryCommittedWrite)
{
    ASSERT_TRUE(QFile::exists(WriterProgram()));
    // Something written before, by this process.
    ASSERT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "before", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    RegistryCloseStore();

    QProcess writer;
    writer.start(WriterProgram(), {QStringLiteral("k"), QStringLiteral("1000000")});
    QByteArray out;
    while (out.count('\n') < 300 && writer.waitForReadyRead(30000))
        out += writer.readAllStandardOutput();
    ASSERT_GE(out.count('\n'), 300);
    writer.kill(); // SIGKILL
    writer.waitForFinished(10000);
    out += writer.readAllStandardOutput();

    QSet<int> committed;
    for (const QByteArray& line : out.split('\n'))
        if (line.size() && line == QByteArray::number(line.toInt()))
            committed.insert(line.toInt());

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(dir.filePath(QStringLiteral("registry.db"))).constData(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);

    const QSet<int> stored = StoredIndices(QStringLiteral("k"));
    EXPECT_TRUE(committed.subtract(stored).isEmpty()) << committed.size() << " printed writes missing";
    EXPECT_GE(stored.size(), 300);
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "before", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
}

// ---- Transactions ----

TEST_F(RegistryStore, ATransactionKeepsAllItsWritesOrNone)
{
    const auto writeTwo = [](int32_t last) {
        return RegistryTransaction([last]() -> int32_t {
            HKEY key = 0;
            if (int32_t r = RegCreateKeyA(HKEY_CURRENT_USER, "Software\\T\\Inside", &key))
                return r;
            int32_t r = RegSetValueExA(key, "a", 0, REG_SZ, "1", 1);
            if (r == ERROR_SUCCESS)
                r = RegSetValueExA(key, "b", 0, REG_SZ, "2", 1);
            RegCloseKey(key);
            return r == ERROR_SUCCESS ? last : r;
        });
    };
    EXPECT_EQ(writeTwo(ERROR_INVALID_PARAMETER), ERROR_INVALID_PARAMETER);
    HKEY key = 0;
    // Undone with the values: the key created inside it.
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\T", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(writeTwo(ERROR_SUCCESS), ERROR_SUCCESS);
    RegistryCloseStore();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\T\\Inside", &key), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"a", "b"}));

    // Nested: a failing inner one is undone alone; a succeeding one lasts only with the outer.
    EXPECT_EQ(RegistryTransaction([key]() -> int32_t {
                  EXPECT_EQ(RegistryTransaction([key] {
                                RegSetValueExA(key, "undone", 0, REG_SZ, "x", 1);
                                return ERROR_ACCESS_DENIED;
                            }),
                            ERROR_ACCESS_DENIED);
                  EXPECT_EQ(RegistryTransaction([key] { return RegSetValueExA(key, "kept", 0, REG_SZ, "x", 1); }),
                            ERROR_SUCCESS);
                  return ERROR_SUCCESS;
              }),
              ERROR_SUCCESS);
    EXPECT_EQ(RegistryTransaction([key]() -> int32_t {
                  EXPECT_EQ(RegistryTransaction([key] { return RegSetValueExA(key, "lost", 0, REG_SZ, "x", 1); }),
                            ERROR_SUCCESS);
                  return ERROR_DISK_FULL;
              }),
              ERROR_DISK_FULL);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"a", "b", "kept"}));
    // A body that leaves by an exception is undone, and the store goes on working.
    EXPECT_THROW(RegistryTransaction([key]() -> int32_t {
                     RegSetValueExA(key, "thrown", 0, REG_SZ, "x", 1);
                     throw std::runtime_error("body failed");
                 }),
                 std::runtime_error);
    EXPECT_EQ(RegSetValueExA(key, "after", 0, REG_SZ, "x", 1), ERROR_SUCCESS);
    RegistryCloseStore();
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Software\\T\\Inside", &key), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"a", "b", "kept", "after"}));
    RegCloseKey(key);
}

TEST_F(RegistryStore, ATransactionOnAStoreThatCannotBeWrittenDoesNotRun)
{
    UseStore(dir.filePath(QStringLiteral("missing-folder/registry.db")));
    bool ran = false;
    EXPECT_EQ(RegistryTransaction([&ran] {
                  ran = true;
                  return ERROR_SUCCESS;
              }),
              ERROR_ACCESS_DENIED);
    EXPECT_FALSE(ran);
}

// ---- Another user's permissions ----

// File permissions do not bind root, and the tests may run as root: the store is then handed to
// an ordinary user (nobody), as whom a helper program reads and saves.
class StoreOfAnOrdinaryUser : public RegistryStore {
protected:
    static constexpr uid_t OrdinaryUser = 65534;
    static constexpr gid_t OrdinaryGroup = 65534;
    static constexpr const char* Path = "Software\\Quorvane\\WindowPosition";

    void SetUp() override
    {
        RegistryStore::SetUp();
        // A name that a URI would have to escape.
        folder = dir.filePath(QStringLiteral("user ?#%20ü"));
        file = folder + QStringLiteral("/registry.db");
        ASSERT_TRUE(QDir(dir.path()).mkdir(QFileInfo(folder).fileName()));
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        // A copy the user may run wherever the build lies.
        helperCopy = dir.filePath(QStringLiteral("registry_access"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/registry_access"), helperCopy));
        ASSERT_EQ(::chmod(QFile::encodeName(helperCopy).constData(), 0755), 0);
        UseStore(file);
        HKEY key = Create(Path);
        ASSERT_EQ(RegSetValueExA(key, "Left", 0, REG_DWORD, "\xDC\x05\0\0", 4), ERROR_SUCCESS); // 1500
        ASSERT_EQ(RegSetValueExA(key, "Top", 0, REG_DWORD, "\x84\x03\0\0", 4), ERROR_SUCCESS); // 900
        RegCloseKey(key);
        RegistryCloseStore();
        ASSERT_EQ(Files(), "registry.db");
        if (geteuid() == 0) {
            for (const QString& path : {folder, file})
                ASSERT_EQ(::chown(QFile::encodeName(path).constData(), OrdinaryUser, OrdinaryGroup), 0);
        }
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        RegistryStore::TearDown();
    }
    static void SetMode(const QString& path, mode_t mode)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
    }
    // The folder's files, in name order, separated by blanks.
    std::string Files() const
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name).join(QLatin1Char(' ')).toStdString();
    }

    // registry_access run as the ordinary user; its output lines. *errors (when given) gets what it
    // wrote on standard error.
    QStringList AsUser(const QStringList& args, QString* errors = nullptr) const
    {
        QProcess helper;
        helper.setChildProcessModifier([] {
            if (geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(OrdinaryGroup) != 0 ||
                                   ::setuid(OrdinaryUser) != 0))
                ::_exit(125);
        });
        helper.start(helperCopy, args);
        EXPECT_TRUE(helper.waitForFinished(60000));
        const QString written = QString::fromUtf8(helper.readAllStandardError());
        if (errors)
            *errors = written;
        EXPECT_EQ(helper.exitCode(), 0) << written.toStdString();
        return QString::fromUtf8(helper.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // Left and Top as the user reads them, separated by a blank.
    std::string Get() const
    {
        return AsUser({QStringLiteral("get"), QString::fromLatin1(Path), QStringLiteral("Left"), QStringLiteral("Top")})
            .join(QLatin1Char(' '))
            .toStdString();
    }
    std::string Set(int value) const
    {
        return AsUser({QStringLiteral("set"), QString::fromLatin1(Path), QStringLiteral("Left"), QString::number(value)})
            .join(QLatin1Char(' '))
            .toStdString();
    }

    QString folder;
    QString file;
    QString helperCopy;
};

const std::string Saved = "Success";
const std::string NotSaved = "No! Failed to save Value";

TEST_F(StoreOfAnOrdinaryUser, UnwritableFolderStillReadsButRefusesWrites)
{
    SetMode(folder, 0555);
    EXPECT_EQ(Get(), "1500 900");
    EXPECT_EQ(Set(1), NotSaved);
    EXPECT_EQ(Get(), "1500 900");
    EXPECT_EQ(Files(), "registry.db");
}

// A read-only start must leave nothing that breaks the saves of a later, writable one.
TEST_F(StoreOfAnOrdinaryUser, AReadOnlyFileIsReadWithoutLeavingFilesBehind)
{
    SetMode(file, 0444);
    EXPECT_EQ(Get(), "1500 900");
    EXPECT_EQ(Set(1), NotSaved);
    EXPECT_EQ(Files(), "registry.db");
    SetMode(file, 0644);
    EXPECT_EQ(Set(1200), Saved);
    EXPECT_EQ(Get(), "1200 900");
    EXPECT_EQ(Files(), "registry.db");
}

// Shared memory (and an empty log) that an earlier read-only opening left, read-only themselves.
TEST_F(StoreOfAnOrdinaryUser, ASaveRecoversFromFilesLeftByAReadOnlyOpening)
{
    SetMode(file, 0444);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(("file:" + QUrl::toPercentEncoding(file, "/") + "?mode=ro").constData(), &db,
                              SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "SELECT count(*) FROM vals", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    ASSERT_NE(Files().find("registry.db-shm"), std::string::npos) << Files();
    ASSERT_FALSE(QFileInfo(folder + QStringLiteral("/registry.db-shm")).permissions() & QFile::WriteOwner);
    SetMode(file, 0644);
    EXPECT_EQ(Set(1200), Saved);
    EXPECT_EQ(Get(), "1200 900");
    EXPECT_EQ(Files(), "registry.db");
}

// Settings this user cannot keep are not lost without a word: each run that meets the store says
// once on standard error which file it is and why, however many saves fail.
TEST_F(StoreOfAnOrdinaryUser, WhatThisUserMayNotWriteIsSaidOnce)
{
    struct Case {
        const char* what;
        mode_t folderMode, fileMode;
        bool storeThere;
        const char* said;
    } cases[] = {
        {"a folder that may not be written", 0555, 0644, true, "cannot be written: the folder may not be written"},
        {"a file that may not be written", 0755, 0444, true, "cannot be written: the file may not be written"},
        {"no store in a folder that may not be written", 0555, 0644, false,
         "cannot be made: the folder may not be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetMode(folder, 0755);
        if (!c.storeThere) {
            ASSERT_TRUE(QFile::remove(file));
        }
        SetMode(folder, c.folderMode);
        if (c.storeThere) {
            SetMode(file, c.fileMode);
        }
        QString errors;
        EXPECT_EQ(AsUser({QStringLiteral("set"), QString::fromLatin1(Path), QStringLiteral("Left"), QStringLiteral("1"),
                          QStringLiteral("Top"), QStringLiteral("2")},
                         &errors)
                      .join(QLatin1Char(' '))
                      .toStdString(),
                  NotSaved + " " + NotSaved);
        const QStringList lines = errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 1) << errors.toStdString();
        EXPECT_TRUE(lines[0].contains(file)) << errors.toStdString();
        EXPECT_TRUE(lines[0].contains(QString::fromLatin1(c.said))) << errors.toStdString();
        EXPECT_EQ(Get(), c.storeThere ? "1500 900" : "default default");
    }
}

} // namespace
