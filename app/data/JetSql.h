#pragma once

#include "Schema.h"
#include "Store.h"

#include <QString>
#include <vector>

namespace gearlog {

// A result column of a translated query, with the table and field it comes
// from when the query names them through "*" or "T.*".
struct ColumnInfo {
    QString table; // canonical table name, empty for computed columns
    QString field; // canonical field name, or the column's alias
    FieldType type = FieldType::Unknown;
};

struct OrderKey {
    int column;
    bool descending;
};

// A SELECT statement in the Jet form the views write, translated for a
// store. "*" and "T.*" are expanded from the schema, so every column's
// origin is known; binary columns are left out of the select list and read
// on demand by key (`deferred`).
struct TranslatedSelect {
    QString selectList, from, where, orderBy;
    QString whereByKey;                  // `where` as the reads by key test it
    std::vector<ColumnInfo> columns;     // the selected columns, in order
    std::vector<ColumnInfo> deferred;    // binary columns read by key
    const TableDef* baseTable = nullptr; // where writes go; null when read-only
    int baseKeyColumn = -1;              // the base table's ID among `columns`
    std::vector<OrderKey> orderKeys;     // sort keys mapped onto `columns`

    QString sql() const;
    // The same query restricted to one row of the base table, by a "?" key.
    QString sqlForKey() const;
    // The same query restricted to `count` rows of the base table, by "?"
    // keys, in no particular order.
    QString sqlForKeys(int count) const;
    // The base table's keys of the query's rows (those that also meet
    // `condition`, when given), in the query's order.
    QString sqlOfKeys(const QString& condition = {}) const;
};

TranslatedSelect translateSelect(const QString& jetSql, Engine engine);

// An UPDATE or DELETE statement (or any other), translated; for the first
// two the table and condition are kept so the rows it touches can be known.
struct TranslatedStatement {
    QString sql;
    QString table; // canonical name for UPDATE and DELETE, else empty
    QString where; // translated condition, empty when none
};

TranslatedStatement translateStatement(const QString& jetSql, Engine engine);

// Literal text of a value for a criteria string or SQL: numbers plain,
// text quoted with embedded apostrophes doubled.
QString quoteText(const QString& text);

} // namespace gearlog
