// Finding rows: by key, through the store for many rows, or by walking.
#include "Recordset.h"

#include "Database.h"

namespace gearlog {

const Criteria& Recordset::criteria(const QString& text) {
    if (!m_criteria || m_criteriaText != text) {
        m_criteria.emplace(text, m_query.columns);
        m_criteriaText = text;
    }
    return *m_criteria;
}

// The row's place in the cursor. A key not among those read is asked of
// the store: another desk may have added the row since, and it then joins
// the cursor in its sort place. Keys below 1 name no row by convention.
int Recordset::joined(int key) {
    const int index = indexOfKey(key);
    if (index >= 0 || !m_keyed || key < 1)
        return index;
    refetch(key);
    return indexOfKey(key);
}

bool Recordset::findFrom(int start, const QString& text) {
    sync();
    const Criteria& c = criteria(text);
    leaveRow();
    m_currentDeleted = false;
    int found = -1;
    int key = 0;
    if (c.isKeyLookup(m_query.baseKeyColumn, &key)) {
        const int index = joined(key);
        found = index >= start && rowAt(index) ? index : -1;
    } else if (int column = -1; m_keyed && size() > s_paging.page && c.isEquality(&column)) {
        // Many rows not read yet: the store finds the matching ones.
        const ColumnInfo& info = m_query.columns[static_cast<size_t>(column)];
        const auto keys = m_db->store().selectKeys(
            m_query.sqlOfKeys(info.table + QLatin1Char('.') + info.field + QStringLiteral(" = ?")),
            {c.literal()});
        for (int k : keys)
            joined(k);
        for (int k : keys) {
            const int index = indexOfKey(k);
            if (index >= std::max(start, 0) && (found < 0 || index < found) && rowAt(index))
                found = index;
        }
    } else {
        for (int i = std::max(start, 0); i < size(); ++i) {
            const Row* row = rowAt(i);
            if (row && c.matches(*row)) {
                found = i;
                break;
            }
        }
    }
    m_noMatch = found < 0;
    m_pos = m_noMatch ? size() : found;
    arrive();
    return !m_noMatch;
}

bool Recordset::findFirst(const QString& criteriaText) {
    return findFrom(0, criteriaText);
}

bool Recordset::findNext(const QString& criteriaText) {
    return findFrom(m_currentDeleted ? m_pos : m_pos + 1, criteriaText);
}

} // namespace gearlog
