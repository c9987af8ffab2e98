#include "StoreValues.h"

#include "EngineError.h"

#include <cstdio>

namespace gearlog {

QString dateToStoreText(const QDateTime& value) {
    const QDate day = value.date();
    if (!day.isValid() || day.year() < 1 || day.year() > 9999)
        return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Written directly: a bulk write stores a date for every row.
    const QTime time = value.time();
    char text[24];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", day.year(), day.month(),
                  day.day(), time.hour(), time.minute(), time.second());
    return QString::fromLatin1(text);
}

namespace {
int digits(QStringView text, qsizetype from, qsizetype count, bool* ok) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (i >= text.size() || !text[i].isDigit()) {
            *ok = false;
            return 0;
        }
        value = value * 10 + text[i].digitValue();
    }
    return value;
}
} // namespace

QDateTime dateFromStoreText(QStringView text) {
    bool ok = text.size() >= 10 && text[4] == QLatin1Char('-') && text[7] == QLatin1Char('-');
    const int year = digits(text, 0, 4, &ok);
    const int month = digits(text, 5, 2, &ok);
    const int day = digits(text, 8, 2, &ok);
    int hour = 0, minute = 0, second = 0;
    if (ok && text.size() >= 19) {
        hour = digits(text, 11, 2, &ok);
        minute = digits(text, 14, 2, &ok);
        second = digits(text, 17, 2, &ok);
    }
    if (!ok)
        return {};
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    return date.isValid() && time.isValid() ? QDateTime(date, time, Qt::UTC) : QDateTime();
}

void requireStorableText(const QString& text, const QString& what) {
    if (text.contains(QChar::Null))
        throw EngineError(QStringLiteral("The text of %1 holds a NUL character, which cannot be "
                                         "stored")
                              .arg(what));
    if (!text.isValidUtf16())
        throw EngineError(QStringLiteral("The text of %1 holds a character that is not valid "
                                         "text (half of a surrogate pair)")
                              .arg(what));
}

} // namespace gearlog
