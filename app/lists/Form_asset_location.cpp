#include "Form_asset_location.h"

#include "AppState.h"
#include "RecordHelpers.h"
#include "RichTextBox.h"
#include "Session.h"
#include "UiServices.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace gearlog {

namespace {
QLineEdit* readOnlyBox(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    box->setToolTip(tip);
    return box;
}
QString textOf(Recordset& rs, const char* field) {
    return rs.value(QString::fromLatin1(field)).toString();
}
} // namespace

Form_asset_location::Form_asset_location(const AppState& state, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form_asset_location"));
    setWindowTitle(QStringLiteral("Destination Details"));
    auto* form = new QFormLayout(this);
    const QString nameTip = QStringLiteral(
        "Name of person or company to which this  shipment is being sent (max 255 characters)");
    form->addRow(QStringLiteral("Name"),
                 readOnlyBox(this, "Text_name", state.contact.name.trimmed(), nameTip));
    form->addRow(QStringLiteral("Phone Number"),
                 readOnlyBox(this, "Text_phone", state.contact.phone.trimmed(),
                             QStringLiteral("Contact phone number")));
    form->addRow(
        QStringLiteral("Email"),
        readOnlyBox(
            this, "Text_email", state.contact.email.trimmed(),
            QStringLiteral(
                "Email address for correspondence with the receiver relating to this shipment")));
    form->addRow(QStringLiteral("Location"),
                 readOnlyBox(this, "Text_location", state.address.name.trimmed(),
                             QStringLiteral("The location of this asset")));
    auto* address = new RichTextBox(this);
    address->setObjectName(QStringLiteral("rtf_address"));
    address->setReadOnly(true);
    address->setToolTip(QStringLiteral("Address to which this shipment is being sent"));
    address->setTextRTF(state.address.text);
    form->addRow(QStringLiteral("Address"), address);
    auto* done = new QPushButton(QStringLiteral("Done"), this);
    done->setObjectName(QStringLiteral("Command_Done"));
    done->setToolTip(QStringLiteral("Cancel this form"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);
    form->addRow(done);
}

void show_asset_location(Session& session, AppState& state, QWidget* parent) {
    if (state.location_address_id == -1 && state.location_contact_id == -1)
        return;
    state.address = AddressExchange{};
    state.contact = ContactExchange{};
    Recordset& addresses = session.rs_address();
    if (state.location_address_id != -1 &&
        find_record_by_number(addresses, QStringLiteral("ID"), state.location_address_id)) {
        state.address.name = textOf(addresses, "Name");
        state.address.text = textOf(addresses, "Address");
        if (addresses.value(QStringLiteral("ColourCode")).isValid())
            state.address.colour = addresses.value(QStringLiteral("ColourCode")).toInt();
    }
    Recordset& contacts = session.rs_contact();
    if (state.location_contact_id != -1 &&
        find_record_by_number(contacts, QStringLiteral("ID"), state.location_contact_id)) {
        state.contact.name = textOf(contacts, "Name");
        state.contact.phone = textOf(contacts, "Phone");
        state.contact.email = textOf(contacts, "Email");
        const QVariant address = contacts.value(QStringLiteral("AddressID"));
        state.contact.address_id = address.isValid() ? address.toInt() : -1;
        if (contacts.value(QStringLiteral("ColourCode")).isValid())
            state.contact.colour = contacts.value(QStringLiteral("ColourCode")).toInt();
    }
    Form_asset_location window(state, parent);
    ui().runModal(window);
}

} // namespace gearlog
