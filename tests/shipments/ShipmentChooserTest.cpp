// The shipment, contact and address choosers: every entry offered without
// reading them all, and found by typing.
#include "ComboHelpers.h"
#include "ShipmentFixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCompleter>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class ShipmentChooser : public ShipmentWindow {
protected:
    // Shipments 1..count named "Shipment N", added in one transaction.
    void addShipments(int count) {
        Transaction t(session().database());
        for (int id = 1; id <= count; ++id)
            session().execute(
                QStringLiteral("INSERT INTO Table_Shipment (ID, Name) VALUES (%1, 'Shipment %1')")
                    .arg(id));
        t.commit();
    }
    // Types on the chooser as a person does; returns the matches listed.
    QStringList typeOn(QComboBox* c, const QString& text) {
        window->show();
        c->setFocus();
        QTest::keyClicks(c, text.left(1));
        auto* box = child<QLineEdit>(c->objectName() + QStringLiteral("_find"));
        QTest::keyClicks(box, text.mid(1));
        QStringList listed;
        const auto* completer = c->findChild<QCompleter*>();
        for (int r = 0; r < completer->completionModel()->rowCount(); ++r)
            listed << completer->completionModel()->index(r, 0).data().toString();
        EXPECT_EQ(completer->popup()->isVisible(), !listed.isEmpty());
        EXPECT_EQ(unexpected(), QString());
        return listed;
    }
};

TEST_P(ShipmentChooser, OffersEveryShipmentInPagesAndKeepsItsEntriesUntilRefilled) {
    addShipments(300);
    press(QStringLiteral("Command_Send"));
    QComboBox* shipments = combo("Combo_shipment");
    ASSERT_EQ(shipments->count(), 300);
    EXPECT_EQ(shipments->currentIndex(), -1);
    // Entries of three pages, in key order, each with its key.
    for (int row : {0, 150, 299}) {
        EXPECT_EQ(shipments->itemText(row), QStringLiteral("Shipment %1").arg(row + 1));
        EXPECT_EQ(shipments->itemData(row).toInt(), row + 1);
    }
    // Another desk's new shipment: the entries stay as they were filled
    // (an index keeps its meaning) until the list is filled again.
    db->openSession()->execute(
        QStringLiteral("INSERT INTO Table_Shipment (ID, Name) VALUES (301, 'Late one')"));
    EXPECT_EQ(shipments->count(), 300);
    EXPECT_EQ(select_combo_item(*shipments, 150), 149);
    press(QStringLiteral("Command_Send"));
    EXPECT_EQ(shipments->count(), 301);
    EXPECT_EQ(shipments->itemText(300), QStringLiteral("Late one"));
    // Each entry of the open list lies within it.
    shipments->showPopup();
    QAbstractItemView* list = shipments->view();
    QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(list)->child(0);
    ASSERT_NE(entry, nullptr);
    EXPECT_LE(entry->rect().width(), list->viewport()->width());
    shipments->hidePopup();
}

TEST_P(ShipmentChooser, TypingFindsIgnoringCaseAndAccentsAndEnterLoadsTheMatch) {
    addShipments(3);
    session().execute(
        QStringLiteral("INSERT INTO Table_Shipment (ID, Name) VALUES (4, 'Old shipment')"));
    press(QStringLiteral("Command_Send"));
    QComboBox* shipments = combo("Combo_shipment");
    // Those that begin with the text first, the newest of them first.
    EXPECT_EQ(typeOn(shipments, QStringLiteral("SHIP")),
              strings({"Shipment 3", "Shipment 2", "Shipment 1", "Old shipment"}));
    QTest::keyClick(window->focusWidget(), Qt::Key_Escape);

    // Another desk's shipment, added after the list was filled, is found
    // and loads as a pick of it would.
    db->openSession()->execute(
        QStringLiteral("INSERT INTO Table_Shipment (ID, Name, ConsignmentNote) VALUES (5, "
                       "'Zo\u00EB \u00C9mile delivery', 'WB-5')"));
    EXPECT_EQ(typeOn(shipments, QStringLiteral("zoe emi")),
              QStringList{QStringLiteral("Zo\u00EB \u00C9mile delivery")});
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(shipments->currentData().toInt(), 5);
    EXPECT_EQ(window->state().current_shipment_id, 5);
    EXPECT_EQ(box("Text_shipment_consignment_note")->text(), QStringLiteral("WB-5"));
    EXPECT_EQ(window->focusWidget(), shipments);
    EXPECT_EQ(unexpected(), QString());
}

TEST_P(ShipmentChooser, ContactsAreFoundByTypingToo) {
    QComboBox* receiver = combo("Combo_shipment_contact_0");
    EXPECT_EQ(typeOn(receiver, QStringLiteral("b")), strings({"Bob"}));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(receiver->currentText(), QStringLiteral("Bob"));
    // As a pick of the contact does: its own address comes with it.
    EXPECT_EQ(combo("Combo_shipment_address_0")->currentText(), QStringLiteral("Depot"));
}

TEST_P(ShipmentChooser, TheReportsLocationListFindsInStockToo) {
    press(QStringLiteral("Command_report_0"));
    QComboBox* location = combo("Combo_report_address");
    EXPECT_EQ(typeOn(location, QStringLiteral("o")), strings({"In Stock", "Depot", "Red office"}));
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(location->currentData().toInt(), 0);
}

GEARLOG_BOTH_STORES(ShipmentChooser);

} // namespace
