#include "DatabaseCopy.h"

#include "ChangeHistory.h"
#include "Dialect.h"

#include <QCryptographicHash>

namespace gearlog {

namespace {

void copyTable(Store& from, Store& to, const TableDef& table) {
    QStringList plain, blobs;
    std::vector<FieldType> types;
    for (const FieldDef& f : table.fields) {
        if (f.type == FieldType::LongBinary) {
            blobs << f.name;
            continue;
        }
        plain << f.name;
        types.push_back(f.type);
    }
    to.execute(QStringLiteral("DELETE FROM ") + table.name, {});
    const QStringList marks(plain.size(), QStringLiteral("?"));
    const QString insert =
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table.name, plain.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
    QStringList selected;
    for (int c = 0; c < plain.size(); ++c)
        selected << dialect::selectTerm(from.engine(), plain[c], types[static_cast<size_t>(c)]);
    const auto rows = from.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                                      .arg(selected.join(QStringLiteral(", ")), table.name),
                                  {}, types);
    for (const Row& row : rows) {
        to.execute(insert, QVariantList(row.cbegin(), row.cend()));
        for (const QString& blob : blobs) {
            const int id = row.front().toInt();
            const QVariant bytes = from.blobValue(table.name, blob, id);
            if (bytes.isValid())
                to.execute(
                    QStringLiteral("UPDATE %1 SET %2 = ? WHERE ID = ?").arg(table.name, blob),
                    {bytes, id});
        }
    }
}

// The history, entry by entry with its keys; the server's key sequence then
// goes on after the last.
void copyHistory(Store& from, Store& to) {
    if (!history_table_exists(from) || !history_table_exists(to))
        return;
    const QString columns = QStringLiteral("ID, ChangedAt, ChangedBy, Machine, Command, "
                                           "TableName, RecordID, Action, Field, Before, After");
    const std::vector<FieldType> types{FieldType::Long, FieldType::Date, FieldType::Text,
                                       FieldType::Text, FieldType::Text, FieldType::Text,
                                       FieldType::Long, FieldType::Text, FieldType::Text,
                                       FieldType::Text, FieldType::Text};
    to.execute(QStringLiteral("DELETE FROM Table_history"), {});
    const QString insert =
        QStringLiteral("INSERT INTO Table_history (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(columns);
    for (const Row& row : from.select(
             QStringLiteral("SELECT %1 FROM Table_history ORDER BY ID").arg(columns), {}, types))
        to.execute(insert, QVariantList(row.cbegin(), row.cend()));
    if (to.engine() == Engine::Postgres)
        to.select(QStringLiteral("SELECT setval(pg_get_serial_sequence('table_history', 'id'), "
                                 "GREATEST((SELECT max(ID) FROM Table_history), 1))"),
                  {}, {});
}

} // namespace

void copyRows(Store& from, Store& to) {
    from.begin();
    try {
        for (const QString& sql : dialect::snapshotStatements(from.engine()))
            from.execute(sql, {});
        for (const TableDef& table : schemaTables())
            copyTable(from, to, table);
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
        for (const Row& row : store.select(QStringLiteral("SELECT %1 FROM %2 ORDER BY ID")
                                               .arg(plain.join(QStringLiteral(", ")), table.name),
                                           {}, types)) {
            ++*rows;
            for (const QVariant& v : row)
                hash.addData(
                    ((v.isNull() ? QStringLiteral("\x1e") : v.toString()) + QLatin1Char('\x1f'))
                        .toUtf8());
        }
        return hash.result();
    };
    for (const TableDef& table : schemaTables()) {
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
