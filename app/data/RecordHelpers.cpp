#include "RecordHelpers.h"

#include "Database.h"
#include "Dialect.h"
#include "EngineError.h"
#include "JetSql.h"
#include "Recordset.h"

#include <QFileInfo>

namespace gearlog {

namespace {
bool findWithCriteria(Recordset& cursor, QString criteria, const QString& extraClause) {
    if (!extraClause.isEmpty())
        criteria += QLatin1Char(' ') + extraClause;
    try {
        return cursor.findFirst(criteria);
    } catch (const CriteriaError&) {
        // Only a criterion that cannot be read means "not found"; a failing
        // engine reaches the command, which must not act on a guess.
        return false;
    }
}
} // namespace

int key_of(Recordset& cursor, const QString& field) {
    const QVariant value = cursor.value(field);
    return value.isValid() ? value.toInt() : -1;
}

int record_count(Recordset& cursor) {
    cursor.moveLast();
    return cursor.recordCount();
}

bool file_exists(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile();
}

bool find_record_by_number(Recordset& cursor, const QString& field, int value,
                           const QString& extraClause) {
    return findWithCriteria(cursor, field + QLatin1Char('=') + QString::number(value), extraClause);
}

bool find_record_by_text(Recordset& cursor, const QString& field, const QString& value,
                         const QString& extraClause) {
    return findWithCriteria(cursor, field + QLatin1Char('=') + quoteText(value), extraClause);
}

bool find_stored_record_by_text(Recordset& cursor, const QString& field, const QString& value) {
    const TableDef* table = cursor.query().baseTable;
    if (table) {
        QList<int> keys;
        const QString criteria = field + QLatin1Char('=') + quoteText(value);
        for (bool found = cursor.findFirst(criteria); found; found = cursor.findNext(criteria))
            keys << cursor.value(QStringLiteral("ID")).toInt();
        for (const Row& row : cursor.database().store().select(
                 QStringLiteral("SELECT ID FROM %1 WHERE %2 = ?").arg(table->name, field), {value},
                 {FieldType::Long}))
            keys << row[0].toInt();
        cursor.reread(keys);
    }
    return find_record_by_text(cursor, field, value);
}

namespace {

// Many keys at once: whole blocks claimed, from the one holding `first` (a
// block where another desk holds a key is passed over), and of their keys
// those no row has, in order.
std::vector<int> claimKeyBlocks(Database& db, const QString& table, int first, int count) {
    const QString claim = dialect::keyBlocksClaimStatement(db.engine());
    const QString free = dialect::keysFreeStatement(db.engine(), table);
    constexpr int size = dialect::keysPerBlock;
    std::vector<int> keys;
    for (int block = first / size; static_cast<int>(keys.size()) < count;) {
        const int wanted = (count - static_cast<int>(keys.size())) / size + 1;
        const int last = block + 2 * wanted + 4;
        int claimed = -1;
        for (const Row& row :
             db.store().select(claim, {block, last, table, wanted}, {FieldType::Long})) {
            claimed = row[0].toInt();
            QStringList candidates;
            for (int k = std::max(first, claimed * size); k < (claimed + 1) * size; ++k)
                candidates << QString::number(k);
            for (const Row& key : db.store().select(
                     free,
                     {QLatin1Char('{') + candidates.join(QLatin1Char(',')) + QLatin1Char('}')},
                     {FieldType::Long}))
                keys.push_back(key[0].toInt());
        }
        block = claimed >= 0 ? claimed + 1 : last + 1;
    }
    keys.resize(static_cast<size_t>(count));
    return keys;
}

} // namespace

std::vector<int> next_ids(Database& db, const QString& name, int count) {
    const QString table = name.trimmed();
    const QString claim = dialect::keysClaimStatement(db.engine());
    const bool claiming = db.inTransaction() && !claim.isEmpty();
    // A transaction adding many rows reads the largest key once: the
    // claims below pass over whatever other desks wrote since.
    int first = claiming ? db.lastKeyGiven(table) + 1 : 1;
    if (first == 1) {
        const auto cursor = db.openRecordset(QStringLiteral("SELECT MAX(ID) AS Max FROM ") + table);
        if (!cursor->bof()) {
            cursor->moveFirst();
            const QVariant max = cursor->value(QStringLiteral("Max"));
            first = max.isValid() ? max.toInt() + 1 : 1;
        }
    }
    std::vector<int> keys;
    if (!claiming) {
        for (int k = 0; k < count; ++k)
            keys.push_back(first + k);
        return keys;
    }
    if (count >= dialect::keysPerBlock) {
        keys = claimKeyBlocks(db, table, first, count);
        db.keyGiven(table, keys.back());
        return keys;
    }
    // Keys another desk has claimed and not yet written are passed over,
    // and so are those it wrote since the largest was read: the next free
    // ones are this desk's, at once, in two statements for many.
    const QString free = dialect::keysFreeStatement(db.engine(), table);
    while (static_cast<int>(keys.size()) < count) {
        const int wanted = count - static_cast<int>(keys.size());
        const int last = first + 4 * wanted + 16;
        QStringList claimed;
        for (const Row& row :
             db.store().select(claim, {first, last, table, wanted}, {FieldType::Long}))
            claimed << row[0].toString();
        // Nothing free in the range: most likely a block another desk is
        // filling, so on past it.
        first = (last / dialect::keysPerBlock + 1) * dialect::keysPerBlock;
        if (claimed.isEmpty())
            continue;
        first = claimed.constLast().toInt() + 1;
        for (const Row& row : db.store().select(
                 free, {QLatin1Char('{') + claimed.join(QLatin1Char(',')) + QLatin1Char('}')},
                 {FieldType::Long}))
            keys.push_back(row[0].toInt());
    }
    db.keyGiven(table, keys.back());
    return keys;
}

int next_id(Database& db, const QString& table) {
    return next_ids(db, table, 1).front();
}

bool lock_row(Database& db, const QString& table, int id, RowLock lock) {
    return !db.store()
                .select(QStringLiteral("SELECT ID FROM %1 WHERE ID = ?").arg(table.trimmed()) +
                            dialect::rowLockClause(db.engine(), lock),
                        {id}, {FieldType::Long})
                .empty();
}

std::optional<QString> first_referrer(Database& db, const QString& table, const QStringList& fields,
                                      int key, const QString& nameField,
                                      const QString& orderField) {
    const TableDef* def = findTable(table);
    if (!def)
        throw EngineError(
            QStringLiteral("The table '%1' is not part of the database schema").arg(table));
    FieldType orderType = FieldType::Unknown;
    for (const FieldDef& f : def->fields)
        if (f.name.compare(orderField, Qt::CaseInsensitive) == 0)
            orderType = f.type;
    QStringList tests;
    QVariantList params;
    for (const QString& field : fields) {
        tests << field + QStringLiteral(" = ?");
        params << key;
    }
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4, ID LIMIT 1")
                            .arg(nameField, def->name, tests.join(QStringLiteral(" OR ")),
                                 dialect::orderTerm(db.engine(), orderField, orderType, false));
    const auto rows = db.store().select(sql, params, {FieldType::Text});
    if (rows.empty())
        return std::nullopt;
    return rows.front()[0].toString();
}

void add_new_record(Recordset& cursor, Database& db, const QString& table) {
    const int id = next_id(db, table);
    cursor.addNew();
    cursor.setValue(QStringLiteral("ID"), id);
}

} // namespace gearlog
