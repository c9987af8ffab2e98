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

void export_cells_to_spreadsheet(int rows, int columns,
                                 const std::function<QString(int, int)>& text,
                                 const QString& openDatabase, const QString& fileName) {
    if (columns == 0 || rows == 0)
        return;
    const SaveDialogStart start = save_dialog_start(QString());
    const QString path = choose_export_file(
        QStringLiteral("Select the Excel file to create"),
        QStringLiteral("Excel Files (*.xlsx)|*.xlsx|All files (*)|*"), QStringLiteral("xlsx"),
        start.folder, fileName.isEmpty() ? start.fileName : fileName, openDatabase, failure);
    if (path.isEmpty())
        return;
    const QString error = write_through_temporary(
        path, [&](const QString& partial) { return write_workbook(partial, rows, columns, text); });
    if (!error.isEmpty()) {
        ui().message(failure + error);
        return;
    }
    ui().message(QStringLiteral("Export complete"));
}

void export_grid_to_spreadsheet(const FlexGrid& grid, const QString& openDatabase) {
    export_cells_to_spreadsheet(
        grid.rows(), grid.cols(), [&grid](int r, int c) { return grid.textMatrix(r, c); },
        openDatabase);
}

} // namespace gearlog
