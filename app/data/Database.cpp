#include "Database.h"

#include "EngineError.h"
#include "RecordHelpers.h"
#include "Recordset.h"

#include <algorithm>

namespace gearlog {

Database::Database(std::unique_ptr<Store> store) : m_store(std::move(store)) {}

Database::~Database() {
    if (m_depth > 0) {
        try {
            m_store->rollback();
        } catch (const EngineError&) {
            // The connection is going away; the server discards the work.
        }
    }
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& source, Recordset::Load load) {
    QString sql = source.trimmed();
    if (findTable(sql))
        sql = QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(sql);
    return std::make_unique<Recordset>(shared_from_this(), translateSelect(sql, engine()), load);
}

int Database::execute(const QString& jetSql) {
    const TranslatedStatement statement = translateStatement(jetSql, engine());
    const TableDef* table = statement.table.isEmpty() ? nullptr : findTable(statement.table);
    QList<int> touched;
    if (table) {
        QString ids = QStringLiteral("SELECT ID FROM ") + table->name;
        if (!statement.where.isEmpty())
            ids += QStringLiteral(" WHERE ") + statement.where;
        for (const Row& row : m_store->select(ids, {}, {FieldType::Long}))
            touched << row[0].toInt();
    }
    const int affected = m_store->execute(statement.sql);
    if (table && !touched.isEmpty())
        rowsChanged(*table, touched, nullptr);
    return affected;
}

bool Database::hasTable(const QString& name) {
    const QString table = name.toLower();
    if (!m_tablesFound.contains(table) && m_store->tableNames().contains(table))
        m_tablesFound.insert(table);
    return m_tablesFound.contains(table);
}

bool Database::holdReferenced(const QString& table, int id) {
    if (m_depth > 0 && (wroteRow(table, id) || m_held.value(table).contains(id)))
        return true;
    if (!lock_row(*this, table, id, RowLock::ForReference))
        return false;
    if (m_depth > 0)
        m_held[table].insert(id);
    return true;
}

void Database::writeHistory() {
    const std::vector<RowChange> changes = std::exchange(m_history, {});
    // Asked again while it is missing: another desk's opening may make it.
    if (!m_historyTable)
        m_historyTable = has_history_table(*m_store);
    if (changes.empty())
        return;
    // Never a change the history does not hold.
    if (!m_historyTable)
        throw EngineError(QStringLiteral("The history of changes is missing from this database "
                                         "and this desk cannot make it, so nothing was written: "
                                         "open the database once with its owner's account (or "
                                         "run gearlog-admin create-schema --roles) and try again"),
                          QStringLiteral("record the history"));
    if (!m_author)
        m_author = history_author(*m_store);
    write_history(*m_store, *m_author, m_command, m_commandTime, changes);
}

Database::WriteAlone::WriteAlone(Database& db) : m_db(db) {
    if (m_db.m_depth == 0) {
        m_db.m_store->begin();
        m_db.m_commandTime = QDateTime::currentDateTimeUtc();
        m_open = true;
    }
}

Database::WriteAlone::~WriteAlone() {
    if (!m_open)
        return;
    m_db.m_history.clear();
    try {
        m_db.m_store->rollback();
    } catch (...) {
        // Nothing more can be done while unwinding.
    }
}

void Database::WriteAlone::commit() {
    if (!m_open)
        return;
    m_db.writeHistory();
    m_db.m_store->commit();
    m_open = false;
}

void Database::begin() {
    if (m_depth == 0) {
        m_store->begin();
        m_commandTime = QDateTime::currentDateTimeUtc();
        m_rollbackOnly = false;
    }
    ++m_depth;
}

void Database::commit() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Commit without a transaction"), QStringLiteral("commit"));
    if (m_depth == 1 && m_rollbackOnly) {
        // A part of the command failed: none of it may stay.
        rollbackStore();
        throw EngineError(QStringLiteral("The command was undone because a part of it failed"),
                          QStringLiteral("commit"));
    }
    if (m_depth == 1) {
        // The history goes with the changes, or the command fails whole.
        if (!m_history.empty()) {
            try {
                writeHistory();
            } catch (...) {
                rollbackStore();
                throw;
            }
        }
        m_store->commit();
    }
    --m_depth;
    if (m_depth == 0) {
        m_touched.clear();
        m_held.clear();
        m_keysGiven.clear();
        m_history.clear();
        m_command.clear();
    }
}

void Database::rollback() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Rollback without a transaction"),
                          QStringLiteral("rollback"));
    if (m_depth > 1) {
        // An inner guard gave up: the outermost one will undo everything.
        --m_depth;
        m_rollbackOnly = true;
        return;
    }
    rollbackStore();
}

void Database::rollbackStore() {
    m_depth = 0;
    m_rollbackOnly = false;
    m_keysGiven.clear();
    m_history.clear();
    m_command.clear();
    m_held.clear();
    const auto touched = std::exchange(m_touched, {});
    m_store->rollback();
    // Edits begun in the transaction belong to it and go with it.
    for (Recordset* cursor : m_cursors)
        cursor->cancelUpdate();
    // Every cursor re-reads what the transaction had written, so all of
    // them show the database as it is again.
    for (auto it = touched.cbegin(); it != touched.cend(); ++it) {
        const QList<int> ids(it.value().cbegin(), it.value().cend());
        if (const TableDef* table = findTable(it.key()))
            for (Recordset* cursor : m_cursors)
                if (cursor->query().baseTable == table)
                    cursor->reread(ids);
    }
}

void Database::attach(Recordset* cursor) {
    m_cursors.push_back(cursor);
}

void Database::detach(Recordset* cursor) {
    m_cursors.erase(std::remove(m_cursors.begin(), m_cursors.end(), cursor), m_cursors.end());
}

void Database::rowsChanged(const TableDef& table, const QList<int>& ids, Recordset* source) {
    if (m_depth > 0) {
        QSet<int>& touched = m_touched[table.name];
        for (int id : ids)
            touched.insert(id);
    }
    for (Recordset* cursor : m_cursors)
        if (cursor != source && cursor->query().baseTable == &table)
            cursor->reread(ids);
}

} // namespace gearlog
