#pragma once

#include "ChangeHistory.h"
#include "JetSql.h"
#include "Recordset.h"
#include "Store.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <optional>
#include <vector>

namespace gearlog {

// One open store with everything its cursors share: the list of open
// cursors (so that a row written through one is seen by the others), and
// the transaction in progress. Cursors hold it by shared pointer, so it
// lives until the last of them is released.
class Database : public std::enable_shared_from_this<Database> {
public:
    explicit Database(std::unique_ptr<Store> store);
    ~Database();

    Store& store() { return *m_store; }
    Engine engine() const { return m_store->engine(); }

    // Opens a cursor over a statement in the views' Jet form, or over a
    // table name (which reads the whole table in key order).
    std::unique_ptr<Recordset> openRecordset(const QString& source,
                                             Recordset::Load load = Recordset::Load::Now);
    // Runs an UPDATE, DELETE or other statement in Jet form; returns the
    // number of rows it touched. Cursors see the touched rows afterwards.
    int execute(const QString& jetSql);

    // Nestable: only the outermost commit or rollback reaches the store.
    // A rollback inside marks the whole transaction to be undone: the
    // outermost commit then rolls back and throws, so a command is all or
    // nothing however its parts nest.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_depth > 0; }
    // The largest key handed out for the table in the open transaction
    // (0 for none), so that two keys taken before either row is written
    // differ.
    int lastKeyGiven(const QString& table) const { return m_keysGiven.value(table.toLower()); }
    void keyGiven(const QString& table, int key) { m_keysGiven[table.toLower()] = key; }
    // True when the open transaction wrote the row (so it holds it already).
    bool wroteRow(const QString& table, int id) const {
        return m_touched.value(table).contains(id);
    }

    // The command whose writes the history records (its caption, such as
    // "Save New"), until its transaction ends.
    void setCommand(const QString& caption) { m_command = caption; }
    // Holds the row a write names as a reference until the transaction
    // ends; false when there is no such row (another desk deleted it).
    bool holdReferenced(const QString& table, int id);
    // Whether the store has the table (a feature's): asked until it has,
    // as a desk's tables are made, never dropped, while it works.
    bool hasTable(const QString& name);

    // A cursor's write outside any transaction: the write and its history
    // are committed together, and nothing else of a transaction applies.
    class WriteAlone {
    public:
        explicit WriteAlone(Database& db);
        ~WriteAlone();
        WriteAlone(const WriteAlone&) = delete;
        WriteAlone& operator=(const WriteAlone&) = delete;
        void commit();

    private:
        Database& m_db;
        bool m_open = false;
    };

    // Called by cursors.
    void attach(Recordset* cursor);
    void detach(Recordset* cursor);
    void rowsChanged(const TableDef& table, const QList<int>& ids, Recordset* source);

private:
    friend class RowWriter;
    // A change of the open transaction (or of a WriteAlone), recorded with
    // it when it commits.
    void recordChange(RowChange change) { m_history.push_back(std::move(change)); }
    // Writes the changes recorded so far in the open transaction, which
    // still commits or undoes them: a command of many rows holds few at once.
    void writeRecordedChanges() {
        if (m_depth > 0)
            writeHistory();
    }
    void rollbackStore();
    // Writes the changes recorded and forgets them.
    void writeHistory();

    std::unique_ptr<Store> m_store;
    std::vector<Recordset*> m_cursors;
    int m_depth = 0;
    bool m_rollbackOnly = false;
    QHash<QString, QSet<int>> m_touched; // rows written in the open transaction
    QHash<QString, QSet<int>> m_held;    // rows its references hold
    QHash<QString, int> m_keysGiven;     // see lastKeyGiven
    QString m_command;
    QDateTime m_commandTime;          // when the open transaction began: its entries' time
    std::vector<RowChange> m_history; // the open transaction's changes
    std::optional<HistoryAuthor> m_author;
    bool m_historyTable = false; // this desk may record history (asked until it may)
    QSet<QString> m_tablesFound; // see hasTable
};

// Begins a transaction and rolls it back unless commit() was called.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db) { m_db.begin(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
                // Nothing more can be done while unwinding.
            }
        }
    }
    void commit() {
        m_db.commit();
        m_done = true;
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace gearlog
