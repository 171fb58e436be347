#pragma once
// The shell's launch services: open a URL, document, folder or mailto: link with the desktop's
// default handler, or start a program directly. Results follow the Windows shell's numbering.
//
// URLs, documents, folders and mailto: links go to the desktop's launcher: the program named by
// QUORVANE_URL_LAUNCHER if set, else `xdg-open` found on PATH. Programs are started directly, their
// parameters split as a command line; no text ever goes through /bin/sh. No launch waits for
// what it started.
#include <QString>
#include <cstdint>

class QWidget;

namespace vb {

// Results: greater than 32 means success.
enum ShellResult : int32_t {
    SE_ERR_FNF = 2,           // file not found
    SE_ERR_PNF = 3,           // path not found
    SE_ERR_ACCESSDENIED = 5,  // not allowed to run it
    SE_ERR_OOM = 8,           // out of memory or resources
    ERROR_BAD_FORMAT = 11,    // not a program that can be run
    SE_ERR_NOASSOC = 31,      // no application for it (no launcher, unknown verb)
    ShellLaunched = 42,       // the instance value of a successful launch
};

// Show-window codes; launches on this desktop leave the window's placement to the window manager.
enum ShowWindowCode : int32_t {
    SW_HIDE = 0,
    SW_SHOWNORMAL = 1,
    SW_SHOWMINIMIZED = 2,
    SW_SHOWMAXIMIZED = 3,
    SW_SHOWDEFAULT = 10,
};

// Exit code of a process that is still running.
constexpr int32_t STILL_ACTIVE = 259;

// Flags of the extended launch: keep the started process; expand %NAME% environment variables
// in the file and the start-in folder.
constexpr uint32_t SEE_MASK_NOCLOSEPROCESS = 0x40;
constexpr uint32_t SEE_MASK_DOENVSUBST = 0x200;

// ShellExecute: `verb` empty (the default), "open", "explore" or "print". Returns the instance
// value (> 32) or an error result (0 to 32).
int32_t ShellExecuteA(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                      const QString& directory, int32_t showCmd);

// The extended launch: as ShellExecuteA, and it keeps the started process. hProcess is a handle
// to pass to GetExitCodeProcess and to release with CloseHandle; 0 when nothing was started.
struct ShellExecuteInfo {
    uint32_t mask = SEE_MASK_NOCLOSEPROCESS;
    QWidget* hwnd = nullptr;
    QString verb;
    QString file;
    QString parameters;
    QString directory;
    int32_t show = SW_SHOWNORMAL;
    int32_t hInstApp = 0;
    int32_t hProcess = 0;
};
// True when the launch succeeded (hInstApp > 32).
bool ShellExecuteExA(ShellExecuteInfo& info);

// The exit code of a kept process (STILL_ACTIVE while it runs); false for an unknown handle.
bool GetExitCodeProcess(int32_t hProcess, int32_t& exitCode);
// Releases a kept process. A process still running is reaped later, when it ends.
void CloseHandle(int32_t hProcess);

// The launcher program that opens URLs and documents; empty when there is none.
QString UrlLauncher();

// Reaps every released child that has ended (also done on a timer while any are pending).
void ReapReleasedChildren();

} // namespace vb
