#pragma once

#include <QString>
#include <functional>

class QPdfWriter;

namespace gearlog {

class Session;

// The database file the session has open (with its log files), which no
// export may write over; empty for a server.
QString open_database_file(const Session& session);

// Where an export goes: the file chosen in the save dialog, refused (with
// `failure` and the reason) when it is the database file that is open or
// one of its logs, and a file that exists only after the user says Yes.
// Empty when cancelled or refused.
QString choose_export_file(const QString& title, const QString& filter,
                           const QString& defaultExtension, const QString& folder,
                           const QString& fileName, const QString& openDatabase,
                           const QString& failure);

// "Save as PDF": asks where (as choose_export_file, with `title` and the
// suggested `fileName`), then writes a PDF titled `documentTitle` through
// write_through_temporary, `paint` drawing its pages; a failure is said
// with the usual prefix.
void save_pdf(const QString& title, const QString& fileName, const QString& openDatabase,
              const QString& documentTitle, const std::function<void(QPdfWriter&)>& paint);

} // namespace gearlog
