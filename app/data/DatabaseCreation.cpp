#include "DatabaseCreation.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"

#include <QFileInfo>

namespace gearlog {

SaveDialogStart save_dialog_start(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    if (fileName.isEmpty() || slash < 0)
        return {QStringLiteral("."), QString()};
    return {fileName.left(slash + 1), fileName.mid(slash + 1)};
}

QString create_database(CreationPrompts& prompts, const QString& openFile) {
    QString path;
    if (!prompts.chooseSaveFile(
            path, QStringLiteral("gearlog"),
            QStringLiteral("Gearlog Database (*.gearlog)|*.gearlog|All files (*)|*"),
            QStringLiteral("Select the database file to create")))
        return {};
    path = path.trimmed();
    if (path.isEmpty())
        return {};
    const QString failure = QStringLiteral("An error occurred while creating the database: ");
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
        createDatabaseFile(path, replace);
    } catch (const EngineError& e) {
        prompts.showMessage(failure + e.description());
        return {};
    }
    return path;
}

} // namespace gearlog
