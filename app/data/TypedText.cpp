#include "TypedText.h"

#include "GridSort.h"

#include <QLocale>
#include <cmath>
#include <cstdio>

namespace gearlog {

QString format_date(const QDate& date) {
    // Written directly: reports format a date for every row they list.
    if (!date.isValid())
        return {};
    const int day = date.day(), year = date.year();
    char text[16];
    std::snprintf(text, sizeof text, "%02d-%s-%04d", day, shownMonths[date.month() - 1], year);
    return QString::fromLatin1(text);
}

namespace {

// A date's text cut at its separators: up to three runs of digits or of
// letters, each ended by one of "-/. " (a full stop may be followed by a
// space, as in "15. 03. 2025").
struct DateParts {
    QStringView parts[3];
    bool numeric[3] = {};
    int count = 0;
};

bool cutDate(QStringView t, DateParts* d) {
    qsizetype i = 0;
    while (i < t.size()) {
        if (d->count == 3)
            return false;
        const qsizetype start = i;
        const bool digits = t[i].isDigit();
        while (i < t.size() && (digits ? t[i].isDigit() : t[i].isLetter()))
            ++i;
        if (i == start)
            return false;
        d->parts[d->count] = t.mid(start, i - start);
        d->numeric[d->count++] = digits;
        if (i == t.size())
            break;
        const QChar separator = t[i++];
        if (separator != u'-' && separator != u'/' && separator != u'.' && separator != u' ')
            return false;
        if (separator == u'.' && i < t.size() && t[i] == u' ')
            ++i;
        if (i == t.size())
            return false;
    }
    return d->count == 3;
}

// January is 1; 0 for no English month name (or its first three letters).
int monthNamed(QStringView name) {
    static const char* const whole[12] = {"january",   "february", "march",    "april",
                                          "may",       "june",     "july",     "august",
                                          "september", "october",  "november", "december"};
    for (int m = 0; m < 12; ++m) {
        if (name.compare(QLatin1String(shownMonths[m]), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String(whole[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    }
    return 0;
}

// A year of four digits, or of two within 50 years of today; 0 otherwise.
int yearOf(QStringView digits) {
    const int value = digits.toInt();
    if (digits.size() == 4)
        return value;
    if (digits.size() != 2)
        return 0;
    const int thisYear = QDate::currentDate().year();
    int year = thisYear - thisYear % 100 + value;
    if (year > thisYear + 50)
        year -= 100;
    else if (year < thisYear - 50)
        year += 100;
    return year;
}

// The order of the locale's short date form, as its pattern names it.
DateOrder localeOrder() {
    static thread_local QLocale known(QLocale::c());
    static thread_local DateOrder order = DateOrder::MonthDayYear;
    const QLocale locale;
    if (locale != known) {
        const QString format = locale.dateFormat(QLocale::ShortFormat);
        const qsizetype d = format.indexOf(u'd'), m = format.indexOf(u'M'),
                        y = format.indexOf(u'y');
        order = (y >= 0 && y < m && y < d) ? DateOrder::YearMonthDay
                : (m >= 0 && m < d)        ? DateOrder::MonthDayYear
                                           : DateOrder::DayMonthYear;
        known = locale;
    }
    return order;
}

// Whole units with at most two decimals after a point ("1234.5", "-3.75"):
// no locale reads them otherwise (a point followed by fewer than three
// digits is never a group separator), so they skip the locale's parser.
bool plainAmount(const QString& t) {
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const qsizetype digitsEnd = point < 0 ? t.size() : point;
    const qsizetype first = t.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (digitsEnd == first ||
        (point >= 0 && (t.size() - point - 1 < 1 || t.size() - point - 1 > 2)))
        return false;
    for (qsizetype i = first; i < t.size(); ++i)
        if (i != point && (t[i] < QLatin1Char('0') || t[i] > QLatin1Char('9')))
            return false;
    return true;
}

} // namespace

QDate parse_date(const QString& text, DateOrder order) {
    const QStringView t = QStringView(text).trimmed();
    // ISO first, with or without a time after it, as stores and tools write.
    if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-' && t[0].isDigit()) {
        const QDate iso = QDate::fromString(t.left(10).toString(), Qt::ISODate);
        if (iso.isValid() && (t.size() == 10 || t[10] == u' ' || t[10] == u'T'))
            return iso;
    }
    DateParts d;
    if (!cutDate(t, &d))
        return {};
    if (!d.numeric[0] || !d.numeric[2])
        return {};
    if (!d.numeric[1]) { // 05-Jan-2026, 5 March 2026
        const int month = monthNamed(d.parts[1]), year = yearOf(d.parts[2]);
        return month && year && d.parts[0].size() <= 2 ? QDate(year, month, d.parts[0].toInt())
                                                       : QDate();
    }
    if (order == DateOrder::Locale)
        order = localeOrder();
    const QStringView day = order == DateOrder::DayMonthYear   ? d.parts[0]
                            : order == DateOrder::MonthDayYear ? d.parts[1]
                                                               : d.parts[2];
    const QStringView month = order == DateOrder::MonthDayYear ? d.parts[0] : d.parts[1];
    const QStringView year = order == DateOrder::YearMonthDay ? d.parts[0] : d.parts[2];
    const int y = yearOf(year);
    if (day.size() > 2 || month.size() > 2 || y == 0)
        return {};
    return QDate(y, month.toInt(), day.toInt());
}

bool parse_money(const QString& text, double* value) {
    const QString t = text.trimmed();
    bool ok = false;
    if (plainAmount(t)) {
        const double amount = t.toDouble(&ok);
        if (ok && std::abs(amount) <= largestMoney) {
            *value = amount;
            return true;
        }
        return false;
    }
    // The locale's form first: in German "1.500" is fifteen hundred.
    double amount = QLocale().toDouble(t, &ok);
    if (!ok)
        amount = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(amount) || std::abs(amount) > largestMoney)
        return false;
    *value = amount;
    return true;
}

} // namespace gearlog
