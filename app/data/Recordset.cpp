#include "Recordset.h"

#include "BinaryField.h"
#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
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

QString qualified(const ColumnInfo& info) {
    return (info.table + QLatin1Char('.') + info.field).toLower();
}

} // namespace

Recordset::Recordset(std::shared_ptr<Database> db, TranslatedSelect query, Load load)
    : m_db(std::move(db)), m_query(std::move(query)) {
    m_types.reserve(m_query.columns.size());
    // Unqualified names go to the first column of that name, as a join
    // returning two columns of one name does; "Table.Field" reaches either.
    auto index = [this](const ColumnInfo& info, FieldRef ref) {
        if (!info.table.isEmpty())
            m_fieldIndex.insert(qualified(info), ref);
        if (!m_fieldIndex.contains(info.field.toLower()))
            m_fieldIndex.insert(info.field.toLower(), ref);
    };
    for (size_t c = 0; c < m_query.columns.size(); ++c) {
        m_types.push_back(m_query.columns[c].type);
        index(m_query.columns[c], {static_cast<int>(c), -1});
    }
    for (size_t d = 0; d < m_query.deferred.size(); ++d)
        index(m_query.deferred[d], {-1, static_cast<int>(d)});
    m_keyed = m_query.baseKeyColumn >= 0;
    m_keyOrder = m_keyed && !m_query.orderKeys.empty() &&
                 m_query.orderKeys.front().column == m_query.baseKeyColumn &&
                 !m_query.orderKeys.front().descending;
    if (load == Load::Now)
        readAll();
    m_db->attach(this);
}

Recordset::~Recordset() {
    m_db->detach(this);
}

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
    if (m_cache.size() <
        (size() <= s_paging.wholeRead ? s_paging.wholeRead + s_paging.page : s_paging.cachedAtMost))
        return;
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

// ---- navigation -------------------------------------------------------------

void Recordset::leaveRow() {
    m_edit.reset();
    m_noMatch = false;
}

void Recordset::moveFirst() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    m_pos = 0;
    arrive();
}

void Recordset::moveLast() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    m_pos = size() == 0 ? 0 : size() - 1;
    arrive(-1);
}

void Recordset::moveNext() {
    sync();
    leaveRow();
    // After a delete the next row already sits at the current position.
    if (m_currentDeleted)
        m_currentDeleted = false;
    else if (m_pos < size())
        ++m_pos;
    arrive();
}

void Recordset::movePrevious() {
    sync();
    leaveRow();
    m_currentDeleted = false;
    if (m_pos >= 0)
        --m_pos;
    arrive(-1);
}

bool Recordset::eof() {
    sync();
    return size() == 0 || m_pos >= size();
}

bool Recordset::bof() {
    sync();
    return size() == 0 || m_pos < 0;
}

int Recordset::recordCount() {
    sync();
    return size();
}

int Recordset::absolutePosition() {
    sync();
    if (m_currentDeleted || m_pos < 0 || m_pos >= size())
        return -1;
    return m_pos;
}

void Recordset::setAbsolutePosition(int position) {
    sync();
    if (position < 0 || position >= size())
        throw EngineError(QStringLiteral("Invalid position: %1").arg(position));
    leaveRow();
    m_currentDeleted = false;
    m_pos = position;
    arrive();
}

const Criteria& Recordset::criteria(const QString& text) {
    if (!m_criteria || m_criteriaText != text) {
        m_criteria.emplace(text, m_query.columns);
        m_criteriaText = text;
    }
    return *m_criteria;
}

bool Recordset::findFrom(int start, const QString& text) {
    sync();
    const Criteria& c = criteria(text);
    leaveRow();
    m_currentDeleted = false;
    int found = -1;
    int key = 0;
    if (c.isKeyLookup(m_query.baseKeyColumn, &key)) {
        const int index = indexOfKey(key);
        found = index >= start && rowAt(index) ? index : -1;
    } else if (int column = -1; m_keyed && size() > s_paging.page && c.isEquality(&column)) {
        // Many rows not read yet: the store finds the matching ones.
        const ColumnInfo& info = m_query.columns[static_cast<size_t>(column)];
        const auto keys = m_db->store().selectKeys(
            m_query.sqlOfKeys(info.table + QLatin1Char('.') + info.field + QStringLiteral(" = ?")),
            {c.literal()});
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

// ---- fields ---------------------------------------------------------------

Recordset::FieldRef Recordset::field(const QString& name) const {
    const auto it = m_fieldIndex.constFind(name.toLower());
    if (it == m_fieldIndex.constEnd())
        throw EngineError(
            QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                           "name: %1")
                .arg(name));
    return it.value();
}

void Recordset::requireCurrent() const {
    if (m_currentDeleted)
        throw EngineError(QStringLiteral("The current row has been deleted"));
    if (size() == 0 || m_pos < 0 || m_pos >= size())
        throw EngineError(
            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted"));
}

void Recordset::requireUpdatable() const {
    if (!isUpdatable())
        throw EngineError(QStringLiteral("This recordset is not updatable"));
}

QVariant Recordset::value(const QString& name) {
    return value(field(name));
}

QVariant Recordset::value(FieldRef ref) {
    if (!m_edit) {
        sync();
        requireCurrent();
    }
    if (ref.column >= 0)
        return m_edit ? m_edit->values[static_cast<size_t>(ref.column)]
                      : currentRow()[static_cast<size_t>(ref.column)];
    BinaryField blob(*this, ref.deferred);
    if (blob.isNull())
        return {};
    return QVariant(blob.getChunk(0, blob.actualSize()));
}

void Recordset::setValue(const QString& name, const QVariant& value) {
    const FieldRef ref = field(name);
    if (!m_edit)
        edit();
    if (ref.column >= 0) {
        const auto c = static_cast<size_t>(ref.column);
        const ColumnInfo& info = m_query.columns[c];
        if (info.table != m_query.baseTable->name)
            throw EngineError(
                QStringLiteral("Field '%1.%2' is not updatable").arg(info.table, info.field));
        m_edit->values[c] = coerceValue(value, info.type, info.field);
        m_edit->changed[c] = true;
    } else {
        const QVariant bytes = coerceValue(value, FieldType::LongBinary, name);
        m_edit->blobs[static_cast<size_t>(ref.deferred)] =
            bytes.isValid() ? std::optional<QByteArray>(bytes.toByteArray())
                            : std::optional<QByteArray>(QByteArray());
    }
}

std::unique_ptr<BinaryField> Recordset::binaryField(const QString& name) {
    const FieldRef ref = field(name);
    if (ref.deferred < 0)
        throw EngineError(QStringLiteral("Field '%1' is not a binary field").arg(name));
    if (!m_edit) {
        sync();
        requireCurrent();
    }
    return std::make_unique<BinaryField>(*this, ref.deferred);
}

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
    for (size_t d = 0; d < m_query.deferred.size(); ++d) {
        if (!m_edit->blobs[d])
            continue;
        names << m_query.deferred[d].field;
        params << QVariant(*m_edit->blobs[d]);
    }
    const int oldKey = m_edit->mode == EditMode::Editing ? currentKey() : -1;
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

void Recordset::deleteRecord() {
    sync();
    requireUpdatable();
    requireCurrent();
    m_edit.reset();
    const int key = currentKey();
    m_db->store().execute(
        QStringLiteral("DELETE FROM %1 WHERE ID = ?").arg(m_query.baseTable->name), {key});
    m_db->rowsChanged(*m_query.baseTable, {key}, this);
    m_cache.remove(key);
    removeAt(m_pos);
}

} // namespace gearlog
