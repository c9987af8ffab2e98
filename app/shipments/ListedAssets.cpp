#include "ListedAssets.h"

#include "Database.h"
#include "Dialect.h"

#include <QStringList>

namespace gearlog {

namespace {

// Asset keys per statement: short enough for any engine's statement size.
constexpr size_t batch = 500;

using F = FieldType;

// The asset's columns of a statement, from `first` on, in this order.
QString assetColumns(Engine engine) {
    return QStringLiteral("a.ID, a.ModelNumber, a.SerialNumber, a.ShipmentID, a.AccountID, e.Name, "
                          "e.Weight, e.Height, e.Width, e.Depth, c.Name, ") +
           dialect::selectTerm(engine, QStringLiteral("a.NextSchedMaint"), F::Date);
}
const char* const assetJoins =
    "LEFT JOIN Table_Equipment e ON e.ID = a.EquipmentID LEFT JOIN Table_Category c ON c.ID = "
    "e.CategoryID";
const std::vector<FieldType> assetTypes = {F::Long,   F::Text,   F::Text,   F::Long,
                                           F::Long,   F::Text,   F::Single, F::Single,
                                           F::Single, F::Single, F::Text,   F::Date};

void keep(const Row& r, size_t first, ListedAssets& known) {
    const auto at = [&](size_t i) -> const QVariant& {
        return r[first + i];
    };
    if (!at(0).isValid())
        return; // the asset is gone
    const auto key = [](const QVariant& v) {
        return v.isValid() ? v.toInt() : -1;
    };
    known.insert(at(0).toInt(), {at(1).toString(), at(2).toString(), at(5).toString(),
                                 at(10).toString(), key(at(3)), key(at(4)), at(6), at(7), at(8),
                                 at(9), at(11).isValid() ? at(11).toDateTime().date() : QDate()});
}

} // namespace

void read_listed_assets(Database& db, const std::vector<int>& ids, ListedAssets& known) {
    QStringList missing;
    const auto flush = [&] {
        if (missing.isEmpty())
            return;
        const QString sql = QStringLiteral("SELECT %1 FROM Table_Asset a %2 WHERE a.ID IN (%3)")
                                .arg(assetColumns(db.engine()), QLatin1String(assetJoins),
                                     missing.join(QLatin1Char(',')));
        for (const Row& row : db.store().select(sql, {}, assetTypes))
            keep(row, 0, known);
        missing.clear();
    };
    QSet<int> asked;
    for (const int id : ids) {
        if (id < 0 || known.contains(id) || asked.contains(id))
            continue;
        asked.insert(id);
        missing << QString::number(id);
        if (static_cast<size_t>(missing.size()) == batch)
            flush();
    }
    flush();
}

std::vector<ShownLine> read_shipment_lines(Database& db, int shipment, ListedAssets& assets) {
    const Engine engine = db.engine();
    const QString sql =
        QStringLiteral("SELECT l.IsCompleted, %1, %2 FROM Table_ShippingList l LEFT JOIN "
                       "Table_Asset a ON a.ID = l.AssetID %3 WHERE l.ShipmentID = ? ORDER BY %4, "
                       "l.ID")
            .arg(dialect::selectTerm(engine, QStringLiteral("l.CompletionDate"), F::Date),
                 QStringLiteral("l.AssetID, ") + assetColumns(engine), QLatin1String(assetJoins),
                 dialect::orderTerm(engine, QStringLiteral("l.AssetID"), F::Long, false));
    std::vector<FieldType> types = {F::Boolean, F::Date, F::Long};
    types.insert(types.end(), assetTypes.begin(), assetTypes.end());
    std::vector<ShownLine> lines;
    for (const Row& row : db.store().select(sql, {shipment}, types)) {
        // Only a completed line has come back, whatever date is stored.
        lines.push_back({row[2], row[0].toBool() ? row[1] : QVariant()});
        keep(row, 3, assets);
    }
    return lines;
}

} // namespace gearlog
