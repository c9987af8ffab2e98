#pragma once

#include <QTextStream>

namespace gearlog {

struct DueLists;

// The three lists of what is due as text for a person (a heading with its
// count, a line each) or as CSV for a program (a "List" column first).
void writeDueText(const DueLists& lists, int days, QTextStream& out);
void writeDueCsv(const DueLists& lists, QTextStream& out);

} // namespace gearlog
