#include "DatabaseCreation.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"
#include "Session.h"

#include <QFileInfo>
#include <functional>

namespace gearlog {

SaveDialogStart save_dialog_start(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    if (fileName.isEmpty() || slash < 0)
        return {QStringLiteral("."), QString()};
    return {fileName.left(slash + 1), fileName.mid(slash + 1)};
}

namespace {

// Asks for a new database file and writes it with `write(path, replace)`:
// the file that is open is never replaced, another file only after Yes.
// Returns the path written, or an empty string.
QString write_new_database_file(CreationPrompts& prompts, const QString& title,
                                const QString& openFile, const QString& failure,
                                const std::function<void(const QString&, bool)>& write) {
    QString path;
    if (!prompts.chooseSaveFile(
            path, QStringLiteral("gearlog"),
            QStringLiteral("Gearlog Database (*.gearlog)|*.gearlog|All files (*)|*"), title))
        return {};
    path = path.trimmed();
    if (path.isEmpty())
        return {};
    if (!openFile.isEmpty() && file_exists(path) &&
        QFileInfo(path).canonicalFilePath() == QFileInfo(openFile).canonicalFilePath()) {
        prompts.showMessage(
            failure + QStringLiteral("%1 is the database now open; close it first").arg(path));
        return {};
    }
    const bool replace = file_exists(path);
    if (replace && !prompts.askYesNo(QStringLiteral("That file already exists. Overwrite?")))
        return {};
    try {
        write(path, replace);
    } catch (const EngineError& e) {
        prompts.showMessage(failure + e.description());
        return {};
    }
    return path;
}

} // namespace

QString create_database(CreationPrompts& prompts, const QString& openFile) {
    return write_new_database_file(
        prompts, QStringLiteral("Select the database file to create"), openFile,
        QStringLiteral("An error occurred while creating the database: "),
        [](const QString& path, bool replace) { createDatabaseFile(path, replace); });
}

QString save_database_copy(CreationPrompts& prompts, Session& session) {
    const QString openFile =
        session.connectionType() == ConnectionType::File ? session.connectionString() : QString();
    const QString path =
        write_new_database_file(prompts, QStringLiteral("Save a Copy of the Database"), openFile,
                                QStringLiteral("An error occurred while saving the copy: "),
                                [&session](const QString& target, bool replace) {
                                    session.database().store().backupTo(target, replace);
                                });
    if (!path.isEmpty())
        prompts.showMessage(QStringLiteral("A copy of the database is saved as ") + path);
    return path;
}

} // namespace gearlog
