// Where the shipment view could lose track of an asset: Save New on a
// loaded shipment, the row a keyboard user deletes, deleting a line that
// came by transfer, and another desk's new shipment.
#include "ShipmentFixture.h"
#include "ShippingLines.h"

#include <QTest>

using namespace gearlog;
using namespace gearlog::test;

namespace {

using ShipmentIntegrity = ShipmentWindow;

TEST_P(ShipmentIntegrity, SaveNewOnALoadedShipmentLeavesItsHistoryAlone) {
    fillDetails(QStringLiteral("Kit"));
    for (int asset : {10, 11, 12})
        addItem(asset);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    tick(10);
    answerPicker(QDate(2026, 3, 3));
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    ASSERT_EQ(lines(), strings({"1:10:1:-1", "1:11:0:-1", "1:12:0:-1"}));
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("Kit again"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    // The returned asset stays in stock; the open ones move on.
    EXPECT_EQ(lines(), strings({"1:10:1:-1", "1:11:1:2", "1:12:1:2", "2:11:0:-1", "2:12:0:-1"}));
    EXPECT_EQ(shipmentOf(10), 0);
    EXPECT_EQ(shipmentOf(11), 2);
    // The first shipment saved as new again: only history on screen now.
    choose("Combo_shipment", QStringLiteral("Kit"));
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("Kit once more"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    EXPECT_EQ(lines().size(), 5);
    EXPECT_EQ(shipmentOf(11), 2);
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(ShipmentIntegrity, TheRowReachedByKeyboardIsTheOneDeleted) {
    fillDetails(QStringLiteral("Kit"));
    for (int asset : {10, 11, 12})
        addItem(asset);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    clickCell(grid(), rowOf(10), 2);
    // The click leaves the focus in the list, though the picker shows the
    // line's asset; the keys choose the next row as a click does.
    EXPECT_EQ(window->focusWidget(), grid());
    keyToFocused(Qt::Key_Down);
    EXPECT_EQ(window->state().current_asset_id, 11);
    EXPECT_EQ(list().picker().Grid_asset->textMatrix(list().picker().Grid_asset->row(), 0),
              QStringLiteral("11"));
    press(QStringLiteral("Command_delete_item_from_shipping_list"));
    EXPECT_EQ(lines(), strings({"1:10:0:-1", "1:12:0:-1"}));
    EXPECT_EQ(rowOf(11), -1);
    EXPECT_EQ(rowOf(10), 1);
    EXPECT_EQ(shipmentOf(11), 0);
    EXPECT_EQ(shipmentOf(10), 1);
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_asset_location_1"))->text(),
              QStringLiteral("In Stock"));
    // Another asset picked in the picker since takes the command away.
    clickCell(grid(), rowOf(12), 2);
    clickRow(list().picker().Grid_asset, QStringLiteral("M-10"));
    EXPECT_FALSE(enabled("Command_delete_item_from_shipping_list"));
}

TEST_P(ShipmentIntegrity, DeletingALineThatCameByTransferTakesTheTransferBack) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    addItem(11);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    tick(10);
    press(QStringLiteral("Command_transfer_item_from_shipping_list"));
    choose("Combo_shipment_contact_0", QStringLiteral("Bob"));
    choose("Combo_shipment_contact_1", QStringLiteral("Ann"));
    choose("Combo_shipment_method", QStringLiteral("Air"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    ASSERT_EQ(lines(), strings({"1:10:1:2", "1:11:0:-1", "2:10:0:-1"}));
    clickCell(grid(), rowOf(10), 2);
    press(QStringLiteral("Command_delete_item_from_shipping_list"));
    // As if it had never moved: open on the first shipment, out there.
    EXPECT_EQ(lines(), strings({"1:10:0:-1", "1:11:0:-1"}));
    EXPECT_EQ(shipmentOf(10), 1);
    auto line = stored(QStringLiteral("SELECT * FROM Table_ShippingList WHERE AssetID = 10"));
    EXPECT_FALSE(line->value(QStringLiteral("CompletionDate")).isValid());
    // The emptied shipment can go; its key then names no history.
    view()->Command_clear_shipment_changes_Click();
    press(QStringLiteral("Command_delete_shipment"));
    EXPECT_EQ(shipmentCount(), 1);
    EXPECT_EQ(scripted.messages, QStringList());
}

// Desk B transfers an asset to a shipment desk A has never read: A's
// return names B's shipment, and its picker shows where the asset went.
TEST_P(ShipmentIntegrity, AnotherDesksNewShipmentIsFoundByItsKey) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    auto deskB = db->openSession();
    deskB->openTableCursors();
    {
        Transaction transaction(deskB->database());
        Recordset& shipments = deskB->rs_shipment();
        add_new_record(shipments, deskB->database(), QStringLiteral("Table_Shipment"));
        shipments.setValue(QStringLiteral("Name"), QStringLiteral("Onward"));
        shipments.setValue(QStringLiteral("ReceiverContactID"), 2);
        shipments.setValue(QStringLiteral("ReceiverAddressID"), 3);
        shipments.update();
        store_shipping_list(*deskB, 2, -1, {10}, QDateTime::currentDateTime());
        transaction.commit();
    }
    tick(10);
    answerPicker(QDate(2026, 3, 3));
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    EXPECT_EQ(scripted.messages,
              QStringList({QStringLiteral("Asset  M-10 S10 cannot be returned to stock as it has "
                                          "already been transferred to the shipment Onward"),
                           QStringLiteral("There are no valid items to return")}));
    EXPECT_EQ(shipmentOf(10), 2);
    clickCell(grid(), rowOf(10), 2);
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text_asset_location_1"))->text(),
              QStringLiteral("Bob"));
}

GEARLOG_BOTH_STORES(ShipmentIntegrity);

} // namespace
