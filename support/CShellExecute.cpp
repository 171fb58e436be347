#include "support/CShellExecute.h"

#include "platform/MsgBox.h"
#include "platform/VbError.h"

namespace {
// Each member traps its own errors with a plain message titled with its name.
void reportLocal(const char* member)
{
    const vb::VbError e = vb::CurrentError();
    vb::MsgBox(QStringLiteral("Error: %1. %2").arg(e.Number).arg(e.Description), vb::vbOKOnly,
               QString::fromLatin1(member));
}

int32_t resultOf(int32_t inst) { return inst <= 32 ? inst : -1; }
} // namespace

CShellExecute::~CShellExecute() { clearKept(); }

void CShellExecute::clearKept()
{
    // The kept process handle is released before the fields forget it.
    if (mlngProcess)
        vb::CloseHandle(mlngProcess);
    mlngInstApp = 0;
    mlngProcess = 0;
}

bool CShellExecute::StillExecuting()
{
    bool result = false;
    try {
        if (mlngInstApp != 0) {
            int32_t code = 0;
            result = vb::GetExitCodeProcess(mlngProcess, code) && code == vb::STILL_ACTIVE;
        }
    } catch (...) {
        reportLocal("StillExecuting");
    }
    return result;
}

int32_t CShellExecute::plainLaunch(const char* member, QWidget* owner, const QString& verb, const QString& file,
                                   int32_t show)
{
    int32_t result = 0;
    try {
        clearKept();
        result = resultOf(vb::ShellExecuteA(owner, verb, file, QString(), QString(), show));
    } catch (...) {
        reportLocal(member);
    }
    return result;
}

int32_t CShellExecute::extendedLaunch(const char* member, QWidget* owner, const QString& file,
                                      const QString& parameters, const QString& directory, int32_t show)
{
    int32_t result = 0;
    try {
        clearKept();
        vb::ShellExecuteInfo info;
        info.mask = vb::SEE_MASK_NOCLOSEPROCESS | vb::SEE_MASK_DOENVSUBST;
        info.hwnd = owner;
        info.verb = QStringLiteral("Open");
        info.file = file;
        info.parameters = parameters;
        info.directory = directory;
        info.show = show;
        vb::ShellExecuteExA(info);
        mlngInstApp = info.hInstApp;
        mlngProcess = info.hProcess;
        result = resultOf(info.hInstApp);
    } catch (...) {
        reportLocal(member);
    }
    return result;
}

int32_t CShellExecute::Explore(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle)
{
    return plainLaunch("Explore", lnghWnd, QStringLiteral("explore"), strFolder, eShowStyle);
}

int32_t CShellExecute::LaunchDocument(QWidget* lnghWnd, const QString& strDocument, const QString& strStartIn,
                                      int32_t eShowStyle)
{
    return extendedLaunch("LaunchDocument", lnghWnd, strDocument, QString(), strStartIn, eShowStyle);
}

int32_t CShellExecute::LaunchEmail(QWidget* lnghWnd, const QString& strAddress, int32_t eShowStyle)
{
    return plainLaunch("LaunchEmail", lnghWnd, QString(), QStringLiteral("mailto:") + strAddress, eShowStyle);
}

int32_t CShellExecute::LaunchFolder(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle)
{
    return plainLaunch("LaunchFolder", lnghWnd, QStringLiteral("open"), strFolder, eShowStyle);
}

int32_t CShellExecute::LaunchProgram(QWidget* lnghWnd, const QString& strProgram, const QString& strParameters,
                                     const QString& strStartIn, int32_t eShowStyle)
{
    return extendedLaunch("LaunchProgram", lnghWnd, strProgram, strParameters, strStartIn, eShowStyle);
}

int32_t CShellExecute::LaunchURL(QWidget* lnghWnd, const QString& strURL, int32_t eShowStyle)
{
    return plainLaunch("LaunchURL", lnghWnd, QString(), strURL, eShowStyle);
}

int32_t CShellExecute::PrintDocument(QWidget* lnghWnd, const QString& strDocument)
{
    return plainLaunch("PrintDocument", lnghWnd, QStringLiteral("print"), strDocument, vb::SW_HIDE);
}
