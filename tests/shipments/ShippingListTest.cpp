// The shipping list tab: totals, adding and deleting rows, ticking by
// mouse and keyboard, the picker following the list, and the grid filler.
#include "ShipmentFixture.h"
#include "ShippingListFiller.h"
#include "ViewRequests.h"

#include <QSignalSpy>

using namespace gearlog;
using namespace gearlog::test;

namespace {

using ShippingListTab = ShipmentWindow;

TEST_P(ShippingListTab, AddingSumsWeightAndVolumeAndRefusesARepeat) {
    addItem(13); // no depth: weight only
    EXPECT_EQ(box("Text_shipment_weight")->text(), QStringLiteral("1.0"));
    EXPECT_EQ(box("Text_shipment_volume")->text(), QStringLiteral("0.000"));
    EXPECT_EQ(box("Text_shipment_item_weight")->text(), QStringLiteral("1.0"));
    addItem(10);
    EXPECT_EQ(box("Text_shipment_count")->text(), QStringLiteral("2"));
    EXPECT_EQ(box("Text_shipment_weight")->text(), QStringLiteral("3.5"));
    EXPECT_EQ(box("Text_shipment_volume")->text(), QStringLiteral("0.006"));
    // Added rows go to the bottom; the asset listed cannot be added again.
    EXPECT_EQ(grid()->textMatrix(2, 1), QStringLiteral("10"));
    EXPECT_FALSE(enabled("Command_add_item_to_shipping_list"));
    view()->shippingList().Command_add_item_to_shipping_list_Click();
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral("The specified item is already in the shipping list")});
    EXPECT_EQ(grid()->rows(), 3);
    // A new shipment is changed, not loaded: Save New, no Save.
    EXPECT_TRUE(enabled("Command_save_shipment_changes_1"));
    EXPECT_FALSE(enabled("Command_save_shipment_changes_0"));
    // Unsaved rows tick nothing: no shipment is loaded.
    tick(10);
    EXPECT_FALSE(enabled("Command_return_item_from_shipping_list"));
    // Deleting an unsaved row touches no database.
    clickCell(grid(), rowOf(13), 2);
    press(QStringLiteral("Command_delete_item_from_shipping_list"));
    EXPECT_EQ(grid()->rows(), 2);
    EXPECT_EQ(box("Text_shipment_weight")->text(), QStringLiteral("2.5"));
    EXPECT_EQ(lines(), QStringList());
}

TEST_P(ShippingListTab, ClickingARowShowsItsAssetAndDoubleClickItsHistory) {
    addItem(13);
    addItem(11);
    AssetList& picker = list().picker();
    clickCell(grid(), rowOf(13), 2);
    EXPECT_EQ(picker.Combo_asset_equipment->currentText(), QStringLiteral("Antenna"));
    EXPECT_EQ(picker.Grid_asset->textMatrix(picker.Grid_asset->row(), 0), QStringLiteral("13"));
    EXPECT_EQ(window->state().current_asset_id, 13);
    EXPECT_TRUE(enabled("Command_delete_item_from_shipping_list"));
    EXPECT_FALSE(enabled("Command_add_item_to_shipping_list"));
    QSignalSpy history(&window->requests(), &ViewRequests::shippingHistoryRequested);
    window->show();
    const QModelIndex cell = grid()->model()->index(rowOf(11) - 1, 2);
    QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(cell).center());
    ASSERT_EQ(history.size(), 1);
    EXPECT_EQ(history.first().first().toInt(), 11);
    EXPECT_EQ(window->state().current_asset_model, QStringLiteral("M-11"));
}

// A keyboard user ticks with the Space key on the tick column.
TEST_P(ShippingListTab, TicksFollowTheSpaceKey) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    addItem(11);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    window->show();
    grid()->setFocus();
    grid()->setCurrentIndex(grid()->model()->index(0, 1));
    QTest::keyClick(grid(), Qt::Key_Left);
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_TRUE(enabled("Command_return_item_from_shipping_list"));
    EXPECT_EQ(grid()->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Ticked"));
    EXPECT_EQ(list().tickedItems().size(), 1U);
    QTest::keyClick(grid(), Qt::Key_Space);
    EXPECT_FALSE(enabled("Command_return_item_from_shipping_list"));
    EXPECT_EQ(grid()->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
              QStringLiteral("Not ticked"));
}

// The report's form: five columns in asset order, the completion date of
// a completed line, empty cells where the asset is gone.
TEST_P(ShippingListTab, TheFullFormListsCategoryEquipmentAndReturnDate) {
    add(session().rs_shipment(),
        {{QStringLiteral("ID"), 7}, {QStringLiteral("Name"), QStringLiteral("Old")}});
    const auto line = [&](int id, int asset, const QVariant& completed) {
        add(session().rs_shipping_list(), {{QStringLiteral("ID"), id},
                                           {QStringLiteral("ShipmentID"), 7},
                                           {QStringLiteral("AssetID"), asset},
                                           {QStringLiteral("IsCompleted"), completed.isValid()},
                                           {QStringLiteral("CompletionDate"), completed},
                                           {QStringLiteral("TransferID"), -1}});
    };
    line(1, 12, QDate(2026, 2, 1));
    line(2, 99, {});
    line(3, 10, {});
    FlexGrid full;
    full.resize(600, 300);
    fill_shipping_list_grid(session(), window->state(), ShippingListForm::Full, 7, full);
    ASSERT_EQ(full.rows(), 4);
    EXPECT_EQ(full.cols(), 5);
    EXPECT_EQ(full.textMatrix(0, 4), QStringLiteral("Returned"));
    EXPECT_EQ(full.textMatrix(1, 0), QStringLiteral("Radio"));
    EXPECT_EQ(full.textMatrix(1, 1), QStringLiteral("Radio set"));
    EXPECT_EQ(full.textMatrix(1, 2), QStringLiteral("M-10"));
    EXPECT_EQ(full.textMatrix(1, 4), QString());
    EXPECT_EQ(full.textMatrix(2, 3), QStringLiteral("S12"));
    EXPECT_EQ(full.textMatrix(2, 4), QStringLiteral("01-Feb-2026"));
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(full.textMatrix(3, c), QString()) << c;
    EXPECT_EQ(full.colWidth(0), (600 * 15 - 1000) / 5 / 15 * 15);
    fill_shipping_list_grid(session(), window->state(), ShippingListForm::Full, 8, full);
    EXPECT_EQ(full.rows(), 1);
    // Kept apart from the consistency check: these lines are made up.
    session().execute(QStringLiteral("DELETE FROM Table_ShippingList"));
}

GEARLOG_BOTH_STORES(ShippingListTab);

} // namespace
