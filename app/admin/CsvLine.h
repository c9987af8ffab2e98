#pragma once

#include <QStringList>
#include <QTextStream>

namespace gearlog {

// One CSV record (RFC 4180: a field with a comma, quote or line break is
// quoted, its quotes doubled), ended by CRLF; a cell a spreadsheet would run
// as a formula is guarded (see guard_formula).
void writeCsvLine(QTextStream& out, const QStringList& fields);

} // namespace gearlog
