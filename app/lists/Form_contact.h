#pragma once

#include "DetailsDialog.h"

class QComboBox;

namespace gearlog {

struct ContactExchange;
class Database;

// "Contact Details": edits the contact exchange values.
class Form_contact : public DetailsDialog {
    Q_OBJECT
public:
    // The location list offers the addresses of `db`.
    Form_contact(ContactExchange& contact, Database& db, QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;

private:
    ContactExchange& m_contact;
    Database& m_db;
    QLineEdit* Text_phone;
    QLineEdit* Text_email;
    QComboBox* Combo_address;
};

} // namespace gearlog
