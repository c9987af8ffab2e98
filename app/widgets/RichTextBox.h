#pragma once

#include <QTextEdit>

namespace gearlog {

// A rich-text box whose stored form is RTF markup, so the database keeps
// the markup its fields have always held. Plain text loads as plain text.
class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget* parent = nullptr);

    QString textRTF() const;
    void setTextRTF(const QString& markup);
    // The plain text.
    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }
};

} // namespace gearlog
