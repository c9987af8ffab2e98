#include "KeyedRead.h"

#include <QHash>
#include <algorithm>

namespace gearlog {

namespace {
constexpr size_t keysPerRead = 1000;
} // namespace

QString key_list(std::span<const int> keys) {
    QString list;
    list.reserve(static_cast<qsizetype>(keys.size()) * 8);
    for (const int key : keys) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QString::number(key);
    }
    return list;
}

void read_in_key_order(Store& store, const QString& sql, const std::vector<int>& keys,
                       const std::vector<FieldType>& types,
                       const std::function<void(const Row&)>& take, const QString& lockClause) {
    for (size_t first = 0; first < keys.size(); first += keysPerRead) {
        const std::span<const int> piece(keys.data() + first,
                                         std::min(keysPerRead, keys.size() - first));
        QHash<int, Row> byKey;
        for (Row& r : store.select(sql + QStringLiteral(" (%1)").arg(key_list(piece)) + lockClause,
                                   {}, types))
            byKey.insert(r[0].toInt(), std::move(r));
        for (const int key : piece) {
            const auto found = byKey.constFind(key);
            if (found != byKey.cend())
                take(*found);
        }
    }
}

} // namespace gearlog
