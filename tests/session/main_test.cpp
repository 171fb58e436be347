// The program started as the user starts it, where it cannot show a window: it says so in one
// line and ends with status 1, having written nothing.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A display number that no X server on this machine answers: neither its socket file nor its
// abstract socket exists.
QByteArray UnusedDisplay()
{
    QFile sockets(QStringLiteral("/proc/net/unix"));
    const QByteArray inUse = sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : QByteArray();
    for (int n = 4321;; ++n) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (!QFile::exists(QString::fromLatin1(socket)) && !inUse.contains("@" + socket + "\n"))
            return ":" + QByteArray::number(n);
    }
}

TEST(ProgramStart, WithoutADisplayItSaysSoInOneLineAndEndsWithStatusOne)
{
    const QByteArray unused = UnusedDisplay();
    const struct {
        const char* platform; // QT_QPA_PLATFORM, or null for unset
        QByteArray display;   // DISPLAY, or null for unset
        QByteArray line;
    } cases[] = {
        {nullptr, {}, "Quorvane: this program needs a graphical display, and the DISPLAY variable names none.\n"},
        {nullptr, unused,
         "Quorvane: this program needs a graphical display, and the display \"" + unused +
             "\" that the DISPLAY variable names could not be opened.\n"},
        {"xcb", unused,
         "Quorvane: this program needs a graphical display, and the display \"" + unused +
             "\" that the DISPLAY variable names could not be opened.\n"},
        {"nosuchsystem", unused,
         "Quorvane: this program needs a graphical display, and the window system \"nosuchsystem\" that "
         "QT_QPA_PLATFORM names could not be started.\n"},
    };
    for (const auto& c : cases) {
        QTemporaryDir folder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        if (c.platform)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromLatin1(c.platform));
        if (!c.display.isNull())
            env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(c.display));
        env.insert(QStringLiteral("QUORVANE_REGISTRY"), folder.filePath(QStringLiteral("registry.db")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUORVANE_PROGRAM), QStringList{});
        const bool ended = program.waitForFinished(20000);
        if (!ended)
            program.kill();
        ASSERT_TRUE(ended) << c.line.constData();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << c.line.constData();
        EXPECT_EQ(program.exitCode(), 1) << c.line.constData();
        EXPECT_EQ(program.readAllStandardError(), c.line);
        EXPECT_EQ(program.readAllStandardOutput(), QByteArray());
        // Nothing was written: no store, no lock beside it.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList())
            << c.line.constData();
    }
}

} // namespace
