#include "AssetList.h"

#include "AppState.h"
#include "BinaryField.h"
#include "ColourCode.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "Form_asset_location.h"
#include "LocationColour.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <imagelet/Imagelet.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace gearlog {

namespace {

constexpr int white = 0xFFFFFF;
constexpr int idColumnTwips = 900;

// An element of the component's combo array, carrying its Index.
QComboBox* makeIndexedCombo(QWidget* view, const char* name, int index, const QString& tip,
                            const QString& label, QRect geometry) {
    QComboBox* combo = makeCombo(view, arrayName(name, index), label, tip, geometry);
    combo->setProperty("Index", index);
    return combo;
}

QLineEdit* makeReadOnlyBox(QWidget* view, const QString& name, const QString& tip,
                           const QString& label, QRect geometry) {
    auto* box = new QLineEdit(view);
    box->setObjectName(name);
    box->setToolTip(tip);
    box->setReadOnly(true);
    box->setGeometry(geometry);
    makeLabelBefore(view, label, box);
    return box;
}

// Puts a cursor back where it stood, whatever happens in between.
class PositionKept {
public:
    explicit PositionKept(Recordset& rs) : m_rs(rs), m_position(rs.absolutePosition()) {}
    ~PositionKept() {
        try {
            if (m_position >= 0 && m_position < m_rs.recordCount())
                m_rs.setAbsolutePosition(m_position);
        } catch (...) {
            // The look-up's own error is the one to report.
        }
    }
    PositionKept(const PositionKept&) = delete;
    PositionKept& operator=(const PositionKept&) = delete;

private:
    Recordset& m_rs;
    int m_position;
};

} // namespace

AssetList::AssetList(ViewContext& context, int index, QWidget* view, const Layout& layout)
    : QObject(view), m_context(context), m_index(index) {
    Combo_asset_category =
        makeIndexedCombo(view, "Combo_asset_category", index,
                         QStringLiteral("The category group for which assets are to be displayed"),
                         QStringLiteral("Category"), layout.category);
    connect(Combo_asset_category, &QComboBox::activated, this,
            guarded([this] { Combo_asset_category_Click(); }));
    Combo_asset_equipment = makeIndexedCombo(view, "Combo_asset_equipment", index,
                                             QStringLiteral("The equipment type of this item"),
                                             QStringLiteral("Equipment"), layout.equipment);
    connect(Combo_asset_equipment, &QComboBox::activated, this,
            guarded([this] { Combo_asset_equipment_Click(); }));
    if (index == 2)
        return;

    Grid_asset = makeGrid(
        view, arrayName("Grid_asset", index),
        index == 0 ? QStringLiteral("Assets grid") : QStringLiteral("Asset picker grid"),
        index == 0 ? QStringLiteral("Click on an existing name to delete or modify it. Click on "
                                    "the last row to add a new item. Double-click to show the "
                                    "shipping history.")
                   : QStringLiteral("Click on an asset name to select it. Double-click to show "
                                    "the shipping history."),
        layout.grid, 3);
    Grid_asset->setProperty("Index", index);
    setGridShape(1);
    connect(Grid_asset, &FlexGrid::Click, this, guarded([this] { Grid_asset_Click(); }));
    connect(Grid_asset, &FlexGrid::RowChanged, this, guarded([this] { Grid_asset_Click(); }));
    if (index == 0) {
        auto* menu = new QMenu(Grid_asset);
        m_gridMenu = menu;
        menu->setObjectName(QStringLiteral("mnuAssetGrid"));
        QAction* labels = menu->addAction(QStringLiteral("Print Labels..."));
        labels->setObjectName(QStringLiteral("mnuPrintLabels"));
        connect(labels, &QAction::triggered, this, [this] { printLabels(); });
        connect(Grid_asset, &FlexGrid::RightClick, menu,
                [menu](const QPoint& at) { menu->popup(at); });
    }
    connect(Grid_asset, &FlexGrid::DblClick, this, guarded([this] { Grid_asset_DblClick(); }));

    Imagelet_asset = new imagelet::Imagelet(view);
    Imagelet_asset->setObjectName(arrayName("Imagelet_asset", index));
    Imagelet_asset->setProperty("Index", index);
    Imagelet_asset->setAccessibleName(QStringLiteral("Photograph of the equipment type"));
    Imagelet_asset->setGeometry(layout.photo);

    Combo_asset_status = makeIndexedCombo(view, "Combo_asset_status", index,
                                          QStringLiteral("The current status of this item"),
                                          QStringLiteral("Status"), layout.status);

    auto* location = new ColourBox(view);
    location->setObjectName(arrayName("Text_asset_location", index));
    location->setProperty("Index", index);
    location->setToolTip(QStringLiteral("The current location of this asset"));
    location->setAccessibleName(QStringLiteral("Location"));
    location->setGeometry(layout.location);
    makeLabelBefore(view, QStringLiteral("Location"), location);
    connect(location, &ColourBox::clicked, this, guarded([this] { Text_asset_location_Click(); }));
    Text_asset_location = location;

    if (index == 1) {
        Text_shipment_item_weight =
            makeReadOnlyBox(view, QStringLiteral("Text_shipment_item_weight"),
                            QStringLiteral("The weight of this item in kg"),
                            QStringLiteral("Weight"), layout.weight);
        Text_shipment_item_volume =
            makeReadOnlyBox(view, QStringLiteral("Text_shipment_item_volume"),
                            QStringLiteral("The volume of this item in cu.m"),
                            QStringLiteral("Volume"), layout.volume);
    }
}

void AssetList::setGridShape(int rows) {
    Grid_asset->setRows(rows);
    Grid_asset->setColWidth(0, idColumnTwips);
    const int rest = (Grid_asset->widthTwips() - idColumnTwips - 350) / 2;
    Grid_asset->setColWidth(1, rest);
    Grid_asset->setColWidth(2, rest);
}

// ---- filters ----------------------------------------------------------------

void AssetList::setItemButtons(bool enabled) {
    for (QPushButton* button : {addItemButton, deleteItemButton})
        if (button)
            button->setEnabled(enabled);
}

void AssetList::fillFilters() {
    Session& session = m_context.session();
    LoadingGuard loading(m_context.state().loading);
    Combo_asset_category->clear();
    Combo_asset_category->addItem(QStringLiteral("All"), -1);
    fill_combo(session.rs_category(), QStringLiteral("ID"), QStringLiteral("Name"),
               *Combo_asset_category, false);
    Combo_asset_category->setCurrentIndex(-1);
    Combo_asset_equipment->setCurrentIndex(-1);
    if (Combo_asset_status) {
        fill_combo(session.rs_status(), QStringLiteral("ID"), QStringLiteral("Name"),
                   *Combo_asset_status, true);
        Combo_asset_status->setCurrentIndex(-1);
    }
}

void AssetList::clearList() {
    Grid_asset->clear();
    setGridShape(1);
    Imagelet_asset->Reset();
    clear_asset_form();
}

void AssetList::Combo_asset_category_Click() {
    AppState& state = m_context.state();
    state.current_asset_id = -1;
    Combo_asset_equipment->setCurrentIndex(-1);
    if (m_index < 2) {
        setItemButtons(false);
        clearList();
    }
    if (Combo_asset_category->currentIndex() < 0)
        return;
    LoadingGuard loading(state.loading);
    const int category = Combo_asset_category->currentData().toInt();
    Recordset& equipment = m_context.session().open_query(
        category == -1
            ? QStringLiteral("SELECT * FROM [Table_Equipment] ORDER BY Name;")
            : QStringLiteral("SELECT * FROM Table_Equipment WHERE CategoryID = %1 ORDER BY Name")
                  .arg(category));
    if (record_count(equipment) <= 0) {
        ui().message(QStringLiteral("There is no equipment in this category"));
        if (m_index < 2)
            setGridShape(1);
        return;
    }
    Combo_asset_equipment->clear();
    if (m_index == 2)
        Combo_asset_equipment->addItem(QStringLiteral("All"), -1);
    fill_combo(equipment, QStringLiteral("ID"), QStringLiteral("Name"), *Combo_asset_equipment,
               false);
    Combo_asset_equipment->setCurrentIndex(-1);
}

void AssetList::Combo_asset_equipment_Click() {
    AppState& state = m_context.state();
    if (m_index == 1)
        setItemButtons(false);
    state.current_asset_id = -1;
    if (Combo_asset_equipment->currentIndex() >= 0)
        load_asset_list();
    if (state.loading)
        return;
    if (m_index == 2) {
        emit m_context.requests().equipmentReportRequested(
            Combo_asset_equipment->currentIndex() >= 0
                ? Combo_asset_equipment->currentData().toInt()
                : -1);
        return;
    }
    if (Grid_asset->rows() == 1)
        return;
    showEquipmentPhoto();
}

void AssetList::showEquipmentPhoto() {
    Session& session = m_context.session();
    const int equipmentId = Combo_asset_equipment->currentIndex() >= 0
                                ? Combo_asset_equipment->currentData().toInt()
                                : -1;
    if (equipmentId < 1 ||
        !find_record_by_number(session.rs_equipment(), QStringLiteral("ID"), equipmentId)) {
        Imagelet_asset->Reset();
        return;
    }
    Imagelet_asset->setConnectionType(static_cast<int>(session.connectionType()));
    const int photoId = key_of(session.rs_equipment(), QStringLiteral("PhotographID"));
    if (photoId < 1 || !find_record_by_number(session.rs_photo(), QStringLiteral("ID"), photoId)) {
        Imagelet_asset->Reset();
        return;
    }
    const auto field = session.rs_photo().binaryField(QStringLiteral("Photo"));
    // An empty picture leaves the one shown before.
    if (field->actualSize() > 0)
        Imagelet_asset->LoadPhoto(*field);
}

// ---- the list -----------------------------------------------------------------

void AssetList::load_asset_list() {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    LoadingGuard loading(state.loading);
    const int category = Combo_asset_category->currentData().toInt();
    const int equipment = Combo_asset_equipment->currentData().toInt();
    QString sql = QStringLiteral("SELECT Table_Asset.* FROM [Table_Equipment] INNER JOIN "
                                 "[Table_Asset] ON [Table_Equipment].ID = "
                                 "[Table_Asset].EquipmentID");
    sql += category == -1 ? QStringLiteral(" WHERE EquipmentID = %1").arg(equipment)
                          : QStringLiteral(" WHERE CategoryID = %1 AND EquipmentID = %2")
                                .arg(category)
                                .arg(equipment);
    sql += QStringLiteral(" ORDER BY ModelNumber,Table_asset.ID;");
    Recordset& assets = session.open_asset_query(sql);
    const int count = record_count(assets);
    if (m_index == 2)
        return;
    const int rows = count + (m_index == 0 ? 2 : 1);
    setGridShape(rows);
    QString clip = QStringLiteral("ID\tModel Number\tSerial Number\r");
    std::vector<int> colours;
    LocationColourMemo memo;
    colours.reserve(static_cast<size_t>(std::max(count, 0)));
    const auto id = assets.field(QStringLiteral("ID"));
    const auto model = assets.field(QStringLiteral("ModelNumber"));
    const auto serial = assets.field(QStringLiteral("SerialNumber"));
    const auto account = assets.field(QStringLiteral("AccountID"));
    const auto shipment = assets.field(QStringLiteral("ShipmentID"));
    const auto maintenance = assets.field(QStringLiteral("NextSchedMaint"));
    const QDate today = QDate::currentDate();
    std::vector<int> maintenancePassed; // rows
    for (assets.moveFirst(); !assets.eof(); assets.moveNext()) {
        if (const QVariant due = assets.value(maintenance); due.isValid() && due.toDate() < today)
            maintenancePassed.push_back(static_cast<int>(colours.size()) + 1);
        clip += QString::number(assets.value(id).toInt()) + QLatin1Char('\t') +
                assets.value(model).toString() + QLatin1Char('\t') +
                assets.value(serial).toString() + QLatin1Char('\r');
        const QVariant a = assets.value(account), s = assets.value(shipment);
        colours.push_back(location_colour(session, a.isValid() ? a.toInt() : -1,
                                          s.isValid() ? s.toInt() : -1, memo));
    }
    if (m_index == 0)
        clip += QStringLiteral("*\t\t\r");
    Grid_asset->fillAll(clip, 0, 1);
    for (size_t r = 0; r < colours.size(); ++r)
        Grid_asset->setCellBackColor(static_cast<int>(r) + 1, 0, colourFromCode(colours[r]));
    // A sign beside the ID, the location colour left as it is.
    Grid_asset->clearMarks();
    const QIcon sign = Grid_asset->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row : maintenancePassed)
        Grid_asset->setCellMark(row, 0, sign, QStringLiteral("maintenance passed"));
    if (listed)
        listed(*Grid_asset);
    if (m_index == 0)
        Grid_asset->setCellBackColor(rows - 1, 0, colourFromCode(white));
    if (m_index == 1 && state.current_shipment_id > 0)
        find_record_by_number(session.rs_shipment(), QStringLiteral("ID"),
                              state.current_shipment_id);
    loading.lower();
    if (state.current_asset_id >= 0 &&
        !find_record_by_number(assets, QStringLiteral("ID"), state.current_asset_id))
        state.current_asset_id = -1;
    load_asset_form();
}

// ---- the selection ----------------------------------------------------------

void AssetList::clear_asset_form() {
    AppState& state = m_context.state();
    LoadingGuard loading(state.loading);
    if (m_index == 0) {
        if (clearForm)
            clearForm();
    } else {
        Combo_asset_status->setCurrentIndex(-1);
    }
    Text_asset_location->setText(QString());
    Text_asset_location->setCode(white);
    Text_asset_location->setToolTip(QString());
    if (Text_shipment_item_weight) {
        Text_shipment_item_weight->clear();
        Text_shipment_item_volume->clear();
    }
    state.location_address_id = -1;
    state.location_contact_id = -1;
}

void AssetList::load_asset_form() {
    AppState& state = m_context.state();
    if (state.current_asset_id == -1) {
        clear_asset_form();
        return;
    }
    for (int r = 1; r < Grid_asset->rows(); ++r) {
        bool numeric = false;
        if (Grid_asset->textMatrix(r, 0).toInt(&numeric) == state.current_asset_id && numeric) {
            Grid_asset->setRow(r);
            Grid_asset->setCol(1);
            break;
        }
    }
    Grid_asset_Click();
}

void AssetList::Grid_asset_Click() {
    AppState& state = m_context.state();
    state.current_asset_id = -1;
    setItemButtons(false);
    const int row = Grid_asset->row();
    if (row == 0 || Grid_asset->col() == 0 || Combo_asset_category->currentIndex() < 0)
        return;
    // The last row of the asset view is the new-item row.
    if (m_index != 0 || row != Grid_asset->rows() - 1) {
        state.current_asset_id = Grid_asset->textMatrix(row, 0).toInt();
        state.current_asset_model = Grid_asset->textMatrix(row, 1);
        state.current_asset_serial = Grid_asset->textMatrix(row, 2);
        if (m_index == 1 && addItemButton)
            addItemButton->setEnabled(!(isListed && isListed(state.current_asset_id)));
    }
    clear_asset_form();
    if (state.current_asset_id < 0)
        return;
    Recordset& asset = m_context.session().rs_asset_query();
    if (!find_record_by_number(asset, QStringLiteral("ID"), state.current_asset_id))
        return;
    LoadingGuard loading(state.loading);
    if (m_index == 0 && fillForm)
        fillForm(asset);
    Combo_asset_status->setCurrentIndex(0);
    const int status = key_of(asset, QStringLiteral("StatusID"));
    if (status >= 0)
        select_combo_item(*Combo_asset_status, status);
    showLocation(asset);
    if (m_index == 1)
        showItemSize(asset);
}

void AssetList::showLocation(Recordset& asset) {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    ColourBox* box = Text_asset_location;
    box->setText(QStringLiteral("In Stock"));
    box->setToolTip(QString());
    state.location_address_id = -1;
    state.location_contact_id = -1;
    int colour = white;
    Recordset& addresses = session.rs_address();
    const int account = key_of(asset, QStringLiteral("AccountID"));
    if (account >= 0 && find_record_by_number(addresses, QStringLiteral("ID"), account) &&
        addresses.value(QStringLiteral("ColourCode")).isValid())
        colour = addresses.value(QStringLiteral("ColourCode")).toInt();
    const int shipment = key_of(asset, QStringLiteral("ShipmentID"));
    if (shipment > 0) {
        Recordset& shipments = session.rs_shipment();
        // The shipment view stands on its own shipment: put it back.
        const PositionKept kept(shipments);
        if (find_record_by_number(shipments, QStringLiteral("ID"), shipment)) {
            const int receiver = key_of(shipments, QStringLiteral("ReceiverAddressID"));
            if (receiver >= 0 && find_record_by_number(addresses, QStringLiteral("ID"), receiver)) {
                const QVariant code = addresses.value(QStringLiteral("ColourCode"));
                colour = code.isValid() ? code.toInt() : white;
                box->setToolTip(QStringLiteral("Current location: ") +
                                addresses.value(QStringLiteral("Name")).toString());
                state.location_address_id = receiver;
            }
            Recordset& contacts = session.rs_contact();
            const int contact = key_of(shipments, QStringLiteral("ReceiverContactID"));
            if (contact >= 0 && find_record_by_number(contacts, QStringLiteral("ID"), contact)) {
                box->setText(contacts.value(QStringLiteral("Name")).toString());
                state.location_contact_id = contact;
            }
        } else {
            box->setText(QStringLiteral("????"));
        }
    }
    box->setCode(colour);
}

void AssetList::showItemSize(Recordset& asset) {
    Recordset& equipment = m_context.session().rs_equipment();
    const int type = key_of(asset, QStringLiteral("EquipmentID"));
    if (type < 0 || !find_record_by_number(equipment, QStringLiteral("ID"), type))
        return;
    const QVariant weight = equipment.value(QStringLiteral("Weight"));
    Text_shipment_item_weight->setText(weight.isValid() ? QString::number(weight.toDouble(), 'f', 1)
                                                        : QString());
    const QVariant h = equipment.value(QStringLiteral("Height"));
    const QVariant w = equipment.value(QStringLiteral("Width"));
    const QVariant d = equipment.value(QStringLiteral("Depth"));
    Text_shipment_item_volume->setText(
        h.isValid() && w.isValid() && d.isValid()
            ? QString::number(h.toDouble() * w.toDouble() * d.toDouble() / 1000000.0, 'f', 3)
            : QString());
}

void AssetList::Grid_asset_DblClick() {
    Grid_asset_Click();
    const int asset = m_context.state().current_asset_id;
    if (asset > 0)
        emit m_context.requests().shippingHistoryRequested(asset);
}

void AssetList::Text_asset_location_Click() {
    show_asset_location(m_context.session(), m_context.state(), Text_asset_location->window());
}

void AssetList::printLabels() {
    QList<int> assets;
    const int first = std::min(Grid_asset->row(), Grid_asset->rowSel());
    const int last = std::max(Grid_asset->row(), Grid_asset->rowSel());
    for (int r = std::max(first, 1); r <= last; ++r) {
        bool numeric = false;
        const int id = Grid_asset->textMatrix(r, 0).toInt(&numeric);
        if (numeric)
            assets << id;
    }
    const int type = Combo_asset_equipment->currentIndex() >= 0
                         ? Combo_asset_equipment->currentData().toInt()
                         : -1;
    emit m_context.requests().labelsRequested(assets, type);
}

bool AssetList::showEquipment(int type) {
    Session& session = m_context.session();
    {
        LoadingGuard loading(m_context.state().loading);
        Combo_asset_category->setCurrentIndex(-1);
        Combo_asset_equipment->setCurrentIndex(-1);
        clearList();
    }
    Recordset& equipment = session.rs_equipment();
    if (type < 0 || !find_record_by_number(equipment, QStringLiteral("ID"), type))
        return false;
    if (select_combo_item(*Combo_asset_category, key_of(equipment, QStringLiteral("CategoryID"))) <
        0)
        return false;
    Combo_asset_category_Click();
    if (select_combo_item(*Combo_asset_equipment, type) < 0)
        return false;
    Combo_asset_equipment_Click();
    return true;
}

void AssetList::showAsset(int assetId) {
    Recordset& assets = m_context.session().rs_asset();
    const bool found = assetId >= 0 && find_record_by_number(assets, QStringLiteral("ID"), assetId);
    if (!showEquipment(found ? key_of(assets, QStringLiteral("EquipmentID")) : -1))
        return;
    FlexGrid& assetGrid = *Grid_asset;
    for (int r = 1; r < assetGrid.rows(); ++r) {
        if (assetGrid.textMatrix(r, 0) == QString::number(assetId)) {
            assetGrid.setRow(r);
            assetGrid.setCol(1);
            Grid_asset_Click();
            return;
        }
    }
}

} // namespace gearlog
