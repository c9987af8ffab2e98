#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace gearlog {

// Double: money, kept to the cent as typed (a single would change the cents
// of larger amounts).
enum class FieldType { Boolean, Long, Single, Double, Date, Text, LongBinary, Memo, Unknown };

struct FieldDef {
    QString name;
    FieldType type;
    int size = 0; // Text fields only
    bool required = false;
    bool allowZeroLength = false; // Text and Memo fields only
};

struct IndexDef {
    QString name; // also the indexed field
    bool primary = false;
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

struct SeedRow {
    QString table;
    int id;
    QString name;
};

// The nine tables in creation order, their fields and indexes.
const std::vector<TableDef>& schemaTables();
// Case-insensitive look-up among the nine and the features' tables;
// nullptr when the name is none of them.
const TableDef* findTable(const QString& name);
// A field of the table by name, any case; nullptr when it has none.
const FieldDef* findField(const TableDef& table, const QString& name);
inline const FieldDef* findField(const TableDef& table, const char* name) {
    return findField(table, QString::fromLatin1(name));
}
// The place of one of the table's fields among them (and in a row of them all).
inline size_t fieldPosition(const TableDef& table, const FieldDef* field) {
    return static_cast<size_t>(field - table.fields.data());
}
// A field holding the key of a row of another table; 0, -1 and Null name
// no row by convention, except in a required reference, which always names one.
struct ReferenceDef {
    QString table;
    QString field;
    QString target;
    bool required = false;
};
// The reference a field of `table` makes, or nullptr when it makes none.
const ReferenceDef* findReference(const TableDef& table, const QString& field);
const std::vector<ReferenceDef>& schemaReferences();
// The table a field of `table` refers to, or nullptr when it refers to none.
const TableDef* referencedTable(const TableDef& table, const QString& field);

// Rows written into every new database.
const std::vector<SeedRow>& seedRows();

// Canonical value of a field type: Long -> int, Single -> float, Date ->
// QDateTime (UTC spec, used as a plain calendar time), Boolean -> bool,
// Text/Memo -> QString, LongBinary -> QByteArray, Null -> invalid QVariant.
// Throws EngineError when the value cannot be converted.
QVariant coerceValue(const QVariant& value, FieldType type, const QString& fieldName);

// Date and time parsing for "#...#" literals and typed values: ISO
// yyyy-mm-dd (with an optional time), and the month/day/year form.
QDateTime parseDateLiteral(const QString& text, bool* ok);

} // namespace gearlog
