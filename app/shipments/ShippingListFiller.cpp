#include "ShippingListFiller.h"

#include "AppState.h"
#include "DateField.h"
#include "FlexGrid.h"
#include "RecordHelpers.h"
#include "Session.h"

#include <algorithm>

namespace gearlog {

namespace {

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

ListedAssets fill_shipping_list_grid(Session& session, AppState& state, ShippingListForm form,
                                     int shipmentId, FlexGrid& grid) {
    const bool full = form == ShippingListForm::Full;
    grid.clear();
    grid.setRows(1);
    LoadingGuard loading(state.loading);
    // The working cursor over the lines, which the commands on them use;
    // the grid shows the lines with their assets, read in one statement
    // rather than a look-up a line.
    session.open_shipping_query(
        QStringLiteral("SELECT * FROM [Table_ShippingList] WHERE ShipmentID = %1 ORDER BY AssetID;")
            .arg(shipmentId));
    ListedAssets assets;
    const std::vector<ShownLine> shown =
        read_shipment_lines(session.database(), shipmentId, assets);
    grid.setCols(full ? 5 : 4);
    grid.setFixedCols(full ? 0 : 1);
    grid.setRows(static_cast<int>(shown.size()) + 1);
    if (full)
        shapeFull(grid);
    else
        shape_short_shipping_list(grid);
    QString clip =
        full ? QStringLiteral("Category\tEquipment\tModel Number\tSerial Number\tReturned\r")
             : QStringLiteral("\tID\tModel Number\tSerial Number\r");
    const ListedAsset none;
    for (const ShownLine& line : shown) {
        const auto found =
            line.assetId.isValid() ? assets.constFind(line.assetId.toInt()) : assets.cend();
        const ListedAsset& asset = found != assets.cend() ? *found : none;
        if (full) {
            clip +=
                asset.category + QLatin1Char('\t') + asset.equipment + QLatin1Char('\t') +
                asset.model + QLatin1Char('\t') + asset.serial + QLatin1Char('\t') +
                (line.completion.isValid() ? format_date(line.completion.toDate()) : QString()) +
                QLatin1Char('\r');
        } else {
            clip += QLatin1Char('\t') +
                    (line.assetId.isValid() ? QString::number(line.assetId.toInt()) : QString()) +
                    QLatin1Char('\t') + asset.model + QLatin1Char('\t') + asset.serial +
                    QLatin1Char('\r');
        }
    }
    grid.fillAll(clip, 0, full ? 0 : 1);
    state.list_sort = GridSortState{};
    return assets;
}

} // namespace gearlog
