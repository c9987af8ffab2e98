#include "SpreadsheetExport.h"

#include "DatabaseCreation.h"
#include "ExportFile.h"
#include "FlexGrid.h"
#include "SheetWrite.h"
#include "UiServices.h"

namespace gearlog {

namespace {

const QString failure = QStringLiteral("An error occurred while saving the excel spreadsheet: ");

} // namespace

void export_grid_to_spreadsheet(const FlexGrid& grid, const QString& openDatabase) {
    if (grid.cols() == 0 || grid.rows() == 0)
        return;
    const SaveDialogStart start = save_dialog_start(QString());
    const QString path = choose_export_file(
        QStringLiteral("Select the Excel file to create"),
        QStringLiteral("Excel Files (*.xlsx)|*.xlsx|All files (*)|*"), QStringLiteral("xlsx"),
        start.folder, start.fileName, openDatabase, failure);
    if (path.isEmpty())
        return;
    const QString error = write_through_temporary(
        path, [&grid](const QString& partial) {
            return write_workbook(partial, grid.rows(), grid.cols(),
                                  [&grid](int r, int c) { return grid.textMatrix(r, c); });
        });
    if (!error.isEmpty()) {
        ui().message(failure + error);
        return;
    }
    ui().message(QStringLiteral("Export complete"));
}

} // namespace gearlog
