#include "ShippingList.h"

#include "Maintenance.h"
#include "MaintenanceTables.h"

#include "AppState.h"
#include "AssetList.h"
#include "ColourCode.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "LocationColour.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "ShippingLines.h"
#include "ShippingListFiller.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <imagelet/Imagelet.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>

namespace gearlog {

namespace {

constexpr int white = 0xFFFFFF;
constexpr int yellow = 0x00FFFF;
constexpr int red = 0x0000FF;
constexpr int orange = 0x40A0FF;

// The tick box of a row, drawn by the style as its check box.
QPixmap tickPicture(QWidget* widget, bool ticked) {
    QStyleOptionButton option;
    option.initFrom(widget);
    option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
    const int side = widget->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget);
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap picture(QSize(side, side) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    option.rect = QRect(0, 0, side, side);
    QPainter painter(&picture);
    widget->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, widget);
    return picture;
}

QLineEdit* makeTotalBox(QWidget* page, const QString& name, const QString& label,
                        const QString& tip, int y) {
    auto* box = new QLineEdit(page);
    box->setObjectName(name);
    box->setToolTip(tip);
    box->setReadOnly(true);
    box->setGeometry(780, y, 110, 26);
    makeLabel(page, label, box, {620, y, 150, 26});
    return box;
}

} // namespace

ShippingList::ShippingList(ViewContext& context, QWidget* page)
    : QObject(page), m_context(context) {
    AssetList::Layout layout;
    layout.category = {100, 10, 300, 26};
    layout.equipment = {100, 45, 300, 26};
    layout.grid = {10, 80, 390, 300};
    layout.photo = {415, 10, 190, 170};
    layout.status = {100, 390, 300, 26};
    layout.location = {100, 425, 300, 26};
    layout.weight = {100, 460, 100, 26};
    layout.volume = {300, 460, 100, 26};
    m_picker = new AssetList(context, 1, page, layout);
    m_picker->isListed = [this](int assetId) {
        return isListed(assetId);
    };

    const QString tip = QStringLiteral("Create a new item in the table");
    Command_add_item_to_shipping_list =
        makeButton(page, QStringLiteral("Command_add_item_to_shipping_list"),
                   QStringLiteral("Add item to list"), tip, {415, 200, 190, 30});
    Command_delete_item_from_shipping_list =
        makeButton(page, QStringLiteral("Command_delete_item_from_shipping_list"),
                   QStringLiteral("Delete item from list"), tip, {415, 240, 190, 30});
    Command_return_item_from_shipping_list =
        makeButton(page, QStringLiteral("Command_return_item_from_shipping_list"),
                   QStringLiteral("Return items to Stock"), tip, {620, 500, 210, 30});
    Command_transfer_item_from_shipping_list =
        makeButton(page, QStringLiteral("Command_transfer_item_from_shipping_list"),
                   QStringLiteral("Transfer items"), tip, {850, 500, 210, 30});
    m_picker->addItemButton = Command_add_item_to_shipping_list;
    m_picker->deleteItemButton = Command_delete_item_from_shipping_list;
    connect(Command_add_item_to_shipping_list, &QPushButton::clicked, this,
            guarded([this] { Command_add_item_to_shipping_list_Click(); }));
    connect(Command_delete_item_from_shipping_list, &QPushButton::clicked, this,
            guarded([this] { Command_delete_item_from_shipping_list_Click(); }));

    Grid_shipping_list = makeGrid(
        page, QStringLiteral("Grid_shipping_list"), QStringLiteral("Shipping list grid"),
        QStringLiteral("Click on item to show category and equipment list. Double-click to show "
                       "the shipping history."),
        {620, 10, 440, 370}, 4);
    m_tickPictures = {tickPicture(Grid_shipping_list, false),
                      tickPicture(Grid_shipping_list, true)};
    connect(Grid_shipping_list, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });
    connect(Grid_shipping_list, &FlexGrid::Click, this,
            guarded([this] { Grid_shipping_list_Click(); }));
    connect(Grid_shipping_list, &FlexGrid::RowChanged, this, guarded([this] { selectRow(); }));
    connect(Grid_shipping_list, &FlexGrid::DblClick, this,
            guarded([this] { Grid_shipping_list_DblClick(); }));
    showHeadingsOnly();

    Text_shipment_count = makeTotalBox(page, QStringLiteral("Text_shipment_count"),
                                       QStringLiteral("Number of items"), QString(), 390);
    Text_shipment_weight = makeTotalBox(page, QStringLiteral("Text_shipment_weight"),
                                        QStringLiteral("Shipment Weight"),
                                        QStringLiteral("The weight of this item in kg"), 425);
    Text_shipment_volume = makeTotalBox(page, QStringLiteral("Text_shipment_volume"),
                                        QStringLiteral("Shipment Volume"),
                                        QStringLiteral("The volume of this item in cu.m"), 460);
}

// ---- showing the list ---------------------------------------------------------

void ShippingList::writeHeadings() {
    Grid_shipping_list->setTextMatrix(0, 1, QStringLiteral("ID"));
    Grid_shipping_list->setTextMatrix(0, 2, QStringLiteral("Model Number"));
    Grid_shipping_list->setTextMatrix(0, 3, QStringLiteral("Serial Number"));
}

void ShippingList::showHeadingsOnly() {
    Grid_shipping_list->clear();
    Grid_shipping_list->setRows(1);
    shape_short_shipping_list(*Grid_shipping_list);
    writeHeadings();
    reset_shipping_list_selection();
    Command_add_item_to_shipping_list->setEnabled(false);
    Command_delete_item_from_shipping_list->setEnabled(false);
}

void ShippingList::clear() {
    m_assets.clear();
    showHeadingsOnly();
    Text_shipment_count->clear();
    Text_shipment_weight->clear();
    Text_shipment_volume->clear();
    LoadingGuard loading(m_context.state().loading);
    m_picker->Combo_asset_category->setCurrentIndex(-1);
    m_picker->Combo_asset_equipment->setCurrentIndex(-1);
    m_picker->clearList();
}

void ShippingList::load(int shipmentId) {
    AppState& state = m_context.state();
    m_assets = fill_shipping_list_grid(m_context.session(), state, ShippingListForm::Short,
                                       shipmentId, *Grid_shipping_list);
    LoadingGuard loading(state.loading);
    update_shipping_list_info();
}

void ShippingList::show(const std::vector<ListedItem>& items) {
    FlexGrid& grid = *Grid_shipping_list;
    m_assets.clear();
    grid.clear();
    grid.setRows(static_cast<int>(items.size()) + 1);
    writeHeadings();
    for (size_t i = 0; i < items.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid.setTextMatrix(row, 1, QString::number(items[i].assetId));
        grid.setTextMatrix(row, 2, items[i].model);
        grid.setTextMatrix(row, 3, items[i].serial);
    }
    grid.setRow(0);
    grid.setCol(1);
    update_shipping_list_info();
}

ListedItem ShippingList::itemAt(int row) const {
    bool numeric = false;
    const int id = Grid_shipping_list->textMatrix(row, 1).toInt(&numeric);
    return {numeric ? id : -1, Grid_shipping_list->textMatrix(row, 2),
            Grid_shipping_list->textMatrix(row, 3)};
}

std::vector<ListedItem> ShippingList::items() const {
    std::vector<ListedItem> listed;
    for (int r = 1; r < Grid_shipping_list->rows(); ++r)
        if (const ListedItem item = itemAt(r); item.assetId >= 0)
            listed.push_back(item);
    return listed;
}

std::vector<ListedItem> ShippingList::tickedItems() const {
    std::vector<ListedItem> ticked;
    for (int r = 1; r < Grid_shipping_list->rows(); ++r)
        if (m_ticked[static_cast<size_t>(r)])
            ticked.push_back(itemAt(r));
    return ticked;
}

bool ShippingList::isListed(int assetId) const {
    for (int r = 1; r < Grid_shipping_list->rows(); ++r)
        if (itemAt(r).assetId == assetId)
            return true;
    return false;
}

// ---- ticks and totals ---------------------------------------------------------

void ShippingList::setTicked(int row, bool ticked) {
    m_ticked[static_cast<size_t>(row)] = ticked;
    Grid_shipping_list->setCellPicture(row, 0, m_tickPictures[ticked ? 1 : 0],
                                       ticked ? QStringLiteral("Ticked")
                                              : QStringLiteral("Not ticked"));
    Grid_shipping_list->setCellBackColor(row, 3, colourFromCode(ticked ? red : white));
}

void ShippingList::setTickedButtons() {
    const bool any = m_context.state().ticked_line_count >= 1;
    Command_return_item_from_shipping_list->setEnabled(any);
    Command_transfer_item_from_shipping_list->setEnabled(any);
}

std::vector<DueAsset> ShippingList::dueBefore(const QDate& expected) {
    std::vector<DueAsset> due;
    for (const ListedAsset* asset : assetsByRow())
        if (asset && due_before_return(asset->maintenance, expected))
            due.push_back({asset->model, asset->serial, asset->maintenance});
    return due;
}

void ShippingList::markDueLines() {
    markDueLines(assetsByRow());
}

void ShippingList::markDueLines(const std::vector<const ListedAsset*>& rows) {
    // A line whose asset's maintenance falls before the shipment is back
    // shows its model number on orange.
    const QDate expected = expectedReturn ? expectedReturn() : QDate();
    for (size_t r = 1; r < rows.size(); ++r) {
        const bool due = rows[r] && due_before_return(rows[r]->maintenance, expected);
        Grid_shipping_list->setCellBackColor(static_cast<int>(r), 2,
                                             colourFromCode(due ? orange : white));
    }
}

std::vector<const ListedAsset*> ShippingList::assetsByRow() {
    const int count = Grid_shipping_list->rows();
    std::vector<int> ids(static_cast<size_t>(std::max(count, 1)), -1);
    std::vector<int> missing;
    for (int r = 1; r < count; ++r) {
        const int id = itemAt(r).assetId;
        ids[static_cast<size_t>(r)] = id;
        if (id >= 0 && !m_assets.contains(id))
            missing.push_back(id);
    }
    if (!missing.empty()) // an empty list is shown before any database is open
        read_listed_assets(m_context.session().database(), missing, m_assets);
    std::vector<const ListedAsset*> rows(ids.size(), nullptr);
    for (size_t r = 1; r < ids.size(); ++r)
        if (const auto asset = m_assets.constFind(ids[r]); asset != m_assets.cend())
            rows[r] = &*asset;
    return rows;
}

void ShippingList::reset_shipping_list_selection() {
    resetSelection(assetsByRow());
}

void ShippingList::resetSelection(const std::vector<const ListedAsset*>& rows) {
    AppState& state = m_context.state();
    FlexGrid& grid = *Grid_shipping_list;
    m_ticked.assign(static_cast<size_t>(grid.rows()), false);
    LocationColourMemo memo;
    for (int r = 1; r < grid.rows(); ++r) {
        setTicked(r, false);
        int idColour = white, locationColour = white;
        if (const ListedAsset* asset = rows[static_cast<size_t>(r)]) {
            if (asset->shipment > 0)
                idColour = yellow;
            locationColour =
                location_colour(m_context.session(), asset->account, asset->shipment, memo);
        }
        grid.setCellBackColor(r, 1, colourFromCode(idColour));
        grid.setCellBackColor(r, 0, colourFromCode(locationColour));
    }
    markDueLines(rows);
    if (state.current_shipment_id > 0)
        find_record_by_number(m_context.session().rs_shipment(), QStringLiteral("ID"),
                              state.current_shipment_id);
    state.ticked_line_count = 0;
    setTickedButtons();
}

void ShippingList::update_shipping_list_info() {
    FlexGrid& grid = *Grid_shipping_list;
    Text_shipment_count->setText(QString::number(grid.rows() - 1));
    // Sums in single precision, as the sizes are stored.
    float weight = 0, volume = 0;
    const std::vector<const ListedAsset*> rows = assetsByRow();
    for (const ListedAsset* asset : rows) {
        if (!asset)
            continue;
        if (asset->weight.isValid())
            weight += asset->weight.toFloat();
        if (asset->height.isValid() && asset->width.isValid() && asset->depth.isValid())
            volume += asset->height.toFloat() * asset->width.toFloat() * asset->depth.toFloat();
    }
    Text_shipment_weight->setText(QString::number(weight, 'f', 1));
    Text_shipment_volume->setText(QString::number(volume / 1000000.0F, 'f', 3));
    resetSelection(rows);
}

// ---- commands -----------------------------------------------------------------

void ShippingList::Command_add_item_to_shipping_list_Click() {
    AppState& state = m_context.state();
    Command_delete_item_from_shipping_list->setEnabled(false);
    if (state.current_asset_id < 0)
        return;
    if (isListed(state.current_asset_id)) {
        ui().message(QStringLiteral("The specified item is already in the shipping list"));
        Command_add_item_to_shipping_list->setEnabled(false);
        return;
    }
    Recordset& asset = m_context.session().rs_asset_query();
    if (!find_record_by_number(asset, QStringLiteral("ID"), state.current_asset_id))
        return;
    const QVariant maintenance = asset.value(QStringLiteral("NextSchedMaint"));
    const QDate due = maintenance.isValid() ? maintenance.toDate() : QDate();
    Database& db = m_context.session().database();
    const bool failed =
        has_maintenance_tables(db) &&
        failed_among(db.store(), {state.current_asset_id}).contains(state.current_asset_id);
    if ((failed || due_before_return(due, expectedReturn ? expectedReturn() : QDate())) &&
        !confirm_shipping_due(
            {{asset.value(QStringLiteral("ModelNumber")).toString(),
              asset.value(QStringLiteral("SerialNumber")).toString(), due, failed}}))
        return;
    FlexGrid& grid = *Grid_shipping_list;
    const int row = grid.rows();
    grid.setRows(row + 1);
    grid.setTextMatrix(row, 1, QString::number(state.current_asset_id));
    grid.setTextMatrix(row, 2, asset.value(QStringLiteral("ModelNumber")).toString());
    grid.setTextMatrix(row, 3, asset.value(QStringLiteral("SerialNumber")).toString());
    grid.setRow(0);
    grid.setCol(1);
    update_shipping_list_info();
    Command_add_item_to_shipping_list->setEnabled(false);
    if (changed)
        changed();
}

void ShippingList::Command_delete_item_from_shipping_list_Click() {
    AppState& state = m_context.state();
    // The row the user sees selected, however it was reached: its asset
    // is the one whose line goes.
    FlexGrid& grid = *Grid_shipping_list;
    const int row = grid.row();
    if (row < 1)
        return;
    const int assetId = itemAt(row).assetId;
    if (assetId < 0)
        return;
    Session& session = m_context.session();
    const bool stored = state.current_shipment_id >= 0 &&
                        stored_line(session, assetId).state != LineState::NotStored;
    if (stored && !write_and_reload(
                      m_context, QStringLiteral("Delete item from list"),
                      QStringLiteral("An error occurred while deleting the item: "),
                      [&] {
                          const LineState line =
                              remove_open_line(session, state.current_shipment_id, assetId);
                          if (line == LineState::Returned || line == LineState::Transferred) {
                              ui().message(QStringLiteral("You cannot delete this item as the "
                                                          "shipment has already been completed"));
                              return false;
                          }
                          return true;
                      },
                      {}))
        return;
    StringTable cells = grid.table();
    cells.erase(cells.begin() + row);
    grid.setRows(grid.rows() - 1);
    grid.setTable(cells);
    if (grid.rows() == 1)
        writeHeadings();
    grid.setRow(0);
    grid.setCol(1);
    // The asset has moved (to stock, or back where it came from): the
    // picker shows where it is now.
    m_assets.remove(assetId);
    if (stored)
        m_picker->showAsset(assetId);
    update_shipping_list_info();
    Command_delete_item_from_shipping_list->setEnabled(false);
    Command_add_item_to_shipping_list->setEnabled(false);
    if (changed)
        changed();
}

void ShippingList::Grid_shipping_list_Click() {
    AppState& state = m_context.state();
    FlexGrid& grid = *Grid_shipping_list;
    const int row = grid.row();
    if (row == 0)
        return;
    if (grid.col() == 0 && state.current_shipment_id >= 0) {
        const bool ticked = !m_ticked[static_cast<size_t>(row)];
        setTicked(row, ticked);
        state.ticked_line_count += ticked ? 1 : -1;
        setTickedButtons();
    }
    selectRow();
}

void ShippingList::selectRow() {
    const int row = Grid_shipping_list->row();
    if (row < 1)
        return;
    m_picker->showAsset(itemAt(row).assetId);
    m_context.state().current_asset_id = itemAt(row).assetId;
    Command_delete_item_from_shipping_list->setEnabled(true);
}

void ShippingList::Grid_shipping_list_DblClick() {
    Grid_shipping_list_Click();
    AppState& state = m_context.state();
    const ListedItem item = itemAt(Grid_shipping_list->row());
    state.current_asset_id = item.assetId;
    state.current_asset_model = item.model;
    state.current_asset_serial = item.serial;
    if (state.current_asset_id > 0)
        emit m_context.requests().shippingHistoryRequested(state.current_asset_id);
}

} // namespace gearlog
