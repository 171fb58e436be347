#pragma once
// The one way a procedure traps its own errors.
//
// TrapErrors runs a procedure's body. An error raised inside it stops the body there (the rest is
// skipped, the failing statement is never tried again), runs the handler's first statements (the
// options' beforeReport: stopping a timer, say) and is reported once through ShowErrorReport with
// the module's and the procedure's name. The options say which extra text the report carries:
// none, or "Line: n". A body that numbers its lines takes an `int&` and sets it as it goes; n is the
// last line it reached, 0 for a body that numbers none. Whatever the body has set by then (results
// captured by reference) stays as it is.
//
// TrapErrorsLocally is the library utilities' variant: the error is shown in a plain message box
// "Error: <number>. <description>" titled with the failing member's name, and nothing is reported.
#include <QString>
#include <functional>
#include <type_traits>
#include <utility>

namespace errortrap {

// The extra text of a procedure's error report.
enum class Extra {
    None, // empty
    Line, // "Line: " and the line reached
};

struct Options {
    Extra extra = Extra::None;
    // The handler's statements before the report; a failure in them must not hide the error.
    std::function<void()> beforeReport = {};
};

// Inside a catch block only: runs the options' statements and reports the error in flight through
// the one error-report path.
void ReportInFlight(const QString& module, const QString& proc, const Options& options, int line);
// Inside a catch block only: shows the error in flight in the library's local message box.
void ShowInFlight(const QString& title);

} // namespace errortrap

// True when the body ran to its end, false when an error was trapped and reported.
template <class Body>
bool TrapErrors(const QString& module, const QString& proc, const errortrap::Options& options, Body&& body)
{
    int line = 0;
    try {
        if constexpr (std::is_invocable_v<Body&, int&>)
            body(line);
        else
            body();
        return true;
    } catch (...) {
        errortrap::ReportInFlight(module, proc, options, line);
        return false;
    }
}

// A procedure whose report carries no extra text and whose handler does nothing before it.
template <class Body>
bool TrapErrors(const QString& module, const QString& proc, Body&& body)
{
    static_assert(!std::is_invocable_v<Body&, int&>, "a body that numbers its lines reports them: Extra::Line");
    return TrapErrors(module, proc, errortrap::Options{}, std::forward<Body>(body));
}

template <class Body>
bool TrapErrorsLocally(const QString& title, Body&& body)
{
    try {
        body();
        return true;
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
