#include "SpreadsheetExport.h"

#include "DatabaseCreation.h"
#include "ExportFile.h"
#include "FlexGrid.h"
#include "UiServices.h"

#include <QFile>
#include <xlsxwriter.h>

namespace gearlog {

namespace {

const QString failure = QStringLiteral("An error occurred while saving the excel spreadsheet: ");

// Writes every cell of the grid as text into the first sheet of a new
// workbook at `path`; an error text, or empty.
QString writeWorkbook(const FlexGrid& grid, const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new(name.constData());
    if (!workbook)
        return QStringLiteral("Cannot create %1: permission denied or the disk is full").arg(path);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_error error = LXW_NO_ERROR;
    for (int r = 0; r < grid.rows() && error == LXW_NO_ERROR; ++r)
        for (int c = 0; c < grid.cols() && error == LXW_NO_ERROR; ++c) {
            const QByteArray text = grid.textMatrix(r, c).toUtf8();
            if (!text.isEmpty())
                error =
                    worksheet_write_string(sheet, static_cast<lxw_row_t>(r),
                                           static_cast<lxw_col_t>(c), text.constData(), nullptr);
        }
    const lxw_error closed = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closed;
    return error == LXW_NO_ERROR ? QString() : QString::fromUtf8(lxw_strerror(error));
}

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
        path, [&grid](const QString& partial) { return writeWorkbook(grid, partial); });
    if (!error.isEmpty()) {
        ui().message(failure + error);
        return;
    }
    ui().message(QStringLiteral("Export complete"));
}

} // namespace gearlog
