#include "Maintenance.h"

#include "MaintenanceTables.h"
#include "RecordHelpers.h"
#include "RowWriter.h"
#include "StoreValues.h"
#include "TypedText.h"

#include <QCryptographicHash>

namespace gearlog {

namespace {

using F = FieldType;

QString sha256(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// No later entry of the same asset: `m` is its last.
const QString isLast =
    QStringLiteral("NOT EXISTS (SELECT 1 FROM Table_maintenance n WHERE n.AssetID = m.AssetID AND "
                   "(n.DateDone > m.DateDone OR (n.DateDone = m.DateDone AND n.ID > m.ID)))");

const QString entryColumns = QStringLiteral(
    "m.ID, m.AssetID, m.DateDone, k.Name, m.DoneBy, m.ContactID, m.Result, m.Cost, m.Notes, "
    "m.NextDate, m.CertificateName, m.CertificateSize FROM Table_maintenance m LEFT JOIN "
    "Table_maintenancekind k ON k.ID = m.KindID");
const std::vector<F> entryTypes{F::Long, F::Long,   F::Date, F::Text, F::Text, F::Long,
                                F::Text, F::Double, F::Memo, F::Date, F::Text, F::Long};

MaintenanceEntry entryOf(const Row& r) {
    MaintenanceEntry e;
    e.id = r[0].toInt();
    e.asset = r[1].toInt();
    e.done = r[2].toDateTime().date();
    e.kind = r[3].toString();
    e.by = r[4].toString();
    e.contact = r[5].toInt();
    e.result = r[6].toString();
    if (r[7].isValid() && !r[7].isNull())
        e.cost = r[7].toDouble();
    e.notes = r[8].toString();
    e.next = r[9].toDateTime().date();
    e.certificateName = r[10].toString();
    e.certificateSize = r[11].toLongLong();
    return e;
}

// The kind's key, the kind added to the list when it is new (0: none).
int kindNamed(Database& db, const QString& name) {
    if (name.trimmed().isEmpty())
        return 0;
    const QString kind = name.trimmed().left(255);
    const auto found = db.store().select(
        QStringLiteral("SELECT ID FROM Table_maintenancekind WHERE Name = ?"), {kind}, {F::Long});
    if (!found.empty())
        return found.front()[0].toInt();
    const int id = next_id(db, maintenanceKindTable().name);
    RowWriter kinds(db, maintenanceKindTable());
    kinds.insert(id, {{findField(maintenanceKindTable(), QStringLiteral("Name")), kind}});
    kinds.flush();
    return id;
}

// The plan row of a type (asset 0) or of an asset, and its kind.
std::optional<std::pair<int, int>> planRow(Store& store, int equipment, int asset) {
    const auto rows =
        asset > 0
            ? store.select(QStringLiteral("SELECT ID, KindID FROM Table_maintenanceplan WHERE "
                                          "AssetID = ? ORDER BY ID"),
                           {asset}, {F::Long, F::Long})
            : store.select(QStringLiteral("SELECT ID, KindID FROM Table_maintenanceplan WHERE "
                                          "EquipmentID = ? AND (AssetID IS NULL OR AssetID <= 0) "
                                          "ORDER BY ID"),
                           {equipment}, {F::Long, F::Long});
    if (rows.empty())
        return std::nullopt;
    return std::pair{rows.front()[0].toInt(), rows.front()[1].toInt()};
}

// Sets or (0 days) removes the plan row of a type or an asset, whose row
// is held first so two desks take turns.
void setPlan(Database& db, int equipment, int asset, int days, const QString& kind) {
    if (days < 0 || days > 36500)
        throw MaintenanceRefused(
            QStringLiteral("An interval is a number of days from 1 to 36500 (0: none)"));
    db.setCommand(QStringLiteral("Set Maintenance Interval"));
    Transaction transaction(db);
    const QString table =
        asset > 0 ? QStringLiteral("Table_asset") : QStringLiteral("Table_equipment");
    const int key = asset > 0 ? asset : equipment;
    if (!lock_row(db, table, key, RowLock::ForDelete))
        throw MaintenanceRefused(asset > 0
                                     ? QStringLiteral("Asset %1 does not exist").arg(key)
                                     : QStringLiteral("Equipment type %1 does not exist").arg(key));
    const auto row = planRow(db.store(), equipment, asset);
    RowWriter plans(db, maintenancePlanTable());
    if (days == 0) {
        if (row)
            plans.remove(row->first, {});
    } else {
        ColumnValues values{{findField(maintenancePlanTable(), "IntervalDays"), days}};
        if (!kind.trimmed().isEmpty())
            values.push_back({findField(maintenancePlanTable(), "KindID"), kindNamed(db, kind)});
        if (row) {
            plans.update(row->first, {}, std::move(values));
        } else {
            values.push_back(
                {findField(maintenancePlanTable(), "EquipmentID"), asset > 0 ? 0 : equipment});
            values.push_back({findField(maintenancePlanTable(), "AssetID"), asset});
            plans.insert(next_id(db, maintenancePlanTable().name), std::move(values));
        }
    }
    plans.flush();
    transaction.commit();
}

} // namespace

QStringList maintenance_results() {
    return {maintenanceResult::passed, maintenanceResult::adjusted, maintenanceResult::failed};
}

QStringList read_kinds(Store& store) {
    QStringList kinds{QStringLiteral("Maintenance"), QStringLiteral("Calibration"),
                      QStringLiteral("Inspection"), QStringLiteral("Repair")};
    for (const Row& r : store.select(
             QStringLiteral("SELECT Name FROM Table_maintenancekind ORDER BY Name"), {}, {F::Text}))
        if (!kinds.contains(r[0].toString()))
            kinds << r[0].toString();
    return kinds;
}

Interval type_interval(Store& store, int equipment) {
    const auto rows = store.select(
        QStringLiteral("SELECT p.IntervalDays, k.Name FROM Table_maintenanceplan p LEFT JOIN "
                       "Table_maintenancekind k ON k.ID = p.KindID WHERE p.EquipmentID = ? AND "
                       "(p.AssetID IS NULL OR p.AssetID <= 0) ORDER BY p.ID"),
        {equipment}, {F::Long, F::Text});
    if (rows.empty())
        return {};
    return {rows.front()[0].toInt(), rows.front()[1].toString(), false, rows.front()[0].toInt()};
}

Interval interval_of(Store& store, int asset) {
    const auto type = store.select(
        QStringLiteral("SELECT EquipmentID FROM Table_asset WHERE ID = ?"), {asset}, {F::Long});
    Interval interval = type.empty() ? Interval{} : type_interval(store, type.front()[0].toInt());
    interval.typeDays = interval.days;
    const auto own = store.select(
        QStringLiteral("SELECT IntervalDays FROM Table_maintenanceplan WHERE AssetID = ? ORDER BY "
                       "ID"),
        {asset}, {F::Long});
    if (!own.empty()) {
        interval.days = own.front()[0].toInt();
        interval.own = true;
    }
    return interval;
}

void set_type_interval(Database& db, int equipment, int days, const QString& kind) {
    setPlan(db, equipment, 0, days, kind);
}

void set_asset_interval(Database& db, int asset, int days) {
    setPlan(db, 0, asset, days, {});
}

QDate proposed_next(Store& store, int asset, const QDate& done) {
    const int days = interval_of(store, asset).days;
    return days > 0 && done.isValid() ? done.addDays(days) : QDate();
}

int record_maintenance(Database& db, MaintenanceEntry e,
                       const std::optional<Certificate>& certificate) {
    if (!e.done.isValid())
        throw MaintenanceRefused(QStringLiteral("An entry needs the date it was done"));
    if (!maintenance_results().contains(e.result))
        throw MaintenanceRefused(
            QStringLiteral("The result is one of Passed, Adjusted or Failed, not \"%1\"")
                .arg(e.result));
    if (certificate && certificate->bytes.isEmpty())
        throw MaintenanceRefused(
            QStringLiteral("The certificate %1 is empty").arg(certificate->name));
    if (certificate && certificate->bytes.size() > largestCertificate)
        throw MaintenanceRefused(
            QStringLiteral("The certificate %1 is larger than 20 MB").arg(certificate->name));
    if (e.cost && (!std::isfinite(*e.cost) || std::abs(*e.cost) > largestMoney))
        throw MaintenanceRefused(QStringLiteral("The cost is no amount of money"));
    db.setCommand(QStringLiteral("Record Maintenance"));
    Transaction transaction(db);
    if (!lock_row(db, QStringLiteral("Table_asset"), e.asset, RowLock::ForDelete))
        throw MaintenanceRefused(QStringLiteral("Asset %1 does not exist").arg(e.asset));
    ColumnValues values{
        {findField(maintenanceTable(), "AssetID"), e.asset},
        {findField(maintenanceTable(), "DateDone"), dayStart(e.done)},
        {findField(maintenanceTable(), "KindID"), kindNamed(db, e.kind)},
        {findField(maintenanceTable(), "DoneBy"), e.by.trimmed().left(255)},
        {findField(maintenanceTable(), "ContactID"), e.contact},
        {findField(maintenanceTable(), "Result"), e.result},
        {findField(maintenanceTable(), "Cost"), e.cost ? QVariant(*e.cost) : QVariant()},
        {findField(maintenanceTable(), "Notes"), e.notes},
        {findField(maintenanceTable(), "NextDate"),
         e.next.isValid() ? dayStart(e.next) : QVariant()}};
    if (certificate)
        values.insert(
            values.end(),
            {{findField(maintenanceTable(), "CertificateName"), certificate->name.left(255)},
             {findField(maintenanceTable(), "CertificateSize"), certificate->bytes.size()},
             {findField(maintenanceTable(), "CertificateHash"), sha256(certificate->bytes)},
             {findField(maintenanceTable(), "Certificate"), certificate->bytes}});
    const int id = next_id(db, maintenanceTable().name);
    RowWriter log(db, maintenanceTable());
    log.insert(id, std::move(values));
    log.flush();
    if (e.next.isValid()) {
        RowWriter assets(db, *findTable(QStringLiteral("Table_asset")));
        assets.update(e.asset, {},
                      {{findField(*findTable(QStringLiteral("Table_asset")),
                                  QStringLiteral("NextSchedMaint")),
                        dayStart(e.next)}});
        assets.flush();
    }
    transaction.commit();
    return id;
}

std::vector<MaintenanceEntry> read_log(Store& store, int asset) {
    std::vector<MaintenanceEntry> log;
    for (const Row& r : store.select(QStringLiteral("SELECT %1 WHERE m.AssetID = ? ORDER BY "
                                                    "m.AssetID DESC, m.DateDone DESC, m.ID DESC")
                                         .arg(entryColumns),
                                     {asset}, entryTypes))
        log.push_back(entryOf(r));
    return log;
}

std::vector<MaintenanceEntry> read_log_since(Store& store, int asset, const QDate& since) {
    QStringList where{QStringLiteral("m.DateDone >= ?")};
    QVariantList params{dayStart(since.isValid() ? since : QDate(1, 1, 1))};
    if (asset > 0) {
        where << QStringLiteral("m.AssetID = ?");
        params << asset;
    }
    std::vector<MaintenanceEntry> log;
    for (const Row& r : store.select(QStringLiteral("SELECT %1 WHERE %2 ORDER BY m.DateDone, m.ID")
                                         .arg(entryColumns, where.join(QStringLiteral(" AND "))),
                                     params, entryTypes))
        log.push_back(entryOf(r));
    return log;
}

Certificate read_certificate(Store& store, int entry) {
    const auto rows =
        store.select(QStringLiteral("SELECT CertificateName FROM Table_maintenance WHERE ID = ?"),
                     {entry}, {F::Text});
    if (rows.empty())
        return {};
    return {rows.front()[0].toString(),
            store.blobValue(maintenanceTable().name, QStringLiteral("Certificate"), entry)
                .toByteArray()};
}

std::vector<FailedAsset> read_failed(Store& store, int limit, int* total) {
    std::vector<FailedAsset> failed;
    for (const Row& r : store.select(
             QStringLiteral("SELECT m.AssetID, a.ModelNumber, a.SerialNumber, e.Name, m.DateDone, "
                            "k.Name, m.Notes FROM Table_maintenance m JOIN Table_asset a ON a.ID "
                            "= m.AssetID LEFT JOIN Table_equipment e ON e.ID = a.EquipmentID LEFT "
                            "JOIN Table_maintenancekind k ON k.ID = m.KindID WHERE m.Result = "
                            "'Failed' AND %1 ORDER BY m.DateDone DESC, m.ID DESC")
                 .arg(isLast),
             {}, {F::Long, F::Text, F::Text, F::Text, F::Date, F::Text, F::Memo}))
        failed.push_back({r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString(),
                          r[4].toDateTime().date(), r[5].toString(), r[6].toString()});
    if (total)
        *total = static_cast<int>(failed.size());
    if (limit > 0 && failed.size() > static_cast<size_t>(limit))
        failed.resize(static_cast<size_t>(limit));
    return failed;
}

QSet<int> failed_among(Store& store, const std::vector<int>& assets) {
    QSet<int> failed;
    for (const auto& [asset, last] : last_maintenance_of(store, assets).asKeyValueRange())
        if (last.result == maintenanceResult::failed)
            failed.insert(asset);
    return failed;
}

QHash<int, LastMaintenance> last_maintenance_of(Store& store, const std::vector<int>& assets) {
    QHash<int, LastMaintenance> last;
    each_batch({assets.begin(), assets.end()}, [&](const QString& marks,
                                                   const QVariantList& batch) {
        for (const Row& r : store.select(
                 QStringLiteral("SELECT m.AssetID, m.DateDone, m.Result FROM Table_maintenance m "
                                "WHERE m.AssetID IN (%1) AND %2")
                     .arg(marks, isLast),
                 batch, {F::Long, F::Date, F::Text}))
            last.insert(r[0].toInt(), {r[1].toDateTime().date(), r[2].toString()});
    });
    return last;
}

std::vector<QStringList> last_maintenance_cells(Store& store, const std::vector<int>& assets) {
    const QHash<int, LastMaintenance> last = has_maintenance_tables(store)
                                                 ? last_maintenance_of(store, assets)
                                                 : QHash<int, LastMaintenance>();
    std::vector<QStringList> cells;
    cells.reserve(assets.size());
    for (const int asset : assets) {
        const auto it = last.constFind(asset);
        cells.push_back(it == last.cend() ? QStringList{QString(), QString()}
                                          : QStringList{format_date(it->done), it->result});
    }
    return cells;
}

QStringList maintenance_problems(Store& store) {
    QStringList problems;
    if (!has_maintenance_tables(store))
        return problems;
    // One certificate in memory at a time.
    for (const Row& r : store.select(
             QStringLiteral("SELECT ID, CertificateSize, CertificateHash FROM Table_maintenance "
                            "WHERE CertificateSize > 0 OR CertificateHash IS NOT NULL ORDER BY ID"),
             {}, {F::Long, F::Long, F::Text})) {
        const QByteArray bytes =
            store.blobValue(maintenanceTable().name, QStringLiteral("Certificate"), r[0].toInt())
                .toByteArray();
        if (bytes.size() != r[1].toLongLong())
            problems << QStringLiteral("Maintenance entry %1: its certificate has %2 bytes, "
                                       "recorded as %3")
                            .arg(r[0].toInt())
                            .arg(bytes.size())
                            .arg(r[1].toLongLong());
        else if (sha256(bytes) != r[2].toString())
            problems << QStringLiteral("Maintenance entry %1: its certificate's SHA-256 is not "
                                       "the one recorded")
                            .arg(r[0].toInt());
    }
    return problems;
}

} // namespace gearlog
