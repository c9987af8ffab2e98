#include "RichTextBox.h"

#include "RtfCodec.h"

namespace gearlog {

RichTextBox::RichTextBox(QWidget* parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    setTabChangesFocus(true); // keyboard users can leave the box with Tab
    // Any change but the reading of given markup (typing, formatting, a
    // text set another way) makes the markup the box's own again.
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (!m_reading)
            m_given = QString();
    });
}

QString RichTextBox::textRTF() const {
    return m_given.isNull() ? rtf::write(*document()) : m_given;
}

void RichTextBox::setTextRTF(const QString& markup) {
    m_reading = true;
    rtf::read(markup, *document());
    m_reading = false;
    m_given = markup.isNull() ? QStringLiteral("") : markup;
}

} // namespace gearlog
