#pragma once

#include "Schema.h"
#include "Store.h"

#include <QStringList>
#include <vector>

namespace gearlog {

// Tables that features beside the nine keep (bookings, ...). A feature
// names its tables once, before a database is opened; every writable
// opening, `create`, `create-schema` and `sample` then make those missing
// with the program's own, so older files and older programs keep working.
// `references` are the keys its tables hold of other rows, written and
// checked as the nine tables' are; `indexes` (on any table) are built with
// the program's own look-up indexes, off the window's thread.
struct FeatureIndex {
    QString name, table, definition; // "(Columns) [WHERE ...]"
};
// A field of a feature's table: an optional text may be empty, a memo
// always.
FieldDef feature_field(const char* name, FieldType type, bool required = false, int size = 0);
void addFeatureTables(const QString& feature, std::vector<TableDef> tables,
                      std::vector<ReferenceDef> references = {},
                      std::vector<FeatureIndex> indexes = {});
std::vector<FeatureIndex> featureIndexes();
// Every feature table named so far.
std::vector<TableDef> featureTables();
// One of them by name, any case; nullptr when no feature names it.
const TableDef* findFeatureTable(const QString& name);
// Their references, and the one a field makes (nullptr: none).
std::vector<ReferenceDef> featureReferences();
const ReferenceDef* findFeatureReference(const QString& table, const QString& field);
// The statements that make the feature tables missing from this store
// (with the reader's and writer's grants on a server that has the roles).
QStringList featureTableStatements(Store& store);
// On a server, the grants of the roles of create-schema --roles on them.
QString featureGrantStatement();

} // namespace gearlog
