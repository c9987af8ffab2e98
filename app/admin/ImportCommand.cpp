#include "ImportCommand.h"

#include "CsvLine.h"
#include "Database.h"
#include "DatabaseFile.h"
#include "EngineError.h"
#include "ImportWrite.h"
#include "SchemaBuilder.h"
#include "SheetWrite.h"
#include "TableExport.h"
#include "TerminalText.h"

#include <QFile>
#include <QLocale>

namespace gearlog {

int import_command(std::unique_ptr<Store> store, const QString& file, ImportKind kind,
                   ImportOptions options, bool dryRun, QTextStream& out, QTextStream& err,
                   const ImportReading& reading) {
    if (store->isReadOnly() && !dryRun) {
        err << "gearlog-admin: nothing can be imported: " << store->openingNotice() << "\n";
        return 1;
    }
    if (!dryRun)
        upgradeSchema(*store); // the history and indexes a writable opening adds
    SheetTable sheet;
    try {
        sheet = read_sheet(file, {}, reading.encoding);
    } catch (const SheetError& e) {
        err << "gearlog-admin: " << e.text() << "\n";
        return 1;
    }
    const auto db = std::make_shared<Database>(std::move(store));
    std::vector<int> columns = match_columns(kind, sheet.headings);
    for (const QString& heading : reading.skip) {
        const auto found = std::find_if(
            sheet.headings.cbegin(), sheet.headings.cend(), [&heading](const QString& h) {
                return h.compare(heading.trimmed(), Qt::CaseInsensitive) == 0;
            });
        if (found == sheet.headings.cend()) {
            err << "gearlog-admin: the file has no column headed " << heading << "\n";
            return 1;
        }
        columns[static_cast<size_t>(found - sheet.headings.cbegin())] = -1;
    }
    ImportPlan plan(kind, sheet, std::move(columns), options);
    const auto run = [&]() -> int {
        plan.check(db->store(), {},
                   dryRun ? ImportPlan::Purpose::Preview : ImportPlan::Purpose::Writing);
        for (size_t r = 0; r < plan.verdicts().size(); ++r)
            out << "Row " << sheet.rows[r].line << ": " << printable(plan.verdicts()[r].text)
                << "\n";
        out << plan.summary() << "\n";
        if (plan.count(Verdict::Error) > 0) {
            err << "gearlog-admin: nothing was imported: mend the rows above and try again\n";
            return 1;
        }
        if (dryRun) {
            out << "Dry run: nothing was written\n";
            return 0;
        }
        out << import_summary(write_import(*db, plan)) << "\n";
        return 0;
    };
    // Checked and written in one transaction, so what was checked is what
    // is written.
    db->setCommand(QStringLiteral("Import"));
    Transaction transaction(*db);
    const int result = run();
    if (result == 0 && !dryRun)
        transaction.commit();
    return result;
}

void export_command(Store& store, ImportKind kind, const QString& file, bool replace) {
    if (pathTaken(file) && !replace)
        throw EngineError(file + QStringLiteral(" already exists; use --force to replace it"));
    const SheetTable sheet = export_table(store, kind);
    const int columns = static_cast<int>(sheet.headings.size());
    const auto text = [&sheet](int r, int c) {
        return r == 0 ? sheet.headings.value(c)
                      : sheet.rows[static_cast<size_t>(r - 1)].cells.value(c);
    };
    const auto isNumber = [&sheet](int r, int c) {
        return r > 0 && sheet.rows[static_cast<size_t>(r - 1)].isNumber(c);
    };
    const bool workbook = file.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    const QString error = write_through_temporary(file, [&](const QString& partial) {
        const int rows = static_cast<int>(sheet.rows.size()) + 1;
        if (workbook)
            return write_workbook(partial, rows, columns, text, isNumber);
        QFile csv(partial);
        if (!csv.open(QIODevice::WriteOnly))
            return csv.errorString();
        QTextStream stream(&csv);
        // Numbers as this desk's locale writes them, as the import reads them.
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        for (int r = 0; r < rows; ++r) {
            QStringList cells;
            for (int c = 0; c < columns; ++c)
                cells << (isNumber(r, c) ? locale.toString(text(r, c).toDouble(), 'g', 15)
                                         : text(r, c));
            writeCsvLine(stream, cells);
        }
        stream.flush();
        return csv.error() == QFileDevice::NoError ? QString() : csv.errorString();
    });
    if (!error.isEmpty())
        throw EngineError(QStringLiteral("%1 could not be written: %2").arg(file, error),
                          QStringLiteral("export"));
}

} // namespace gearlog
