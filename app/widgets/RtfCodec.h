#pragma once

#include <QString>

class QTextDocument;

namespace gearlog::rtf {

// Writes a document as RTF: paragraphs, bold, italic, underline,
// strike-through, font face and size, colours; characters beyond ASCII as
// code-page 1252 escapes where that page has them, else Unicode escapes.
QString write(const QTextDocument& document);

// Reads RTF into a document, tolerating what other writers produce
// (\viewkind4\uc1\pard..., unknown destinations, pictures). Text that is not
// RTF is taken as plain text.
void read(const QString& text, QTextDocument& document);

// The text of RTF without its markup, paragraphs ended by line breaks; text
// that is not RTF as it is. The same reading as read(), without a document.
QString plainText(const QString& text);

bool isRtf(const QString& text);

} // namespace gearlog::rtf
