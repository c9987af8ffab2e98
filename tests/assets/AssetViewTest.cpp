#include "AssetList.h"
#include "ColourCode.h"
#include "DateField.h"
#include "Form_calendar.h"
#include "Frame_asset.h"
#include "OpenWindow.h"
#include "ViewRequests.h"

#include <QComboBox>
#include <QSignalSpy>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// Equipment type 1 "Radio set" (category Radio, 4) holds three assets: 10 in
// stock at the red office, 11 out on shipment 5 to the green address with
// contact "Ann", 12 with ShipmentID 0; 13 points at a shipment that is gone.
// Type 2 "Empty kit" holds none.
class AssetView : public OpenWindow {
protected:
    void SetUp() override {
        OpenWindow::SetUp();
        add(session().rs_address(), {{QStringLiteral("ID"), 1},
                                     {QStringLiteral("Name"), QStringLiteral("Red office")},
                                     {QStringLiteral("ColourCode"), 0x0000FF}});
        add(session().rs_address(), {{QStringLiteral("ID"), 2},
                                     {QStringLiteral("Name"), QStringLiteral("Green site")},
                                     {QStringLiteral("ColourCode"), 0x00FF00}});
        add(session().rs_contact(), {{QStringLiteral("ID"), 1},
                                     {QStringLiteral("Name"), QStringLiteral("Ann")},
                                     {QStringLiteral("AddressID"), 2}});
        add(session().rs_equipment(), {{QStringLiteral("ID"), 1},
                                       {QStringLiteral("Name"), QStringLiteral("Radio set")},
                                       {QStringLiteral("CategoryID"), 4},
                                       {QStringLiteral("Weight"), 2.5},
                                       {QStringLiteral("Height"), 10},
                                       {QStringLiteral("Width"), 20},
                                       {QStringLiteral("Depth"), 30}});
        add(session().rs_equipment(), {{QStringLiteral("ID"), 2},
                                       {QStringLiteral("Name"), QStringLiteral("Empty kit")},
                                       {QStringLiteral("CategoryID"), 4}});
        add(session().rs_shipment(), {{QStringLiteral("ID"), 5},
                                      {QStringLiteral("Name"), QStringLiteral(" Field trip ")},
                                      {QStringLiteral("ReceiverContactID"), 1},
                                      {QStringLiteral("ReceiverAddressID"), 2}});
        addAsset(10, QStringLiteral("M-1"), 1, {});
        addAsset(11, QStringLiteral("M-2"), 1, 5);
        addAsset(12, QStringLiteral("M-3"), 1, 0);
        addAsset(13, QStringLiteral("M-4"), 1, 99);
        add(session().rs_shipping_list(), {{QStringLiteral("ID"), 1},
                                           {QStringLiteral("ShipmentID"), 5},
                                           {QStringLiteral("AssetID"), 11}});
    }
    void addAsset(int id, const QString& model, int account, const QVariant& shipment) {
        add(session().rs_asset(), {{QStringLiteral("ID"), id},
                                   {QStringLiteral("EquipmentID"), 1},
                                   {QStringLiteral("StatusID"), 2},
                                   {QStringLiteral("AccountID"), account},
                                   {QStringLiteral("ShipmentID"), shipment},
                                   {QStringLiteral("ModelNumber"), model},
                                   {QStringLiteral("SerialNumber"), QStringLiteral("S%1").arg(id)},
                                   {QStringLiteral("DateAcquired"), QDate(2024, 3, 5)},
                                   {QStringLiteral("PurchasePrice"), 12.5}});
    }
    Frame_asset* view() { return window->assetView(); }
    AssetList& list() { return view()->assetList(); }
    QLineEdit* box(const char* name) { return child<QLineEdit>(QString::fromLatin1(name)); }
    bool enabled(const char* name) { return child(QString::fromLatin1(name))->isEnabled(); }
    // Shows the view and picks a category and an equipment type as a user does.
    void showType(const QString& category, const QString& type) {
        press(QStringLiteral("Command_Assets"));
        QComboBox* categories = list().Combo_asset_category;
        categories->setCurrentIndex(categories->findText(category));
        emit categories->activated(categories->currentIndex());
        QComboBox* types = list().Combo_asset_equipment;
        types->setCurrentIndex(types->findText(type));
        emit types->activated(types->currentIndex());
    }
    QVariant stored(int id, const char* field) {
        auto rs = session().openRecordset(
            QStringLiteral("SELECT * FROM Table_Asset WHERE ID = %1").arg(id));
        return rs->eof() ? QVariant(QStringLiteral("gone")) : rs->value(QString::fromLatin1(field));
    }
    int storedCount() {
        return session().openRecordset(QStringLiteral("SELECT * FROM Table_Asset"))->recordCount();
    }
};

TEST_F(AssetView, TheListOfATypeWithItsColoursAndNewItemRow) {
    showType(QStringLiteral("All"), QStringLiteral("Radio set"));
    FlexGrid* grid = list().Grid_asset;
    ASSERT_EQ(grid->rows(), 6);
    EXPECT_EQ(grid->accessibleName(), QStringLiteral("Assets grid"));
    EXPECT_EQ(grid->textMatrix(0, 1), QStringLiteral("Model Number"));
    EXPECT_EQ(grid->textMatrix(1, 0), QStringLiteral("10"));
    EXPECT_EQ(grid->textMatrix(2, 2), QStringLiteral("S11"));
    EXPECT_EQ(grid->textMatrix(5, 0), QStringLiteral("*"));
    // In stock: its office's colour; out: the receiving address's colour.
    EXPECT_EQ(grid->cellBackColor(1, 0), colourFromCode(0x0000FF));
    EXPECT_EQ(grid->cellBackColor(2, 0), colourFromCode(0x00FF00));
    EXPECT_EQ(grid->cellBackColor(3, 0), colourFromCode(0x0000FF));
    EXPECT_EQ(grid->cellBackColor(5, 0), colourFromCode(0xFFFFFF));

    showType(QStringLiteral("Radio"), QStringLiteral("Empty kit"));
    EXPECT_EQ(grid->rows(), 2); // heading and new-item row
    showType(QStringLiteral("Cables"), QString());
    EXPECT_EQ(scripted.messages, strings({"There is no equipment in this category"}));
    EXPECT_EQ(unexpected(), QString());
}

TEST_F(AssetView, SelectingFillsTheFormAndTheLocation) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    FlexGrid* grid = list().Grid_asset;
    clickRow(grid, QStringLiteral("M-1"));
    EXPECT_EQ(box("Text_asset_model")->text(), QStringLiteral("M-1"));
    EXPECT_EQ(box("Text_asset_acquired")->text(), QStringLiteral("05-Mar-2024"));
    EXPECT_EQ(box("Text_asset_price")->text(), QStringLiteral("12.50"));
    EXPECT_EQ(box("Text_asset_disposed")->text(), QString());
    EXPECT_EQ(list().Combo_asset_status->currentData().toInt(), 2);
    EXPECT_EQ(child<QComboBox>(QStringLiteral("Combo_asset_account"))->currentText(),
              QStringLiteral("Red office"));
    ColourBox* location = list().Text_asset_location;
    EXPECT_EQ(location->text(), QStringLiteral("In Stock"));
    EXPECT_TRUE(enabled("Command_delete_asset") && enabled("Command_shipping_history"));
    EXPECT_FALSE(enabled("Command_save_asset_changes_0") ||
                 enabled("Command_save_asset_changes_1") || enabled("Command_clear_asset_changes"));

    // Out on a shipment: the receiver, the address's colour and name; the
    // shipments cursor stays where it stood.
    session().rs_shipment().moveFirst();
    clickRow(grid, QStringLiteral("M-2"));
    EXPECT_EQ(location->text(), QStringLiteral("Ann"));
    EXPECT_EQ(location->toolTip(), QStringLiteral("Current location: Green site"));
    EXPECT_EQ(location->code(), 0x00FF00);
    EXPECT_EQ(window->state().location_contact_id, 1);
    EXPECT_EQ(session().rs_shipment().absolutePosition(), 0);
    clickRow(grid, QStringLiteral("M-3"));
    EXPECT_EQ(location->text(), QStringLiteral("In Stock"));
    clickRow(grid, QStringLiteral("M-4"));
    EXPECT_EQ(location->text(), QStringLiteral("????"));

    // A change makes "Save", "Save New" and "Reset" the choices.
    typeInto(QStringLiteral("Text_asset_serial"), QStringLiteral("X"));
    EXPECT_TRUE(enabled("Command_save_asset_changes_0") && enabled("Command_clear_asset_changes"));
    EXPECT_FALSE(enabled("Command_delete_asset"));
    press(QStringLiteral("Command_clear_asset_changes"));
    EXPECT_EQ(box("Text_asset_serial")->text(), QStringLiteral("S13"));
}

TEST_F(AssetView, SaveChecksInOrderAndWritesNothingOnAFailure) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    press(QStringLiteral("Command_create_asset"));
    const int before = storedCount();
    auto save = [&] {
        view()->Command_save_asset_changes_Click(1);
    };
    save();
    typeInto(QStringLiteral("Text_asset_model"), QStringLiteral("   "));
    const char* boxes[] = {"Text_asset_acquired",  "Text_asset_disposed",
                           "Text_asset_price",     "Text_asset_replacement_cost",
                           "Text_asset_valuation", "Text_asset_maintenance"};
    for (const char* b : boxes) {
        box(b)->setText(QStringLiteral("soon"));
        save();
        box(b)->setText(QString());
    }
    list().Combo_asset_status->setCurrentIndex(-1);
    save();
    list().Combo_asset_status->setCurrentIndex(0);
    list().Combo_asset_equipment->setCurrentIndex(-1);
    save();
    EXPECT_EQ(
        scripted.messages,
        strings({"The model number cannot be blank", "The asset acquisition date is not valid",
                 "The asset disposal date is not valid", "The asset purchase price is not valid",
                 "The asset replacement cost is not valid", "The asset valuation is not valid",
                 "The asset maintenance date is not valid",
                 "The asset status has not been specified",
                 "The asset equipment type has not been specified"}));
    EXPECT_EQ(storedCount(), before);

    // The engine refuses a model number too long for its field: nothing is
    // stored and the form keeps what was typed.
    list().Combo_asset_equipment->setCurrentIndex(0);
    scripted.messages.clear();
    const QString tooLong(51, QLatin1Char('m'));
    box("Text_asset_model")->setText(tooLong);
    save();
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages[0].startsWith(
        QStringLiteral("An error occurred while saving the changes: ")));
    EXPECT_EQ(storedCount(), before);
    EXPECT_EQ(box("Text_asset_model")->text(), tooLong);
}

TEST_F(AssetView, SaveRulesForDatesMoneyNewRowsAndCopies) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    FlexGrid* grid = list().Grid_asset;
    clickRow(grid, QStringLiteral("M-1"));
    // An emptied date keeps the stored one; money in the C form or the locale's.
    typeInto(QStringLiteral("Text_asset_acquired"), QString());
    typeInto(QStringLiteral("Text_asset_valuation"), QStringLiteral("99.5"));
    child<QComboBox>(QStringLiteral("Combo_asset_account"))->setCurrentIndex(-1);
    press(QStringLiteral("Command_save_asset_changes_0"));
    EXPECT_EQ(stored(10, "DateAcquired").toDateTime().date(), QDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(stored(10, "Valuation").toDouble(), 99.5);
    EXPECT_EQ(stored(10, "AccountID").toInt(), -1);
    // The saved row is shown again, selected.
    EXPECT_EQ(window->state().current_asset_id, 10);
    EXPECT_EQ(box("Text_asset_valuation")->text(), QStringLiteral("99.50"));

    // "Save New" copies; the shown asset stays as it was.
    typeInto(QStringLiteral("Text_asset_serial"), QStringLiteral("COPY"));
    press(QStringLiteral("Command_save_asset_changes_1"));
    EXPECT_EQ(stored(14, "SerialNumber").toString(), QStringLiteral("COPY"));
    EXPECT_EQ(stored(10, "SerialNumber").toString(), QStringLiteral("S10"));
    EXPECT_EQ(window->state().current_asset_id, 14);

    // "Save" on the new-item row adds an asset, in stock.
    press(QStringLiteral("Command_create_asset"));
    EXPECT_EQ(window->state().current_asset_id, -1);
    typeInto(QStringLiteral("Text_asset_model"), QStringLiteral("M-9"));
    EXPECT_FALSE(enabled("Command_save_asset_changes_0"));
    view()->Command_save_asset_changes_Click(0);
    EXPECT_EQ(stored(15, "ModelNumber").toString(), QStringLiteral("M-9"));
    EXPECT_FALSE(stored(15, "ShipmentID").isValid());
    EXPECT_EQ(grid->rows(), 8);
}

TEST_F(AssetView, DeleteIsRefusedWhileAShippingListLineNamesTheAsset) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    FlexGrid* grid = list().Grid_asset;
    clickRow(grid, QStringLiteral("M-2"));
    // While the user reads the refusal, another desk can write.
    QString otherDesk;
    anotherDeskWritesWhileShown(db, otherDesk);
    press(QStringLiteral("Command_delete_asset"));
    EXPECT_EQ(scripted.messages,
              strings({"You cannot delete this item as it is in use by the shipment Field trip"}));
    EXPECT_EQ(otherDesk, QString());
    scripted.whileShown = {};
    EXPECT_EQ(stored(11, "ModelNumber").toString(), QStringLiteral("M-2"));

    clickRow(grid, QStringLiteral("M-1"));
    press(QStringLiteral("Command_delete_asset"));
    EXPECT_EQ(stored(10, "ModelNumber").toString(), QStringLiteral("gone"));
    EXPECT_EQ(window->state().current_asset_id, -1);
    EXPECT_EQ(grid->rows(), 5);
}

TEST_F(AssetView, ShippingHistoryIsAskedForOnlyForAssetsAboveZero) {
    addAsset(0, QStringLiteral("M-0"), 1, {});
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    QSignalSpy asked(&window->requests(), &ViewRequests::shippingHistoryRequested);
    FlexGrid* grid = list().Grid_asset;
    clickRow(grid, QStringLiteral("M-0"));
    emit grid->DblClick();
    EXPECT_EQ(window->state().current_asset_id, 0);
    EXPECT_EQ(asked.count(), 0);
    clickRow(grid, QStringLiteral("M-2"));
    press(QStringLiteral("Command_shipping_history"));
    ASSERT_EQ(asked.count(), 1);
    EXPECT_EQ(asked.takeFirst().at(0).toInt(), 11);
}

// Without a mouse: arrows move along the grid and Enter selects the row.
TEST_F(AssetView, TheKeyboardSelectsAnAsset) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    FlexGrid* grid = list().Grid_asset;
    clickCell(grid, 1, 1);
    EXPECT_EQ(window->focusWidget(), grid);
    keyToFocused(Qt::Key_Down);
    keyToFocused(Qt::Key_Return);
    EXPECT_EQ(window->state().current_asset_id, 11);
    EXPECT_EQ(box("Text_asset_model")->text(), QStringLiteral("M-2"));
}

// The date boxes open the picker on a click, and on Enter, Space and
// Alt+Down for keyboard users.
TEST_F(AssetView, DateBoxesOpenThePicker) {
    showType(QStringLiteral("Radio"), QStringLiteral("Radio set"));
    QLineEdit* date = box("Text_asset_maintenance");
    int opened = 0;
    for (int i = 0; i < 4; ++i)
        scripted.dialogs.push_back([&opened](QDialog& d) {
            ++opened;
            static_cast<Form_calendar&>(d).Command_done_Click();
            return d.result();
        });
    window->show();
    QTest::mouseClick(date, Qt::LeftButton);
    date->setFocus();
    QTest::keyClick(date, Qt::Key_Return);
    QTest::keyClick(date, Qt::Key_Space);
    QTest::keyClick(date, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(opened, 4);
    EXPECT_EQ(date->text(), format_date(QDate::currentDate()));
    EXPECT_EQ(unexpected(), QString());
}

// The shipment view's picker: weight and volume, and an asset already on
// the list cannot be added again.
TEST_F(AssetView, ThePickerOfTheShipmentView) {
    QWidget page;
    AssetList::Layout layout;
    layout.category = {100, 10, 200, 26};
    layout.equipment = {100, 40, 200, 26};
    layout.grid = {10, 70, 400, 300};
    layout.photo = {420, 10, 100, 100};
    layout.status = {520, 120, 100, 26};
    layout.location = {520, 150, 100, 26};
    layout.weight = {520, 180, 100, 26};
    layout.volume = {520, 210, 100, 26};
    AssetList picker(*window, 1, &page, layout);
    QPushButton add;
    picker.addItemButton = &add;
    picker.isListed = [](int id) {
        return id == 11;
    };
    picker.Combo_asset_category->addItem(QStringLiteral("All"), -1);
    picker.Combo_asset_category->setCurrentIndex(0);
    picker.Combo_asset_category_Click();
    picker.Combo_asset_equipment->setCurrentIndex(
        picker.Combo_asset_equipment->findText(QStringLiteral("Radio set")));
    picker.Combo_asset_equipment_Click();
    FlexGrid* grid = picker.Grid_asset;
    ASSERT_EQ(grid->rows(), 5); // no new-item row
    grid->setRow(1);
    grid->setCol(1);
    picker.Grid_asset_Click();
    EXPECT_TRUE(add.isEnabled());
    EXPECT_EQ(picker.Text_shipment_item_weight->text(), QStringLiteral("2.5"));
    EXPECT_EQ(picker.Text_shipment_item_volume->text(), QStringLiteral("0.006"));
    grid->setRow(2);
    picker.Grid_asset_Click();
    EXPECT_FALSE(add.isEnabled());
}

} // namespace
