#pragma once

#include <QFrame>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace gearlog {

class FlexGrid;
class ViewContext;

// The shipment report: the shipments of a date range by arrival state,
// newest first, with the shipping list of the one clicked, and the
// document of them all.
class Frame_report_shipment : public QFrame {
    Q_OBJECT
public:
    Frame_report_shipment(ViewContext& context, QWidget* parent);

    void display_shipping_report();
    void Grid_report_shipment_Click();
    void Grid_report_shipment_list_Click();
    void Command_show_shipping_report_Click();

    FlexGrid* grid() { return Grid_report_shipment; }

private:
    void showHeadings();
    // Both grids back to their headings, nothing listed.
    void clearReport();

    ViewContext& m_context;
    QLineEdit* Text_report_start_date;
    QLineEdit* Text_report_end_date;
    QCheckBox* Check_report_completed;
    FlexGrid* Grid_report_shipment;
    FlexGrid* Grid_report_shipment_list;
    QPushButton* Command_show_shipping_report;
};

} // namespace gearlog
