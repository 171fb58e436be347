#pragma once
// A small wrapper of the shell's launch services: open a URL, a document, a program or a folder,
// explore a folder, start an e-mail, print a document, and tell whether a program it started
// through the extended launch (LaunchDocument, LaunchProgram) still runs.
//
// Each launching member returns -1 when the launch succeeded, otherwise the shell's error result
// (0 to 32: 2 file not found, 3 path not found, 31 no application for it, ...). Only LaunchProgram
// runs a file; LaunchURL and LaunchEmail hand their address to the launcher, never to a local file
// or a program; documents and folders open with the desktop's handler, never run.
#include "platform/Shell.h"

#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

class CShellExecute {
public:
    CShellExecute() = default;
    // Releases the kept process; one still running is reaped when it ends, never killed.
    ~CShellExecute();
    CShellExecute(const CShellExecute&) = delete;
    CShellExecute& operator=(const CShellExecute&) = delete;

    bool StillExecuting();

    int32_t Explore(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle = vb::SW_SHOWNORMAL);
    int32_t LaunchDocument(QWidget* lnghWnd, const QString& strDocument, const QString& strStartIn,
                           int32_t eShowStyle = vb::SW_SHOWNORMAL);
    int32_t LaunchEmail(QWidget* lnghWnd, const QString& strAddress, int32_t eShowStyle = vb::SW_SHOWNORMAL);
    int32_t LaunchFolder(QWidget* lnghWnd, const QString& strFolder, int32_t eShowStyle = vb::SW_SHOWNORMAL);
    int32_t LaunchProgram(QWidget* lnghWnd, const QString& strProgram, const QString& strParameters = {},
                          const QString& strStartIn = {}, int32_t eShowStyle = vb::SW_SHOWNORMAL);
    // With `handedOver`, the launcher is watched from the event loop once it has started (the
    // result is then -1): it is called later, once, with the launcher's result (vb::WatchHandOver).
    int32_t LaunchURL(QWidget* lnghWnd, const QString& strURL, int32_t eShowStyle = vb::SW_SHOWNORMAL,
                      std::function<void(int32_t result)> handedOver = {});
    int32_t PrintDocument(QWidget* lnghWnd, const QString& strDocument);

    // The kept launch, for inspection.
    int32_t InstApp() const { return mlngInstApp; }
    int32_t Process() const { return mlngProcess; }

private:
    void clearKept();
    int32_t plainLaunch(const char* member, QWidget* owner, const QString& verb, const QString& file,
                        int32_t show, vb::LaunchAs as = vb::LaunchAs::Item);
    // With `handedOver` the started process is watched (vb::WatchHandOver) instead of kept.
    int32_t extendedLaunch(const char* member, vb::ShellExecuteInfo info,
                           std::function<void(int32_t)> handedOver = {});

    int32_t mlngInstApp = 0;
    int32_t mlngProcess = 0;
};
