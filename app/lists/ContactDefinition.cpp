#include "ContactDefinition.h"

#include "CommandRunner.h"
#include "Form_address.h"
#include "Form_contact.h"
#include "RecordHelpers.h"
#include "Session.h"
#include "UiServices.h"
#include "ViewContext.h"

namespace gearlog {

namespace {

QString text(Recordset& rs, const char* field) {
    return rs.value(QString::fromLatin1(field)).toString();
}

// True when the cursor stands on the stored record with that key.
bool found(Recordset& cursor, int key) {
    return key > 0 && find_record_by_number(cursor, QStringLiteral("ID"), key);
}

// "Save" on an existing record edits it (looked up again, since the dialog
// may have moved the cursor); anything else adds a row with the next key.
void beginWrite(Recordset& cursor, bool replace, int key, Database& db, const QString& table) {
    if (replace && found(cursor, key))
        cursor.edit();
    else
        add_new_record(cursor, db, table);
}

// Shows the dialog; true when it came back with values.
bool confirmed(AppState& state, QDialog& dialog) {
    state.dialog_cancelled = true;
    if (ui().runModal(dialog) != QDialog::Accepted)
        return false;
    state.dialog_cancelled = false;
    return true;
}

} // namespace

bool define_contact(ViewContext& context, int key, QWidget* parent,
                    const std::function<void()>& reload) {
    AppState& state = context.state();
    Session& session = context.session();
    Recordset& contacts = session.rs_contact();
    state.contact = ContactExchange{};
    if (found(contacts, key)) {
        state.contact.name = text(contacts, "Name");
        state.contact.phone = text(contacts, "Phone");
        state.contact.email = text(contacts, "Email");
        const QVariant address = contacts.value(QStringLiteral("AddressID"));
        state.contact.address_id = address.isValid() ? address.toInt() : -1;
        const QVariant colour = contacts.value(QStringLiteral("ColourCode"));
        if (colour.isValid())
            state.contact.colour = colour.toInt();
    }
    Form_contact dialog(state.contact, session.database(), parent);
    if (!confirmed(state, dialog))
        return false;
    return write_and_reload(
        context,
        key >= 0 ? QStringLiteral("Modify the current contact")
                 : QStringLiteral("Create a new contact"),
        QStringLiteral("An error occurred while modifying the name: "),
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
        reload);
}

bool define_address(ViewContext& context, int key, QWidget* parent,
                    const std::function<void()>& reload) {
    AppState& state = context.state();
    Session& session = context.session();
    Recordset& addresses = session.rs_address();
    state.address = AddressExchange{};
    if (found(addresses, key)) {
        state.address.name = text(addresses, "Name");
        state.address.text = text(addresses, "Address");
        const QVariant colour = addresses.value(QStringLiteral("ColourCode"));
        if (colour.isValid())
            state.address.colour = colour.toInt();
    }
    Form_address dialog(state.address, parent);
    if (!confirmed(state, dialog))
        return false;
    return write_and_reload(
        context,
        key >= 0 ? QStringLiteral("Modify the current address")
                 : QStringLiteral("Create a new address"),
        QStringLiteral("An error occurred while modifying the address: "),
        [&] {
            beginWrite(addresses, dialog.saveChoice() == 0, key, session.database(),
                       QStringLiteral("Table_address"));
            addresses.setValue(QStringLiteral("Name"), state.address.name);
            addresses.setValue(QStringLiteral("Address"), state.address.text);
            addresses.setValue(QStringLiteral("ColourCode"), state.address.colour);
            addresses.update();
            return true;
        },
        reload);
}

} // namespace gearlog
