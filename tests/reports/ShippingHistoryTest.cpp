// The shipping history window: the columns chosen and stored, the purpose
// boxes, the cell rules, and how it is opened.
#include "ShippingHistory.h"
#include "AssetList.h"
#include "Form_Shipping_History.h"
#include "Frame_asset.h"
#include "Frame_fields.h"
#include "ReportFixture.h"
#include "Settings.h"

#include <QCheckBox>
#include <QTextEdit>
#include <QTreeWidget>

using namespace gearlog;
using namespace gearlog::test;

namespace {

TEST(ShippingHistorySql, PurposesNarrowTheLinesAsWritten) {
    const QString join = QStringLiteral(
        "SELECT Table_shipment.*,Table_shippinglist.* FROM Table_shipment INNER JOIN "
        "Table_shippinglist ON Table_shipment.ID = Table_shippinglist.ShipmentID");
    const QString order = QStringLiteral(" ORDER BY ShipmentDate,Table_shippinglist.ID,assetID;");
    EXPECT_EQ(shipping_history_sql(7, {false, true, false}),
              join + QStringLiteral(" WHERE (Purpose = 1) AND AssetID = 7") + order);
    EXPECT_EQ(shipping_history_sql(7, {true, false, true}),
              join + QStringLiteral(" WHERE (Purpose = 0 OR Purpose = 2) AND AssetID = 7") + order);
    EXPECT_EQ(shipping_history_sql(7, {true, true, true}),
              join + QStringLiteral(" WHERE AssetID = 7") + order);
}

class HistoryWindow : public ReportWindow {
protected:
    // Opens the window on the asset as the asset view's double-click does,
    // and lets the test look at it while it is up.
    void openFor(int asset, const std::function<void(Form_Shipping_History&)>& look) {
        scripted.dialogs.push_back([look](QDialog& d) {
            look(static_cast<Form_Shipping_History&>(d));
            return QDialog::Accepted;
        });
        press(QStringLiteral("Command_Assets"));
        AssetList& list = window->assetView()->assetList();
        choose(list.Combo_asset_category, QStringLiteral("All"));
        choose(list.Combo_asset_equipment,
               asset < 12 ? QStringLiteral("Radio set") : QStringLiteral("Cable kit"));
        for (int r = 1; r < list.Grid_asset->rows(); ++r)
            if (list.Grid_asset->textMatrix(r, 0) == QString::number(asset)) {
                window->show();
                const QModelIndex cell = list.Grid_asset->model()->index(r - 1, 1);
                QTest::mouseDClick(list.Grid_asset->viewport(), Qt::LeftButton, {},
                                   list.Grid_asset->visualRect(cell).center());
            }
        EXPECT_EQ(scripted.dialogNames, QStringList{QStringLiteral("Form_Shipping_History")});
    }
};

TEST_P(HistoryWindow, ShowsTheDefaultColumnsOldestFirst) {
    openFor(11, [](Form_Shipping_History& history) {
        EXPECT_EQ(history.windowTitle(), QStringLiteral("Shipping History for M-11"));
        EXPECT_EQ(history.grid()->accessibleName(), QStringLiteral("Shipping history grid"));
        // A line not returned shows no date, whatever is stored.
        EXPECT_EQ(rowsOf(*history.grid(), 0),
                  strings({"|Date|Receiver|Location|Returned|Purpose",
                           "1|01-Jun-2025|Ann|Field camp|01-Dec-2025|Repairs",
                           "2|10-Jan-2026|Ann|Field camp||Field Use"}));
        auto* text = history.findChild<QTextEdit*>(QStringLiteral("rtf_shipping_history"));
        EXPECT_TRUE(text->toPlainText().startsWith(
            QStringLiteral("Shipping History for M-11 Serial Number: S11\n\n1\t01-Jun-2025")));
        // Unticking a purpose narrows the lines at once; none leaves headings.
        for (int i : {0, 2}) {
            auto* box = history.findChild<QCheckBox*>(QStringLiteral("Check_purpose_%1").arg(i));
            EXPECT_TRUE(box->isChecked());
            box->click();
        }
        EXPECT_EQ(history.grid()->rows(), 1);
        history.findChild<QCheckBox*>(QStringLiteral("Check_purpose_0"))->click();
        EXPECT_EQ(columnOf(*history.grid(), 1), strings({"10-Jan-2026"}));
    });
}

// Every column's cell rule, and the chooser that picks and orders them.
TEST_P(HistoryWindow, TheFieldChooserPicksAndOrdersTheColumns) {
    openFor(12, [this](Form_Shipping_History& history) {
        Frame_fields& fields = history.fields();
        history.menu_select_fields_Click();
        EXPECT_FALSE(fields.isHidden());
        EXPECT_EQ(fields.List_included->topLevelItemCount(), 5);
        fields.Command_removeall_Click();
        fields.Command_Done_fields_Click();
        EXPECT_EQ(scripted.messages,
                  QStringList{QStringLiteral("You must select at least one field to display")});
        EXPECT_FALSE(fields.isHidden());
        fields.Command_addall_Click();
        fields.Command_Done_fields_Click();
        EXPECT_TRUE(fields.isHidden());
        EXPECT_EQ(rowsOf(*history.grid(), 0),
                  strings({"|Date|Shipment Name|Receiver|Location|Shipper|Shipper "
                           "Address|Consignment Note|Shipping Method|Arrival "
                           "Confirmed|Cost|Purpose|Returned",
                           "1|20-Jan-2026|Cable return|Bob|Depot|Ann|Head office||Other|No|80.00||"
                           "25-Jan-2026"}));
        // Entries move with a click (or Enter) to the end of the other list.
        history.menu_select_fields_Click();
        fields.Command_removeall_Click();
        for (const char* caption : {"Arrival Confirmed", "Shipment Name"}) {
            const auto found =
                fields.List_excluded->findItems(QString::fromLatin1(caption), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            fields.List_excluded->setCurrentItem(found.first());
            QTest::keyClick(fields.List_excluded, Qt::Key_Return);
        }
        fields.Command_Done_fields_Click();
        EXPECT_EQ(window->state().selected_fields, (std::vector<int>{9, 2}));
        EXPECT_EQ(rowsOf(*history.grid(), 0),
                  strings({"|Arrival Confirmed|Shipment Name", "1|No|Cable return"}));
    });
}

// A stored choice of codes 2 and 9 is shown in that order and written back
// unchanged when the main window closes.
TEST_P(HistoryWindow, TheStoredFieldListIsReadAndWrittenBackUnchanged) {
    settings::write(QStringLiteral("FieldList"), QStringLiteral("2&9"));
    window.reset();
    openWindow(*db);
    openFor(10, [](Form_Shipping_History& history) {
        EXPECT_EQ(rowsOf(*history.grid(), 0),
                  strings({"|Shipment Name|Arrival Confirmed", "1|Old trip|Yes"}));
    });
    window->close();
    EXPECT_EQ(settings::read(QStringLiteral("FieldList")), QStringLiteral("2&9"));
}

GEARLOG_BOTH_STORES(HistoryWindow);

} // namespace
