#include "Frame_report.h"

#include "AppState.h"
#include "AssetList.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "EquipmentReport.h"
#include "FlexGrid.h"
#include "ReportParts.h"
#include "Session.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>

namespace gearlog {

namespace {

// The selected entry's key, or -1 for none or the empty first entry.
int filterKey(const QComboBox& combo) {
    return combo.currentIndex() >= 1 ? combo.currentData().toInt() : -1;
}

} // namespace

Frame_report::Frame_report(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_report"), QStringLiteral("Equipment report"));

    AssetList::Layout layout;
    layout.category = {100, 10, 300, 26};
    layout.equipment = {100, 45, 300, 26};
    m_filters = new AssetList(context, 2, this, layout);
    m_filters->Combo_asset_equipment->setToolTip(
        QStringLiteral("The equipment type for items to be displayed"));
    Combo_report_contact =
        makeCombo(this, QStringLiteral("Combo_report_contact"), QStringLiteral("Contact"),
                  QStringLiteral("Select assets held by this person."), {520, 10, 300, 26});
    Combo_report_address =
        makeCombo(this, QStringLiteral("Combo_report_address"), QStringLiteral("Location"),
                  QStringLiteral("Select assets held at this location."), {520, 45, 300, 26});
    make_chooser(*Combo_report_contact, QStringLiteral("Table_Contact"),
                 ChooserModel::Order::ByName);
    make_chooser(*Combo_report_address, QStringLiteral("Table_Address"),
                 ChooserModel::Order::ByName);
    connect(Combo_report_contact, &QComboBox::activated, this,
            guarded([this] { Combo_report_contact_Click(); }));
    connect(Combo_report_address, &QComboBox::activated, this,
            guarded([this] { Combo_report_address_Click(); }));
    Command_show = makeButton(this, QStringLiteral("Command_show"), QStringLiteral("Show Report"),
                              QString(), {930, 10, 140, 30});
    connect(Command_show, &QPushButton::clicked, this, guarded([this] { Command_show_Click(); }));

    const QRect area{10, 85, 1060, 505};
    Grid_asset_shipment = makeGrid(
        this, QStringLiteral("Grid_asset_shipment"), QStringLiteral("Equipment report grid"),
        QStringLiteral("List of equipment satisfying the specified conditions. Click on "
                       "any column to sort the grid using that field."),
        area, 13);
    Grid_asset_shipment->setRows(1);
    connect(Grid_asset_shipment, &FlexGrid::Click, this,
            guarded([this] { Grid_asset_shipment_Click(); }));
    connect(Grid_asset_shipment, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });
    rtf_shipping_history = makeReportText(this, QStringLiteral("rtf_shipping_history"), area);

    Label_report_totals = new QLabel(this);
    Label_report_totals->setObjectName(QStringLiteral("Label_report_totals"));
    Label_report_totals->setGeometry(10, 600, 1060, 26);
    hide();
}

void Frame_report::Command_report_Click() {
    Session& session = m_context.session();
    m_filters->fillFilters();
    LoadingGuard loading(m_context.state().loading);
    m_filters->Combo_asset_equipment->clear();
    fill_chooser(*Combo_report_contact, session.database(), {{QString(), -1}});
    fill_chooser(*Combo_report_address, session.database(),
                 {{QString(), -1}, {QStringLiteral("In Stock"), 0}});
}

void Frame_report::Combo_report_contact_Click() {
    if (Combo_report_contact->currentIndex() < 0)
        return;
    Combo_report_address->setCurrentIndex(-1);
    display_equipment_report();
}

void Frame_report::Combo_report_address_Click() {
    if (Combo_report_address->currentIndex() < 0)
        return;
    Combo_report_contact->setCurrentIndex(-1);
    display_equipment_report();
}

void Frame_report::display_equipment_report() {
    const QComboBox& category = *m_filters->Combo_asset_category;
    const QComboBox& type = *m_filters->Combo_asset_equipment;
    if (category.currentIndex() < 0 || type.currentIndex() < 0)
        return;
    EquipmentReportFilter filter;
    filter.category = category.currentData().toInt();
    filter.equipment = type.currentData().toInt();
    filter.contact = filterKey(*Combo_report_contact);
    filter.location = filterKey(*Combo_report_address);
    // Built before anything is cleared: a failure leaves the last report.
    EquipmentReport report = build_equipment_report(m_context.session(), filter);
    QStringList headings = equipment_report_headings();
    if (Check_report_extra && Check_report_extra->isChecked()) {
        const std::vector<QStringList> extra = m_extraCells(report.assets);
        for (size_t r = 0; r < report.rows.size() && r < extra.size(); ++r)
            report.rows[r] << extra[r];
        headings << m_extraHeadings;
    }

    FlexGrid& grid = *Grid_asset_shipment;
    grid.setCols(static_cast<int>(headings.size()) + 1);
    const int rows = static_cast<int>(report.rows.size());
    const int width = (grid.widthTwips() - grid.colWidth(0) - 350) / 4;
    for (int c = 1; c < grid.cols(); ++c) {
        grid.setColWidth(c, width);
        grid.setColAlignment(c, Qt::AlignLeft);
    }
    headings.prepend(QString());
    report.rows.insert(report.rows.begin(), headings);
    grid.replaceTable(std::move(report.rows));
    grid.setRow(rows > 0 ? 1 : 0);
    grid.setCol(1);
    m_context.state().report_sort = GridSortState{};
    // The text is laid out only while it shows: "Show Report" writes it
    // afresh from the grid anyway.
    if (rtf_shipping_history->isVisible() && rows > 0)
        showReportText(*rtf_shipping_history, window()->windowTitle() + QStringLiteral("\r\r") +
                                                  headings.join(QLatin1Char('\t')) +
                                                  QStringLiteral("\r\r") + dataRowsText(grid));
    else
        rtf_shipping_history->clear();
    Label_report_totals->setText(
        QStringLiteral("Assets: %1   Purchase: %2   Replacement: %3   Customs: %4")
            .arg(rows)
            .arg(report.purchase, 0, 'f', 2)
            .arg(report.replacement, 0, 'f', 2)
            .arg(report.customs, 0, 'f', 2));
}

void Frame_report::addColumns(const QString& caption, const QStringList& headings,
                              ExtraCells cells) {
    Check_report_extra = new QCheckBox(caption, this);
    Check_report_extra->setObjectName(QStringLiteral("Check_report_extra"));
    Check_report_extra->setGeometry(830, 47, 240, 24);
    m_extraHeadings = headings;
    m_extraCells = std::move(cells);
    connect(Check_report_extra, &QCheckBox::toggled, this,
            guarded([this] { display_equipment_report(); }));
}

void Frame_report::Grid_asset_shipment_Click() {
    const int column = Grid_asset_shipment->col();
    sortByClickedColumn(*Grid_asset_shipment, m_context.state().report_sort,
                        column >= 5 && column <= 8);
}

void Frame_report::Command_show_Click() {
    if (Command_show->text() != QStringLiteral("Show Report")) {
        Command_show->setText(QStringLiteral("Show Report"));
        rtf_shipping_history->hide();
        return;
    }
    Command_show->setText(QStringLiteral("Show Grid"));
    const QString rows = dataRowsText(*Grid_asset_shipment);
    showReportText(*rtf_shipping_history, rows.isEmpty()
                                              ? QString()
                                              : window()->windowTitle() + QStringLiteral("\r\r\t") +
                                                    rows + QLatin1Char('\r'));
    rtf_shipping_history->show();
    rtf_shipping_history->raise();
}

} // namespace gearlog
