#include "Frame_stocktake.h"

#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "DateField.h"
#include "ExportFile.h"
#include "FlexGrid.h"
#include "Session.h"
#include "SpreadsheetExport.h"
#include "StocktakeTables.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPushButton>
#include <QSet>
#include <QTextDocument>

namespace gearlog {

namespace {

const QStringList scanHeadings{QStringLiteral("Time"),   QStringLiteral("Code"),
                               QStringLiteral("Asset"),  QStringLiteral("Equipment"),
                               QStringLiteral("Model"),  QStringLiteral("Serial"),
                               QStringLiteral("Result"), QStringLiteral("Where")};
constexpr int assetColumn = 2, resultColumn = 6;

QColor colourOf(ScanResult result) {
    switch (result) {
    case ScanResult::Found:
        return {0xd5, 0xef, 0xd0};
    case ScanResult::Elsewhere:
    case ScanResult::Out:
        return {0xfc, 0xe8, 0xb8};
    case ScanResult::Unknown:
    case ScanResult::Missing:
        return {0xf4, 0xc7, 0xc3};
    case ScanResult::Repeated:
        return {0xe4, 0xe4, 0xe4};
    }
    return {};
}

QString assetText(const ListedAsset& asset) {
    return asset.id > 0 ? QString::number(asset.id) : QString();
}

QString stocktakeTitle(const Stocktake& s) {
    return s.state == stocktakeState::applied
               ? QStringLiteral("%1 (applied %2)").arg(s.name, format_date(s.applied))
               : QStringLiteral("%1 (open)").arg(s.name);
}

} // namespace

Frame_stocktake::Frame_stocktake(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_stocktake"), QStringLiteral("Stocktake"));
    Combo_stocktake = makeCombo(
        this, QStringLiteral("Combo_stocktake"), QStringLiteral("Stocktake"),
        QStringLiteral("The stocktake to continue, or one done before"), {100, 10, 400, 26});
    connect(Combo_stocktake, &QComboBox::activated, this, guarded([this] { showChosen(); }));
    QPushButton* fresh = makeButton(
        this, QStringLiteral("Command_new_stocktake"), QStringLiteral("Ne&w Stocktake"),
        QStringLiteral("Start counting the office's stock (of the category or type chosen)"),
        {940, 8, 130, 30});
    connect(fresh, &QPushButton::clicked, this, guarded([this] { Command_new_stocktake_Click(); }));
    Combo_stocktake_office =
        makeCombo(this, QStringLiteral("Combo_stocktake_office"), QStringLiteral("Office"),
                  QStringLiteral("The office whose stock is counted"), {100, 45, 220, 26});
    Combo_stocktake_category = makeCombo(
        this, QStringLiteral("Combo_stocktake_category"), QStringLiteral("Cate&gory"),
        QStringLiteral("Count only this category (All: every one)"), {400, 45, 170, 26}, 75);
    Combo_stocktake_equipment = makeCombo(
        this, QStringLiteral("Combo_stocktake_equipment"), QStringLiteral("Eq&uipment"),
        QStringLiteral("Count only this equipment type (All: every one)"), {660, 45, 220, 26}, 85);
    Text_stocktake_date = new QLineEdit(this);
    Text_stocktake_date->setObjectName(QStringLiteral("Text_stocktake_date"));
    Text_stocktake_date->setToolTip(
        QStringLiteral("The stocktake's date: assets found out are returned on it"));
    Text_stocktake_date->setGeometry(940, 45, 130, 26);
    makeLabelBefore(this, QStringLiteral("Date"), Text_stocktake_date, 50);
    attach_date_picker(*Text_stocktake_date, m_context.state());

    Text_scan = new QLineEdit(this);
    Text_scan->setObjectName(QStringLiteral("Text_scan"));
    Text_scan->setToolTip(QStringLiteral(
        "Scan a label or a serial number, or type it and press Enter: each is classed at once"));
    Text_scan->setGeometry(100, 85, 400, 30);
    QFont large = Text_scan->font();
    large.setPointSizeF(large.pointSizeF() * 1.3);
    Text_scan->setFont(large);
    makeLabelBefore(this, QStringLiteral("&Scan"), Text_scan);
    connect(Text_scan, &QLineEdit::returnPressed, this, guarded([this] { Text_scan_Enter(); }));
    QPushButton* load = makeButton(
        this, QStringLiteral("Command_load_codes"), QStringLiteral("Load Co&des..."),
        QStringLiteral("Read a text file of codes, one a line, as a scanner's memory stores them"),
        {510, 85, 130, 30});
    connect(load, &QPushButton::clicked, this, guarded([this] { Command_load_codes_Click(); }));
    Label_stocktake_counts = new QLabel(this);
    Label_stocktake_counts->setObjectName(QStringLiteral("Label_stocktake_counts"));
    Label_stocktake_counts->setGeometry(650, 85, 420, 30);
    Label_stocktake_counts->setFont(large);

    Grid_stocktake = makeGrid(
        this, QStringLiteral("Grid_stocktake"), QStringLiteral("Stocktake grid"),
        QStringLiteral("Each scan, the newest on top. Double-click or Enter opens the asset"),
        {10, 125, 720, 460}, static_cast<int>(scanHeadings.size()), 0);
    auto* missingLabel = new QLabel(QStringLiteral("Missing"), this);
    missingLabel->setObjectName(QStringLiteral("Label_missing"));
    missingLabel->setGeometry(740, 122, 330, 18);
    Grid_missing = makeGrid(this, QStringLiteral("Grid_missing"), QStringLiteral("Missing grid"),
                            QStringLiteral("The assets expected here that no scan has found yet"),
                            {740, 140, 330, 445}, 4, 0);
    missingLabel->setBuddy(Grid_missing);
    for (FlexGrid* grid : {Grid_stocktake, Grid_missing})
        open_on_enter(*grid, [this, grid] { openScannedAsset(*grid); });

    Combo_missing_status = makeCombo(
        this, QStringLiteral("Combo_missing_status"), QStringLiteral("Status for the &missing"),
        QStringLiteral("The status Apply gives the assets not found (or leaves theirs)"),
        {150, 597, 220, 26}, 140);
    QPushButton* apply = makeButton(
        this, QStringLiteral("Command_apply_stocktake"), QStringLiteral("Appl&y..."),
        QStringLiteral("Return the assets found out, move those found from other offices here"),
        {600, 595, 120, 30});
    connect(apply, &QPushButton::clicked, this,
            guarded([this] { Command_apply_stocktake_Click(); }));
    QPushButton* excel = makeButton(
        this, QStringLiteral("Command_stocktake_excel"), QStringLiteral("Save as E&xcel..."),
        QStringLiteral("Save the stocktake's result as a workbook"), {810, 595, 125, 30});
    connect(excel, &QPushButton::clicked, this,
            guarded([this] { Command_stocktake_excel_Click(); }));
    QPushButton* pdf = makeButton(
        this, QStringLiteral("Command_stocktake_pdf"), QStringLiteral("Save as PDF..."),
        QStringLiteral("Save the stocktake's result as a PDF report"), {945, 595, 125, 30});
    connect(pdf, &QPushButton::clicked, this, guarded([this] { Command_stocktake_pdf_Click(); }));
    hide();
}

void Frame_stocktake::Command_Stocktake_Click() {
    Store& store = m_context.session().database().store();
    require_feature_tables(has_stocktake_tables(store), QStringLiteral("stocktakes"));
    fill_combo_from(*Combo_stocktake_office, store,
                    QStringLiteral("SELECT ID, Name FROM Table_address ORDER BY Name, ID"));
    fill_combo_from(*Combo_stocktake_category, store,
                    QStringLiteral("SELECT ID, Name FROM Table_category ORDER BY Name"),
                    QStringLiteral("All"));
    fill_equipment_types(*Combo_stocktake_equipment, store, QStringLiteral("All"));
    fill_combo_from(*Combo_missing_status, store,
                    QStringLiteral("SELECT ID, Name FROM Table_status ORDER BY Name"),
                    QStringLiteral("Leave their status"));
    const int shown = m_stocktake ? m_stocktake->id : 0;
    Combo_stocktake->clear();
    for (const Stocktake& s : read_stocktakes(store))
        Combo_stocktake->addItem(stocktakeTitle(s), s.id);
    Combo_stocktake->setCurrentIndex(shown > 0 ? Combo_stocktake->findData(shown)
                                               : (Combo_stocktake->count() > 0 ? 0 : -1));
    if (Text_stocktake_date->text().isEmpty())
        Text_stocktake_date->setText(format_date(QDate::currentDate()));
    showChosen();
    // Opened or started, the view takes the scanner's keys at once; a
    // stocktake chosen in the list leaves the focus there.
    if (Text_scan->isEnabled())
        Text_scan->setFocus();
}

void Frame_stocktake::showChosen() {
    Store& store = m_context.session().database().store();
    m_stocktake = read_stocktake(store, Combo_stocktake->currentData().toInt());
    m_scans.clear();
    m_missing.clear();
    m_lastScan = 0;
    const bool open = m_stocktake && m_stocktake->state == stocktakeState::open;
    Text_scan->setEnabled(open);
    if (m_stocktake) {
        const Stocktake& s = *m_stocktake;
        Combo_stocktake_office->setCurrentIndex(Combo_stocktake_office->findData(s.office));
        Combo_stocktake_category->setCurrentIndex(
            std::max(0, Combo_stocktake_category->findData(s.category)));
        Combo_stocktake_equipment->setCurrentIndex(
            std::max(0, Combo_stocktake_equipment->findData(s.equipment)));
        Text_stocktake_date->setText(format_date(s.date));
        // The missing: as expected now while open; as recorded once applied.
        std::vector<Scan> scans = read_scans(store, s.id);
        for (Scan& m : open ? missing_of(read_expected(store, s), scans) : scans)
            if (m.result == ScanResult::Missing)
                m_missing.push_back(std::move(m.asset));
        std::erase_if(scans, [](const Scan& m) { return m.result == ScanResult::Missing; });
        m_scans = std::move(scans);
        for (const Scan& scan : m_scans)
            m_lastScan = std::max(m_lastScan, scan.id);
    }
    showAll();
}

void Frame_stocktake::showAll() {
    StringTable scans{scanHeadings};
    scans.reserve(m_scans.size() + 1);
    for (auto it = m_scans.rbegin(); it != m_scans.rend(); ++it) // the newest on top
        scans.push_back(scanCells(*it));
    Grid_stocktake->replaceTable(std::move(scans));
    for (size_t r = 0; r < m_scans.size(); ++r)
        Grid_stocktake->setCellBackColor(static_cast<int>(r) + 1, resultColumn,
                                         colourOf(m_scans[m_scans.size() - 1 - r].result));
    StringTable missing{{QStringLiteral("Asset"), QStringLiteral("Equipment"),
                         QStringLiteral("Model"), QStringLiteral("Serial")}};
    missing.reserve(m_missing.size() + 1);
    for (const ListedAsset& a : m_missing)
        missing.push_back({assetText(a), a.equipment, a.model, a.serial});
    Grid_missing->replaceTable(std::move(missing));
    // In twips: the codes and places wide enough to read.
    for (const auto& [grid, widths] :
         {std::pair{Grid_stocktake, std::vector<int>{1000, 1600, 750, 1800, 1200, 1400, 1150}},
          std::pair{Grid_missing, std::vector<int>{750, 1700, 1200}}}) {
        for (size_t c = 0; c < widths.size(); ++c)
            grid->setColWidth(static_cast<int>(c), widths[c]);
        grid->fitLastColumn();
    }
    showCounts();
}

QStringList Frame_stocktake::scanCells(const Scan& s) {
    return {s.at.toString(QStringLiteral("HH:mm:ss")),
            s.code,
            assetText(s.asset),
            s.asset.equipment,
            s.asset.model,
            s.asset.serial,
            result_name(s.result),
            s.place};
}

void Frame_stocktake::takeScans(const std::vector<Scan>& scans) {
    if (scans.empty())
        return;
    for (const Scan& s : scans)
        m_lastScan = std::max(m_lastScan, s.id);
    m_scans.insert(m_scans.end(), scans.begin(), scans.end());
    // A file of codes is shown afresh in one pass; a scan or two row by row,
    // without reading the whole grid again.
    if (scans.size() > 20) {
        QSet<int> found;
        for (const Scan& s : scans)
            found.insert(s.asset.id);
        std::erase_if(m_missing, [&found](const ListedAsset& a) { return found.contains(a.id); });
        showAll();
    } else {
        FlexGrid& grid = *Grid_stocktake;
        for (const Scan& s : scans) {
            grid.insertRow(1, scanCells(s));
            grid.setCellBackColor(1, resultColumn, colourOf(s.result));
            const auto it =
                std::find_if(m_missing.begin(), m_missing.end(), [&s](const ListedAsset& a) {
                    return s.asset.id > 0 && a.id == s.asset.id;
                });
            if (it != m_missing.end()) {
                Grid_missing->removeRow(static_cast<int>(it - m_missing.begin()) + 1);
                m_missing.erase(it);
            }
        }
        showCounts();
    }
    Grid_stocktake->setRow(1);
    Grid_stocktake->scrollToTop();
}

void Frame_stocktake::showCounts() {
    if (!m_stocktake) {
        Label_stocktake_counts->setText(QStringLiteral("Start a stocktake, or choose one"));
        return;
    }
    const StocktakeCounts c = count_scans(m_scans, m_missing.size());
    Label_stocktake_counts->setText(
        QStringLiteral("Expected %1   Found %2   Missing %3   Unexpected %4")
            .arg(c.expected())
            .arg(c.found)
            .arg(c.missing)
            .arg(c.unexpected));
}

void Frame_stocktake::Command_new_stocktake_Click() {
    Stocktake s;
    s.office = Combo_stocktake_office->currentData().toInt();
    s.category = Combo_stocktake_category->currentData().toInt();
    s.equipment = Combo_stocktake_equipment->currentData().toInt();
    s.date = parse_date(Text_stocktake_date->text());
    if (s.office <= 0) {
        ui().message(QStringLiteral("Choose the office whose stock is counted"));
        return;
    }
    if (!s.date.isValid()) {
        ui().message(QStringLiteral("The stocktake's date must be a date"));
        return;
    }
    int started = 0;
    write_and_reload(m_context, QStringLiteral("New Stocktake"),
                     QStringLiteral("The stocktake was not started: "),
                     [&] {
                         started = start_stocktake(m_context.session().database(), s);
                         return true;
                     },
                     {});
    if (started > 0) {
        m_stocktake = read_stocktake(m_context.session().database().store(), started);
        Command_Stocktake_Click();
    }
}

void Frame_stocktake::Text_scan_Enter() {
    const QString code = Text_scan->text().trimmed();
    Text_scan->clear();
    if (!code.isEmpty())
        scan({code});
}

void Frame_stocktake::Command_load_codes_Click() {
    if (!m_stocktake || m_stocktake->state != stocktakeState::open) {
        ui().message(
            QStringLiteral("Start a stocktake, or choose an open one, to load codes into"));
        return;
    }
    const QString path = ui().openFile(
        QStringLiteral("Select the file of scanned codes"),
        QStringLiteral("Text files (*.txt;*.csv)|*.txt;*.csv|All files (*)|*"), QString());
    if (!path.isEmpty())
        scan(read_codes_file(path));
}

void Frame_stocktake::scan(const QStringList& codes) {
    if (!m_stocktake || m_stocktake->state != stocktakeState::open) {
        ui().message(QStringLiteral("Start a stocktake, or choose an open one, to scan into"));
        return;
    }
    const int id = m_stocktake->id;
    const bool recorded = write_and_reload(
        m_context, QStringLiteral("Scan"), QStringLiteral("The scan was not recorded: "),
        [&] {
            record_scans(m_context.session().database(), id, codes, QDateTime::currentDateTime());
            return true;
        },
        {});
    // What this desk and others scanned since the last shown.
    if (recorded)
        takeScans(read_scans(m_context.session().database().store(), id, m_lastScan));
    else
        Command_Stocktake_Click(); // another desk may have applied it
    Text_scan->setFocus();
}

void Frame_stocktake::Command_apply_stocktake_Click() {
    if (!m_stocktake || m_stocktake->state != stocktakeState::open) {
        ui().message(QStringLiteral("Choose an open stocktake to apply"));
        return;
    }
    const Stocktake s = *m_stocktake;
    const StocktakePlan plan = plan_stocktake(m_context.session().database().store(), s);
    const QString office = Combo_stocktake_office->currentText();
    const int status = Combo_missing_status->currentData().toInt();
    const QString missing =
        status > 0
            ? QStringLiteral("given the status \"%1\"").arg(Combo_missing_status->currentText())
            : QStringLiteral("left as they are");
    if (!ui().askYesNo(
            QStringLiteral("Apply the stocktake \"%1\"?\n\n"
                           "%2 found but recorded as out: returned to stock on %3, at %4.\n"
                           "%5 found but kept at other offices: moved to %4.\n"
                           "%6 missing: %7.\n\nThe stocktake then takes no more scans.")
                .arg(s.name)
                .arg(plan.returned.size())
                .arg(format_date(s.date), office)
                .arg(plan.moved.size())
                .arg(plan.missing.size())
                .arg(missing)))
        return;
    write_and_reload(
        m_context, QStringLiteral("Stocktake"), QStringLiteral("The stocktake was not applied: "),
        [&] {
            apply_stocktake(m_context.session().database(), s.id, status);
            return true;
        },
        [this] { Command_Stocktake_Click(); });
}

std::vector<QStringList> Frame_stocktake::resultTable() const {
    std::vector<QStringList> rows{{QStringLiteral("Code"), QStringLiteral("Asset"),
                                   QStringLiteral("Equipment"), QStringLiteral("Model"),
                                   QStringLiteral("Serial"), QStringLiteral("Result"),
                                   QStringLiteral("Where")}};
    if (!m_stocktake)
        return rows;
    for (const Scan& s : stocktake_result(m_context.session().database().store(), *m_stocktake))
        rows.push_back({s.code, assetText(s.asset), s.asset.equipment, s.asset.model,
                        s.asset.serial, result_name(s.result), s.place});
    return rows;
}

void Frame_stocktake::Command_stocktake_excel_Click() {
    if (!m_stocktake)
        return;
    const std::vector<QStringList> rows = resultTable();
    export_cells_to_spreadsheet(
        static_cast<int>(rows.size()), static_cast<int>(rows.front().size()),
        [&rows](int r, int c) { return rows[static_cast<size_t>(r)].value(c); },
        open_database_file(m_context.session()), m_stocktake->name + QStringLiteral(".xlsx"));
}

void Frame_stocktake::Command_stocktake_pdf_Click() {
    if (!m_stocktake)
        return;
    const std::vector<QStringList> rows = resultTable();
    QString html =
        QStringLiteral("<h2>%1</h2><p>%2, %3. %4</p><table border=\"1\" "
                       "cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">")
            .arg(m_stocktake->name.toHtmlEscaped(),
                 Combo_stocktake_office->currentText().toHtmlEscaped(),
                 format_date(m_stocktake->date), Label_stocktake_counts->text().toHtmlEscaped());
    for (size_t r = 0; r < rows.size(); ++r) {
        html += QStringLiteral("<tr>");
        for (const QString& cell : rows[r])
            html += (r == 0 ? QStringLiteral("<th>%1</th>") : QStringLiteral("<td>%1</td>"))
                        .arg(cell.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table>");
    save_pdf(QStringLiteral("Save the stocktake as PDF"),
             m_stocktake->name + QStringLiteral(".pdf"), open_database_file(m_context.session()),
             m_stocktake->name, [&html](QPdfWriter& writer) {
                 writer.setPageSize(QPageSize(QPageSize::A4));
                 QTextDocument document;
                 document.setHtml(html);
                 document.print(&writer);
             });
}

void Frame_stocktake::openScannedAsset(const FlexGrid& grid) {
    const int column = &grid == Grid_stocktake ? assetColumn : 0;
    const int asset = grid.textMatrix(grid.row(), column).toInt();
    if (grid.row() >= 1 && asset > 0)
        emit m_context.requests().assetRequested(asset);
}

} // namespace gearlog
