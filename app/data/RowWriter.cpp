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

QString marks(qsizetype count) {
    return QStringList(count, QStringLiteral("?")).join(QStringLiteral(", "));
}

} // namespace

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
    : m_db(db), m_table(table), m_source(source) {}

void RowWriter::insert(int key, ColumnValues values) {
    if (!m_updates.empty() || !m_deletes.empty())
        flush();
    std::erase_if(values, isKey);
    m_inserts.push_back({key, {}, std::move(values)});
    if (m_inserts.size() == rowsPerBatch)
        flushInserts();
}

void RowWriter::update(int key, ColumnValues held, ColumnValues values) {
    if (!m_inserts.empty() || !m_deletes.empty())
        flush();
    m_updates.push_back({key, std::move(held), std::move(values)});
    if (m_updates.size() == rowsPerBatch)
        flushUpdates();
}

void RowWriter::remove(int key, ColumnValues held) {
    if (!m_inserts.empty() || !m_updates.empty())
        flush();
    m_deletes.push_back({key, std::move(held), {}});
    if (m_deletes.size() == rowsPerBatch)
        flushDeletes();
}

void RowWriter::flush() {
    flushInserts();
    flushUpdates();
    flushDeletes();
}

QString RowWriter::fieldSignature(const ColumnValues& values) const {
    QString names;
    for (const ColumnValue& v : values)
        if (!isBinary(v))
            names += v.field->name + QLatin1Char(',');
    return names;
}

size_t RowWriter::runEnd(const std::vector<Pending>& rows, size_t first) const {
    const QString signature = fieldSignature(rows[first].values);
    size_t last = first + 1;
    while (last < rows.size() && fieldSignature(rows[last].values) == signature)
        ++last;
    return last;
}

void RowWriter::holdReferences(const ColumnValues& values, const Row* stored) {
    // A cursor's write outside a command (a set-up's own rows) holds none.
    if (!m_db.inTransaction())
        return;
    for (const ColumnValue& v : values) {
        const ReferenceDef* reference = findReference(m_table, v.field->name);
        if (!reference)
            continue;
        if (stored) {
            const auto index = static_cast<size_t>(v.field - m_table.fields.data());
            if (same_stored_value(stored->at(index), v.value, v.field->type))
                continue; // not named anew
        }
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
    for (size_t first = 0, last = 0; first < rows.size(); first = last) {
        last = runEnd(rows, first);
        QStringList names{QStringLiteral("ID")};
        for (const ColumnValue& v : rows[first].values)
            if (!isBinary(v))
                names << v.field->name;
        const QString row = QLatin1Char('(') + marks(names.size()) + QLatin1Char(')');
        QVariantList params;
        for (size_t r = first; r < last; ++r) {
            holdReferences(rows[r].values, nullptr);
            params << rows[r].key;
            for (const ColumnValue& v : rows[r].values)
                if (!isBinary(v))
                    params << v.value;
        }
        m_db.store().execute(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                 .arg(m_table.name, names.join(QStringLiteral(", ")),
                                      QStringList(static_cast<qsizetype>(last - first), row)
                                          .join(QStringLiteral(", "))),
                             params);
        for (size_t r = first; r < last; ++r) {
            writeBlobs(rows[r].key, rows[r].values);
            RowChange change{m_table.name, rows[r].key, ChangeAction::Added, {}};
            for (const ColumnValue& v : rows[r].values)
                if (const QString after = history_text(v.value, v.field->type); !after.isEmpty())
                    change.fields.push_back({v.field->name, {}, after});
            m_db.recordChange(std::move(change));
            m_written << rows[r].key;
        }
    }
    m_db.writeRecordedChanges();
    m_db.rowsChanged(
        m_table, QList<int>(m_written.end() - static_cast<qsizetype>(rows.size()), m_written.end()),
        m_source);
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
            const auto index = static_cast<size_t>(h.field - m_table.fields.data());
            if (!isBinary(h) && !same_stored_value(row->at(index), h.value, h.field->type))
                throw ConflictError(QStringLiteral("The record was changed by another user"));
        }
    }
    return stored;
}

void RowWriter::flushUpdates() {
    if (m_updates.empty())
        return;
    const std::vector<Pending> rows = std::exchange(m_updates, {});
    const QHash<int, Row> stored = readHeld(rows);
    QList<int> touched;
    for (size_t first = 0, last = 0; first < rows.size(); first = last) {
        last = runEnd(rows, first);
        std::vector<const FieldDef*> fields;
        for (const ColumnValue& v : rows[first].values)
            if (!isBinary(v))
                fields.push_back(v.field);
        for (size_t r = first; r < last; ++r)
            holdReferences(rows[r].values, &*stored.constFind(rows[r].key));
        if (!fields.empty() && last - first == 1) {
            QStringList set;
            QVariantList params;
            for (const ColumnValue& v : rows[first].values)
                if (!isBinary(v)) {
                    set << v.field->name + QStringLiteral(" = ?");
                    params << v.value;
                }
            params << rows[first].key;
            m_db.store().execute(QStringLiteral("UPDATE %1 SET %2 WHERE ID = ?")
                                     .arg(m_table.name, set.join(QStringLiteral(", "))),
                                 params);
        } else if (!fields.empty()) {
            // Many rows in one statement, each row's values beside its key.
            QStringList set, rowMarks{dialect::typedMark(m_db.engine(), FieldType::Long)};
            for (size_t f = 0; f < fields.size(); ++f) {
                set << QStringLiteral("%1 = v.column%2").arg(fields[f]->name).arg(f + 2);
                rowMarks << dialect::typedMark(m_db.engine(), fields[f]->type);
            }
            const QString row =
                QLatin1Char('(') + rowMarks.join(QStringLiteral(", ")) + QLatin1Char(')');
            QVariantList params;
            for (size_t r = first; r < last; ++r) {
                params << rows[r].key;
                for (const ColumnValue& v : rows[r].values)
                    if (!isBinary(v))
                        params << v.value;
            }
            m_db.store().execute(
                QStringLiteral("UPDATE %1 SET %2 FROM (VALUES %3) AS v WHERE %1.ID = v.column1")
                    .arg(m_table.name, set.join(QStringLiteral(", ")),
                         QStringList(static_cast<qsizetype>(last - first), row)
                             .join(QStringLiteral(", "))),
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
                const auto index = static_cast<size_t>(v.field - m_table.fields.data());
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
    m_written += touched;
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
        for (size_t f = 1; f < m_table.fields.size(); ++f)
            if (const QString was = history_text(before[f], m_table.fields[f].type); !was.isEmpty())
                change.fields.push_back({m_table.fields[f].name, was, {}});
        m_db.recordChange(std::move(change));
    }
    m_db.store().execute(
        QStringLiteral("DELETE FROM %1 WHERE ID IN (%2)").arg(m_table.name, key_list(keys)));
    const QList<int> touched(keys.begin(), keys.end());
    m_written += touched;
    m_db.writeRecordedChanges();
    m_db.rowsChanged(m_table, touched, m_source);
}

} // namespace gearlog
