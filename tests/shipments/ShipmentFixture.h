#pragma once

#include "AssetList.h"
#include "DatabaseCheck.h"
#include "DatePicking.h"
#include "Frame_shipment.h"
#include "LineStates.h"
#include "OpenWindow.h"
#include "ShippingList.h"

#include <QComboBox>

namespace gearlog::test {

// The main window on both stores with a small inventory: category Radio
// (4) holds "Radio set" (2.5 kg, 10 x 20 x 30 cm) with assets 10, 11 and
// 12 at the red office, and "Antenna" (no depth) with asset 13. Contacts
// "Ann" (at the green site), "Bob" (at the depot) and "Cara" (no address).
class ShipmentWindow : public WindowDriver<::testing::TestWithParam<Engine>> {
protected:
    std::unique_ptr<FreshDatabase> db;

    void SetUp() override {
        db = std::make_unique<FreshDatabase>(GetParam());
        openWindow(*db);
        add(session().rs_address(), {{QStringLiteral("ID"), 1},
                                     {QStringLiteral("Name"), QStringLiteral("Red office")},
                                     {QStringLiteral("ColourCode"), 0x0000FF}});
        add(session().rs_address(), {{QStringLiteral("ID"), 2},
                                     {QStringLiteral("Name"), QStringLiteral("Green site")},
                                     {QStringLiteral("ColourCode"), 0x00FF00}});
        add(session().rs_address(),
            {{QStringLiteral("ID"), 3}, {QStringLiteral("Name"), QStringLiteral("Depot")}});
        addContact(1, "Ann", 2);
        addContact(2, "Bob", 3);
        addContact(3, "Cara", -1);
        add(session().rs_equipment(), {{QStringLiteral("ID"), 1},
                                       {QStringLiteral("Name"), QStringLiteral("Radio set")},
                                       {QStringLiteral("CategoryID"), 4},
                                       {QStringLiteral("Weight"), 2.5},
                                       {QStringLiteral("Height"), 10},
                                       {QStringLiteral("Width"), 20},
                                       {QStringLiteral("Depth"), 30}});
        add(session().rs_equipment(), {{QStringLiteral("ID"), 2},
                                       {QStringLiteral("Name"), QStringLiteral("Antenna")},
                                       {QStringLiteral("CategoryID"), 4},
                                       {QStringLiteral("Weight"), 1.0},
                                       {QStringLiteral("Height"), 10},
                                       {QStringLiteral("Width"), 20}});
        for (int id = 10; id <= 13; ++id)
            add(session().rs_asset(),
                {{QStringLiteral("ID"), id},
                 {QStringLiteral("EquipmentID"), id == 13 ? 2 : 1},
                 {QStringLiteral("StatusID"), 2},
                 {QStringLiteral("AccountID"), 1},
                 {QStringLiteral("ShipmentID"), 0},
                 {QStringLiteral("ModelNumber"), QStringLiteral("M-%1").arg(id)},
                 {QStringLiteral("SerialNumber"), QStringLiteral("S%1").arg(id)}});
        press(QStringLiteral("Command_Send"));
    }
    void TearDown() override {
        WindowDriver::TearDown();
        // Whatever the scenario did, the line states are consistent.
        EXPECT_EQ(checkDatabase(*db->openStore()), QStringList());
    }
    void addContact(int id, const char* name, int address) {
        add(session().rs_contact(), {{QStringLiteral("ID"), id},
                                     {QStringLiteral("Name"), QString::fromLatin1(name)},
                                     {QStringLiteral("AddressID"), address}});
    }

    Frame_shipment* view() { return window->shipmentView(); }
    ShippingList& list() { return view()->shippingList(); }
    FlexGrid* grid() { return list().Grid_shipping_list; }
    QComboBox* combo(const char* name) { return child<QComboBox>(QString::fromLatin1(name)); }
    QLineEdit* box(const char* name) { return child<QLineEdit>(QString::fromLatin1(name)); }
    bool enabled(const char* name) { return child(QString::fromLatin1(name))->isEnabled(); }
    // Picks an entry as a user does: the choice and its click.
    void choose(QComboBox* c, const QString& text) {
        c->setCurrentIndex(c->findText(text));
        ASSERT_GE(c->currentIndex(), 0) << text.toStdString();
        emit c->activated(c->currentIndex());
    }
    void choose(const char* name, const QString& text) { choose(combo(name), text); }
    // The details every save needs.
    void fillDetails(const QString& description) {
        typeInto(QStringLiteral("Text_shipment_name"), description);
        choose("Combo_shipment_contact_0", QStringLiteral("Ann"));
        choose("Combo_shipment_contact_1", QStringLiteral("Bob"));
        choose("Combo_shipment_method", QStringLiteral("Road Freight"));
    }
    // Picks the asset in the picker and adds it to the list.
    void addItem(int asset) {
        AssetList& picker = list().picker();
        choose(picker.Combo_asset_category, QStringLiteral("Radio"));
        choose(picker.Combo_asset_equipment,
               asset == 13 ? QStringLiteral("Antenna") : QStringLiteral("Radio set"));
        clickRow(picker.Grid_asset, QStringLiteral("M-%1").arg(asset));
        press(QStringLiteral("Command_add_item_to_shipping_list"));
    }
    // The grid row showing the asset, or -1.
    int rowOf(int asset) {
        for (int r = 1; r < grid()->rows(); ++r)
            if (grid()->textMatrix(r, 1) == QString::number(asset))
                return r;
        return -1;
    }
    void tick(int asset) { clickCell(grid(), rowOf(asset), 0); }
    void answerPicker(const QDate& date) { answerDatePicker(scripted, date); }
    // What the database holds, read by another connection.
    std::unique_ptr<Recordset> stored(const QString& sql) {
        return db->openSession()->openRecordset(sql);
    }
    int shipmentOf(int asset) {
        return stored(QStringLiteral("SELECT * FROM Table_Asset WHERE ID = %1").arg(asset))
            ->value(QStringLiteral("ShipmentID"))
            .toInt();
    }
    QStringList lines() { return lineStates(*db); }
    int shipmentCount() {
        int n = 0;
        for (auto rs = stored(QStringLiteral("Table_Shipment")); !rs->eof(); rs->moveNext())
            ++n;
        return n;
    }
};

} // namespace gearlog::test
