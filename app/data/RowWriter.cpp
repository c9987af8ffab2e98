#include "RowWriter.h"

#include "ChangeHistory.h"
#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
#include "KeyedRead.h"

#include <cmath>

namespace gearlog {

namespace {

bool isBinary(const ColumnValue& v) {
    return v.field->type == FieldType::LongBinary;
}

bool isKey(const ColumnValue& v) {
    return v.field->name.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0;
}

// Whether two rows write the same fields (pictures apart, each written alone).
bool sameFields(const ColumnValues& a, const ColumnValues& b) {
    auto x = a.begin(), y = b.begin();
    for (;; ++x, ++y) {
        while (x != a.end() && isBinary(*x))
            ++x;
        while (y != b.end() && isBinary(*y))
            ++y;
        if (x == a.end() || y == b.end())
            return x == a.end() && y == b.end();
        if (x->field != y->field)
            return false;
    }
}

} // namespace

QString valueRows(const QStringList& rowMarks, size_t count) {
    const QString row = QLatin1Char('(') + rowMarks.join(QStringLiteral(", ")) + QLatin1Char(')');
    return QStringList(static_cast<qsizetype>(count), row).join(QStringLiteral(", "));
}

void each_batch(const QVariantList& values,
                const std::function<void(const QString&, const QVariantList&)>& run) {
    for (qsizetype first = 0; first < values.size(); first += rowsPerBatch) {
        const QVariantList batch = values.mid(first, rowsPerBatch);
        run(QStringList(batch.size(), QStringLiteral("?")).join(QStringLiteral(", ")), batch);
    }
}

bool same_stored_value(const QVariant& a, const QVariant& b, FieldType type) {
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull == bNull;
    switch (type) {
    case FieldType::Date:
        return a.toDateTime() == b.toDateTime();
    case FieldType::Single:
        return static_cast<float>(a.toDouble()) == static_cast<float>(b.toDouble());
    case FieldType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || std::abs(x - y) <= 1e-12 * std::max(std::abs(x), std::abs(y));
    }
    case FieldType::Long:
        return a.toLongLong() == b.toLongLong();
    case FieldType::Boolean:
        return a.toBool() == b.toBool();
    case FieldType::LongBinary:
        return a.toByteArray() == b.toByteArray();
    default:
        return a.toString() == b.toString();
    }
}

RowWriter::RowWriter(Database& db, const TableDef& table, Recordset* source)
    : m_db(db), m_table(table), m_source(source) {
    for (const FieldDef& f : table.fields)
        m_references.push_back(findReference(table, f.name));
}

void RowWriter::enqueue(std::vector<Pending>& queue, Pending row) {
    // Writes of another kind go first, in the order they were asked for.
    for (const std::vector<Pending>* other : {&m_inserts, &m_updates, &m_deletes})
        if (other != &queue && !other->empty())
            flush();
    queue.push_back(std::move(row));
    if (queue.size() == rowsPerBatch)
        flush();
}

void RowWriter::insert(int key, ColumnValues values) {
    std::erase_if(values, isKey);
    enqueue(m_inserts, {key, {}, std::move(values), {}});
}

void RowWriter::update(int key, ColumnValues held, ColumnValues values) {
    enqueue(m_updates, {key, std::move(held), std::move(values), {}});
}

void RowWriter::updateHeld(int key, Row stored, ColumnValues values) {
    enqueue(m_updates, {key, {}, std::move(values), std::move(stored)});
}

void RowWriter::remove(int key, ColumnValues held) {
    enqueue(m_deletes, {key, std::move(held), {}, {}});
}

void RowWriter::flush() {
    flushInserts();
    flushUpdates();
    flushDeletes();
}

quint64 RowWriter::fieldMask(const ColumnValues& values) const {
    quint64 mask = 0;
    for (const ColumnValue& v : values)
        mask |= quint64(1) << (fieldPosition(m_table, v.field) % 64);
    return mask;
}

size_t RowWriter::runEnd(const std::vector<Pending>& rows, size_t first) {
    size_t last = first + 1;
    while (last < rows.size() && sameFields(rows[last].values, rows[first].values))
        ++last;
    return last;
}

QString RowWriter::rowSource(const std::vector<Pending>& rows, size_t first, size_t last,
                             QVariantList& params) const {
    std::vector<FieldType> types{FieldType::Long};
    for (const ColumnValue& v : rows[first].values)
        if (!isBinary(v))
            types.push_back(v.field->type);
    const bool server = m_db.engine() == Engine::Postgres;
    std::vector<QVariantList> columns(server ? types.size() : 0);
    for (size_t r = first; r < last; ++r) {
        size_t c = 0;
        const auto put = [&](const QVariant& value) {
            (server ? columns[c++] : params) << value;
        };
        put(rows[r].key);
        for (const ColumnValue& v : rows[r].values)
            if (!isBinary(v))
                put(v.value);
    }
    if (!server)
        return QStringLiteral("VALUES ") +
               valueRows(QStringList(static_cast<qsizetype>(types.size()), QStringLiteral("?")),
                         last - first);
    QStringList marks, names;
    for (size_t c = 0; c < types.size(); ++c) {
        marks << dialect::arrayMark(types[c]);
        names << QStringLiteral("column%1").arg(c + 1);
        params << dialect::serverArray(columns[c]);
    }
    return QStringLiteral("SELECT * FROM unnest(%1) AS v(%2)")
        .arg(marks.join(QStringLiteral(", ")), names.join(QStringLiteral(", ")));
}

void RowWriter::holdReferences(const ColumnValues& values, const Row* stored) {
    // A cursor's write outside a command (a set-up's own rows) holds none.
    if (!m_db.inTransaction())
        return;
    for (const ColumnValue& v : values) {
        const size_t index = fieldPosition(m_table, v.field);
        const ReferenceDef* reference = m_references[index];
        if (!reference)
            continue;
        if (stored && same_stored_value(stored->at(index), v.value, v.field->type))
            continue; // not named anew
        const bool names = v.value.isValid() && !v.value.isNull() && v.value.toInt() > 0;
        if (!names && !reference->required)
            continue;
        if (!names || !m_db.holdReferenced(reference->target, v.value.toInt()))
            throw EngineError(QStringLiteral("%1 %2 names no row of %3")
                                  .arg(v.field->name,
                                       names ? v.value.toString() : QStringLiteral("0"),
                                       reference->target),
                              QStringLiteral("write ") + m_table.name);
    }
}

void RowWriter::writeBlobs(int key, const ColumnValues& values) {
    for (const ColumnValue& v : values)
        if (isBinary(v))
            m_db.store().writeBlob(m_table.name, v.field->name, key, v.value.toByteArray());
}

void RowWriter::flushInserts() {
    if (m_inserts.empty())
        return;
    const std::vector<Pending> rows = std::exchange(m_inserts, {});
    QList<int> added;
    for (size_t first = 0, last = 0; first < rows.size(); first = last) {
        last = runEnd(rows, first);
        QStringList names{QStringLiteral("ID")};
        for (const ColumnValue& v : rows[first].values)
            if (!isBinary(v))
                names << v.field->name;
        for (size_t r = first; r < last; ++r)
            holdReferences(rows[r].values, nullptr);
        QVariantList params;
        const QString source = rowSource(rows, first, last, params);
        m_db.store().execute(QStringLiteral("INSERT INTO %1 (%2) %3")
                                 .arg(m_table.name, names.join(QStringLiteral(", ")), source),
                             params);
        for (size_t r = first; r < last; ++r) {
            writeBlobs(rows[r].key, rows[r].values);
            RowChange change{m_table.name, rows[r].key, ChangeAction::Added, {}};
            for (const ColumnValue& v : rows[r].values)
                if (const QString after = history_text(v.value, v.field->type); !after.isEmpty())
                    change.fields.push_back({v.field->name, {}, after});
            m_db.recordChange(std::move(change));
            added << rows[r].key;
        }
    }
    m_db.writeRecordedChanges();
    m_db.rowsChanged(m_table, added, m_source);
}

QHash<int, Row> RowWriter::readHeld(const std::vector<Pending>& rows) {
    QStringList names;
    std::vector<FieldType> types;
    for (const FieldDef& f : m_table.fields) {
        // Pictures are never read back: Null stands in for them.
        names << (f.type == FieldType::LongBinary ? QStringLiteral("NULL") : f.name);
        types.push_back(f.type == FieldType::LongBinary ? FieldType::Unknown : f.type);
    }
    std::vector<int> keys;
    keys.reserve(rows.size());
    for (const Pending& p : rows)
        keys.push_back(p.key);
    QHash<int, Row> stored;
    read_in_key_order(
        m_db.store(),
        QStringLiteral("SELECT %1 FROM %2 WHERE ID IN")
            .arg(names.join(QStringLiteral(", ")), m_table.name),
        keys, types, [&stored](const Row& row) { stored.insert(row[0].toInt(), row); },
        dialect::rowLockClause(m_db.engine(), RowLock::ForDelete));
    for (const Pending& p : rows) {
        const auto row = stored.constFind(p.key);
        if (row == stored.cend())
            throw ConflictError(
                QStringLiteral("The record was deleted from %1 by another user").arg(m_table.name));
        for (const ColumnValue& h : p.held) {
            if (!isBinary(h) && !same_stored_value(row->at(fieldPosition(m_table, h.field)),
                                                   h.value, h.field->type))
                throw ConflictError(QStringLiteral("The record was changed by another user"));
        }
    }
    return stored;
}

QHash<int, Row> RowWriter::storedRows(std::vector<Pending>& rows) {
    std::vector<Pending> unread;
    for (const Pending& p : rows)
        if (p.stored.empty())
            unread.push_back({p.key, p.held, {}, {}});
    QHash<int, Row> stored = unread.empty() ? QHash<int, Row>() : readHeld(unread);
    for (Pending& p : rows)
        if (!p.stored.empty())
            stored.insert(p.key, std::move(p.stored));
    return stored;
}

void RowWriter::flushUpdates() {
    if (m_updates.empty())
        return;
    std::vector<Pending> rows = std::exchange(m_updates, {});
    const QHash<int, Row> stored = storedRows(rows);
    // Only what changes is written: a field left as it is costs its indexes
    // and the search's triggers nothing, and a row left whole no statement.
    // Rows that write the same fields then go together, in one statement;
    // a command that renames keys keeps its order.
    bool renames = false;
    for (Pending& p : rows) {
        const Row& before = *stored.constFind(p.key);
        std::erase_if(p.values, [&](const ColumnValue& v) {
            return !isBinary(v) && same_stored_value(before[fieldPosition(m_table, v.field)],
                                                     v.value, v.field->type);
        });
        renames = renames || std::any_of(p.values.begin(), p.values.end(), isKey);
    }
    std::erase_if(rows, [](const Pending& p) { return p.values.empty(); });
    if (!renames)
        std::stable_sort(rows.begin(), rows.end(), [this](const Pending& a, const Pending& b) {
            return fieldMask(a.values) < fieldMask(b.values);
        });
    QList<int> touched;
    for (size_t first = 0, last = 0; first < rows.size(); first = last) {
        last = runEnd(rows, first);
        std::vector<const FieldDef*> fields;
        for (const ColumnValue& v : rows[first].values)
            if (!isBinary(v))
                fields.push_back(v.field);
        for (size_t r = first; r < last; ++r)
            holdReferences(rows[r].values, &*stored.constFind(rows[r].key));
        if (!fields.empty()) {
            // Each row's values beside its key, any number of rows a statement.
            QStringList set;
            for (size_t f = 0; f < fields.size(); ++f)
                set << QStringLiteral("%1 = v.column%2").arg(fields[f]->name).arg(f + 2);
            QVariantList params;
            const QString source = rowSource(rows, first, last, params);
            // The server would read the whole table to join it with the
            // values; given the keys as well (the source's first array), it
            // looks the rows up.
            QString lookUp;
            if (m_db.engine() == Engine::Postgres) {
                lookUp = QStringLiteral(" AND %1.ID = ANY(CAST(? AS integer[]))").arg(m_table.name);
                params << params.front();
            }
            m_db.store().execute(
                QStringLiteral("UPDATE %1 SET %2 FROM (%3) AS v WHERE %1.ID = v.column1%4")
                    .arg(m_table.name, set.join(QStringLiteral(", ")), source, lookUp),
                params);
        }
        for (size_t r = first; r < last; ++r) {
            const Pending& p = rows[r];
            int key = p.key;
            for (const ColumnValue& v : p.values)
                if (isKey(v))
                    key = v.value.toInt();
            writeBlobs(key, p.values);
            const Row& before = *stored.constFind(p.key);
            RowChange change{m_table.name, key, ChangeAction::Changed, {}};
            for (const ColumnValue& v : p.values) {
                const size_t index = fieldPosition(m_table, v.field);
                // A picture's old bytes are never read: its size and hash are
                // in the history's entry of the change that stored it.
                const QString was =
                    isBinary(v) ? QString() : history_text(before[index], v.field->type);
                const QString now = history_text(v.value, v.field->type);
                if (isBinary(v) || was != now)
                    change.fields.push_back({v.field->name, was, now});
            }
            if (!change.fields.empty())
                m_db.recordChange(std::move(change));
            touched << key;
            if (key != p.key)
                touched << p.key;
        }
    }
    m_db.writeRecordedChanges();
    m_db.rowsChanged(m_table, touched, m_source);
}

void RowWriter::flushDeletes() {
    if (m_deletes.empty())
        return;
    const std::vector<Pending> rows = std::exchange(m_deletes, {});
    const QHash<int, Row> stored = readHeld(rows);
    std::vector<int> keys;
    for (const Pending& p : rows) {
        keys.push_back(p.key);
        RowChange change{m_table.name, p.key, ChangeAction::Deleted, {}};
        const Row& before = *stored.constFind(p.key);
        for (size_t f = 0; f < m_table.fields.size(); ++f) {
            const FieldDef& field = m_table.fields[f];
            if (const QString was = history_text(before[f], field.type);
                !was.isEmpty() && !isKey({&field, {}}))
                change.fields.push_back({field.name, was, {}});
        }
        m_db.recordChange(std::move(change));
    }
    m_db.store().execute(
        QStringLiteral("DELETE FROM %1 WHERE ID IN (%2)").arg(m_table.name, key_list(keys)));
    const QList<int> touched(keys.begin(), keys.end());
    m_db.writeRecordedChanges();
    m_db.rowsChanged(m_table, touched, m_source);
}

} // namespace gearlog
