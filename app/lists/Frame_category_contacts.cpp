// The contact and location operations of the list view: create or modify
// through their dialogs, and delete when no shipment uses them.
#include "CommandRunner.h"
#include "ContactDefinition.h"
#include "FlexGrid.h"
#include "Frame_category.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "ViewContext.h"

namespace gearlog {

// A record chosen in the list that another desk has deleted since is said
// to be gone rather than edited as a new one.
void Frame_category::Command_define_contact_Click(int index) {
    const int key = index == 0 ? selectedKey() : -1;
    if (key > 0 &&
        !find_record_by_number(m_context.session().rs_contact(), QStringLiteral("ID"), key)) {
        itemVanished();
        return;
    }
    define_contact(m_context, key, window(), [this] { reloadCleared(); });
}

void Frame_category::Command_define_address_Click(int index) {
    const int key = index == 0 ? selectedKey() : -1;
    if (key > 0 &&
        !find_record_by_number(m_context.session().rs_address(), QStringLiteral("ID"), key)) {
        itemVanished();
        return;
    }
    define_address(m_context, key, window(), [this] { reloadCleared(); });
}

void Frame_category::reloadCleared() {
    m_context.state().current_category.clear();
    load_category_list();
}

void Frame_category::deleteUnlessShipped(Recordset& items, int key, const QString& receiverField,
                                         const QString& shipperField, const QString& failure) {
    // The first shipment it receives is named before any it carries.
    const auto shippedAs = [](const QString& field) {
        return Reference{
            QStringLiteral("Table_Shipment"),
            {field},
            QStringLiteral("Name"),
            QStringLiteral("ID"),
            QStringLiteral("You cannot delete this item as it is in use in the shipment ")};
    };
    delete_unless_referenced(
        m_context,
        QStringLiteral("Delete the current %1")
            .arg(m_listKind == 3 ? QStringLiteral("contact") : QStringLiteral("address")),
        failure, items, key, {shippedAs(receiverField), shippedAs(shipperField)},
        [this] { reloadCleared(); });
}

void Frame_category::Command_delete_contact_Click() {
    const int key = selectedKey();
    if (m_context.state().current_category.isEmpty() || key <= 0)
        return;
    deleteUnlessShipped(m_context.session().rs_contact(), key, QStringLiteral("ReceiverContactID"),
                        QStringLiteral("ShipperContactID"),
                        QStringLiteral("An error occurred while deleting the contact: "));
}

void Frame_category::Command_delete_address_Click() {
    const int key = selectedKey();
    if (m_context.state().current_category.isEmpty() || key < 0)
        return;
    deleteUnlessShipped(m_context.session().rs_address(), key, QStringLiteral("ReceiverAddressID"),
                        QStringLiteral("ShipperAddressID"),
                        QStringLiteral("An error occurred while deleting the address: "));
}

} // namespace gearlog
