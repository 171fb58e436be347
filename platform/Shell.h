#pragma once
// The shell's launch services: open a URL, document, folder or mailto: link with the desktop's
// default handler, or start a program directly. Results follow the Windows shell's numbering.
//
// URLs, documents, folders and mailto: links go to the desktop's launcher: the program named by
// QUORVANE_URL_LAUNCHER if set, else `xdg-open` found on PATH. Programs are started directly, their
// parameters split as a command line; no text ever goes through /bin/sh. What a launch is for
// (LaunchAs) decides what it may start: only a launch made to start a program ever runs a file.
// No launch waits for what it started; a launcher's end can be watched (WatchHandOver).
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace vb {

// Results: greater than 32 means success.
enum ShellResult : int32_t {
    SE_ERR_FNF = 2,           // file not found
    SE_ERR_PNF = 3,           // path not found
    SE_ERR_ACCESSDENIED = 5,  // not allowed to run it
    SE_ERR_OOM = 8,           // out of memory or resources
    ERROR_BAD_FORMAT = 11,    // not a program that can be run
    SE_ERR_DDEFAIL = 29,      // the application for it was started but failed to act on it
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

// What a launch is for.
enum class LaunchAs {
    // A file or folder opened with the desktop's handler (a text with a scheme, or a web host
    // without one when no such file exists, opens as an address). Never run, whatever its
    // permission bits; never looked for on PATH.
    Item,
    // A web or mail address: always handed to the launcher as an address, never a local file or a
    // program. "www." and "ftp." hosts get their scheme; any other text without one is taken as a
    // web host ("http://"), or refused (file not found) when it cannot be one.
    Address,
    // A program to start: an executable file, or a name found on PATH, is run with the parameters;
    // anything else opens as an item.
    Program,
};

// ShellExecute: `verb` empty (the default), "open", "explore" or "print". Returns the instance
// value (> 32) or an error result (0 to 32).
int32_t ShellExecuteA(QWidget* owner, const QString& verb, const QString& file, const QString& parameters,
                      const QString& directory, int32_t showCmd, LaunchAs as = LaunchAs::Item);

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
    LaunchAs as = LaunchAs::Item;
    int32_t hInstApp = 0;
    int32_t hProcess = 0;
};
// True when the launch succeeded (hInstApp > 32).
bool ShellExecuteExA(ShellExecuteInfo& info);

// The exit code of a kept process (STILL_ACTIVE while it runs); false for an unknown handle.
bool GetExitCodeProcess(int32_t hProcess, int32_t& exitCode);
// Releases a kept process. A process still running is reaped later, when it ends.
void CloseHandle(int32_t hProcess);

// How long a launcher has to hand its address over. One still running after that has handed
// it to the application it started (which may run as long as it likes): that counts as success.
constexpr int HandOverMs = 3000;

// The shell result of a launcher that ended with `exitCode` (xdg-open's statuses): 0 success
// (ShellLaunched); 2 not found (SE_ERR_FNF); 3 no application for it, as with no browser
// (SE_ERR_NOASSOC, 31); 4 "action failed" and every other status or a signal, the application
// failed to act on it (SE_ERR_DDEFAIL, 29).
int32_t ResultOfLauncherExit(int32_t exitCode);

// Takes over a kept process (from ShellExecuteExA with SEE_MASK_NOCLOSEPROCESS) and watches its
// end from the event loop, never blocking: `handedOver` is called once, later, with ShellLaunched
// when the process ended well or still runs after HandOverMs, else with ResultOfLauncherExit of
// its status. The handle is released by then.
void WatchHandOver(int32_t hProcess, std::function<void(int32_t result)> handedOver);
// Looks at every watched launch now (also done on a timer while any are watched); with `timeIsUp`
// those still running count as handed over.
void HandOverTick(bool timeIsUp = false);

// The launcher program that opens URLs and documents; empty when there is none.
QString UrlLauncher();

// Reaps every released child that has ended (also done on a timer while any are pending).
void ReapReleasedChildren();

} // namespace vb
