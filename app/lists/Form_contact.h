#pragma once

#include "DetailsDialog.h"

class QComboBox;

namespace gearlog {

struct ContactExchange;
class Recordset;

// "Contact Details": edits the contact exchange values.
class Form_contact : public DetailsDialog {
    Q_OBJECT
public:
    // `addresses` fills the location list.
    Form_contact(ContactExchange& contact, Recordset& addresses, QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;

private:
    ContactExchange& m_contact;
    Recordset& m_addresses;
    QLineEdit* Text_phone;
    QLineEdit* Text_email;
    QComboBox* Combo_address;
};

} // namespace gearlog
