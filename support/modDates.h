#pragma once
// Compact dates: a date as the whole number year * 10000 + month * 100 + day (20160831 for
// 31 August 2016), and such a number as a readable text.
#include <QString>
#include <cstdint>

// The compact form of a date typed as text, read as the user's regional settings (the default
// QLocale) write dates: day, month and year in the order of the locale's short date format, apart
// by "/", "-", ".", blanks or commas ("8/31/2016", "31.08.16"); a year of more than two digits
// first puts month and day after it ("2016-08-31"). The month may be a name, English or the
// locale's own, long or short, in any case; the day then comes before the year unless the year has
// more than two digits and comes first ("31-Aug-16", "Aug 31, 2016", "2016 Aug 31"). A year of one
// or two digits means 1930 to 2029, one of three or four digits is taken as written (100 to 9999).
// A time of day (h:mm or h:mm:ss, 0 to 23, or 0 to 12 before AM or PM) may stand before or after
// the date. The locale's own long form ("Wednesday, August 31, 2016") reads too. Every text
// FormatYMD writes reads back (with a two-digit year, for 1930 to 2029). 0 for an empty text; a
// text that is not a date (30 February included) raises error 13 (type mismatch).
int32_t DateToYMD(const QString& sDate);

// With bDashes: day "-" month "-" year (05-Aug-2016); without: month " " day ", " year
// (Aug 05, 2016). bLongMonth writes the month's whole name, bTwoDigitYear the year's last two
// digits. A month number outside 1 to 12 leaves the month empty. Anything but eight decimal digits
// (a negative number included) gives an empty text.
QString FormatYMD(int32_t lngDate, bool bLongMonth, bool bDashes, bool bTwoDigitYear);
