#include "HistoryCheck.h"

#include "ChangeHistory.h"
#include "KeyedRead.h"
#include "Schema.h"

#include <QHash>
#include <algorithm>
#include <map>

namespace gearlog {

namespace {

struct Recorded {
    double id;
    QString field, after, action;
};

} // namespace

QStringList historyDisagreements(Store& store) {
    if (!has_history_table(store))
        return {};
    // The last entry of each field of each record.
    std::map<std::pair<QString, int>, std::vector<Recorded>> last;
    for (const Row& r : store.select(
             // A table's name in any case is the one table.
             QStringLiteral("SELECT lower(h.TableName), h.RecordID, h.Field, h.After, h.Action, "
                            "h.ID FROM Table_history h JOIN (SELECT lower(TableName) AS t, "
                            "RecordID, Field, MAX(ID) AS LastID FROM Table_history WHERE Field IS "
                            "NOT NULL GROUP BY lower(TableName), RecordID, Field) m ON h.ID = "
                            "m.LastID"),
             {},
             {FieldType::Text, FieldType::Long, FieldType::Text, FieldType::Text, FieldType::Text,
              FieldType::Double}))
        last[{r[0].toString(), r[1].toInt()}].push_back(
            {r[5].toDouble(), r[2].toString(), r[3].toString(), r[4].toString()});
    QHash<QString, std::vector<int>> keysOf;
    for (const auto& [record, fields] : last)
        keysOf[record.first].push_back(record.second);
    QStringList found;
    for (auto it = keysOf.cbegin(); it != keysOf.cend(); ++it) {
        const TableDef* table = findTable(it.key());
        if (!table)
            continue;
        QStringList columns;
        std::vector<FieldType> types;
        // Pictures are not compared, nor read.
        for (const FieldDef& f : table->fields)
            if (f.type != FieldType::LongBinary) {
                columns << f.name;
                types.push_back(f.type);
            }
        QHash<int, Row> rows;
        read_in_key_order(store,
                          QStringLiteral("SELECT %1 FROM %2 WHERE ID IN")
                              .arg(columns.join(QStringLiteral(", ")), table->name),
                          it.value(), types, [&](const Row& r) { rows.insert(r[0].toInt(), r); });
        for (const int key : it.value()) {
            const auto& fields = last[{it.key(), key}];
            const auto row = rows.constFind(key);
            // What the record's newest entry did decides.
            const bool deleted =
                std::max_element(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
                    return a.id < b.id;
                })->action == QLatin1String("Deleted");
            if (row == rows.cend() || deleted) {
                if ((row == rows.cend()) != deleted)
                    found << QStringLiteral("%1 %2 %3, though Gearlog last recorded it %4")
                                 .arg(table->name)
                                 .arg(key)
                                 .arg(deleted ? QStringLiteral("exists")
                                              : QStringLiteral("is missing"))
                                 .arg(deleted ? QStringLiteral("deleted")
                                              : QStringLiteral("written"));
                continue;
            }
            for (const Recorded& f : fields) {
                const auto c = columns.indexOf(f.field);
                if (c < 0 || f.action == QLatin1String("Deleted") ||
                    types[static_cast<size_t>(c)] == FieldType::Memo)
                    continue;
                const QString now =
                    history_text((*row)[static_cast<size_t>(c)], types[static_cast<size_t>(c)]);
                if (now != f.after)
                    found << QStringLiteral("%1 %2 %3 is \"%4\", though Gearlog last wrote \"%5\"")
                                 .arg(table->name)
                                 .arg(key)
                                 .arg(f.field, now, f.after);
            }
        }
    }
    return found;
}

} // namespace gearlog
