#include "support/CShellExecute.h"

#include "support/ErrorTrap.h"

namespace {
int32_t resultOf(int32_t inst) { return inst <= 32 ? inst : -1; }

vb::ShellExecuteInfo launchInfo(QWidget* owner, const QString& file, int32_t show, vb::LaunchAs as)
{
    vb::ShellExecuteInfo info;
    info.hwnd = owner;
    info.file = file;
    info.show = show;
    info.as = as;
    return info;
}

// The "Open" of a document or a program, kept for StillExecuting.
vb::ShellExecuteInfo openInfo(QWidget* owner, const QString& file, const QString& parameters,
                              const QString& directory, int32_t show, vb::LaunchAs as)
{
    vb::ShellExecuteInfo info = launchInfo(owner, file, show, as);
    info.mask = vb::SEE_MASK_NOCLOSEPROCESS | vb::SEE_MASK_DOENVSUBST;
    info.verb = QStringLiteral("Open");
    info.parameters = parameters;
    info.directory = directory;
    return info;
}
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
    TrapErrorsLocally(QStringLiteral("StillExecuting"), [&] {
        if (mlngInstApp != 0) {
            int32_t code = 0;
            result = vb::GetExitCodeProcess(mlngProcess, code) && code == vb::STILL_ACTIVE;
        }
    });
    return result;
}

int32_t CShellExecute::plainLaunch(const char* member, QWidget* owner, const QString& verb, const QString& file,
                                   int32_t show, vb::LaunchAs as)
{
    int32_t result = 0;
    TrapErrorsLocally(QString::fromLatin1(member), [&] {
        clearKept();
        result = resultOf(vb::ShellExecuteA(owner, verb, file, QString(), QString(), show, as));
    });
    return result;
}

int32_t CShellExecute::extendedLaunch(const char* member, vb::ShellExecuteInfo info,
                                      std::function<void(int32_t)> handedOver)
{
    int32_t result = 0;
    TrapErrorsLocally(QString::fromLatin1(member), [&] {
        clearKept();
        vb::ShellExecuteExA(info);
        result = resultOf(info.hInstApp);
        if (handedOver) {
            // The process goes to the watch, not to this object, which keeps nothing of it.
            if (info.hProcess)
                vb::WatchHandOver(info.hProcess, std::move(handedOver));
            return;
        }
        mlngInstApp = info.hInstApp;
        mlngProcess = info.hProcess;
    });
    return result;
}

int32_t CShellExecute::Explore(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle)
{
    return plainLaunch("Explore", lnghWnd, QStringLiteral("explore"), strFolder, eShowStyle);
}

int32_t CShellExecute::LaunchDocument(QWidget* lnghWnd, const QString& strDocument, const QString& strStartIn,
                                      int32_t eShowStyle)
{
    return extendedLaunch("LaunchDocument",
                          openInfo(lnghWnd, strDocument, QString(), strStartIn, eShowStyle, vb::LaunchAs::Item));
}

int32_t CShellExecute::LaunchEmail(QWidget* lnghWnd, const QString& strAddress, int32_t eShowStyle)
{
    return plainLaunch("LaunchEmail", lnghWnd, QString(), QStringLiteral("mailto:") + strAddress, eShowStyle,
                       vb::LaunchAs::Address);
}

int32_t CShellExecute::LaunchFolder(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle)
{
    return plainLaunch("LaunchFolder", lnghWnd, QStringLiteral("open"), strFolder, eShowStyle);
}

int32_t CShellExecute::LaunchProgram(QWidget* lnghWnd, const QString& strProgram, const QString& strParameters,
                                     const QString& strStartIn, int32_t eShowStyle)
{
    return extendedLaunch("LaunchProgram", openInfo(lnghWnd, strProgram, strParameters, strStartIn, eShowStyle,
                                                    vb::LaunchAs::Program));
}

int32_t CShellExecute::LaunchURL(QWidget* lnghWnd, const QString& strURL, int32_t eShowStyle,
                                 std::function<void(int32_t)> handedOver)
{
    if (!handedOver)
        return plainLaunch("LaunchURL", lnghWnd, QString(), strURL, eShowStyle, vb::LaunchAs::Address);
    return extendedLaunch("LaunchURL", launchInfo(lnghWnd, strURL, eShowStyle, vb::LaunchAs::Address),
                          std::move(handedOver));
}

int32_t CShellExecute::PrintDocument(QWidget* lnghWnd, const QString& strDocument)
{
    return plainLaunch("PrintDocument", lnghWnd, QStringLiteral("print"), strDocument, vb::SW_HIDE);
}
