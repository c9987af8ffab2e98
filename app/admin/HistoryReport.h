#pragma once

#include <QTextStream>
#include <vector>

namespace gearlog {

struct HistoryEntry;

// Recorded changes, newest first, as text for a person (a line each, in
// local time) or as CSV for a program (in UTC, ISO 8601).
void writeHistoryText(const std::vector<HistoryEntry>& entries, QTextStream& out);
void writeHistoryCsv(const std::vector<HistoryEntry>& entries, QTextStream& out);

} // namespace gearlog
