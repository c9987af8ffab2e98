// The maintenance log on both stores: intervals and the next date they
// set, an asset's own interval, failed entries, certificates kept whole,
// and a refused entry that writes nothing.
#include "Maintenance.h"
#include "MaintenanceTables.h"
#include "TestStores.h"

#include <QFileInfo>
#include <QRandomGenerator>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// Type 1 "Meter" with assets 1 and 2.
class MaintenanceLog : public BothStores {
protected:
    void SetUp() override {
        enableMaintenance();
        BothStores::SetUp();
        Store& store = session->database().store();
        store.execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES "
                                     "(1, 'Meter', 1)"));
        for (int id = 1; id <= 2; ++id)
            store.execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, ShipmentID, "
                                         "ModelNumber) VALUES (?, 1, 0, 'M')"),
                          {id});
    }
    Database& db() { return session->database(); }
    MaintenanceEntry entry(int asset, const QDate& day, const QString& result) {
        MaintenanceEntry e;
        e.asset = asset;
        e.done = day;
        e.kind = QStringLiteral("Calibration");
        e.result = result;
        e.next = proposed_next(db().store(), asset, day);
        return e;
    }
    QDate nextOf(int asset) {
        return db()
            .store()
            .select(QStringLiteral("SELECT NextSchedMaint FROM Table_asset WHERE ID = ?"), {asset},
                    {FieldType::Date})
            .front()[0]
            .toDateTime()
            .date();
    }
    int entries() {
        return db()
            .store()
            .select(QStringLiteral("SELECT COUNT(*) FROM Table_maintenance"), {}, {FieldType::Long})
            .front()[0]
            .toInt();
    }
    const QDate done{2026, 6, 1};
};

TEST_P(MaintenanceLog, IntervalsSetTheNextDateAndAnAssetsOwnWins) {
    set_type_interval(db(), 1, 180, QStringLiteral("Calibration"));
    record_maintenance(db(), entry(1, done, maintenanceResult::passed), std::nullopt);
    EXPECT_EQ(nextOf(1), done.addDays(180));
    set_asset_interval(db(), 2, 30);
    EXPECT_EQ(interval_of(db().store(), 2).days, 30);
    EXPECT_EQ(interval_of(db().store(), 2).typeDays, 180);
    record_maintenance(db(), entry(2, done, maintenanceResult::adjusted), std::nullopt);
    EXPECT_EQ(nextOf(2), done.addDays(30));
    // Taken away, the asset follows its type again.
    set_asset_interval(db(), 2, 0);
    EXPECT_EQ(proposed_next(db().store(), 2, done), done.addDays(180));
    EXPECT_EQ(read_log(db().store(), 2).front().kind, QStringLiteral("Calibration"));
}

TEST_P(MaintenanceLog, AFailedLastEntryMarksTheAssetUntilOneLaterPasses) {
    record_maintenance(db(), entry(1, done, maintenanceResult::failed), std::nullopt);
    EXPECT_EQ(failed_among(db().store(), {1, 2}), QSet<int>{1});
    int total = 0;
    EXPECT_EQ(read_failed(db().store(), 0, &total).front().asset, 1);
    EXPECT_EQ(total, 1);
    // An older entry that passed changes nothing; a newer one does.
    record_maintenance(db(), entry(1, done.addDays(-9), maintenanceResult::passed), std::nullopt);
    EXPECT_EQ(failed_among(db().store(), {1}), QSet<int>{1});
    record_maintenance(db(), entry(1, done.addDays(1), maintenanceResult::passed), std::nullopt);
    EXPECT_TRUE(failed_among(db().store(), {1}).isEmpty());
    EXPECT_EQ(read_log(db().store(), 1).front().done, done.addDays(1)); // newest first
}

TEST_P(MaintenanceLog, CertificatesComeBackWholeAndARefusalWritesNothing) {
    QByteArray bytes(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    const int id = record_maintenance(db(), entry(1, done, maintenanceResult::passed),
                                      Certificate{QStringLiteral("cal.pdf"), bytes});
    const Certificate back = read_certificate(db().store(), id);
    EXPECT_EQ(back.name, QStringLiteral("cal.pdf"));
    EXPECT_TRUE(back.bytes == bytes);
    EXPECT_TRUE(maintenance_problems(db().store()).isEmpty());

    // Too large, an asset that is gone, no date: refused, nothing written,
    // not even the new kind.
    MaintenanceEntry newKind = entry(1, done, maintenanceResult::passed);
    newKind.kind = QStringLiteral("Overhaul");
    EXPECT_NE(failureOf([&] {
                  record_maintenance(db(), newKind,
                                     Certificate{QStringLiteral("big.pdf"),
                                                 QByteArray(largestCertificate + 1, 'x')});
              }),
              QString());
    EXPECT_EQ(failureOf([&] {
                  record_maintenance(db(), newKind, Certificate{QStringLiteral("empty.pdf"), {}});
              }),
              QStringLiteral("The certificate empty.pdf is empty"));
    MaintenanceEntry gone = newKind;
    gone.asset = 99;
    EXPECT_EQ(failureOf([&] { record_maintenance(db(), gone, std::nullopt); }),
              QStringLiteral("Asset 99 does not exist"));
    EXPECT_EQ(entries(), 1);
    EXPECT_FALSE(read_kinds(db().store()).contains(QStringLiteral("Overhaul")));
}

GEARLOG_BOTH_STORES(MaintenanceLog);

} // namespace

namespace {

// The command line: an entry with a certificate, the log as CSV, and check
// telling a certificate that no longer matches what was recorded.
TEST(MaintenanceCommands, RecordListAndCheck) {
    enableMaintenance();
    FreshDatabase file(Engine::Sqlite);
    {
        auto store = file.openStore();
        store->execute(QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID) VALUES "
                                      "(1, 'Meter', 1)"));
        store->execute(QStringLiteral("INSERT INTO Table_asset (ID, EquipmentID, ShipmentID, "
                                      "ModelNumber) VALUES (1, 1, 0, 'M')"));
    }
    const auto admin = [](const QStringList& args) {
        return runToEnd(QStringLiteral(GEARLOG_ADMIN), args);
    };
    const QString certificate =
        writeFile(file.location() + QStringLiteral(".pdf"), QByteArray(5000, 'c'));
    const QString db = file.location();
    EXPECT_EQ(admin({QStringLiteral("interval"), db, QStringLiteral("--equipment"),
                     QStringLiteral("Meter"), QStringLiteral("--days"), QStringLiteral("180")})
                  .first,
              0);
    EXPECT_EQ(admin({QStringLiteral("maintenance"), db, QStringLiteral("1"),
                     QStringLiteral("--done"), QStringLiteral("2026-03-01"),
                     QStringLiteral("--result"), QStringLiteral("Failed"), QStringLiteral("--cost"),
                     QStringLiteral("40"), QStringLiteral("--certificate"), certificate})
                  .first,
              0);
    EXPECT_EQ(admin({QStringLiteral("maintenance"), db, QStringLiteral("7"),
                     QStringLiteral("--done"), QStringLiteral("2026-03-01")})
                  .first,
              1);
    EXPECT_EQ(admin({QStringLiteral("maintenance"), db, QStringLiteral("1")}).first, 2);
    EXPECT_EQ(admin({QStringLiteral("maintenance-log"), db, QStringLiteral("--csv")}).second,
              QStringLiteral("Asset,Date,Kind,Result,By,Cost,Next,Certificate\n1,2026-03-01,"
                             "Maintenance,Failed,,40.00,2026-08-28,%1\n")
                  .arg(QFileInfo(certificate).fileName()));
    EXPECT_EQ(admin({QStringLiteral("check"), db}).first, 0);
    file.openStore()->execute(
        QStringLiteral("UPDATE Table_maintenance SET Certificate = ? WHERE ID = 1"),
        {QByteArray(5000, 'd')});
    const auto [failed, said] = admin({QStringLiteral("check"), db});
    EXPECT_EQ(failed, 1);
    EXPECT_TRUE(said.contains(QStringLiteral("certificate's SHA-256 is not the one recorded")));
}

} // namespace
