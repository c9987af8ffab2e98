#include "TextFind.h"

#include "Dialect.h"
#include "EngineError.h"
#include "Store.h"
#include "TextFold.h"

#include <QCryptographicHash>
#include <QSet>
#include <algorithm>

namespace gearlog {

namespace {

struct Searched {
    QString table;
    QStringList fields;
};

const Searched& searched(FindTable table) {
    static const Searched assets{QStringLiteral("Table_asset"),
                                 {QStringLiteral("SerialNumber"), QStringLiteral("ModelNumber")}};
    static const Searched shipments{QStringLiteral("Table_shipment"),
                                    {QStringLiteral("Name"), QStringLiteral("ConsignmentNote")}};
    return table == FindTable::Assets ? assets : shipments;
}

constexpr FindTable tables[] = {FindTable::Assets, FindTable::Shipments};

// The trigram index: on a file a table of its own, on a server an index.
QString trigramName(const Searched& s) {
    return s.table + QStringLiteral("_find");
}

QString accentedName(const Searched& s) {
    return s.table + QStringLiteral("_accented");
}

// True for a row with a searched text beyond printable ASCII: the
// condition of the file's accented index, written the same in every
// statement so that SQLite takes the index for it.
QString accentedTerm(const Searched& s) {
    QStringList terms;
    for (const QString& f : s.fields)
        terms << QStringLiteral("%1 GLOB '*[^ -~]*'").arg(f);
    return QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

// On a server, a field as type-to-find folds it (taken apart into letters
// and accents, lowered by the names' collation, accents dropped by a
// translation table), in the C collation
// so that LIKE may compare it; the trigram index is built on the same
// expression, so the server finds accents, case and all through it.
QString serverFolded(const QString& field) {
    const FindFoldTable& table = findFoldTable();
    return QStringLiteral("(translate(lower(normalize(CAST(%1 AS text), NFD) COLLATE "
                          "gearlog_nocase) COLLATE \"C\", '%2', '%3'))")
        .arg(field, table.from, table.to);
}

// The server's trigram index is named after what it folds with, so that a
// changed fold makes a new one.
QString serverIndexName(const Searched& s) {
    const QByteArray definition = serverFolded(QString()).toUtf8();
    return s.table.toLower() + QStringLiteral("_fold_") +
           QString::fromLatin1(
               QCryptographicHash::hash(definition, QCryptographicHash::Sha1).toHex().left(8));
}

// True for a row whose searched texts, folded, hold the parameter (one a
// field).
QString foldedTerm(Engine engine, const Searched& s) {
    QStringList terms;
    for (const QString& f : s.fields)
        terms << dialect::findPositionTerm(engine, f) + QStringLiteral(" > 0");
    return QLatin1Char('(') + terms.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}

QStringList names(Store& store, const QString& sql) {
    QStringList found;
    for (const Row& r : store.select(sql, {}, {FieldType::Text}))
        found << r[0].toString().toLower();
    return found;
}

QStringList fileStatements(Store& store) {
    bool fts = false;
    try { // a library built without FTS5 (or its trigrams) finds by reading
        fts = !store
                   .select(QStringLiteral("SELECT 1 FROM pragma_module_list WHERE name = 'fts5' "
                                          "AND sqlite_version() >= '3.34'"),
                           {}, {FieldType::Long})
                   .empty();
    } catch (const EngineError&) {
    }
    const QStringList present = names(
        store, QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'index', "
                              "'trigger')"));
    QStringList statements;
    for (const FindTable t : tables) {
        const Searched& s = searched(t);
        const QString find = trigramName(s);
        const QString fields = s.fields.join(QStringLiteral(", "));
        const QString values = QStringLiteral("NEW.") + s.fields.join(QStringLiteral(", NEW."));
        const QString insert = QStringLiteral("INSERT INTO %1 (rowid, %2) VALUES (NEW.ID, %3);")
                                   .arg(find, fields, values);
        const QString remove = QStringLiteral("DELETE FROM %1 WHERE rowid = OLD.ID;").arg(find);
        const QStringList triggers{find + QStringLiteral("_insert"),
                                   find + QStringLiteral("_update"),
                                   find + QStringLiteral("_delete")};
        bool whole = present.contains(find.toLower());
        for (const QString& trigger : triggers)
            whole = whole && present.contains(trigger.toLower());
        if (fts && !whole) {
            // Made again whole: a trigram table without its triggers
            // would miss rows.
            for (const QString& trigger : triggers)
                statements << QStringLiteral("DROP TRIGGER IF EXISTS %1").arg(trigger);
            statements
                << QStringLiteral("DROP TABLE IF EXISTS %1").arg(find)
                << QStringLiteral("CREATE VIRTUAL TABLE %1 USING fts5(%2, tokenize = 'trigram')")
                       .arg(find, fields)
                << QStringLiteral("INSERT INTO %1 (rowid, %2) SELECT ID, %2 FROM %3")
                       .arg(find, fields, s.table)
                << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 BEGIN %3 END")
                       .arg(triggers[0], s.table, insert)
                << QStringLiteral("CREATE TRIGGER %1 AFTER UPDATE OF ID, %2 ON %3 BEGIN %4 %5 END")
                       .arg(triggers[1], fields, s.table, remove, insert)
                << QStringLiteral("CREATE TRIGGER %1 AFTER DELETE ON %2 BEGIN %3 END")
                       .arg(triggers[2], s.table, remove);
        }
        if (!present.contains(accentedName(s).toLower()))
            statements << QStringLiteral("CREATE INDEX %1 ON %2 (ID) WHERE %3")
                              .arg(accentedName(s), s.table, accentedTerm(s));
    }
    return statements;
}

QStringList serverStatements(Store& store) {
    const QStringList present =
        names(store, QStringLiteral("SELECT relname FROM pg_class WHERE relkind = 'i' AND "
                                    "pg_table_is_visible(oid)"));
    // The schema pg_trgm is in, or ("+" first) would be installed in; none
    // when it cannot be had.
    const auto trgm = store.select(
        QStringLiteral("SELECT COALESCE((SELECT quote_ident(n.nspname) FROM pg_extension e JOIN "
                       "pg_namespace n ON n.oid = e.extnamespace WHERE e.extname = 'pg_trgm'), "
                       "CASE WHEN EXISTS (SELECT 1 FROM pg_available_extensions WHERE name = "
                       "'pg_trgm') AND has_database_privilege(current_database(), 'CREATE') THEN "
                       "'+' || quote_ident(current_schema()) END)"),
        {}, {FieldType::Text});
    QString schema = trgm.empty() ? QString() : trgm.front()[0].toString();
    QStringList statements;
    for (const FindTable t : tables) {
        const Searched& s = searched(t);
        const QString index = serverIndexName(s);
        if (schema.isEmpty() || present.contains(index))
            continue;
        if (schema.startsWith(QLatin1Char('+'))) {
            schema = schema.mid(1);
            statements << QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm");
        }
        // One made with an earlier fold is replaced.
        for (const QString& old : present)
            if (old.startsWith(s.table.toLower() + QStringLiteral("_fold_")))
                statements << QStringLiteral("DROP INDEX IF EXISTS %1").arg(old);
        QStringList columns;
        for (const QString& f : s.fields)
            columns << serverFolded(f) + QStringLiteral(" %1.gin_trgm_ops").arg(schema);
        statements << QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 USING gin (%3)")
                          .arg(index, s.table, columns.join(QStringLiteral(", ")));
    }
    return statements;
}

bool hasTrigramTable(Store& store, const Searched& s) {
    return !store
                .select(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND "
                                       "name = '%1' COLLATE NOCASE")
                            .arg(trigramName(s)),
                        {}, {FieldType::Long})
                .empty();
}

// `text` as a pattern of LIKE that matches itself anywhere.
QString anywherePattern(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("\\%"))
        .replace(QLatin1Char('_'), QStringLiteral("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// The rows the trigram index (or, without one, a read of every row) finds.
std::vector<int> trigramKeys(Store& store, const Searched& s, const QString& folded, int limit) {
    const Engine engine = store.engine();
    if (engine == Engine::Sqlite && hasTrigramTable(store, s)) {
        QString phrase = folded;
        phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return store.selectKeys(
            QStringLiteral("SELECT rowid FROM %1 WHERE %1 MATCH ? ORDER BY rowid LIMIT %2")
                .arg(trigramName(s))
                .arg(limit),
            {QStringLiteral("{%1} : \"%2\"").arg(s.fields.join(QLatin1Char(' ')), phrase)});
    }
    if (engine == Engine::Sqlite) {
        QVariantList params;
        for (qsizetype i = 0; i < s.fields.size(); ++i)
            params << folded;
        return store.selectKeys(QStringLiteral("SELECT ID FROM %1 WHERE %2 ORDER BY ID LIMIT %3")
                                    .arg(s.table, foldedTerm(engine, s))
                                    .arg(limit),
                                params);
    }
    // The trigram index's own expressions (read whole without it). No
    // order: the first rows found end the read.
    QStringList terms;
    QVariantList params;
    for (const QString& f : s.fields) {
        terms << serverFolded(f) + QStringLiteral(" LIKE ?");
        params << anywherePattern(folded);
    }
    return store.selectKeys(QStringLiteral("SELECT ID FROM %1 WHERE %2 LIMIT %3")
                                .arg(s.table, terms.join(QStringLiteral(" OR ")))
                                .arg(limit),
                            params);
}

// On a file, rows with text beyond plain ASCII that hold the text once
// folded (the trigram table matches case only).
std::vector<int> accentedKeys(Store& store, const Searched& s, const QString& folded, int limit) {
    QVariantList params;
    for (qsizetype i = 0; i < s.fields.size(); ++i)
        params << folded;
    return store.selectKeys(QStringLiteral("SELECT ID FROM %1 WHERE %2 AND %3 LIMIT %4")
                                .arg(s.table, accentedTerm(s), foldedTerm(Engine::Sqlite, s))
                                .arg(limit),
                            params);
}

} // namespace

QStringList findIndexStatements(Store& store) {
    return store.engine() == Engine::Sqlite ? fileStatements(store) : serverStatements(store);
}

FoundKeys find_text_keys(Store& store, FindTable table, const QString& folded, int limit) {
    const Searched& s = searched(table);
    std::vector<int> keys = trigramKeys(store, s, folded, limit + 1);
    FoundKeys found;
    found.more = keys.size() > static_cast<size_t>(limit);
    const std::vector<int> accented = store.engine() == Engine::Sqlite
                                          ? accentedKeys(store, s, folded, limit + 1)
                                          : std::vector<int>();
    found.more = found.more || accented.size() > static_cast<size_t>(limit);
    keys.insert(keys.end(), accented.begin(), accented.end());
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    if (keys.size() > static_cast<size_t>(limit)) {
        keys.resize(static_cast<size_t>(limit));
        found.more = true;
    }
    found.keys = std::move(keys);
    return found;
}

} // namespace gearlog
