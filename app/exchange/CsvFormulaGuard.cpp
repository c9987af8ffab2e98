#include "CsvFormulaGuard.h"

#include <QLocale>

namespace gearlog {

namespace {

bool startsFormula(QStringView text) {
    return !text.isEmpty() && QStringView(u"=+-@").contains(text.front());
}

// Apostrophes then a formula's first character: the form a guard writes.
bool guardedForm(QStringView text) {
    qsizetype quotes = 0;
    while (quotes < text.size() && text[quotes] == QLatin1Char('\''))
        ++quotes;
    return startsFormula(text.mid(quotes));
}

bool isNumber(const QString& text) {
    bool ok = false;
    QLocale().toDouble(text, &ok);
    if (!ok)
        QLocale::c().toDouble(text, &ok);
    return ok;
}

} // namespace

QString guard_formula(const QString& cell) {
    return guardedForm(cell) && !isNumber(cell) ? QLatin1Char('\'') + cell : cell;
}

QString unguard_formula(const QString& cell) {
    return cell.startsWith(QLatin1Char('\'')) && guardedForm(QStringView(cell).mid(1)) ? cell.mid(1)
                                                                                       : cell;
}

} // namespace gearlog
