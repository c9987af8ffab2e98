#include "ShippingListFiller.h"

#include "AppState.h"
#include "DateField.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "Session.h"

#include <algorithm>

namespace gearlog {

namespace {

// A field of the row a look-up found, or empty when it found none.
QString fieldOf(bool found, Recordset& rs, const QString& field) {
    return found ? rs.value(field).toString() : QString();
}

void shapeFull(FlexGrid& grid) {
    const int width = (grid.widthTwips() - 1000) / 5;
    for (int c = 0; c < 5; ++c) {
        grid.setColWidth(c, width);
        grid.setColAlignment(c, Qt::AlignLeft);
    }
}

} // namespace

void shape_short_shipping_list(FlexGrid& grid) {
    grid.setColWidth(0, 250);
    // The ID column is 500 twips, or wider where the font needs it for a
    // seven-digit key.
    const int idWidth = std::max(500, grid.textWidthTwips(QStringLiteral("0000000")));
    grid.setColWidth(1, idWidth);
    const int rest = (grid.widthTwips() - grid.colWidth(0) - idWidth - 500) / 2;
    grid.setColWidth(2, rest);
    grid.setColWidth(3, rest);
    for (int c = 1; c < 4; ++c)
        grid.setColAlignment(c, Qt::AlignLeft);
}

void fill_shipping_list_grid(Session& session, AppState& state, ShippingListForm form,
                             int shipmentId, FlexGrid& grid) {
    const bool full = form == ShippingListForm::Full;
    grid.clear();
    grid.setRows(1);
    LoadingGuard loading(state.loading);
    Recordset& lines = session.open_shipping_query(
        QStringLiteral("SELECT * FROM [Table_ShippingList] WHERE ShipmentID = %1 ORDER BY AssetID;")
            .arg(shipmentId));
    const int count = record_count(lines);
    grid.setCols(full ? 5 : 4);
    grid.setFixedCols(full ? 0 : 1);
    grid.setRows(count + 1);
    if (full)
        shapeFull(grid);
    else
        shape_short_shipping_list(grid);

    Recordset& assets = session.rs_asset();
    Recordset& equipment = session.rs_equipment();
    Recordset& categories = session.rs_category();
    const QString id = QStringLiteral("ID"), name = QStringLiteral("Name");
    const QString model = QStringLiteral("ModelNumber"), serial = QStringLiteral("SerialNumber");
    QString clip =
        full ? QStringLiteral("Category\tEquipment\tModel Number\tSerial Number\tReturned\r")
             : QStringLiteral("\tID\tModel Number\tSerial Number\r");
    const auto assetField = lines.field(QStringLiteral("AssetID"));
    const auto completionField = lines.field(QStringLiteral("CompletionDate"));
    const auto completedField = lines.field(QStringLiteral("IsCompleted"));
    for (lines.moveFirst(); !lines.eof(); lines.moveNext()) {
        const QVariant assetId = lines.value(assetField);
        const bool hasAsset =
            assetId.isValid() && find_record_by_number(assets, id, assetId.toInt());
        if (full) {
            const int type = hasAsset ? key_of(assets, QStringLiteral("EquipmentID")) : -1;
            const bool hasType = type >= 0 && find_record_by_number(equipment, id, type);
            const int category = hasType ? key_of(equipment, QStringLiteral("CategoryID")) : -1;
            const bool hasCategory =
                category >= 0 && find_record_by_number(categories, id, category);
            // Only a completed line has come back, whatever date is stored.
            const QVariant completed =
                lines.value(completedField).toBool() ? lines.value(completionField) : QVariant();
            clip += fieldOf(hasCategory, categories, name) + QLatin1Char('\t') +
                    fieldOf(hasType, equipment, name) + QLatin1Char('\t');
            clip += fieldOf(hasAsset, assets, model) + QLatin1Char('\t') +
                    fieldOf(hasAsset, assets, serial) + QLatin1Char('\t') +
                    (completed.isValid() ? format_date(completed.toDate()) : QString()) +
                    QLatin1Char('\r');
        } else {
            clip += QLatin1Char('\t') +
                    (assetId.isValid() ? QString::number(assetId.toInt()) : QString()) +
                    QLatin1Char('\t') + fieldOf(hasAsset, assets, model) + QLatin1Char('\t') +
                    fieldOf(hasAsset, assets, serial) + QLatin1Char('\r');
        }
    }
    grid.fillAll(clip, 0, full ? 0 : 1);
    state.list_sort = GridSortState{};
}

} // namespace gearlog
