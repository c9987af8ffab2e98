#include "TerminalText.h"

namespace gearlog {

QString printable(const QString& text, bool keepLineBreaks) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const bool lineBreak =
            c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t');
        if (c.category() != QChar::Other_Control || (keepLineBreaks && lineBreak))
            shown += c;
        else
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
    }
    return shown;
}

} // namespace gearlog
