#pragma once

#include <QString>

namespace gearlog {

// What "Create Database" asks of the user interface.
class CreationPrompts {
public:
    virtual ~CreationPrompts() = default;
    // Save-file dialog; false when cancelled.
    virtual bool chooseSaveFile(QString& fileName, const QString& defaultExtension,
                                const QString& filter, const QString& title) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString& question) = 0;
    virtual void showMessage(const QString& text) = 0;
};

// Where the save dialog starts for a file name: the folder up to and
// including its last "/" (else "."), and the bare name (empty when the
// name has no folder part).
struct SaveDialogStart {
    QString folder;
    QString fileName;
};
SaveDialogStart save_dialog_start(const QString& fileName);

// "Create Database": ask for the file, ask before replacing one, build the
// schema and seed rows, and close the file again. The open session is not
// touched, and the file it has open (`openFile`) is never replaced.
// Returns the created path, or an empty string.
QString create_database(CreationPrompts& prompts, const QString& openFile = {});

class Session;
// "Save a Copy": ask for the file (the same way), write a consistent copy of
// the open database there while it stays open, and say where it went.
// Returns the path of the copy, or an empty string.
QString save_database_copy(CreationPrompts& prompts, Session& session);

} // namespace gearlog
