#pragma once

#include "Schema.h"

#include <QDateTime>
#include <QString>

namespace gearlog {

// Dates are kept by the file store as "yyyy-MM-dd HH:mm:ss" text, which
// sorts and compares in date order; the server store accepts the same text.
QString dateToStoreText(const QDateTime& value);
// A calendar day as a Date field holds it: its midnight.
inline QDateTime dayStart(const QDate& day) {
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}
// Fast parse of that text (and of the ISO forms engines return); an invalid
// QDateTime when the text is no date.
QDateTime dateFromStoreText(QStringView text);

// Text either store keeps exactly as it was given: a NUL character or half
// of a surrogate pair is refused with a plain EngineError naming `what`
// (the field, or "a value"), rather than cut short or altered.
void requireStorableText(const QString& text, const QString& what);

} // namespace gearlog
