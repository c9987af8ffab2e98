#include "DatabaseFile.h"
#include "EngineError.h"
#include "JetSql.h"
#include "PageCheck.h"
#include "SqliteConnection.h"
#include "Store.h"
#include "StoreValues.h"
#include "TextFold.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <sqlite3.h>

namespace gearlog {

namespace {

// The file store: a database file opened through Qt's SQLite driver, whose
// native handle then serves every statement directly, with prepared
// statements kept for reuse. That keeps loading large tables close to the
// speed of the engine itself.
class SqliteStore final : public Store {
public:
    explicit SqliteStore(const QString& path, FileReads reads = FileReads::Cached,
                         bool again = false)
        : m_path(path), m_mapped(reads == FileReads::Mapped), m_again(again) {}

    // Separate from construction so that a failure part-way is cleaned up
    // by the destructor.
    void create() {
        if (pathTaken(m_path))
            throw EngineError(m_path + QStringLiteral(" already exists."));
        connect(Access::ReadWrite);
        useJournal(onNetworkFileSystem(QFileInfo(m_path).absolutePath()));
    }

    // Nothing is written to a file before it is known to be a sound Gearlog
    // database, and nothing at all to one this desk may not write.
    void open() {
        const QFileInfo info(m_path);
        if (!info.exists())
            throw EngineError(m_path + QStringLiteral(" does not exist."));
        if (!info.isFile())
            throw EngineError(m_path + QStringLiteral(" is not a database file."));
        if (info.size() == 0)
            throw notOurs();
        const bool folderWritable = QFileInfo(info.absolutePath()).isWritable();
        m_readOnly = !info.isWritable() || !folderWritable;
        // A log another connection holds is that desk's live log; one with
        // no frames beyond its header holds nothing a crash left.
        const bool liveLog = logInUse(m_path);
        const bool walLeftOver =
            !liveLog && QFileInfo(m_path + QStringLiteral("-wal")).size() > walHeaderBytes;
        // Where no log can be made beside the file no desk can be writing to
        // it: it is read as it stands.
        const Access access = !m_readOnly ? Access::ReadWrite
                              : folderWritable || QFileInfo::exists(m_path + QStringLiteral("-shm"))
                                  ? Access::ReadOnly
                                  : Access::AsItStands;
        connect(access);
        const bool network = onNetworkFileSystem(info.absolutePath());
        // A large file is checked page by page while the desk works, unless a
        // log left by a crash must be judged first or readers would hold up
        // writers for the whole check (a rollback journal).
        const bool checkLater = info.size() > checkAtOpenBytes && !walLeftOver && !network;
        QString problem = checkTables(!m_again && !checkLater);
        if (!problem.isEmpty() && walLeftOver && !m_readOnly) {
            // A journal left by a crash of another copy of this file (a backup
            // restored beside it) would damage it: set it aside and look again.
            disconnect(false);
            const QString aside = setWalAside();
            connect(Access::ReadWrite);
            problem = checkTables(true);
            if (problem.isEmpty())
                m_notice = QStringLiteral("A journal file beside %1 did not belong to it and was "
                                          "set aside as %2.")
                               .arg(m_path, aside);
        }
        if (!problem.isEmpty())
            throw DamageError(liveLog ? damageInUseText(m_path, problem)
                                      : damageText(m_path, problem));
        if (!m_readOnly)
            useJournal(network);
        if (checkLater && !m_again)
            m_pageCheck =
                std::make_unique<PageCheck>(uriFor(access), SQLITE_OPEN_READONLY, m_mapped);
    }

    QString awaitPageCheck() override {
        const QString problem = m_pageCheck ? m_pageCheck->result() : QString();
        return problem.isEmpty() ? problem : damageText(m_path, problem);
    }

    void onDamageFound(std::function<void(const QString&)> found) override {
        if (m_pageCheck)
            m_pageCheck->onDamage([path = m_path, found = std::move(found)](const QString& p) {
                found(damageText(path, p));
            });
    }

    ~SqliteStore() override {
        m_pageCheck.reset();
        disconnect(true);
    }

    bool isReadOnly() const override { return m_readOnly; }
    QString openingNotice() const override { return m_notice; }

    void backupTo(const QString& path, bool replace) override {
        // A consistent copy while the database stays open, in one file.
        writeDatabaseFile(path, replace, [this](const QString& temporary) {
            const QString sql = QStringLiteral("VACUUM INTO ") + quoteText(temporary);
            if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) !=
                SQLITE_OK)
                fail("backup", sql);
        });
    }

    Engine engine() const override { return Engine::Sqlite; }
    QString dataSourceName() const override { return m_path; }

    int execute(const QString& sql, const QVariantList& params) override {
        refuseWritesIfDamaged();
        return run(sql, params);
    }

    std::vector<Row> select(const QString& sql, const QVariantList& params,
                            const std::vector<FieldType>& types) override {
        std::vector<Row> rows;
        eachRow(sql, params, "select", [&](sqlite3_stmt* stmt) {
            const int columns = sqlite3_column_count(stmt);
            Row row;
            row.reserve(static_cast<size_t>(columns));
            for (int c = 0; c < columns; ++c)
                row.push_back(columnValue(stmt, c, typeAt(types, c)));
            rows.push_back(std::move(row));
        });
        return rows;
    }

    std::vector<int> selectKeys(const QString& sql, const QVariantList& params) override {
        std::vector<int> keys;
        eachRow(sql, params, "select",
                [&](sqlite3_stmt* stmt) { keys.push_back(sqlite3_column_int(stmt, 0)); });
        return keys;
    }

    void releaseCachedPages() override {
        if (sqlite3_get_autocommit(m_db))
            sqlite3_db_release_memory(m_db);
    }

    void setLockWait(int milliseconds) override {
        m_lockWaitMs = milliseconds;
        sqlite3_busy_handler(m_db, &waitForLock, this);
    }

    void begin() override { execute(QStringLiteral("BEGIN IMMEDIATE"), {}); }
    void commit() override { execute(QStringLiteral("COMMIT"), {}); }
    // Undoing is never refused, not even on a file found damaged.
    void rollback() override {
        if (!sqlite3_get_autocommit(m_db))
            run(QStringLiteral("ROLLBACK"), {});
    }

    QVariant blobValue(const QString& table, const QString& field, int id) override {
        const auto rows = select(QStringLiteral("SELECT %1 FROM %2 WHERE ID = ?").arg(field, table),
                                 {id}, {FieldType::LongBinary});
        return rows.empty() ? QVariant() : rows.front()[0];
    }

    QStringList tableNames() override {
        return stringColumn(QStringLiteral(
            "SELECT lower(name) FROM sqlite_master WHERE type = 'table' ORDER BY name"));
    }
    QStringList columnNames(const QString& table) override {
        return stringColumn(
            QStringLiteral("SELECT lower(name) FROM pragma_table_info('%1')").arg(table));
    }
    QStringList indexedColumns(const QString& table) override {
        return stringColumn(QStringLiteral("SELECT lower(ii.name) FROM pragma_index_list('%1') il "
                                           "JOIN pragma_index_info(il.name) ii")
                                .arg(table));
    }

private:
    static constexpr qsizetype maxCachedStatements = 256;

    EngineError notOurs() const {
        return EngineError(m_path + QStringLiteral(" is not a Gearlog database"),
                           QStringLiteral("open"));
    }

    enum class Access { ReadWrite, ReadOnly, AsItStands };

    // Steps a statement through its rows, handing each to `take`.
    template <typename Take>
    void eachRow(const QString& sql, const QVariantList& params, const char* operation, Take take) {
        sqlite3_stmt* stmt = prepare(sql, params);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            take(stmt);
        sqlite3_reset(stmt);
        if (rc != SQLITE_DONE)
            fail(operation, sql);
    }

    int run(const QString& sql, const QVariantList& params) {
        eachRow(sql, params, "execute", [](sqlite3_stmt*) {});
        return sqlite3_changes(m_db);
    }

    // Nothing more is written to a file found damaged after it opened.
    void refuseWritesIfDamaged() {
        if (!m_pageCheck)
            return;
        if (const auto problem = m_pageCheck->damage())
            throw DamageError(damageText(m_path, *problem));
    }

    // The file as a URI; one read as it stands is declared unchanging.
    QByteArray uriFor(Access access) const {
        return QUrl::fromLocalFile(QFileInfo(m_path).absoluteFilePath()).toEncoded() +
               (access == Access::AsItStands ? QByteArrayLiteral("?immutable=1") : QByteArray());
    }

    void connect(Access access) {
        m_connectionName = QStringLiteral("gearlog-file-") + QUuid::createUuid().toString();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        // A name beginning "file:" would be read as a URI with parameters of
        // its own; a path from the root never is.
        db.setDatabaseName(QFileInfo(m_path).absoluteFilePath());
        if (access == Access::AsItStands) {
            db.setDatabaseName(QString::fromUtf8(uriFor(access)));
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        } else if (access == Access::ReadOnly) {
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        }
        if (!db.open())
            throw EngineError(db.lastError().text(), QStringLiteral("open"), m_path);
        const QVariant handle = db.driver()->handle();
        if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
            throw EngineError(QStringLiteral("The SQLite driver gave no native handle"));
        m_db = *static_cast<sqlite3* const*>(handle.constData());
        setLockWait(defaultLockWaitMs);
        // Names are declared NOCASE; ours folds every script, not only ASCII,
        // so the store compares exactly as the cursors do.
        if (!useFoldedNoCase(m_db))
            fail("open", m_path);
        if (m_mapped)
            mapReads(m_db);
    }

    // Closing the last connection writes the log into the file and removes
    // it; `checkpoint` false leaves a log that must not reach the file.
    void disconnect(bool checkpoint) {
        clearStatements();
        if (m_connectionName.isEmpty())
            return;
        if (!checkpoint && m_db)
            sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
        m_connectionName.clear();
        m_db = nullptr;
    }

    // The first problem SQLite's quick check finds (when `pages`), or
    // nothing. A file that is no SQLite database, or holds no Gearlog
    // tables, is refused.
    QString checkTables(bool pages) {
        QStringList tables;
        try {
            tables = stringColumn(
                QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'"));
        } catch (const EngineError& e) {
            if (sqlite3_errcode(m_db) == SQLITE_NOTADB)
                throw notOurs();
            return e.description();
        }
        for (const TableDef& table : schemaTables())
            if (!tables.contains(table.name.toLower()))
                throw notOurs();
        if (!pages)
            return {};
        try {
            const QStringList result = stringColumn(QStringLiteral("PRAGMA quick_check(1)"));
            return result.value(0) == QLatin1String("ok") ? QString() : result.value(0);
        } catch (const EngineError& e) {
            return e.description();
        }
    }

    QString setWalAside() {
        const QString aside =
            m_path + QStringLiteral("-wal.set-aside-") +
            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
        if (!QFile::rename(m_path + QStringLiteral("-wal"), aside))
            throw EngineError(QStringLiteral("Cannot set aside the journal of ") + m_path);
        QFile::remove(m_path + QStringLiteral("-shm"));
        return aside;
    }

    // The write-ahead log while open, written into the file after every
    // commit so the file alone is never far behind; a rollback journal on a
    // network file system, where the log's shared memory does not work.
    void useJournal(bool network) {
        execute(network ? QStringLiteral("PRAGMA journal_mode=DELETE")
                        : QStringLiteral("PRAGMA journal_mode=WAL"),
                {});
        execute(QStringLiteral("PRAGMA synchronous=NORMAL"), {});
        // Index pages of a large table stay in memory instead of being read
        // again for every row written or checked (16 MB at most, taken only
        // as it is used); work off the window's thread reads its rows once.
        if (!m_again)
            execute(QStringLiteral("PRAGMA cache_size=-16384"), {});
        if (!network) {
            sqlite3_wal_hook(m_db, &afterCommit, this);
            // What a crash left in the log is in the file from now on,
            // unless another desk is at work in it (then it is theirs).
            emptyLog(m_db, this);
        }
    }

    void clearStatements() {
        for (sqlite3_stmt* s : std::as_const(m_statements))
            sqlite3_finalize(s);
        m_statements.clear();
    }

    [[noreturn]] void fail(const char* operation, const QString& sql) {
        QString text = QString::fromUtf8(sqlite3_errmsg(m_db));
        if (sqlite3_errcode(m_db) == SQLITE_BUSY)
            text = lockWaitText();
        throw EngineError(text, QString::fromLatin1(operation), sql);
    }

    // Called while another desk holds the file: wait in short steps, letting
    // the window repaint, and give up once the bound has passed.
    static int waitForLock(void* self, int attempt) {
        auto* store = static_cast<SqliteStore*>(self);
        if (attempt == 0)
            store->m_waiting.start();
        if (store->m_waiting.elapsed() >= store->m_lockWaitMs)
            return 0;
        QThread::msleep(20);
        if (QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return 1;
    }

    // After every commit the log is written into the file and, when no
    // other desk is reading it, emptied, without waiting for anyone: the
    // file alone then holds every committed row, and a crash leaves no log
    // that could meet another copy of the file.
    static int afterCommit(void* self, sqlite3* db, const char* name, int) {
        // Only the database file itself (a copy being written is not ours).
        if (qstrcmp(name, "main") != 0)
            return SQLITE_OK;
        emptyLog(db, self);
        return SQLITE_OK;
    }

    // Writes the log into the file and empties it; without a busy handler
    // a desk reading it stops this at once, what could be written being
    // written: it never waits.
    static void emptyLog(sqlite3* db, void* self) {
        sqlite3_busy_handler(db, nullptr, nullptr);
        sqlite3_wal_checkpoint_v2(db, "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
        sqlite3_busy_handler(db, &waitForLock, self);
    }

    QStringList stringColumn(const QString& sql) {
        QStringList result;
        for (const Row& r : select(sql, {}, {FieldType::Text}))
            result << r[0].toString();
        return result;
    }

    sqlite3_stmt* prepare(const QString& sql, const QVariantList& params) {
        sqlite3_stmt* stmt = m_statements.value(sql);
        if (!stmt) {
            const QByteArray text = sql.toUtf8();
            if (sqlite3_prepare_v3(m_db, text.constData(), static_cast<int>(text.size()),
                                   SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK)
                fail("prepare", sql);
            // Statements with values written into their text would grow the
            // cache without end; start it again when it is large.
            if (m_statements.size() >= maxCachedStatements)
                clearStatements();
            m_statements.insert(sql, stmt);
        }
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        for (int i = 0; i < params.size(); ++i)
            if (bind(stmt, i + 1, params[i]) != SQLITE_OK)
                fail("bind", sql);
        return stmt;
    }

    static int bind(sqlite3_stmt* stmt, int index, const QVariant& v) {
        int rc = SQLITE_OK;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(stmt, index);
        } else {
            switch (v.typeId()) {
            case QMetaType::Bool:
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
                rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
                break;
            case QMetaType::Float:
            case QMetaType::Double:
                rc = sqlite3_bind_double(stmt, index, v.toDouble());
                break;
            case QMetaType::QDateTime:
                rc = bindText(stmt, index, dateToStoreText(v.toDateTime()));
                break;
            case QMetaType::QByteArray: {
                const QByteArray bytes = v.toByteArray();
                rc = sqlite3_bind_blob64(stmt, index, bytes.constData(),
                                         static_cast<sqlite3_uint64>(bytes.size()),
                                         SQLITE_TRANSIENT);
                break;
            }
            default:
                requireStorableText(v.toString(), QStringLiteral("a value"));
                rc = bindText(stmt, index, v.toString());
            }
        }
        return rc;
    }

    static int bindText(sqlite3_stmt* stmt, int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        return sqlite3_bind_text64(stmt, index, utf8.constData(),
                                   static_cast<sqlite3_uint64>(utf8.size()), SQLITE_TRANSIENT,
                                   SQLITE_UTF8);
    }

    static QString columnText(sqlite3_stmt* stmt, int c) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt, c));
    }

    static QVariant columnValue(sqlite3_stmt* stmt, int c, FieldType type) {
        const int storage = sqlite3_column_type(stmt, c);
        if (storage == SQLITE_NULL)
            return {};
        switch (type) {
        case FieldType::Long:
            return QVariant(sqlite3_column_int(stmt, c));
        case FieldType::Single:
            return QVariant(static_cast<float>(sqlite3_column_double(stmt, c)));
        case FieldType::Double:
            return QVariant(sqlite3_column_double(stmt, c));
        case FieldType::Boolean:
            return QVariant(sqlite3_column_int(stmt, c) != 0);
        case FieldType::Date:
            return QVariant(dateFromStoreText(columnText(stmt, c)));
        case FieldType::Text:
        case FieldType::Memo:
            return QVariant(columnText(stmt, c));
        case FieldType::LongBinary:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                       sqlite3_column_bytes(stmt, c)));
        case FieldType::Unknown:
            break;
        }
        switch (storage) {
        case SQLITE_INTEGER: {
            const qint64 v = sqlite3_column_int64(stmt, c);
            return v == static_cast<int>(v) ? QVariant(static_cast<int>(v)) : QVariant(v);
        }
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(stmt, c));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                       sqlite3_column_bytes(stmt, c)));
        default:
            return QVariant(columnText(stmt, c));
        }
    }

    QString m_path;
    QString m_connectionName;
    // Files larger than this open before their pages are checked.
    static constexpr qint64 checkAtOpenBytes = 32 * 1024 * 1024;
    static constexpr qint64 walHeaderBytes = 32;
    bool m_readOnly = false;
    bool m_mapped = false;
    // Another connection of this process to a file it has open and checks.
    bool m_again = false;
    std::unique_ptr<PageCheck> m_pageCheck;
    QString m_notice;
    sqlite3* m_db = nullptr;
    int m_lockWaitMs = defaultLockWaitMs;
    QElapsedTimer m_waiting;
    QHash<QString, sqlite3_stmt*> m_statements;
};

} // namespace

std::unique_ptr<Store> openFileStore(const QString& path, FileReads reads) {
    auto store = std::make_unique<SqliteStore>(path, reads);
    store->open();
    return store;
}

std::unique_ptr<Store> openFileStoreAgain(const QString& path) {
    auto store = std::make_unique<SqliteStore>(path, FileReads::Cached, false);
    store->open();
    return store;
}

std::unique_ptr<Store> createFileStore(const QString& path) {
    auto store = std::make_unique<SqliteStore>(path);
    store->create();
    return store;
}

} // namespace gearlog
