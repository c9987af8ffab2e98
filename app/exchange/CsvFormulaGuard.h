#pragma once

#include <QString>

namespace gearlog {

// A spreadsheet opening a CSV file runs a cell that begins with =, +, - or @
// as a formula. Such a cell is written behind an apostrophe, which the
// spreadsheet shows as text, and read back without it, so a file exported
// and imported again keeps its text exactly. Numbers are left alone.
QString guard_formula(const QString& cell);
QString unguard_formula(const QString& cell);

} // namespace gearlog
