#include "Dialect.h"

#include "ChangeHistory.h"
#include "FeatureTables.h"
#include "StoreValues.h"
#include "TextFind.h"
#include "TextFold.h"

#include <algorithm>

namespace gearlog::dialect {

namespace {

QString columnType(Engine engine, FieldType type) {
    const bool pg = engine == Engine::Postgres;
    switch (type) {
    case FieldType::Boolean:
        return pg ? QStringLiteral("boolean") : QStringLiteral("INTEGER");
    case FieldType::Long:
        return pg ? QStringLiteral("integer") : QStringLiteral("INTEGER");
    case FieldType::Single:
        return pg ? QStringLiteral("real") : QStringLiteral("REAL");
    case FieldType::Double:
        return pg ? QStringLiteral("double precision") : QStringLiteral("REAL");
    case FieldType::Date:
        return pg ? QStringLiteral("timestamp") : QStringLiteral("TEXT");
    case FieldType::Text:
        // Names compare without regard to case, as the views rely on; the
        // file store's NOCASE is our own Unicode-aware collation.
        return pg ? QStringLiteral("text COLLATE gearlog_nocase")
                  : QStringLiteral("TEXT COLLATE NOCASE");
    case FieldType::Memo:
        return pg ? QStringLiteral("text") : QStringLiteral("TEXT");
    case FieldType::LongBinary:
        return pg ? QStringLiteral("bytea") : QStringLiteral("BLOB");
    case FieldType::Unknown:
        break;
    }
    return QStringLiteral("TEXT");
}

QString columnDefinition(Engine engine, const TableDef& table, const FieldDef& f) {
    // "INT", not "INTEGER": the file store would otherwise make the key an
    // alias of its row number and number rows that arrive without one.
    const bool key = f.name == QLatin1String("ID");
    QString def =
        f.name + QLatin1Char(' ') +
        (key && engine == Engine::Sqlite ? QStringLiteral("INT") : columnType(engine, f.type));
    if (f.required)
        def += QStringLiteral(" NOT NULL");
    const QString prefix = table.name.mid(6) + QLatin1Char('_') + f.name; // after "Table_"
    const QString length =
        engine == Engine::Postgres ? QStringLiteral("char_length") : QStringLiteral("length");
    if (f.type == FieldType::Text)
        def += QStringLiteral(" CONSTRAINT %1_max_%2 CHECK (%3(%4) <= %2)")
                   .arg(prefix)
                   .arg(f.size)
                   .arg(length, f.name);
    if ((f.type == FieldType::Text || f.type == FieldType::Memo) && !f.allowZeroLength)
        def += QStringLiteral(" CONSTRAINT %1_not_empty CHECK (%2 <> '')").arg(prefix, f.name);
    return def;
}

} // namespace

namespace {
// Case-insensitive equality on the server that folds every script, not
// only ASCII, whatever the database's locale.
const char* const serverCollation =
    "CREATE COLLATION IF NOT EXISTS gearlog_nocase "
    "(provider = icu, locale = 'und-u-ks-level2', deterministic = false)";
// The file's format version: 1 once its name indexes follow our collation.
constexpr int fileVersion = 1;
// "GRLG" in the file's header, so that the file type can be told by content.
constexpr int applicationId = 0x47524C47;
} // namespace

QStringList preparationStatements(Engine engine) {
    if (engine == Engine::Postgres)
        return {QString::fromLatin1(serverCollation)};
    return {};
}

QStringList finishingStatements(Engine engine) {
    if (engine == Engine::Sqlite)
        return {QStringLiteral("PRAGMA user_version = %1").arg(fileVersion),
                QStringLiteral("PRAGMA application_id = %1").arg(applicationId)};
    return {};
}

namespace {
// Indexes of our own beside the schema's, for the overdue and maintenance
// lists (the two dates, the open lines, and each shipment's assets by
// maintenance date); without them the lists still work.
QStringList listIndexStatements(Store& store) {
    const bool server = store.engine() == Engine::Postgres;
    QStringList existing;
    for (const Row& r :
         store.select(server ? QStringLiteral("SELECT lower(relname) FROM pg_class WHERE relkind "
                                              "= 'i' AND pg_table_is_visible(oid)")
                             : QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type "
                                              "= 'index'"),
                      {}, {FieldType::Text}))
        existing << r[0].toString();
    const QString indexes[][3] = {
        {QStringLiteral("Table_asset_NextSchedMaint"), QStringLiteral("Table_asset"),
         QStringLiteral("(NextSchedMaint)")},
        {QStringLiteral("Table_shipment_due"), QStringLiteral("Table_shipment"),
         QStringLiteral("(ID, ExpectedReturnDate)")},
        {QStringLiteral("Table_shippinglist_open"), QStringLiteral("Table_shippinglist"),
         QStringLiteral("(ShipmentID) WHERE ") + openLineTerm(store.engine(), QString())},
        {QStringLiteral("Table_asset_out"), QStringLiteral("Table_asset"),
         QStringLiteral("(ShipmentID, NextSchedMaint)")},
        // A serial, model or waybill typed whole is found by its own look-up.
        {QStringLiteral("Table_asset_serial"), QStringLiteral("Table_asset"),
         QStringLiteral("(SerialNumber)")},
        {QStringLiteral("Table_asset_model"), QStringLiteral("Table_asset"),
         QStringLiteral("(ModelNumber)")},
        {QStringLiteral("Table_shipment_note"), QStringLiteral("Table_shipment"),
         QStringLiteral("(ConsignmentNote)")}};
    std::vector<FeatureIndex> all = featureIndexes();
    for (const auto& [name, table, definition] : indexes)
        all.push_back({name, table, definition});
    // A feature's table not made yet gets its indexes when it is made.
    const QStringList tables = store.tableNames();
    QStringList statements;
    for (const FeatureIndex& index : all)
        if (!existing.contains(index.name.toLower()) && tables.contains(index.table.toLower()))
            statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 %3")
                              .arg(index.name, index.table, index.definition);
    return statements;
}

// This program's own steps of `steps`, where this desk may take them (on
// the server, a role that owns the tables).
QStringList ownStatements(Store& store, UpgradeSteps steps) {
    const bool server = store.engine() == Engine::Postgres;
    QStringList statements;
    if (steps != UpgradeSteps::Required)
        statements << listIndexStatements(store) << findIndexStatements(store);
    if (steps != UpgradeSteps::Indexes)
        statements << historyTableStatements(store) << featureTableStatements(store);
    // Asked only when there is something to make: most openings find them.
    if (server && !statements.isEmpty() &&
        !store
             .select(QStringLiteral("SELECT pg_has_role((SELECT relowner FROM pg_class WHERE oid "
                                    "= to_regclass('table_asset')), 'USAGE')"),
                     {}, {FieldType::Boolean})
             .front()[0]
             .toBool())
        return {};
    return statements;
}
} // namespace

QString upgradeLockStatement(Engine engine) {
    // Held to the transaction's end.
    return engine == Engine::Postgres
               ? QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('gearlog upgrade'))")
               : QString();
}

QStringList upgradeStatements(Store& store, UpgradeSteps steps) {
    QStringList statements = ownStatements(store, steps);
    if (steps == UpgradeSteps::Indexes)
        return statements;
    if (store.engine() == Engine::Sqlite) {
        const auto version = store.select(QStringLiteral("PRAGMA user_version"), {}, {});
        const auto id = store.select(QStringLiteral("PRAGMA application_id"), {}, {});
        if (!version.empty() && version.front()[0].toInt() < fileVersion)
            // Name indexes built with the engine's ASCII-only NOCASE are
            // rebuilt with ours, so look-ups through them find every row.
            statements << QStringLiteral("REINDEX NOCASE");
        if (statements.contains(QStringLiteral("REINDEX NOCASE")) ||
            (!id.empty() && id.front()[0].toInt() != applicationId))
            statements << finishingStatements(Engine::Sqlite);
        return statements;
    }
    // Older server databases kept money as single floats, which change the
    // cents of larger amounts.
    const auto singles = store.select(
        QStringLiteral("SELECT lower(c.relname), lower(a.attname) FROM pg_attribute a JOIN "
                       "pg_class c ON c.oid = a.attrelid WHERE pg_table_is_visible(c.oid) AND "
                       "a.atttypid = 'real'::regtype AND NOT a.attisdropped"),
        {}, {FieldType::Text, FieldType::Text});
    for (const TableDef& table : schemaTables())
        for (const FieldDef& field : table.fields)
            if (field.type == FieldType::Double &&
                std::any_of(singles.begin(), singles.end(), [&](const Row& c) {
                    return c[0].toString() == table.name.toLower() &&
                           c[1].toString() == field.name.toLower();
                }))
                statements << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE double precision")
                                  .arg(table.name, field.name);
    // Older server databases kept names as citext, which folds case only as
    // far as the server's locale does.
    const auto columns = store.select(
        QStringLiteral("SELECT table_name, column_name FROM information_schema.columns "
                       "WHERE udt_name = 'citext' AND to_regclass(quote_ident(table_schema) || "
                       "'.' || quote_ident(table_name)) = to_regclass(table_name)"),
        {}, {FieldType::Text, FieldType::Text});
    if (columns.empty())
        return statements;
    statements << QString::fromLatin1(serverCollation);
    for (const Row& c : columns)
        statements << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE text COLLATE "
                                     "gearlog_nocase")
                          .arg(c[0].toString(), c[1].toString());
    return statements;
}

QStringList createTableStatements(Engine engine, const TableDef& table) {
    QStringList columns;
    for (const FieldDef& f : table.fields)
        columns << columnDefinition(engine, table, f);
    columns << QStringLiteral("CONSTRAINT %1_pkey PRIMARY KEY (ID)").arg(table.name);
    // STRICT makes the file store refuse values of the wrong type, as a server does.
    const QString suffix = engine == Engine::Sqlite ? QStringLiteral(" STRICT") : QString();
    QStringList statements{QStringLiteral("CREATE TABLE %1 (%2)%3")
                               .arg(table.name, columns.join(QStringLiteral(", ")), suffix)};
    for (const IndexDef& index : table.indexes) {
        if (index.primary)
            continue;
        statements << QStringLiteral("CREATE INDEX %1_%2 ON %1 (%2)").arg(table.name, index.name);
    }
    return statements;
}

QString orderTerm(Engine engine, const QString& column, FieldType type, bool descending) {
    QString expr = column;
    if (type == FieldType::Text && engine == Engine::Postgres)
        expr = QStringLiteral("lower(CAST(%1 AS text) COLLATE gearlog_nocase) COLLATE \"C\"")
                   .arg(column);
    return expr +
           (descending ? QStringLiteral(" DESC NULLS LAST") : QStringLiteral(" ASC NULLS FIRST"));
}

QString openLineTerm(Engine engine, const QString& alias) {
    return (alias.isEmpty() ? QString() : alias + QLatin1Char('.')) +
           (engine == Engine::Sqlite ? QStringLiteral("IsCompleted IS NOT 1")
                                     : QStringLiteral("IsCompleted IS NOT TRUE"));
}

QString findPositionTerm(Engine engine, const QString& column) {
    if (engine == Engine::Sqlite)
        return QStringLiteral("instr(gearlog_fold(%1), ?)").arg(column);
    // A text of plain ASCII (one byte a character) is lowered in the C
    // locale; any other is taken apart into letters and their accents,
    // lowered by the column's ICU collation, then a translation table drops
    // the accents. No extension is needed.
    const FindFoldTable& table = findFoldTable();
    return QStringLiteral(
               "strpos(CASE WHEN octet_length(%1) = char_length(%1) THEN lower(CAST(%1 "
               "AS text) COLLATE \"C\") ELSE translate(lower(normalize(CAST(%1 AS text), "
               "NFD) COLLATE gearlog_nocase) COLLATE \"C\", '%2', '%3') END, CAST(? AS "
               "text))")
        .arg(column, table.from, table.to);
}

QString binaryLengthTerm(Engine engine, const QString& column) {
    return engine == Engine::Postgres ? QStringLiteral("octet_length(%1)").arg(column)
                                      : QStringLiteral("length(CAST(%1 AS BLOB))").arg(column);
}

QString selectTerm(Engine engine, const QString& column, FieldType type) {
    if (type == FieldType::Date && engine == Engine::Postgres)
        return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(column);
    return column;
}

QString keysClaimStatement(Engine engine) {
    // The file's write transaction (BEGIN IMMEDIATE) already holds the
    // whole file; on the server each key is claimed alone, so a desk
    // adding rows never waits for another's transaction to end. The keys
    // are tried in order and the claiming stops at the number wanted; the
    // CASE keeps the block's test first (AND may be evaluated either way
    // round, which would claim every key of a block another desk holds).
    if (engine == Engine::Sqlite)
        return {};
    return QStringLiteral("SELECT k FROM generate_series(CAST(? AS integer), CAST(? AS integer)) "
                          "AS k, (SELECT lower(CAST(? AS text)) AS t) AS named WHERE CASE WHEN "
                          "pg_try_advisory_xact_lock_shared(hashtext('gearlog key block ' || t), "
                          "k / %1) THEN pg_try_advisory_xact_lock(hashtext('gearlog key ' || t), "
                          "k) ELSE false END LIMIT CAST(? AS integer)")
        .arg(keysPerBlock);
}

QString keyBlocksClaimStatement(Engine engine) {
    if (engine == Engine::Sqlite)
        return {};
    return QStringLiteral("SELECT b FROM generate_series(CAST(? AS integer), CAST(? AS integer)) "
                          "AS b WHERE pg_try_advisory_xact_lock(hashtext('gearlog key block ' || "
                          "lower(CAST(? AS text))), b) LIMIT CAST(? AS integer)");
}

QString keysFreeStatement(Engine engine, const QString& table) {
    if (engine == Engine::Sqlite)
        return {};
    return QStringLiteral("SELECT k FROM unnest(CAST(? AS integer[])) AS k WHERE NOT EXISTS "
                          "(SELECT 1 FROM %1 WHERE ID = k) ORDER BY k")
        .arg(table);
}

namespace {
// A server's type for a cast: without its collation, which a cast does not take.
QString castType(FieldType type) {
    return type == FieldType::Text ? QStringLiteral("text") : columnType(Engine::Postgres, type);
}

// Null as a bound value is Null to the server's driver: a null text, date
// or bytes as well as no value.
bool boundAsNull(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().isNull();
    case QMetaType::QDateTime:
        return !value.toDateTime().isValid();
    case QMetaType::QByteArray:
        return value.toByteArray().isNull();
    default:
        return false;
    }
}
} // namespace

QString arrayMark(FieldType type) {
    return QStringLiteral("CAST(? AS %1[])").arg(castType(type));
}

QString serverArray(const QVariantList& values) {
    QString array(QLatin1Char('{'));
    for (const QVariant& value : values) {
        if (array.size() > 1)
            array += QLatin1Char(',');
        if (boundAsNull(value)) {
            array += QStringLiteral("NULL");
            continue;
        }
        QString text;
        switch (value.typeId()) {
        case QMetaType::QDateTime:
            text = dateToStoreText(value.toDateTime());
            break;
        case QMetaType::Float:
        case QMetaType::Double: // every digit, as a bound number keeps them
            text = QString::number(value.toDouble(), 'g', 17);
            break;
        default:
            text = value.toString();
        }
        array += QLatin1Char('"');
        for (const QChar c : std::as_const(text)) {
            if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
                array += QLatin1Char('\\');
            array += c;
        }
        array += QLatin1Char('"');
    }
    return array + QLatin1Char('}');
}

QString rowLockClause(Engine engine, RowLock lock) {
    if (engine == Engine::Sqlite)
        return {};
    // A reference only needs the row's key to stay; a delete excludes both.
    return lock == RowLock::ForDelete ? QStringLiteral(" FOR UPDATE")
                                      : QStringLiteral(" FOR KEY SHARE");
}

QStringList roleStatements() {
    QStringList tables;
    for (const TableDef& table : schemaTables())
        tables << table.name.toLower();
    const QString all = tables.join(QStringLiteral(", "));
    QStringList statements{
        QStringLiteral(
            "DO $$BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'gearlog_reader') "
            "THEN CREATE ROLE gearlog_reader NOLOGIN; END IF; IF NOT EXISTS (SELECT 1 FROM "
            "pg_roles WHERE rolname = 'gearlog_writer') THEN CREATE ROLE gearlog_writer NOLOGIN; "
            "END IF; EXECUTE format('GRANT CONNECT ON DATABASE %I TO gearlog_reader, "
            "gearlog_writer', current_database()); EXECUTE format('GRANT USAGE ON SCHEMA %I TO "
            "gearlog_reader, gearlog_writer', (SELECT relnamespace::regnamespace::text FROM "
            "pg_class WHERE oid = to_regclass('table_asset'))); END$$"),
        QStringLiteral("GRANT SELECT ON %1 TO gearlog_reader, gearlog_writer").arg(all),
        QStringLiteral("GRANT INSERT, UPDATE, DELETE ON %1 TO gearlog_writer").arg(all),
        historyGrantStatement(),
    };
    if (const QString features = featureGrantStatement(); !features.isEmpty())
        statements << features;
    return statements;
}

QStringList snapshotStatements(Engine engine) {
    // The file's read transaction is a snapshot already.
    if (engine == Engine::Sqlite)
        return {};
    return {QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY")};
}

} // namespace gearlog::dialect
