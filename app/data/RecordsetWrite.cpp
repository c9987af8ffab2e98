// Writes through a cursor, by the one writer: an update or delete only of a
// row still as it was read.
#include "Recordset.h"

#include "BinaryField.h"
#include "Database.h"
#include "EngineError.h"
#include "RowWriter.h"

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

ColumnValues Recordset::baseValues(const std::vector<QVariant>& row,
                                   const std::vector<bool>* only) const {
    const TableDef& table = *m_query.baseTable;
    ColumnValues values;
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != table.name || (only && !(*only)[c]))
            continue;
        if (const FieldDef* field = findField(table, info.field))
            values.push_back({field, row[c]});
    }
    return values;
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
    const bool adding = m_edit->mode == EditMode::Adding;
    ColumnValues values = baseValues(m_edit->values, adding ? nullptr : &m_edit->changed);
    for (size_t d = 0; d < m_query.deferred.size(); ++d)
        if (m_edit->blobs[d])
            values.push_back(
                {findField(table, m_query.deferred[d].field), QVariant(*m_edit->blobs[d])});
    const int oldKey = adding ? -1 : currentKey();
    {
        Database::WriteAlone alone(*m_db);
        RowWriter writer(*m_db, table, this);
        try {
            if (adding)
                writer.insert(newKey.toInt(), std::move(values));
            else
                writer.update(oldKey, baseValues(m_edit->original, nullptr), std::move(values));
            writer.flush();
        } catch (const ConflictError&) {
            // Show the row as the other desk left it (or drop it if it is gone).
            m_edit.reset();
            refetch(oldKey);
            throw;
        }
        alone.commit();
    }
    m_edit.reset();
    QList<int> changed{newKey.toInt()};
    if (oldKey >= 0 && oldKey != newKey.toInt())
        changed << oldKey;
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

void Recordset::deleteRecord() {
    sync();
    requireUpdatable();
    requireCurrent();
    m_edit.reset();
    const int key = currentKey();
    {
        Database::WriteAlone alone(*m_db);
        RowWriter writer(*m_db, *m_query.baseTable, this);
        try {
            writer.remove(key, baseValues(currentRow(), nullptr));
            writer.flush();
        } catch (const ConflictError&) {
            refetch(key);
            throw;
        }
        alone.commit();
    }
    m_cache.remove(key);
    removeAt(m_pos);
}

} // namespace gearlog
