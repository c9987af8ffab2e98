#pragma once

#include <QStringList>
#include <QTextStream>

namespace gearlog {

// maintenance, interval and maintenance-log: the maintenance log from the
// command line, as the Record Maintenance dialog and the views keep it.
bool isMaintenanceCommand(const QString& command);
// Exit 0 when done (maintenance prints the entry's key); 1 when refused or
// the engine fails, with why; throws UsageError for a bad command line.
int runMaintenanceCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace gearlog
