#include "ConnectionString.h"
#include "DatabaseCopy.h"
#include "DatabaseFile.h"
#include "EngineError.h"
#include "SchemaBuilder.h"
#include "ServerBlobs.h"
#include "ServerWatch.h"
#include "Store.h"
#include "StoreValues.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <future>
#include <libpq-fe.h>

namespace gearlog {

namespace {

// Seconds libpq waits for each address of a server that does not answer.
constexpr int connectSeconds = 5;

QString errorText(const QSqlError& error) {
    // The server's own message is the useful part; Qt's wrapper text is not.
    const QString database = error.databaseText().trimmed();
    const QString text = database.isEmpty() ? error.text() : database;
    // read_only_sql_transaction: a standby, or a primary turned standby.
    if (error.nativeErrorCode() == QLatin1String("25006"))
        return QStringLiteral("The server takes no changes on this connection (it is a standby, "
                              "or the session is read only), so nothing was written");
    // query_canceled: the statement ran past the connection's limit.
    if (error.nativeErrorCode() == QLatin1String("57014"))
        return QStringLiteral("The server stopped this command because it ran longer than the "
                              "connection allows (StatementTimeout, 60 seconds unless set), so "
                              "nothing was written");
    // lock_not_available, or two desks waiting for each other: try again.
    if (error.nativeErrorCode() == QLatin1String("55P03") ||
        error.nativeErrorCode() == QLatin1String("40P01"))
        return lockWaitText();
    if (text.contains(QLatin1String("timeout expired")))
        return QStringLiteral("The server did not answer within %1 seconds (%2)")
            .arg(connectSeconds)
            .arg(text);
    return text;
}

// The server store: a database server reached through a Qt SQL driver.
class ServerStore final : public Store {
public:
    explicit ServerStore(const QString& connectionString)
        : m_connection(ConnectionString::parse(connectionString)) {}

    void open(const QString& password) {
        m_connection.requireSupportedDriver();
        if (!QSqlDatabase::isDriverAvailable(m_connection.driver))
            throw EngineError(
                QStringLiteral("The database driver %1 is not installed").arg(m_connection.driver));
        m_password = password;
        m_connectionName = QStringLiteral("gearlog-server-") + QUuid::createUuid().toString();
        QSqlDatabase db = QSqlDatabase::addDatabase(m_connection.driver, m_connectionName);
        db.setHostName(m_connection.host);
        if (m_connection.port > 0 && m_connection.ports.isEmpty())
            db.setPort(m_connection.port);
        db.setDatabaseName(m_connection.database);
        db.setUserName(m_connection.user);
        db.setPassword(password);
        db.setConnectOptions(m_connection.libpqOptions(connectSeconds));
        m_db = db;
        connectSession();
    }

    ~ServerStore() override {
        // A reconnection being tried is waited for: it uses this store.
        if (m_probe.valid())
            m_probe.wait();
        // Before the connection goes: its socket may be reused after.
        m_watch.reset();
        m_queries.clear();
        m_failed.clear();
        m_direct = QSqlQuery();
        if (m_connectionName.isEmpty())
            return;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }

    Engine engine() const override { return Engine::Postgres; }
    QString dataSourceName() const override { return m_connection.dataSourceName(); }

    int execute(const QString& sql, const QVariantList& params) override {
        QSqlQuery& query = run(sql, params);
        const int affected = query.numRowsAffected();
        query.finish();
        return affected;
    }

    std::vector<Row> select(const QString& sql, const QVariantList& params,
                            const std::vector<FieldType>& types) override {
        QSqlQuery& query = run(sql, params);
        std::vector<Row> rows;
        const int columns = query.record().count();
        while (query.next()) {
            Row row;
            row.reserve(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                const FieldType type = typeAt(types, c);
                row.push_back(normalise(query.value(c), type));
            }
            rows.push_back(std::move(row));
        }
        query.finish();
        return rows;
    }

    std::vector<int> selectKeys(const QString& sql, const QVariantList& params) override {
        QSqlQuery& query = run(sql, params);
        std::vector<int> keys;
        if (query.size() > 0)
            keys.reserve(static_cast<size_t>(query.size()));
        while (query.next())
            keys.push_back(query.value(0).toInt());
        query.finish();
        return keys;
    }

    void setLockWait(int milliseconds) override {
        execute(QStringLiteral("SET lock_timeout = %1").arg(milliseconds), {});
    }

    void begin() override {
        relink();
        if (!beginOnce() && connectionLost()) {
            // Broken while the desk was idle: found only now, before
            // anything was done, so the transaction can start again.
            relink();
            if (beginOnce())
                return;
        }
        if (!m_inTransaction)
            throw failure(m_db.lastError(), QStringLiteral("begin"));
    }
    void commit() override {
        // Whether the transaction wrote anything, and which it was: a
        // commit cut off is asked about by its number once reconnected.
        const QVariant written =
            select(QStringLiteral("SELECT txid_current_if_assigned()"), {}, {FieldType::Double})
                .front()[0];
        m_failed.clear();
        m_inTransaction = false;
        bool committed = false;
        {
            const ServerWatch::Waiting waiting(m_watch.get());
            committed = m_db.commit();
        }
        if (committed)
            return;
        const QSqlError error = m_db.lastError();
        if (!connectionLost())
            throw failure(error, QStringLiteral("commit"));
        if (!written.isNull())
            settleCommit(static_cast<qint64>(written.toDouble()));
    }
    void rollback() override {
        if (!m_inTransaction || connectionLost()) {
            // The server dropped the transaction with the connection.
            m_inTransaction = false;
            m_failed.clear();
            return;
        }
        const ServerWatch::Waiting waiting(m_watch.get());
        const bool rolledBack = m_db.rollback();
        m_inTransaction = false;
        m_failed.clear();
        if (!rolledBack)
            throw failure(m_db.lastError(), QStringLiteral("rollback"));
    }

    Link keepLinked() override {
        if (m_inTransaction)
            return Link::Up;
        if (m_probe.valid()) {
            if (m_probe.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
                return Link::Down;
            // The server took a connection just now: this one follows.
            return m_probe.get() && reconnect() ? Link::Restored : Link::Down;
        }
        if (!linkBroken())
            return Link::Up;
        // Tried off this thread: a server that does not answer holds the
        // probe, never the desk.
        m_probe = std::async(
            std::launch::async, [conninfo = m_connection.conninfo(connectSeconds).toUtf8(),
                                 password = m_password.toUtf8()] {
                const char* keys[] = {"dbname", "password", nullptr};
                const char* values[] = {conninfo.constData(), password.constData(), nullptr};
                PGconn* probe = PQconnectdbParams(keys, values, 1);
                const bool made = PQstatus(probe) == CONNECTION_OK;
                PQfinish(probe);
                return made;
            });
        return Link::Down;
    }
    QString linkedTo() const override {
        if (connectionLost())
            return m_connection.dataSourceName();
        const PGconn* connection = nativeConnection();
        const QString host = QString::fromUtf8(PQhost(connection));
        const QString port = QString::fromUtf8(PQport(connection));
        return host.startsWith(QLatin1Char('/'))
                   ? QStringLiteral("the server on this machine (port %1)").arg(port)
                   : host + QLatin1Char(':') + port;
    }

    QVariant blobValue(const QString& table, const QString& field, int id) override {
        relink();
        const ServerWatch::Waiting waiting(m_watch.get());
        try {
            return readServerBlob(nativeConnection(), table, field, id);
        } catch (const ServerBlobError& e) {
            throw failure(e.text, QStringLiteral("read ") + field, e.sql);
        }
    }
    void writeBlob(const QString& table, const QString& field, int id,
                   const QByteArray& bytes) override {
        relink();
        const ServerWatch::Waiting waiting(m_watch.get());
        try {
            writeServerBlob(nativeConnection(), table, field, id, bytes);
        } catch (const ServerBlobError& e) {
            throw failure(e.text, QStringLiteral("write ") + field, e.sql);
        }
    }

    bool isReadOnly() const override { return m_readOnly; }
    QString openingNotice() const override {
        if (m_standby)
            return QStringLiteral("%1 is a standby server: it can be read, but it takes no "
                                  "changes (to write, connect to its primary, or give a host "
                                  "list with TargetSessionAttrs=read-write).")
                .arg(m_connection.dataSourceName());
        return m_readOnly ? QStringLiteral("Your server role %1 may read this database but not "
                                           "change it.")
                                .arg(m_role)
                          : QString();
    }
    bool canCreateTables() override {
        return select(QStringLiteral("SELECT current_schema() IS NOT NULL AND "
                                     "has_schema_privilege(current_schema(), 'CREATE')"),
                      {}, {FieldType::Boolean})
            .front()[0]
            .toBool();
    }

    // A server database is copied into a database file.
    void backupTo(const QString& path, bool replace) override {
        writeDatabaseFile(path, replace, [this](const QString& temporary) {
            auto file = createFileStore(temporary);
            buildSchema(*file);
            copyDatabase(*this, *file);
        });
    }

    // Tables are found as the server resolves their names: along the
    // role's search_path, so a schema of the role's own that holds nothing
    // never hides the team's tables further along it.
    QStringList tableNames() override {
        return stringColumn(QStringLiteral("SELECT lower(relname) FROM pg_class WHERE relkind IN "
                                           "('r', 'p') AND pg_table_is_visible(oid) ORDER BY 1"),
                            {});
    }
    QStringList columnNames(const QString& table) override {
        return stringColumn(QStringLiteral("SELECT lower(attname) FROM pg_attribute WHERE "
                                           "attrelid = to_regclass(lower(?)) AND attnum > 0 AND "
                                           "NOT attisdropped ORDER BY attnum"),
                            {table});
    }
    QStringList indexedColumns(const QString& table) override {
        return stringColumn(
            QStringLiteral("SELECT lower(a.attname) FROM pg_index i JOIN pg_attribute a ON "
                           "a.attrelid = i.indrelid AND a.attnum = ANY(i.indkey) WHERE i.indrelid "
                           "= to_regclass(lower(?))"),
            {table});
    }

private:
    static constexpr qsizetype maxCachedStatements = 256;

    PGconn* nativeConnection() const {
        const QVariant handle = m_db.driver()->handle();
        if (qstrcmp(handle.typeName(), "pg_conn*") != 0)
            throw EngineError(QStringLiteral("The PostgreSQL driver gave no native handle"));
        return *static_cast<PGconn* const*>(handle.constData());
    }

    // Watches this connection's waits from the moment it is open.
    void watch() {
        // The server this connection reached (of a list, or a service's).
        PGconn* connection = nativeConnection();
        m_watch = std::make_unique<ServerWatch>(QString::fromUtf8(PQhost(connection)),
                                                QString::fromUtf8(PQport(connection)).toInt(),
                                                PQsocket(connection));
    }

    // Opens the connection with the settings given at open and sets its
    // session up: the first opening, and each one after a break.
    void connectSession() {
        if (!m_db.open()) {
            const QString text = errorText(m_db.lastError());
            // Say which server failed to prove itself, with libpq's reason.
            if (text.contains(QLatin1String("SSL"), Qt::CaseInsensitive) ||
                text.contains(QLatin1String("certificate")))
                throw EngineError(QStringLiteral("The connection to %1 was refused as not secure: "
                                                 "%2")
                                      .arg(m_connection.host.isEmpty()
                                               ? QStringLiteral("the server")
                                               : m_connection.host,
                                           text));
            throw EngineError(text);
        }
        watch();
        execute(QStringLiteral("SET datestyle TO ISO"), {});
        execute(QStringLiteral("SET client_min_messages TO WARNING"), {});
        // Quoted text means the same whatever the server's default.
        execute(QStringLiteral("SET standard_conforming_strings = on"), {});
        // Longer than the program's own largest statement: only a runaway
        // one (or one whose server process hangs) is stopped by the server.
        const int limit = m_connection.statementTimeout >= 0 ? m_connection.statementTimeout : 60;
        execute(QStringLiteral("SET statement_timeout = '%1s'").arg(limit), {});
        setLockWait(defaultLockWaitMs);
        readPrivileges();
    }

    // True when the watch cut a wait because the server stopped answering.
    bool silent() const { return m_watch && m_watch->cut(); }

    // Makes a broken connection again with the same settings (a host list
    // with read-write reaches the server that now takes writes); false
    // when no server takes it yet.
    bool reconnect() {
        m_watch.reset();
        m_queries.clear();
        m_failed.clear();
        m_direct = QSqlQuery();
        m_inTransaction = false;
        m_db.close();
        m_ended = false;
        m_reconnecting = true;
        try {
            connectSession();
        } catch (const EngineError&) {
            m_reconnecting = false;
            m_db.close();
            return false;
        }
        m_reconnecting = false;
        return true;
    }

    // Before a command that starts outside a transaction: a connection
    // that broke is made again first, or the command fails saying so.
    void relink() {
        if (m_reconnecting || m_inTransaction || !connectionLost())
            return;
        // While the desk's own probe waits on a server, a command does not
        // wait on it again.
        const bool probing = m_probe.valid() &&
                             m_probe.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
        if (probing || !reconnect())
            throw EngineError(QStringLiteral("The connection to the server of %1 was lost and is "
                                             "not back yet: Gearlog is reconnecting to it. Try "
                                             "again in a moment.")
                                  .arg(m_connection.dataSourceName()));
    }

    bool beginOnce() {
        const ServerWatch::Waiting waiting(m_watch.get());
        m_inTransaction = m_db.transaction();
        return m_inTransaction;
    }

    // True when the connection is known to be broken, or the server has
    // said so on it while the desk was idle (read without waiting).
    bool linkBroken() const {
        if (connectionLost())
            return true;
        PGconn* connection = nativeConnection();
        // The first read may take the server's farewell, the second its end.
        for (int read = 0; read < 2; ++read)
            if (PQconsumeInput(connection) == 0)
                return true;
        return PQstatus(connection) == CONNECTION_BAD;
    }

    // A commit cut off by a break: the server, once reached again, says
    // whether that transaction was written. Returns when it was.
    void settleCommit(qint64 transaction) {
        if (!reconnect())
            throw EngineError(QStringLiteral("The connection to the server was lost as the change "
                                             "was being saved, and whether it was saved is not "
                                             "known yet: once Gearlog has reconnected, look at "
                                             "the record before saving it again."),
                              QStringLiteral("commit"));
        QString status;
        try {
            // An unknown or future number (a standby promoted before it
            // received the commit) is a transaction not written there.
            status =
                select(QStringLiteral("SELECT txid_status(?)"), {transaction}, {FieldType::Text})
                    .front()[0]
                    .toString();
        } catch (const EngineError&) {
        }
        if (status == QLatin1String("committed"))
            return;
        throw EngineError(lostWhileSaving(), QStringLiteral("commit"));
    }

    static QString lostWhileSaving() {
        return QStringLiteral("The connection to the server was lost while saving; nothing was "
                              "saved. Save again.");
    }

    EngineError failure(const QSqlError& error, const QString& operation,
                        const QString& sql = {}) const {
        // The server ending the session (admin_shutdown, crash_shutdown,
        // cannot_connect_now) or the link failing (class 08).
        const QString code = error.nativeErrorCode();
        if (code.startsWith(QLatin1String("57P0")) || code.startsWith(QLatin1String("08")))
            m_ended = true;
        return failure(errorText(error), operation, sql);
    }
    // The engine's failure; a wait the watch cut says the server is silent.
    EngineError failure(const QString& text, const QString& operation,
                        const QString& sql = {}) const {
        if (silent())
            return EngineError(
                QStringLiteral("The server of %1 is not answering: it may have stopped, or the "
                               "network to it is cut; nothing was saved. Gearlog reconnects "
                               "when it answers again.")
                    .arg(m_connection.dataSourceName()),
                operation, sql);
        if (connectionLost())
            return EngineError(m_inTransaction
                                   ? lostWhileSaving()
                                   : QStringLiteral("The connection to the server of %1 was lost "
                                                    "(%2). Gearlog is reconnecting to it: try "
                                                    "again in a moment.")
                                         .arg(m_connection.dataSourceName(),
                                              text.trimmed().isEmpty() ? QStringLiteral("no answer")
                                                                       : text.trimmed()),
                               operation, sql);
        return EngineError(text, operation, sql);
    }

    // True once the server has ended this connection (a restart, a
    // switchover, an administrator), or the driver has closed it.
    bool connectionLost() const {
        if (m_ended)
            return true;
        const QVariant handle = m_db.driver() ? m_db.driver()->handle() : QVariant();
        if (!m_db.isOpen() || !handle.isValid())
            return true;
        const PGconn* connection = *static_cast<PGconn* const*>(handle.constData());
        return !connection || PQstatus(connection) == CONNECTION_BAD;
    }

    // What the role may do with the tables it finds: a role that may only
    // read opens read only; one that may not even read is refused here,
    // before it is offered anything.
    void readPrivileges() {
        QStringList names;
        for (const TableDef& table : schemaTables())
            names << table.name.toLower();
        // One round trip at the opening: the role, whether the server is a
        // standby, and the rights on the nine tables as their names resolve.
        const Row found =
            select(QStringLiteral(
                       "SELECT current_user, pg_is_in_recovery(), count(*) > 0, "
                       "coalesce(bool_and(has_table_privilege(t, 'SELECT')), true), "
                       "coalesce(bool_and(has_table_privilege(t, 'INSERT') AND "
                       "has_table_privilege(t, 'UPDATE') AND has_table_privilege(t, 'DELETE')), "
                       "true) FROM (SELECT to_regclass(n) AS t FROM unnest(CAST(? AS text[])) AS "
                       "n) o WHERE t IS NOT NULL"),
                   {QLatin1Char('{') + names.join(QLatin1Char(',')) + QLatin1Char('}')},
                   {FieldType::Text, FieldType::Boolean, FieldType::Boolean, FieldType::Boolean,
                    FieldType::Boolean})
                .front();
        m_role = found[0].toString();
        const bool standby = found[1].toBool(), anyTable = found[2].toBool(),
                   readAll = found[3].toBool(), writeAll = found[4].toBool();
        if (anyTable && !readAll)
            throw EngineError(QStringLiteral("The server role %1 lacks the privileges to read "
                                             "this database: ask its administrator to grant it "
                                             "gearlog_reader or gearlog_writer")
                                  .arg(m_role));
        m_standby = standby;
        m_readOnly = standby || (anyTable && !writeAll);
    }

    QStringList stringColumn(const QString& sql, const QVariantList& params) {
        QStringList result;
        for (const Row& r : select(sql, params, {FieldType::Text}))
            result << r[0].toString();
        return result;
    }

    // Statements with parameters are prepared once and kept; the server
    // cannot prepare the others (SET, CREATE), which run directly.
    QSqlQuery& run(const QString& sql, const QVariantList& params) {
        relink();
        try {
            return runOnce(sql, params);
        } catch (const EngineError&) {
            // A read outside a transaction whose connection broke under it
            // is read again on a new one; a write's outcome is not known.
            if (m_reconnecting || m_inTransaction || !connectionLost() || silent() ||
                !sql.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
                throw;
        }
        relink();
        return runOnce(sql, params);
    }

    QSqlQuery& runOnce(const QString& sql, const QVariantList& params) {
        const ServerWatch::Waiting waiting(m_watch.get());
        if (params.isEmpty()) {
            m_direct = QSqlQuery(m_db);
            m_direct.setForwardOnly(true);
            if (!m_direct.exec(sql))
                throw failure(m_direct.lastError(), QStringLiteral("execute"), sql);
            return m_direct;
        }
        auto it = m_queries.find(sql);
        if (it == m_queries.end()) {
            QSqlQuery query(m_db);
            query.setForwardOnly(true);
            if (!query.prepare(sql))
                throw failure(query.lastError(), QStringLiteral("prepare"), sql);
            // Each distinct filter is a statement of its own; start the cache
            // again when it is large rather than let it grow for ever.
            if (m_queries.size() >= maxCachedStatements)
                m_queries.clear();
            it = m_queries.insert(sql, query);
        }
        QSqlQuery& query = it.value();
        for (int i = 0; i < params.size(); ++i)
            query.bindValue(i, toBindable(params[i]));
        if (!query.exec()) {
            const EngineError error = failure(query.lastError(), QStringLiteral("execute"), sql);
            // Freeing the statement now would be refused inside the failed
            // transaction; it goes when the transaction ends.
            if (m_inTransaction)
                m_failed.push_back(std::move(query));
            m_queries.erase(it);
            throw error;
        }
        return query;
    }

    static QVariant toBindable(const QVariant& v) {
        if (!v.isValid() || v.isNull())
            return QVariant(QMetaType::fromType<QString>());
        if (v.typeId() == QMetaType::QDateTime)
            return QVariant(dateToStoreText(v.toDateTime()));
        if (v.typeId() == QMetaType::Float)
            return QVariant(v.toDouble());
        if (v.typeId() == QMetaType::QString)
            requireStorableText(v.toString(), QStringLiteral("a value"));
        return v;
    }

    static QVariant normalise(const QVariant& v, FieldType type) {
        if (!v.isValid() || v.isNull())
            return {};
        switch (type) {
        case FieldType::Date:
            if (v.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = v.toDateTime();
                return QVariant(QDateTime(dt.date(), dt.time(), Qt::UTC));
            }
            return QVariant(dateFromStoreText(v.toString()));
        case FieldType::Long:
            return QVariant(v.toInt());
        case FieldType::Single:
            return QVariant(static_cast<float>(v.toDouble()));
        case FieldType::Double:
            return QVariant(v.toDouble());
        case FieldType::Boolean:
            return QVariant(v.toBool());
        case FieldType::Text:
        case FieldType::Memo:
            return QVariant(v.toString());
        case FieldType::LongBinary:
            return QVariant(v.toByteArray());
        case FieldType::Unknown:
            break;
        }
        return v;
    }

    ConnectionString m_connection;
    QString m_connectionName;
    QSqlDatabase m_db;
    QHash<QString, QSqlQuery> m_queries;
    std::vector<QSqlQuery> m_failed; // statements that failed in a transaction
    bool m_inTransaction = false;
    QSqlQuery m_direct;
    QString m_role;
    bool m_readOnly = false;
    bool m_standby = false;
    std::unique_ptr<ServerWatch> m_watch;
    QString m_password; // kept for reconnecting, never written anywhere
    bool m_reconnecting = false;
    mutable bool m_ended = false; // the server said it ended the session
    std::future<bool> m_probe;    // a connection tried off the window's thread
};

} // namespace

std::unique_ptr<Store> openServerStore(const QString& connectionString, const QString& password) {
    auto store = std::make_unique<ServerStore>(connectionString);
    store->open(password);
    return store;
}

} // namespace gearlog
