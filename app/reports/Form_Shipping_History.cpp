#include "Form_Shipping_History.h"

#include "ExportFile.h"

#include "AppState.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "Frame_fields.h"
#include "ReportParts.h"
#include "ShippingHistory.h"
#include "SpreadsheetExport.h"
#include "ViewParts.h"

#include <fitwell/FitwellControl.h>

#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextEdit>

namespace gearlog {

Form_Shipping_History::Form_Shipping_History(Session& session, AppState& state, QWidget* parent)
    : QDialog(parent), m_session(session), m_state(state) {
    setObjectName(QStringLiteral("Form_Shipping_History"));
    setWindowTitle(QStringLiteral("Shipping History"));
    resize(900, 560);

    auto* menus = new QMenuBar(this);
    menus->setGeometry(0, 0, 900, 24);
    QAction* select = menus->addAction(QStringLiteral("&Select Fields"));
    select->setObjectName(QStringLiteral("menu_select_fields"));
    connect(select, &QAction::triggered, this, guarded([this] { menu_select_fields_Click(); }));

    const char* purposes[3] = {"Field Use", "Maintenance", "Repairs"};
    for (int i = 0; i < 3; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(purposes[i]), this);
        box->setObjectName(QStringLiteral("Check_purpose_%1").arg(i));
        box->setProperty("Index", i);
        box->setGeometry(10 + i * 150, 34, 140, 26);
        box->setChecked(true);
        connect(box, &QCheckBox::clicked, this, guarded([this] { build(); }));
        Check_purpose[static_cast<size_t>(i)] = box;
    }
    Command_show = makeButton(this, QStringLiteral("Command_show"), QStringLiteral("Show Report"),
                              QString(), {620, 32, 130, 30});
    connect(Command_show, &QPushButton::clicked, this, [this] { Command_show_Click(); });
    QPushButton* done = makeButton(this, QStringLiteral("Command_Done"), QStringLiteral("Done"),
                                   QStringLiteral("Cancel this form"), {760, 32, 130, 30});
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    const QRect area{10, 70, 880, 480};
    Grid_asset_shipment = makeGrid(this, QStringLiteral("Grid_asset_shipment"),
                                   QStringLiteral("Shipping history grid"), QString(), area, 1);
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* excel = popup->addAction(QStringLiteral("Save as Excel"));
    excel->setObjectName(QStringLiteral("mnuExcel"));
    connect(excel, &QAction::triggered, this, [this] {
        export_grid_to_spreadsheet(*Grid_asset_shipment, open_database_file(m_session));
    });
    connect(Grid_asset_shipment, &FlexGrid::RightClick, popup,
            [popup](const QPoint& at) { popup->popup(at); });
    rtf_shipping_history = makeReportText(this, QStringLiteral("rtf_shipping_history"), area);

    m_fields = new Frame_fields(this);
    m_fields->setGeometry(200, 80, 500, 420);
    m_fields->chosen = [this](const std::vector<int>& columns) {
        m_state.selected_fields = columns;
        guarded([this] { build(); })();
    };
    m_fitwell = new fitwell::FitwellControl(this);
    build();
}

void Form_Shipping_History::build() {
    setWindowTitle(QStringLiteral("Shipping History for ") + m_state.current_asset_model);
    m_fitwell->ResetControls();
    const std::vector<int>& columns = m_state.selected_fields;
    std::array<bool, 3> purposes{};
    QStringList purposeNames;
    for (size_t i = 0; i < Check_purpose.size(); ++i) {
        purposes[i] = Check_purpose[i]->isChecked();
        purposeNames << Check_purpose[i]->text();
    }
    const ShippingHistory history = build_shipping_history(m_session, m_state.current_asset_id,
                                                           purposes, columns, purposeNames);

    FlexGrid& grid = *Grid_asset_shipment;
    grid.clear();
    grid.setCols(static_cast<int>(columns.size()) + 1);
    grid.setRows(history.rows + 1);
    const int width = columns.empty() ? 0
                                      : (grid.widthTwips() - grid.colWidth(0) - 350) /
                                            static_cast<int>(columns.size());
    QString headings;
    for (size_t c = 0; c < columns.size(); ++c) {
        grid.setColWidth(static_cast<int>(c) + 1, width);
        grid.setColAlignment(static_cast<int>(c) + 1, Qt::AlignLeft);
        headings +=
            QLatin1Char('\t') +
            QString::fromLatin1(history_columns[static_cast<size_t>(columns[c]) - 1].caption);
    }
    grid.fillAll(headings + QLatin1Char('\r') + history.body, history.rows > 0 ? 1 : 0, 1);
    showReportText(*rtf_shipping_history, windowTitle() + QStringLiteral(" Serial Number: ") +
                                              m_state.current_asset_serial +
                                              QStringLiteral("\r\r") + history.body);
}

void Form_Shipping_History::Command_show_Click() {
    const bool showText = Command_show->text() == QStringLiteral("Show Report");
    Command_show->setText(showText ? QStringLiteral("Show Grid") : QStringLiteral("Show Report"));
    rtf_shipping_history->setVisible(showText);
    if (showText)
        rtf_shipping_history->raise();
}

void Form_Shipping_History::menu_select_fields_Click() {
    m_fields->open(m_state.selected_fields);
}

void Form_Shipping_History::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (!isMinimized())
        m_fitwell->ResizeControls();
}

} // namespace gearlog
