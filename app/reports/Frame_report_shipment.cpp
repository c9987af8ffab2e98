#include "Frame_report_shipment.h"

#include "AppState.h"
#include "CommandRunner.h"
#include "DateField.h"
#include "FlexGrid.h"
#include "Form_shipping_report.h"
#include "ReportParts.h"
#include "Session.h"
#include "ShipmentReport.h"
#include "ShippingListFiller.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <optional>

namespace gearlog {

namespace {

QStringList headings() {
    return {QString(),
            QStringLiteral("Date"),
            QStringLiteral("Name"),
            QStringLiteral("Receiver"),
            QStringLiteral("Shipper"),
            QStringLiteral("Comments")};
}

// The date a box holds: null when it is empty, nothing when it is no date.
std::optional<QDate> dateIn(const QLineEdit& box) {
    if (box.text().isEmpty())
        return QDate();
    const QDate date = parse_date(box.text());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

Frame_report_shipment::Frame_report_shipment(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_report_shipment"),
                   QStringLiteral("Shipment report"));

    const auto dateBox = [this](const QString& name, const QString& label, const QString& tip,
                                int y) {
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        box->setToolTip(tip);
        box->setGeometry(100, y, 140, 26);
        makeLabelBefore(this, label, box);
        attach_date_picker(*box, m_context.state(), guarded([this] { display_shipping_report(); }));
        return box;
    };
    Text_report_start_date =
        dateBox(QStringLiteral("Text_report_start_date"), QStringLiteral("After"),
                QStringLiteral("The first shipment date to select from the database."), 10);
    Text_report_end_date =
        dateBox(QStringLiteral("Text_report_end_date"), QStringLiteral("Before"),
                QStringLiteral("The last shipment date to select from the database."), 45);
    Check_report_completed = new QCheckBox(QStringLiteral("Shipment Completed"), this);
    Check_report_completed->setObjectName(QStringLiteral("Check_report_completed"));
    Check_report_completed->setGeometry(280, 10, 220, 26);
    connect(Check_report_completed, &QCheckBox::clicked, this,
            guarded([this] { display_shipping_report(); }));
    Command_show_shipping_report =
        makeButton(this, QStringLiteral("Command_show_shipping_report"),
                   QStringLiteral("Show shipping report"), QString(), {880, 10, 190, 30});
    connect(Command_show_shipping_report, &QPushButton::clicked, this,
            guarded([this] { Command_show_shipping_report_Click(); }));

    Grid_report_shipment = makeGrid(
        this, QStringLiteral("Grid_report_shipment"), QStringLiteral("Shipment report grid"),
        QStringLiteral("List of shipments satisfying the specified conditions. Click on any row "
                       "to show the shipping list. Click on any column to sort the grid using "
                       "that field."),
        {10, 85, 1060, 300}, 1);
    connect(Grid_report_shipment, &FlexGrid::Click, this,
            guarded([this] { Grid_report_shipment_Click(); }));
    connect(Grid_report_shipment, &FlexGrid::RowChanged, this,
            guarded([this] { Grid_report_shipment_Click(); }));
    connect(Grid_report_shipment, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });
    Grid_report_shipment_list = makeGrid(
        this, QStringLiteral("Grid_report_shipment_list"), QStringLiteral("Shipment lines grid"),
        QStringLiteral("This is the shipping list for the currently selected shipment. Click on "
                       "any column to sort the grid using that field."),
        {10, 395, 1060, 235}, 0);
    connect(Grid_report_shipment_list, &FlexGrid::Click, this,
            guarded([this] { Grid_report_shipment_list_Click(); }));
    showHeadings();
    hide();
}

void Frame_report_shipment::showHeadings() {
    FlexGrid& grid = *Grid_report_shipment;
    grid.replaceTable({headings()});
    grid.setCols(6);
    grid.setColWidth(0, 500);
    const double w = grid.widthTwips() - 500 - 350;
    grid.setColWidth(1, static_cast<int>(std::lround(w / 6)));
    grid.setColWidth(2, static_cast<int>(std::lround(1.75 * w / 5)));
    for (int c = 3; c < 6; ++c)
        grid.setColWidth(c, static_cast<int>(std::lround(w / 5)));
    for (int c = 1; c < 6; ++c)
        grid.setColAlignment(c, Qt::AlignLeft);
    grid.setRow(0);
    grid.setCol(1);
}

void Frame_report_shipment::clearReport() {
    AppState& state = m_context.state();
    showHeadings();
    Grid_report_shipment_list->clear();
    Grid_report_shipment_list->setRows(1);
    state.report_shipment_sort = GridSortState{};
    state.report_shipment_ids.clear();
}

void Frame_report_shipment::display_shipping_report() {
    const std::optional<QDate> start = dateIn(*Text_report_start_date);
    const std::optional<QDate> end = dateIn(*Text_report_end_date);
    const char* refusal = !start ? "The start date is not valid"
                          : !end ? "The end date is not valid"
                          : start->isValid() && end->isValid() && *start > *end
                              ? "The start date must be less than the end date"
                              : nullptr;
    if (refusal) {
        clearReport();
        ui().message(QString::fromLatin1(refusal));
        return;
    }
    // Built before anything is cleared: a failure leaves the last report.
    ShipmentReport report = build_shipment_report(m_context.session(), *start, *end,
                                                  Check_report_completed->isChecked());
    clearReport();
    if (report.ids.empty())
        return;
    FlexGrid& grid = *Grid_report_shipment;
    report.rows.insert(report.rows.begin(), headings());
    grid.replaceTable(std::move(report.rows));
    grid.setRow(1);
    grid.setCol(1);
    m_context.state().report_shipment_ids = std::move(report.ids);
}

void Frame_report_shipment::Grid_report_shipment_Click() {
    AppState& state = m_context.state();
    FlexGrid& grid = *Grid_report_shipment;
    if (sortByClickedColumn(grid, state.report_shipment_sort, false))
        return;
    if (grid.rowSel() != grid.row() || grid.row() < 1 || grid.text().isEmpty())
        return;
    const int n = grid.textMatrix(grid.row(), 0).toInt();
    if (n < 1 || n > static_cast<int>(state.report_shipment_ids.size()))
        return;
    fill_shipping_list_grid(m_context.session(), state, ShippingListForm::Full,
                            state.report_shipment_ids[static_cast<size_t>(n) - 1],
                            *Grid_report_shipment_list);
}

void Frame_report_shipment::Grid_report_shipment_list_Click() {
    // The full form has no fixed column: every column sorts.
    sortByClickedColumn(*Grid_report_shipment_list, m_context.state().list_sort, false, 0);
}

void Frame_report_shipment::Command_show_shipping_report_Click() {
    Form_shipping_report report(m_context.session(), m_context.state(), *Grid_report_shipment,
                                *Grid_report_shipment_list, window());
    ui().runModal(report);
}

} // namespace gearlog
