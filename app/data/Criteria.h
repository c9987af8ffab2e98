#pragma once

#include "JetSql.h"

#include <QString>
#include <QVariant>
#include <vector>

namespace gearlog {

// A find criteria string, as the engines' Find and FindFirst take it:
// comparisons of a field with a number, 'text', #date#, Yes/No or Null,
// joined by AND and OR (AND binds tighter), with optional parentheses.
// Text compares without regard to case.
class Criteria {
public:
    // Throws EngineError on a malformed string or a field the columns lack.
    Criteria(const QString& text, const std::vector<ColumnInfo>& columns);

    bool matches(const std::vector<QVariant>& row) const;
    // When the whole criteria is "<key column> = n", that column and n.
    bool isKeyLookup(int keyColumn, int* key) const;
    // When the whole criteria is "<column> = value" for a text or whole
    // number column (which the stores compare as this class does), that
    // column; literal() is the value.
    bool isEquality(int* column) const;
    QVariant literal() const;

    struct Node;

private:
    std::shared_ptr<Node> m_root;
    std::vector<FieldType> m_types;
};

} // namespace gearlog
