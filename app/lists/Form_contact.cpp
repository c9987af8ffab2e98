#include "Form_contact.h"

#include "AppState.h"
#include "ColourCode.h"
#include "ComboHelpers.h"

#include <QComboBox>
#include <QLineEdit>

namespace gearlog {

Form_contact::Form_contact(ContactExchange& contact, Database& db, QWidget* parent)
    : DetailsDialog(parent, "Form_contact", QStringLiteral("Contact Details"),
                    QStringLiteral("Name"),
                    QStringLiteral("You cannot use white or black as a contact colour")),
      m_contact(contact), m_db(db) {
    Text_phone = new QLineEdit(this);
    Text_phone->setObjectName(QStringLiteral("Text_phone"));
    Text_phone->setToolTip(QStringLiteral("Contact phone number"));
    addRow(QStringLiteral("Phone Number"), Text_phone);
    Text_email = new QLineEdit(this);
    Text_email->setObjectName(QStringLiteral("Text_email"));
    Text_email->setToolTip(QStringLiteral(
        "Email address for correspondence with the receiver relating to this shipment"));
    addRow(QStringLiteral("Email"), Text_email);
    Combo_address = new QComboBox(this);
    Combo_address->setObjectName(QStringLiteral("Combo_address"));
    make_chooser(*Combo_address, QStringLiteral("Table_Address"), ChooserModel::Order::ByName);
    addRow(QStringLiteral("Location"), Combo_address);
    connect(Text_phone, &QLineEdit::textEdited, this, &Form_contact::edited);
    connect(Text_email, &QLineEdit::textEdited, this, &Form_contact::edited);
    connect(Combo_address, &QComboBox::activated, this, &Form_contact::edited);
    addColourRow();
    m_editingExisting = !m_contact.name.isEmpty();
    load();
}

void Form_contact::load() {
    fill_chooser(*Combo_address, m_db);
    Text_name->setText(m_contact.name.trimmed());
    Text_phone->setText(m_contact.phone.trimmed());
    Text_email->setText(m_contact.email.trimmed());
    Combo_address->setCurrentIndex(-1);
    if (m_contact.address_id > 0)
        select_combo_item(*Combo_address, m_contact.address_id);
    Text_colour_code->setCode(m_contact.colour);
    resetButtons();
}

void Form_contact::store() {
    m_contact.name = Text_name->text();
    m_contact.phone = Text_phone->text();
    m_contact.email = Text_email->text();
    m_contact.address_id =
        Combo_address->currentIndex() < 0 ? -1 : Combo_address->currentData().toInt();
    m_contact.colour = Text_colour_code->code();
}

} // namespace gearlog
