#pragma once

#include "Criteria.h"
#include "JetSql.h"
#include "RowWriter.h"

#include <QHash>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace gearlog {

class Database;
class BinaryField;

// A cursor over the rows of a query, in the query's order.
//
// Cost follows what is read, not the size of the table: a cursor with a
// base table holds only the keys of its rows, in order (4 bytes a row), and
// reads row values a page at a time when they are first looked at, keeping
// a bounded number of them. A cursor without one (a computed or grouped
// query) holds its rows. Binary fields are always read on demand.
//
// Finding: a key looked for that the cursor has not read (another desk's
// new row) is asked of the store, and a row found joins the cursor.
//
// Position: AbsolutePosition counts from 0; -1 means no current row.
// BOF and EOF are both true on an empty cursor. Moving past either end
// stops there; a failed find leaves EOF (and NoMatch) true.
//
// Writes: a cursor over one table ("SELECT * FROM T ...") or over
// "SELECT T.* FROM ... JOIN T ..." is updatable and writes to T. A value set
// on the current row begins an edit (Edit is optional); Update writes the
// row, Cancel drops the edit, and moving elsewhere drops it too.
// Rows written through any cursor of the same database are seen by this one
// at its next read, in their sort position; the current row stays current.
// An update writes only if the row is still as the cursor read it; if
// another desk changed it, ConflictError, and the cursor shows their row.
class Recordset {
public:
    // A deferred cursor reads its rows at its first use, not when opened:
    // the session's table cursors cost nothing until a view needs them.
    enum class Load { Now, OnFirstUse };
    Recordset(std::shared_ptr<Database> db, TranslatedSelect query, Load load = Load::Now);
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool eof();
    bool bof();
    int recordCount();
    int absolutePosition();
    void setAbsolutePosition(int position);

    // Search from the first row (findFirst) or after the current row.
    bool findFirst(const QString& criteria);
    bool findNext(const QString& criteria);
    bool noMatch() const { return m_noMatch; }

    // Null is an invalid QVariant; an empty text is an empty QString.
    QVariant value(const QString& name);
    // A field's place, looked up once for a loop over the rows.
    struct FieldRef {
        int column = -1;   // among the selected columns
        int deferred = -1; // among the binary columns read on demand
    };
    FieldRef field(const QString& name) const;
    QVariant value(FieldRef field);
    void setValue(const QString& name, const QVariant& value);
    // The binary field of the current row (or of the row being edited).
    std::unique_ptr<BinaryField> binaryField(const QString& name);

    bool isUpdatable() const { return m_query.baseTable != nullptr; }
    enum class EditMode { None, Editing, Adding };
    EditMode editMode() const { return m_edit ? m_edit->mode : EditMode::None; }
    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void deleteRecord();

    // Reads these rows of the base table again at the next look (rows that
    // another desk wrote), or every row of the query now, keeping the
    // current row where it still is.
    void reread(const QList<int>& ids);
    void requery();
    // Lets go of the rows read so far but the current one (a cursor that
    // keeps only keys reads them again when they are next looked at).
    void releaseRows();

    const TranslatedSelect& query() const { return m_query; }

    // Rows read in one statement on a walk, the most rows a cursor keeps
    // (a megabyte or two of typical rows), and the size up to which a walk
    // reads the cursor whole in one statement (a list's size).
    struct Paging {
        int page = 256;
        int cachedAtMost = 8192;
        int wholeRead = 32768;
    };
    static void setPaging(const Paging& paging);
    Database& database() const { return *m_db; }

private:
    friend class BinaryField;

    struct Edit {
        EditMode mode;
        std::vector<QVariant> values;
        std::vector<bool> changed;
        std::vector<std::optional<QByteArray>> blobs; // per deferred column
        std::vector<QVariant> original;               // the row as read, when editing
    };
    void sync();
    void readAll();
    void refetch(int id);
    void removeAt(int index);
    int insertSorted(Row row); // returns the row's index
    int compareRows(const Row& a, const Row& b) const;
    bool fitsAt(int index, const Row& row);
    int indexOfKey(int id);
    int size() const;
    int keyAt(int index) const;
    // The row at a position, or null when another desk deleted it since
    // the keys were read (it leaves the cursor at the next look).
    const Row* rowAt(int index);
    const Row& currentRow();
    void fetchPageAround(int index);
    void readWhole();
    void cacheRows(std::vector<Row> rows, const std::vector<int>& asked);
    void arrive(int step = 1);
    void trimCache();
    void remember(int key, Row row);
    void requireCurrent() const;
    // The base table's fields of a row (of those marked in `only`).
    ColumnValues baseValues(const std::vector<QVariant>& row, const std::vector<bool>* only) const;
    void requireUpdatable() const;
    void leaveRow();
    int currentKey();
    const Criteria& criteria(const QString& text);
    bool findFrom(int start, const QString& text);
    int joined(int key);

    static Paging s_paging;
    std::shared_ptr<Database> m_db;
    TranslatedSelect m_query;
    std::vector<FieldType> m_types;
    // Keyed cursors: the keys in cursor order and the rows read so far.
    // Others: every row, the key column (if any) read from them.
    bool m_keyed = false;
    bool m_keyOrder = false; // sorted by ascending key alone
    std::vector<int> m_keys;
    QHash<int, Row> m_cache;
    std::vector<Row> m_rows;
    int m_pos = 0;
    bool m_currentDeleted = false;
    bool m_noMatch = false;
    std::optional<Edit> m_edit;
    QHash<QString, FieldRef> m_fieldIndex;
    QHash<int, int> m_keyIndex;
    bool m_keyIndexDirty = true;
    QList<int> m_pending;
    bool m_loaded = false;
    QString m_criteriaText;
    std::optional<Criteria> m_criteria;
};

} // namespace gearlog
