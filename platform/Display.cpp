#include "platform/Display.h"

#include "platform/AppInfo.h"

#include <QMessageLogContext>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vb {

namespace {

// What Qt said while the window system started, kept until it is known to have started: a start
// that fails says only our line, one that succeeds passes every message on as it came.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
std::vector<HeldMessage> held;

QByteArray Variable(const char* name)
{
    return qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray();
}

void HoldOrFail(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        const QByteArray line = DisplayFailure(Variable("QT_QPA_PLATFORM"), Variable("DISPLAY")) + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        // Nothing of the program has run yet: nothing to save or close.
        std::_Exit(1);
    }
    held.push_back({type, context.file, context.function, context.category, context.line, text});
}

} // namespace

QByteArray DisplayFailure(const QByteArray& platform, const QByteArray& display)
{
    const QByteArray program = app::ProductName().toUtf8();
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return program + ": this program needs a graphical display, and the window system \"" + platform +
               "\" that QT_QPA_PLATFORM names could not be started.";
    if (display.isEmpty())
        return program + ": this program needs a graphical display, and the DISPLAY variable names none.";
    return program + ": this program needs a graphical display, and the display \"" + display +
           "\" that the DISPLAY variable names could not be opened.";
}

std::unique_ptr<QApplication> OpenWindowSystem(int& argc, char** argv)
{
    const QtMessageHandler previous = qInstallMessageHandler(HoldOrFail);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const HeldMessage& m : held) {
        const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                         m.function.isNull() ? nullptr : m.function.constData(),
                                         m.category.isNull() ? nullptr : m.category.constData());
        qt_message_output(m.type, context, m.text);
    }
    held.clear();
    return application;
}

} // namespace vb
