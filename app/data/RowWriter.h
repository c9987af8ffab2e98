#pragma once

#include "Store.h"

#include <QHash>
#include <QVariant>
#include <functional>
#include <vector>

namespace gearlog {

class Database;
class Recordset;

// Rows written by one statement, and records compared by one read.
inline constexpr size_t rowsPerBatch = 500;

// "(marks), (marks), ..." for `count` rows: a statement's VALUES list.
QString valueRows(const QStringList& rowMarks, size_t count);
// Runs `run` for the values a batch at a time, with "?, ?, ..." for the
// batch and the values to bind to them: an IN list of any length.
void each_batch(const QVariantList& values,
                const std::function<void(const QString& marks, const QVariantList& batch)>& run);

struct ColumnValue {
    const FieldDef* field;
    QVariant value; // Null: an invalid QVariant
};
using ColumnValues = std::vector<ColumnValue>;

// Whether two values of a field are the same stored value: a date with or
// without a time of day at midnight, a number however the engine returned
// it, text letter for letter.
bool same_stored_value(const QVariant& a, const QVariant& b, FieldType type);

// The one way a command's rows reach the store: additions, updates and
// deletions of one table, in batches, inside the command's transaction.
//
// An update or delete names the row as the desk holds it (the fields it
// read); the writer reads the row from the store, held to the end of the
// transaction, and refuses with ConflictError when any of those fields
// differs by value ("changed by another user"), or with EngineError when
// the row is gone. A reference a write names anew must name a row that
// exists, which is then held until the transaction ends. The history
// records what each write replaced, read from the store, under the
// schema's own table and field names.
//
// Writes are queued and sent a batch at a time; flush() sends the rest
// and must be called before the transaction commits (it throws like any
// write). Cursors of the database see the written rows afterwards.
class RowWriter {
public:
    // `source`: the cursor that writes (it refreshes its own rows).
    RowWriter(Database& db, const TableDef& table, Recordset* source = nullptr);
    ~RowWriter() = default;
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    // `values` may include the key field (ignored) and binary fields.
    void insert(int key, ColumnValues values);
    // `held`: the fields as the desk read them, compared with the store
    // (empty: the command holds the row already and compares nothing).
    // `values`: the fields to write (those the store holds already are
    // left as they are); a new ID among them renames the row.
    void update(int key, ColumnValues held, ColumnValues values);
    // An update of a row the command has read whole and holds already
    // (`stored`: its fields in the table's order): not read again.
    void updateHeld(int key, Row stored, ColumnValues values);
    void remove(int key, ColumnValues held);
    void flush();

private:
    struct Pending {
        int key;
        ColumnValues held, values;
        Row stored; // an update's row as the command holds it (empty: read it)
    };
    // Queues a write, sending what is queued when a batch is full.
    void enqueue(std::vector<Pending>& queue, Pending row);
    void flushInserts();
    void flushUpdates();
    void flushDeletes();
    // The stored rows of the keys, held until the transaction ends; a key
    // whose held fields differ refuses the command.
    QHash<int, Row> readHeld(const std::vector<Pending>& rows);
    // The stored rows of an update's keys: those the command gave, the
    // others read (and held).
    QHash<int, Row> storedRows(std::vector<Pending>& rows);
    void holdReferences(const ColumnValues& values, const Row* stored);
    void writeBlobs(int key, const ColumnValues& values);
    // The end of the run of rows from `first` that write the same fields:
    // one statement writes them.
    static size_t runEnd(const std::vector<Pending>& rows, size_t first);
    // The rows' keys and values (pictures apart) as rows to insert or to
    // update from, their columns column1 (the key), column2, ...: VALUES on
    // a file; on a server a column an array, which it parses far faster.
    QString rowSource(const std::vector<Pending>& rows, size_t first, size_t last,
                      QVariantList& params) const;
    // The fields a row writes, as bits by position: rows alike sort together.
    quint64 fieldMask(const ColumnValues& values) const;

    Database& m_db;
    const TableDef& m_table;
    Recordset* m_source;
    std::vector<const ReferenceDef*> m_references; // by field position, looked up once
    std::vector<Pending> m_inserts, m_updates, m_deletes;
};

} // namespace gearlog
