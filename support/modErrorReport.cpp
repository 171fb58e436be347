#include "support/modErrorReport.h"

#include "platform/AppInfo.h"
#include "platform/MsgBox.h"
#include "platform/VbError.h"
#include "support/CShellExecute.h"
#include "support/frmErrorReport.h"

#include <QThread>

#include <cstdio>
#include <deque>
#include <memory>
#include <optional>

namespace {
ErrorReportHook& hook()
{
    static ErrorReportHook h;
    return h;
}

// Set while a report window is open; reports raised meanwhile wait here for their turn.
bool reportOpen = false;
std::deque<ErrorReportCall>& waiting()
{
    static std::deque<ErrorReportCall> queue;
    return queue;
}

// The event-loop level of the innermost report-path scope; -1 outside every scope.
int pathLevel = -1;
int loopLevel() { return QThread::currentThread()->loopLevel(); }

bool insideReportPath(const QString& module)
{
    return ErrorReportPath::Inside() || module == QLatin1String("modErrorReport") ||
           module == QLatin1String("frmErrorReport");
}

void toStderr(const char* why, int32_t num, const QString& desc, const QString& module, const QString& proc,
              const QString& extra)
{
    std::fprintf(stderr, "%s: error %d (%s:%s) %s %s\n", why, num, module.toLocal8Bit().constData(),
                 proc.toLocal8Bit().constData(), desc.toLocal8Bit().constData(), extra.toLocal8Bit().constData());
}

// One report in a window of its own, released when it has closed.
void showReport(const ErrorReportCall& c)
{
    ErrorReportPath inPath;
    try {
        const QString progVer = QString::number(app::Major()) + QStringLiteral(".") + QString::number(app::Minor());
        const int32_t buildNum = app::Revision();
        auto window = std::make_unique<frmErrorReport>();
        window->ShowUp(c.ErrNum, c.ErrDesc, progVer, buildNum, c.ModuleName, c.ProcName, c.ExtraDesc);
    } catch (...) {
        const vb::VbError e = vb::CurrentError();
        toStderr("Error report failed", e.Number, e.Description, QStringLiteral("modErrorReport"),
                 QStringLiteral("ShowErrorReport"), QString());
        toStderr("Unreported error", c.ErrNum, c.ErrDesc, c.ModuleName, c.ProcName, c.ExtraDesc);
    }
}
} // namespace

ErrorReportHook SetErrorReportHook(ErrorReportHook h)
{
    ErrorReportHook previous = std::move(hook());
    hook() = std::move(h);
    return previous;
}

ErrorReportRecorder::ErrorReportRecorder()
{
    previous = SetErrorReportHook([this](const ErrorReportCall& c) { calls.push_back(c); });
}

ErrorReportRecorder::~ErrorReportRecorder() { SetErrorReportHook(std::move(previous)); }

ErrorReportPath::ErrorReportPath() : previousLevel(pathLevel) { pathLevel = loopLevel(); }

ErrorReportPath::~ErrorReportPath() { pathLevel = previousLevel; }

bool ErrorReportPath::Inside() { return pathLevel >= 0 && pathLevel == loopLevel(); }

void ShowErrorReport(int32_t ErrNum, const QString& ErrDesc, const QString& ModuleName, const QString& ProcName,
                     const QString& ExtraDesc)
{
    ErrorReportCall call{ErrNum, ErrDesc, ModuleName, ProcName, ExtraDesc};
    if (hook()) {
        hook()(call);
        return;
    }
    // The report path is the end of the error road: an error inside it never opens another report.
    if (insideReportPath(ModuleName)) {
        toStderr("Error while reporting an error", ErrNum, ErrDesc, ModuleName, ProcName, ExtraDesc);
        return;
    }
    if (reportOpen) {
        waiting().push_back(std::move(call));
        return;
    }
    reportOpen = true;
    showReport(call);
    while (!waiting().empty()) {
        const ErrorReportCall next = std::move(waiting().front());
        waiting().pop_front();
        showReport(next);
    }
    reportOpen = false;
}

void OpenURL(QWidget* frm, const QString& strURL, bool bNoTag, std::function<void(bool)> handedOver)
{
    QString url = strURL;
    if (!bNoTag)
        url += QStringLiteral("?src=qv");
    // A launcher that fails after it has started is known only when it ends, from the event loop;
    // its exit status arrives as the shell's result (vb::ResultOfLauncherExit: xdg-open's 3, no
    // browser, gives 31; 4, action failed, gives 29; 2, not found, gives 2).
    const bool fromReportPath = ErrorReportPath::Inside();
    auto settle = [handedOver, fromReportPath](int32_t result) {
        std::optional<ErrorReportPath> inPath;
        if (fromReportPath)
            inPath.emplace();
        const bool ok = result > 32;
        if (!ok)
            vb::MsgBox(QStringLiteral("Error on launching URL: ") + QString::number(result), vb::vbOKOnly,
                       app::Title());
        if (handedOver)
            handedOver(ok);
    };
    int32_t result;
    {
        CShellExecute shell;
        result = shell.LaunchURL(frm, url, vb::SW_SHOWDEFAULT, settle);
    }
    if (result != -1)
        settle(result);
}
