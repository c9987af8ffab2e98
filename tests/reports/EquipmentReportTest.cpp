// The equipment report: filters, cells, derived locations, sorting, the
// text rendering and the export of its grid.
#include "AssetList.h"
#include "DocumentReaders.h"
#include "Frame_report.h"
#include "ReportFixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextEdit>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class EquipmentReportView : public ReportWindow {
protected:
    void SetUp() override {
        ReportWindow::SetUp();
        press(QStringLiteral("Command_report_0"));
    }
    Frame_report* view() { return window->reportView(); }
    FlexGrid* grid() { return view()->grid(); }
    QComboBox* combo(const char* name) { return child<QComboBox>(QString::fromLatin1(name)); }
    void showAll() {
        choose(view()->filters().Combo_asset_category, QStringLiteral("All"));
        choose(view()->filters().Combo_asset_equipment, QStringLiteral("All"));
    }
    QStringList models() { return columnOf(*grid(), 3); }
};

TEST_P(EquipmentReportView, ListsEveryAssetWithItsCellsAndLocation) {
    showAll();
    EXPECT_EQ(grid()->accessibleName(), QStringLiteral("Equipment report grid"));
    EXPECT_EQ(rowsOf(*grid(), 0).first(),
              QStringLiteral("|Category|Equipment|Model|Serial No|Date Acquired|Purchase Price|"
                             "Replacement Value|Customs Value|Accounts Office|Present "
                             "Location|Status|Comments"));
    const QString s = status();
    EXPECT_EQ(
        rowsOf(*grid()),
        QStringList({QStringLiteral("1|Cables|Cable kit|C-13|S13||3.00|||Head office|Depot|") + s +
                         QLatin1Char('|'),
                     QStringLiteral("2|Cables|Cable kit|C-12|S12||100.00|||Depot|Depot|") + s +
                         QLatin1Char('|'),
                     QStringLiteral("3|Radio|Radio set|M-10|S10|05-Mar-2024|12.50|20.00|10.00|"
                                    "Head office|Head office|") +
                         s + QStringLiteral("|Checked twice"),
                     QStringLiteral("4|Radio|Radio set|M-11|S11|||||Head office|Field camp|") + s +
                         QLatin1Char('|')}));
    EXPECT_EQ(child<QLabel>(QStringLiteral("Label_report_totals"))->text(),
              QStringLiteral("Assets: 4   Purchase: 115.50   Replacement: 20.00   Customs: 10.00"));
    // One category and one type.
    choose(view()->filters().Combo_asset_category, QStringLiteral("Radio"));
    EXPECT_EQ(grid()->rows(), 5); // a category choice alone only refills the types
    choose(view()->filters().Combo_asset_equipment, QStringLiteral("Radio set"));
    EXPECT_EQ(models(), strings({"M-10", "M-11"}));
    EXPECT_EQ(unexpected(), QString());
}

// At most one of the two filters; the contact filter lists only assets out
// with that receiver; "In Stock" every asset not out; rows numbered anew.
TEST_P(EquipmentReportView, FiltersByHolderOrPlaceOneAtATime) {
    showAll();
    choose(combo("Combo_report_contact"), QStringLiteral("Ann"));
    EXPECT_EQ(models(), strings({"M-11"}));
    EXPECT_EQ(columnOf(*grid(), 0), strings({"1"}));
    choose(combo("Combo_report_address"), QStringLiteral("Depot"));
    EXPECT_EQ(combo("Combo_report_contact")->currentIndex(), -1);
    EXPECT_EQ(models(), strings({"C-13", "C-12"}));
    EXPECT_EQ(columnOf(*grid(), 0), strings({"1", "2"}));
    choose(combo("Combo_report_address"), QStringLiteral("In Stock"));
    EXPECT_EQ(models(), strings({"C-12", "M-10"}));
    choose(combo("Combo_report_contact"), QStringLiteral("Bob"));
    EXPECT_EQ(combo("Combo_report_address")->currentIndex(), -1);
    EXPECT_EQ(models(), strings({"C-13"}));
    combo("Combo_report_contact")->setCurrentIndex(0); // the empty entry: no filter
    emit combo("Combo_report_contact")->activated(0);
    EXPECT_EQ(models().size(), 4);
}

TEST_P(EquipmentReportView, HeadingsSortTextAndMoneyAndARebuildResets) {
    showAll();
    clickHeading(grid(), 6); // Purchase Price, numerically
    EXPECT_EQ(columnOf(*grid(), 6), strings({"", "3.00", "12.50", "100.00"}));
    clickHeading(grid(), 6);
    EXPECT_EQ(columnOf(*grid(), 6), strings({"100.00", "12.50", "3.00", ""}));
    // From the keyboard: Ctrl+Space on a cell of the column, as on its heading.
    grid()->setFocus();
    grid()->setCurrentIndex(grid()->model()->index(0, 3));
    QTest::keyClick(grid(), Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(models(), strings({"C-12", "C-13", "M-10", "M-11"}));
    // The text follows the grid's order, without headings.
    press(QStringLiteral("Command_show"));
    auto* text = child<QTextEdit>(QStringLiteral("rtf_shipping_history"));
    EXPECT_TRUE(text->isVisible());
    const QString shown = text->toPlainText();
    EXPECT_TRUE(shown.startsWith(window->windowTitle() + QStringLiteral("\n\n\t2\tCables")));
    EXPECT_LT(shown.indexOf(QStringLiteral("C-12")), shown.indexOf(QStringLiteral("C-13")));
    EXPECT_FALSE(shown.contains(QStringLiteral("Purchase Price")));
    EXPECT_EQ(child<QPushButton>(QStringLiteral("Command_show"))->text(),
              QStringLiteral("Show Grid"));
    press(QStringLiteral("Command_show"));
    EXPECT_FALSE(text->isVisible());
    // Built again, the price column sorts ascending first once more.
    view()->display_equipment_report();
    clickHeading(grid(), 6);
    EXPECT_EQ(columnOf(*grid(), 6).first(), QString());
}

// Dates sort as dates, not as their text.
TEST_P(EquipmentReportView, DateColumnsSortByDate) {
    session().execute(
        QStringLiteral("UPDATE Table_Asset SET DateAcquired = #2026-01-02# WHERE ID = 12"));
    session().execute(
        QStringLiteral("UPDATE Table_Asset SET DateAcquired = #2019-03-15# WHERE ID = 13"));
    showAll();
    clickHeading(grid(), 5);
    EXPECT_EQ(columnOf(*grid(), 5), strings({"", "15-Mar-2019", "05-Mar-2024", "02-Jan-2026"}));
    clickHeading(grid(), 5);
    EXPECT_EQ(columnOf(*grid(), 5), strings({"02-Jan-2026", "05-Mar-2024", "15-Mar-2019", ""}));
}

// An engine error while building is reported with its text and leaves the
// previous report.
TEST_P(EquipmentReportView, AFailedBuildKeepsThePreviousReport) {
    showAll();
    const QStringList before = rowsOf(*grid());
    Store& store = session().database().store();
    store.execute(QStringLiteral("ALTER TABLE Table_asset RENAME TO Table_asset_away"), {});
    choose(combo("Combo_report_contact"), QStringLiteral("Ann"));
    store.execute(QStringLiteral("ALTER TABLE Table_asset_away RENAME TO Table_asset"), {});
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_FALSE(scripted.messages.first().isEmpty());
    EXPECT_EQ(rowsOf(*grid()), before);
}

// "Save as Excel" on the report writes every cell, headings included.
TEST_P(EquipmentReportView, ExportsTheGridToAWorkbook) {
    showAll();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report.xlsx"));
    scripted.files.push_back(file);
    window->mnuExcel_Click();
    const QJsonArray sheet = readWorkbook(file);
    ASSERT_EQ(sheet.size(), 5);
    EXPECT_EQ(sheet[0].toArray()[6].toString(), QStringLiteral("Purchase Price"));
    EXPECT_EQ(sheet[3].toArray()[6].toString(), QStringLiteral("12.50"));
    EXPECT_EQ(sheet[3].toArray()[12].toString(), QStringLiteral("Checked twice"));
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("Export complete"));
}

GEARLOG_BOTH_STORES(EquipmentReportView);

} // namespace
