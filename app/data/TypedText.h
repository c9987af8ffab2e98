#pragma once

#include <QDate>
#include <QString>

namespace gearlog {

// What a person types into a date or money box, and how such values show.

// Dates show as "dd-mmm-yyyy" (English month abbreviations).
QString format_date(const QDate& date);
// Reads that form, ISO dates and the locale's short form; null when the
// text is no date.
QDate parse_date(const QString& text);

// The largest amount a money field keeps exactly to the cent.
constexpr double largestMoney = 1e12;
// Money as typed: the user's locale's form first (1.234,56 in German),
// then the C form (1234.56). False when the text is neither, or is no
// finite amount within ±largestMoney.
bool parse_money(const QString& text, double* value);

} // namespace gearlog
