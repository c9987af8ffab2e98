#include "ExportFile.h"

#include "RecordHelpers.h"
#include "Session.h"
#include "SheetWrite.h"
#include "UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPdfWriter>

namespace gearlog {

namespace {

// True when the path is the open database file or a log beside it.
bool isOpenDatabase(const QString& path, const QString& openDatabase) {
    if (openDatabase.isEmpty())
        return false;
    const QFileInfo chosen(path);
    const QString folder = chosen.absoluteDir().canonicalPath();
    const QFileInfo database(openDatabase);
    if (folder.isEmpty() || folder != database.absoluteDir().canonicalPath())
        return false;
    const QString name = database.fileName();
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")})
        if (chosen.fileName() == name + suffix)
            return true;
    // Another name for the same file (a link).
    return chosen.exists() && chosen.canonicalFilePath() == database.canonicalFilePath();
}

} // namespace

QString open_database_file(const Session& session) {
    return session.connectionType() == ConnectionType::File ? session.connectionString()
                                                            : QString();
}

QString choose_export_file(const QString& title, const QString& filter,
                           const QString& defaultExtension, const QString& folder,
                           const QString& fileName, const QString& openDatabase,
                           const QString& failure) {
    const auto chosen = ui().saveFile(title, filter, defaultExtension, folder, fileName);
    if (!chosen || chosen->trimmed().isEmpty())
        return {};
    const QString path = chosen->trimmed();
    if (isOpenDatabase(path, openDatabase)) {
        ui().message(failure + QStringLiteral("%1 is the database now open").arg(path));
        return {};
    }
    if (QFileInfo::exists(path) &&
        !ui().askYesNo(QStringLiteral("That file already exists. Overwrite?")))
        return {};
    return path;
}

void save_pdf(const QString& title, const QString& fileName, const QString& openDatabase,
              const QString& documentTitle, const std::function<void(QPdfWriter&)>& paint) {
    const QString failure = QStringLiteral("An error occurred while saving the PDF file: ");
    const QString path =
        choose_export_file(title, QStringLiteral("PDF files (*.pdf)|*.pdf|All files (*.*)|*.*"),
                           QStringLiteral("pdf"), QString(), fileName, openDatabase, failure);
    if (path.isEmpty())
        return;
    const QString error = write_through_temporary(path, [&](const QString& partial) {
        QFile file(partial);
        if (!file.open(QIODevice::WriteOnly))
            return file.errorString();
        {
            QPdfWriter writer(&file);
            writer.setTitle(documentTitle);
            paint(writer);
        }
        return file.flush() ? QString() : file.errorString();
    });
    if (!error.isEmpty())
        ui().message(failure + error);
}

} // namespace gearlog
