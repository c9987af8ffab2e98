#pragma once

#include <QObject>
#include <QRect>
#include <functional>

class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;

namespace imagelet {
class Imagelet;
}

namespace gearlog {

class ColourBox;
class FlexGrid;
class Recordset;
class ViewContext;

// The assets of one equipment type, narrowed by category and equipment
// type, with the ID cell tinted by where the asset is. One component serves
// three views, told apart by its Index: 0 the asset view (grid with a
// new-item row, the form filled on selection), 1 the shipment view's asset
// picker (status, location, weight and volume), 2 the report view (the two
// filters only; an equipment type asks for the equipment report).
class AssetList : public QObject {
    Q_OBJECT
public:
    // Where the controls go on their view; empty rectangles for controls an
    // index lacks.
    struct Layout {
        QRect category, equipment, grid, photo, status, location, weight, volume;
    };
    AssetList(ViewContext& context, int index, QWidget* view, const Layout& layout);

    int index() const { return m_index; }

    // What the views around the list supply.
    // Index 0: fills the asset form from the current asset's row, and empties it.
    std::function<void(Recordset& asset)> fillForm;
    std::function<void()> clearForm;
    // Index 1: whether the asset is already on the shipping list, and the
    // shipping list's buttons the selection enables or disables.
    std::function<bool(int assetId)> isListed;
    // Called once the grid is filled, for marks features add.
    std::function<void(FlexGrid& grid)> listed;
    QPushButton* addItemButton = nullptr;
    QPushButton* deleteItemButton = nullptr;

    // Fills the filters afresh for a view being shown: "All" and every
    // category, no category or type chosen; the status list, where the view
    // has one, with no status chosen.
    void fillFilters();
    void load_asset_list();
    // Index 0 and 1: no assets listed, no photograph, the form empty.
    void clearList();
    void load_asset_form();
    void clear_asset_form();
    void Combo_asset_category_Click();
    void Combo_asset_equipment_Click();
    void Grid_asset_Click();
    void Grid_asset_DblClick();
    void Text_asset_location_Click();
    // Chooses the asset's category and type and selects its row, as a user
    // finding it by hand would, leaving the focus where it is (nothing when it is gone).
    void showAsset(int assetId);
    // Chooses a type's category and the type, listing its assets; false
    // (the list empty) when the type is gone.
    bool showEquipment(int type);

    // The asset grid's own menu (index 0), which features add entries to.
    QMenu* gridMenu() const { return m_gridMenu; }

    QComboBox* Combo_asset_category = nullptr;
    QComboBox* Combo_asset_equipment = nullptr;
    FlexGrid* Grid_asset = nullptr;
    imagelet::Imagelet* Imagelet_asset = nullptr;
    QComboBox* Combo_asset_status = nullptr;
    ColourBox* Text_asset_location = nullptr;
    QLineEdit* Text_shipment_item_weight = nullptr;
    QLineEdit* Text_shipment_item_volume = nullptr;

private:
    void showEquipmentPhoto();
    void showLocation(Recordset& asset);
    void showItemSize(Recordset& asset);
    void setGridShape(int rows);
    // The shipping list's add and delete buttons, where the view has them.
    void setItemButtons(bool enabled);
    // The asset view's grid menu: labels for the selected rows.
    void printLabels();

    ViewContext& m_context;
    int m_index;
    QMenu* m_gridMenu = nullptr;
};

} // namespace gearlog
