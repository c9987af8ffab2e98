#pragma once

#include <QString>

namespace gearlog {

// What the program opens at start-up, decided from the stored "FileName".
struct StartupAction {
    enum Kind { Nothing, OpenFile, OpenServer } kind = Nothing;
    QString name;       // the caption's name
    QString connection; // file path or connection string
};

// Nothing when no value is stored or a stored file no longer exists; a
// server for the type "ADO", a file for any other type. A malformed value
// throws EngineError.
StartupAction decideStartup(const QString& storedFileName);

} // namespace gearlog
