#pragma once
// The program's one error path and its URL launcher.
//
// Every procedure that traps its errors ends its handler with ShowErrorReport, which shows a fresh
// modal report window and returns when it has closed. A report raised while one is already on its
// way (an error inside the report path itself) never starts another: it goes to stderr only.
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

void ShowErrorReport(int32_t ErrNum, const QString& ErrDesc, const QString& ModuleName, const QString& ProcName,
                     const QString& ExtraDesc);

// Opens strURL in the default web browser; unless bNoTag is set the source tag "?src=qv" is
// appended. A failed launch shows "Error on launching URL: " and the shell's result. Never waits.
void OpenURL(QWidget* frm, const QString& strURL, bool bNoTag = false);
