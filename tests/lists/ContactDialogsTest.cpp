#include "ColourCode.h"
#include "FlexGrid.h"
#include "Form_asset_location.h"
#include "Form_contact.h"
#include "Frame_category.h"
#include "OpenWindow.h"
#include "RichTextBox.h"

#include <QComboBox>
#include <QLineEdit>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class ContactDialogs : public OpenWindow {
protected:
    Frame_category* view() { return window->categoryView(); }
    void showList(int index) { click(QStringLiteral("Command_Categories_%1").arg(index)); }
    void selectRow(int row) {
        view()->grid()->setRow(row);
        view()->grid()->setCol(1);
        view()->Grid_category_Click();
    }
    template <typename T> static T* in(QDialog& d, const char* name) {
        return d.findChild<T*>(QString::fromLatin1(name));
    }
    static void typeInto(QDialog& d, const char* name, const QString& text) {
        auto* box = in<QLineEdit>(d, name);
        box->setText(text);
        emit box->textEdited(text);
    }
    static void press(QDialog& d, const char* name) { in<QPushButton>(d, name)->click(); }
    void addAddress(int id, const QString& name) {
        add(session().rs_address(), {{QStringLiteral("ID"), id},
                                     {QStringLiteral("Name"), name},
                                     {QStringLiteral("ColourCode"), 0x00FF00}});
    }
};

TEST_F(ContactDialogs, CreateStartsEmptyAndBlue) {
    addAddress(1, QStringLiteral("Depot"));
    showList(3);
    scripted.dialogs.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Contact Details"));
        EXPECT_EQ(in<QLineEdit>(d, "Text_name")->text(), QString());
        EXPECT_EQ(in<QComboBox>(d, "Combo_address")->currentIndex(), -1);
        EXPECT_EQ(in<ColourBox>(d, "Text_colour_code")->code(), 0xFF0000);
        EXPECT_FALSE(in<QPushButton>(d, "Command_save_0")->isEnabled());
        EXPECT_FALSE(in<QPushButton>(d, "Command_save_1")->isEnabled());
        typeInto(d, "Text_name", QStringLiteral("Ann O'Brien"));
        EXPECT_FALSE(in<QPushButton>(d, "Command_save_0")->isEnabled());
        EXPECT_TRUE(in<QPushButton>(d, "Command_save_1")->isEnabled());
        in<QComboBox>(d, "Combo_address")->setCurrentIndex(0);
        press(d, "Command_save_1");
        return d.result();
    });
    view()->Command_define_contact_Click(1);
    FlexGrid* grid = view()->grid();
    ASSERT_EQ(grid->rows(), 3);
    EXPECT_EQ(grid->textMatrix(1, 0), QStringLiteral("1"));
    EXPECT_EQ(grid->textMatrix(1, 1), QStringLiteral("Ann O'Brien"));
    EXPECT_EQ(grid->cellBackColor(1, 0), colourFromCode(0xFF0000));
    ASSERT_TRUE(find_record_by_number(session().rs_contact(), QStringLiteral("ID"), 1));
    EXPECT_EQ(session().rs_contact().value(QStringLiteral("AddressID")).toInt(), 1);
    EXPECT_EQ(session().rs_contact().value(QStringLiteral("Phone")).toString(), QString());
    EXPECT_TRUE(unexpected().isEmpty()) << unexpected().toStdString();
}

TEST_F(ContactDialogs, ColourRulesAndCancelling) {
    showList(3);
    scripted.colours = {QColor(Qt::white), QColor(), QColor(Qt::black), QColor(10, 20, 30)};
    scripted.dialogs.push_back([this](QDialog& d) {
        auto& dialog = static_cast<Form_contact&>(d);
        typeInto(d, "Text_name", QStringLiteral("Ben"));
        dialog.Text_colour_code_Click(); // white
        press(d, "Command_save_1");
        EXPECT_EQ(scripted.messages.last(),
                  QStringLiteral("You cannot use white or black as a contact colour"));
        EXPECT_FALSE(d.isHidden() && d.result() == QDialog::Accepted);
        dialog.Text_colour_code_Click(); // cancelled: unchanged
        EXPECT_EQ(in<ColourBox>(d, "Text_colour_code")->code(), 0xFFFFFF);
        dialog.Text_colour_code_Click(); // black
        press(d, "Command_save_1");
        EXPECT_EQ(scripted.messages.size(), 2);
        dialog.Text_colour_code_Click();
        press(d, "Command_save_1");
        return d.result();
    });
    view()->Command_define_contact_Click(1);
    ASSERT_TRUE(find_record_by_number(session().rs_contact(), QStringLiteral("ID"), 1));
    EXPECT_EQ(session().rs_contact().value(QStringLiteral("ColourCode")).toInt(),
              codeFromColour(QColor(10, 20, 30)));

    // The close box discards, like Cancel.
    scripted.dialogs.push_back([](QDialog& d) {
        typeInto(d, "Text_name", QStringLiteral("Discarded"));
        d.show();
        d.close();
        return d.result();
    });
    view()->Command_define_contact_Click(1);
    EXPECT_EQ(session().rs_contact().recordCount(), 1);
    // A blank name is refused first.
    scripted.dialogs.push_back([](QDialog& d) {
        typeInto(d, "Text_name", QStringLiteral("   "));
        press(d, "Command_save_1");
        d.reject();
        return d.result();
    });
    view()->Command_define_contact_Click(1);
    EXPECT_EQ(scripted.messages.last(), QStringLiteral("The name field cannot be blank"));
}

TEST_F(ContactDialogs, ModifySaveNewAndDanglingAddress) {
    add(session().rs_contact(), {{QStringLiteral("ID"), 4},
                                 {QStringLiteral("Name"), QStringLiteral("Chloe")},
                                 {QStringLiteral("AddressID"), 77},
                                 {QStringLiteral("ColourCode"), 0x123456}});
    showList(3);
    selectRow(1);
    scripted.dialogs.push_back([](QDialog& d) {
        EXPECT_EQ(in<QLineEdit>(d, "Text_name")->text(), QStringLiteral("Chloe"));
        EXPECT_EQ(in<QComboBox>(d, "Combo_address")->currentIndex(), -1); // 77 is no address
        typeInto(d, "Text_phone", QStringLiteral("555"));
        EXPECT_TRUE(in<QPushButton>(d, "Command_save_0")->isEnabled());
        press(d, "Command_save_1");
        return d.result();
    });
    view()->Command_define_contact_Click(0);
    Recordset& contacts = session().rs_contact();
    EXPECT_EQ(contacts.recordCount(), 2);
    ASSERT_TRUE(find_record_by_number(contacts, QStringLiteral("ID"), 4));
    EXPECT_FALSE(contacts.value(QStringLiteral("Phone")).isValid()); // the original is unchanged
    ASSERT_TRUE(find_record_by_number(contacts, QStringLiteral("ID"), 5));
    EXPECT_EQ(contacts.value(QStringLiteral("Phone")).toString(), QStringLiteral("555"));
    EXPECT_EQ(contacts.value(QStringLiteral("AddressID")).toInt(), -1);
    EXPECT_EQ(contacts.value(QStringLiteral("ColourCode")).toInt(), 0x123456);

    // Modify replaces with "Save".
    selectRow(1);
    scripted.dialogs.push_back([](QDialog& d) {
        typeInto(d, "Text_email", QStringLiteral("c@example.org"));
        press(d, "Command_save_0");
        return d.result();
    });
    view()->Command_define_contact_Click(0);
    ASSERT_TRUE(find_record_by_number(contacts, QStringLiteral("ID"), 4));
    EXPECT_EQ(contacts.value(QStringLiteral("Email")).toString(), QStringLiteral("c@example.org"));
    EXPECT_EQ(contacts.recordCount(), 2);
}

TEST_F(ContactDialogs, VanishedItemIsReportedNotEdited) {
    add(session().rs_contact(),
        {{QStringLiteral("ID"), 4}, {QStringLiteral("Name"), QStringLiteral("Gone")}});
    showList(3);
    selectRow(1);
    session().execute(QStringLiteral("DELETE FROM Table_Contact WHERE ID = 4"));
    view()->Command_define_contact_Click(0);
    EXPECT_EQ(scripted.messages, strings({"That item no longer exists"}));
    EXPECT_TRUE(scripted.dialogNames.isEmpty());
    EXPECT_EQ(view()->grid()->rows(), 2);
}

TEST_F(ContactDialogs, DeleteRefusesWhenAShipmentUsesIt) {
    addAddress(0, QStringLiteral("Head office"));
    addAddress(2, QStringLiteral("Depot"));
    add(session().rs_contact(),
        {{QStringLiteral("ID"), 4}, {QStringLiteral("Name"), QStringLiteral("Dev")}});
    add(session().rs_shipment(), {{QStringLiteral("ID"), 1},
                                  {QStringLiteral("Name"), QStringLiteral("To the field ")},
                                  {QStringLiteral("ShipperContactID"), 4},
                                  {QStringLiteral("ReceiverAddressID"), 2}});
    // Dev also receives a later shipment: that one is named, receivers first.
    add(session().rs_shipment(), {{QStringLiteral("ID"), 4},
                                  {QStringLiteral("Name"), QStringLiteral("Shipment 4 to Nuuk")},
                                  {QStringLiteral("ReceiverContactID"), 4}});
    showList(3);
    selectRow(1);
    click(QStringLiteral("Command_delete_contact"));
    EXPECT_EQ(
        scripted.messages.value(0),
        QStringLiteral("You cannot delete this item as it is in use in the shipment Shipment 4 to "
                       "Nuuk"));
    showList(2);
    selectRow(1); // Depot, used as receiver address
    click(QStringLiteral("Command_delete_address"));
    EXPECT_EQ(scripted.messages.size(), 2);
    selectRow(2); // Head office, key 0, unused
    click(QStringLiteral("Command_delete_address"));
    EXPECT_EQ(view()->grid()->rows(), 3);
    EXPECT_EQ(view()->grid()->textMatrix(1, 1), QStringLiteral("Depot"));
}

TEST_F(ContactDialogs, AddressKeepsItsRichText) {
    showList(2);
    scripted.dialogs.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Address Details"));
        typeInto(d, "Text_name", QStringLiteral("Field station"));
        in<RichTextBox>(d, "rtf_address")->setPlainText(QStringLiteral("1 Long Road\nKiruna"));
        press(d, "Command_save_1");
        return d.result();
    });
    view()->Command_define_address_Click(1);
    Recordset& addresses = session().rs_address();
    ASSERT_TRUE(find_record_by_number(addresses, QStringLiteral("ID"), 1));
    const QString stored = addresses.value(QStringLiteral("Address")).toString();
    EXPECT_TRUE(stored.startsWith(QStringLiteral("{\\rtf1")));
    RichTextBox reader;
    reader.setTextRTF(stored);
    EXPECT_EQ(reader.text(), QStringLiteral("1 Long Road\nKiruna"));
}

TEST_F(ContactDialogs, LocationWindowShowsWhatItFinds) {
    AppState& state = window->state();
    state.location_address_id = -1;
    state.location_contact_id = -1;
    show_asset_location(session(), state, window.get());
    EXPECT_TRUE(scripted.dialogNames.isEmpty());

    add(session().rs_contact(), {{QStringLiteral("ID"), 4},
                                 {QStringLiteral("Name"), QStringLiteral(" Eva ")},
                                 {QStringLiteral("Phone"), QStringLiteral("123")}});
    state.location_contact_id = 4;
    state.location_address_id = 99; // not found: left empty
    scripted.dialogs.push_back([](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Destination Details"));
        EXPECT_EQ(in<QLineEdit>(d, "Text_name")->text(), QStringLiteral("Eva"));
        EXPECT_EQ(in<QLineEdit>(d, "Text_phone")->text(), QStringLiteral("123"));
        EXPECT_EQ(in<QLineEdit>(d, "Text_location")->text(), QString());
        EXPECT_TRUE(in<QLineEdit>(d, "Text_name")->isReadOnly());
        press(d, "Command_Done");
        return d.result();
    });
    show_asset_location(session(), state, window.get());
    EXPECT_EQ(scripted.dialogNames, strings({"Form_asset_location"}));
}

} // namespace
