#pragma once

#include <QFrame>
#include <QStringList>
#include <functional>
#include <vector>

class QCheckBox;
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
    // Columns a feature adds after the report's own, shown while the box
    // captioned `caption` is ticked: their headings, and the cells of each
    // listed asset (a row each, in the assets' order).
    using ExtraCells = std::function<std::vector<QStringList>(const std::vector<int>& assets)>;
    void addColumns(const QString& caption, const QStringList& headings, ExtraCells cells);
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
    QCheckBox* Check_report_extra = nullptr;
    QStringList m_extraHeadings;
    ExtraCells m_extraCells;
};

} // namespace gearlog
