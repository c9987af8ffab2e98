#pragma once

#include <QFrame>

class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace gearlog {

class AssetList;
class FlexGrid;
class ViewContext;

// The equipment report: the assets of a category and type, narrowed by who
// holds them or where they are, in a sortable grid or as text.
class Frame_report : public QFrame {
    Q_OBJECT
public:
    Frame_report(ViewContext& context, QWidget* parent);

    // Prepares the view (the caller then brings it up).
    void Command_report_Click();
    void display_equipment_report();
    void Combo_report_contact_Click();
    void Combo_report_address_Click();
    void Grid_asset_shipment_Click();
    void Command_show_Click();

    FlexGrid* grid() { return Grid_asset_shipment; }
    AssetList& filters() { return *m_filters; }

private:
    ViewContext& m_context;
    AssetList* m_filters;
    QComboBox* Combo_report_contact;
    QComboBox* Combo_report_address;
    FlexGrid* Grid_asset_shipment;
    QTextEdit* rtf_shipping_history;
    QPushButton* Command_show;
    QLabel* Label_report_totals;
};

} // namespace gearlog
