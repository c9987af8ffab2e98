// Rows written elsewhere reaching a cursor, in their sort place.
#include "Recordset.h"

#include "Database.h"
#include "TextFold.h"

#include <QDateTime>
#include <algorithm>

namespace gearlog {

namespace {

int compareKey(const QVariant& a, const QVariant& b, FieldType type) {
    const bool aNull = !a.isValid(), bNull = !b.isValid();
    if (aNull || bNull)
        return aNull == bNull ? 0 : (aNull ? -1 : 1);
    switch (type) {
    case FieldType::Text:
        return compareFolded(a.toString(), b.toString());
    case FieldType::Memo:
        return a.toString().compare(b.toString());
    case FieldType::Date: {
        const QDateTime x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    default: {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    }
}

} // namespace

// ---- change propagation ---------------------------------------------------

void Recordset::sync() {
    if (!m_loaded) {
        // The first read takes every row as it is now, written ones included.
        readAll();
        return;
    }
    // A row leaves the list only once it is read, so a failing read is
    // tried again at the next look instead of leaving the cursor stale.
    while (!m_pending.isEmpty()) {
        refetch(m_pending.constFirst());
        m_pending.removeFirst();
    }
}

void Recordset::refetch(int id) {
    auto fetched = m_db->store().select(m_query.sqlForKey(), {id}, m_types);
    const int old = indexOfKey(id);
    if (fetched.empty()) {
        m_cache.remove(id);
        if (old >= 0)
            removeAt(old);
        return;
    }
    Row& row = fetched.front();
    if (old >= 0 && fitsAt(old, row)) {
        if (m_keyed)
            remember(id, std::move(row));
        else
            m_rows[static_cast<size_t>(old)] = std::move(row);
        return;
    }
    // A row whose sort key changed moves to its new place; if it was the
    // current row it stays the current row there.
    const bool wasCurrent = old >= 0 && old == m_pos && !m_currentDeleted;
    if (old >= 0)
        removeAt(old);
    const int index = insertSorted(std::move(row));
    if (wasCurrent) {
        m_pos = index;
        m_currentDeleted = false;
    }
}

// True when the row, at this position, is still in the cursor's order.
bool Recordset::fitsAt(int index, const Row& row) {
    if (m_query.orderKeys.empty() || m_keyOrder)
        return true;
    if (index > 0) {
        const Row* before = rowAt(index - 1);
        if (before && compareRows(*before, row) > 0)
            return false;
    }
    if (index + 1 < size()) {
        const Row* after = rowAt(index + 1);
        if (after && compareRows(row, *after) > 0)
            return false;
    }
    return true;
}

void Recordset::removeAt(int index) {
    if (m_keyed)
        m_keys.erase(m_keys.begin() + index);
    else
        m_rows.erase(m_rows.begin() + index);
    m_keyIndexDirty = true;
    if (index < m_pos)
        --m_pos;
    else if (index == m_pos)
        m_currentDeleted = true;
}

int Recordset::insertSorted(Row row) {
    const int key =
        m_query.baseKeyColumn >= 0 ? row[static_cast<size_t>(m_query.baseKeyColumn)].toInt() : -1;
    int index = size();
    if (m_keyOrder) {
        index =
            static_cast<int>(std::lower_bound(m_keys.begin(), m_keys.end(), key) - m_keys.begin());
    } else if (!m_query.orderKeys.empty()) {
        // The first position whose row sorts after this one.
        int low = 0, high = size();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            const Row* other = rowAt(mid);
            if (other && compareRows(row, *other) < 0)
                high = mid;
            else
                low = mid + 1;
        }
        index = low;
    }
    if (m_keyed) {
        m_keys.insert(m_keys.begin() + index, key);
        remember(key, std::move(row));
    } else {
        m_rows.insert(m_rows.begin() + index, std::move(row));
    }
    m_keyIndexDirty = true;
    if (index <= m_pos)
        ++m_pos;
    return index;
}

int Recordset::compareRows(const Row& a, const Row& b) const {
    for (const OrderKey& key : m_query.orderKeys) {
        const auto c = static_cast<size_t>(key.column);
        const int r = compareKey(a[c], b[c], m_types[c]);
        if (r != 0)
            return key.descending ? -r : r;
    }
    return 0;
}

int Recordset::indexOfKey(int id) {
    if (m_query.baseKeyColumn < 0)
        return -1;
    if (m_keyOrder) {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), id);
        return it != m_keys.end() && *it == id ? static_cast<int>(it - m_keys.begin()) : -1;
    }
    if (m_keyIndexDirty) {
        m_keyIndex.clear();
        m_keyIndex.reserve(size());
        for (int i = 0; i < size(); ++i)
            m_keyIndex.insert(keyAt(i), i);
        m_keyIndexDirty = false;
    }
    return m_keyIndex.value(id, -1);
}

int Recordset::currentKey() {
    if (m_query.baseKeyColumn < 0 || m_currentDeleted || m_pos < 0 || m_pos >= size())
        return -1;
    return keyAt(m_pos);
}

void Recordset::reread(const QList<int>& ids) {
    m_pending.append(ids);
}

void Recordset::requery() {
    if (!m_loaded)
        return; // its first read will be fresh anyway
    const int key = currentKey();
    readAll();
    m_edit.reset();
    m_currentDeleted = false;
    m_noMatch = false;
    const int index = key >= 0 ? indexOfKey(key) : -1;
    m_pos = index >= 0 ? index : 0;
}

} // namespace gearlog
