// Compact dates and day counts.
#include "support/modDateTime.h"
#include "support/modDates.h"

#include "TestSupport.h"
#include "platform/VbError.h"

#include <QDate>
#include <QLocale>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <limits>

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

TEST(DateToYMD, ReadsDatesAsTheUserWritesThem)
{
    EXPECT_EQ(DateToYMD(QString()), 0);
    const QDate day(2016, 8, 31);
    const QLocale user = QLocale::system();
    for (const QString& text : {QStringLiteral("31 August 2016"), QStringLiteral("August 31, 2016"),
                                QStringLiteral("2016-08-31"), user.toString(day, QLocale::ShortFormat),
                                user.toString(day, QLocale::LongFormat)})
        EXPECT_EQ(DateToYMD(text), 20160831) << text.toStdString();
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
