#include "support/modErrorReport.h"

#include "platform/AppInfo.h"
#include "platform/MsgBox.h"
#include "platform/VbError.h"
#include "support/CShellExecute.h"
#include "support/frmErrorReport.h"

#include <cstdio>
#include <memory>

namespace {
ErrorReportHook& hook()
{
    static ErrorReportHook h;
    return h;
}

bool reporting = false;

void toStderr(const char* why, int32_t num, const QString& desc, const QString& module, const QString& proc,
              const QString& extra)
{
    std::fprintf(stderr, "%s: error %d (%s:%s) %s %s\n", why, num, module.toLocal8Bit().constData(),
                 proc.toLocal8Bit().constData(), desc.toLocal8Bit().constData(), extra.toLocal8Bit().constData());
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

void ShowErrorReport(int32_t ErrNum, const QString& ErrDesc, const QString& ModuleName, const QString& ProcName,
                     const QString& ExtraDesc)
{
    if (hook()) {
        hook()(ErrorReportCall{ErrNum, ErrDesc, ModuleName, ProcName, ExtraDesc});
        return;
    }
    // The report path is the end of the error road: an error inside it never opens another report.
    if (reporting) {
        toStderr("Error while reporting an error", ErrNum, ErrDesc, ModuleName, ProcName, ExtraDesc);
        return;
    }
    reporting = true;
    try {
        const QString progVer = QString::number(app::Major()) + QStringLiteral(".") + QString::number(app::Minor());
        const int32_t buildNum = app::Revision();
        auto window = std::make_unique<frmErrorReport>();
        window->ShowUp(ErrNum, ErrDesc, progVer, buildNum, ModuleName, ProcName, ExtraDesc);
    } catch (...) {
        const vb::VbError e = vb::CurrentError();
        toStderr("Error report failed", e.Number, e.Description, QStringLiteral("modErrorReport"),
                 QStringLiteral("ShowErrorReport"), QString());
        toStderr("Unreported error", ErrNum, ErrDesc, ModuleName, ProcName, ExtraDesc);
    }
    reporting = false;
}

void OpenURL(QWidget* frm, const QString& strURL, bool bNoTag)
{
    QString url = strURL;
    if (!bNoTag)
        url += QStringLiteral("?src=qv");
    int32_t result;
    {
        CShellExecute shell;
        result = shell.LaunchURL(frm, url, vb::SW_SHOWDEFAULT);
    }
    if (result != -1)
        vb::MsgBox(QStringLiteral("Error on launching URL: ") + QString::number(result), vb::vbOKOnly, app::Title());
}
