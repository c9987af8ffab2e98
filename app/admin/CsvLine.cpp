#include "CsvLine.h"

#include "CsvFormulaGuard.h"

namespace gearlog {

void writeCsvLine(QTextStream& out, const QStringList& fields) {
    QStringList cells;
    for (const QString& field : fields) {
        const QString f = guard_formula(field);
        if (!f.contains(QLatin1Char(',')) && !f.contains(QLatin1Char('"')) &&
            !f.contains(QLatin1Char('\n')) && !f.contains(QLatin1Char('\r')))
            cells << f;
        else
            cells << QLatin1Char('"') +
                         QString(f).replace(QStringLiteral("\""), QStringLiteral("\"\"")) +
                         QLatin1Char('"');
    }
    out << cells.join(QLatin1Char(',')) << "\r\n";
}

} // namespace gearlog
