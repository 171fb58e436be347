// The most-recently-used file list: entries, menu captions, and both kinds of storage.
#include "support/cMRUFileList.h"

#include "FreshRegistry.h"
#include "TestSupport.h"
#include "platform/VbError.h"
#include "support/cRegistry.h"
#include "support/modErrorReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <grp.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString ListKey = QStringLiteral("Software\\Quorvane\\Recent");
constexpr uid_t NobodyId = 65534;

template <class Body>
int32_t RaisedNumber(Body&& body)
{
    try {
        body();
    } catch (const vb::VbError& e) {
        return e.Number;
    }
    return 0;
}

class RecentFiles : public FreshRegistry {
protected:
    void SetUp() override
    {
        FreshRegistry::SetUp();
        ASSERT_TRUE(dir.isValid());
        MRUFolder = dir.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        MRUFolder.clear();
        FreshRegistry::TearDown();
    }
    // Creates a file in the test folder and gives its full path.
    QString Touch(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        return path;
    }
    QString ListFile() const { return dir.filePath(QStringLiteral("mru.ini")); }
    void WriteList(const QByteArray& text)
    {
        QFile f(ListFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray ListText() const { return TextOf(ListFile()); }
    static QByteArray TextOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    static QStringList Entries(const cMRUFileList& list)
    {
        QStringList out;
        for (int32_t i = 1; i <= list.FileCount(); ++i)
            out << list.FILE(i);
        return out;
    }
    static cRegistry ListRegistry()
    {
        cRegistry r;
        r.setClassKey(HKEY_CURRENT_USER);
        r.setSectionKey(ListKey);
        return r;
    }

    QTemporaryDir dir;
    ErrorReportRecorder reports;
};

TEST_F(RecentFiles, ANewListHasNoRoomUntilItsMaximumIsSet)
{
    cMRUFileList list;
    const QString file = Touch(QStringLiteral("a.txt"));
    EXPECT_EQ(RaisedNumber([&] { list.AddFile(file); }), 9);
    EXPECT_EQ(list.FileCount(), 0);
    EXPECT_EQ(list.MaxFileCount(), 0);
    list.setMaxFileCount(0);
    EXPECT_EQ(RaisedNumber([&] { list.FILE(1); }), 9);
    for (int32_t bad : {-1, MRUMaxFileCountLimit + 1})
        EXPECT_EQ(RaisedNumber([&] { list.setMaxFileCount(bad); }), 9);
    EXPECT_EQ(list.MaxFileCount(), 0);
}

TEST_F(RecentFiles, AddingPutsTheFileOnTopAndAFullListDropsTheOldest)
{
    cMRUFileList list;
    list.setMaxFileCount(6);
    QStringList added;
    for (int i = 1; i <= 7; ++i) {
        added.prepend(Touch(QStringLiteral("f%1.txt").arg(i)));
        list.AddFile(added.first());
    }
    EXPECT_EQ(list.FileCount(), 6);
    EXPECT_EQ(Entries(list), added.mid(0, 6));
    // Re-adding moves the file up without growing the list.
    list.AddFile(added[3]);
    EXPECT_EQ(list.FILE(1), added[3]);
    EXPECT_EQ(list.FILE(4), added[2]);
    EXPECT_EQ(list.FileCount(), 6);
    EXPECT_TRUE(list.FileExists(6));
}

TEST_F(RecentFiles, OnlyAnExistingPlainFileOfExactlyThatNameIsAdded)
{
    cMRUFileList list;
    list.setMaxFileCount(6);
    const QString star = Touch(QStringLiteral("a*b.txt"));
    Touch(QStringLiteral("one.txt"));
    Touch(QStringLiteral(".hidden"));
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    for (const QString& name : {QStringLiteral("missing.txt"), QStringLiteral(".hidden"), QStringLiteral("folder"),
                                QStringLiteral("*.txt"), QStringLiteral("on?.txt"), QString()})
        list.AddFile(name.isEmpty() ? name : dir.filePath(name));
    EXPECT_EQ(list.FileCount(), 0);
    list.AddFile(star);
    EXPECT_EQ(Entries(list), QStringList{star});
    EXPECT_EQ(RaisedNumber([&] { list.AddFile(dir.filePath(QStringLiteral("bad")) + QChar(u'\0')); }), 52);
    EXPECT_EQ(list.FileCount(), 1);
}

TEST_F(RecentFiles, SpellingsThatDifferInCaseAreOneEntryOnlyWhenTheyNameOneFile)
{
    cMRUFileList list;
    list.setMaxFileCount(6);
    // Two files here: both are listed.
    const QString lower = Touch(QStringLiteral("notes.txt"));
    const QString upper = Touch(QStringLiteral("Notes.txt"));
    list.AddFile(lower);
    list.AddFile(upper);
    EXPECT_EQ(Entries(list), (QStringList{upper, lower}));
    // One file under two spellings, as a case-insensitive file system has it: one entry, the new
    // spelling on top.
    const QString report = Touch(QStringLiteral("report.txt"));
    const QString REPORT = dir.filePath(QStringLiteral("REPORT.TXT"));
    ASSERT_TRUE(::link(QFile::encodeName(report).constData(), QFile::encodeName(REPORT).constData()) == 0);
    list.AddFile(report);
    list.AddFile(upper);
    list.AddFile(REPORT);
    EXPECT_EQ(Entries(list), (QStringList{REPORT, upper, lower}));
}

TEST_F(RecentFiles, MenuCaptionsShortenLongPathsAtTheirSeparators)
{
    struct Case {
        QString path;
        QString caption;
    } cases[] = {
        {QStringLiteral("C:\\Projects\\Clients\\Reports\\Quarterly\\summary.txt"),
         QStringLiteral("&1)  ...\\Reports\\Quarterly\\summary.txt")},
        {QStringLiteral("C:/Projects/Clients/Reports/Quarterly/summary.txt"),
         QStringLiteral("&2)  .../Reports/Quarterly/summary.txt")},
        {QStringLiteral("C:\\a\\bcdefghijklmnopqrstuvwxyz123"), QStringLiteral("&3)  C:\\a\\bcdefghijklmnopqrstuvwxyz123")},
        {QStringLiteral("/a/b/cdefghijklmnopqrstuvwxyz1234"), QStringLiteral("&4)  /a/b/cdefghijklmnopqrstuvwxyz1234")},
        {QStringLiteral("C:\\Data\\notes.txt"), QStringLiteral("&5)  C:\\Data\\notes.txt")},
        {QString(40, QLatin1Char('x')), QStringLiteral("&6)  ") + QString(40, QLatin1Char('x'))},
        {QStringLiteral("/d/") + QString(40, QLatin1Char('n')), QStringLiteral("&7)  .../") + QString(40, QLatin1Char('n'))},
        {QStringLiteral("/Tom & Jerry.txt"), QStringLiteral("&8)  /Tom && Jerry.txt")},
    };
    QByteArray text = "MaxCount,8\r\nCount,8\r\n";
    for (const Case& c : cases)
        text += "File," + c.path.toUtf8() + "\r\n";
    WriteList(text);
    cMRUFileList list;
    list.MRU_Read();
    ASSERT_EQ(list.FileCount(), 8);
    for (int32_t i : {1, 2})
        EXPECT_EQ(list.FILE(i).size(), 49);
    for (int32_t i : {3, 4})
        EXPECT_EQ(list.FILE(i).size(), 33);
    for (int32_t i = 1; i <= 8; ++i)
        EXPECT_EQ(list.MenuCaption(i), cases[i - 1].caption);
    EXPECT_EQ(RaisedNumber([&] { list.MenuCaption(9); }), 9);
}

TEST_F(RecentFiles, TheFirstLoadWithoutAFileStartsAnEmptyListOfSix)
{
    const mode_t userMask = ::umask(022);
    cMRUFileList list;
    EXPECT_TRUE(list.Load(false));
    EXPECT_EQ(list.MaxFileCount(), 6);
    EXPECT_EQ(list.FileCount(), 0);
    EXPECT_EQ(ListText(), "MaxCount,6\r\nCount,0\r\n");
    EXPECT_TRUE(reports.calls.empty());
    // A new list is an ordinary file as the user's creation mask allows it; a list made private
    // stays private when it is saved again.
    const auto mode = [this] {
        struct stat st {};
        return ::stat(QFile::encodeName(ListFile()).constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
    };
    EXPECT_EQ(mode(), 0644u);
    ASSERT_EQ(::chmod(QFile::encodeName(ListFile()).constData(), 0600), 0);
    ASSERT_TRUE(list.Save(false));
    EXPECT_EQ(mode(), 0600u);
    ASSERT_TRUE(QFile::remove(ListFile()));
    ::umask(077);
    const bool saved = list.Save(false);
    ::umask(userMask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(mode(), 0600u);
}

TEST_F(RecentFiles, LoadingWithoutAFileEmptiesAListThatHeldEntries)
{
    for (const int32_t max : {6, 10}) {
        SCOPED_TRACE(max);
        reports.calls.clear();
        cMRUFileList list;
        list.setMaxFileCount(max);
        for (int32_t i = 0; i < max - 2; ++i)
            list.AddFile(Touch(QStringLiteral("f%1").arg(i)));
        ASSERT_TRUE(list.Save(false));
        ASSERT_TRUE(QFile::remove(ListFile()));
        EXPECT_TRUE(list.Load(false));
        EXPECT_EQ(list.MaxFileCount(), 6);
        EXPECT_EQ(list.FileCount(), 0);
        EXPECT_EQ(ListText(), "MaxCount,6\r\nCount,0\r\n");
        EXPECT_TRUE(reports.calls.empty());
    }
}

TEST_F(RecentFiles, FileEntriesFollowTheFilesOrderNotTheirNumbers)
{
    WriteList("MaxCount,6\r\nCount,2\r\nFile9,/b.txt\r\nFile1,/a.txt\r\n");
    cMRUFileList list;
    EXPECT_TRUE(list.Load(false));
    EXPECT_EQ(Entries(list), (QStringList{QStringLiteral("/b.txt"), QStringLiteral("/a.txt")}));
}

TEST_F(RecentFiles, AwkwardPathsRoundTripThroughTheFileAndPlainOnesStayUnquoted)
{
    // Relative names, so that a path can begin with a blank or a double quote.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    cMRUFileList list;
    list.setMaxFileCount(6);
    const QString plain = Touch(QStringLiteral("plain.txt"));
    const QString comma = Touch(QStringLiteral("a,b.txt"));
    Touch(QStringLiteral(" lead.txt"));
    Touch(QStringLiteral("\"q\".txt"));
    for (const QString& p : {plain, comma, QStringLiteral(" lead.txt"), QStringLiteral("\"q\".txt")})
        list.AddFile(p);
    ASSERT_EQ(list.FileCount(), 4);
    ASSERT_TRUE(list.Save(false));
    EXPECT_EQ(ListText(), "MaxCount,6\r\nCount,4\r\nFile1,\"\"\"q\"\".txt\"\r\nFile2,\" lead.txt\"\r\nFile3,\"" +
                              comma.toUtf8() + "\"\r\nFile4," + plain.toUtf8() + "\r\n");
    cMRUFileList back;
    back.Load(false);
    EXPECT_EQ(Entries(back), Entries(list));
    EXPECT_TRUE(reports.calls.empty());
    QDir::setCurrent(previous);
}

TEST_F(RecentFiles, LoweringTheMaximumKeepsTheCountButNotTheEntriesBeyondIt)
{
    cMRUFileList list;
    list.setMaxFileCount(6);
    for (const char* name : {"a", "b", "c"})
        list.AddFile(Touch(QString::fromLatin1(name)));
    list.setMaxFileCount(2);
    EXPECT_EQ(list.FileCount(), 3);
    EXPECT_EQ(list.FILE(2), dir.filePath(QStringLiteral("b")));
    EXPECT_EQ(RaisedNumber([&] { list.FILE(3); }), 9);
    // Saving now fails at entry 3: reported, and the answer says so.
    EXPECT_FALSE(list.Save(false));
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 9);
    EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("MRU_Save"));
}

TEST_F(RecentFiles, AFailedWriteKeepsTheOldListAndALinkIsReplacedNotWrittenThrough)
{
    cMRUFileList list;
    list.setMaxFileCount(6);
    list.AddFile(Touch(QStringLiteral("a.txt")));

    const QString target = Touch(QStringLiteral("precious"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    ASSERT_TRUE(QFile::link(target, ListFile()));
    ASSERT_TRUE(list.Save(false));
    EXPECT_FALSE(QFileInfo(ListFile()).isSymLink());
    EXPECT_TRUE(ListText().startsWith("MaxCount,6\r\nCount,1\r\nFile1,"));
    QFile kept(target);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
    EXPECT_TRUE(reports.calls.empty());

    // A write that fails half-way (here: the file-size limit) leaves the old list as it was.
    const QByteArray before = ListText();
    list.AddFile(Touch(QStringLiteral("b.txt")));
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved16 = list.Save(false);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_FALSE(saved16);
    EXPECT_EQ(ListText(), before);
    ASSERT_EQ(reports.calls.size(), 1u);
    EXPECT_EQ(reports.calls[0].ErrNum, 75);
    EXPECT_EQ(reports.calls[0].ModuleName, QStringLiteral("cMRUFileList"));
    EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("MRU_Save"));
    EXPECT_TRUE(reports.calls[0].ExtraDesc.isEmpty());
    // Nothing but the list is left in the folder: no temporary files.
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("mru.ini*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("mru.ini")});
}

// ---- An ordinary user's permissions ----

// Runs body in a child process as an ordinary user (nobody, when the tests run as root, whom file
// permissions do not bind) and gives its exit code; -1 when it did not end by itself.
int AsOrdinaryUser(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(NobodyId) != 0 || ::setuid(NobodyId) != 0))
            ::_exit(125);
        ::_exit(body());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Run as root, the tests hand the user's files to nobody; otherwise they are the user's already.
void GiveToOrdinaryUser(const QString& path)
{
    if (geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), NobodyId, NobodyId), 0) << path.toStdString();
    }
}

struct Owner {
    uid_t uid;
    gid_t gid;
    mode_t mode;
    bool operator==(const Owner&) const = default;
};

std::optional<Owner> OwnerOf(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Owner{st.st_uid, st.st_gid, st.st_mode & 07777};
}

TEST_F(RecentFiles, SavingIsRefusedOnlyWhereTheFileMayNotBeWrittenAndKeepsItsOwnerAndMode)
{
    struct Case {
        const char* what;
        bool fileThere;
        mode_t fileMode;
        bool rootsFile; // (the tests must run as root to make one)
        mode_t folderMode;
        bool saved; // the new list is in the file; otherwise error 75 and the file as it was
    } cases[] = {
        {"read-only file", true, 0444, false, 0755, false},
        {"root's file in the user's folder", true, 0644, true, 0755, false},
        {"no file in a folder the user cannot write", false, 0, false, 0555, false},
        {"writable file in a folder the user cannot write", true, 0640, false, 0555, true},
        {"root's file that the user may write", true, 0666, true, 0755, true},
        {"the user's private file", true, 0600, false, 0755, true},
    };
    const bool root = geteuid() == 0;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString folder = dir.filePath(QStringLiteral("user"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("user")));
    GiveToOrdinaryUser(folder);
    MRUFolder = folder + QLatin1Char('/');
    const QString file = folder + QStringLiteral("/mru.ini");
    const QByteArray old = "MaxCount,6\r\nCount,0\r\n";

    cMRUFileList list;
    list.setMaxFileCount(6);
    list.AddFile(Touch(QStringLiteral("a.txt")));
    const QByteArray saved = "MaxCount,6\r\nCount,1\r\nFile1," + QFile::encodeName(dir.filePath(QStringLiteral("a.txt"))) +
                             "\r\n";
    for (const Case& c : cases) {
        if (c.rootsFile && !root)
            continue;
        SCOPED_TRACE(c.what);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QFile::remove(file);
        if (c.fileThere) {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(old);
            f.close();
            ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), c.fileMode), 0);
            if (!c.rootsFile)
                GiveToOrdinaryUser(file);
        }
        const std::optional<Owner> before = OwnerOf(file);
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), c.folderMode), 0);

        const int outcome = AsOrdinaryUser([&] {
            if (list.Save(false))
                return reports.calls.empty() ? 0 : 254;
            const bool reported = reports.calls.size() == 1 && reports.calls[0].ModuleName == "cMRUFileList" &&
                                  reports.calls[0].ProcName == "MRU_Save" &&
                                  reports.calls[0].ErrDesc.startsWith("Path/File access error");
            return reported ? int(reports.calls[0].ErrNum) : 253;
        });

        EXPECT_EQ(outcome, c.saved ? 0 : 75);
        const QByteArray expected = c.saved ? saved : c.fileThere ? old : QByteArray("<none>");
        EXPECT_EQ(TextOf(file).toStdString(), expected.toStdString());
        EXPECT_EQ(OwnerOf(file), before);
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  c.fileThere ? QStringList{QStringLiteral("mru.ini")} : QStringList{});
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_TRUE(reports.calls.empty());
}

TEST_F(RecentFiles, MalformedListFilesAreReportedAndWhatCameBeforeStays)
{
    struct Case {
        const char* what;
        QByteArray text;
        int32_t reported; // 0: nothing reported
        int32_t max;
        QStringList entries;
    } cases[] = {
        {"count not a number", "MaxCount,6\r\nCount,abc\r\nFile1,/a\r\n", 13, 6, {}},
        {"more entries than the maximum", "MaxCount,2\r\nCount,3\r\nFile1,/a\r\nFile2,/b\r\nFile3,/c\r\n", 9, 2,
         {"/a", "/b"}},
        {"empty file", "", 0, 0, {}},
        {"huge maximum", "MaxCount,2000000000\r\nCount,1\r\nFile1,/a\r\n", 0, MRUMaxFileCountLimit, {"/a"}},
        {"maximum of 0", "MaxCount,0\r\nCount,0\r\n", 0, 0, {}},
        {"negative maximum", "MaxCount,-3\r\nCount,0\r\n", 9, 0, {}},
        {"count above the entries", "MaxCount,6\r\nCount,99\r\nFile1,/a\r\nFile2,/b\r\n", 0, 6, {"/a", "/b"}},
        {"negative count", "MaxCount,6\r\nCount,-5\r\nFile1,/a\r\n", 0, 6, {}},
        {"count at the end", "MaxCount,6\r\nFile1,/a\r\nCount", 62, 6, {}},
        {"blank line stops", "MaxCount,6\r\nCount,2\r\nFile1,/a\r\n\r\nFile2,/b\r\n", 0, 6, {"/a"}},
        {"line ends of LF only", "MaxCount,6\nCount,1\nFile1,/a\n", 0, 6, {"/a"}},
        {"endless field", "MaxCount,6\r\nCount,1\r\nFile1," + QByteArray(40000, 'x'), 59, 6, {}},
    };
    for (const Case& c : cases) {
        reports.calls.clear();
        WriteList(c.text);
        cMRUFileList list;
        list.MRU_Read();
        if (c.reported) {
            ASSERT_EQ(reports.calls.size(), 1u) << c.what;
            EXPECT_EQ(reports.calls[0].ErrNum, c.reported) << c.what;
            EXPECT_EQ(reports.calls[0].ModuleName, QStringLiteral("cMRUFileList"));
            EXPECT_EQ(reports.calls[0].ProcName, QStringLiteral("MRU_Read"));
            EXPECT_TRUE(reports.calls[0].ExtraDesc.isEmpty());
        } else {
            EXPECT_TRUE(reports.calls.empty()) << c.what;
        }
        EXPECT_EQ(list.MaxFileCount(), c.max) << c.what;
        EXPECT_EQ(Entries(list), c.entries) << c.what;
    }
}

// Generated list files, from well-formed pieces and junk: reading never crashes, and the list it
// leaves is usable (its count within its entries and its maximum).
TEST_F(RecentFiles, GeneratedListFilesNeverLeaveAnUnusableList)
{
    const QByteArray pieces[] = {"MaxCount", "Count", "File1", ",", "\r\n", "\n", "\r", "\"", "\"\"", " ", "6",
                                 "-1", "0", "99999999999", "2000000000", "abc", "/a/b", "\0", "\xff\xfe", "%X%"};
    QRandomGenerator random(20160831);
    for (int round = 0; round < 1500; ++round) {
        QByteArray text;
        const int length = int(random.bounded(40));
        for (int i = 0; i < length; ++i) {
            if (random.bounded(8) == 0)
                text.append(char(random.bounded(256)));
            else
                text += pieces[random.bounded(int(std::size(pieces)))];
        }
        WriteList(text);
        cMRUFileList list;
        list.MRU_Read();
        ASSERT_GE(list.FileCount(), 0) << text.toHex().constData();
        ASSERT_LE(list.FileCount(), list.MaxFileCount()) << text.toHex().constData();
        for (int32_t i = 1; i <= list.FileCount(); ++i)
            list.MenuCaption(i);
        ASSERT_TRUE(list.Save(false)) << text.toHex().constData();
        cMRUFileList again;
        again.MRU_Read();
        ASSERT_EQ(Entries(again), Entries(list)) << text.toHex().constData();
    }
}

TEST_F(RecentFiles, RegistryStorageRoundTripsAndStoresABlankForAnEmptyEntry)
{
    qputenv("QV_MRU_DIR", QFile::encodeName(dir.path()));
    const QString real = Touch(QStringLiteral("env.txt"));
    WriteList("MaxCount,5\r\nCount,2\r\nFile1,%QV_MRU_DIR%/env.txt\r\nFile2,\r\n");
    cMRUFileList list;
    list.Load(false);
    ASSERT_EQ(list.FileCount(), 2);
    cRegistry reg = ListRegistry();
    EXPECT_TRUE(list.Save(true, &reg));
    uint32_t type = 0;
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "MaxCount"), QByteArray("\5\0\0\0", 4));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "Count"), QByteArray("\2\0\0\0", 4));
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File1", &type), QByteArray("%QV_MRU_DIR%/env.txt\0", 21));
    EXPECT_EQ(type, REG_EXPAND_SZ);
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File2", &type), QByteArray(" \0", 2));
    EXPECT_EQ(type, REG_SZ);

    // The blank entry names no file and is dropped; the other comes back expanded.
    cMRUFileList back;
    EXPECT_TRUE(back.Load(true, &reg));
    EXPECT_EQ(back.MaxFileCount(), 5);
    EXPECT_EQ(Entries(back), QStringList{real});
    EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File2"), "<no value>");
}

TEST_F(RecentFiles, APercentNameComesBackAsSavedUnlessItsExpansionNamesAFile)
{
    // '%' is an ordinary character in a file name; the registry stores such a path for expansion.
    qputenv("QV_MRU_PART", "part");
    ASSERT_FALSE(qgetenv("HOME").isEmpty());
    struct Case {
        QString name;     // the file that exists
        QString expanded; // the name the stored text expands to
    } cases[] = {
        {QStringLiteral("report%HOME%.txt"), QStringLiteral("report") + qEnvironmentVariable("HOME") + QStringLiteral(".txt")},
        {QStringLiteral("50%QV_MRU_PART%off.txt"), QStringLiteral("50partoff.txt")},
    };
    for (const Case& c : cases) {
        const QString saved = Touch(c.name);
        cMRUFileList list;
        list.setMaxFileCount(6);
        list.AddFile(saved);
        cRegistry reg = ListRegistry();
        ASSERT_TRUE(list.Save(true, &reg));
        uint32_t type = 0;
        ASSERT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File1", &type), QFile::encodeName(saved) + '\0');
        ASSERT_EQ(type, REG_EXPAND_SZ);

        // The expansion names no file: the entry stays as it was saved, and so does its value.
        cMRUFileList back;
        EXPECT_TRUE(back.Load(true, &reg));
        EXPECT_EQ(Entries(back), QStringList{saved}) << c.name.toStdString();
        EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File1"), QFile::encodeName(saved) + '\0');

        // Where the expansion does name a file, that is the entry, as before.
        const QString expanded = dir.filePath(c.expanded);
        if (QDir().mkpath(QFileInfo(expanded).path()) && QFile(expanded).open(QIODevice::WriteOnly)) {
            cMRUFileList both;
            EXPECT_TRUE(both.Load(true, &reg));
            EXPECT_EQ(Entries(both), QStringList{expanded}) << c.name.toStdString();
        } else {
            ADD_FAILURE() << "could not create " << expanded.toStdString();
        }
        QFile::remove(saved);
    }
}

TEST_F(RecentFiles, ARegistryLoadDropsGoneFilesAndAGapCostsNothingAfterIt)
{
    const QString a = Touch(QStringLiteral("a"));
    const QString b = Touch(QStringLiteral("b"));
    const QString c = Touch(QStringLiteral("c"));
    cMRUFileList list;
    list.setMaxFileCount(6);
    for (const QString& p : {c, b, a})
        list.AddFile(p);
    cRegistry reg = ListRegistry();
    ASSERT_TRUE(list.Save(true, &reg));
    ASSERT_TRUE(QFile::remove(b));
    for (int pass = 0; pass < 2; ++pass) {
        cMRUFileList back;
        EXPECT_TRUE(back.Load(true, &reg)) << pass;
        EXPECT_EQ(Entries(back), (QStringList{a, c})) << pass;
        EXPECT_EQ(Raw(HKEY_CURRENT_USER, ListKey, "File2"), "<no value>");
    }
    // Stored numbers beyond reason are held to the list's bounds.
    PutRaw(HKEY_CURRENT_USER, ListKey, "MaxCount", REG_DWORD, QByteArray("\xff\xff\xff\x7f", 4));
    PutRaw(HKEY_CURRENT_USER, ListKey, "Count", REG_DWORD, QByteArray("\xff\xff\xff\x7f", 4));
    cMRUFileList huge;
    EXPECT_TRUE(huge.Load(true, &reg));
    EXPECT_EQ(huge.MaxFileCount(), MRUMaxFileCountLimit);
    EXPECT_EQ(Entries(huge), (QStringList{a, c}));
}

TEST_F(RecentFiles, RegistryStorageWithoutAKeyOrAnObjectChangesNothing)
{
    cMRUFileList list;
    list.setMaxFileCount(3);
    list.AddFile(Touch(QStringLiteral("a")));
    cRegistry reg = ListRegistry();
    EXPECT_TRUE(list.Load(true, &reg));
    EXPECT_EQ(list.FileCount(), 1);
    EXPECT_FALSE(list.Load(true, nullptr));
    EXPECT_FALSE(list.Save(true, nullptr));
    cRegistry rootless;
    EXPECT_FALSE(list.Save(true, &rootless));
    EXPECT_EQ(list.FileCount(), 1);
    EXPECT_TRUE(reports.calls.empty());
}

} // namespace
