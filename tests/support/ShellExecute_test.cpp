#include "support/CShellExecute.h"

#include "TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace {

// A private PATH holding a fake xdg-open (and lp) that record their arguments, one a line, so no
// test ever reaches a real browser or printer.
class ShellTest : public ::testing::Test {
protected:
    QTemporaryDir bin, work;
    QByteArray oldPath = qgetenv("PATH");

    void SetUp() override
    {
        ASSERT_TRUE(bin.isValid() && work.isValid());
        writeScript(QStringLiteral("xdg-open"), QStringLiteral("launcher.log"));
        writeScript(QStringLiteral("lp"), QStringLiteral("lp.log"));
        qputenv("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");
        qunsetenv("QUORVANE_URL_LAUNCHER");
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath);
        qunsetenv("QUORVANE_URL_LAUNCHER");
    }

    QString writeScript(const QString& name, const QString& log, const QString& extra = {})
    {
        const QString path = bin.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '%1'\n%2\n")
                    .arg(work.filePath(log), extra)
                    .toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return path;
    }

    // The lines a fake has recorded, once it has written `count` of them (or after 5 s).
    QStringList recorded(const QString& log, int count = 1)
    {
        QStringList lines;
        (void)QTest::qWaitFor([&] {
            QFile f(work.filePath(log));
            if (f.open(QIODevice::ReadOnly))
                lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return lines.size() >= count;
        }, 5000);
        return lines;
    }
    QStringList launched(int count = 1) { return recorded(QStringLiteral("launcher.log"), count); }
    void forget(const QString& log = QStringLiteral("launcher.log")) { QFile::remove(work.filePath(log)); }
};

bool processExists(int pid) { return ::kill(pid, 0) == 0; }

// Children of this process that have ended and not been reaped.
int zombieChildren()
{
    int n = 0;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile f(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QString stat = QString::fromLatin1(f.readAll());
        const QStringList after = stat.mid(stat.lastIndexOf(QLatin1Char(')')) + 2).split(QLatin1Char(' '));
        if (after.size() > 1 && after[0] == QLatin1String("Z") && after[1] == self)
            ++n;
    }
    return n;
}

} // namespace

TEST_F(ShellTest, DesktopLaunchesGoToTheLauncherWithTheRightTarget)
{
    const QString doc = work.filePath(QStringLiteral("notes.txt"));
    QFile(doc).open(QIODevice::WriteOnly);
    struct Case {
        const char* what;
        std::function<int32_t(CShellExecute&)> call;
        QString target;
    };
    const Case cases[] = {
        {"URL unchanged", [](CShellExecute& s) { return s.LaunchURL(nullptr, QStringLiteral("https://www.quorvane.example/a?x=1&y=2#top")); },
         QStringLiteral("https://www.quorvane.example/a?x=1&y=2#top")},
        {"host without scheme is a web address", [](CShellExecute& s) { return s.LaunchURL(nullptr, QStringLiteral("www.host.example?src=qv")); },
         QStringLiteral("http://www.host.example?src=qv")},
        {"host with a path and port", [](CShellExecute& s) { return s.LaunchURL(nullptr, QStringLiteral("WWW.host.example:8080/a/b?src=qv")); },
         QStringLiteral("http://WWW.host.example:8080/a/b?src=qv")},
        {"ftp host with a path", [](CShellExecute& s) { return s.LaunchURL(nullptr, QStringLiteral("ftp.host.example/pub")); },
         QStringLiteral("ftp://ftp.host.example/pub")},
        {"e-mail", [](CShellExecute& s) { return s.LaunchEmail(nullptr, QStringLiteral("help@quorvane.example")); },
         QStringLiteral("mailto:help@quorvane.example")},
        {"folder", [&](CShellExecute& s) { return s.LaunchFolder(nullptr, work.path()); }, work.path()},
        {"explore", [&](CShellExecute& s) { return s.Explore(nullptr, work.path()); }, work.path()},
        {"document", [&](CShellExecute& s) { return s.LaunchDocument(nullptr, doc, work.path()); }, doc},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        forget();
        CShellExecute shell;
        EXPECT_EQ(c.call(shell), -1);
        EXPECT_EQ(launched(), QStringList{c.target});
    }
}

TEST_F(ShellTest, TextNeverReachesAShell)
{
    const QString trap = work.filePath(QStringLiteral("pwned"));
    const QString url = QStringLiteral("http://x.example/$(touch %1);touch %1`touch %1`").arg(trap);
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchURL(nullptr, url), -1);
    EXPECT_EQ(launched(), QStringList{url});
    // A text that cannot be a web address is not run as a command either: it is not found.
    EXPECT_EQ(shell.LaunchURL(nullptr, QStringLiteral("touch %1").arg(trap)), 2);
    QTest::qWait(100);
    EXPECT_FALSE(QFileInfo::exists(trap));
}

TEST_F(ShellTest, FailuresGiveTheShellsResults)
{
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchDocument(nullptr, work.filePath(QStringLiteral("missing.txt")), QString()), 2) << "file not found";
    EXPECT_EQ(shell.LaunchFolder(nullptr, work.filePath(QStringLiteral("no/such/folder"))), 3) << "path not found";
    EXPECT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/no/such/program")), 3);
    EXPECT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("quorvane-no-such-program")), 2);
    EXPECT_EQ(shell.LaunchURL(nullptr, QString()), 2);
    EXPECT_EQ(shell.LaunchDocument(nullptr, QStringLiteral("/bin/sh"), work.filePath(QStringLiteral("gone"))), 3)
        << "a start-in folder that is not there";
    EXPECT_EQ(shell.InstApp(), 3);
    EXPECT_FALSE(shell.StillExecuting());

    // No launcher on PATH: no application is associated.
    qputenv("PATH", work.path().toUtf8());
    EXPECT_EQ(shell.LaunchURL(nullptr, QStringLiteral("http://www.quorvane.example")), 31);
    EXPECT_EQ(shell.PrintDocument(nullptr, QStringLiteral("/etc/hostname")), 31);
}

TEST_F(ShellTest, LauncherCanBeNamedByEnvironment)
{
    const QString other = writeScript(QStringLiteral("my-opener"), QStringLiteral("other.log"));
    qputenv("QUORVANE_URL_LAUNCHER", other.toUtf8());
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchURL(nullptr, QStringLiteral("http://a.example")), -1);
    EXPECT_EQ(recorded(QStringLiteral("other.log")), QStringList{QStringLiteral("http://a.example")});

    qputenv("QUORVANE_URL_LAUNCHER", "/no/such/opener");
    EXPECT_EQ(shell.LaunchURL(nullptr, QStringLiteral("http://a.example")), 31);
}

TEST_F(ShellTest, PrintDocumentUsesThePrintSpooler)
{
    const QString doc = work.filePath(QStringLiteral("page.txt"));
    QFile(doc).open(QIODevice::WriteOnly);
    CShellExecute shell;
    EXPECT_EQ(shell.PrintDocument(nullptr, doc), -1);
    EXPECT_EQ(recorded(QStringLiteral("lp.log")), QStringList{doc});
    EXPECT_FALSE(shell.StillExecuting());
}

TEST_F(ShellTest, ALaunchNeverWaits)
{
    writeScript(QStringLiteral("xdg-open"), QStringLiteral("launcher.log"), QStringLiteral("exec >/dev/null 2>&1; sleep 5"));
    QElapsedTimer t;
    t.start();
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchURL(nullptr, QStringLiteral("http://slow.example")), -1);
    EXPECT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/bin/sleep"), QStringLiteral("5")), -1);
    EXPECT_LT(t.elapsed(), 2000);
    ::kill(shell.Process(), SIGTERM);
    launched();
}

TEST_F(ShellTest, ProgramsGetTheirParametersSplitAndStartIn)
{
    const QString prog = writeScript(QStringLiteral("echoargs"), QStringLiteral("args.log"),
                                     QStringLiteral("pwd >> '%1'").arg(work.filePath(QStringLiteral("args.log"))));
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchProgram(nullptr, prog, QStringLiteral("\"two words\" a;b $HOME \"\""), bin.path()), -1);
    // Double quotes group, as on a command line; nothing is expanded.
    EXPECT_EQ(recorded(QStringLiteral("args.log"), 4),
              (QStringList{QStringLiteral("two words"), QStringLiteral("a;b"), QStringLiteral("$HOME"), bin.path()}));
    // A program named without a path is found on PATH.
    forget(QStringLiteral("args.log"));
    EXPECT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("echoargs"), QStringLiteral("x")), -1);
    EXPECT_EQ(recorded(QStringLiteral("args.log"), 2).value(0), QStringLiteral("x"));
    // The program and its start-in folder may name environment variables; the parameters may not.
    forget(QStringLiteral("args.log"));
    qputenv("QV_TEST_BIN", bin.path().toUtf8());
    EXPECT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("%QV_TEST_BIN%/echoargs"), QStringLiteral("%QV_TEST_BIN%"),
                                  QStringLiteral("%QV_TEST_BIN%")),
              -1);
    EXPECT_EQ(recorded(QStringLiteral("args.log"), 2), (QStringList{QStringLiteral("%QV_TEST_BIN%"), bin.path()}));
    qunsetenv("QV_TEST_BIN");
}

TEST_F(ShellTest, StillExecutingFollowsTheStartedProcess)
{
    CShellExecute shell;
    EXPECT_FALSE(shell.StillExecuting()) << "nothing launched yet";
    ASSERT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/bin/sleep"), QStringLiteral("5")), -1);
    const int pid = shell.Process();
    EXPECT_GT(shell.InstApp(), 32);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(shell.StillExecuting());
    int32_t code = 0;
    EXPECT_TRUE(vb::GetExitCodeProcess(pid, code));
    EXPECT_EQ(code, vb::STILL_ACTIVE);

    ::kill(pid, SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !shell.StillExecuting(); }, 5000));

    // Every plain launch clears the kept one, whether it succeeds or not.
    const QString doc = work.filePath(QStringLiteral("page.txt"));
    QFile(doc).open(QIODevice::WriteOnly);
    const std::pair<const char*, std::function<int32_t()>> plain[] = {
        {"LaunchURL", [&] { return shell.LaunchURL(nullptr, QStringLiteral("http://a.example")); }},
        {"LaunchEmail", [&] { return shell.LaunchEmail(nullptr, QStringLiteral("a@b.example")); }},
        {"LaunchFolder", [&] { return shell.LaunchFolder(nullptr, work.path()); }},
        {"Explore", [&] { return shell.Explore(nullptr, work.path()); }},
        {"PrintDocument", [&] { return shell.PrintDocument(nullptr, doc); }},
        {"a failed LaunchURL", [&] { return shell.LaunchURL(nullptr, QString()); }},
    };
    for (const auto& [what, launch] : plain) {
        SCOPED_TRACE(what);
        ASSERT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/bin/sleep"), QStringLiteral("5")), -1);
        const int kept = shell.Process();
        EXPECT_TRUE(shell.StillExecuting());
        launch();
        EXPECT_FALSE(shell.StillExecuting());
        EXPECT_EQ(shell.Process(), 0);
        EXPECT_EQ(shell.InstApp(), 0);
        EXPECT_TRUE(processExists(kept)) << "forgetting a launch never stops the program";
        ::kill(kept, SIGTERM);
    }
    launched(4);
}

TEST_F(ShellTest, NoFinishedChildOutlivesItsObject)
{
    int ended, running;
    {
        CShellExecute shell;
        ASSERT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/bin/true")), -1);
        ended = shell.Process();
        QTest::qWait(300); // it has ended but nobody has asked
    }
    EXPECT_FALSE(processExists(ended)) << "a finished child was left unreaped";

    {
        CShellExecute shell;
        ASSERT_EQ(shell.LaunchProgram(nullptr, QStringLiteral("/bin/sleep"), QStringLiteral("0.3")), -1);
        running = shell.Process();
    }
    EXPECT_TRUE(processExists(running)) << "releasing the object must not stop the program";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !processExists(running); }, 5000)) << "reaped once it ended";

    // Plain launches (the launcher itself) are reaped too.
    {
        CShellExecute shell;
        shell.LaunchURL(nullptr, QStringLiteral("http://a.example"));
    }
    launched();
    EXPECT_TRUE(QTest::qWaitFor([] { return zombieChildren() == 0; }, 5000));
}

// A planted program named like a web address, in the folder the program runs from and on PATH,
// must never run: a web address goes to the launcher as a web address, whatever files exist.
TEST_F(ShellTest, AWebAddressNeverRunsAFileOrAProgram)
{
    const QString marker = work.filePath(QStringLiteral("planted-ran"));
    const QString plantedBody = QStringLiteral("touch '%1'").arg(marker);
    auto plant = [&](const QString& path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\n%1\n").arg(plantedBody).toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    };
    plant(work.filePath(QStringLiteral("www.quorvane.example?src=qv")));
    plant(work.filePath(QStringLiteral("ftp.host.example")));
    plant(bin.filePath(QStringLiteral("qvprobe"))); // a program found on PATH
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(work.path());

    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("www.quorvane.example?src=qv"), QStringLiteral("http://www.quorvane.example?src=qv")},
        {QStringLiteral("ftp.host.example"), QStringLiteral("ftp://ftp.host.example")},
        {QStringLiteral("qvprobe"), QStringLiteral("http://qvprobe")},
        {QStringLiteral("sh"), QStringLiteral("http://sh")},
    };
    for (const auto& [address, target] : cases) {
        SCOPED_TRACE(address.toStdString());
        forget();
        CShellExecute shell;
        EXPECT_EQ(shell.LaunchURL(nullptr, address), -1);
        EXPECT_EQ(launched(), QStringList{target});
    }
    QDir::setCurrent(oldCwd);
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(marker)) << "a planted program was run";
}

// A document with the execute bit (as on a FAT-formatted stick) is opened by the desktop's
// handler, never run; only LaunchProgram starts a program.
TEST_F(ShellTest, DocumentsAreOpenedNeverRun)
{
    const QString marker = work.filePath(QStringLiteral("document-ran"));
    const QString doc = work.filePath(QStringLiteral("readme.txt"));
    QFile f(doc);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const std::pair<const char*, std::function<int32_t(CShellExecute&)>> opens[] = {
        {"LaunchDocument", [&](CShellExecute& s) { return s.LaunchDocument(nullptr, doc, QString()); }},
        {"LaunchDocument by name in its start-in folder",
         [&](CShellExecute& s) { return s.LaunchDocument(nullptr, QStringLiteral("readme.txt"), work.path()); }},
        {"LaunchFolder on a file", [&](CShellExecute& s) { return s.LaunchFolder(nullptr, doc); }},
    };
    for (const auto& [what, open] : opens) {
        SCOPED_TRACE(what);
        forget();
        CShellExecute shell;
        EXPECT_EQ(open(shell), -1);
        EXPECT_EQ(launched(), QStringList{doc});
    }
    // A document named without a path is not looked for on PATH either.
    CShellExecute shell;
    EXPECT_EQ(shell.LaunchDocument(nullptr, QStringLiteral("xdg-open"), QString()), 2);
    QTest::qWait(200);
    EXPECT_FALSE(QFileInfo::exists(marker)) << "a document was run";

    // Starting a program is LaunchProgram's purpose.
    EXPECT_EQ(shell.LaunchProgram(nullptr, doc), -1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(marker); }, 5000));
}
