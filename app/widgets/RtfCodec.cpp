#include "RtfCodec.h"

#include <QColor>
#include <QHash>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

namespace gearlog::rtf {

namespace {

// Code page 1252 at 0x80..0x9F; the rest of the upper half is Latin-1.
const char16_t cp1252High[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar fromCp1252(int byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(cp1252High[byte - 0x80]);
    return QChar(byte);
}

int toCp1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == c && c != 0xFFFD)
            return 0x80 + i;
    return -1;
}

QString escapeText(const QString& text) {
    QString out;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += QLatin1Char('\\');
            out += ch;
        } else if (c == u'\t') {
            out += QStringLiteral("\\tab ");
        } else if (c == QChar::LineSeparator) {
            out += QStringLiteral("\\line ");
        } else if (c < 0x80) {
            out += ch;
        } else if (const int b = toCp1252(c); b >= 0) {
            out += QStringLiteral("\\'%1").arg(b, 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1?").arg(static_cast<qint16>(c));
        }
    }
    return out;
}

} // namespace

bool isRtf(const QString& text) {
    return text.trimmed().startsWith(QLatin1String("{\\rtf"));
}

QString write(const QTextDocument& document) {
    QStringList fonts;
    std::vector<QColor> colours;
    auto fontIndex = [&](const QString& family) {
        qsizetype i = fonts.indexOf(family);
        if (i < 0) {
            fonts << family;
            i = fonts.size() - 1;
        }
        return i;
    };
    auto colourIndex = [&](const QColor& colour) {
        for (size_t i = 0; i < colours.size(); ++i)
            if (colours[i] == colour)
                return static_cast<int>(i) + 1;
        colours.push_back(colour);
        return static_cast<int>(colours.size());
    };
    const QString defaultFamily = document.defaultFont().family();
    fontIndex(defaultFamily);
    const double defaultSize =
        document.defaultFont().pointSizeF() > 0 ? document.defaultFont().pointSizeF() : 10;

    QString body;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            body += QStringLiteral("\\par\n");
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat f = fragment.charFormat();
            const QString family = f.fontFamilies().toStringList().value(0, defaultFamily);
            const double size = f.fontPointSize() > 0 ? f.fontPointSize() : defaultSize;
            body += QStringLiteral("{\\f%1\\fs%2").arg(fontIndex(family)).arg(qRound(size * 2));
            if (f.fontWeight() >= QFont::Bold)
                body += QStringLiteral("\\b");
            if (f.fontItalic())
                body += QStringLiteral("\\i");
            if (f.fontUnderline())
                body += QStringLiteral("\\ul");
            if (f.fontStrikeOut())
                body += QStringLiteral("\\strike");
            if (f.hasProperty(QTextFormat::ForegroundBrush))
                body += QStringLiteral("\\cf%1").arg(colourIndex(f.foreground().color()));
            body += QLatin1Char(' ') + escapeText(fragment.text()) + QLatin1Char('}');
        }
    }
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (qsizetype i = 0; i < fonts.size(); ++i)
        out += QStringLiteral("{\\f%1\\fnil %2;}").arg(i).arg(escapeText(fonts[i]));
    out += QStringLiteral("}\n{\\colortbl ;");
    for (const QColor& c : colours)
        out +=
            QStringLiteral("\\red%1\\green%2\\blue%3;").arg(c.red()).arg(c.green()).arg(c.blue());
    out += QStringLiteral("}\n\\viewkind4\\uc1\\pard\\f0\\fs%1 ").arg(qRound(defaultSize * 2));
    return out + body + QStringLiteral("\\par\n}\n");
}

namespace {

struct State {
    bool bold = false, italic = false, underline = false, strike = false;
    int font = 0;
    int halfPoints = 0;
    int colour = 0;
    int unicodeSkip = 1;
    enum Destination { Text, FontTable, ColourTable, Skip } destination = Text;
};

// Reads RTF into a document, or into plain text alone (no document, no
// formats: for reports that show thousands of comments).
class Reader {
public:
    Reader(const QString& text, QTextDocument& document) : m_text(text), m_document(&document) {}
    Reader(const QString& text, QString& plain) : m_text(text), m_plain(&plain) {}

    void run() {
        if (m_document) {
            m_document->clear();
            m_cursor = QTextCursor(m_document);
            // One edit block: the document is laid out once at the end
            // instead of after every run of text, which made long comments
            // quadratic.
            m_cursor.beginEditBlock();
        }
        std::vector<State> stack{State{}};
        qsizetype i = 0;
        int pendingSkip = 0; // fallback characters after \uN
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            State& s = stack.back();
            if (c == QLatin1Char('{')) {
                stack.push_back(s);
                ++i;
                if (m_text.mid(i, 2) == QLatin1String("\\*"))
                    stack.back().destination = State::Skip;
                continue;
            }
            if (c == QLatin1Char('}')) {
                if (s.destination == State::FontTable)
                    finishFont();
                if (stack.size() > 1)
                    stack.pop_back();
                ++i;
                continue;
            }
            if (c == QLatin1Char('\\')) {
                i = controlWord(i + 1, s, pendingSkip);
                continue;
            }
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                ++i;
                continue;
            }
            if (pendingSkip > 0) {
                --pendingSkip;
                ++i;
                continue;
            }
            // The whole run of plain characters up to the next group,
            // control word or line end, at once.
            qsizetype end = i + 1;
            while (end < m_text.size() && !isSpecial(m_text[end]))
                ++end;
            addText(s, QStringView(m_text).mid(i, end - i));
            i = end;
        }
        flush();
        if (m_document)
            m_cursor.endEditBlock();
    }

private:
    qsizetype controlWord(qsizetype i, State& s, int& pendingSkip) {
        if (i >= m_text.size())
            return i;
        const QChar c = m_text[i];
        if (!c.isLetter()) {
            // Control symbols.
            if (c == QLatin1Char('\'')) {
                bool ok = false;
                const int byte = m_text.mid(i + 1, 2).toInt(&ok, 16);
                if (ok) {
                    if (pendingSkip > 0)
                        --pendingSkip;
                    else
                        addText(s, QString(fromCp1252(byte)));
                }
                return i + 3;
            }
            if (c == QLatin1Char('~'))
                addText(s, QString(QChar(0x00A0)));
            else if (c == QLatin1Char('_'))
                addText(s, QString(QChar(0x2011)));
            else if (c == QLatin1Char('\\') || c == QLatin1Char('{') || c == QLatin1Char('}'))
                addText(s, QString(c));
            else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                paragraph(s);
            return i + 1;
        }
        qsizetype j = i;
        while (j < m_text.size() && m_text[j].isLetter())
            ++j;
        const QString word = m_text.mid(i, j - i);
        qsizetype k = j;
        if (k < m_text.size() && (m_text[k] == QLatin1Char('-') || m_text[k].isDigit())) {
            ++k;
            while (k < m_text.size() && m_text[k].isDigit())
                ++k;
        }
        const bool hasParam = k > j;
        const int param = hasParam ? m_text.mid(j, k - j).toInt() : 0;
        if (k < m_text.size() && m_text[k] == QLatin1Char(' '))
            ++k;
        apply(word, hasParam, param, s, pendingSkip);
        return k;
    }

    void apply(const QString& w, bool hasParam, int param, State& s, int& pendingSkip) {
        const bool on = !hasParam || param != 0;
        if (w == QLatin1String("fonttbl"))
            s.destination = State::FontTable;
        else if (w == QLatin1String("colortbl"))
            s.destination = State::ColourTable;
        else if (w == QLatin1String("stylesheet") || w == QLatin1String("info") ||
                 w == QLatin1String("pict") || w == QLatin1String("object") ||
                 w == QLatin1String("header") || w == QLatin1String("footer") ||
                 w == QLatin1String("listtable") || w == QLatin1String("listoverridetable") ||
                 w == QLatin1String("generator") || w == QLatin1String("themedata"))
            s.destination = State::Skip;
        else if (s.destination == State::FontTable && w == QLatin1String("f"))
            m_fontNumber = param;
        else if (s.destination == State::ColourTable && w == QLatin1String("red"))
            m_red = param, m_colourSet = true;
        else if (s.destination == State::ColourTable && w == QLatin1String("green"))
            m_green = param, m_colourSet = true;
        else if (s.destination == State::ColourTable && w == QLatin1String("blue"))
            m_blue = param, m_colourSet = true;
        else if (w == QLatin1String("par"))
            paragraph(s);
        else if (w == QLatin1String("line"))
            addText(s, QString(QChar::LineSeparator));
        else if (w == QLatin1String("tab"))
            addText(s, QStringLiteral("\t"));
        else if (w == QLatin1String("b"))
            s.bold = on;
        else if (w == QLatin1String("i"))
            s.italic = on;
        else if (w == QLatin1String("ul"))
            s.underline = on;
        else if (w == QLatin1String("ulnone"))
            s.underline = false;
        else if (w == QLatin1String("strike"))
            s.strike = on;
        else if (w == QLatin1String("f"))
            s.font = param;
        else if (w == QLatin1String("fs"))
            s.halfPoints = param;
        else if (w == QLatin1String("cf"))
            s.colour = param;
        else if (w == QLatin1String("plain")) {
            s.bold = s.italic = s.underline = s.strike = false;
            s.colour = 0;
            s.halfPoints = 0;
        } else if (w == QLatin1String("uc"))
            s.unicodeSkip = param;
        else if (w == QLatin1String("u")) {
            addText(s, QString(QChar(static_cast<char16_t>(param < 0 ? param + 65536 : param))));
            pendingSkip = s.unicodeSkip;
        } else if (w == QLatin1String("emdash"))
            addText(s, QString(QChar(0x2014)));
        else if (w == QLatin1String("endash"))
            addText(s, QString(QChar(0x2013)));
        else if (w == QLatin1String("bullet"))
            addText(s, QString(QChar(0x2022)));
        else if (w == QLatin1String("lquote"))
            addText(s, QString(QChar(0x2018)));
        else if (w == QLatin1String("rquote"))
            addText(s, QString(QChar(0x2019)));
    }

    static bool isSpecial(QChar c) {
        return c == QLatin1Char('{') || c == QLatin1Char('}') || c == QLatin1Char('\\') ||
               c == QLatin1Char('\r') || c == QLatin1Char('\n');
    }

    // What decides a run's format; formats are built only when it changes.
    struct Look {
        bool bold, italic, underline, strike;
        int font, halfPoints, colour;
        bool operator==(const Look&) const = default;
    };
    static Look lookOf(const State& s) {
        return {s.bold, s.italic, s.underline, s.strike, s.font, s.halfPoints, s.colour};
    }

    QTextCharFormat formatOf(const State& s) const {
        QTextCharFormat f;
        f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(s.italic);
        f.setFontUnderline(s.underline);
        f.setFontStrikeOut(s.strike);
        if (s.halfPoints > 0)
            f.setFontPointSize(s.halfPoints / 2.0);
        const QString family = m_fonts.value(s.font);
        if (!family.isEmpty())
            f.setFontFamilies({family});
        if (s.colour >= 0 && static_cast<size_t>(s.colour) < m_colours.size() &&
            m_colours[static_cast<size_t>(s.colour)].isValid())
            f.setForeground(m_colours[static_cast<size_t>(s.colour)]);
        return f;
    }

    void addText(const State& s, QStringView text) {
        switch (s.destination) {
        case State::FontTable:
            m_fontName += text;
            return;
        case State::ColourTable:
            // An entry without components is the "auto" colour.
            for (const QChar c : text) {
                if (c != QLatin1Char(';'))
                    continue;
                m_colours.push_back(m_colourSet ? QColor(m_red, m_green, m_blue) : QColor());
                m_red = m_green = m_blue = 0;
                m_colourSet = false;
            }
            return;
        case State::Skip:
            return;
        case State::Text:
            break;
        }
        if (m_plain) {
            m_pending += text;
            return;
        }
        const Look look = lookOf(s);
        if (!m_pending.isEmpty() && look != m_pendingLook) {
            // The same format under another look (a font not in the table)
            // keeps one run.
            const QTextCharFormat f = formatOf(s);
            if (f != m_pendingFormat) {
                flush();
                m_pendingFormat = f;
            }
        } else if (m_pending.isEmpty() && (!m_formatBuilt || look != m_pendingLook)) {
            m_pendingFormat = formatOf(s);
        }
        m_formatBuilt = true;
        m_pendingLook = look;
        m_pending += text;
    }

    void flush() {
        if (m_plain)
            *m_plain += m_pending;
        else if (!m_pending.isEmpty())
            m_cursor.insertText(m_pending, m_pendingFormat);
        m_pending.clear();
    }

    void paragraph(const State& s) {
        if (s.destination != State::Text)
            return;
        flush();
        if (m_plain)
            *m_plain += QLatin1Char('\n');
        else
            m_cursor.insertBlock();
    }

    void finishFont() {
        QString name = m_fontName.trimmed();
        if (name.endsWith(QLatin1Char(';')))
            name.chop(1);
        if (!name.isEmpty())
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    const QString& m_text;
    QTextDocument* m_document = nullptr;
    QString* m_plain = nullptr;
    QTextCursor m_cursor;
    QString m_pending;
    QTextCharFormat m_pendingFormat;
    Look m_pendingLook{};
    bool m_formatBuilt = false;
    QHash<int, QString> m_fonts;
    int m_fontNumber = 0;
    QString m_fontName;
    std::vector<QColor> m_colours;
    bool m_colourSet = false;
    int m_red = 0, m_green = 0, m_blue = 0;
};

} // namespace

void read(const QString& text, QTextDocument& document) {
    if (!isRtf(text)) {
        document.setPlainText(text);
        return;
    }
    Reader(text, document).run();
    // A closing \par leaves an empty last block; drop it.
    QTextBlock last = document.lastBlock();
    if (last.isValid() && last.length() <= 1 && document.blockCount() > 1) {
        QTextCursor cursor(last);
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
}

QString plainText(const QString& text) {
    if (!isRtf(text))
        return text;
    QString plain;
    Reader(text, plain).run();
    // A closing \par ends the text with a line break of its own.
    if (plain.endsWith(QLatin1Char('\n')))
        plain.chop(1);
    return plain;
}

} // namespace gearlog::rtf
