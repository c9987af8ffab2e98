// Writes through a cursor: an update only of a row still as it was read.
#include "Recordset.h"

#include "BinaryField.h"
#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
#include "RecordHelpers.h"

namespace gearlog {

// ---- writes ---------------------------------------------------------------

void Recordset::addNew() {
    sync();
    requireUpdatable();
    m_edit = Edit{EditMode::Adding,
                  std::vector<QVariant>(m_query.columns.size()),
                  std::vector<bool>(m_query.columns.size(), false),
                  std::vector<std::optional<QByteArray>>(m_query.deferred.size()),
                  {}};
}

void Recordset::edit() {
    sync();
    requireUpdatable();
    requireCurrent();
    if (m_edit)
        return;
    const Row& row = currentRow();
    m_edit = Edit{EditMode::Editing, row, std::vector<bool>(m_query.columns.size(), false),
                  std::vector<std::optional<QByteArray>>(m_query.deferred.size()), row};
}

void Recordset::cancelUpdate() {
    m_edit.reset();
}

void Recordset::update() {
    if (!m_edit)
        return;
    const TableDef& table = *m_query.baseTable;
    const auto keyColumn = static_cast<size_t>(m_query.baseKeyColumn);
    const QVariant newKey = m_edit->values[keyColumn];
    if (!newKey.isValid())
        throw EngineError(
            QStringLiteral("Field '%1.ID' cannot contain a Null value").arg(table.name));
    QStringList names;
    QVariantList params;
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != table.name || (m_edit->mode == EditMode::Editing && !m_edit->changed[c]))
            continue;
        names << info.field;
        params << m_edit->values[c];
    }
    // Pictures follow the row's own write, each in a statement of its own
    // (see Store::writeBlob), in one transaction with it.
    std::vector<size_t> blobs;
    for (size_t d = 0; d < m_query.deferred.size(); ++d)
        if (m_edit->blobs[d])
            blobs.push_back(d);
    const int oldKey = m_edit->mode == EditMode::Editing ? currentKey() : -1;
    if (m_edit->mode == EditMode::Editing && names.isEmpty() && !blobs.empty()) {
        // Only a picture changed: the row must still be as it was read.
        names << QStringLiteral("ID");
        params << oldKey;
    }
    std::optional<Transaction> together;
    if (!blobs.empty())
        together.emplace(*m_db);
    Database::WriteAlone alone(*m_db);
    holdReferencedRows();
    Store& store = m_db->store();
    if (m_edit->mode == EditMode::Adding) {
        QStringList marks(names.size(), QStringLiteral("?"));
        store.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(table.name, names.join(QStringLiteral(", ")),
                               marks.join(QStringLiteral(", "))),
                      params);
    } else if (!names.isEmpty()) {
        // The row is written only if it is still as this cursor read it:
        // another desk's save in between is never silently overwritten.
        const Unchanged& unchanged = unchangedCondition();
        params << oldKey;
        for (size_t c : unchanged.marks)
            params << m_edit->original[c];
        const int updated = store.execute(
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE ID = ? AND %3")
                .arg(table.name, names.join(QStringLiteral(" = ?, ")), unchanged.where),
            params);
        if (updated == 0)
            refuseStaleUpdate(oldKey);
    }
    for (size_t d : blobs)
        store.writeBlob(table.name, m_query.deferred[d].field, newKey.toInt(), *m_edit->blobs[d]);
    recordWrite(newKey.toInt(), blobs);
    alone.commit();
    if (together)
        together->commit();
    m_edit.reset();
    QList<int> changed{newKey.toInt()};
    if (oldKey >= 0 && oldKey != newKey.toInt())
        changed << oldKey;
    m_db->rowsChanged(table, changed, this);
    sync();
    for (int id : changed)
        refetch(id);
    // The written row is the current row, wherever its sort key put it.
    const int index = indexOfKey(newKey.toInt());
    if (index >= 0) {
        m_pos = index;
        m_currentDeleted = false;
    }
}

// Each row a reference of a command's write names anew stays until the
// command's transaction ends; a reference to a row another desk deleted
// refuses the command rather than leave a reference to nothing. A write
// outside a transaction takes no lock to hold and is not checked.
void Recordset::holdReferencedRows() {
    if (!m_db->inTransaction())
        return;
    const TableDef& table = *m_query.baseTable;
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        const QVariant& value = m_edit->values[c];
        if (!m_edit->changed[c] || info.table != table.name || !value.isValid() ||
            value.toInt() < 1 ||
            (m_edit->mode == EditMode::Editing && m_edit->original[c] == value))
            continue;
        const TableDef* target = referencedTable(table, info.field);
        // A row this transaction wrote is held by it already.
        if (target && !m_db->wroteRow(target->name, value.toInt()) &&
            !lock_row(*m_db, target->name, value.toInt(), RowLock::ForReference))
            throw EngineError(QStringLiteral("%1 %2 names no row of %3: another user deleted it")
                                  .arg(info.field)
                                  .arg(value.toInt())
                                  .arg(target->name),
                              QStringLiteral("write ") + table.name);
    }
}

void Recordset::recordWrite(int key, const std::vector<size_t>& blobs) {
    const TableDef& table = *m_query.baseTable;
    const bool adding = m_edit->mode == EditMode::Adding;
    RowChange change{table.name, key, adding ? ChangeAction::Added : ChangeAction::Changed, {}};
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != table.name || !m_edit->changed[c])
            continue;
        const QString before = adding ? QString() : history_text(m_edit->original[c], info.type);
        const QString after = history_text(m_edit->values[c], info.type);
        if (before != after)
            change.fields.push_back({info.field, before, after});
    }
    // A picture's old bytes are never read: its size and hash are in the
    // history's entry of the change that stored it.
    for (size_t d : blobs)
        change.fields.push_back({m_query.deferred[d].field, QString(),
                                 history_text(*m_edit->blobs[d], FieldType::LongBinary)});
    if (adding || !change.fields.empty())
        m_db->recordChange(std::move(change));
}

const Recordset::Unchanged& Recordset::unchangedCondition() {
    if (m_unchanged)
        return *m_unchanged;
    Unchanged condition;
    QStringList terms;
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != m_query.baseTable->name || static_cast<int>(c) == m_query.baseKeyColumn)
            continue;
        int marks = 0;
        terms << dialect::unchangedTerm(m_db->engine(), info.field, info.type, &marks);
        condition.marks.insert(condition.marks.end(), static_cast<size_t>(marks), c);
    }
    condition.where = terms.join(QStringLiteral(" AND "));
    return *(m_unchanged = std::move(condition));
}

void Recordset::refuseStaleUpdate(int key) {
    // Show the row as the other desk left it (or drop it if it is gone).
    m_edit.reset();
    const bool exists =
        !m_db->store()
             .select(QStringLiteral("SELECT ID FROM %1 WHERE ID = ?").arg(m_query.baseTable->name),
                     {key}, {FieldType::Long})
             .empty();
    refetch(key);
    if (!exists)
        throw EngineError(QStringLiteral("The record was deleted from %1 by another user")
                              .arg(m_query.baseTable->name));
    throw ConflictError(QStringLiteral("The record was changed by another user"));
}

void Recordset::deleteRecord() {
    sync();
    requireUpdatable();
    requireCurrent();
    m_edit.reset();
    const int key = currentKey();
    RowChange change{m_query.baseTable->name, key, ChangeAction::Deleted, {}};
    const Row& row = currentRow();
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        if (info.table == m_query.baseTable->name)
            if (const QString before = history_text(row[c], info.type); !before.isEmpty())
                change.fields.push_back({info.field, before, QString()});
    }
    Database::WriteAlone alone(*m_db);
    m_db->store().execute(
        QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(m_query.baseTable->name), {key});
    m_db->recordChange(std::move(change));
    alone.commit();
    m_db->rowsChanged(*m_query.baseTable, {key}, this);
    m_cache.remove(key);
    removeAt(m_pos);
}

} // namespace gearlog
