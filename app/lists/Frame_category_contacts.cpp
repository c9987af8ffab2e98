// The contact and location operations of the list view: create or modify
// through their dialogs, and delete when no shipment uses them.
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "Form_address.h"
#include "Form_contact.h"
#include "Frame_category.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"

namespace gearlog {

namespace {

QString text(Recordset& rs, const char* field) {
    return rs.value(QString::fromLatin1(field)).toString();
}

// "Save" on an existing record edits it (looked up again, since the dialog
// may have moved the cursor); anything else adds a row with the next key.
void beginWrite(Recordset& cursor, bool replace, int key, Database& db, const QString& table) {
    if (replace && key > 0 && find_record_by_number(cursor, QStringLiteral("ID"), key))
        cursor.edit();
    else
        add_new_record(cursor, db, table);
}

} // namespace

void Frame_category::Command_define_contact_Click(int index) {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    Recordset& contacts = session.rs_contact();
    state.contact = ContactExchange{};
    const int key = index == 0 ? selectedKey() : -1;
    if (key > 0) {
        if (!find_record_by_number(contacts, QStringLiteral("ID"), key)) {
            itemVanished();
            return;
        }
        state.contact.name = text(contacts, "Name");
        state.contact.phone = text(contacts, "Phone");
        state.contact.email = text(contacts, "Email");
        const QVariant address = contacts.value(QStringLiteral("AddressID"));
        state.contact.address_id = address.isValid() ? address.toInt() : -1;
        const QVariant colour = contacts.value(QStringLiteral("ColourCode"));
        if (colour.isValid())
            state.contact.colour = colour.toInt();
    }
    state.dialog_cancelled = true;
    Form_contact dialog(state.contact, session.rs_address(), window());
    if (ui().runModal(dialog) != QDialog::Accepted)
        return;
    state.dialog_cancelled = false;
    write_and_reload(
        m_context, QStringLiteral("An error occurred while modifying the name: "),
        [&] {
            beginWrite(contacts, dialog.saveChoice() == 0, key, session.database(),
                       QStringLiteral("Table_Contact"));
            contacts.setValue(QStringLiteral("Name"), state.contact.name);
            contacts.setValue(QStringLiteral("Phone"), state.contact.phone);
            contacts.setValue(QStringLiteral("Email"), state.contact.email);
            contacts.setValue(QStringLiteral("AddressID"), state.contact.address_id);
            contacts.setValue(QStringLiteral("ColourCode"), state.contact.colour);
            contacts.update();
            return true;
        },
        [this] { reloadCleared(); });
}

void Frame_category::Command_define_address_Click(int index) {
    AppState& state = m_context.state();
    Session& session = m_context.session();
    Recordset& addresses = session.rs_address();
    state.address = AddressExchange{};
    const int key = index == 0 ? selectedKey() : -1;
    if (key > 0) {
        if (!find_record_by_number(addresses, QStringLiteral("ID"), key)) {
            itemVanished();
            return;
        }
        state.address.name = text(addresses, "Name");
        state.address.text = text(addresses, "Address");
        const QVariant colour = addresses.value(QStringLiteral("ColourCode"));
        if (colour.isValid())
            state.address.colour = colour.toInt();
    }
    state.dialog_cancelled = true;
    Form_address dialog(state.address, window());
    if (ui().runModal(dialog) != QDialog::Accepted)
        return;
    state.dialog_cancelled = false;
    write_and_reload(
        m_context, QStringLiteral("An error occurred while modifying the address: "),
        [&] {
            beginWrite(addresses, dialog.saveChoice() == 0, key, session.database(),
                       QStringLiteral("Table_address"));
            addresses.setValue(QStringLiteral("Name"), state.address.name);
            addresses.setValue(QStringLiteral("Address"), state.address.text);
            addresses.setValue(QStringLiteral("ColourCode"), state.address.colour);
            addresses.update();
            return true;
        },
        [this] { reloadCleared(); });
}

void Frame_category::reloadCleared() {
    m_context.state().current_category.clear();
    load_category_list();
}

void Frame_category::deleteUnlessShipped(Recordset& items, int key, const QString& receiverField,
                                         const QString& shipperField, const QString& failure) {
    const Reference shipped{
        QStringLiteral("Table_Shipment"),
        {receiverField, shipperField},
        QStringLiteral("Name"),
        QStringLiteral("ID"),
        QStringLiteral("You cannot delete this item as it is in use in the shipment ")};
    delete_unless_referenced(m_context, failure, items, key, {shipped},
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
