#include "FeatureTables.h"

#include "Dialect.h"

#include <QSet>
#include <deque>
#include <mutex>

namespace gearlog {

namespace {
std::mutex featuresMutex;
// Named once each and never moved, so look-ups may keep pointers to them.
struct Features {
    QSet<QString> names;
    std::deque<TableDef> tables;
    std::deque<ReferenceDef> references;
    std::vector<FeatureIndex> indexes;
};
Features& features() {
    static Features all;
    return all;
}
} // namespace

void addFeatureTables(const QString& feature, std::vector<TableDef> tables,
                      std::vector<ReferenceDef> references, std::vector<FeatureIndex> indexes) {
    const std::lock_guard lock(featuresMutex);
    Features& all = features();
    if (all.names.contains(feature))
        return;
    all.names.insert(feature);
    for (TableDef& table : tables)
        all.tables.push_back(std::move(table));
    for (ReferenceDef& reference : references)
        all.references.push_back(std::move(reference));
    all.indexes.insert(all.indexes.end(), indexes.begin(), indexes.end());
}

FieldDef feature_field(const char* name, FieldType type, bool required, int size) {
    return {QString::fromLatin1(name), type, size, required,
            type == FieldType::Memo || (type == FieldType::Text && !required)};
}

std::vector<FeatureIndex> featureIndexes() {
    const std::lock_guard lock(featuresMutex);
    return features().indexes;
}

std::vector<TableDef> featureTables() {
    const std::lock_guard lock(featuresMutex);
    return {features().tables.begin(), features().tables.end()};
}

const TableDef* findFeatureTable(const QString& name) {
    const std::lock_guard lock(featuresMutex);
    for (const TableDef& table : features().tables)
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

std::vector<ReferenceDef> featureReferences() {
    const std::lock_guard lock(featuresMutex);
    return {features().references.begin(), features().references.end()};
}

const ReferenceDef* findFeatureReference(const QString& table, const QString& field) {
    const std::lock_guard lock(featuresMutex);
    for (const ReferenceDef& r : features().references)
        if (r.table == table && r.field.compare(field, Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

QStringList featureTableStatements(Store& store) {
    const std::vector<TableDef> tables = featureTables();
    if (tables.empty())
        return {};
    const QStringList present = store.tableNames();
    QStringList statements;
    const std::vector<FeatureIndex> indexes = featureIndexes();
    for (const TableDef& table : tables)
        if (!present.contains(table.name.toLower())) {
            statements << dialect::createTableStatements(store.engine(), table);
            // A new table's own look-ups come with it.
            for (const FeatureIndex& index : indexes)
                if (index.table.compare(table.name, Qt::CaseInsensitive) == 0)
                    statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 %3")
                                      .arg(index.name, index.table, index.definition);
        }
    if (!statements.isEmpty() && store.engine() == Engine::Postgres)
        statements << featureGrantStatement();
    return statements;
}

QString featureGrantStatement() {
    QStringList names;
    for (const TableDef& table : featureTables())
        names << table.name.toLower();
    if (names.isEmpty())
        return {};
    const QString all = names.join(QStringLiteral(", "));
    return QStringLiteral("DO $$BEGIN IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = "
                          "'gearlog_writer') THEN GRANT SELECT ON %1 TO gearlog_reader, "
                          "gearlog_writer; GRANT INSERT, UPDATE, DELETE ON %1 TO gearlog_writer; "
                          "END IF; END$$")
        .arg(all);
}

} // namespace gearlog
