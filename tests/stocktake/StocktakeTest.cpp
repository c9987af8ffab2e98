// Stocktakes on a small database: each class of scan, what applying puts
// right, two desks scanning one stocktake, and the command line.
#include "StocktakeTables.h"
#include "Stocktakes.h"
#include "TestStores.h"

#include <mutex>
#include <thread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

QStringList classes(const std::vector<Scan>& scans) {
    QStringList names;
    for (const Scan& s : scans)
        names << result_name(s.result);
    return names;
}

// Offices 1 (Store) and 2 (Annex). In stock at the Store: assets 1, 2 and
// 5 (serial S-5); 3 is kept at the Annex; 4 (the Store's) is out on
// shipment 1 to Ann; 6 and 7 share the serial DUP.
class Stocktakes : public BothStores {
protected:
    void SetUp() override {
        enableStocktakes();
        BothStores::SetUp();
        Store& store = session->database().store();
        for (const char* sql :
             {"INSERT INTO Table_address (ID, Name) VALUES (1, 'Store'), (2, 'Annex')",
              "INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES (1, 'Pump', 1)",
              "INSERT INTO Table_contact (ID, Name) VALUES (1, 'Ann')",
              "INSERT INTO Table_status (ID, Name) VALUES (20, 'Missing')",
              "INSERT INTO Table_shipment (ID, Name, ReceiverContactID) VALUES (1, 'Job', 1)",
              "INSERT INTO Table_shippinglist (ID, ShipmentID, AssetID, IsCompleted, TransferID) "
              "VALUES (1, 1, 4, FALSE, -1)"})
            store.execute(QString::fromLatin1(sql));
        const std::vector<std::tuple<int, int, int, const char*>> assets{
            {1, 1, 0, "S-1"}, {2, 1, 0, "S-2"}, {3, 2, 0, "S-3"}, {4, 1, 1, "S-4"},
            {5, 1, 0, "S-5"}, {6, 2, 0, "DUP"}, {7, 2, 0, "DUP"}};
        for (const auto& [asset, office, shipment, serial] : assets)
            store.execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, StatusID, "
                                         "AccountID, ShipmentID, ModelNumber, SerialNumber) "
                                         "VALUES (?, 1, 1, ?, ?, 'P', ?)"),
                          {asset, office, shipment, QString::fromLatin1(serial)});
        Stocktake s;
        s.office = 1;
        s.date = QDate(2026, 3, 2);
        id = start_stocktake(session->database(), s);
    }
    // Its office, shipment and status.
    std::vector<int> assetRow(int asset) {
        const auto rows = session->database().store().select(
            QStringLiteral("SELECT AccountID, ShipmentID, StatusID FROM Table_asset WHERE ID = ?"),
            {asset}, {FieldType::Long, FieldType::Long, FieldType::Long});
        std::vector<int> values;
        for (const QVariant& v : rows.front())
            values.push_back(v.toInt());
        return values;
    }
    int id = 0;
};

TEST_P(Stocktakes, EachClassAndWhatApplyingPutsRight) {
    Database& db = session->database();
    const std::vector<Scan> scans =
        record_scans(db, id,
                     strings({"GL-A-1", " S-5 ", "gl-a-3", "GL-A-4", "NOPE", "GL-A-1", "S-1", "DUP",
                              "NOPE", "GL-A-99"}),
                     QDateTime::currentDateTime());
    EXPECT_EQ(classes(scans), strings({"Found", "Found", "Elsewhere", "Out", "Unknown", "Repeated",
                                       "Repeated", "Unknown", "Repeated", "Unknown"}));
    EXPECT_EQ(scans[1].code, QStringLiteral("S-5"));
    EXPECT_EQ(scans[2].place, QStringLiteral("Annex"));
    EXPECT_EQ(scans[3].place, QStringLiteral("Ann \u2014 Job"));
    EXPECT_EQ(scans[7].place, QStringLiteral("2 assets have this serial number"));
    // Asset 2 was not scanned; scanning carries on from another call.
    const Stocktake s = *read_stocktake(db.store(), id);
    const std::vector<Scan> again = record_scans(db, id, strings({"S-3"}), {});
    EXPECT_EQ(again.front().place, QStringLiteral("first scan: Elsewhere"));
    const StocktakeCounts counts =
        count_scans(read_scans(db.store(), id),
                    missing_of(read_expected(db.store(), s), read_scans(db.store(), id)).size());
    EXPECT_EQ(counts.found, 2);
    EXPECT_EQ(counts.missing, 1);
    EXPECT_EQ(counts.unexpected, 5);

    const StocktakePlan plan = apply_stocktake(db, id, 20);
    EXPECT_EQ(plan.returned, std::vector<int>{4});
    EXPECT_EQ(plan.moved, std::vector<int>{3});
    EXPECT_EQ(plan.missing, std::vector<int>{2});
    EXPECT_EQ(assetRow(4), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(assetRow(3), (std::vector<int>{1, 0, 1}));
    EXPECT_EQ(assetRow(2), (std::vector<int>{1, 0, 20}));
    const auto line = db.store().select(
        QStringLiteral("SELECT IsCompleted, CompletionDate FROM Table_shippinglist WHERE ID = 1"),
        {}, {FieldType::Boolean, FieldType::Date});
    EXPECT_TRUE(line.front()[0].toBool());
    EXPECT_EQ(line.front()[1].toDateTime().date(), QDate(2026, 3, 2));
    // The result keeps the missing asset; the stocktake takes no more scans.
    const std::vector<Scan> result = stocktake_result(db.store(), *read_stocktake(db.store(), id));
    EXPECT_EQ(result.back().result, ScanResult::Missing);
    EXPECT_EQ(result.back().asset.id, 2);
    EXPECT_NE(failureOf([&] { record_scans(db, id, strings({"GL-A-2"}), {}); }), QString());
    EXPECT_NE(failureOf([&] { apply_stocktake(db, id, 0); }), QString());
    EXPECT_EQ(last_seen(db.store(), 3)->office, QStringLiteral("Store"));
    EXPECT_FALSE(last_seen(db.store(), 2).has_value());
    EXPECT_TRUE(stocktake_problems(db.store()).isEmpty());
}

// Two desks scan the same asset into one stocktake at once: it is counted
// once, the other scan is a repeat.
TEST_P(Stocktakes, TwoDesksNeverCountAnAssetTwice) {
    for (int round = 1; round <= 5; ++round) {
        SCOPED_TRACE(round);
        const QString code = QStringLiteral("GL-A-%1").arg(round);
        std::vector<std::thread> desks;
        std::mutex counting;
        QStringList results;
        for (int desk = 0; desk < 2; ++desk)
            desks.emplace_back([&] {
                auto other = std::make_shared<Database>(fresh->openStore());
                std::vector<Scan> scans;
                const QString failure = failureOf([&] {
                    scans = record_scans(*other, id, {code}, QDateTime::currentDateTime());
                });
                const std::lock_guard lock(counting);
                results << (failure.isEmpty() ? result_name(scans.front().result) : failure);
            });
        for (std::thread& t : desks)
            t.join();
        results.sort();
        EXPECT_EQ(results.count(QStringLiteral("Repeated")), 1) << results.join(u'|').toStdString();
    }
    EXPECT_TRUE(stocktake_problems(session->database().store()).isEmpty());
}

GEARLOG_BOTH_STORES(Stocktakes);

// The command line: classes as CSV, exit 1 while anything is amiss and 0
// once every expected asset was found, 2 for a name no location has.
TEST(StocktakeCommand, ClassesAndExitCodes) {
    enableStocktakes();
    FreshDatabase file(Engine::Sqlite);
    {
        auto store = file.openStore();
        for (const char* sql :
             {"INSERT INTO Table_address (ID, Name) VALUES (1, 'Store'), (2, 'Store')",
              "INSERT INTO Table_address (ID, Name) VALUES (3, 'Annex')",
              "INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES (1, 'Pump', 1)",
              "INSERT INTO Table_asset (ID, EquipmentID, AccountID, ShipmentID, ModelNumber, "
              "SerialNumber) VALUES (1, 1, 3, 0, 'P', 'S-1'), (2, 1, 3, 0, 'Q', 'S-2')"})
            store->execute(QString::fromLatin1(sql));
    }
    const QString codes = writeFile(file.location() + QStringLiteral(".codes"), "GL-A-1\nX\n");
    const auto run = [&](const QString& location, QStringList more = {}) {
        return runToEnd(QStringLiteral(GEARLOG_ADMIN),
                        QStringList{QStringLiteral("stocktake"), file.location(),
                                    QStringLiteral("--location"), location,
                                    QStringLiteral("--codes"), codes} +
                            more);
    };
    const auto [amiss, csv] = run(QStringLiteral("Annex"), {QStringLiteral("--csv")});
    EXPECT_EQ(amiss, 1);
    EXPECT_EQ(csv, QStringLiteral("Code,Asset,Model,Serial,Result,Where\nGL-A-1,1,P,S-1,Found,\n"
                                  "X,,,,Unknown,No asset has this code\n,2,Q,S-2,Missing,\n"));
    const auto [shared, why] = run(QStringLiteral("Store"));
    EXPECT_EQ(shared, 2);
    EXPECT_TRUE(why.contains(QStringLiteral("2 records share the location name \"Store\"")));
    writeFile(codes, "GL-A-2\nS-1\n");
    EXPECT_EQ(run(QStringLiteral("Annex"), {QStringLiteral("--apply")}).first, 0);
    const auto [checked, problems] =
        runToEnd(QStringLiteral(GEARLOG_ADMIN), {QStringLiteral("check"), file.location()});
    EXPECT_EQ(checked, 0) << problems.toStdString();
    EXPECT_EQ(run(QStringLiteral("Annex"), {QStringLiteral("--bogus")}).first, 2);
}

} // namespace
