#pragma once

#include <QTextEdit>

namespace gearlog {

// A rich-text box whose stored form is RTF markup, so the database keeps
// the markup its fields have always held. Plain text loads as plain text.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    // The markup of what the box shows: the very markup it was given when
    // nothing has been changed since, so an unchanged text is stored again
    // byte for byte (another program's markup neither grows nor changes).
    QString textRTF() const;
    void setTextRTF(const QString& markup);
    // The plain text.
    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }

private:
    QString m_given; // the markup last given, while the text is unchanged
    bool m_reading = false;
};

} // namespace gearlog
