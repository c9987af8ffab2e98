// The shipment view: the details form, its checks, saving with the list,
// deleting, and the road of a shipment through return and transfer.
#include "DateField.h"
#include "RichTextBox.h"
#include "ShipmentFixture.h"

#include <QLabel>
#include <QTabWidget>

using namespace gearlog;
using namespace gearlog::test;

namespace {

using ShipmentView = ShipmentWindow;

TEST_P(ShipmentView, ShowsAnEmptyFormDatedToday) {
    EXPECT_TRUE(view()->isVisible());
    auto* tabs = child<QTabWidget>(QStringLiteral("Tab_shipment"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral(" Shipment Details"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Shipping List"));
    EXPECT_EQ(box("Text_shipment_date")->text(), format_date(QDate::currentDate()));
    EXPECT_EQ(combo("Combo_shipment_purpose")->currentText(), QStringLiteral("Field Use"));
    EXPECT_EQ(combo("Combo_shipment_method")->currentIndex(), -1);
    EXPECT_EQ(combo("Combo_shipment_contact_0")->currentIndex(), -1);
    EXPECT_EQ(combo("Combo_shipment_contact_0")->count(), 3);
    EXPECT_EQ(combo("Combo_shipment_contact_0")->toolTip(),
              QStringLiteral("Name of person or company to which this  shipment is being sent"));
    for (const char* name : {"Command_save_shipment_changes_0", "Command_save_shipment_changes_1",
                             "Command_clear_shipment_changes", "Command_delete_shipment"})
        EXPECT_FALSE(enabled(name)) << name;
    // Inputs are named by their labels, the grids by their roles.
    auto* waybill = child<QLabel>(QStringLiteral("Label_Text_shipment_consignment_note"));
    EXPECT_EQ(waybill->text(), QStringLiteral("Waybill number"));
    EXPECT_EQ(waybill->buddy(), box("Text_shipment_consignment_note"));
    EXPECT_EQ(grid()->accessibleName(), QStringLiteral("Shipping list grid"));
    EXPECT_EQ(list().picker().Grid_asset->accessibleName(), QStringLiteral("Asset picker grid"));
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(ShipmentView, ChecksTheFormInOrderAndStoresTheCost) {
    const QString save = QStringLiteral("Command_save_shipment_changes_1");
    const auto lastMessage = [&] {
        view()->Command_save_shipment_changes_Click(1);
        return scripted.messages.isEmpty() ? QString() : scripted.messages.takeLast();
    };
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("   "));
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment description has been specified"));
    typeInto(QStringLiteral("Text_shipment_name"), QStringLiteral("Field kit"));
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment Receiver Name has been specified"));
    choose("Combo_shipment_contact_0", QStringLiteral("Cara")); // no address of her own
    EXPECT_EQ(combo("Combo_shipment_address_0")->currentIndex(), -1);
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment Receiver Address has been specified"));
    choose("Combo_shipment_contact_0", QStringLiteral("Ann"));
    EXPECT_EQ(combo("Combo_shipment_address_0")->currentText(), QStringLiteral("Green site"));
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment Shipper Name has been specified"));
    combo("Combo_shipment_contact_1")->setCurrentIndex(2); // Cara: no address follows
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment Shipper Address has been specified"));
    choose("Combo_shipment_address_1", QStringLiteral("Depot"));
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment method has been specified"));
    choose("Combo_shipment_method", QStringLiteral("Other"));
    typeInto(QStringLiteral("Text_shipment_cost"), QStringLiteral("12.5.3"));
    EXPECT_EQ(lastMessage(), QStringLiteral("The shipment cost is not valid"));
    combo("Combo_shipment_purpose")->setCurrentIndex(-1);
    typeInto(QStringLiteral("Text_shipment_cost"), QStringLiteral("12.5"));
    EXPECT_EQ(lastMessage(), QStringLiteral("No shipment purpose has been specified"));
    combo("Combo_shipment_purpose")->setCurrentIndex(2);
    EXPECT_EQ(shipmentCount(), 0);

    press(save);
    EXPECT_EQ(scripted.messages, QStringList());
    auto shipment = stored(QStringLiteral("Table_Shipment"));
    EXPECT_EQ(shipment->value(QStringLiteral("Name")).toString(), QStringLiteral("Field kit"));
    EXPECT_DOUBLE_EQ(shipment->value(QStringLiteral("Cost")).toDouble(), 12.5);
    EXPECT_EQ(shipment->value(QStringLiteral("ShippingMethod")).toInt(), 4);
    EXPECT_EQ(shipment->value(QStringLiteral("Purpose")).toInt(), 2);
    EXPECT_EQ(shipment->value(QStringLiteral("ReceiverAddressID")).toInt(), 2);
    EXPECT_EQ(shipment->value(QStringLiteral("ShipperContactID")).toInt(), 3);
    EXPECT_EQ(shipment->value(QStringLiteral("ShipmentDate")).toDate(), QDate::currentDate());
    EXPECT_FALSE(shipment->value(QStringLiteral("ExpectedReturnDate")).isValid());
    // Shown loaded: the stored method reads "Other", the cost "12.50".
    EXPECT_EQ(combo("Combo_shipment")->currentText(), QStringLiteral("Field kit"));
    EXPECT_EQ(combo("Combo_shipment_method")->currentText(), QStringLiteral("Other"));
    EXPECT_EQ(box("Text_shipment_cost")->text(), QStringLiteral("12.50"));
    EXPECT_TRUE(enabled("Command_delete_shipment"));
    EXPECT_FALSE(enabled("Command_save_shipment_changes_0"));
    // A change enables Save; a blank cost is stored as 0.
    typeInto(QStringLiteral("Text_shipment_cost"), QString());
    EXPECT_TRUE(enabled("Command_save_shipment_changes_0"));
    EXPECT_FALSE(enabled("Command_delete_shipment"));
    press(QStringLiteral("Command_save_shipment_changes_0"));
    EXPECT_EQ(shipmentCount(), 1);
    EXPECT_DOUBLE_EQ(
        stored(QStringLiteral("Table_Shipment"))->value(QStringLiteral("Cost")).toDouble(), 0.0);
    EXPECT_EQ(unexpected(), QString());
}

// In a German desk "1.500" is fifteen hundred; what is no finite amount
// the field keeps is refused; the cost is kept to the cent.
TEST_P(ShipmentView, CostReadsTheLocaleFirstAndKeepsTheCents) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    fillDetails(QStringLiteral("Kit"));
    for (const char* refused : {"nan", "inf", "-inf", "2e12", "1,5,0"}) {
        typeInto(QStringLiteral("Text_shipment_cost"), QString::fromLatin1(refused));
        press(QStringLiteral("Command_save_shipment_changes_1"));
        EXPECT_EQ(scripted.messages.value(0), QStringLiteral("The shipment cost is not valid"))
            << refused;
        scripted.messages.clear();
    }
    EXPECT_EQ(shipmentCount(), 0);
    const auto costAfterSaving = [&](const char* typed) {
        typeInto(QStringLiteral("Text_shipment_cost"), QString::fromLatin1(typed));
        press(QStringLiteral("Command_save_shipment_changes_1"));
        return stored(QStringLiteral("SELECT * FROM Table_Shipment ORDER BY ID DESC"))
            ->value(QStringLiteral("Cost"))
            .toDouble();
    };
    EXPECT_EQ(costAfterSaving("1.500"), 1500.0);
    EXPECT_EQ(costAfterSaving("1234567,89"), 1234567.89);
    EXPECT_EQ(box("Text_shipment_cost")->text(), QStringLiteral("1234567.89"));
    EXPECT_EQ(costAfterSaving("200000.01"), 200000.01); // the C form second
    QLocale::setDefault(before);
    EXPECT_EQ(unexpected(), QString());
}

// A save the engine refuses reports with the save's prefix and leaves the
// form, the list and the database as they were.
TEST_P(ShipmentView, ARefusedSaveKeepsTheInputAndChangesNothing) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    addItem(11);
    typeInto(QStringLiteral("Text_shipment_date"), QStringLiteral("someday"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages.takeFirst().startsWith(
        QStringLiteral("An error occurred while saving the changes: ")));
    typeInto(QStringLiteral("Text_shipment_date"), QStringLiteral("01-Feb-2026"));
    typeInto(QStringLiteral("Text_shipment_name"), QString(256, QLatin1Char('d')));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages.first().startsWith(
        QStringLiteral("An error occurred while saving the changes: ")));
    EXPECT_EQ(shipmentCount(), 0);
    EXPECT_EQ(lines(), QStringList());
    EXPECT_EQ(shipmentOf(10), 0);
    EXPECT_EQ(box("Text_shipment_name")->text().size(), 256);
    EXPECT_EQ(list().items().size(), 2U);
    EXPECT_TRUE(enabled("Command_save_shipment_changes_1"));
}

// Another desk changed the shipment meanwhile: the save is refused with
// the save's prefix, and the form and the list stay as this desk made them.
TEST_P(ShipmentView, ASaveOverAnotherDesksChangeKeepsTheInput) {
    fillDetails(QStringLiteral("Kit"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    auto other = db->openSession();
    other->openTableCursors();
    ASSERT_TRUE(find_record_by_number(other->rs_shipment(), QStringLiteral("ID"), 1));
    other->rs_shipment().setValue(QStringLiteral("Name"), QStringLiteral("Kit (desk B)"));
    other->rs_shipment().update();
    typeInto(QStringLiteral("Text_shipment_cost"), QStringLiteral("99"));
    addItem(10);
    press(QStringLiteral("Command_save_shipment_changes_0"));
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages.first().startsWith(
        QStringLiteral("An error occurred while saving the changes: ")));
    EXPECT_EQ(box("Text_shipment_cost")->text(), QStringLiteral("99"));
    EXPECT_EQ(list().items().size(), 1U);
    EXPECT_EQ(lines(), QStringList());
    EXPECT_EQ(shipmentOf(10), 0);
    EXPECT_EQ(stored(QStringLiteral("Table_Shipment"))->value(QStringLiteral("Name")).toString(),
              QStringLiteral("Kit (desk B)"));
}

// The engine fails after the shipment and some of its lines were written:
// none of it stays.
TEST_P(ShipmentView, AFailureHalfwayThroughASaveUndoesAllOfIt) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    addItem(11);
    addItem(12);
    // The database refuses to move asset 12.
    if (GetParam() == Engine::Sqlite) {
        session().database().store().execute(
            QStringLiteral("CREATE TRIGGER refuse_12 BEFORE UPDATE ON Table_asset WHEN NEW.ID = 12 "
                           "BEGIN SELECT RAISE(ABORT, 'asset 12 is held'); END"),
            {});
    } else {
        session().database().store().execute(
            QStringLiteral("CREATE FUNCTION refuse_12() RETURNS trigger AS $$ BEGIN IF NEW.id = "
                           "12 THEN RAISE EXCEPTION 'asset 12 is held'; END IF; RETURN NEW; END "
                           "$$ LANGUAGE plpgsql"),
            {});
        session().database().store().execute(
            QStringLiteral("CREATE TRIGGER refuse_12 BEFORE UPDATE ON table_asset FOR EACH ROW "
                           "EXECUTE FUNCTION refuse_12()"),
            {});
    }
    press(QStringLiteral("Command_save_shipment_changes_1"));
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages.first().contains(QStringLiteral("asset 12 is held")));
    EXPECT_EQ(shipmentCount(), 0);
    EXPECT_EQ(lines(), QStringList());
    for (int asset : {10, 11, 12})
        EXPECT_EQ(shipmentOf(asset), 0);
    EXPECT_EQ(list().items().size(), 3U);
    EXPECT_EQ(box("Text_shipment_name")->text(), QStringLiteral("Kit"));
}

TEST_P(ShipmentView, DeletingNeedsAnEmptyListAndPutsItsAssetsInStock) {
    fillDetails(QStringLiteral("Kit"));
    addItem(10);
    press(QStringLiteral("Command_save_shipment_changes_1"));
    const auto line = stored(QStringLiteral("Table_ShippingList"));
    const int lineId = line->value(QStringLiteral("ID")).toInt();
    const int shipment = shipmentOf(10);
    press(QStringLiteral("Command_delete_shipment"));
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral("You cannot delete this shipment as the shipping list is "
                                         "not empty %1")
                              .arg(lineId)});
    // Deleting the stored open line is immediate and puts the asset back in stock.
    clickCell(grid(), 1, 1);
    press(QStringLiteral("Command_delete_item_from_shipping_list"));
    EXPECT_EQ(lines(), QStringList());
    EXPECT_EQ(grid()->rows(), 1);
    EXPECT_EQ(grid()->textMatrix(0, 3), QStringLiteral("Serial Number"));
    EXPECT_EQ(shipmentOf(10), 0);
    EXPECT_EQ(checkDatabase(*db->openStore()), QStringList());
    // An asset left pointing at the shipment is put in stock with it.
    session().execute(
        QStringLiteral("UPDATE Table_Asset SET ShipmentID = %1 WHERE ID = 11").arg(shipment));
    view()->Command_clear_shipment_changes_Click();
    press(QStringLiteral("Command_delete_shipment"));
    EXPECT_EQ(shipmentCount(), 0);
    EXPECT_EQ(shipmentOf(11), 0);
    EXPECT_EQ(combo("Combo_shipment")->count(), 0);
    EXPECT_EQ(box("Text_shipment_name")->text(), QString());
}

TEST_P(ShipmentView, ContactsAndAddressesAreCreatedAndChangedFromTheForm) {
    choose("Combo_shipment_contact_0", QStringLiteral("Ann"));
    choose("Combo_shipment_contact_1", QStringLiteral("Bob"));
    scripted.dialogs.push_back([](QDialog& d) {
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("Text_name"));
        EXPECT_EQ(name->text(), QString());
        QTest::keyClicks(name, QStringLiteral("Dan"));
        d.findChild<QPushButton*>(QStringLiteral("Command_save_1"))->click();
        return d.result();
    });
    press(QStringLiteral("Command_shipment_define_name_3")); // "Create" carrier
    EXPECT_EQ(combo("Combo_shipment_contact_0")->count(), 4);
    EXPECT_EQ(combo("Combo_shipment_contact_0")->currentIndex(), -1);
    EXPECT_EQ(combo("Combo_shipment_contact_1")->currentIndex(), -1);
    EXPECT_EQ(stored(QStringLiteral("SELECT * FROM Table_Contact WHERE Name = 'Dan'"))->eof(),
              false);
    // "Modify" receiver address edits the selected address.
    choose("Combo_shipment_address_0", QStringLiteral("Depot"));
    scripted.dialogs.push_back([](QDialog& d) {
        auto* name = d.findChild<QLineEdit*>(QStringLiteral("Text_name"));
        EXPECT_EQ(name->text(), QStringLiteral("Depot"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("North depot"));
        d.findChild<QPushButton*>(QStringLiteral("Command_save_0"))->click();
        return d.result();
    });
    press(QStringLiteral("Command_shipment_define_address_0"));
    EXPECT_GE(combo("Combo_shipment_address_1")->findText(QStringLiteral("North depot")), 0);
    EXPECT_EQ(combo("Combo_shipment_address_1")->findText(QStringLiteral("Depot")), -1);
    EXPECT_EQ(combo("Combo_shipment_address_0")->currentIndex(), -1);
    EXPECT_EQ(unexpected(), QString());
}

// The road of a shipment: out with three assets, two back to stock on a
// chosen date, the third transferred on to a new shipment.
TEST_P(ShipmentView, AShipmentsRoadThroughReturnAndTransfer) {
    fillDetails(QStringLiteral("Field kit"));
    for (int asset : {12, 10, 11})
        addItem(asset);
    EXPECT_EQ(box("Text_shipment_count")->text(), QStringLiteral("3"));
    EXPECT_EQ(box("Text_shipment_weight")->text(), QStringLiteral("7.5"));
    EXPECT_EQ(box("Text_shipment_volume")->text(), QStringLiteral("0.018"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    const int first = shipmentOf(10);
    EXPECT_GT(first, 0);
    EXPECT_EQ(lines(), strings({"1:12:0:-1", "1:10:0:-1", "1:11:0:-1"}));
    // Reloaded in asset order, the assets out (yellow) at the receiver's colour.
    EXPECT_EQ(grid()->textMatrix(1, 1), QStringLiteral("10"));
    EXPECT_EQ(grid()->cellBackColor(1, 1), QColor(Qt::yellow));
    EXPECT_EQ(grid()->cellBackColor(1, 0), QColor(Qt::green));
    EXPECT_FALSE(enabled("Command_return_item_from_shipping_list"));

    // Ticking enables Return and Transfer; unticking disables them.
    tick(10);
    EXPECT_TRUE(enabled("Command_return_item_from_shipping_list"));
    EXPECT_TRUE(enabled("Command_transfer_item_from_shipping_list"));
    EXPECT_EQ(grid()->cellBackColor(rowOf(10), 3), QColor(Qt::red));
    tick(10);
    EXPECT_FALSE(enabled("Command_transfer_item_from_shipping_list"));
    tick(10);
    tick(11);
    // A cancelled picker returns nothing.
    answerPicker({});
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    EXPECT_EQ(shipmentOf(10), first);
    answerPicker(QDate(2026, 3, 3));
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    EXPECT_EQ(lines(), strings({"1:12:0:-1", "1:10:1:-1", "1:11:1:-1"}));
    EXPECT_EQ(shipmentOf(10), 0);
    EXPECT_EQ(shipmentOf(11), 0);
    auto returned = stored(QStringLiteral("SELECT * FROM Table_ShippingList WHERE AssetID = 10"));
    EXPECT_EQ(returned->value(QStringLiteral("CompletionDate")).toDate(), QDate(2026, 3, 3));
    EXPECT_EQ(combo("Combo_shipment")->currentText(), QStringLiteral("Field kit"));
    EXPECT_EQ(view()->isVisible(), true);
    EXPECT_FALSE(enabled("Command_return_item_from_shipping_list"));
    EXPECT_EQ(grid()->cellBackColor(rowOf(10), 1), QColor(Qt::white));

    // A returned row is refused, the open one taken along.
    tick(10);
    tick(12);
    press(QStringLiteral("Command_transfer_item_from_shipping_list"));
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral("Asset  M-10 S10 cannot be transferred as it has "
                                         "already been returned to stock")});
    scripted.messages.clear();
    EXPECT_EQ(box("Text_shipment_name")->text(), QStringLiteral("Field kit transfer from Ann on ") +
                                                     format_date(QDate::currentDate()));
    EXPECT_EQ(combo("Combo_shipment")->currentIndex(), -1);
    EXPECT_EQ(list().items().size(), 1U);
    EXPECT_EQ(grid()->textMatrix(1, 2), QStringLiteral("M-12"));
    EXPECT_TRUE(enabled("Command_save_shipment_changes_1"));
    EXPECT_FALSE(enabled("Command_save_shipment_changes_0"));
    // Nothing is stored until the new shipment is saved.
    EXPECT_EQ(shipmentOf(12), first);
    choose("Combo_shipment_contact_0", QStringLiteral("Cara"));
    choose("Combo_shipment_address_0", QStringLiteral("Red office"));
    choose("Combo_shipment_contact_1", QStringLiteral("Bob"));
    choose("Combo_shipment_method", QStringLiteral("Air"));
    press(QStringLiteral("Command_save_shipment_changes_1"));
    const int second = shipmentOf(12);
    EXPECT_NE(second, first);
    EXPECT_EQ(lines(), strings({"1:12:1:2", "1:10:1:-1", "1:11:1:-1", "2:12:0:-1"}));
    auto moved = stored(
        QStringLiteral("SELECT * FROM Table_ShippingList WHERE AssetID = 12 AND ShipmentID = 1"));
    EXPECT_EQ(moved->value(QStringLiteral("CompletionDate")).toDate(), QDate::currentDate());

    // Back on the first shipment: both kinds of completed line are refused.
    choose("Combo_shipment", QStringLiteral("Field kit"));
    tick(10);
    tick(12);
    answerPicker(QDate(2026, 4, 1));
    scripted.messages.clear();
    press(QStringLiteral("Command_return_item_from_shipping_list"));
    EXPECT_EQ(scripted.messages,
              QStringList({QStringLiteral("Asset  M-10 S10 cannot be returned to stock as it has "
                                          "already been returned"),
                           QStringLiteral("Asset  M-12 S12 cannot be returned to stock as it has "
                                          "already been transferred to the shipment Field kit "
                                          "transfer from Ann on ") +
                               format_date(QDate::currentDate()),
                           QStringLiteral("There are no valid items to return")}));
    // Completed lines cannot be deleted.
    scripted.messages.clear();
    clickCell(grid(), rowOf(10), 1);
    press(QStringLiteral("Command_delete_item_from_shipping_list"));
    EXPECT_EQ(scripted.messages,
              QStringList{QStringLiteral(
                  "You cannot delete this item as the shipment has already been completed")});
    EXPECT_EQ(lines().size(), 4);
}

GEARLOG_BOTH_STORES(ShipmentView);

} // namespace
