#include "Sheet.h"

#include "CsvFormulaGuard.h"

#include <QIODevice>
#include <QStringDecoder>
#include <optional>

namespace gearlog {

namespace {

constexpr qint64 chunkBytes = 1 << 20;

struct Encoding {
    QStringDecoder::Encoding encoding = QStringDecoder::Utf8;
    bool windows1252 = false;
    int bomLength = 0;
};

// Where a file stops reading as UTF-8, and whether any letter before or
// after that was written in it (several bytes a letter).
struct Utf8Scan {
    qint64 line = 1, column = 1; // of the first byte that is not UTF-8 (line 0: none)
    unsigned char byte = 0;
    bool multiByte = false;
    bool valid() const { return line == 0; }
};

Utf8Scan scanUtf8(QIODevice& file) {
    Utf8Scan scan;
    Utf8Scan lead; // where the letter being read began
    qint64 line = 1, column = 1;
    int continuation = 0; // bytes that letter still needs
    bool bad = false;
    const auto fail = [&](const Utf8Scan& at) {
        if (!bad)
            scan = Utf8Scan{at.line, at.column, at.byte, scan.multiByte};
        bad = true;
    };
    while (!file.atEnd() && !(bad && scan.multiByte)) {
        for (const char ch : file.read(chunkBytes)) {
            const auto b = static_cast<unsigned char>(ch);
            if (continuation > 0 && (b & 0xC0) == 0x80) {
                if (--continuation == 0)
                    scan.multiByte = true;
                continue;
            }
            if (continuation > 0)
                fail(lead); // a letter cut short: the byte begins anew
            continuation = b >= 0xF0 && b <= 0xF4   ? 3
                           : b >= 0xE0 && b <= 0xEF ? 2
                           : b >= 0xC2 && b <= 0xDF ? 1
                                                    : 0;
            lead = Utf8Scan{line, column, b, false};
            if (continuation == 0 && b >= 0x80)
                fail(lead);
            if (b == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
    }
    if (continuation > 0)
        fail(lead);
    if (!bad)
        scan.line = 0;
    return scan;
}

// A byte-order mark says which encoding; without one the text is UTF-8 when
// the whole file reads as UTF-8, else Windows-1252 (which holds Latin-1's
// letters), as spreadsheet programs write CSV on older systems. A file that
// is UTF-8 but for a stray byte is neither: guessing would garble every
// accent, so the user is told where the byte is and chooses.
Encoding detectEncoding(QIODevice& file, const QString& name, CsvEncoding chosen) {
    const QByteArray start = file.peek(4);
    if (start.startsWith("\xEF\xBB\xBF"))
        return {QStringDecoder::Utf8, false, 3};
    if (start.startsWith("\xFF\xFE"))
        return {QStringDecoder::Utf16LE, false, 2};
    if (start.startsWith("\xFE\xFF"))
        return {QStringDecoder::Utf16BE, false, 2};
    if (file.peek(64 * 1024).contains('\0'))
        throw SheetError(QStringLiteral("%1 is not a spreadsheet: Gearlog imports .xlsx "
                                        "workbooks and CSV files")
                             .arg(name));
    if (chosen != CsvEncoding::Detect)
        return {QStringDecoder::Utf8, chosen == CsvEncoding::Windows1252, 0};
    const Utf8Scan scan = scanUtf8(file);
    file.seek(0);
    if (scan.valid())
        return {};
    if (scan.multiByte)
        throw SheetError(QStringLiteral("%1 is written in UTF-8 but for one byte (0x%2) on line "
                                        "%3, character %4, which is not: mend it, or choose the "
                                        "file's encoding")
                             .arg(name)
                             .arg(scan.byte, 2, 16, QLatin1Char('0'))
                             .arg(scan.line)
                             .arg(scan.column));
    return {QStringDecoder::Utf8, true, 0};
}

// The separator the first record uses most outside quotes: comma,
// semicolon (where the comma is the decimal sign) or tab.
QChar detectSeparator(QStringView text) {
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            break;
        else if (c == QLatin1Char(','))
            ++commas;
        else if (c == QLatin1Char(';'))
            ++semicolons;
        else if (c == QLatin1Char('\t'))
            ++tabs;
    }
    if (tabs > commas && tabs >= semicolons)
        return QLatin1Char('\t');
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

// RFC 4180 records, read as they come: quoted cells may hold separators,
// line breaks and doubled quotes. A quote inside an unquoted cell, or text
// after a closing quote, is kept as written, as spreadsheet programs do.
class CsvParser {
public:
    CsvParser(QChar separator, SheetTable& table) : m_separator(separator), m_table(table) {}

    void feed(QStringView text) {
        for (const QChar c : text) {
            if (m_afterReturn && c == QLatin1Char('\n')) {
                m_afterReturn = false;
                continue;
            }
            m_afterReturn = false;
            switch (m_state) {
            case State::Quoted:
                if (c == QLatin1Char('"')) {
                    m_state = State::QuoteInQuoted;
                } else if (c == QLatin1Char('\r')) {
                    m_field += QLatin1Char('\n'); // a line break in a cell is one character
                    m_afterReturn = true;
                } else {
                    m_field += c;
                }
                break;
            case State::QuoteInQuoted:
                if (c == QLatin1Char('"')) {
                    m_field += c;
                    m_state = State::Quoted;
                    break;
                }
                m_state = State::Unquoted;
                plain(c);
                break;
            case State::FieldStart:
                if (c == QLatin1Char('"')) {
                    m_state = State::Quoted;
                    break;
                }
                m_state = State::Unquoted;
                plain(c);
                break;
            case State::Unquoted:
                plain(c);
                break;
            }
        }
    }

    void finish(const QString& name) {
        if (m_state == State::Quoted)
            throw SheetError(QStringLiteral("%1 ends inside a quoted cell that begins in row %2: "
                                            "a closing quote mark is missing")
                                 .arg(name)
                                 .arg(m_record));
        if (m_state != State::FieldStart || !m_cells.isEmpty())
            endRecord();
    }

private:
    enum class State { FieldStart, Unquoted, Quoted, QuoteInQuoted };

    void plain(QChar c) {
        if (c == m_separator) {
            m_cells << unguard_formula(std::exchange(m_field, {}));
            m_state = State::FieldStart;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            m_afterReturn = c == QLatin1Char('\r');
            endRecord();
        } else {
            m_field += c;
        }
    }

    void endRecord() {
        m_cells << unguard_formula(std::exchange(m_field, {}));
        add_sheet_row(m_table, m_record, std::exchange(m_cells, {}));
        ++m_record;
        m_state = State::FieldStart;
    }

    const QChar m_separator;
    SheetTable& m_table;
    State m_state = State::FieldStart;
    QString m_field;
    QStringList m_cells;
    int m_record = 1;
    bool m_afterReturn = false;
};

} // namespace

SheetTable read_csv(QIODevice& file, const QString& name, const Progress& progress,
                    CsvEncoding chosen) {
    const Encoding encoding = detectEncoding(file, name, chosen);
    file.seek(encoding.bomLength);
    QStringDecoder decoder =
        encoding.windows1252 ? QStringDecoder("windows-1252") : QStringDecoder(encoding.encoding);
    SheetTable table;
    std::optional<CsvParser> parser;
    const qint64 total = file.size();
    while (!file.atEnd()) {
        const QString text = decoder.decode(file.read(chunkBytes));
        if (!parser)
            parser.emplace(detectSeparator(text), table);
        parser->feed(text);
        if (progress && !progress(file.pos(), total))
            throw Cancelled();
    }
    if (parser)
        parser->finish(name);
    return table;
}

} // namespace gearlog
