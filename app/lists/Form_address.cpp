#include "Form_address.h"

#include "AppState.h"
#include "ColourCode.h"
#include "RichTextBox.h"

#include <QLineEdit>

namespace gearlog {

Form_address::Form_address(AddressExchange& address, QWidget* parent)
    : DetailsDialog(parent, "Form_address", QStringLiteral("Address Details"),
                    QStringLiteral("Location"),
                    QStringLiteral("You cannot use white or black as an address colour")),
      m_address(address) {
    rtf_address = new RichTextBox(this);
    rtf_address->setObjectName(QStringLiteral("rtf_address"));
    rtf_address->setToolTip(QStringLiteral("Address to which this shipment is being sent"));
    addRow(QStringLiteral("Address"), rtf_address);
    connect(rtf_address, &RichTextBox::textChanged, this, [this] {
        if (!m_loading)
            edited();
    });
    addColourRow();
    m_editingExisting = !m_address.name.isEmpty();
    load();
}

void Form_address::load() {
    m_loading = true;
    Text_name->setText(m_address.name.trimmed());
    rtf_address->setTextRTF(m_address.text);
    m_loading = false;
    Text_colour_code->setCode(m_address.colour);
    resetButtons();
}

void Form_address::store() {
    m_address.name = Text_name->text();
    m_address.text = rtf_address->textRTF();
    m_address.colour = Text_colour_code->code();
}

} // namespace gearlog
