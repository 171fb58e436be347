#pragma once
// Day counts between date values. A date value counts days since 30 December 1899; its fraction is
// the time of day (for a date before then, the fraction still counts forward from midnight:
// -1.25 is 29 December 1899, 06:00).
#include <cstdint>

// The whole days from the first date to the second, dropping the part of a day towards zero: 1 from
// a day to the next when the later time of day is not earlier, else 0; negative when the second is
// earlier. Times are taken to the millisecond. A count beyond 32 bits is shown in the message box
// "Error: 6. Overflow" titled "DiffDays", and 0 is returned.
int32_t DiffDays(const double& dtFirst, const double& dtSecond);
