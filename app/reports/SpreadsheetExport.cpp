#include "SpreadsheetExport.h"

#include "DatabaseCreation.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <filesystem>
#include <xlsxwriter.h>

namespace gearlog {

namespace {

const QString failure = QStringLiteral("An error occurred while saving the excel spreadsheet: ");

// Writes the workbook beside the target under a passing name and moves it
// into place only when complete, so a failure leaves no half-written file.
QString writeWorkbook(const FlexGrid& grid, const QString& path) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return QStringLiteral("The folder %1 does not exist").arg(target.absolutePath());
    const QString partial = target.absoluteDir().filePath(
        QStringLiteral(".%1.%2.partial")
            .arg(target.fileName(), QUuid::createUuid().toString(QUuid::Id128)));
    const QByteArray partialName = QFile::encodeName(partial);
    lxw_workbook* workbook = workbook_new(partialName.constData());
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
    if (error != LXW_NO_ERROR) {
        QFile::remove(partial);
        return QString::fromUtf8(lxw_strerror(error));
    }
    // Replaces any earlier file in one step, so it is lost only once the
    // new workbook is complete.
    std::error_code renamed;
    std::filesystem::rename(partialName.constData(), QFile::encodeName(path).constData(), renamed);
    if (renamed) {
        QFile::remove(partial);
        return QString::fromLocal8Bit(renamed.message());
    }
    return {};
}

} // namespace

void export_grid_to_spreadsheet(const FlexGrid& grid) {
    if (grid.cols() == 0 || grid.rows() == 0)
        return;
    const SaveDialogStart start = save_dialog_start(QString());
    const auto chosen = ui().saveFile(QStringLiteral("Select the Excel file to create"),
                                      QStringLiteral("Excel Files (*.xlsx)|*.xlsx|All files (*)|*"),
                                      QStringLiteral("xlsx"), start.folder, start.fileName);
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    const QString path = chosen->trimmed();
    if (file_exists(path)) {
        if (!ui().askYesNo(QStringLiteral("That file already exists. Overwrite?")))
            return;
    }
    const QString error = writeWorkbook(grid, path);
    if (!error.isEmpty()) {
        ui().message(failure + error);
        return;
    }
    ui().message(QStringLiteral("Export complete"));
}

} // namespace gearlog
