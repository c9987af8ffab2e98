#include "RichTextBox.h"

#include "RtfCodec.h"

namespace gearlog {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    setTabChangesFocus(true); // keyboard users can leave the box with Tab
}

QString RichTextBox::textRTF() const {
    return rtf::write(*document());
}

void RichTextBox::setTextRTF(const QString& markup) {
    rtf::read(markup, *document());
}

} // namespace gearlog
