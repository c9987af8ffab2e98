#include "ConnectionString.h"
#include "DatabaseCreation.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "SchemaBuilder.h"
#include "TestStores.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace gearlog;
using namespace gearlog::test;

namespace {

TEST(Session, BadFilesAreRefusedWithTheirReason) {
    QTemporaryDir dir;
    const QString text =
        writeFile(dir.filePath(QStringLiteral("notes.gearlog")), QByteArray(4096, 'x'));
    EXPECT_EQ(failureOf([&] { Session::openFile(text); }),
              text + QStringLiteral(" is not a Gearlog database"));
    EXPECT_TRUE(failureOf([&] {
                    Session::openFile(dir.filePath(QStringLiteral("none")));
                }).endsWith(QStringLiteral(" does not exist.")));
    EXPECT_NE(failureOf([&] { Session::openFile(dir.path()); }), QString());
}

TEST(Session, ReadOnlyFileRefusesWritesWithTheEnginesText) {
    FreshDatabase base(Engine::Sqlite);
    ReadOnlyPath readOnly(base.location());
    if (!readOnly.works())
        GTEST_SKIP() << "this file system cannot make a file read-only for root";
    const QString text = failureOf([&] {
        auto s = Session::openFile(base.location());
        s->openTableCursors();
        s->rs_status().addNew();
        s->rs_status().setValue(QStringLiteral("ID"), 10);
        s->rs_status().setValue(QStringLiteral("Name"), QStringLiteral("x"));
        s->rs_status().update();
    });
    EXPECT_TRUE(text.contains(QStringLiteral("readonly")) ||
                text.contains(QStringLiteral("unable to open")))
        << text.toStdString();
}

TEST(Session, UnreachableServerReportsTheServersText) {
    ConnectionString unreachable = ConnectionString::parse(serverConnection());
    unreachable.port = 1; // nothing listens there
    const QString text = failureOf([&] { Session::openServer(unreachable.toString()); });
    EXPECT_TRUE(text.contains(QStringLiteral("connect"), Qt::CaseInsensitive))
        << text.toStdString();
    ConnectionString wrongDatabase = ConnectionString::parse(serverConnection());
    wrongDatabase.database = QStringLiteral("no_such_database");
    EXPECT_TRUE(failureOf([&] {
                    Session::openServer(wrongDatabase.toString());
                }).contains(QStringLiteral("no_such_database")));
}

TEST(Session, EmptyServerDatabaseCanBeGivenTheSchema) {
    FreshDatabase base(Engine::Postgres, false);
    auto session = base.openSession();
    EXPECT_FALSE(session->hasSchema());
    session->createSchema();
    EXPECT_TRUE(session->hasSchema());
    session->openTableCursors();
    EXPECT_EQ(record_count(session->rs_status()), 9);
    EXPECT_EQ(session->dataSourceName(), ConnectionString::parse(base.location()).database);
}

TEST(ConnectionStrings, KeysIgnoreCaseAndNameTheSource) {
    const auto c = ConnectionString::parse(
        QStringLiteral("driver=QPSQL; HOST=db1 ;port=5433;DataBase=kit;user=ann"));
    EXPECT_EQ(c.host, QStringLiteral("db1"));
    EXPECT_EQ(c.port, 5433);
    EXPECT_EQ(c.database, QStringLiteral("kit"));
    EXPECT_EQ(c.user, QStringLiteral("ann"));
    EXPECT_EQ(c.dataSourceName(), QStringLiteral("kit on db1"));
    EXPECT_EQ(c.toString(),
              QStringLiteral("Driver=QPSQL;Host=db1;Port=5433;Database=kit;User=ann"));
    EXPECT_EQ(ConnectionString::parse(QStringLiteral("Database=kit;Host=/run/postgresql"))
                  .dataSourceName(),
              QStringLiteral("kit"));
}

// Connections as administrators write them: host and port lists (a list
// reaches a server that takes writes unless told otherwise), a service of
// libpq's service file, the kind of session and the time to connect.
TEST(ConnectionStrings, ListsServicesAndSessionKinds) {
    const auto c = ConnectionString::parse(
        QStringLiteral("Host=db1,db2;Port=5432,5433;Database=kit;TargetSessionAttrs=Prefer-Standby;"
                       "ConnectTimeout=7"));
    EXPECT_EQ(c.port, 5432);
    EXPECT_EQ(ConnectionString::parse(c.toString()).toString(), c.toString());
    const QString options = c.libpqOptions(10);
    for (const char* part :
         {"connect_timeout=7", "port=5432,5433", "target_session_attrs=prefer-standby"})
        EXPECT_TRUE(options.contains(QLatin1String(part))) << part;
    EXPECT_TRUE(ConnectionString::parse(QStringLiteral("Host=a,b"))
                    .libpqOptions(10)
                    .contains(QLatin1String("target_session_attrs=read-write")));
    EXPECT_FALSE(ConnectionString::parse(QStringLiteral("Service=inventory")).isLocal());
    // Tools verify another machine's server unless told otherwise.
    EXPECT_TRUE(remoteVerified(QStringLiteral("Host=db.example.org;Database=kit"))
                    .contains(QLatin1String("SSLMode=verify-full")));
    EXPECT_FALSE(remoteVerified(QStringLiteral("Host=localhost")).contains(QLatin1String("SSL")));
    EXPECT_TRUE(remoteVerified(QStringLiteral("Host=db.example.org;SSLMode=require"))
                    .contains(QLatin1String("SSLMode=require")));
    for (const char* bad : {"Port=5432,x", "TargetSessionAttrs=fastest", "ConnectTimeout=0"})
        EXPECT_TRUE(failureOf([&] {
                        ConnectionString::parse(QString::fromLatin1(bad));
                    }).startsWith(QLatin1String("Invalid connection string")))
            << bad;
}

// The first host of a list that answers is used; a service is read from the
// service file; a write the server refuses as read only is said in words.
TEST(Session, HostListsServicesAndReadOnlySessions) {
    FreshDatabase base(Engine::Postgres);
    ConnectionString listed = ConnectionString::parse(base.location());
    listed.host = QStringLiteral("/nonexistent-gearlog-socket,") + listed.host;
    listed.ports = QStringLiteral("%1,%1").arg(listed.port);
    EXPECT_TRUE(Session::openServer(listed.toString())->hasSchema());

    QTemporaryDir dir;
    const ConnectionString real = ConnectionString::parse(base.location());
    QFile services(dir.filePath(QStringLiteral("pg_service.conf")));
    ASSERT_TRUE(services.open(QIODevice::WriteOnly));
    services.write(QStringLiteral("[inventory]\nhost=%1\nport=%2\ndbname=%3\nuser=%4\n")
                       .arg(real.host)
                       .arg(real.port)
                       .arg(real.database, real.user)
                       .toUtf8());
    services.close();
    qputenv("PGSERVICEFILE", services.fileName().toLocal8Bit());
    auto viaService = Session::openServer(QStringLiteral("Driver=QPSQL;Service=inventory"));
    qunsetenv("PGSERVICEFILE");
    EXPECT_TRUE(viaService->hasSchema());
    Store& store = viaService->database().store();
    // A statement past the connection's limit is stopped and said in words.
    ConnectionString limited = real;
    limited.statementTimeout = 1;
    auto quick = Session::openServer(limited.toString());
    EXPECT_TRUE(failureOf([&] {
                    quick->database().store().select(QStringLiteral("SELECT pg_sleep(3)"), {}, {});
                }).startsWith(QLatin1String("The server stopped this command")));
    store.execute(QStringLiteral("SET default_transaction_read_only = on"));
    EXPECT_EQ(failureOf([&] {
                  store.execute(
                      QStringLiteral("INSERT INTO Table_Status (ID, Name) VALUES (99, 'x')"));
              }).contains(QLatin1String("takes no changes")),
              true);
}

// A connection the server ended is made again: a read goes on at once, a
// transaction the break cut writes nothing and says so, the next commits.
TEST(Session, ALostConnectionIsMadeAgain) {
    FreshDatabase base(Engine::Postgres);
    auto desk = Session::openServer(base.location());
    Store& store = desk->database().store();
    auto other = base.openStore();
    const auto endDesksConnection = [&] {
        const int pid =
            store.select(QStringLiteral("SELECT pg_backend_pid()"), {}, {FieldType::Long})
                .front()[0]
                .toInt();
        other->select(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid}, {});
    };
    endDesksConnection();
    EXPECT_EQ(store.select(QStringLiteral("SELECT 1"), {}, {FieldType::Long}).front()[0], 1);

    const QString insert = QStringLiteral("INSERT INTO Table_Status (ID, Name) VALUES (?, ?)");
    store.begin();
    store.execute(insert, {41, QStringLiteral("Cut")});
    endDesksConnection();
    const QString cut = failureOf([&] {
        store.execute(insert, {42, QStringLiteral("Cut too")});
        store.commit();
    });
    store.rollback();
    EXPECT_EQ(cut, QStringLiteral("The connection to the server was lost while saving; nothing "
                                  "was saved. Save again."));
    // Idle through the break: the next transaction starts on a new one.
    endDesksConnection();
    store.begin();
    store.execute(insert, {43, QStringLiteral("Kept")});
    store.commit();
    EXPECT_EQ(other->select(QStringLiteral("SELECT Name FROM Table_Status WHERE ID > 40"), {},
                            {FieldType::Text}),
              (std::vector<Row>{{QStringLiteral("Kept")}}));
}

// A value can never add a key of its own; bad ports and foreign drivers are
// refused by name.
TEST(ConnectionStrings, ValuesAreQuotedAndBadOnesRefused) {
    ConnectionString c;
    c.host = QStringLiteral("db1");
    c.user = QStringLiteral("postgres;Database=inj");
    c.database = QStringLiteral("kit \"main\"");
    const ConnectionString back = ConnectionString::parse(c.toString());
    EXPECT_EQ(back.user, c.user);
    EXPECT_EQ(back.database, c.database);
    EXPECT_EQ(back.host, QStringLiteral("db1"));

    EXPECT_TRUE(failureOf([] {
                    ConnectionString::parse(QStringLiteral("Driver=QPSQL;Port=abc"));
                }).contains(QStringLiteral("port")));
    EXPECT_FALSE(
        failureOf([] { ConnectionString::parse(QStringLiteral("Port=5432;Passwd=x")); }).isEmpty());
    EXPECT_EQ(ConnectionString::parse(QStringLiteral("driver=qpsql;Database=kit")).driver,
              QStringLiteral("QPSQL"));
    const QString sqlite =
        failureOf([] { Session::openServer(QStringLiteral("Driver=QSQLITE;Database=kit")); });
    EXPECT_TRUE(sqlite.contains(QStringLiteral("QSQLITE")) &&
                sqlite.contains(QStringLiteral("not supported")))
        << sqlite.toStdString();
}

// The injected "Database=" of a user name does not choose the database.
TEST(Session, AUserNameCannotChooseAnotherDatabase) {
    ConnectionString c = ConnectionString::parse(serverConnection());
    c.user = c.user + QStringLiteral(";Database=inj");
    const QString text = failureOf([&] { Session::openServer(c.toString()); });
    EXPECT_TRUE(text.contains(QStringLiteral("postgres;Database=inj"))) << text.toStdString();
}

// Quoting means the same whatever the server's default, and filtered
// queries do not stay prepared for ever.
TEST(Session, ServerSessionsQuoteAlikeAndBoundTheirStatements) {
    FreshDatabase base(Engine::Postgres);
    const QString name = ConnectionString::parse(base.location()).database;
    openServerStore(base.location())
        ->execute(
            QStringLiteral("ALTER DATABASE %1 SET standard_conforming_strings = off").arg(name),
            {});
    auto session = base.openSession();
    session->execute(QStringLiteral(R"(UPDATE Table_category SET Name = 'C:	emp' WHERE ID = 1)"));
    auto rs = session->openRecordset(QStringLiteral("SELECT * FROM Table_category WHERE ID = 1"));
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral(R"(C:	emp)"));

    Store& store = session->database().store();
    for (int i = 0; i < 600; ++i)
        store.select(
            QStringLiteral("SELECT ID FROM Table_category WHERE ID <> %1 AND ID = ?").arg(i), {1},
            {});
    const auto prepared = store.select(
        QStringLiteral("SELECT count(*) FROM pg_prepared_statements"), {}, {FieldType::Long});
    EXPECT_LE(prepared.front()[0].toInt(), 300);
}

// The views' working cursors: a failed open keeps the one that was open,
// and one never opened is an error, not a crash.
TEST(Session, WorkingCursorsSurviveAFailedOpen) {
    FreshDatabase base(Engine::Sqlite);
    auto session = base.openSession();
    EXPECT_THROW(session->rs_query(), EngineError);
    EXPECT_THROW(session->rs_asset_query(), EngineError);
    EXPECT_THROW(session->rs_shipping_query(), EngineError);
    session->open_query(QStringLiteral("SELECT * FROM Table_status ORDER BY ID"));
    session->open_asset_query(QStringLiteral("SELECT * FROM Table_asset ORDER BY ModelNumber"));
    EXPECT_THROW(session->open_query(QStringLiteral("SELECT * FROM Table_status WHERE Nope = 1")),
                 EngineError);
    EXPECT_EQ(record_count(session->rs_query()), 9);
    EXPECT_EQ(record_count(session->rs_asset_query()), 0);
}

// Scripted answers for "Create Database".
class ScriptedPrompts : public CreationPrompts {
public:
    QString file;
    bool cancel = false;
    bool overwrite = true;
    QStringList asked, shown;
    QString title, filter, extension;

    bool chooseSaveFile(QString& fileName, const QString& defaultExtension, const QString& f,
                        const QString& t) override {
        extension = defaultExtension;
        filter = f;
        title = t;
        if (cancel)
            return false;
        fileName = file;
        return true;
    }
    bool askYesNo(const QString& question) override {
        asked << question;
        return overwrite;
    }
    void showMessage(const QString& text) override { shown << text; }
};

TEST(CreateDatabase, BuildsReplacesAndRespectsNo) {
    FreshDatabase open(Engine::Sqlite);
    auto session = open.openSession();
    session->openTableCursors();
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    prompts.file = dir.filePath(QStringLiteral("new.gearlog"));
    EXPECT_EQ(create_database(prompts), prompts.file);
    EXPECT_EQ(prompts.title, QStringLiteral("Select the database file to create"));
    EXPECT_EQ(prompts.extension, QStringLiteral("gearlog"));
    EXPECT_EQ(prompts.filter,
              QStringLiteral("Gearlog Database (*.gearlog)|*.gearlog|All files (*)|*"));
    EXPECT_TRUE(prompts.asked.isEmpty());

    // Put a row in, then create over it: the old rows are gone.
    {
        auto created = Session::openFile(prompts.file);
        created->openTableCursors();
        created->execute(QStringLiteral("DELETE FROM Table_status"));
    }
    prompts.overwrite = false;
    EXPECT_EQ(create_database(prompts), QString());
    EXPECT_EQ(prompts.asked, QStringList{QStringLiteral("That file already exists. Overwrite?")});
    prompts.overwrite = true;
    EXPECT_EQ(create_database(prompts), prompts.file);
    auto recreated = Session::openFile(prompts.file);
    recreated->openTableCursors();
    EXPECT_EQ(record_count(recreated->rs_status()), 9);
    // The open session was never touched.
    EXPECT_EQ(record_count(session->rs_category()), 6);
    EXPECT_TRUE(prompts.shown.isEmpty());

    prompts.cancel = true;
    EXPECT_EQ(create_database(prompts), QString());
}

TEST(CreateDatabase, FailureIsReportedWithItsPrefixAndLeavesNoFile) {
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    prompts.file = dir.filePath(QStringLiteral("missing-folder/new.gearlog"));
    EXPECT_EQ(create_database(prompts), QString());
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown.front().startsWith(
        QStringLiteral("An error occurred while creating the database: ")));
    EXPECT_GT(prompts.shown.front().size(), 48);
    EXPECT_FALSE(QFile::exists(prompts.file));
}

} // namespace
