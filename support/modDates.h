#pragma once
// Compact dates: a date as the whole number year * 10000 + month * 100 + day (20160831 for
// 31 August 2016), and such a number as a readable text.
#include <QString>
#include <cstdint>

// The compact form of a date typed as text, read as the user's regional settings write dates
// (their short and long forms, with a four-digit year too, and "31 August 2016", "August 31, 2016",
// "2016-08-31"); a two-digit year means 1930 to 2029. 0 for an empty text; a text that is not a date
// raises error 13 (type mismatch).
int32_t DateToYMD(const QString& sDate);

// With bDashes: day "-" month "-" year (05-Aug-2016); without: month " " day ", " year
// (Aug 05, 2016). bLongMonth writes the month's whole name, bTwoDigitYear the year's last two
// digits. A month number outside 1 to 12 leaves the month empty. Anything but eight decimal digits
// (a negative number included) gives an empty text.
QString FormatYMD(int32_t lngDate, bool bLongMonth, bool bDashes, bool bTwoDigitYear);
