#include "AdminCommand.h"
#include "ChangeHistory.h"
#include "ConnectionString.h"
#include "DatabaseCheck.h"
#include "DatabaseCopy.h"
#include "RecordHelpers.h"
#include "SampleDatabase.h"
#include "TestStores.h"
#include "TypedText.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

using namespace gearlog;
using namespace gearlog::test;

namespace {

struct Result {
    int status;
    QString out, err;
};

Result admin(const QStringList& arguments) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runAdminCommand(arguments, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
}

// A sample database file of that many assets in the folder, as the command
// makes it: its path.
QString sampleFile(const QTemporaryDir& dir, int assets) {
    const QString file = dir.filePath(QStringLiteral("kit.gearlog"));
    const Result made = admin(
        {QStringLiteral("sample"), file, QStringLiteral("--assets"), QString::number(assets)});
    EXPECT_EQ(made.status, 0) << made.err.toStdString();
    return file;
}

class Sample : public BothStores {};

TEST_P(Sample, IsConsistentAndDeterministic) {
    auto store = fresh->openStore();
    writeSampleData(*store, {300, 7});
    EXPECT_EQ(checkDatabase(*store), QStringList());
    const auto count = [&](const char* sql) {
        return store->select(QString::fromLatin1(sql), {}, {FieldType::Unknown}).front()[0].toInt();
    };
    EXPECT_EQ(count("SELECT COUNT(*) FROM Table_asset"), 300);
    // All three line states are present.
    EXPECT_GT(count("SELECT COUNT(*) FROM Table_shippinglist WHERE IsCompleted = FALSE"), 0);
    EXPECT_GT(
        count(
            "SELECT COUNT(*) FROM Table_shippinglist WHERE IsCompleted = TRUE AND TransferID = -1"),
        0);
    EXPECT_GT(
        count(
            "SELECT COUNT(*) FROM Table_shippinglist WHERE IsCompleted = TRUE AND TransferID > 0"),
        0);
    EXPECT_GT(count("SELECT COUNT(*) FROM Table_photo WHERE Photo IS NOT NULL"), 0);

    FreshDatabase again(GetParam());
    auto second = again.openStore();
    writeSampleData(*second, {300, 7});
    const QString lines = QStringLiteral("SELECT ShipmentID, AssetID, IsCompleted, TransferID FROM "
                                         "Table_shippinglist ORDER BY ID");
    const std::vector<FieldType> types(4, FieldType::Long);
    EXPECT_EQ(store->select(lines, {}, types), second->select(lines, {}, types));
}

TEST_P(Sample, CheckListsEveryKindOfProblem) {
    auto store = fresh->openStore();
    writeSampleData(*store, {100, 3});
    const auto first = [&](const char* sql) {
        return store
            ->select(QString::fromLatin1(sql), {},
                     {FieldType::Long, FieldType::Long, FieldType::Long})
            .front();
    };
    const Row open = first("SELECT ID, AssetID, ShipmentID FROM Table_shippinglist WHERE "
                           "IsCompleted = FALSE ORDER BY ID");
    const Row moved = first(
        "SELECT ID, AssetID, TransferID FROM Table_shippinglist WHERE TransferID > 0 ORDER BY ID");
    store->execute(QStringLiteral("UPDATE Table_asset SET StatusID = 99 WHERE ID = 1"), {});
    store->execute(QStringLiteral("UPDATE Table_asset SET ShipmentID = 0 WHERE ID = ?"), {open[1]});
    store->execute(
        QStringLiteral("DELETE FROM Table_shippinglist WHERE ShipmentID = ? AND AssetID = ?"),
        {moved[2], moved[1]});
    store->execute(
        QStringLiteral(
            "INSERT INTO Table_asset (ID, ModelNumber, ShipmentID) VALUES (9999, 'X', 1)"),
        {});
    // A completed line naming a shipment that does not exist.
    store->execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, AssetID, "
                                  "IsCompleted, TransferID) VALUES (99998, 1, 1, ?, 77)"),
                   {true});
    // A second open line for the asset of the first, naming a transfer.
    store->execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, AssetID, "
                                  "IsCompleted, TransferID) VALUES (99999, 1, ?, ?, 7)"),
                   {open[1], false});
    const QStringList problems = checkDatabase(*store);
    const QString all = problems.join(QLatin1Char('\n'));
    EXPECT_TRUE(
        all.contains(QStringLiteral("Table_asset row 1: StatusID 99 names no row of Table_status")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Open line %1: asset %2 is not out on shipment %3")
                                 .arg(open[0].toInt())
                                 .arg(open[1].toInt())
                                 .arg(open[2].toInt())))
        << all.toStdString();
    EXPECT_TRUE(
        all.contains(QStringLiteral("Transferred line %1: shipment %2 has no line for asset %3")
                         .arg(moved[0].toInt())
                         .arg(moved[2].toInt())
                         .arg(moved[1].toInt())))
        << all.toStdString();
    EXPECT_TRUE(all.contains(
        QStringLiteral("Asset 9999 is out on shipment 1 with 0 open lines there instead of one")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(
        QStringLiteral("Asset %1 has 2 open lines instead of one at most").arg(open[1].toInt())))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Open line 99999 names shipment 7 as its transfer")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(
        QStringLiteral("Table_asset row 9999: EquipmentID 0 names no row of Table_equipment")))
        << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral(
        "Table_shippinglist row 99998: TransferID 77 names no row of Table_shipment")))
        << all.toStdString();

    store->execute(QStringLiteral("DROP TABLE Table_status"), {});
    EXPECT_EQ(checkDatabase(*store), QStringList{QStringLiteral("Table Table_status is missing")});
}

// The import's edges, through gearlog-admin on both stores: what an update
// names is made or refused, never 0; a record twice, a shared name, a second
// type of a name and a type change onto a used serial are refused; the ID
// columns of an export and --skip make export then import exact.
TEST_P(Sample, ImportNeverGuessesAndEveryReferenceResolves) {
    auto store = fresh->openStore();
    writeSampleData(*store, {30, 3});
    QTemporaryDir dir;
    const auto csv = [&dir](const char* name, const QString& text) {
        return writeFile(dir.filePath(QString::fromLatin1(name)), text.toUtf8());
    };
    const auto import = [&](const QString& file, const char* kind, QStringList options) {
        return admin(QStringList{QStringLiteral("import"), fresh->location(), file,
                                 QStringLiteral("--into"), QString::fromLatin1(kind)} +
                     options);
    };
    const auto value = [&](const QString& sql) {
        return store->select(sql, {}, {FieldType::Unknown}).front()[0].toString();
    };
    const QString update = QStringLiteral("--update");
    const QString create = QStringLiteral("--create-missing");
    const QString category = value(QStringLiteral(
        "SELECT c.Name FROM Table_category c JOIN Table_equipment e ON e.CategoryID = c.ID "
        "JOIN Table_asset a ON a.EquipmentID = e.ID WHERE a.ID = 5"));

    Result r =
        import(csv("type.csv",
                   QStringLiteral("ID,Category,Equipment\n5,%1,Brand New Type\n").arg(category)),
               "assets", {update, create});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT e.Name FROM Table_equipment e JOIN Table_asset a ON "
                                   "a.EquipmentID = e.ID WHERE a.ID = 5")),
              QStringLiteral("Brand New Type"));

    r = import(csv("twice.csv", QStringLiteral("ID,Model\n7,FIRST\n7,SECOND\n")), "assets",
               {update});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Row 3: Asset 7 is also in row 2")))
        << r.out.toStdString();

    r = import(
        csv("other.csv",
            QStringLiteral("Model,Category,Equipment\nM,%1,Brand New Type\n")
                .arg(value(QStringLiteral("SELECT MIN(Name) FROM Table_category WHERE Name <> '%1'")
                               .arg(category)))),
        "assets", {create});
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("That equipment name already exists in another category")))
        << r.out.toStdString();

    store->execute(QStringLiteral("INSERT INTO Table_address (ID, Name, ColourCode) VALUES "
                                  "(900, 'Depot', 255), (901, 'Depot', 255)"),
                   {});
    r = import(csv("shared.csv", QStringLiteral("Name,Location\nZed,Depot\n")), "contacts", {});
    EXPECT_TRUE(r.out.contains(QStringLiteral("2 records of the location list are named \"Depot\": "
                                              "give its ID in the Location ID column")))
        << r.out.toStdString();
    r = import(csv("byid.csv", QStringLiteral("Name,Location,Location ID\nZed,Depot,901\n")),
               "contacts", {});
    EXPECT_EQ(r.status, 0) << r.out.toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT AddressID FROM Table_contact WHERE Name = 'Zed'")),
              QStringLiteral("901"));

    // Asset 6 takes asset 5's type, where asset 5 has the serial already.
    store->execute(QStringLiteral("UPDATE Table_asset SET SerialNumber = 'DUP' WHERE ID IN (5, 6)"),
                   {});
    r = import(csv("move.csv",
                   QStringLiteral("ID,Category,Equipment\n6,%1,Brand New Type\n").arg(category)),
               "assets", {update});
    EXPECT_TRUE(r.out.contains(QStringLiteral("The serial number DUP is already used by asset 5")))
        << r.out.toStdString();

    // Equipment exported and imported into another database, photographs
    // left out; export never writes over what it reads.
    const QString exported = dir.filePath(QStringLiteral("equipment.csv"));
    EXPECT_EQ(admin({QStringLiteral("export"), fresh->location(), QStringLiteral("--table"),
                     QStringLiteral("equipment"), exported})
                  .status,
              0);
    if (GetParam() == Engine::Sqlite) {
        EXPECT_EQ(admin({QStringLiteral("export"), fresh->location(), QStringLiteral("--table"),
                         QStringLiteral("statuses"), fresh->location(), QStringLiteral("--force")})
                      .status,
                  2);
    }
    FreshDatabase target(GetParam());
    r = admin({QStringLiteral("import"), target.location(), exported, QStringLiteral("--into"),
               QStringLiteral("equipment"), create, QStringLiteral("--skip"),
               QStringLiteral("Photograph"), QStringLiteral("--skip"),
               QStringLiteral("Photograph ID"), QStringLiteral("--skip"),
               QStringLiteral("Category ID")});
    EXPECT_EQ(r.status, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(checkDatabase(*store), QStringList());
    EXPECT_EQ(checkDatabase(*target.openStore()), QStringList());
    // Every write above is in the history, under the schema's names.
    HistoryFilter assetFive;
    assetFive.table = QStringLiteral("Table_asset");
    assetFive.key = 5;
    EXPECT_FALSE(read_history(*store, assetFive).empty());
}

GEARLOG_BOTH_STORES(Sample);

TEST(AdminCommand, CreateSampleCheckAndRefusals) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kit.gearlog"));
    EXPECT_EQ(admin({QStringLiteral("create"), file}).status, 0);
    const Result again = admin({QStringLiteral("create"), file});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("--force")));
    EXPECT_EQ(admin({QStringLiteral("sample"), file, QStringLiteral("--assets"),
                     QStringLiteral("50"), QStringLiteral("--force")})
                  .status,
              0);
    const Result check = admin({QStringLiteral("check"), file});
    EXPECT_EQ(check.status, 0) << check.err.toStdString();

    EXPECT_EQ(admin({}).status, 2);
    EXPECT_EQ(admin({QStringLiteral("frobnicate"), file}).status, 2);
    EXPECT_EQ(
        admin({QStringLiteral("sample"), file, QStringLiteral("--assets"), QStringLiteral("many")})
            .status,
        2);
    EXPECT_EQ(admin({QStringLiteral("check")}).status, 2);

    const QString junk =
        writeFile(dir.filePath(QStringLiteral("junk.gearlog")), QByteArray(2048, 'j'));
    const Result bad = admin({QStringLiteral("check"), junk});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("is not a Gearlog database")))
        << bad.err.toStdString();
    EXPECT_EQ(admin({QStringLiteral("check"), dir.filePath(QStringLiteral("none.gearlog"))}).status,
              1);
}

// Damage is listed page by page, not one abort; only the full check reads
// every index against its table.
TEST(AdminCommand, CheckListsDamagedPagesAndTheFullCheckIndexDamage) {
    QTemporaryDir dir;
    const QString file = sampleFile(dir, 2000);
    const auto leafOf = [&](const char* name) {
        const auto store = openFileStore(file);
        return store
            ->select(QStringLiteral("SELECT pageno FROM dbstat WHERE name = '%1' AND pagetype = "
                                    "'leaf' ORDER BY pageno LIMIT 1 OFFSET 1")
                         .arg(QLatin1String(name)),
                     {}, {FieldType::Long})
            .at(0)
            .at(0)
            .toInt();
    };
    const int table = leafOf("Table_asset"), index = leafOf("Table_asset_StatusID");
    const auto poke = [&](int page, int offset, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((page - 1) * 4096 + offset);
        f.write(bytes);
    };
    poke(index, 4095, QByteArray(1, '\x07'));
    EXPECT_EQ(admin({QStringLiteral("check"), file}).status, 0);
    const Result full = admin({QStringLiteral("check"), file, QStringLiteral("--full")});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.err.contains(QStringLiteral("index Table_asset_StatusID")))
        << full.err.toStdString();
    poke(table, 3, QByteArray(16, '\xff'));
    const Result damaged = admin({QStringLiteral("check"), file});
    EXPECT_EQ(damaged.status, 1);
    EXPECT_TRUE(damaged.err.startsWith(QStringLiteral("Page %1: ").arg(table)))
        << damaged.err.toStdString();
}

// The server's roles: a reader opens read only, a writer writes, a role
// without grants is refused in plain words, one with a schema of its own
// still finds the team's tables, and one that may create nothing is not
// offered to.
TEST(AdminCommand, ServerRolesReadWriteAndRefuse) {
    FreshDatabase db(Engine::Postgres, false);
    const Result created =
        admin({QStringLiteral("create-schema"), db.location(), QStringLiteral("--roles")});
    ASSERT_EQ(created.status, 0) << created.err.toStdString();
    auto admin = db.openStore();
    EXPECT_TRUE(history_table_exists(*admin)); // writer desks record from the start
    const QString tag = QUuid::createUuid().toString(QUuid::Id128).left(12);
    const auto role = [&](const char* kind, const QString& grant) {
        const QString name = QStringLiteral("%1_%2").arg(QLatin1String(kind), tag);
        admin->execute(QStringLiteral("CREATE ROLE %1 LOGIN %2").arg(name, grant), {});
        ConnectionString c = ConnectionString::parse(db.location());
        c.user = name;
        return c.toString();
    };
    const QString reader = role("r", QStringLiteral("IN ROLE gearlog_reader"));
    const QString writer = role("w", QStringLiteral("IN ROLE gearlog_writer"));
    const QString nobody = role("n", QString());
    const QString owner = role("o", QStringLiteral("IN ROLE gearlog_writer"));
    admin->execute(QStringLiteral("CREATE SCHEMA o_%1 AUTHORIZATION o_%1").arg(tag), {});

    auto read = Session::openServer(reader);
    EXPECT_TRUE(read->isReadOnly());
    EXPECT_TRUE(read->database().store().openingNotice().contains(QStringLiteral("may read")));
    EXPECT_FALSE(failureOf([&] {
                     read->execute(
                         QStringLiteral("UPDATE Table_status SET Name = 'x' WHERE ID = 1"));
                 }).isEmpty());
    auto write = Session::openServer(writer);
    EXPECT_FALSE(write->isReadOnly());
    EXPECT_EQ(write->execute(QStringLiteral("UPDATE Table_status SET Name = 'W' WHERE ID = 1")), 1);
    EXPECT_TRUE(failureOf([&] {
                    Session::openServer(nobody);
                }).contains(QStringLiteral("lacks the privileges to read")));
    auto own = Session::openServer(owner);
    EXPECT_TRUE(own->hasSchema());
    EXPECT_FALSE(own->isReadOnly());
    EXPECT_EQ(checkDatabaseAt(owner), QStringList());

    // The owner's first opening makes the history, which the writer may add
    // to: each desk's change carries its own role.
    const auto rename = [](Session& desk, const QString& name) {
        desk.openTableCursors();
        Recordset& statuses = desk.rs_status();
        ASSERT_TRUE(find_record_by_number(statuses, QStringLiteral("ID"), 2));
        statuses.edit();
        statuses.setValue(QStringLiteral("Name"), name);
        statuses.update();
    };
    rename(*db.openSession(), QStringLiteral("By the owner"));
    rename(*Session::openServer(writer), QStringLiteral("By the writer"));
    QStringList who;
    for (const HistoryEntry& e : read_history(*db.openStore(), {}))
        who << e.who;
    EXPECT_EQ(who, (QStringList{QStringLiteral("w_") + tag, QStringLiteral("postgres")}));

    FreshDatabase empty(Engine::Postgres, false);
    ConnectionString plain = ConnectionString::parse(empty.location());
    plain.user = QStringLiteral("n_") + tag;
    auto bare = Session::openServer(plain.toString());
    EXPECT_FALSE(bare->hasSchema());
    EXPECT_FALSE(bare->mayCreateSchema());
}

// A file moved up to an empty server database and back: every table with
// its keys and photographs, and the history, the same on both; a database
// that already holds one is refused.
TEST(AdminCommand, CopyMovesAFileToAServerAndBack) {
    QTemporaryDir dir;
    const QString file = sampleFile(dir, 120);
    {
        const Result imported =
            admin({QStringLiteral("import"), file,
                   [&] {
                       QFile csv(dir.filePath(QStringLiteral("a.csv")));
                       csv.open(QIODevice::WriteOnly);
                       csv.write("ID,Model\n5,MOVED\n");
                       return csv.fileName();
                   }(),
                   QStringLiteral("--into"), QStringLiteral("assets"), QStringLiteral("--update")});
        ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    }
    FreshDatabase server(Engine::Postgres, false);
    const Result up = admin({QStringLiteral("copy"), file, server.location()});
    ASSERT_EQ(up.status, 0) << up.err.toStdString();
    EXPECT_EQ(admin({QStringLiteral("check"), server.location()}).status, 0);
    const auto history = [](Store& store) {
        return store.select(QStringLiteral("SELECT ID, RecordID, Field, After FROM Table_history "
                                           "ORDER BY ID"),
                            {},
                            {FieldType::Long, FieldType::Long, FieldType::Text, FieldType::Text});
    };
    EXPECT_EQ(history(*server.openStore()), history(*openFileStore(file)));
    EXPECT_FALSE(history(*server.openStore()).empty());
    EXPECT_EQ(admin({QStringLiteral("copy"), file, server.location()}).status, 1);
    const QString back = dir.filePath(QStringLiteral("back.gearlog"));
    const Result down = admin({QStringLiteral("copy"), server.location(), back});
    ASSERT_EQ(down.status, 0) << down.err.toStdString();
    EXPECT_EQ(compareCopies(*openFileStore(file), *openFileStore(back)), QStringList());
    EXPECT_EQ(history(*openFileStore(back)), history(*openFileStore(file)));
}

// book, availability and bookings: what is free, the last units booked, a
// booking past them refused with nothing written, and bad lines said.
TEST(AdminCommand, BooksWhatIsFreeAndRefusesTheRest) {
    QTemporaryDir dir;
    const QString file = sampleFile(dir, 200);
    const Row busiest =
        openFileStore(file)
            ->select(QStringLiteral("SELECT e.Name, (SELECT Name FROM Table_contact ORDER BY ID "
                                    "LIMIT 1) FROM Table_equipment e JOIN Table_asset a ON "
                                    "a.EquipmentID = e.ID GROUP BY e.ID, e.Name ORDER BY "
                                    "count(*) DESC LIMIT 1"),
                     {}, {FieldType::Text, FieldType::Text})
            .front();
    const QString type = busiest[0].toString(), receiver = busiest[1].toString();
    const QDate day = QDate::currentDate().addDays(30);
    const QStringList span{QStringLiteral("--equipment"), type,
                           QStringLiteral("--from"),      day.toString(Qt::ISODate),
                           QStringLiteral("--to"),        day.addDays(1).toString(Qt::ISODate)};
    const Result free =
        admin(QStringList{QStringLiteral("availability"), file, QStringLiteral("--csv")} + span);
    ASSERT_EQ(free.status, 0) << free.err.toStdString();
    const QStringList lines = free.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QStringLiteral("Date,Free"));
    const QString units = lines[1].section(QLatin1Char(','), 1);
    const QStringList booking =
        QStringList{QStringLiteral("book"), file, QStringLiteral("--receiver"), receiver} + span;
    const Result made = admin(booking + QStringList{QStringLiteral("--quantity"), units});
    EXPECT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, QStringLiteral("1\n"));
    const Result refused =
        admin(booking + QStringList{QStringLiteral("--quantity"), QStringLiteral("1")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, QStringLiteral("gearlog-admin: Only 0 %1 are free on %2; the booking "
                                          "asks for 1.\n")
                               .arg(type, format_date(day)));
    EXPECT_EQ(admin(booking).status, 2); // no quantity
    const Result listed = admin({QStringLiteral("bookings"), file, QStringLiteral("--csv")});
    EXPECT_TRUE(
        listed.out.startsWith(QStringLiteral("ID,Name,Receiver,Leaves,Back,Lines,State\r\n1,")))
        << listed.out.toStdString();
    EXPECT_EQ(admin({QStringLiteral("check"), file}).status, 0);
}

TEST(AdminCommand, ServerSchemaAndConnectionFailure) {
    FreshDatabase empty(Engine::Postgres, false);
    EXPECT_EQ(admin({QStringLiteral("create-schema"), empty.location()}).status, 0);
    EXPECT_EQ(admin({QStringLiteral("check"), empty.location()}).status, 0);
    const Result unreachable =
        admin({QStringLiteral("check"),
               QStringLiteral("Driver=QPSQL;Host=127.0.0.1;Port=1;Database=x;User=y")});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_FALSE(unreachable.err.isEmpty());
}

} // namespace
