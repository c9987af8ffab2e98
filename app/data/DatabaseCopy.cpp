#include "DatabaseCopy.h"

#include "ChangeHistory.h"
#include "Dialect.h"
#include "FeatureTables.h"
#include "RowWriter.h"

#include <QCryptographicHash>
#include <limits>

namespace gearlog {

namespace {

// Rows are read in slices by key (inside the source's snapshot when
// copying), so a large table never sits in memory whole.
constexpr int sliceRows = 5000;

// Calls `each` with every slice of a table's rows in key order; `terms`
// select the columns, the key first.
void forEachSlice(Store& store, const QString& table, const QStringList& terms,
                  const std::vector<FieldType>& types,
                  const std::function<void(const std::vector<Row>&)>& each) {
    const QString slice = QStringLiteral("SELECT %1 FROM %2 WHERE ID > ? ORDER BY ID LIMIT %3")
                              .arg(terms.join(QStringLiteral(", ")), table)
                              .arg(sliceRows);
    for (int after = std::numeric_limits<int>::min();;) {
        const std::vector<Row> rows = store.select(slice, {after}, types);
        each(rows);
        if (rows.size() < static_cast<size_t>(sliceRows))
            return;
        after = rows.back().front().toInt();
    }
}

// Rows added a batch at a time: one statement of many rows.
class BatchInsert {
public:
    BatchInsert(Store& to, const QString& table, const QStringList& columns)
        : m_to(to), m_head(QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                               .arg(table, columns.join(QStringLiteral(", ")))),
          m_marks(columns.size(), QStringLiteral("?")) {}
    void add(const Row& row) {
        m_values.append(QVariantList(row.cbegin(), row.cend()));
        if (++m_rows == rowsPerBatch)
            flush();
    }
    void flush() {
        if (m_rows == 0)
            return;
        m_to.execute(m_head + valueRows(m_marks, m_rows), m_values);
        m_values.clear();
        m_rows = 0;
    }

private:
    Store& m_to;
    const QString m_head;
    const QStringList m_marks;
    QVariantList m_values;
    size_t m_rows = 0;
};

void copyTable(Store& from, Store& to, const TableDef& table, const CopyProgress& progress) {
    QStringList plain, blobs, selected;
    std::vector<FieldType> types;
    for (const FieldDef& f : table.fields) {
        if (f.type == FieldType::LongBinary) {
            blobs << f.name;
            continue;
        }
        plain << f.name;
        selected << dialect::selectTerm(from.engine(), f.name, f.type);
        types.push_back(f.type);
    }
    to.execute(QStringLiteral("DELETE FROM ") + table.name, {});
    const qint64 total =
        from.select(QStringLiteral("SELECT count(*) FROM ") + table.name, {}, {FieldType::Double})
            .front()[0]
            .toLongLong();
    BatchInsert insert(to, table.name, plain);
    qint64 done = 0;
    forEachSlice(from, table.name, selected, types, [&](const std::vector<Row>& rows) {
        for (const Row& row : rows)
            insert.add(row);
        insert.flush();
        // Pictures one at a time, so a large library never sits in memory.
        for (const QString& blob : blobs)
            for (const Row& row : rows) {
                const int id = row.front().toInt();
                const QVariant bytes = from.blobValue(table.name, blob, id);
                if (bytes.isValid())
                    to.writeBlob(table.name, blob, id, bytes.toByteArray());
            }
        done += static_cast<qint64>(rows.size());
        if (progress)
            progress(table.name, done, total);
    });
}

// The history, entry by entry with its keys; the server's key sequence then
// goes on after the last.
void copyHistory(Store& from, Store& to) {
    if (!history_table_exists(from) || !history_table_exists(to))
        return;
    copyTable(from, to, historyTable(), {});
    if (to.engine() == Engine::Postgres)
        to.select(QStringLiteral("SELECT setval(pg_get_serial_sequence('table_history', 'id'), "
                                 "GREATEST((SELECT max(ID) FROM Table_history), 1))"),
                  {}, {});
}

// The nine tables, and the features' tables both databases have.
std::vector<TableDef> copiedTables(Store& a, Store& b) {
    std::vector<TableDef> tables = schemaTables();
    const QStringList inA = a.tableNames(), inB = b.tableNames();
    for (const TableDef& table : featureTables())
        if (inA.contains(table.name.toLower()) && inB.contains(table.name.toLower()))
            tables.push_back(table);
    return tables;
}

} // namespace

void copyRows(Store& from, Store& to, const CopyProgress& progress) {
    from.begin();
    try {
        for (const QString& sql : dialect::snapshotStatements(from.engine()))
            from.execute(sql, {});
        for (const TableDef& table : copiedTables(from, to))
            copyTable(from, to, table, progress);
        copyHistory(from, to);
        from.rollback();
    } catch (...) {
        from.rollback();
        throw;
    }
}

void copyDatabase(Store& from, Store& to) {
    to.begin();
    try {
        copyRows(from, to);
        to.commit();
    } catch (...) {
        to.rollback();
        throw;
    }
}

QStringList compareCopies(Store& a, Store& b) {
    QStringList differences;
    const auto digest = [](Store& store, const TableDef& table, qint64* rows) {
        QStringList plain;
        std::vector<FieldType> types;
        for (const FieldDef& f : table.fields) {
            // A picture counts by its size: the same bytes read back the same.
            plain << (f.type == FieldType::LongBinary
                          ? dialect::binaryLengthTerm(store.engine(), f.name)
                          : dialect::selectTerm(store.engine(), f.name, f.type));
            types.push_back(f.type == FieldType::LongBinary ? FieldType::Long : f.type);
        }
        QCryptographicHash hash(QCryptographicHash::Sha256);
        *rows = 0;
        forEachSlice(store, table.name, plain, types, [&](const std::vector<Row>& slice) {
            *rows += static_cast<qint64>(slice.size());
            for (const Row& row : slice)
                for (const QVariant& v : row)
                    hash.addData(
                        ((v.isNull() ? QStringLiteral("\x1e") : v.toString()) + QLatin1Char('\x1f'))
                            .toUtf8());
        });
        return hash.result();
    };
    for (const TableDef& table : copiedTables(a, b)) {
        qint64 rowsA = 0, rowsB = 0;
        const QByteArray first = digest(a, table, &rowsA), second = digest(b, table, &rowsB);
        if (rowsA != rowsB)
            differences
                << QStringLiteral("%1: %2 rows, against %3").arg(table.name).arg(rowsA).arg(rowsB);
        else if (first != second)
            differences << QStringLiteral("%1: the rows differ").arg(table.name);
    }
    return differences;
}

} // namespace gearlog
