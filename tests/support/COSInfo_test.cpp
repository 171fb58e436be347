#include "support/COSInfo.h"

#include "platform/SysInfo.h"
#include "SysInfoTestSupport.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

// The class's private helpers, for the cases that only they show.
struct COSInfoTestAccess {
    static QVariant RegistryGetKeyValue(HKEY hive, const QString& key, const QString& value)
    {
        return COSInfo::RegistryGetKeyValue(hive, key, value);
    }
    static QString TrimNulls(const QString& text) { return COSInfo::TrimNulls(text); }
};

namespace {

using testing_support::MsgBoxRecorder;

const QByteArray SetupKey = "Software\\Microsoft\\MS Setup (ACME)\\User Info";

using Answers = testing_support::ScopedSysInfoAnswers;

void storeValue(const QByteArray& key, const QByteArray& name, uint32_t type, const QByteArray& data)
{
    HKEY h = 0;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, key, &h), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(h, name, 0, type, data.constData(), uint32_t(data.size())), ERROR_SUCCESS);
    RegCloseKey(h);
}

QByteArray dword(int32_t v) { return QByteArray(reinterpret_cast<const char*>(&v), sizeof v); }

void expectOverflowBox(const MsgBoxRecorder& boxes, const char* member)
{
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error: 6. Overflow"));
    EXPECT_EQ(boxes.calls[0].Title, QString::fromLatin1(member));
    EXPECT_EQ(boxes.calls[0].Buttons, vb::vbOKOnly);
}

TEST(COSInfoScreen, DisplayColorsFromBitsTimesPlanes)
{
    struct Case {
        int bits, planes;
        int32_t colors;
    };
    const Case cases[] = {
        {16, 1, 65536}, {24, 1, 16777216}, {32, 1, -1}, {8, 1, 256}, {1, 4, 16}, {16, 2, -1}, {30, 1, 1073741824},
    };
    COSInfo os;
    MsgBoxRecorder boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits * c.planes);
        vb::SysInfoAnswers a;
        a.bitsPerPixel = c.bits;
        a.planes = c.planes;
        Answers scope(a);
        EXPECT_EQ(os.DisplayColors(), c.colors);
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(COSInfoScreen, DisplayColorsBeyondThirtyTwoBitsIsAnOverflow)
{
    for (int bits : {31, 48, 64}) {
        SCOPED_TRACE(bits);
        vb::SysInfoAnswers a;
        a.bitsPerPixel = bits;
        Answers scope(a);
        MsgBoxRecorder boxes;
        EXPECT_EQ(COSInfo().DisplayColors(), 0);
        expectOverflowBox(boxes, "DisplayColors");
    }
}

TEST(COSInfoScreen, LargeFontsOnlyAtExactly120Dpi)
{
    COSInfo os;
    for (const auto& [dpi, large] : {std::pair{96, false}, {120, true}, {144, false}, {119, false}}) {
        SCOPED_TRACE(dpi);
        vb::SysInfoAnswers a;
        a.dpi = dpi;
        Answers scope(a);
        EXPECT_EQ(os.LargeFonts(), large);
    }
}

TEST(COSInfoScreen, WorkAreaInPixels)
{
    vb::SysInfoAnswers a;
    a.workArea = QRect(0, 32, 1920, 1048);
    Answers scope(a);
    int16_t left = -1, top = -1, width = -1, height = -1;
    MsgBoxRecorder boxes;
    COSInfo().GetWorkArea(left, top, width, height);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 32);
    EXPECT_EQ(width, 1920);
    EXPECT_EQ(height, 1048);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(COSInfoScreen, WorkAreaBeyond16BitsIsAnOverflowAfterWhatFitted)
{
    vb::SysInfoAnswers a;
    a.workArea = QRect(-100, 5, 40000, 700);
    Answers scope(a);
    int16_t left = 1, top = 1, width = 1, height = 1;
    MsgBoxRecorder boxes;
    COSInfo().GetWorkArea(left, top, width, height);
    expectOverflowBox(boxes, "GetWorkArea");
    EXPECT_EQ(left, -100);
    EXPECT_EQ(top, 5);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 1);
}

class COSInfoSetupKey : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, SetupKey);
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, SetupKey); }
};

TEST_F(COSInfoSetupKey, MissingKeyOrValueGivesEmptyNames)
{
    MsgBoxRecorder boxes;
    COSInfo os;
    EXPECT_EQ(os.DefaultUserName(), QString());
    EXPECT_EQ(os.DefaultCompanyName(), QString());
    HKEY h = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SetupKey, 0, KEY_QUERY_VALUE, &h), ERROR_FILE_NOT_FOUND)
        << "reading must not create the key";
    storeValue(SetupKey, "DefCompany", REG_SZ, "Acme Ltd");
    EXPECT_EQ(os.DefaultUserName(), QString());
    EXPECT_EQ(os.DefaultCompanyName(), QStringLiteral("Acme Ltd"));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(COSInfoSetupKey, NamesAsStoredByType)
{
    struct Case {
        const char* what;
        uint32_t type;
        QByteArray data;
        QString name;
    };
    const Case cases[] = {
        {"text", REG_SZ, "Ann Example", QStringLiteral("Ann Example")},
        {"text with its NUL and more", REG_SZ, QByteArray("Ann\0junk", 8), QStringLiteral("Ann")},
        {"non-ASCII text", REG_SZ, "Zo\xC3\xAB", QStringLiteral(u"Zo\u00EB")},
        {"empty text", REG_SZ, "", QString()},
        {"number", REG_DWORD, dword(-42), QStringLiteral("-42")},
        {"binary", REG_BINARY, QByteArray("Ann\0", 4), QStringLiteral("Ann")},
        {"expandable text", REG_EXPAND_SZ, "%USER%", QString()},
        {"multiple texts", REG_MULTI_SZ, QByteArray("a\0b\0\0", 5), QString()},
        {"eight-byte number", REG_QWORD, QByteArray(8, '\1'), QString()},
    };
    MsgBoxRecorder boxes;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        storeValue(SetupKey, "DefName", c.type, c.data);
        EXPECT_EQ(COSInfo().DefaultUserName(), c.name);
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(COSInfoSetupKey, KeyValuesAsTheReaderGivesThem)
{
    using Access = COSInfoTestAccess;
    storeValue(SetupKey, "expand", REG_EXPAND_SZ, "%HOME%\\x");
    storeValue(SetupKey, "multi", REG_MULTI_SZ, QByteArray("one\0two\0\0", 9));
    storeValue(SetupKey, "binary", REG_BINARY, QByteArray("\x01\x02\x03", 3));
    storeValue(SetupKey, "emptyBinary", REG_BINARY, QByteArray());
    storeValue(SetupKey, "emptyText", REG_SZ, QByteArray());
    storeValue(SetupKey, "number", REG_DWORD, dword(7));
    storeValue(SetupKey, "shortNumber", REG_DWORD, QByteArray("\x05", 1));

    auto read = [&](const char* name) {
        return Access::RegistryGetKeyValue(HKEY_CURRENT_USER, QString::fromLatin1(SetupKey), QString::fromLatin1(name));
    };
    EXPECT_FALSE(read("expand").isValid());
    EXPECT_FALSE(read("multi").isValid());
    EXPECT_FALSE(read("emptyBinary").isValid());
    EXPECT_FALSE(read("missing").isValid());
    // Binary data comes with one NUL more than was stored.
    EXPECT_EQ(read("binary").toByteArray(), QByteArray("\x01\x02\x03\0", 4));
    const QVariant emptyText = read("emptyText");
    EXPECT_EQ(emptyText.typeId(), QMetaType::QString);
    EXPECT_EQ(emptyText.toString(), QString());
    EXPECT_EQ(read("number").typeId(), QMetaType::Int);
    EXPECT_EQ(read("number").toInt(), 7);
    EXPECT_EQ(read("shortNumber").toInt(), 5);
    EXPECT_FALSE(Access::RegistryGetKeyValue(HKEY_CURRENT_USER, QStringLiteral("Software\\Nothing\\Here"),
                                             QStringLiteral("x"))
                     .isValid());
}

TEST(COSInfoText, TrimNullsCutsAtTheFirstNul)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {QStringLiteral("plain"), QStringLiteral("plain")},
        {QString(QChar(0)) + QStringLiteral("after"), QString()},
        {QStringLiteral("one") + QChar(0) + QStringLiteral("two") + QChar(0), QStringLiteral("one")},
        {QStringLiteral("blanks   ") + QChar(0), QStringLiteral("blanks   ")},
    };
    for (const auto& [text, trimmed] : cases)
        EXPECT_EQ(COSInfoTestAccess::TrimNulls(text), trimmed);
}

TEST(COSInfoIdentifiers, GuidIsBracedUpperCaseAndNew)
{
    const QRegularExpression form(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    COSInfo os;
    std::set<QString> seen;
    for (int i = 0; i < 1000; ++i) {
        const QString id = os.GUID();
        ASSERT_EQ(id.size(), 38);
        ASSERT_TRUE(form.match(id).hasMatch()) << id.toStdString();
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

class COSInfoTemp : public testing_support::TempBaseTest {
protected:
    QString folder;
    void SetUp() override
    {
        TempBaseTest::SetUp();
        folder = QString::fromUtf8(privateFolder) + QLatin1Char('/');
    }
};

TEST_F(COSInfoTemp, TempPathIsTheUsersPrivateFolder)
{
    MsgBoxRecorder boxes;
    EXPECT_EQ(COSInfo().TempPath(), folder);
    struct stat st{};
    ASSERT_EQ(::lstat(folder.toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(COSInfoTemp, TempFileGivesTheSameUncreatedNameEveryTime)
{
    COSInfo os;
    MsgBoxRecorder boxes;
    const QString name = os.TempFile(QStringLiteral("qvsession"));
    EXPECT_EQ(name, folder + QStringLiteral("qvs1.TMP"));
    EXPECT_EQ(os.TempFile(QStringLiteral("qvsession")), name);
    EXPECT_FALSE(QFileInfo::exists(name));
    EXPECT_EQ(os.TempFile(QStringLiteral("ab")), folder + QStringLiteral("ab1.TMP"));
    EXPECT_EQ(os.TempFile(QString()), folder + QStringLiteral("1.TMP"));
    // Three characters, whatever their size in bytes, a character outside the 16-bit range too.
    EXPECT_EQ(os.TempFile(QStringLiteral("äöüß")), folder + QStringLiteral("äöü1.TMP"));
    EXPECT_EQ(os.TempFile(QStringLiteral("a😀€z")), folder + QStringLiteral("a😀€1.TMP"));
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(COSInfoTemp, TempFileNeverNamesAPlaceOutsideTheFolder)
{
    COSInfo os;
    EXPECT_EQ(os.TempFile(QStringLiteral("../etc")), QString());
    EXPECT_EQ(os.TempFile(QStringLiteral("a/b")), QString());
}

TEST_F(COSInfoTemp, NoTemporaryFolderGivesEmptyNamesNotBlanks)
{
    // Under a base that is not a folder nothing private can be made.
    QFile plain(base.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("TMPDIR", plain.fileName().toUtf8());
    MsgBoxRecorder boxes;
    COSInfo os;
    EXPECT_EQ(os.TempPath(), QString());
    EXPECT_EQ(os.TempFile(QStringLiteral("abc")), QString());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(COSInfoVersion, VersionAndBuildFromTheRelease)
{
    struct Case {
        const char* release;
        int32_t major, minor, build;
    };
    const Case cases[] = {
        {"6.8.12-generic", 6, 8, 12},
        {"10.0.40000", 10, 0, 40000 & 32767},
        // A build with a version in its high word (0x040A0ACE) keeps only its low 15 bits.
        {"4.10.67766990", 4, 10, 2766},
        {"5.4.32767", 5, 4, 32767},
        {"5.4.32768", 5, 4, 0},
    };
    COSInfo os;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        vb::SysInfoAnswers a;
        a.kernelRelease = QByteArray(c.release);
        a.systemName = QByteArray("Example OS 1.0");
        Answers scope(a);
        EXPECT_EQ(os.OSMajorVersion(), c.major);
        EXPECT_EQ(os.OSMinorVersion(), c.minor);
        EXPECT_EQ(os.OSBuild(), c.build);
        EXPECT_EQ(os.OSAdditional(), QStringLiteral("Example OS 1.0"));
        EXPECT_EQ(os.WindowsType(), 2);
    }
}

TEST(COSInfoSettings, LetIsReadBackByTheNextGet)
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane\\SystemParameters");
    MsgBoxRecorder boxes;
    COSInfo os;
    EXPECT_TRUE(os.Beep());
    os.Beep(false);
    EXPECT_FALSE(COSInfo().Beep());
    os.Beep(true);
    EXPECT_TRUE(os.Beep());

    EXPECT_TRUE(os.ScreenSaverActive());
    os.ScreenSaverActive(false);
    EXPECT_FALSE(os.ScreenSaverActive());

    EXPECT_EQ(os.ScreenSaverTimeout(), 600);
    os.ScreenSaverTimeout(120);
    EXPECT_EQ(os.ScreenSaverTimeout(), 120);
    // A time-out the system refuses leaves the last one.
    os.ScreenSaverTimeout(-5);
    os.ScreenSaverTimeout(0);
    EXPECT_EQ(os.ScreenSaverTimeout(), 120);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(COSInfoNames, NamesFoldersAndLanguageOfThisSystem)
{
    vb::SysInfoAnswers a;
    a.computerName = QByteArray("deskbox");
    a.userName = QByteArray("ann");
    a.localeName = QStringLiteral("de_AT");
    Answers scope(a);
    MsgBoxRecorder boxes;
    COSInfo os;
    EXPECT_EQ(os.ComputerName(), QStringLiteral("deskbox"));
    // Renaming is not allowed here: nothing changes and nothing is shown.
    os.ComputerName(QStringLiteral("other"));
    EXPECT_EQ(os.ComputerName(), QStringLiteral("deskbox"));
    EXPECT_EQ(os.UserName(), QStringLiteral("ann"));
    EXPECT_EQ(os.Language(), QStringLiteral("German"));
    EXPECT_EQ(os.SystemDirectory(), QString::fromLatin1(vb::SystemFolder));
    EXPECT_EQ(os.WindowsDirectory(), QString::fromLatin1(vb::WindowsFolder));
    EXPECT_FALSE(os.CurrentHardwareProfile().isEmpty());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST(COSInfoNames, AnswersOfThisSystemComeWithoutErrors)
{
    MsgBoxRecorder boxes;
    COSInfo os;
    EXPECT_FALSE(os.UserName().isEmpty());
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    EXPECT_EQ(os.ComputerName(), QString::fromUtf8(host));
    EXPECT_GT(os.OSMajorVersion(), 0);
    EXPECT_NE(os.DisplayColors(), 0);
    EXPECT_FALSE(os.Language().trimmed().isEmpty());
    int16_t left = 0, top = 0, width = 0, height = 0;
    os.GetWorkArea(left, top, width, height);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_TRUE(boxes.calls.empty());
}

} // namespace
