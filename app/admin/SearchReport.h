#pragma once

#include <QTextStream>
#include <vector>

namespace gearlog {

struct SearchGroup;

// What a search found, as text for a person (a heading with its count, a
// line each, "and N more") or as JSON for a program.
void writeSearchText(const std::vector<SearchGroup>& groups, QTextStream& out);
void writeSearchJson(const QString& text, const std::vector<SearchGroup>& groups, QTextStream& out);

} // namespace gearlog
