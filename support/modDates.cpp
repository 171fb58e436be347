#include "support/modDates.h"

#include "platform/VbError.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <array>
#include <vector>

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

// The years a date may have.
constexpr int MinYear = 100;
constexpr int MaxYear = 9999;

// ---- Reading a date text ----

enum class Part { Day, Month, Year };
using PartOrder = std::array<Part, 3>;

constexpr PartOrder YearMonthDay = {Part::Year, Part::Month, Part::Day};
constexpr PartOrder MonthDayYear = {Part::Month, Part::Day, Part::Year};

// No part of a date or a time of day has more digits.
constexpr qsizetype MaxDigits = 4;

// Day, month and year in the order the locale's short date format puts them ("M/d/yy": month,
// day, year); month, day, year where that format does not name all three.
PartOrder OrderOf(const QLocale& locale)
{
    PartOrder order{};
    size_t found = 0;
    bool quoted = false;
    for (const QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        Part part = Part::Day;
        if (c == QLatin1Char('M'))
            part = Part::Month;
        else if (c == QLatin1Char('y'))
            part = Part::Year;
        else if (c != QLatin1Char('d'))
            continue;
        const auto seen = order.begin() + static_cast<std::ptrdiff_t>(found);
        if (std::find(order.begin(), seen, part) == seen)
            order[found++] = part;
        if (found == order.size())
            return order;
    }
    return MonthDayYear;
}

struct Token {
    enum Kind { Number, Word, Colon } kind = Number;
    QString text;  // a word's letters
    int value = 0; // a number's value
    qsizetype digits = 0;
};

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool IsSeparator(QChar c)
{
    return c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.') ||
           c == QLatin1Char(',');
}

// The text's numbers, words and colons, the separators between them dropped; false when it holds
// anything else, or a number longer than any part of a date.
bool Split(const QString& text, std::vector<Token>& tokens)
{
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (IsSeparator(c)) {
            ++i;
        } else if (c == QLatin1Char(':')) {
            tokens.push_back({Token::Colon, {}});
            ++i;
        } else if (IsDigit(c)) {
            const qsizetype start = i;
            while (i < text.size() && IsDigit(text[i]))
                ++i;
            if (i - start > MaxDigits)
                return false;
            tokens.push_back({Token::Number, {}, text.mid(start, i - start).toInt(), i - start});
        } else if (c.isLetter()) {
            const qsizetype start = i;
            while (i < text.size() && text[i].isLetter())
                ++i;
            tokens.push_back({Token::Word, text.mid(start, i - start)});
        } else {
            return false;
        }
    }
    return true;
}

// The name a QString or a QLatin1String.
template <class Name>
bool SameWord(const QString& word, const Name& name)
{
    return word.compare(name, Qt::CaseInsensitive) == 0;
}

// The month a name stands for, English or the locale's own, long or short, in any case; 0 for none.
int MonthNumber(const QString& word, const QLocale& locale)
{
    for (int m = 1; m <= 12; ++m) {
        const MonthName& name = Months[m - 1];
        if (SameWord(word, QLatin1String(name.longName)) || SameWord(word, QLatin1String(name.shortName)))
            return m;
    }
    for (int m = 1; m <= 12; ++m) {
        for (QString name : {locale.monthName(m, QLocale::LongFormat), locale.monthName(m, QLocale::ShortFormat),
                             locale.standaloneMonthName(m, QLocale::LongFormat),
                             locale.standaloneMonthName(m, QLocale::ShortFormat)}) {
            // A short name may end in a point ("Aug."), which the text's separators have dropped.
            while (name.endsWith(QLatin1Char('.')))
                name.chop(1);
            if (!name.isEmpty() && SameWord(word, name))
                return m;
        }
    }
    return 0;
}

bool IsHalfDay(const QString& word, const QLocale& locale)
{
    return SameWord(word, QStringLiteral("AM")) || SameWord(word, QStringLiteral("PM")) ||
           SameWord(word, locale.amText()) || SameWord(word, locale.pmText());
}

// Passes over a time of day from tokens[i] on: h:mm or h:mm:ss, the hour 0 to 23, or 0 to 12
// before AM or PM; i ends past it. False when it is no time of day.
bool SkipTime(const std::vector<Token>& tokens, size_t& i, const QLocale& locale)
{
    const Token& hour = tokens[i];
    if (hour.digits > 2)
        return false;
    ++i;
    // Minutes, then seconds, each after a colon.
    for (int part = 0; part < 2 && i < tokens.size() && tokens[i].kind == Token::Colon; ++part) {
        if (i + 1 >= tokens.size())
            return false;
        const Token& t = tokens[i + 1];
        if (t.kind != Token::Number || t.digits != 2 || t.value > 59)
            return false;
        i += 2;
    }
    if (i < tokens.size() && tokens[i].kind == Token::Word && IsHalfDay(tokens[i].text, locale)) {
        ++i;
        return hour.value <= 12;
    }
    return hour.value <= 23;
}

// A year as written: one or two digits mean 1930 to 2029, more are the year itself.
int FullYear(const Token& year)
{
    if (year.digits > 2)
        return year.value;
    return year.value < 30 ? 2000 + year.value : 1900 + year.value;
}

// The date a text names: three numbers, day, month and year in the locale's order (or year, month,
// day when the first has more than two digits), or a month name and two numbers, the day before
// the year (unless the first has more than two digits); a time of day may stand before or after
// them. An invalid date for anything else.
QDate ReadDate(const QString& text, const QLocale& locale)
{
    std::vector<Token> tokens;
    if (!Split(text, tokens))
        return {};
    std::vector<Token> numbers;
    int month = 0;
    bool timeSeen = false;
    for (size_t i = 0; i < tokens.size();) {
        const Token& t = tokens[i];
        if (t.kind == Token::Number && i + 1 < tokens.size() && tokens[i + 1].kind == Token::Colon) {
            if (timeSeen || !SkipTime(tokens, i, locale))
                return {};
            timeSeen = true;
        } else if (t.kind == Token::Number) {
            numbers.push_back(t);
            ++i;
        } else if (t.kind == Token::Word && month == 0) {
            month = MonthNumber(t.text, locale);
            if (month == 0)
                return {};
            ++i;
        } else {
            return {};
        }
    }

    Token day;
    Token year;
    if (month > 0) {
        if (numbers.size() != 2)
            return {};
        const bool yearFirst = numbers[0].digits > 2;
        day = numbers[yearFirst ? 1 : 0];
        year = numbers[yearFirst ? 0 : 1];
    } else {
        if (numbers.size() != 3)
            return {};
        const PartOrder order = numbers[0].digits > 2 ? YearMonthDay : OrderOf(locale);
        Token monthNumber;
        for (size_t k = 0; k < order.size(); ++k) {
            switch (order[k]) {
            case Part::Day: day = numbers[k]; break;
            case Part::Month: monthNumber = numbers[k]; break;
            case Part::Year: year = numbers[k]; break;
            }
        }
        if (monthNumber.digits > 2)
            return {};
        month = monthNumber.value;
    }
    if (day.digits > 2)
        return {};
    const int y = FullYear(year);
    return QDate::isValid(y, month, day.value) ? QDate(y, month, day.value) : QDate();
}

} // namespace

int32_t DateToYMD(const QString& sDate)
{
    if (sDate.isEmpty())
        return 0;
    const QLocale user;
    const QString text = sDate.trimmed();
    QDate date = ReadDate(text, user);
    if (!date.isValid()) {
        // The locale's own long form, weekday and words included ("Wednesday, August 31, 2016").
        date = user.toDate(text, QLocale::LongFormat);
    }
    if (!date.isValid() || date.year() < MinYear || date.year() > MaxYear)
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
