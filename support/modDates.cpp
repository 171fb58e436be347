#include "support/modDates.h"

#include "platform/VbError.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

namespace {

struct MonthName {
    const char* longName;
    const char* shortName;
};

constexpr MonthName Months[12] = {
    {"January", "Jan"}, {"February", "Feb"}, {"March", "Mar"},     {"April", "Apr"},
    {"May", "May"},     {"June", "Jun"},     {"July", "Jul"},      {"August", "Aug"},
    {"September", "Sep"}, {"October", "Oct"}, {"November", "Nov"}, {"December", "Dec"},
};

bool TwoDigitYear(const QString& format)
{
    return format.contains(QStringLiteral("yy")) && !format.contains(QStringLiteral("yyyy"));
}

// The date in text by one format of one locale; a two-digit year is put in 1930 to 2029.
QDate ByFormat(const QLocale& locale, const QString& text, const QString& format)
{
    QDate date = locale.toDate(text, format);
    if (!date.isValid()) {
        // The format may hold a time as well as the date.
        date = locale.toDateTime(text, format).date();
    }
    if (date.isValid() && TwoDigitYear(format)) {
        const int yy = date.year() % 100;
        date = QDate(yy < 30 ? 2000 + yy : 1900 + yy, date.month(), date.day());
    }
    return date;
}

// The forms a date is typed in: the user's own first, then the same with a four-digit year,
// then written-out months (in the user's language, then in English) and the ISO form.
QDate ReadDate(const QString& text)
{
    const QLocale user = QLocale::system();
    const QStringList written = {QStringLiteral("d MMMM yyyy"), QStringLiteral("d MMM yyyy"),
                                 QStringLiteral("MMMM d, yyyy"), QStringLiteral("MMM d, yyyy"),
                                 QStringLiteral("d. MMMM yyyy")};
    QStringList own;
    for (QLocale::FormatType type : {QLocale::ShortFormat, QLocale::LongFormat, QLocale::NarrowFormat}) {
        own << user.dateFormat(type) << user.dateTimeFormat(type);
        if (TwoDigitYear(user.dateFormat(type)))
            own << QString(user.dateFormat(type)).replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    }
    for (const QString& format : own + written) {
        const QDate date = ByFormat(user, text, format);
        if (date.isValid())
            return date;
    }
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (const QString& format : written) {
        const QDate date = ByFormat(english, text, format);
        if (date.isValid())
            return date;
    }
    return QDate::fromString(text, Qt::ISODate);
}

} // namespace

int32_t DateToYMD(const QString& sDate)
{
    if (sDate.isEmpty())
        return 0;
    const QDate date = ReadDate(sDate.trimmed());
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        vb::Raise(vb::errTypeMismatch);
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QString FormatYMD(int32_t lngDate, bool bLongMonth, bool bDashes, bool bTwoDigitYear)
{
    const QString digits = QString::number(lngDate);
    if (lngDate < 0 || digits.size() != 8)
        return {};
    const QString year = bTwoDigitYear ? digits.mid(2, 2) : digits.left(4);
    const int month = digits.mid(4, 2).toInt();
    QString monthText;
    if (month >= 1 && month <= 12)
        monthText = QString::fromLatin1(bLongMonth ? Months[month - 1].longName : Months[month - 1].shortName);
    const QString day = digits.right(2);
    if (bDashes)
        return day + QLatin1Char('-') + monthText + QLatin1Char('-') + year;
    return monthText + QLatin1Char(' ') + day + QStringLiteral(", ") + year;
}
