// Compact dates and day counts.
#include "support/modDateTime.h"
#include "support/modDates.h"

#include "TestSupport.h"
#include "platform/VbError.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QLocale>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

TEST(FormatYMD, WritesTheDateByItsFlags)
{
    struct Case {
        int32_t date;
        bool longMonth, dashes, twoDigitYear;
        QString text;
    } cases[] = {
        {20160805, true, false, false, QStringLiteral("August 05, 2016")},
        {20160805, true, true, true, QStringLiteral("05-August-16")},
        {20160805, false, true, false, QStringLiteral("05-Aug-2016")},
        {20160805, false, false, true, QStringLiteral("Aug 05, 16")},
        {20160512, true, false, false, QStringLiteral("May 12, 2016")},
        {20160512, false, false, false, QStringLiteral("May 12, 2016")},
        {20160912, true, true, false, QStringLiteral("12-September-2016")},
        {20161231, false, true, false, QStringLiteral("31-Dec-2016")},
        // A month outside the year leaves the month out.
        {20161305, false, true, false, QStringLiteral("05--2016")},
        // Anything but eight digits gives nothing.
        {2016085, false, true, false, QString()},
        {-2016085, false, true, false, QString()},
        {-20160805, true, false, false, QString()},
        {0, false, false, false, QString()},
        {201608051, false, false, false, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatYMD(c.date, c.longMonth, c.dashes, c.twoDigitYear), c.text) << c.date;
}

// Makes name the user's locale while it lives.
class UserLocale {
public:
    explicit UserLocale(const char* name) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~UserLocale() { QLocale::setDefault(saved); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

private:
    const QLocale saved;
};

// What DateToYMD gives, or the number of the error it raises as a negative number.
int32_t ReadOrError(const QString& text)
{
    try {
        return DateToYMD(text);
    } catch (const vb::VbError& e) {
        return -e.Number;
    }
}

constexpr int32_t Refused = -13;

TEST(DateToYMD, ReadsDatesAsTheUserWritesThem)
{
    EXPECT_EQ(DateToYMD(QString()), 0);
    const QDate day(2016, 8, 31);
    {
        const QLocale user;
        for (const QString& text : {QStringLiteral("31 August 2016"), QStringLiteral("August 31, 2016"),
                                    QStringLiteral("2016-08-31"), user.toString(day, QLocale::ShortFormat),
                                    user.toString(day, QLocale::LongFormat)})
            EXPECT_EQ(DateToYMD(text), 20160831) << text.toStdString();
    }
    // The date forms each locale writes itself.
    for (const char* name : {"en_US", "de_DE", "en_GB", "fr_FR", "es_ES", "sv_SE", "nl_NL", "ru_RU", "fi_FI", "hu_HU",
                             "ja_JP", "zh_CN", "ko_KR"}) {
        UserLocale setting(name);
        const QLocale user;
        for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
            const QString text = user.toString(day, type);
            EXPECT_EQ(ReadOrError(text), 20160831) << name << " " << text.toStdString();
        }
    }
    // And with the time after the date, as h:mm and AM or PM, or as H:mm.
    for (const char* name : {"en_US", "de_DE", "en_GB", "fr_FR", "es_ES", "sv_SE", "ja_JP", "zh_CN"}) {
        UserLocale setting(name);
        const QString text = QLocale().toString(QDateTime(day, QTime(22, 30)), QLocale::ShortFormat);
        EXPECT_EQ(ReadOrError(text), 20160831) << name << " " << text.toStdString();
    }
    EXPECT_EQ(DateToYMD(QStringLiteral("1 January 1000")), 10000101);
    for (const QString& text : {QStringLiteral("not a date"), QStringLiteral("31 February 2016"), QStringLiteral(" ")}) {
        try {
            DateToYMD(text);
            ADD_FAILURE() << text.toStdString();
        } catch (const vb::VbError& e) {
            EXPECT_EQ(e.Number, 13);
        }
    }
}

TEST(DateToYMD, ReadsTheLocalesOrderMonthNamesTimesAndTwoDigitYears)
{
    struct Case {
        const char* locale;
        const char* text;
        int32_t ymd;
    } cases[] = {
        // Month, day, year.
        {"en_US", "8/31/2016", 20160831},
        {"en_US", "8/31/16", 20160831},
        {"en_US", "08-31-2016", 20160831},
        {"en_US", "8.31.2016", 20160831},
        {"en_US", "8 31 2016", 20160831},
        {"en_US", "8, 31, 2016", 20160831},
        {"en_US", "8/31/2016 10:30 PM", 20160831},
        {"en_US", "8/31/2016 10:30pm", 20160831},
        {"en_US", "8/31/2016 23:59", 20160831},
        {"en_US", "8/31/2016 12:00:59 am", 20160831},
        {"en_US", "10:30 8/31/2016", 20160831},
        {"en_US", "31-Aug-2016", 20160831},
        {"en_US", "31-August-2016", 20160831},
        {"en_US", "Aug 31, 16", 20160831},
        {"en_US", "31-Aug-16", 20160831},
        {"en_US", "August 31, 2016", 20160831},
        {"en_US", "august 31 2016", 20160831},
        {"en_US", "31 AUG. 2016 7:05:00 AM", 20160831},
        {"en_US", "2016-08-31", 20160831},
        {"en_US", "2016 Aug 31", 20160831},
        {"en_US", "2/29/00", 20000229},
        {"en_US", "2/29/2000", 20000229},
        {"en_US", "29-Feb-96", 19960229},
        {"en_US", "1/1/30", 19300101},
        {"en_US", "12/31/29", 20291231},
        {"en_US", "1/1/5", 20050101},
        {"en_US", "12/31/9999", 99991231},
        {"en_US", "1/1/100", 1000101},
        {"en_US", "Wednesday, August 31, 2016", 20160831},
        {"en_US", "31.08.2016 10:30", Refused}, // month 31
        {"en_US", "31/8/2016", Refused},
        {"en_US", "2/30/2016", Refused},
        {"en_US", "2/29/2015", Refused},
        {"en_US", "2/29/1900", Refused},
        {"en_US", "29-Feb-01", Refused},
        {"en_US", "0/12/2016", Refused},
        {"en_US", "12/0/2016", Refused},
        {"en_US", "1/1/0099", Refused},
        {"en_US", "1/1/10000", Refused},
        {"en_US", "8/31/2016 24:00", Refused},
        {"en_US", "8/31/2016 13:00 PM", Refused},
        {"en_US", "8/31/2016 10:60", Refused},
        {"en_US", "8/31/2016 10:30:60", Refused},
        {"en_US", "8/31/2016 10:30 XM", Refused},
        {"en_US", "8/31/2016 PM", Refused},
        {"en_US", "8/31/2016 10:30 10:30", Refused},
        {"en_US", "8/31/2016 10:", Refused},
        {"en_US", "8/31/2016 +1", Refused},
        {"en_US", "8/31", Refused},
        {"en_US", "8/31/2016/1", Refused},
        {"en_US", "10:30", Refused},
        {"en_US", "31-Aug-Sep-2016", Refused},
        {"en_US", "31-Aug-12-2016", Refused},
        {"en_US", "31-Foo-2016", Refused},
        {"en_US", "031/08/2016", Refused},
        // Day, month, year; the locale's own month names as well as English ones.
        {"de_DE", "31.08.2016", 20160831},
        {"de_DE", "31.08.16", 20160831},
        {"de_DE", "31.8.2016 10:30", 20160831},
        {"de_DE", "31.08.2016 23:59:59", 20160831},
        {"de_DE", "31/08/2016", 20160831},
        {"de_DE", "31. August 2016", 20160831},
        {"de_DE", "31. Aug. 2016", 20160831},
        {"de_DE", "31-Aug-16", 20160831},
        {"de_DE", "Aug 31, 16", 20160831},
        {"de_DE", "August 31, 2016", 20160831},
        {"de_DE", "1. März 2016", 20160301},
        {"de_DE", "1. MÄRZ 2016", 20160301},
        {"de_DE", "1. Mär 2016", 20160301},
        {"de_DE", "31. Mai 2016", 20160531},
        {"de_DE", "31-May-2016", 20160531},
        {"de_DE", "31 Dez 99", 19991231},
        {"de_DE", "29.02.00", 20000229},
        {"de_DE", "29/02/00", 20000229},
        {"de_DE", "2016-08-31", 20160831},
        {"de_DE", "Mittwoch, 31. August 2016", 20160831},
        {"de_DE", "8/31/2016", Refused},
        {"de_DE", "30.02.2016", Refused},
        {"de_DE", "29.02.01", Refused},
        {"de_DE", "31.08.2016 25:00", Refused},
        {"de_DE", "31. Augus 2016", Refused},
        {"de_DE", "kein Datum", Refused},
    };
    for (const Case& c : cases) {
        UserLocale user(c.locale);
        EXPECT_EQ(ReadOrError(QString::fromUtf8(c.text)), c.ymd) << c.locale << " " << c.text;
    }
}

TEST(DateToYMD, ReadsBackEveryTextFormatYMDWrites)
{
    std::vector<QDate> days;
    // Every day around both ends of the two-digit years' window; in every year, the last of
    // February (29 in leap years, 28 in others) and a day of another month.
    for (QDate d(1928, 1, 1); d <= QDate(2032, 12, 31); d = d.addDays(1))
        days.push_back(d);
    for (int year = 1000; year <= 9999; ++year) {
        days.push_back(QDate(year, 3, 1).addDays(-1));
        days.push_back(QDate(year, year % 12 + 1, year % 28 + 1));
    }
    for (const char* locale : {"en_US", "de_DE"}) {
        UserLocale user(locale);
        for (const QDate& d : days) {
            const int32_t ymd = d.year() * 10000 + d.month() * 100 + d.day();
            for (int flags = 0; flags < 8; ++flags) {
                const bool twoDigitYear = (flags & 4) != 0;
                if (twoDigitYear && (d.year() < 1930 || d.year() > 2029))
                    continue;
                const QString text = FormatYMD(ymd, (flags & 1) != 0, (flags & 2) != 0, twoDigitYear);
                ASSERT_EQ(ReadOrError(text), ymd) << locale << " " << text.toStdString();
            }
        }
    }
}

// 31 August 2016 as a date value: days since 30 December 1899.
const double Aug31 = QDate(1899, 12, 30).daysTo(QDate(2016, 8, 31));

double At(double day, int hours, int minutes = 0, int seconds = 0, int ms = 0)
{
    return day + ((hours * 60 + minutes) * 60 + seconds + ms / 1000.0) / 86400.0;
}

TEST(DiffDays, CountsWholeDaysWhateverTheTimesOfDay)
{
    struct Case {
        double first, second;
        int32_t days;
    } cases[] = {
        {At(Aug31, 18), At(Aug31 + 1, 18), 1},
        {At(Aug31, 18), At(Aug31 + 1, 17, 59, 59), 0},
        {At(Aug31, 0), At(Aug31 + 1, 23, 59), 1},
        {At(Aug31, 9, 30, 15, 123), At(Aug31 + 10, 9, 30, 15, 123), 10},
        {Aug31, Aug31, 0},
        // Before 30 December 1899 the fraction still counts forward from midnight: -1.75 is
        // 29 December 18:00, -1.25 29 December 06:00, -3.5 27 December 12:00.
        {-1.75, 0.25, 0},
        {-1.25, 0.25, 1},
        {-3.5, -1.5, 2},
        {-1.75, -1.25, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiffDays(c.first, c.second), c.days) << c.first << " " << c.second;
        EXPECT_EQ(DiffDays(c.second, c.first), -c.days) << c.first << " " << c.second;
    }
    // Times of day to the millisecond, as binary fractions: a day later is 1 exactly when the later
    // time is not earlier.
    QRandomGenerator random(42613);
    for (int i = 0; i < 20000; ++i) {
        const int a = int(random.bounded(86400000));
        const int b = random.bounded(4) == 0 ? a : int(random.bounded(86400000));
        const double first = Aug31 + a / 86400000.0;
        const double second = Aug31 + 1 + b / 86400000.0;
        ASSERT_EQ(DiffDays(first, second), b >= a ? 1 : 0) << a << " " << b;
        ASSERT_EQ(DiffDays(second, first), b >= a ? -1 : 0) << a << " " << b;
    }
}

TEST(DiffDays, ACountBeyondThirtyTwoBitsIsShownAndGivesZero)
{
    testing_support::MsgBoxRecorder boxes;
    EXPECT_EQ(DiffDays(0.0, 3e9), 0);
    EXPECT_EQ(DiffDays(0.0, std::numeric_limits<double>::quiet_NaN()), 0);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].Prompt, QStringLiteral("Error: 6. Overflow"));
    EXPECT_EQ(boxes.calls[0].Title, QStringLiteral("DiffDays"));
    EXPECT_EQ(boxes.calls[0].Buttons, int(vb::vbOKOnly));
    EXPECT_EQ(DiffDays(0.0, 2147483647.5), 2147483647);
    EXPECT_EQ(boxes.calls.size(), 2u);
}

} // namespace
