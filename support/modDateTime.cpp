#include "support/modDateTime.h"

#include "platform/VbError.h"
#include "support/ErrorTrap.h"

#include <cmath>
#include <limits>

namespace {

constexpr int64_t MillisecondsPerDay = 86400000;

// A date value on one straight line of days: before 30 December 1899 the whole part counts back
// and the fraction forward, so -1.75 (29 December, 18:00) lies at -0.25.
double OnTimeLine(double date)
{
    const double day = std::trunc(date);
    return date >= 0 ? date : day - (date - day);
}

int32_t WholeDays(double first, double second)
{
    const double days = OnTimeLine(second) - OnTimeLine(first);
    // Beyond this no count fits; NaN fails the test as well.
    if (!(std::fabs(days) < 4e9))
        vb::Raise(vb::errOverflow);
    // To the millisecond, so that a time stored as a binary fraction does not lose a day.
    const int64_t whole = std::llround(days * MillisecondsPerDay) / MillisecondsPerDay;
    if (whole < std::numeric_limits<int32_t>::min() || whole > std::numeric_limits<int32_t>::max())
        vb::Raise(vb::errOverflow);
    return static_cast<int32_t>(whole);
}

} // namespace

int32_t DiffDays(const double& dtFirst, const double& dtSecond)
{
    int32_t result = 0;
    TrapErrorsLocally(QStringLiteral("DiffDays"), [&] { result = WholeDays(dtFirst, dtSecond); });
    return result;
}
