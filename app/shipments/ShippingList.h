#pragma once

#include "ListedAssets.h"
#include "MaintenanceWarning.h"

#include <QObject>
#include <QPixmap>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QLineEdit;
class QPushButton;
class QWidget;

namespace gearlog {

class AssetList;
class FlexGrid;
class ViewContext;

// A row of the shipping list as it stands on screen.
struct ListedItem {
    int assetId = -1;
    QString model, serial;
};

// The "Shipping List" tab: the asset picker, the list of the shipment's
// lines with their ticks and totals, and adding and deleting items. The
// grid is the edit buffer of the lines: added rows exist only on screen
// until the shipment is saved; deleting a stored open line is immediate.
class ShippingList : public QObject {
    Q_OBJECT
public:
    ShippingList(ViewContext& context, QWidget* page);

    // Run after every change of the list, so the shipment can be saved.
    std::function<void()> changed;
    // The shipment's expected return as the form shows it (null: none).
    std::function<QDate()> expectedReturn;
    // The listed assets whose maintenance is due before that date.
    std::vector<DueAsset> dueBefore(const QDate& expected);
    // Marks the lines whose asset's maintenance falls before that date.
    void markDueLines();

    // Empties the list to its heading row, the totals and the picker.
    void clear();
    // Shows the stored lines of the shipment.
    void load(int shipmentId);
    // Shows these rows, unsaved (a transfer's new shipment).
    void show(const std::vector<ListedItem>& items);

    void reset_shipping_list_selection();
    void update_shipping_list_info();
    void Command_add_item_to_shipping_list_Click();
    void Command_delete_item_from_shipping_list_Click();
    void Grid_shipping_list_Click();
    void Grid_shipping_list_DblClick();

    // The rows whose column 1 holds an asset key, in grid order.
    std::vector<ListedItem> items() const;
    std::vector<ListedItem> tickedItems() const;
    bool isListed(int assetId) const;

    AssetList& picker() { return *m_picker; }
    FlexGrid* Grid_shipping_list;
    QLineEdit* Text_shipment_count;
    QLineEdit* Text_shipment_weight;
    QLineEdit* Text_shipment_volume;
    QPushButton* Command_add_item_to_shipping_list;
    QPushButton* Command_delete_item_from_shipping_list;
    QPushButton* Command_return_item_from_shipping_list;
    QPushButton* Command_transfer_item_from_shipping_list;

private:
    ListedItem itemAt(int row) const;
    void setTicked(int row, bool ticked);
    void setTickedButtons();
    // Shows the current row's asset in the picker and offers its deletion.
    void selectRow();
    void writeHeadings();
    // The grid with its heading row alone, nothing ticked or selected.
    void showHeadingsOnly();

    ViewContext& m_context;
    AssetList* m_picker;
    // The unticked and ticked boxes, drawn once.
    std::array<QPixmap, 2> m_tickPictures;
    // Per grid row (row 0 the heading): whether it is ticked.
    std::vector<bool> m_ticked;
    // The listed assets as read when the list was shown or the row added:
    // totals and colours cost no look-up a row.
    ListedAssets m_assets;
    // The asset of each grid row (null for the heading and for an asset
    // that is gone), read where it is not yet.
    std::vector<const ListedAsset*> assetsByRow();
    void resetSelection(const std::vector<const ListedAsset*>& rows);
    void markDueLines(const std::vector<const ListedAsset*>& rows);
};

} // namespace gearlog
