#pragma once

#include "ImportFields.h"
#include "Sheet.h"
#include "Store.h"
#include "TypedText.h"

#include <QHash>
#include <QSet>
#include <QVariant>
#include <optional>
#include <vector>

namespace gearlog {

struct ImportOptions {
    bool update = false;        // rows with an ID update that record
    bool createMissing = false; // categories and equipment types named but missing are made
    DateOrder dateOrder = DateOrder::Locale; // of dates written as three numbers
};

enum class Verdict : quint8 { Add, Update, Unchanged, Error };

struct RowVerdict {
    Verdict verdict = Verdict::Add;
    int key = 0;  // Update and Unchanged: the record's ID
    QString text; // as shown: "Add", "Update asset 17: Serial No", or why it cannot be
};

// A field's value as a row writes it, and (for an update) what it replaces.
struct FieldValue {
    const FieldDef* field;
    QVariant value, before;
};

// An equipment type rows name that does not exist yet.
struct NewEquipment {
    QString name, category;
    int key = 0; // once made
};

// What importing a sheet would do: every row's verdict, read against the
// database as it is, and the values each row writes.
class ImportPlan {
public:
    // `columns`: for each column of the sheet, the field it fills (an index
    // into import_fields(kind)) or -1 to leave it out.
    ImportPlan(ImportKind kind, const SheetTable& sheet, std::vector<int> columns,
               ImportOptions options);

    // Checks the rows again to write them (see check) and names the sheet's
    // lines whose verdict is no longer the one shown: nothing may be written
    // then.
    QList<int> checkAgain(Store& store, const Progress& progress);

    // Reads the names and records the rows refer to and gives each row its
    // verdict. Engine failures throw; Cancelled when `progress` says stop.
    // Checked to write (inside the import's transaction), the records the
    // rows update are held from then on, so what they replace is what the
    // history records.
    enum class Purpose { Preview, Writing };
    void check(Store& store, const Progress& progress = {}, Purpose purpose = Purpose::Preview);

    ImportKind kind() const { return m_kind; }
    const SheetTable& sheet() const { return m_sheet; }
    const std::vector<int>& columns() const { return m_columns; }
    const std::vector<RowVerdict>& verdicts() const { return m_verdicts; }
    int count(Verdict verdict) const;
    // "12 rows: 9 to add, 1 to update, 1 unchanged, 1 cannot be imported".
    QString summary() const;

    // Made before the rows are written (with createMissing).
    const QStringList& newCategories() const { return m_newCategories; }
    std::vector<NewEquipment>& newEquipment() { return m_newEquipment; }
    void categoryMade(const QString& name, int key);
    void equipmentMade(const NewEquipment& made);
    // The key of the one category of that name, made ones included; 0 when
    // there is none or several share it.
    int categoryKey(const QString& name) const;
    // The records the rows refer to, to hold while they are written.
    const std::vector<std::pair<QString, int>>& referencedRecords() const { return m_referenced; }

    // What row r writes: every field of a new record, or the changed ones.
    std::vector<FieldValue> values(size_t r) const;
    // The record an update changes, every field as the check read it.
    const Row& record(int key) const { return m_existing.find(key).value(); }

private:
    struct Checked {
        QString error;
        std::vector<FieldValue> values; // the fields the row writes
        int id = 0;                     // the record an update changes (0: an addition)
        int equipment = 0;              // assets: the type (0: one to be made)
        QString serial;                 // assets: the serial number given
        QString missingCategory;        // a category to make
        NewEquipment missingEquipment;  // a type to make (its name empty: none)
    };
    Checked convert(size_t r) const;
    QString cell(size_t r, int field, bool* number = nullptr) const;
    int columnOf(int field) const;
    void readNames(Store& store);
    void readExisting(Store& store, const Progress& progress, Purpose purpose);
    void readSerials(Store& store, const Progress& progress);
    // What the rows of the sheet have named so far: names and serials
    // (folded) and records updated, each with the line that named it first.
    struct Seen {
        QHash<QString, int> names, serials;
        QHash<int, int> records;
    };
    RowVerdict verdictOf(size_t r, Seen& seen);
    void noteMissing(const Checked& row, QStringList& made);
    // The record a name column names, or why it cannot be told.
    QString byName(const QHash<QString, QList<int>>& names, const QString& what,
                   const QString& name, QVariant* value) const;
    // The key an ID column gives for a reference field, 0 when its cell is
    // empty, or why it cannot be used.
    QString referenceKey(size_t r, size_t field, int* key) const;
    // Why the row repeats a record or an earlier row, or nothing; with
    // `unchanged` set when that only means there is nothing to write.
    QString duplicate(size_t r, const Checked& row, Seen& seen, bool* unchanged) const;
    QString fieldValue(const ImportField& field, const QString& text, bool number, Checked& row,
                       const QString& category, QVariant* value) const;
    void noteReferences(const std::vector<FieldValue>& values);
    // An asset's serial number as stored.
    QString storedSerial(const Row& record) const;
    // What an update changes: the fields whose value differs from the record's.
    std::vector<FieldValue> changes(const Checked& row) const;
    // An equipment type by name (and category, when given): its key, 0 when
    // there is none, -1 when several match (`error` says so).
    int equipmentOf(const QString& name, const QString& category, QString* error) const;

    ImportKind m_kind;
    const SheetTable& m_sheet;
    std::vector<int> m_columns;
    std::vector<int> m_fieldColumn;         // for each field its column, or -1
    std::vector<const FieldDef*> m_defs;    // for each field the table's, or nullptr
    std::vector<int> m_keyField;            // for each field naming a record, its ID field, or -1
    std::vector<const TableDef*> m_targets; // by the table's field position: what it references
    size_t m_serialPosition = 0;            // assets: where a record holds its serial number
    ImportOptions m_options;
    const TableDef* m_table;
    std::vector<RowVerdict> m_verdicts;

    // Names (folded) to the keys of the records that have them, and every
    // key of the tables a reference may name.
    QHash<QString, QList<int>> m_categoryIds, m_statusIds, m_locationIds, m_photoIds;
    QHash<QString, QSet<int>> m_keys;
    struct Equipment {
        int id, category;
    };
    QHash<QString, std::vector<Equipment>> m_equipment;
    int m_firstStatus = 0;
    QStringList m_newCategories;
    std::vector<NewEquipment> m_newEquipment;
    QSet<QString> m_newCategoriesNamed, m_newEquipmentNamed; // folded, to find them fast
    std::vector<std::pair<QString, int>> m_referenced;
    QSet<QPair<const TableDef*, int>> m_referencedKeys;
    QHash<int, Row> m_existing; // records the file's IDs name
    // An update's changes as its check found them, unless they name a
    // record still to be made (whose key is known only then).
    std::vector<std::optional<std::vector<FieldValue>>> m_changes;
    QHash<QString, std::vector<std::pair<int, int>>> m_serials; // folded serial: (type, asset)
};

// Text compared as the database compares names: case does not matter.
QString folded(const QString& text);

} // namespace gearlog
