#include "BackgroundWork.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"
#include "TestStores.h"

#include <thread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Schema : public BothStores {
protected:
    // Adds a row through a table cursor; throws what the store refuses.
    void insert(const QString& table, const QVariantMap& values) {
        auto rs = session->openRecordset(table);
        rs->addNew();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            rs->setValue(it.key(), it.value());
        rs->update();
    }
    QString refusal(const QString& table, const QVariantMap& values) {
        try {
            insert(table, values);
        } catch (const EngineError& e) {
            return e.description();
        }
        return {};
    }
    // The store refuses the row and its text names what was wrong.
    void expectRefusedNaming(const QString& table, const QVariantMap& values, const char* what) {
        const QString text = refusal(table, values);
        EXPECT_TRUE(text.contains(QString::fromLatin1(what), Qt::CaseInsensitive))
            << table.toStdString() << ": \"" << text.toStdString() << "\" does not name " << what;
    }
};

TEST_P(Schema, NewDatabaseHoldsTheSeedRowsAndNextKeys) {
    session->openTableCursors();
    EXPECT_EQ(record_count(session->rs_status()), 9);
    EXPECT_EQ(record_count(session->rs_category()), 6);
    Database& db = session->database();
    EXPECT_EQ(next_id(db, QStringLiteral("Table_status")), 10);
    EXPECT_EQ(next_id(db, QStringLiteral("Table_Category")), 7);
    for (const char* t : {"Table_address", "Table_asset", "Table_contact", "Table_equipment",
                          "Table_photo", "Table_shipment", "Table_shippinglist"})
        EXPECT_EQ(next_id(db, QString::fromLatin1(t)), 1) << t;
    session->rs_status().moveFirst();
    EXPECT_EQ(session->rs_status().value(QStringLiteral("Name")).toString(),
              QStringLiteral("Operational"));
    ASSERT_TRUE(find_record_by_number(session->rs_category(), QStringLiteral("ID"), 6));
    EXPECT_EQ(session->rs_category().value(QStringLiteral("name")).toString(),
              QStringLiteral("TEM Transmitter"));
}

TEST_P(Schema, RequiredAndZeroLengthRulesAreEnforcedByTheStore) {
    expectRefusedNaming(QStringLiteral("Table_asset"), {{QStringLiteral("ID"), 1}}, "ModelNumber");
    expectRefusedNaming(QStringLiteral("Table_asset"),
                        {{QStringLiteral("ID"), 1}, {QStringLiteral("ModelNumber"), QString()}},
                        "ModelNumber");
    EXPECT_EQ(refusal(QStringLiteral("Table_asset"),
                      {{QStringLiteral("ID"), 1},
                       {QStringLiteral("ModelNumber"), QStringLiteral("M1")},
                       {QStringLiteral("SerialNumber"), QString()}}),
              QString());
    expectRefusedNaming(QStringLiteral("Table_equipment"),
                        {{QStringLiteral("ID"), 1}, {QStringLiteral("Name"), QStringLiteral("E")}},
                        "CategoryID");
    expectRefusedNaming(QStringLiteral("Table_shippinglist"),
                        {{QStringLiteral("ID"), 1}, {QStringLiteral("AssetID"), 1}}, "ShipmentID");
    expectRefusedNaming(QStringLiteral("Table_shippinglist"),
                        {{QStringLiteral("ID"), 1}, {QStringLiteral("ShipmentID"), 1}}, "AssetID");
    // Text longer than its size is refused; at the size it is accepted.
    expectRefusedNaming(
        QStringLiteral("Table_asset"),
        {{QStringLiteral("ID"), 2}, {QStringLiteral("ModelNumber"), QString(51, QLatin1Char('x'))}},
        "ModelNumber");
    EXPECT_EQ(refusal(QStringLiteral("Table_asset"),
                      {{QStringLiteral("ID"), 2},
                       {QStringLiteral("ModelNumber"), QString(50, QChar(0x00e9))}}),
              QString());
    // A row without its key is refused rather than numbered by the store.
    expectRefusedNaming(QStringLiteral("Table_category"),
                        {{QStringLiteral("Name"), QStringLiteral("X")}}, "ID");
}

TEST_P(Schema, NamesMayRepeatButKeysMayNot) {
    EXPECT_EQ(refusal(QStringLiteral("Table_category"),
                      {{QStringLiteral("ID"), 7}, {QStringLiteral("Name"), QStringLiteral("Rx")}}),
              QString());
    expectRefusedNaming(
        QStringLiteral("Table_category"),
        {{QStringLiteral("ID"), 7}, {QStringLiteral("Name"), QStringLiteral("Other")}},
        "Table_category");
    // The refused row left nothing behind in a fresh cursor.
    auto rs = session->openRecordset(QStringLiteral("SELECT * FROM Table_category WHERE ID = 7"));
    EXPECT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Rx"));
}

TEST_P(Schema, EveryTableFieldAndIndexExists) {
    Store& store = session->database().store();
    const QStringList tables = store.tableNames();
    for (const TableDef& table : schemaTables()) {
        ASSERT_TRUE(tables.contains(table.name.toLower())) << table.name.toStdString();
        const QStringList columns = store.columnNames(table.name);
        for (const FieldDef& f : table.fields)
            EXPECT_TRUE(columns.contains(f.name.toLower())) << f.name.toStdString();
        const QStringList indexed = store.indexedColumns(table.name);
        for (const IndexDef& i : table.indexes)
            EXPECT_TRUE(indexed.contains(i.name.toLower())) << i.name.toStdString();
    }
}

// A database from an older Gearlog is brought to today's letter-case rules
// on open: citext names on the server, name indexes built with the file
// engine's ASCII-only NOCASE on a file.
TEST_P(Schema, OlderDatabasesAreUpgradedOnOpen) {
    {
        auto store = fresh->openStore();
        if (GetParam() == Engine::Postgres) {
            store->execute(QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext"), {});
            store->execute(
                QStringLiteral("ALTER TABLE Table_category ALTER COLUMN Name TYPE citext"), {});
        } else {
            store->execute(QStringLiteral("PRAGMA user_version = 0"), {});
            store->execute(QStringLiteral("PRAGMA application_id = 0"), {});
        }
        store->execute(QStringLiteral("UPDATE Table_category SET Name = 'Über' WHERE ID = 1"), {});
    }
    auto upgraded = fresh->openSession();
    upgraded->openTableCursors();
    auto found =
        upgraded->openRecordset(QStringLiteral("SELECT * FROM Table_category WHERE Name = 'über'"));
    EXPECT_EQ(record_count(*found), 1);
    Store& store = upgraded->database().store();
    if (GetParam() == Engine::Postgres) {
        EXPECT_TRUE(store
                        .select(QStringLiteral("SELECT 1 FROM information_schema.columns WHERE "
                                               "udt_name = 'citext' AND table_schema = "
                                               "current_schema()"),
                                {}, {})
                        .empty());
    } else {
        EXPECT_EQ(store.select(QStringLiteral("PRAGMA user_version"), {}, {}).front()[0].toInt(),
                  1);
        // The file type's mark, "GRLG", is given on the first writable open.
        EXPECT_EQ(store.select(QStringLiteral("PRAGMA application_id"), {}, {}).front()[0].toInt(),
                  0x47524C47);
        EXPECT_EQ(store.select(QStringLiteral("PRAGMA integrity_check"), {}, {FieldType::Text})
                      .front()[0]
                      .toString(),
                  QStringLiteral("ok"));
    }
}

// The indexes and search tables a writable opening adds, as an older file
// lacks them.
void dropOwnIndexes(Store& store) {
    const bool file = store.engine() == Engine::Sqlite;
    for (const char* sql :
         {"DROP INDEX IF EXISTS Table_asset_NextSchedMaint", "DROP INDEX IF EXISTS Table_asset_out",
          "DROP INDEX IF EXISTS Table_asset_accented", "DROP TABLE IF EXISTS Table_asset_find"})
        if (file || !QByteArray(sql).contains("_find"))
            store.execute(QString::fromLatin1(sql), {});
    if (!file)
        for (const Row& r :
             store.select(QStringLiteral("SELECT relname FROM pg_class WHERE relname LIKE "
                                         "'table_asset_fold_%'"),
                          {}, {FieldType::Text}))
            store.execute(QStringLiteral("DROP INDEX ") + r[0].toString(), {});
}

// Desks opening one database at the same moment take the opening's steps
// one at a time, each finding what the other made; the window's opening
// leaves the indexes to a connection of their own.
TEST_P(Schema, DesksOpeningAtOnceBuildTheIndexesOnce) {
    for (int round = 0; round < 10; ++round) {
        dropOwnIndexes(*fresh->openStore());
        std::vector<std::unique_ptr<Store>> stores;
        stores.push_back(fresh->openStore());
        stores.push_back(fresh->openStore());
        std::vector<QString> failures(2);
        std::vector<std::thread> desks;
        for (size_t d = 0; d < 2; ++d)
            desks.emplace_back([&, d] {
                try {
                    upgradeSchema(*stores[d]);
                } catch (const EngineError& e) {
                    failures[d] = e.description();
                }
            });
        for (std::thread& desk : desks)
            desk.join();
        ASSERT_EQ(failures, std::vector<QString>(2)) << "round " << round;
    }
    dropOwnIndexes(*fresh->openStore());
    auto desk = fresh->openSession();
    desk->openTableCursors();
    ASSERT_TRUE(desk->lacksIndexes());
    {
        const BackgroundWork building(desk->connector(), [](Store& store) {
            upgradeSchema(store, dialect::UpgradeSteps::Indexes);
        }); // its end waits for the build
    }
    EXPECT_FALSE(desk->lacksIndexes());
}

// Money comes back to the cent as typed, also on a server database that
// kept it as single floats before (its column is widened on open).
TEST_P(Schema, MoneyKeepsItsCents) {
    if (GetParam() == Engine::Postgres) {
        auto store = fresh->openStore();
        store->execute(QStringLiteral("ALTER TABLE Table_asset ALTER COLUMN Valuation TYPE real"),
                       {});
    }
    session = fresh->openSession();
    session->openTableCursors();
    Recordset& assets = session->rs_asset();
    assets.addNew();
    assets.setValue(QStringLiteral("ID"), 1);
    assets.setValue(QStringLiteral("ModelNumber"), QStringLiteral("M"));
    assets.setValue(QStringLiteral("PurchasePrice"), 1234567.89);
    assets.setValue(QStringLiteral("Valuation"), 9876543.21);
    assets.update();
    auto read = fresh->openSession()->openRecordset(QStringLiteral("SELECT * FROM Table_asset"));
    EXPECT_EQ(QString::number(read->value(QStringLiteral("PurchasePrice")).toDouble(), 'f', 2),
              QStringLiteral("1234567.89"));
    EXPECT_EQ(QString::number(read->value(QStringLiteral("Valuation")).toDouble(), 'f', 2),
              QStringLiteral("9876543.21"));
    // A second save of the unchanged row is no conflict.
    assets.setValue(QStringLiteral("SerialNumber"), QStringLiteral("S"));
    EXPECT_NO_THROW(assets.update());
}

GEARLOG_BOTH_STORES(Schema);

} // namespace
