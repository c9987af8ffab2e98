#include "ListedAssets.h"

#include "Database.h"

#include <QStringList>

namespace gearlog {

namespace {

// Asset keys per statement: short enough for any engine's statement size.
constexpr size_t batch = 500;

void readInto(Database& db, const QString& where, const QVariantList& params, ListedAssets& known) {
    using F = FieldType;
    const QString sql =
        QStringLiteral("SELECT a.ID, a.ModelNumber, a.SerialNumber, a.ShipmentID, a.AccountID, "
                       "e.Name, e.Weight, e.Height, e.Width, e.Depth, c.Name FROM Table_Asset a "
                       "LEFT JOIN Table_Equipment e ON e.ID = a.EquipmentID LEFT JOIN "
                       "Table_Category c ON c.ID = e.CategoryID WHERE ") +
        where;
    const auto key = [](const QVariant& v) {
        return v.isValid() ? v.toInt() : -1;
    };
    for (const Row& r : db.store().select(sql, params,
                                          {F::Long, F::Text, F::Text, F::Long, F::Long, F::Text,
                                           F::Single, F::Single, F::Single, F::Single, F::Text}))
        known.insert(r[0].toInt(),
                     {r[1].toString(), r[2].toString(), r[5].toString(), r[10].toString(),
                      key(r[3]), key(r[4]), r[6], r[7], r[8], r[9]});
}

} // namespace

void read_listed_assets(Database& db, const std::vector<int>& ids, ListedAssets& known) {
    QStringList missing;
    const auto flush = [&] {
        if (!missing.isEmpty())
            readInto(db, QStringLiteral("a.ID IN (%1)").arg(missing.join(QLatin1Char(','))), {},
                     known);
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

ListedAssets read_shipment_assets(Database& db, int shipment) {
    ListedAssets known;
    readInto(
        db, QStringLiteral("a.ID IN (SELECT AssetID FROM Table_ShippingList WHERE ShipmentID = ?)"),
        {shipment}, known);
    return known;
}

} // namespace gearlog
