#include "Stocktakes.h"

#include "AssetPlace.h"
#include "ChangeHistory.h"
#include "Dialect.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "RecordSearch.h"
#include "RowWriter.h"
#include "StocktakeTables.h"
#include "StoreValues.h"
#include "TypedText.h"

#include <QFile>
#include <QHash>

namespace gearlog {

namespace {

using F = FieldType;

const FieldDef* assetField(const char* name) {
    return findField(*findTable(QStringLiteral("Table_asset")), QString::fromLatin1(name));
}

const QString stocktakeColumns = QStringLiteral(
    "ID, Name, AddressID, CategoryID, EquipmentID, DateTaken, StartedBy, State, DateApplied");
const std::vector<F> stocktakeTypes{F::Long, F::Text, F::Long, F::Long, F::Long,
                                    F::Date, F::Text, F::Text, F::Date};

Stocktake stocktakeOf(const Row& r) {
    return {r[0].toInt(),    r[1].toString(), r[2].toInt(),
            r[3].toInt(),    r[4].toInt(),    r[5].toDateTime().date(),
            r[6].toString(), r[7].toString(), r[8].toDateTime().date()};
}

// An asset with what classes it: its columns after the listed ones are its
// office, its type's category and where it is (asset_place).
QString assetColumns() {
    return QStringLiteral("a.ID, e.Name, a.ModelNumber, a.SerialNumber, a.AccountID, "
                          "e.CategoryID, a.EquipmentID, ") +
           asset_place_columns();
}
QString assetFrom() {
    return QStringLiteral("FROM Table_asset a JOIN Table_equipment e ON e.ID = a.EquipmentID ") +
           asset_place_joins();
}
const std::vector<F> assetTypes{F::Long, F::Text, F::Text, F::Text, F::Long,
                                F::Long, F::Long, F::Long, F::Text, F::Text};
constexpr size_t placeColumn = 7;

ListedAsset listedOf(const Row& r) {
    return {r[0].toInt(), r[1].toString(), r[2].toString(), r[3].toString()};
}

// The names of these offices (a database may keep thousands).
QHash<int, QString> officeNames(Store& store, const QVariantList& offices) {
    QHash<int, QString> names;
    each_batch(offices, [&](const QString& marks, const QVariantList& batch) {
        for (const Row& r : store.select(
                 QStringLiteral("SELECT ID, Name FROM Table_address WHERE ID IN (%1)").arg(marks),
                 batch, {F::Long, F::Text}))
            names.insert(r[0].toInt(), r[1].toString().trimmed());
    });
    return names;
}

// Where the stocktake finds an asset: on a shipment, kept at its office,
// or kept at another (or none).
Scan classAsset(const Row& asset, const Stocktake& stocktake, const QHash<int, QString>& offices) {
    Scan scan;
    scan.asset = listedOf(asset);
    if (asset[placeColumn].toInt() > 0) {
        scan.result = ScanResult::Out;
        scan.place = asset_place(asset, placeColumn);
    } else if (asset[4].toInt() == stocktake.office) {
        scan.result = ScanResult::Found;
    } else {
        scan.result = ScanResult::Elsewhere;
        scan.place = offices.value(asset[4].toInt(), QStringLiteral("No office"));
    }
    return scan;
}

// The assets the codes name, by label code or by a serial one asset has;
// a serial several share names none (it is never guessed).
struct Named {
    QHash<int, Row> byKey;
    QHash<QString, std::vector<Row>> bySerial;
};

Named readNamed(Store& store, const QStringList& codes) {
    QVariantList keys, serials;
    for (const QString& code : codes) {
        if (const int key = labelled_asset(code); key > 0)
            keys << key;
        else
            serials << code;
    }
    Named named;
    each_batch(keys, [&](const QString& marks, const QVariantList& batch) {
        for (Row& r : store.select(QStringLiteral("SELECT %1 %2 WHERE a.ID IN (%3)")
                                       .arg(assetColumns(), assetFrom(), marks),
                                   batch, assetTypes))
            named.byKey.insert(r[0].toInt(), std::move(r));
    });
    each_batch(serials, [&](const QString& marks, const QVariantList& batch) {
        for (Row& r : store.select(QStringLiteral("SELECT %1 %2 WHERE a.SerialNumber IN (%3)")
                                       .arg(assetColumns(), assetFrom(), marks),
                                   batch, assetTypes))
            named.bySerial[r[3].toString()].push_back(std::move(r));
    });
    return named;
}

Scan classCode(const QString& code, const Named& named, const Stocktake& stocktake,
               const QHash<int, QString>& offices) {
    Scan unknown;
    unknown.code = code;
    unknown.place = QStringLiteral("No asset has this code");
    const Row* asset = nullptr;
    if (const int key = labelled_asset(code); key > 0) {
        if (const auto it = named.byKey.constFind(key); it != named.byKey.cend())
            asset = &*it;
        else
            unknown.place = QStringLiteral("No asset %1").arg(key);
    } else if (const auto it = named.bySerial.constFind(code); it != named.bySerial.cend()) {
        if (it->size() == 1)
            asset = &it->front();
        else
            unknown.place = QStringLiteral("%1 assets have this serial number").arg(it->size());
    }
    if (!asset)
        return unknown;
    Scan scan = classAsset(*asset, stocktake, offices);
    scan.code = code;
    return scan;
}

ScanResult resultNamed(const QString& name) {
    for (ScanResult r : {ScanResult::Found, ScanResult::Elsewhere, ScanResult::Out,
                         ScanResult::Unknown, ScanResult::Repeated, ScanResult::Missing})
        if (result_name(r) == name)
            return r;
    return ScanResult::Unknown;
}

Stocktake requireOpen(Database& db, int id) {
    // Held: the scans of two desks and an apply take turns.
    if (!lock_row(db, stocktakeTable().name, id, RowLock::ForDelete))
        throw EngineError(QStringLiteral("Stocktake %1 does not exist").arg(id));
    const std::optional<Stocktake> stocktake = read_stocktake(db.store(), id);
    if (!stocktake || stocktake->state != stocktakeState::open)
        throw ConflictError(
            QStringLiteral("The stocktake \"%1\" is applied already: it takes no more scans")
                .arg(stocktake ? stocktake->name : QString::number(id)));
    return *stocktake;
}

// What the stocktake's earlier scans named among these codes.
Scanned earlierScans(Store& store, int stocktake, const QStringList& codes, const Named& named) {
    QVariantList assets, texts;
    for (const int key : named.byKey.keys())
        assets << key;
    for (const std::vector<Row>& rows : named.bySerial)
        if (rows.size() == 1)
            assets << rows.front()[0];
    for (const QString& code : codes)
        texts << code;
    // What the first scan of each found, by the column that names it.
    const auto firsts = [&](const char* column, const QVariantList& values, FieldType type,
                            const auto& keep) {
        each_batch(values, [&](const QString& marks, const QVariantList& batch) {
            for (const Row& r : store.select(
                     QStringLiteral("SELECT %1, Result FROM Table_stocktakescan WHERE StocktakeID "
                                    "= ? AND Result <> ? AND %1 IN (%2)")
                         .arg(QLatin1String(column), marks),
                     QVariantList{stocktake, result_name(ScanResult::Repeated)} + batch,
                     {type, F::Text}))
                keep(r[0], resultNamed(r[1].toString()));
        });
    };
    Scanned earlier;
    firsts("AssetID", assets, F::Long,
           [&](const QVariant& v, ScanResult r) { earlier.assets.insert(v.toInt(), r); });
    firsts("Code", texts, F::Text,
           [&](const QVariant& v, ScanResult r) { earlier.codes.insert(v.toString(), r); });
    return earlier;
}

ColumnValues scanValues(int stocktake, const Scan& s) {
    return {{findField(stocktakeScanTable(), "StocktakeID"), stocktake},
            {findField(stocktakeScanTable(), "Code"), s.code},
            {findField(stocktakeScanTable(), "AssetID"), s.asset.id},
            {findField(stocktakeScanTable(), "Result"), result_name(s.result)},
            {findField(stocktakeScanTable(), "Place"), s.place.left(255)},
            {findField(stocktakeScanTable(), "DateScanned"), s.at},
            {findField(stocktakeScanTable(), "ScannedBy"), s.by}};
}

} // namespace

QString result_name(ScanResult result) {
    switch (result) {
    case ScanResult::Found:
        return QStringLiteral("Found");
    case ScanResult::Elsewhere:
        return QStringLiteral("Elsewhere");
    case ScanResult::Out:
        return QStringLiteral("Out");
    case ScanResult::Unknown:
        return QStringLiteral("Unknown");
    case ScanResult::Repeated:
        return QStringLiteral("Repeated");
    case ScanResult::Missing:
        return QStringLiteral("Missing");
    }
    return {};
}

int start_stocktake(Database& db, Stocktake s) {
    Store& store = db.store();
    const QHash<int, QString> offices = officeNames(store, {s.office});
    if (!offices.contains(s.office))
        throw EngineError(QStringLiteral("A stocktake needs an office (a location) to count"));
    if (!s.date.isValid())
        s.date = QDate::currentDate();
    if (s.name.trimmed().isEmpty())
        s.name = QStringLiteral("%1 %2").arg(offices.value(s.office), format_date(s.date));
    db.setCommand(QStringLiteral("New Stocktake"));
    Transaction transaction(db);
    const int id = next_id(db, stocktakeTable().name);
    RowWriter writer(db, stocktakeTable());
    writer.insert(id, {{findField(stocktakeTable(), "Name"), s.name.trimmed().left(255)},
                       {findField(stocktakeTable(), "AddressID"), s.office},
                       {findField(stocktakeTable(), "CategoryID"), s.category},
                       {findField(stocktakeTable(), "EquipmentID"), s.equipment},
                       {findField(stocktakeTable(), "DateTaken"), dayStart(s.date)},
                       {findField(stocktakeTable(), "StartedBy"), history_author(store).who},
                       {findField(stocktakeTable(), "State"), stocktakeState::open}});
    writer.flush();
    transaction.commit();
    return id;
}

std::vector<Stocktake> read_stocktakes(Store& store) {
    std::vector<Stocktake> all;
    for (const Row& r :
         store.select(QStringLiteral("SELECT %1 FROM Table_stocktake ORDER BY CASE WHEN State = ? "
                                     "THEN 0 ELSE 1 END, DateTaken DESC, ID DESC")
                          .arg(stocktakeColumns),
                      {stocktakeState::open}, stocktakeTypes))
        all.push_back(stocktakeOf(r));
    return all;
}

std::optional<Stocktake> read_stocktake(Store& store, int id) {
    const auto rows = store.select(
        QStringLiteral("SELECT %1 FROM Table_stocktake WHERE ID = ?").arg(stocktakeColumns), {id},
        stocktakeTypes);
    if (rows.empty())
        return std::nullopt;
    return stocktakeOf(rows.front());
}

std::vector<ListedAsset> read_expected(Store& store, const Stocktake& s) {
    QString where = QStringLiteral("a.AccountID = ? AND (a.ShipmentID IS NULL OR a.ShipmentID <= "
                                   "0) AND (a.DateDisposed IS NULL OR a.DateDisposed > ?)");
    QVariantList params{s.office, dayStart(s.date)};
    if (s.equipment > 0) {
        where += QStringLiteral(" AND a.EquipmentID = ?");
        params << s.equipment;
    } else if (s.category > 0) {
        where += QStringLiteral(" AND a.EquipmentID IN (SELECT ID FROM Table_equipment WHERE "
                                "CategoryID = ?)");
        params << s.category;
    }
    // The types' names are read apart and the rows sorted here by type
    // name, model and key: the engine's join and sort cost several times
    // the read of the assets.
    const std::vector<Row> rows = store.select(
        QStringLiteral("SELECT a.ID, a.EquipmentID, a.ModelNumber, a.SerialNumber FROM "
                       "Table_asset a WHERE %1")
            .arg(where),
        params, {F::Long, F::Long, F::Text, F::Text});
    QHash<int, QString> typeNames;
    for (const Row& r : rows)
        typeNames.insert(r[1].toInt(), QString());
    each_batch({typeNames.keyBegin(), typeNames.keyEnd()}, [&](const QString& marks,
                                                               const QVariantList& batch) {
        for (const Row& r : store.select(
                 QStringLiteral("SELECT ID, Name FROM Table_equipment WHERE ID IN (%1)").arg(marks),
                 batch, {F::Long, F::Text}))
            typeNames.insert(r[0].toInt(), r[1].toString());
    });
    // Each type's rank by name, then the rows by rank, model and key.
    std::vector<std::pair<QString, int>> types;
    for (auto it = typeNames.cbegin(); it != typeNames.cend(); ++it)
        types.emplace_back(it.value(), it.key());
    std::sort(types.begin(), types.end());
    QHash<int, int> rank;
    for (size_t i = 0; i < types.size(); ++i)
        rank.insert(types[i].second, static_cast<int>(i));
    struct Key {
        int rank;
        QString model;
        int id;
        size_t row;
    };
    std::vector<Key> keys;
    keys.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keys.push_back(
            {rank.value(rows[i][1].toInt()), rows[i][2].toString(), rows[i][0].toInt(), i});
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        if (const int byModel = a.model.compare(b.model); byModel != 0)
            return byModel < 0;
        return a.id < b.id;
    });
    std::vector<ListedAsset> expected;
    expected.reserve(rows.size());
    for (const Key& k : keys) {
        const Row& r = rows[k.row];
        expected.push_back({k.id, typeNames.value(r[1].toInt()), k.model, r[3].toString()});
    }
    return expected;
}

std::vector<Scan> read_scans(Store& store, int stocktake, int after) {
    std::vector<Scan> scans;
    for (const Row& r : store.select(
             QStringLiteral("SELECT k.ID, k.Code, k.Result, k.Place, k.DateScanned, k.ScannedBy, "
                            "k.AssetID, e.Name, a.ModelNumber, a.SerialNumber FROM "
                            "Table_stocktakescan k LEFT JOIN Table_asset a ON a.ID = k.AssetID "
                            "LEFT JOIN Table_equipment e ON e.ID = a.EquipmentID WHERE k.ID > ? "
                            "AND k.StocktakeID = ? ORDER BY k.ID"),
             {after, stocktake},
             {F::Long, F::Text, F::Text, F::Text, F::Date, F::Text, F::Long, F::Text, F::Text,
              F::Text}))
        scans.push_back({r[0].toInt(),
                         r[1].toString(),
                         resultNamed(r[2].toString()),
                         r[3].toString(),
                         {r[6].toInt(), r[7].toString(), r[8].toString(), r[9].toString()},
                         r[4].toDateTime(),
                         r[5].toString()});
    return scans;
}

void Scanned::add(const Scan& scan) {
    if (scan.result == ScanResult::Repeated)
        return;
    if (scan.asset.id > 0)
        assets.insert(scan.asset.id, scan.result);
    else if (!scan.code.isEmpty())
        codes.insert(scan.code, scan.result);
}

std::optional<ScanResult> Scanned::first(const Scan& scan) const {
    if (scan.asset.id > 0) {
        if (const auto it = assets.constFind(scan.asset.id); it != assets.cend())
            return *it;
    } else if (const auto it = codes.constFind(scan.code); it != codes.cend()) {
        return *it;
    }
    return std::nullopt;
}

namespace {

std::vector<Scan> classifyNamed(Store& store, const Stocktake& stocktake, const QStringList& codes,
                                const Named& named, Scanned& earlier) {
    // Only the offices the named assets are kept at are looked up.
    QVariantList kept;
    for (const Row& r : named.byKey)
        kept << r[4];
    for (const std::vector<Row>& rows : named.bySerial)
        for (const Row& r : rows)
            kept << r[4];
    const QHash<int, QString> offices = officeNames(store, kept);
    std::vector<Scan> scans;
    scans.reserve(static_cast<size_t>(codes.size()));
    for (const QString& code : codes) {
        Scan scan = classCode(code, named, stocktake, offices);
        // A repeat says what the first scan found.
        if (const std::optional<ScanResult> first = earlier.first(scan)) {
            scan.result = ScanResult::Repeated;
            scan.place = QStringLiteral("first scan: ") + result_name(*first);
        }
        earlier.add(scan);
        scans.push_back(std::move(scan));
    }
    return scans;
}

} // namespace

std::vector<Scan> classify_codes(Store& store, const Stocktake& stocktake, const QStringList& codes,
                                 Scanned& earlier) {
    return classifyNamed(store, stocktake, codes, readNamed(store, codes), earlier);
}

QStringList read_codes_file(const QString& path) {
    // A scanner's memory holds thousands of codes, not millions.
    constexpr qint64 largest = 64 * 1024 * 1024;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EngineError(
            QStringLiteral("The codes file %1 cannot be read: %2").arg(path, file.errorString()));
    if (file.size() > largest)
        throw EngineError(
            QStringLiteral("The codes file %1 is larger than 64 MB: it is not a list of scanned "
                           "codes")
                .arg(path));
    QStringList codes;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (const QString code = line.trimmed(); !code.isEmpty())
            codes << code;
    return codes;
}

std::vector<Scan> record_scans(Database& db, int stocktake, const QStringList& typed,
                               const QDateTime& at) {
    QStringList codes;
    for (const QString& code : typed) {
        const QString trimmed = code.trimmed().left(255);
        requireStorableText(trimmed, QStringLiteral("a code"));
        if (!trimmed.isEmpty())
            codes << trimmed;
    }
    if (codes.isEmpty())
        return {};
    db.setCommand(QStringLiteral("Scan"));
    Transaction transaction(db);
    Store& store = db.store();
    const Stocktake s = requireOpen(db, stocktake);
    // The assets the codes name, what this stocktake has seen of them (read
    // while it is held), then their classes.
    const Named named = readNamed(store, codes);
    Scanned earlier = earlierScans(store, stocktake, codes, named);
    std::vector<Scan> scans = classifyNamed(store, s, codes, named, earlier);
    const QString by = history_author(store).who;
    const std::vector<int> keys =
        next_ids(db, stocktakeScanTable().name, static_cast<int>(scans.size()));
    RowWriter writer(db, stocktakeScanTable());
    for (size_t i = 0; i < scans.size(); ++i) {
        scans[i].id = keys[i];
        scans[i].at = at;
        scans[i].by = by;
        writer.insert(keys[i], scanValues(stocktake, scans[i]));
    }
    writer.flush();
    transaction.commit();
    return scans;
}

std::vector<Scan> missing_of(const std::vector<ListedAsset>& expected,
                             const std::vector<Scan>& scans) {
    Scanned scanned;
    for (const Scan& s : scans)
        scanned.add(s);
    std::vector<Scan> missing;
    for (const ListedAsset& a : expected)
        if (!scanned.assets.contains(a.id)) {
            Scan m;
            m.result = ScanResult::Missing;
            m.asset = a;
            missing.push_back(std::move(m));
        }
    return missing;
}

std::vector<Scan> stocktake_result(Store& store, const Stocktake& stocktake) {
    std::vector<Scan> result = read_scans(store, stocktake.id);
    if (stocktake.state == stocktakeState::open)
        for (Scan& m : missing_of(read_expected(store, stocktake), result))
            result.push_back(std::move(m));
    return result;
}

namespace {

// The plan, and the office and shipment each asset it returns or moves was
// found with (what applying holds them to).
StocktakePlan planFrom(Store& store, const Stocktake& s, QHash<int, Row>* found) {
    StocktakePlan plan;
    QVariantList outScans, elsewhereScans;
    QSet<int> scanned;
    for (const Scan& scan : read_scans(store, s.id)) {
        if (scan.asset.id <= 0)
            continue;
        scanned.insert(scan.asset.id);
        if (scan.result == ScanResult::Out)
            outScans << scan.asset.id;
        else if (scan.result == ScanResult::Elsewhere)
            elsewhereScans << scan.asset.id;
    }
    // As the assets are now: one returned meanwhile is only moved; one
    // shipped since it was seen elsewhere is left on its shipment.
    for (const auto* scans : {&outScans, &elsewhereScans})
        each_batch(*scans, [&](const QString& marks, const QVariantList& batch) {
            for (Row& r : store.select(
                     QStringLiteral("SELECT ID, ShipmentID, AccountID FROM Table_asset WHERE ID "
                                    "IN (%1) ORDER BY ID")
                         .arg(marks),
                     batch, {F::Long, F::Long, F::Long})) {
                const int asset = r[0].toInt();
                if (r[1].toInt() > 0) {
                    if (scans != &outScans)
                        continue;
                    plan.returned.push_back(asset);
                } else if (r[2].toInt() != s.office) {
                    plan.moved.push_back(asset);
                } else {
                    continue;
                }
                if (found)
                    found->insert(asset, std::move(r));
            }
        });
    if (s.state == stocktakeState::open)
        for (const ListedAsset& a : read_expected(store, s))
            if (!scanned.contains(a.id))
                plan.missing.push_back(a.id);
    return plan;
}

} // namespace

StocktakePlan plan_stocktake(Store& store, const Stocktake& s) {
    return planFrom(store, s, nullptr);
}

StocktakePlan apply_stocktake(Database& db, int id, int missingStatus) {
    db.setCommand(QStringLiteral("Stocktake"));
    Transaction transaction(db);
    Store& store = db.store();
    const Stocktake s = requireOpen(db, id);
    QHash<int, Row> found;
    const StocktakePlan plan = planFrom(store, s, &found);
    const QDateTime back = dayStart(s.date);
    // The open lines of the returned assets complete as a return completes
    // them; the assets stand in stock at this office.
    RowWriter lines(db, *findTable(QStringLiteral("Table_shippinglist")));
    const FieldDef* completed =
        findField(*findTable(QStringLiteral("Table_shippinglist")), QStringLiteral("IsCompleted"));
    const FieldDef* completion = findField(*findTable(QStringLiteral("Table_shippinglist")),
                                           QStringLiteral("CompletionDate"));
    each_batch({plan.returned.begin(), plan.returned.end()}, [&](const QString& marks,
                                                                 const QVariantList& batch) {
        for (const Row& r :
             store.select(QStringLiteral("SELECT ID, IsCompleted FROM Table_shippinglist WHERE "
                                         "AssetID IN (%1) AND %2 ORDER BY ID")
                              .arg(marks, dialect::openLineTerm(store.engine(), QString())),
                          batch, {F::Long, F::Boolean}))
            lines.update(r[0].toInt(), {{completed, r[1]}},
                         {{completed, true}, {completion, back}});
    });
    lines.flush();
    RowWriter assets(db, *findTable(QStringLiteral("Table_asset")));
    const FieldDef* shipment = assetField("ShipmentID");
    const FieldDef* office = assetField("AccountID");
    // Held to what the plan found: another desk's move since refuses it.
    for (const auto& [list, returning] : {std::pair{&plan.returned, true}, {&plan.moved, false}})
        for (const int asset : *list) {
            const Row& was = found[asset];
            ColumnValues to{{office, s.office}};
            if (returning)
                to.push_back({shipment, 0});
            assets.update(asset, {{shipment, was[1]}, {office, was[2]}}, std::move(to));
        }
    if (missingStatus > 0)
        for (int asset : plan.missing)
            assets.update(asset, {}, {{assetField("StatusID"), missingStatus}});
    assets.flush();
    // The missing stay in the stocktake's record, after its scans.
    RowWriter scans(db, stocktakeScanTable());
    const std::vector<int> keys =
        next_ids(db, stocktakeScanTable().name, static_cast<int>(plan.missing.size()));
    const QDateTime now = QDateTime::currentDateTime();
    for (size_t i = 0; i < plan.missing.size(); ++i) {
        Scan missing;
        missing.result = ScanResult::Missing;
        missing.asset.id = plan.missing[i];
        missing.at = now;
        scans.insert(keys[i], scanValues(id, missing));
    }
    scans.flush();
    RowWriter stocktakes(db, stocktakeTable());
    stocktakes.update(
        id, {{findField(stocktakeTable(), "State"), stocktakeState::open}},
        {{findField(stocktakeTable(), "State"), stocktakeState::applied},
         {findField(stocktakeTable(), "DateApplied"), dayStart(QDate::currentDate())}});
    stocktakes.flush();
    transaction.commit();
    return plan;
}

StocktakeCounts count_scans(const std::vector<Scan>& scans, size_t missingNotScanned) {
    StocktakeCounts counts;
    counts.missing = static_cast<int>(missingNotScanned);
    for (const Scan& s : scans)
        switch (s.result) {
        case ScanResult::Found:
            ++counts.found;
            break;
        case ScanResult::Missing:
            ++counts.missing;
            break;
        case ScanResult::Elsewhere:
        case ScanResult::Out:
        case ScanResult::Unknown:
            ++counts.unexpected;
            break;
        case ScanResult::Repeated:
            break;
        }
    return counts;
}

std::optional<Sighting> last_seen(Store& store, int asset) {
    const auto rows = store.select(
        QStringLiteral("SELECT k.DateScanned, o.Name, t.Name FROM Table_stocktakescan k JOIN "
                       "Table_stocktake t ON t.ID = k.StocktakeID LEFT JOIN Table_address o ON "
                       "o.ID = t.AddressID WHERE k.AssetID = ? AND k.Result <> ? ORDER BY "
                       "k.DateScanned DESC, k.ID DESC LIMIT 1"),
        {asset, result_name(ScanResult::Missing)}, {F::Date, F::Text, F::Text});
    if (rows.empty())
        return std::nullopt;
    return Sighting{rows.front()[0].toDateTime(), rows.front()[1].toString().trimmed(),
                    rows.front()[2].toString()};
}

QStringList stocktake_problems(Store& store) {
    QStringList problems;
    if (!has_stocktake_tables(store))
        return problems;
    for (const Row& r : store.select(
             QStringLiteral("SELECT StocktakeID, AssetID, COUNT(*) FROM Table_stocktakescan WHERE "
                            "AssetID > 0 AND Result <> ? GROUP BY StocktakeID, AssetID HAVING "
                            "COUNT(*) > 1 ORDER BY StocktakeID, AssetID"),
             {result_name(ScanResult::Repeated)}, {F::Long, F::Long, F::Long}))
        problems << QStringLiteral("Stocktake %1 counts asset %2 %3 times")
                        .arg(r[0].toInt())
                        .arg(r[1].toInt())
                        .arg(r[2].toInt());
    return problems;
}

} // namespace gearlog
