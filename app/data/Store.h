#pragma once

#include "Schema.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace gearlog {

enum class Engine { Sqlite, Postgres };

using Row = std::vector<QVariant>;

// The type of result column c; Unknown past the end of the list.
inline FieldType typeAt(const std::vector<FieldType>& types, int c) {
    return static_cast<size_t>(c) < types.size() ? types[static_cast<size_t>(c)]
                                                 : FieldType::Unknown;
}

// One open database. Statements are in the store's own SQL (the Jet text of
// the views is translated before it gets here); parameters are positional
// "?" marks bound from canonical values (see coerceValue). Every failure
// throws EngineError with the engine's description.
class Store {
public:
    virtual ~Store() = default;

    virtual Engine engine() const = 0;
    // Human-readable name of the source: the file path, or "db on host".
    virtual QString dataSourceName() const = 0;

    virtual int execute(const QString& sql, const QVariantList& params = {}) = 0;
    // Values come back converted to the canonical type of each entry of
    // `types`; an Unknown type keeps what the engine returns.
    virtual std::vector<Row> select(const QString& sql, const QVariantList& params,
                                    const std::vector<FieldType>& types) = 0;

    // The first column of every row as whole numbers (a cursor's keys),
    // read without a value object per row.
    virtual std::vector<int> selectKeys(const QString& sql, const QVariantList& params) = 0;

    // How long a statement waits for a row or file that another desk holds
    // before it gives up with lockWaitText's message.
    virtual void setLockWait(int milliseconds) = 0;

    virtual void begin() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;

    // A binary field's whole value by key (Null: invalid), read in one
    // statement so it is consistent; cursors read pictures only on demand.
    virtual QVariant blobValue(const QString& table, const QString& field, int id) = 0;
    // Writes a binary field's whole value by key (a picture can be large:
    // a store sends it the cheapest way it has).
    virtual void writeBlob(const QString& table, const QString& field, int id,
                           const QByteArray& bytes) {
        execute(QStringLiteral("UPDATE %1 SET %2 = ? WHERE ID = ?").arg(table, field), {bytes, id});
    }

    // A large file is checked for damage page by page after it opens, while
    // the desk works (a small one before it opens). The damage found, told
    // as the opening would have told it, or nothing; waits for the check.
    virtual QString awaitPageCheck() { return {}; }
    // `found` hears of damage that check finds, on this thread; from then
    // on every write is refused.
    virtual void onDamageFound(std::function<void(const QString&)> found) { (void)found; }

    // Lets go of the pages the store keeps in memory from earlier reads
    // (between commands: a desk that has finished a view's reads).
    virtual void releaseCachedPages() {}

    // Whether a server's connection is up, asked between commands. One
    // that broke (a restart, a switchover) is made again here, to the
    // server that now takes writes, without holding the caller: Down
    // until it is back, Restored once when it is.
    enum class Link { Up, Restored, Down };
    virtual Link keepLinked() { return Link::Up; }
    // The server the connection reached ("host:port"), or the source.
    virtual QString linkedTo() const { return dataSourceName(); }

    // True when this desk may only read (a read-only file or folder).
    virtual bool isReadOnly() const = 0;
    // True when the tables may be created here (the file store's, always).
    virtual bool canCreateTables() { return true; }
    // Something the user should be told about the opening, or nothing.
    virtual QString openingNotice() const = 0;
    // Writes a consistent copy of the whole database as a new file (see
    // writeDatabaseFile for `replace`), while it stays open.
    virtual void backupTo(const QString& path, bool replace) = 0;

    // Lower-case names of the tables, and of one table's columns.
    virtual QStringList tableNames() = 0;
    virtual QStringList columnNames(const QString& table) = 0;
    // Lower-case field names of the indexes on a table (one per index).
    virtual QStringList indexedColumns(const QString& table) = 0;
};

// Waits of a few seconds at most: a desk is never frozen by another one.
inline constexpr int defaultLockWaitMs = 5000;
// What a store says when it gave up waiting on another desk's lock: in
// words, never the engine's own text.
inline QString lockWaitText() {
    return QStringLiteral("Another desk is using this record: this desk waited a few seconds "
                          "for it and wrote nothing; try again in a moment");
}

// Opens an existing database file, read-only when this desk cannot write it
// or its folder. Throws EngineError when the file is missing, is not a
// Gearlog database ("<path> is not a Gearlog database", the file left
// untouched) or is damaged.
// Mapped reads are fastest for a tool that reads the whole file once, but
// a file cut short under them ends the process: never for the program.
enum class FileReads { Cached, Mapped };
std::unique_ptr<Store> openFileStore(const QString& path, FileReads reads = FileReads::Cached);
// Another connection to a file this process has open and is checking, for
// work off the window's thread: its pages are not checked a second time,
// and it keeps few of them in memory.
std::unique_ptr<Store> openFileStoreAgain(const QString& path);
// Creates a new, empty database file (nothing may exist at the path).
std::unique_ptr<Store> createFileStore(const QString& path);
// Connects to a server from a connection string (see ConnectionString.h);
// the password is never part of that string.
std::unique_ptr<Store> openServerStore(const QString& connectionString,
                                       const QString& password = {});

} // namespace gearlog
