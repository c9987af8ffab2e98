#include "DatabaseCheck.h"

#include "Bookings.h"
#include "ConnectionString.h"
#include "DatabaseFile.h"
#include "EngineError.h"
#include "FeatureTables.h"
#include "Maintenance.h"
#include "PageCheck.h"
#include "Stocktakes.h"

namespace gearlog {

namespace {

class Checker {
public:
    explicit Checker(Store& store) : m_store(store) {}

    QStringList run() {
        if (!checkSchema())
            return m_problems;
        // Each value is looked up once, not once per row that holds it; the
        // rows are sorted after they are found ("+"), not walked in key order.
        // The features' tables where a writable opening has made them.
        std::vector<ReferenceDef> references = schemaReferences();
        const QStringList present = m_store.tableNames();
        for (const ReferenceDef& r : featureReferences())
            if (present.contains(r.table.toLower()))
                references.push_back(r);
        for (const ReferenceDef& r : references) {
            const QString problem =
                QStringLiteral("%1 row %2: %3 %4 names no row of %5")
                    .arg(r.table, QStringLiteral("%1"), r.field, QStringLiteral("%2"), r.target);
            // A required reference has no value meaning "none".
            if (r.required)
                rows(
                    QStringLiteral("SELECT ID, COALESCE(%2, 0) FROM %1 WHERE %2 IS NULL OR %2 <= 0 "
                                   "ORDER BY ID")
                        .arg(r.table, r.field),
                    problem);
            rows(QStringLiteral("SELECT s.ID, s.%2 FROM %1 s WHERE s.%2 IN (SELECT DISTINCT k.%2 "
                                "FROM %1 k WHERE k.%2 > 0 AND NOT EXISTS (SELECT 1 FROM %3 t "
                                "WHERE t.ID = k.%2)) ORDER BY +s.ID")
                     .arg(r.table, r.field, r.target),
                 problem);
        }
        rows(QStringLiteral("SELECT l.ID, l.AssetID, l.ShipmentID FROM Table_shippinglist l JOIN "
                            "Table_asset a ON a.ID = l.AssetID WHERE (l.IsCompleted IS NULL OR "
                            "l.IsCompleted = FALSE) AND (a.ShipmentID IS NULL OR a.ShipmentID <> "
                            "l.ShipmentID) ORDER BY +l.ID"),
             QStringLiteral("Open line %1: asset %2 is not out on shipment %3"));
        rows(QStringLiteral("SELECT a.ID, a.ShipmentID, (SELECT COUNT(*) FROM Table_shippinglist l "
                            "WHERE l.AssetID = a.ID AND l.ShipmentID = a.ShipmentID AND "
                            "(l.IsCompleted IS NULL OR l.IsCompleted = FALSE)) FROM Table_asset a "
                            "WHERE a.ShipmentID > 0 AND (SELECT COUNT(*) FROM Table_shippinglist "
                            "l WHERE l.AssetID = a.ID AND l.ShipmentID = a.ShipmentID AND "
                            "(l.IsCompleted IS NULL OR l.IsCompleted = FALSE)) <> 1 ORDER BY a.ID"),
             QStringLiteral(
                 "Asset %1 is out on shipment %2 with %3 open lines there instead of one"));
        rows(QStringLiteral("SELECT l.ID, l.TransferID, l.AssetID FROM Table_shippinglist l WHERE "
                            "l.IsCompleted = TRUE AND l.TransferID > 0 AND NOT EXISTS (SELECT 1 "
                            "FROM Table_shippinglist n WHERE n.ShipmentID = l.TransferID AND "
                            "n.AssetID = l.AssetID) ORDER BY +l.ID"),
             QStringLiteral("Transferred line %1: shipment %2 has no line for asset %3"));
        rows(QStringLiteral("SELECT l.AssetID, COUNT(*) FROM Table_shippinglist l WHERE "
                            "l.IsCompleted IS NULL OR l.IsCompleted = FALSE GROUP BY l.AssetID "
                            "HAVING COUNT(*) > 1 ORDER BY l.AssetID"),
             QStringLiteral("Asset %1 has %2 open lines instead of one at most"));
        rows(QStringLiteral("SELECT l.ID, l.TransferID FROM Table_shippinglist l WHERE "
                            "(l.IsCompleted IS NULL OR l.IsCompleted = FALSE) AND l.TransferID <> "
                            "-1 ORDER BY +l.ID"),
             QStringLiteral("Open line %1 names shipment %2 as its transfer"));
        m_problems << booking_problems(m_store);
        m_problems << stocktake_problems(m_store);
        m_problems << maintenance_problems(m_store);
        return m_problems;
    }

private:
    bool checkSchema() {
        const QStringList tables = m_store.tableNames();
        bool complete = true;
        for (const TableDef& t : schemaTables()) {
            if (!tables.contains(t.name.toLower())) {
                m_problems << QStringLiteral("Table %1 is missing").arg(t.name);
                complete = false;
                continue;
            }
            const QStringList columns = m_store.columnNames(t.name);
            for (const FieldDef& f : t.fields)
                if (!columns.contains(f.name.toLower())) {
                    m_problems << QStringLiteral("Field %1.%2 is missing").arg(t.name, f.name);
                    complete = false;
                }
            const QStringList indexed = m_store.indexedColumns(t.name);
            for (const IndexDef& i : t.indexes)
                if (!indexed.contains(i.name.toLower()))
                    m_problems << QStringLiteral("Index %1 on %2 is missing").arg(i.name, t.name);
        }
        return complete;
    }

    // Adds one problem per row, the row's values filling the template.
    void rows(const QString& sql, const QString& problem) {
        for (const Row& row : m_store.select(sql, {}, {})) {
            QString text = problem;
            for (const QVariant& v : row)
                text = text.arg(v.toString());
            m_problems << text;
        }
    }

    Store& m_store;
    QStringList m_problems;
};

} // namespace

QStringList checkDatabase(Store& store) {
    return Checker(store).run();
}

bool isConnectionString(const QString& target) {
    return target.contains(QLatin1Char('=')) &&
           target.contains(QStringLiteral("driver="), Qt::CaseInsensitive);
}

QStringList checkDatabaseAt(const QString& target, bool full) {
    if (isConnectionString(target)) {
        const auto store = openServerStore(remoteVerified(target));
        return checkDatabase(*store);
    }
    // Asked first: the check's own connections hold the log too.
    const bool inUse = logInUse(target);
    QStringList problems = full ? checkPages(target, true) : QStringList();
    try {
        const auto store = openFileStore(target, FileReads::Mapped);
        // The pages are checked while the tables are.
        problems += checkDatabase(*store);
        if (!full && !store->awaitPageCheck().isEmpty())
            problems = checkPages(target, false) + problems;
    } catch (const DamageError& e) {
        // Damaged pages keep the rules from being read: list where they are.
        if (problems.isEmpty())
            problems = checkPages(target, false);
        if (problems.isEmpty())
            problems << e.description();
        if (inUse)
            problems << QStringLiteral("Another desk has %1 open: close Gearlog on every desk "
                                       "and check it again")
                            .arg(target);
    } catch (const EngineError& e) {
        if (problems.isEmpty())
            throw;
        problems << QStringLiteral("The tables could not be read: ") + e.description();
    }
    return problems;
}

} // namespace gearlog
