#pragma once

#include "DetailsDialog.h"

namespace gearlog {

struct AddressExchange;
class RichTextBox;

// "Address Details": edits the address exchange values; the address
// itself is rich text.
class Form_address : public DetailsDialog {
    Q_OBJECT
public:
    explicit Form_address(AddressExchange& address, QWidget* parent = nullptr);

protected:
    void load() override;
    void store() override;

private:
    AddressExchange& m_address;
    RichTextBox* rtf_address;
    bool m_loading = false;
};

} // namespace gearlog
