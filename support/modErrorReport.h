#pragma once
// The program's one error path and its URL launcher.
//
// Every procedure that traps its errors ends its handler with ShowErrorReport, which shows a fresh
// modal report window and returns when it has closed. A report raised while another one is open
// (by the step timer, say, which runs on behind the window) waits: ShowErrorReport returns at once
// and the report is shown when the open one closes, reports in the order they came, none lost.
// An error inside the report path itself never starts a report: it goes to stderr only. Inside
// the report path are the report's own module and window (reports naming "modErrorReport" or
// "frmErrorReport") and whatever runs under an ErrorReportPath, but not an event loop nested in it.
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

// What one call of ShowErrorReport was given.
struct ErrorReportCall {
    int32_t ErrNum = 0;
    QString ErrDesc;
    QString ModuleName;
    QString ProcName;
    QString ExtraDesc;
};

// Tests of other modules capture reports through this: while a hook is set, ShowErrorReport hands
// the call to it and returns without showing the window. An empty hook restores the window.
// Returns the previous hook.
using ErrorReportHook = std::function<void(const ErrorReportCall&)>;
ErrorReportHook SetErrorReportHook(ErrorReportHook hook);

// Sets a hook for its own lifetime and keeps every call it sees.
class ErrorReportRecorder {
public:
    ErrorReportRecorder();
    ~ErrorReportRecorder();
    ErrorReportRecorder(const ErrorReportRecorder&) = delete;
    ErrorReportRecorder& operator=(const ErrorReportRecorder&) = delete;
    std::vector<ErrorReportCall> calls;

private:
    ErrorReportHook previous;
};

// Marks the statements of the report path while they run (the report window's event procedures
// hold one). Scopes nest; an event loop started inside one (a message box, say) is outside it.
class ErrorReportPath {
public:
    ErrorReportPath();
    ~ErrorReportPath();
    ErrorReportPath(const ErrorReportPath&) = delete;
    ErrorReportPath& operator=(const ErrorReportPath&) = delete;
    // True while the innermost scope runs at the current event-loop level.
    static bool Inside();

private:
    int previousLevel;
};

void ShowErrorReport(int32_t ErrNum, const QString& ErrDesc, const QString& ModuleName, const QString& ProcName,
                     const QString& ExtraDesc);

// Opens strURL in the default web browser; unless bNoTag is set the source tag "?src=qv" is
// appended. Always a web address: never a local file or a program. Never waits: a launch that
// fails at once, or a launcher that ends with a failure before it hands over (vb::WatchHandOver),
// shows "Error on launching URL: " and the shell's result. `handedOver`, when given, is called
// once, after any such message: true once the browser has the address, false when it failed.
void OpenURL(QWidget* frm, const QString& strURL, bool bNoTag = false,
             std::function<void(bool handedOver)> handedOver = {});
