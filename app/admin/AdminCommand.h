#pragma once

#include <QStringList>
#include <QTextStream>

namespace gearlog {

// The gearlog-admin command line: create, create-schema, sample, check.
// Returns the exit status; messages go to `out` and `err`.
int runAdminCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace gearlog
