#pragma once

#include <QDate>
#include <QString>

namespace gearlog {

// What a person types into a date or money box, and how such values show.

// Dates show as "dd-mmm-yyyy" (English month abbreviations).
QString format_date(const QDate& date);
// The order of a date's numbers ("15/03/2025", "3/15/2025", "2025.03.15").
enum class DateOrder { Locale, DayMonthYear, MonthDayYear, YearMonthDay };

// Reads that form (and "5 March 2026"), ISO dates and dates of three
// numbers in `order` (the desk's locale's by default); null when the text
// is no date. A year is written in four digits; two mean the year within
// 50 years of today (25 is 2025, 80 is 1980); other counts are refused.
QDate parse_date(const QString& text, DateOrder order = DateOrder::Locale);

// The largest amount a money field keeps exactly to the cent.
constexpr double largestMoney = 1e12;
// Money as typed: the user's locale's form first (1.234,56 in German),
// then the C form (1234.56). False when the text is neither, or is no
// finite amount within ±largestMoney.
bool parse_money(const QString& text, double* value);

} // namespace gearlog
