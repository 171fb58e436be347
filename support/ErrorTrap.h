#pragma once
// The one way a procedure traps its own errors.
//
// TrapErrors runs a procedure's body. An error raised inside it stops the body there (the rest is
// skipped, the failing statement is never tried again), runs the handler's first statements
// (onError: stopping a timer, say) and is reported once through ShowErrorReport with the module's
// and the procedure's name. A body that takes an `int&` numbers its lines as it goes and its report
// carries "Line: n" for the last line it reached; a body that takes nothing reports an empty extra
// text. Whatever the body has set by then (results captured by reference) stays as it is.
//
// TrapErrorsLocally is the library utilities' variant: the error is shown in a plain message box
// "Error: <number>. <description>" titled with the failing member's name, and nothing is reported.
#include <QString>
#include <type_traits>
#include <utility>

namespace errortrap {
// Inside a catch block only: reports the error in flight through the one error-report path.
void ReportInFlight(const QString& module, const QString& proc, const QString& extra);
// Inside a catch block only: shows the error in flight in the library's local message box.
void ShowInFlight(const QString& title);
// The extra text of a procedure that numbers its lines.
QString LineText(int line);

struct NoAction {
    void operator()() const noexcept {}
};

template <class Body>
bool Run(Body& body, int& line)
{
    if constexpr (std::is_invocable_v<Body&, int&>)
        body(line);
    else
        body();
    return true;
}
} // namespace errortrap

// True when the body ran to its end, false when an error was trapped and reported.
template <class Body, class OnError = errortrap::NoAction>
bool TrapErrors(const QString& module, const QString& proc, Body&& body, OnError&& onError = {})
{
    int line = 0;
    try {
        return errortrap::Run(body, line);
    } catch (...) {
        // The handler's own first statements; a failure there must not hide the error in flight.
        try {
            onError();
        } catch (...) {
        }
        errortrap::ReportInFlight(module, proc,
                                  std::is_invocable_v<Body&, int&> ? errortrap::LineText(line) : QString());
        return false;
    }
}

template <class Body>
bool TrapErrorsLocally(const QString& title, Body&& body)
{
    int line = 0;
    try {
        return errortrap::Run(body, line);
    } catch (...) {
        errortrap::ShowInFlight(title);
        return false;
    }
}

// Runs one statement whose failure must not stop its caller (a layout step, a statement of a
// window's unload), or a body whose caller learns of a failure from the result alone: an error in
// it is dropped and the caller goes on. True when the body ran to its end.
template <class Body>
bool IgnoreErrors(Body&& body) noexcept
{
    try {
        body();
        return true;
    } catch (...) {
        return false;
    }
}
