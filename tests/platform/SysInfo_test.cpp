#include "platform/SysInfo.h"

#include "SysInfoTestSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Answers = testing_support::ScopedSysInfoAnswers;

vb::OSVERSIONINFOA versionOf(const QByteArray& release)
{
    vb::SysInfoAnswers a;
    a.kernelRelease = release;
    a.systemName = QByteArray(200, 'x');
    Answers scope(a);
    vb::OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = sizeof info;
    EXPECT_NE(vb::GetVersionExA(&info), 0);
    return info;
}

TEST(SysInfoVersion, NumbersComeFromTheKernelRelease)
{
    struct Case {
        const char* release;
        uint32_t major, minor, build;
    };
    const Case cases[] = {
        {"6.8.0-45-generic", 6, 8, 0},
        {"5.15.167.4-microsoft-standard-WSL2", 5, 15, 167},
        {"6.1", 6, 1, 0},
        {"4.10.67766990", 4, 10, 67766990},
        {"7.2.99999999999999999999", 7, 2, UINT32_MAX},
        {"6-rc1", 6, 0, 0},
        {"weird", 0, 0, 0},
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        const vb::OSVERSIONINFOA info = versionOf(c.release);
        EXPECT_EQ(info.dwMajorVersion, c.major);
        EXPECT_EQ(info.dwMinorVersion, c.minor);
        EXPECT_EQ(info.dwBuildNumber, c.build);
        EXPECT_EQ(info.dwPlatformId, vb::VER_PLATFORM_WIN32_NT);
        // A long system name is cut to its field, with its NUL.
        EXPECT_EQ(QByteArray(info.szCSDVersion), QByteArray(127, 'x'));
    }
}

TEST(SysInfoVersion, RecordOfAnotherSizeIsRefused)
{
    vb::OSVERSIONINFOA info;
    info.dwOSVersionInfoSize = 100;
    EXPECT_EQ(vb::GetVersionExA(&info), 0);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(info.dwMajorVersion, 0u);
    EXPECT_EQ(vb::GetVersionExA(nullptr), 0);
}

TEST(SysInfoNames, ComputerNameFitsOrSaysWhatItNeeds)
{
    vb::SysInfoAnswers a;
    a.computerName = QByteArray("workstation");
    Answers scope(a);
    char buffer[12];
    uint32_t size = sizeof buffer;
    ASSERT_NE(vb::GetComputerNameA(buffer, &size), 0);
    EXPECT_STREQ(buffer, "workstation");
    EXPECT_EQ(size, 11u);

    char small[11] = "untouched";
    size = sizeof small;
    EXPECT_EQ(vb::GetComputerNameA(small, &size), 0);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_BUFFER_OVERFLOW);
    EXPECT_EQ(size, 12u);
    EXPECT_STREQ(small, "untouched");
}

TEST(SysInfoNames, RenamingTheComputerIsRefusedAndChangesNothing)
{
    char before[256] = {};
    uint32_t size = sizeof before;
    ASSERT_NE(vb::GetComputerNameA(before, &size), 0);
    EXPECT_EQ(vb::SetComputerNameA("elsewhere"), 0);
    EXPECT_EQ(vb::GetLastError(), ERROR_ACCESS_DENIED);
    char after[256] = {};
    size = sizeof after;
    vb::GetComputerNameA(after, &size);
    EXPECT_STREQ(after, before);
}

TEST(SysInfoNames, UserNameIsTheEffectiveUsersAndCountsItsNul)
{
    char buffer[100] = {};
    uint32_t size = sizeof buffer;
    ASSERT_NE(vb::GetUserNameA(buffer, &size), 0);
    EXPECT_FALSE(QByteArray(buffer).isEmpty());
    EXPECT_EQ(size, uint32_t(qstrlen(buffer)) + 1);

    uint32_t tiny = 1;
    char one[1] = {'?'};
    EXPECT_EQ(vb::GetUserNameA(one, &tiny), 0);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(tiny, size);
    EXPECT_EQ(one[0], '?');
}

TEST(SysInfoFolders, FixedFoldersAndTheirSizes)
{
    char buffer[260];
    EXPECT_EQ(vb::GetSystemDirectoryA(buffer, sizeof buffer), uint32_t(qstrlen(vb::SystemFolder)));
    EXPECT_STREQ(buffer, vb::SystemFolder);
    EXPECT_EQ(vb::GetWindowsDirectoryA(buffer, sizeof buffer), uint32_t(qstrlen(vb::WindowsFolder)));
    EXPECT_STREQ(buffer, vb::WindowsFolder);
    EXPECT_TRUE(QFileInfo(QString::fromLatin1(vb::SystemFolder)).isDir());
    EXPECT_TRUE(QFileInfo(QString::fromLatin1(vb::WindowsFolder)).isDir());
    // Too small: the size needed with the NUL, nothing written.
    char small[4] = "abc";
    EXPECT_EQ(vb::GetWindowsDirectoryA(small, sizeof small), uint32_t(qstrlen(vb::WindowsFolder)) + 1);
    EXPECT_STREQ(small, "abc");
}

class TempFolderTest : public testing_support::TempBaseTest {
protected:
    static QByteArray tempPath()
    {
        char buffer[300] = {};
        const uint32_t n = vb::GetTempPathA(sizeof buffer, buffer);
        EXPECT_EQ(n, uint32_t(qstrlen(buffer)));
        return QByteArray(buffer);
    }

    static bool privateAndOurs(const QByteArray& folder)
    {
        struct stat st{};
        return ::lstat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
               (st.st_mode & 0777) == 0700;
    }
};

TEST_F(TempFolderTest, IsAPrivateFolderOfTheUserCreatedOnFirstUse)
{
    const mode_t oldMask = ::umask(0277); // even a mask that takes the owner's rights
    const QByteArray path = tempPath();
    ::umask(oldMask);
    EXPECT_EQ(path, privateFolder + '/');
    EXPECT_TRUE(privateAndOurs(privateFolder));
    EXPECT_EQ(tempPath(), path);
}

TEST_F(TempFolderTest, PlantedOrForeignFoldersAreNeverUsed)
{
    QTemporaryDir elsewhere;
    struct Plant {
        const char* what;
        std::function<void(const QByteArray&)> make;
        bool needsRoot = false; // only root can give a folder away
    };
    const Plant plants[] = {
        {"link to another folder",
         [&](const QByteArray& at) { ASSERT_EQ(::symlink(elsewhere.path().toUtf8().constData(), at.constData()), 0); }},
        {"dangling link", [&](const QByteArray& at) { ASSERT_EQ(::symlink("/nonexistent/qv", at.constData()), 0); }},
        {"folder of another user",
         [&](const QByteArray& at) {
             ASSERT_EQ(::mkdir(at.constData(), 0700), 0);
             ASSERT_EQ(::chown(at.constData(), 65534, 65534), 0);
         },
         true},
        {"folder of ours open to others",
         [&](const QByteArray& at) {
             ASSERT_EQ(::mkdir(at.constData(), 0700), 0);
             ASSERT_EQ(::chmod(at.constData(), 0777), 0);
         }},
        {"file", [&](const QByteArray& at) { QFile f(QString::fromUtf8(at)); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); }},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.what);
        if (plant.needsRoot && ::geteuid() != 0)
            continue;
        // A base of its own for each case, so a fallback folder from the last one does not count.
        QTemporaryDir caseBase;
        qputenv("TMPDIR", caseBase.path().toUtf8());
        const QByteArray planted = caseBase.path().toUtf8() + "/quorvane-" + QByteArray::number(::geteuid());
        plant.make(planted);

        const QByteArray path = tempPath();
        ASSERT_FALSE(path.isEmpty());
        EXPECT_NE(path, planted + '/');
        // A fresh folder of ours beside the planted name instead, and the same one on the next call.
        EXPECT_TRUE(path.startsWith(planted + '.'));
        EXPECT_TRUE(privateAndOurs(path.chopped(1)));
        EXPECT_EQ(tempPath(), path);
        // Nothing was made in the link's target.
        EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    }
}

TEST_F(TempFolderTest, TooSmallABufferGetsTheSizeNeeded)
{
    char small[8] = "abcdefg";
    EXPECT_EQ(vb::GetTempPathA(sizeof small, small), uint32_t(privateFolder.size()) + 2);
    EXPECT_STREQ(small, "abcdefg");
}

TEST_F(TempFolderTest, NamesWithANumberAreRepeatableAndNotCreated)
{
    const QByteArray folder = tempPath();
    char name[300];
    struct Case {
        const char* prefix;
        uint32_t unique;
        const char* file;
    };
    const Case cases[] = {
        {"abcdef", 1, "abc1.TMP"},
        {"ab", 1, "ab1.TMP"},
        {"", 1, "1.TMP"},
        {"zz", 0x2A, "zz2A.TMP"},
        {"q", 0xFFFFFFFF, "qFFFFFFFF.TMP"},
        // Characters, not bytes: two- and four-byte characters stay whole.
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", 1, "\xC3\xA4\xC3\xB6\xC3\xBC" "1.TMP"},
        {"a\xF0\x9F\x98\x80\xE2\x82\xACz", 1, "a\xF0\x9F\x98\x80\xE2\x82\xAC" "1.TMP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        EXPECT_EQ(vb::GetTempFileNameA(folder, c.prefix, c.unique, name, sizeof name), c.unique);
        EXPECT_EQ(QByteArray(name), folder + c.file);
        EXPECT_FALSE(QFileInfo::exists(QString::fromUtf8(name)));
    }
    // A folder given without its trailing '/' gets one.
    EXPECT_EQ(vb::GetTempFileNameA(folder.chopped(1), "abc", 1, name, sizeof name), 1u);
    EXPECT_EQ(QByteArray(name), folder + "abc1.TMP");
}

TEST_F(TempFolderTest, NamesWithoutANumberAreCreatedPrivatelyAndNeverTwice)
{
    const QByteArray folder = tempPath();
    std::set<QByteArray> names;
    for (int i = 0; i < 3; ++i) {
        char name[300] = {};
        const uint32_t number = vb::GetTempFileNameA(folder, "tst", 0, name, sizeof name);
        ASSERT_NE(number, 0u);
        EXPECT_EQ(QByteArray(name), folder + "tst" + QByteArray::number(number, 16).toUpper() + ".TMP");
        struct stat st{};
        ASSERT_EQ(::lstat(name, &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        EXPECT_EQ(st.st_size, 0);
        names.insert(QByteArray(name));
    }
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(TempFolderTest, NamesThatWouldLeaveTheFolderOrNotFitAreRefused)
{
    const QByteArray folder = tempPath();
    char name[300] = "untouched";
    EXPECT_EQ(vb::GetTempFileNameA(folder, "../x", 1, name, sizeof name), 0u);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_INVALID_NAME);
    EXPECT_EQ(vb::GetTempFileNameA(folder, "a/b", 0, name, sizeof name), 0u);
    EXPECT_EQ(vb::GetTempFileNameA("", "abc", 1, name, sizeof name), 0u);
    EXPECT_EQ(vb::GetTempFileNameA(folder, "abc", 1, name, uint32_t(folder.size()) + 8), 0u);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_BUFFER_OVERFLOW);
    EXPECT_STREQ(name, "untouched");
    // A folder that is not there: nothing to create the file in.
    EXPECT_EQ(vb::GetTempFileNameA(folder + "missing/", "abc", 0, name, sizeof name), 0u);
    EXPECT_EQ(vb::GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(SysInfoScreen, CapabilitiesComeFromTheScreenUnlessSet)
{
    const vb::HDC dc = vb::GetDC(nullptr);
    ASSERT_NE(dc, 0);
    EXPECT_GT(vb::GetDeviceCaps(dc, vb::BITSPIXEL), 0);
    EXPECT_EQ(vb::GetDeviceCaps(dc, vb::PLANES), 1);
    EXPECT_GT(vb::GetDeviceCaps(dc, vb::LOGPIXELSX), 0);
    EXPECT_GT(vb::GetDeviceCaps(dc, vb::HORZRES), 0);
    EXPECT_EQ(vb::GetDeviceCaps(dc, 9999), 0);
    EXPECT_EQ(vb::GetDeviceCaps(0, vb::BITSPIXEL), 0);
    {
        vb::SysInfoAnswers a;
        a.bitsPerPixel = 16;
        a.planes = 2;
        a.dpi = 144;
        Answers scope(a);
        EXPECT_EQ(vb::GetDeviceCaps(dc, vb::BITSPIXEL), 16);
        EXPECT_EQ(vb::GetDeviceCaps(dc, vb::PLANES), 2);
        EXPECT_EQ(vb::GetDeviceCaps(dc, vb::LOGPIXELSX), 144);
        EXPECT_EQ(vb::GetDeviceCaps(dc, vb::LOGPIXELSY), 144);
    }
    EXPECT_EQ(vb::ReleaseDC(nullptr, dc), 1);
}

TEST(SysInfoScreen, WorkAreaIsARectangleOfTheScreen)
{
    vb::RECT r;
    ASSERT_NE(vb::SystemParametersInfoA(vb::SPI_GETWORKAREA, 0, &r, 0), 0);
    EXPECT_GT(r.right, r.left);
    EXPECT_GT(r.bottom, r.top);
    vb::SysInfoAnswers a;
    a.workArea = QRect(10, 20, 300, 400);
    Answers scope(a);
    vb::SystemParametersInfoA(vb::SPI_GETWORKAREA, 0, &r, 0);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 310);
    EXPECT_EQ(r.bottom, 420);
    EXPECT_EQ(vb::SystemParametersInfoA(vb::SPI_GETWORKAREA, 0, nullptr, 0), 0);
}

class ParametersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\SystemParameters");
    }
    static int32_t get(uint32_t action)
    {
        int32_t value = -99;
        EXPECT_NE(vb::SystemParametersInfoA(action, 0, &value, 0), 0);
        return value;
    }
    static void store(const char* name, uint32_t type, const QByteArray& data)
    {
        HKEY key = 0;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\SystemParameters", &key), ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, type, data.constData(), uint32_t(data.size()));
        RegCloseKey(key);
    }
};

TEST_F(ParametersTest, DefaultsUntilSetThenWhatWasSetEvenInTheNextProcess)
{
    EXPECT_EQ(get(vb::SPI_GETBEEP), 1);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVEACTIVE), 1);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVETIMEOUT), 600);

    EXPECT_NE(vb::SystemParametersInfoA(vb::SPI_SETBEEP, 0, nullptr, vb::SPIF_SENDCHANGE), 0);
    EXPECT_NE(vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0), 0);
    EXPECT_NE(vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVETIMEOUT, 90, nullptr, vb::SPIF_SENDCHANGE), 0);
    RegistryCloseStore(); // read back from the file, as another process would
    EXPECT_EQ(get(vb::SPI_GETBEEP), 0);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVEACTIVE), 0);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVETIMEOUT), 90);

    // Any nonzero number turns a flag on.
    EXPECT_NE(vb::SystemParametersInfoA(vb::SPI_SETBEEP, 0xFFFFFFFFu, nullptr, 0), 0);
    EXPECT_EQ(get(vb::SPI_GETBEEP), 1);
}

TEST_F(ParametersTest, BadTimeOutsAndUnknownActionsAreRefused)
{
    vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVETIMEOUT, 300, nullptr, 0);
    for (uint32_t bad : {0u, 0x80000000u, 0xFFFFFFFFu}) {
        EXPECT_EQ(vb::SystemParametersInfoA(vb::SPI_SETSCREENSAVETIMEOUT, bad, nullptr, 0), 0);
        EXPECT_EQ(vb::GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVETIMEOUT), 300);
    int32_t value = 0;
    EXPECT_EQ(vb::SystemParametersInfoA(4242, 0, &value, 0), 0);
    EXPECT_EQ(vb::SystemParametersInfoA(vb::SPI_GETBEEP, 0, nullptr, 0), 0);
}

TEST_F(ParametersTest, HostileStoredValuesReadAsTheDefault)
{
    store("Beep", REG_SZ, "no");
    store("ScreenSaveTimeOut", REG_DWORD, QByteArray("\xFF\xFF\xFF\xFF", 4));
    store("ScreenSaveActive", REG_DWORD, QByteArray("\0\0", 2));
    EXPECT_EQ(get(vb::SPI_GETBEEP), 1);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVETIMEOUT), 600);
    EXPECT_EQ(get(vb::SPI_GETSCREENSAVEACTIVE), 1);
}

TEST(SysInfoLocale, EnglishNameOfTheUsersLanguage)
{
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE", "German"}, {"fr_CA", "French"}, {"pt_BR", "Portuguese"}, {"C", "English"}, {"en_GB", "English"},
    };
    for (const auto& [locale, language] : cases) {
        SCOPED_TRACE(locale);
        vb::SysInfoAnswers a;
        a.localeName = QString::fromLatin1(locale);
        Answers scope(a);
        char buffer[100];
        const int32_t n = vb::GetLocaleInfoA(vb::GetUserDefaultLCID(), vb::LOCALE_SENGLANGUAGE, buffer, 100);
        EXPECT_STREQ(buffer, language);
        EXPECT_EQ(n, int32_t(qstrlen(language)) + 1);
        EXPECT_EQ(vb::GetLocaleInfoA(vb::LOCALE_USER_DEFAULT, vb::LOCALE_SENGLANGUAGE, nullptr, 0), n);
    }
}

TEST(SysInfoLocale, UnknownLocalesItemsAndSmallBuffersFail)
{
    vb::SysInfoAnswers a;
    a.localeName = QStringLiteral("de_DE");
    Answers scope(a);
    char buffer[4] = "abc";
    EXPECT_EQ(vb::GetLocaleInfoA(vb::LOCALE_USER_DEFAULT, vb::LOCALE_SENGLANGUAGE, buffer, 4), 0);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(vb::GetLocaleInfoA(0x0407, vb::LOCALE_SENGLANGUAGE, buffer, 4), 0);
    EXPECT_EQ(vb::GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(vb::GetLocaleInfoA(vb::LOCALE_USER_DEFAULT, 0x7777, buffer, 4), 0);
    EXPECT_EQ(vb::GetLastError(), vb::ERROR_INVALID_FLAGS);
    char country[100];
    EXPECT_GT(vb::GetLocaleInfoA(vb::LOCALE_USER_DEFAULT, vb::LOCALE_SENGCOUNTRY, country, 100), 0);
    EXPECT_STREQ(country, "Germany");
}

TEST(SysInfoIdentifiers, NewIdentifiersAreRandomVersionFour)
{
    vb::GUID a, b;
    ASSERT_EQ(vb::CoCreateGuid(&a), vb::S_OK);
    ASSERT_EQ(vb::CoCreateGuid(&b), vb::S_OK);
    EXPECT_NE(std::memcmp(&a, &b, sizeof a), 0);
    EXPECT_EQ(a.Data3 >> 12, 4);
    EXPECT_EQ(vb::CoCreateGuid(nullptr), vb::E_INVALIDARG);
}

TEST(SysInfoProfile, OneProfileNamedAndIdentified)
{
    vb::HW_PROFILE_INFOA info;
    ASSERT_NE(vb::GetCurrentHwProfileA(&info), 0);
    EXPECT_FALSE(QByteArray(info.szHwProfileName).isEmpty());
    const QByteArray id(info.szHwProfileGuid);
    EXPECT_EQ(id.size(), 38);
    EXPECT_TRUE(id.startsWith('{') && id.endsWith('}'));
    EXPECT_EQ(id, id.toUpper());
    // The machine's own id, where it has one.
    QFile machineId(QStringLiteral("/etc/machine-id"));
    if (machineId.open(QIODevice::ReadOnly)) {
        const QByteArray expected = machineId.readLine().trimmed().toUpper();
        if (expected.size() == 32) {
            EXPECT_EQ(QByteArray(id).replace("-", "").mid(1, 32), expected);
        }
    }
}

} // namespace
