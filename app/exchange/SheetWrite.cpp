#include "SheetWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <filesystem>
#include <xlsxwriter.h>

namespace gearlog {

QString write_through_temporary(const QString& path,
                                const std::function<QString(const QString&)>& write) {
    const QFileInfo target(path);
    if (!target.absoluteDir().exists())
        return QStringLiteral("The folder %1 does not exist").arg(target.absolutePath());
    if (target.isDir())
        return QStringLiteral("%1 is a folder").arg(path);
    const QString partial = target.absoluteDir().filePath(
        QStringLiteral(".%1.%2.partial")
            .arg(target.fileName(), QUuid::createUuid().toString(QUuid::Id128)));
    const QString error = write(partial);
    if (!error.isEmpty()) {
        QFile::remove(partial);
        return error;
    }
    // Replaces any earlier file in one step, so it is lost only once the
    // new one is complete.
    std::error_code renamed;
    std::filesystem::rename(QFile::encodeName(partial).constData(),
                            QFile::encodeName(path).constData(), renamed);
    if (renamed) {
        QFile::remove(partial);
        return QString::fromLocal8Bit(renamed.message());
    }
    return {};
}

QString write_workbook(const QString& path, int rows, int columns,
                       const std::function<QString(int, int)>& text,
                       const std::function<bool(int, int)>& isNumber) {
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook* workbook = workbook_new(name.constData());
    if (!workbook)
        return QStringLiteral("Cannot create %1: permission denied or the disk is full").arg(path);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_error error = LXW_NO_ERROR;
    for (int r = 0; r < rows && error == LXW_NO_ERROR; ++r)
        for (int c = 0; c < columns && error == LXW_NO_ERROR; ++c) {
            const QString cell = text(r, c);
            const auto row = static_cast<lxw_row_t>(r);
            const auto column = static_cast<lxw_col_t>(c);
            if (cell.isEmpty())
                continue;
            if (isNumber && isNumber(r, c))
                error = worksheet_write_number(sheet, row, column, cell.toDouble(), nullptr);
            else
                error =
                    worksheet_write_string(sheet, row, column, cell.toUtf8().constData(), nullptr);
        }
    const lxw_error closed = workbook_close(workbook);
    if (error == LXW_NO_ERROR)
        error = closed;
    return error == LXW_NO_ERROR ? QString() : QString::fromUtf8(lxw_strerror(error));
}

} // namespace gearlog
