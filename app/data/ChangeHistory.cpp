#include "ChangeHistory.h"

#include "Dialect.h"
#include "EngineError.h"
#include "RowWriter.h"
#include "StoreValues.h"

#include <QCryptographicHash>
#include <QDir>
#include <QSysInfo>
#include <array>

namespace gearlog {

namespace {

using F = FieldType;

std::function<QString(const QString&)>& richTextReader() {
    static std::function<QString(const QString&)> reader;
    return reader;
}

// The columns an entry writes: all but the key, which the table gives.
const QString& entryColumns() {
    static const QString columns = [] {
        QStringList names;
        for (const FieldDef& f : historyTable().fields)
            if (f.name != QLatin1String("ID"))
                names << f.name;
        return names.join(QStringLiteral(", "));
    }();
    return columns;
}

QString actionName(ChangeAction action) {
    switch (action) {
    case ChangeAction::Added:
        return QStringLiteral("Added");
    case ChangeAction::Deleted:
        return QStringLiteral("Deleted");
    case ChangeAction::Changed:
        break;
    }
    return QStringLiteral("Changed");
}

} // namespace

bool history_table_exists(Store& store) {
    return !store
                .select(store.engine() == Engine::Sqlite
                            ? QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' "
                                             "AND name = 'Table_history' COLLATE NOCASE")
                            : QStringLiteral("SELECT 1 WHERE to_regclass('table_history') IS "
                                             "NOT NULL"),
                        {}, {F::Long})
                .empty();
}

bool has_history_table(Store& store) {
    return history_table_exists(store) &&
           (store.engine() == Engine::Sqlite ||
            store
                .select(QStringLiteral("SELECT has_table_privilege('table_history', 'INSERT')"), {},
                        {F::Boolean})
                .front()[0]
                .toBool());
}

void set_rich_text_reader(std::function<QString(const QString&)> reader) {
    richTextReader() = std::move(reader);
}

QString history_text(const QVariant& value, FieldType type) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case F::Memo: {
        const QString text = value.toString();
        return richTextReader() ? richTextReader()(text) : text;
    }
    case F::LongBinary: {
        const QByteArray bytes = value.toByteArray();
        return QStringLiteral("%L1 bytes, SHA-256 %2")
            .arg(bytes.size())
            .arg(QString::fromLatin1(
                QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16)));
    }
    case F::Date: {
        const QDateTime at = value.toDateTime();
        return at.time() == QTime(0, 0) ? at.date().toString(Qt::ISODate)
                                        : at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case F::Boolean:
        return value.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    case F::Single: // as the field keeps it, whatever was typed
        return QString::number(static_cast<float>(value.toDouble()), 'g', 7);
    case F::Double:
        return QString::number(value.toDouble(), 'g', 15);
    default:
        return value.toString();
    }
}

const TableDef& historyTable() {
    static const TableDef table = [] {
        TableDef t{QStringLiteral("Table_history"), {}, {{QStringLiteral("ID"), true}}};
        const std::pair<const char*, FieldType> fields[] = {
            {"ID", F::Long},       {"ChangedAt", F::Date}, {"ChangedBy", F::Text},
            {"Machine", F::Text},  {"Command", F::Text},   {"TableName", F::Text},
            {"RecordID", F::Long}, {"Action", F::Text},    {"Field", F::Text},
            {"Before", F::Text},   {"After", F::Text}};
        for (const auto& [name, type] : fields)
            t.fields.push_back({QString::fromLatin1(name), type});
        return t;
    }();
    return table;
}

QString historyGrantStatement() {
    return QStringLiteral(
        "DO $$BEGIN IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'gearlog_writer') AND "
        "to_regclass('table_history') IS NOT NULL THEN GRANT SELECT ON table_history TO "
        "gearlog_reader, gearlog_writer; GRANT INSERT ON table_history TO gearlog_writer; GRANT "
        "USAGE ON SEQUENCE table_history_id_seq TO gearlog_writer; END IF; END$$");
}

QStringList historyTableStatements(Store& store) {
    if (history_table_exists(store))
        return {};
    if (store.engine() == Engine::Sqlite)
        return {QStringLiteral("CREATE TABLE IF NOT EXISTS Table_history (ID INTEGER PRIMARY KEY, "
                               "ChangedAt TEXT NOT NULL, ChangedBy TEXT NOT NULL, Machine TEXT NOT "
                               "NULL, Command TEXT NOT NULL, TableName TEXT NOT NULL, RecordID "
                               "INTEGER NOT NULL, Action TEXT NOT NULL, Field TEXT, Before TEXT, "
                               "After TEXT)"),
                QStringLiteral("CREATE INDEX IF NOT EXISTS Table_history_record ON Table_history "
                               "(RecordID, ID)")};
    // The roles of create-schema --roles, where there are any, may read it
    // and (the writer) add to it.
    return {QStringLiteral("CREATE TABLE IF NOT EXISTS Table_history (ID bigserial PRIMARY KEY, "
                           "ChangedAt timestamp NOT NULL, ChangedBy text NOT NULL, Machine text "
                           "NOT NULL, Command text NOT NULL, TableName text NOT NULL, RecordID "
                           "integer NOT NULL, Action text NOT NULL, Field text, Before text, After "
                           "text)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS Table_history_record ON Table_history "
                           "(RecordID, ID)"),
            historyGrantStatement()};
}

HistoryAuthor history_author(Store& store) {
    QString who;
    if (store.engine() == Engine::Postgres) {
        who = store.select(QStringLiteral("SELECT current_user"), {}, {F::Text})
                  .front()[0]
                  .toString();
    } else {
        who = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        if (who.isEmpty())
            who = QDir::home().dirName();
    }
    const QString machine = QSysInfo::machineHostName();
    return {who.isEmpty() ? QStringLiteral("unknown") : who,
            machine.isEmpty() ? QStringLiteral("unknown") : machine};
}

void write_history(Store& store, const HistoryAuthor& author, const QString& command,
                   const QDateTime& when, const std::vector<RowChange>& changes) {
    if (changes.empty())
        return;
    // What every entry of the command shares is written once into the
    // statement, as quoted literals, and only what differs is bound: the
    // command's batches are then one statement, prepared once.
    const auto literal = [](const QString& text) {
        return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
               QLatin1Char('\'');
    };
    const QStringList sharedValues{
        literal(dateToStoreText(when)), literal(author.who), literal(author.machine),
        literal(command.isEmpty() ? QStringLiteral("(no command)") : command)};
    const QString shared = sharedValues.join(QLatin1Char(','));
    requireStorableText(author.who + author.machine + command, QStringLiteral("the history"));
    const bool server = store.engine() == Engine::Postgres;
    const QString row = QStringLiteral("(%1,?,?,?,?,?,?)").arg(shared);
    // On a server the entries go as six arrays, a value each: a statement
    // of thousands of entries is parsed as quickly as one of a few.
    const QString fromArrays =
        QStringLiteral("INSERT INTO Table_history (%1) SELECT CAST(%2 AS timestamp), %3, e.* FROM "
                       "unnest(CAST(? AS text[]), CAST(? AS integer[]), CAST(? AS text[]), "
                       "CAST(? AS text[]), CAST(? AS text[]), CAST(? AS text[])) AS e")
            .arg(entryColumns(), sharedValues.front(), sharedValues.mid(1).join(QLatin1Char(',')));
    constexpr int entriesPerArray = 10000;
    std::array<QVariantList, 6> columns;
    QVariantList params;
    int rows = 0;
    const auto flush = [&] {
        if (rows == 0)
            return;
        if (server) {
            for (QVariantList& column : columns)
                params << dialect::serverArray(std::exchange(column, {}));
            store.execute(fromArrays, params);
        } else {
            store.execute(QStringLiteral("INSERT INTO Table_history (%1) VALUES %2")
                              .arg(entryColumns(), QStringList(rows, row).join(QLatin1Char(','))),
                          params);
        }
        params.clear();
        rows = 0;
    };
    const auto add = [&](const RowChange& change, const FieldChange* field) {
        const QVariant entry[] = {change.table,
                                  change.key,
                                  actionName(change.action),
                                  field ? field->field : QString(),
                                  field ? field->before : QString(),
                                  field ? field->after : QString()};
        for (size_t c = 0; c < columns.size(); ++c)
            (server ? columns[c] : params) << entry[c];
        if (++rows == (server ? entriesPerArray : static_cast<int>(rowsPerBatch)))
            flush();
    };
    for (const RowChange& change : changes) {
        if (change.fields.empty())
            add(change, nullptr);
        for (const FieldChange& field : change.fields)
            add(change, &field);
    }
    flush();
}

QDateTime history_day_start(const QDate& day) {
    return QDateTime(day, QTime(0, 0)).toUTC();
}

std::vector<HistoryEntry> read_history(Store& store, const HistoryFilter& filter) {
    QStringList where;
    QVariantList params;
    if (!filter.table.isEmpty()) {
        // Older programs spelt some tables' names in another case.
        where << QStringLiteral("lower(TableName) = ?");
        params << filter.table.toLower();
    }
    if (filter.key >= 0) {
        where << QStringLiteral("RecordID = ?");
        params << filter.key;
    }
    if (filter.since.isValid()) {
        where << QStringLiteral("ChangedAt >= ?");
        params << filter.since;
    }
    if (filter.until.isValid()) {
        where << QStringLiteral("ChangedAt < ?");
        params << filter.until;
    }
    if (!filter.who.isEmpty()) {
        // As the entries show who: "ann", or "ann@desk-3", in any case.
        where << (filter.who.contains(QLatin1Char('@'))
                      ? QStringLiteral("lower(ChangedBy || '@' || Machine) = ?")
                      : QStringLiteral("lower(ChangedBy) = ?"));
        params << filter.who.toLower();
    }
    if (filter.before > 0) {
        where << QStringLiteral("ID < ?");
        params << filter.before;
    }
    QString sql =
        QStringLiteral("SELECT ID, %1, ChangedBy, Machine, Command, TableName, RecordID, "
                       "Action, Field, Before, After FROM Table_history")
            .arg(dialect::selectTerm(store.engine(), QStringLiteral("ChangedAt"), F::Date));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ID DESC");
    if (filter.limit > 0)
        sql += QStringLiteral(" LIMIT %1").arg(filter.limit);
    std::vector<HistoryEntry> entries;
    for (const Row& r : store.select(sql, params,
                                     {F::Double, F::Date, F::Text, F::Text, F::Text, F::Text,
                                      F::Long, F::Text, F::Text, F::Text, F::Text})) {
        QDateTime when = r[1].toDateTime();
        when.setTimeSpec(Qt::UTC);
        entries.push_back({static_cast<qint64>(r[0].toDouble()), when, r[2].toString(),
                           r[3].toString(), r[4].toString(), r[5].toString(), r[6].toInt(),
                           r[7].toString(), r[8].toString(), r[9].toString(), r[10].toString()});
    }
    return entries;
}

int trim_history(Store& store, const QDateTime& before) {
    store.begin();
    try {
        const int deleted = store.execute(
            QStringLiteral("DELETE FROM Table_history WHERE ChangedAt < ?"), {before});
        store.commit();
        return deleted;
    } catch (...) {
        store.rollback();
        throw;
    }
}

} // namespace gearlog
