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

QDate parse_date(const QString& text) {
    const QString t = text.trimmed();
    const QLocale english(QLocale::English);
    for (const QString& format : {QStringLiteral("dd-MMM-yyyy"), QStringLiteral("d-MMM-yyyy"),
                                  QStringLiteral("d MMM yyyy"), QStringLiteral("d MMMM yyyy")}) {
        const QDate d = english.toDate(t, format);
        if (d.isValid())
            return d;
    }
    const QDate iso = QDate::fromString(t.left(10), Qt::ISODate);
    if (iso.isValid())
        return iso;
    return QLocale().toDate(t, QLocale::ShortFormat);
}

bool parse_money(const QString& text, double* value) {
    const QString t = text.trimmed();
    bool ok = false;
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
