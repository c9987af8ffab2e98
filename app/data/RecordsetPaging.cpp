// Which rows a cursor holds, and reading them a page at a time.
#include "Recordset.h"

#include "Database.h"
#include "EngineError.h"

#include <algorithm>

namespace gearlog {

// ---- rows and keys -----------------------------------------------------------

Recordset::Paging Recordset::s_paging;

void Recordset::setPaging(const Paging& paging) {
    s_paging = paging;
}

void Recordset::readAll() {
    m_keyIndexDirty = true;
    m_pending.clear();
    m_cache.clear();
    m_keys.clear();
    m_rows.clear();
    if (m_keyed) {
        m_keys = m_db->store().selectKeys(m_query.sqlOfKeys(), {});
    } else {
        m_rows = m_db->store().select(m_query.sql(), {}, m_types);
    }
    m_loaded = true;
}

int Recordset::size() const {
    return static_cast<int>(m_keyed ? m_keys.size() : m_rows.size());
}

int Recordset::keyAt(int index) const {
    if (m_keyed)
        return m_keys[static_cast<size_t>(index)];
    const QVariant& key =
        m_rows[static_cast<size_t>(index)][static_cast<size_t>(m_query.baseKeyColumn)];
    return key.isValid() ? key.toInt() : -1;
}

const Row* Recordset::rowAt(int index) {
    if (!m_keyed)
        return &m_rows[static_cast<size_t>(index)];
    const int key = m_keys[static_cast<size_t>(index)];
    auto it = m_cache.constFind(key);
    if (it == m_cache.constEnd()) {
        fetchPageAround(index);
        it = m_cache.constFind(key);
        if (it == m_cache.constEnd())
            return nullptr;
    }
    return &it.value();
}

const Row& Recordset::currentRow() {
    const Row* row = rowAt(m_pos);
    if (!row) {
        // Another desk deleted it: it leaves the cursor now.
        sync();
        requireCurrent();
        row = rowAt(m_pos);
        if (!row)
            throw EngineError(QStringLiteral("The current row has been deleted"));
    }
    return *row;
}

// The row a cursor arrives at is read then, so an update later writes only
// if the row is still as it was at that moment. A row another desk deleted
// since the keys were read is passed over, in the direction of travel.
void Recordset::arrive(int step) {
    while (m_keyed && !m_currentDeleted && m_pos >= 0 && m_pos < size() && !rowAt(m_pos)) {
        removeAt(m_pos);
        m_currentDeleted = false;
        if (step < 0)
            --m_pos;
    }
}

// Makes room for more rows, keeping the current one.
void Recordset::trimCache() {
    if (m_cache.size() >=
        (size() <= s_paging.wholeRead ? s_paging.wholeRead + s_paging.page : s_paging.cachedAtMost))
        releaseRows();
}

void Recordset::releaseRows() {
    const int key = m_pos >= 0 && m_pos < size() ? keyAt(m_pos) : -1;
    std::optional<Row> current;
    if (const auto it = m_cache.constFind(key); it != m_cache.constEnd())
        current = it.value();
    m_cache.clear();
    if (current)
        m_cache.insert(key, std::move(*current));
}

// Reads the row, and on a walk the rows not yet read of a page in the
// direction of travel, in one prepared statement (a short page repeats its
// last key). A jump to a row far from the last ones reads that row alone.
void Recordset::fetchPageAround(int index) {
    const auto cached = [this](int i) {
        return i >= 0 && i < size() && m_cache.contains(m_keys[static_cast<size_t>(i)]);
    };
    const bool backwards = cached(index + 1);
    const bool walking = backwards || cached(index - 1);
    if (walking && size() <= s_paging.wholeRead) {
        readWhole();
        return;
    }
    const int count = walking ? s_paging.page : 1;
    const int first = std::max(0, backwards ? index - count + 1 : std::min(index, size() - count));
    QVariantList keys;
    keys.reserve(count);
    for (int i = first; i < size() && keys.size() < count; ++i)
        if (i == index || !cached(i))
            keys << m_keys[static_cast<size_t>(i)];
    std::vector<int> asked;
    for (const QVariant& key : std::as_const(keys))
        asked.push_back(key.toInt());
    while (keys.size() < count)
        keys << keys.constLast();
    trimCache();
    cacheRows(m_db->store().select(m_query.sqlForKeys(count), keys, m_types), asked);
}

void Recordset::readWhole() {
    trimCache();
    cacheRows(m_db->store().select(m_query.sql(), {}, m_types), m_keys);
}

// Keeps rows read for these keys; a key that came back without a row was
// deleted meanwhile and leaves the cursor at the next look.
void Recordset::cacheRows(std::vector<Row> rows, const std::vector<int>& asked) {
    const auto k = static_cast<size_t>(m_query.baseKeyColumn);
    for (Row& row : rows) {
        const int key = row[k].toInt();
        m_cache.insert(key, std::move(row));
    }
    for (int key : asked)
        if (!m_cache.contains(key))
            m_pending.append(key);
}

void Recordset::remember(int key, Row row) {
    trimCache();
    m_cache.insert(key, std::move(row));
}

} // namespace gearlog
