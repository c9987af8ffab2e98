#include "DatabaseCopy.h"

#include "Dialect.h"

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

} // namespace

void copyDatabase(Store& from, Store& to) {
    from.begin();
    to.begin();
    try {
        for (const QString& sql : dialect::snapshotStatements(from.engine()))
            from.execute(sql, {});
        for (const TableDef& table : schemaTables())
            copyTable(from, to, table);
        to.commit();
        from.rollback();
    } catch (...) {
        to.rollback();
        from.rollback();
        throw;
    }
}

} // namespace gearlog
