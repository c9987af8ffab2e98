#include "Sheet.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace gearlog {

SheetError tooMuchText() {
    return SheetError(QStringLiteral("The file holds more text than Gearlog imports at once "
                                     "(%1 million characters): import it in parts")
                          .arg(largestSheetCharacters / (1024 * 1024)));
}

SheetError tooManyCells() {
    return SheetError(QStringLiteral("The file holds more cells than Gearlog imports at once "
                                     "(%1): import it in parts")
                          .arg(QLocale().toString(largestSheetCells)));
}

void add_sheet_row(SheetTable& table, int line, QStringList cells, quint64 numbers) {
    while (!cells.isEmpty() && cells.back().trimmed().isEmpty())
        cells.removeLast();
    if (cells.isEmpty())
        return;
    if (table.headings.isEmpty()) {
        for (QString& heading : cells)
            heading = heading.trimmed();
        table.headings = std::move(cells);
        return;
    }
    if (table.rows.size() >= static_cast<size_t>(largestSheetRows))
        throw SheetError(QStringLiteral("The file holds more than %1 rows: import it in parts")
                             .arg(QLocale().toString(largestSheetRows)));
    // Cells past the last heading only tell that the row has too many.
    int width = 0;
    if (cells.size() > table.headings.size()) {
        width = static_cast<int>(cells.size());
        cells.resize(table.headings.size());
    }
    for (const QString& cell : cells)
        table.characters += cell.size();
    table.cells += cells.size();
    if (table.characters > largestSheetCharacters)
        throw tooMuchText();
    if (table.cells > largestSheetCells)
        throw tooManyCells();
    table.rows.push_back({line, std::move(cells), numbers, width});
}

SheetTable read_sheet(const QString& path, const Progress& progress, CsvEncoding encoding) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SheetError(QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString()));
    if (file.size() > largestSheetBytes)
        throw SheetError(QStringLiteral("%1 is %2 MB; files of up to %3 MB can be imported: "
                                        "import it in parts")
                             .arg(name)
                             .arg(file.size() / (1024 * 1024))
                             .arg(largestSheetBytes / (1024 * 1024)));
    const QByteArray start = file.peek(8);
    SheetTable table;
    if (start.startsWith("PK\x03\x04")) {
        file.close();
        table = read_xlsx(path, progress);
    } else if (start.startsWith("\xD0\xCF\x11\xE0")) {
        // The container Office uses for an encrypted workbook and for .xls.
        throw SheetError(QStringLiteral("%1 is protected by a password or is an old .xls "
                                        "workbook: save it as an .xlsx workbook without a "
                                        "password, or as CSV, and import that")
                             .arg(name));
    } else if (path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        throw SheetError(
            QStringLiteral("%1 is damaged: it cannot be read as an .xlsx workbook").arg(name));
    } else {
        table = read_csv(file, name, progress, encoding);
    }
    if (table.headings.isEmpty())
        throw SheetError(QStringLiteral("%1 holds nothing to import").arg(name));
    return table;
}

} // namespace gearlog
