#include "Sheet.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unzip.h>

#include <functional>

namespace gearlog {

namespace {

// Columns past this are no one's inventory: a sheet claiming them is refused
// rather than read into rows of thousands of cells.
constexpr int largestColumns = 1024;

// A workbook cell holds at most 32,767 characters: text between two tags
// longer than this (UTF-8 with every character written as an entity) is
// no cell's, and is refused before it is gathered into memory.
constexpr qint64 longestTextBytes = 32'767LL * 8;

// One member of the zip container, read as it is unpacked.
class ZipMember : public QIODevice {
public:
    explicit ZipMember(unzFile zip) : m_zip(zip) {}
    ~ZipMember() override { close(); }
    ZipMember(const ZipMember&) = delete;
    ZipMember& operator=(const ZipMember&) = delete;

    bool open(OpenMode mode) override {
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(m_zip) != UNZ_OK)
            return false;
        m_size = static_cast<qint64>(info.uncompressed_size);
        return QIODevice::open(mode);
    }
    void close() override {
        if (isOpen() && unzCloseCurrentFile(m_zip) == UNZ_CRCERROR)
            m_failed = true;
        QIODevice::close();
    }
    bool isSequential() const override { return true; }
    qint64 unpackedSize() const { return m_size; }
    qint64 unpackedRead() const { return m_read; }
    bool failed() const { return m_failed; }
    bool tooLong() const { return m_tooLong; }

protected:
    qint64 readData(char* data, qint64 most) override {
        const int read =
            unzReadCurrentFile(m_zip, data, static_cast<unsigned>(std::min<qint64>(most, 1 << 20)));
        if (read < 0) {
            m_failed = true;
            return -1;
        }
        m_read += read;
        // How long the text since the last tag has run.
        for (const char* tag = data; tag < data + read;) {
            const void* next = std::memchr(tag, '<', static_cast<size_t>(data + read - tag));
            if (!next) {
                m_run += data + read - tag;
                break;
            }
            m_run = 0;
            tag = static_cast<const char*>(next) + 1;
        }
        if (m_run > longestTextBytes) {
            m_tooLong = true;
            return -1;
        }
        return read;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_size = 0, m_read = 0, m_run = 0;
    bool m_failed = false, m_tooLong = false;
};

class Workbook {
public:
    explicit Workbook(const QString& path)
        : m_zip(unzOpen64(QFile::encodeName(path).constData())),
          m_name(QFileInfo(path).fileName()) {
        if (!m_zip)
            throw damaged(QStringLiteral("it is not a complete .xlsx workbook"));
    }
    ~Workbook() { unzClose(m_zip); }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    SheetError damaged(const QString& why) const {
        return SheetError(
            QStringLiteral("%1 is damaged: it cannot be read as an .xlsx workbook (%2)")
                .arg(m_name, why));
    }

    // Streams a member of the workbook through `read`; false when there is
    // no such member.
    bool read(const QString& member,
              const std::function<void(QXmlStreamReader&, const ZipMember&)>& read) {
        if (unzLocateFile(m_zip, member.toUtf8().constData(), 1) != UNZ_OK)
            return false;
        ZipMember file(m_zip);
        if (!file.open(QIODevice::ReadOnly))
            throw damaged(member + QStringLiteral(" cannot be unpacked"));
        QXmlStreamReader xml(&file);
        read(xml, file);
        file.close();
        if (file.tooLong())
            throw damaged(member + QStringLiteral(" holds a text longer than a cell can (32,767 "
                                                  "characters)"));
        if (file.failed())
            throw damaged(member + QStringLiteral(" is cut short or corrupt"));
        if (xml.hasError())
            throw damaged(QStringLiteral("%1, line %2: %3")
                              .arg(member)
                              .arg(xml.lineNumber())
                              .arg(xml.errorString()));
        return true;
    }

private:
    unzFile m_zip;
    QString m_name;
};

// Reads the text of the element the reader is on (a shared string's <si>, an
// inline string's <is>): its <t> parts, without phonetic guides.
QString richText(QXmlStreamReader& xml) {
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("t"))
                text += xml.readElementText();
            else if (xml.name() == QLatin1String("rPh"))
                xml.skipCurrentElement();
            else
                ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return text;
}

QStringList sharedStrings(Workbook& book) {
    QStringList strings;
    qint64 characters = 0;
    book.read(QStringLiteral("xl/sharedStrings.xml"), [&](QXmlStreamReader& xml, const auto&) {
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("si")) {
                strings << richText(xml);
                characters += strings.back().size();
                if (characters > largestSheetCharacters)
                    throw tooMuchText();
                if (strings.size() > largestSheetCells)
                    throw tooManyCells();
            }
        }
    });
    return strings;
}

// A number format that shows a date: the built-in date formats, or a format
// of its own with days or years outside quoted text and [...] parts.
bool isDateFormat(int id, QString code) {
    if ((id >= 14 && id <= 17) || id == 22 || (id >= 27 && id <= 36) || (id >= 50 && id <= 58))
        return true;
    static const QRegularExpression literal(QStringLiteral(R"("[^"]*"|\[[^\]]*\]|\\.)"));
    code.remove(literal);
    return code.contains(QLatin1Char('d'), Qt::CaseInsensitive) ||
           code.contains(QLatin1Char('y'), Qt::CaseInsensitive);
}

// Whether each cell style shows its number as a date.
std::vector<bool> dateStyles(Workbook& book) {
    std::vector<bool> styles;
    QHash<int, QString> codes;
    book.read(QStringLiteral("xl/styles.xml"), [&](QXmlStreamReader& xml, const auto&) {
        bool inCellStyles = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("numFmt"))
                codes.insert(xml.attributes().value(QLatin1String("numFmtId")).toInt(),
                             xml.attributes().value(QLatin1String("formatCode")).toString());
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellStyles = xml.isStartElement();
            else if (inCellStyles && xml.isStartElement() && xml.name() == QLatin1String("xf")) {
                const int id = xml.attributes().value(QLatin1String("numFmtId")).toInt();
                styles.push_back(isDateFormat(id, codes.value(id)));
            }
        }
    });
    return styles;
}

// The first sheet's member and whether the workbook counts days from 1904.
std::pair<QString, bool> firstSheet(Workbook& book) {
    QString relation;
    bool from1904 = false;
    if (!book.read(QStringLiteral("xl/workbook.xml"), [&](QXmlStreamReader& xml, const auto&) {
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement)
                    continue;
                if (xml.name() == QLatin1String("workbookPr")) {
                    const QStringView v = xml.attributes().value(QLatin1String("date1904"));
                    from1904 = v == QLatin1String("1") || v == QLatin1String("true");
                } else if (xml.name() == QLatin1String("sheet") && relation.isEmpty()) {
                    for (const QXmlStreamAttribute& a : xml.attributes())
                        if (a.name() == QLatin1String("id"))
                            relation = a.value().toString();
                }
            }
        }))
        throw book.damaged(QStringLiteral("it has no workbook part"));
    QString target;
    book.read(QStringLiteral("xl/_rels/workbook.xml.rels"),
              [&](QXmlStreamReader& xml, const auto&) {
                  while (!xml.atEnd())
                      if (xml.readNext() == QXmlStreamReader::StartElement &&
                          xml.name() == QLatin1String("Relationship") &&
                          xml.attributes().value(QLatin1String("Id")) == relation)
                          target = xml.attributes().value(QLatin1String("Target")).toString();
              });
    if (target.isEmpty())
        return {QStringLiteral("xl/worksheets/sheet1.xml"), from1904};
    return {target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target,
            from1904};
}

// "BC12" -> 54 (0-based column); -1 when the reference has no letters.
int columnOf(QStringView reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
    return i == 0 ? -1 : column - 1;
}

// A number as text in the C form, without the float noise (12.300000000000001);
// a whole number keeps every digit (a serial typed as a number), as the cell
// stores it where a double holds fewer.
QString numberText(QStringView value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok)
        return value.toString();
    constexpr double exactWhole = 9007199254740992.0; // 2^53
    const bool whole = std::trunc(number) == number && std::abs(number) < 1e21;
    if (whole && std::abs(number) <= exactWhole)
        return QString::number(static_cast<qint64>(number));
    if (whole) {
        const QStringView digits = value.startsWith(u'-') ? value.mid(1) : value;
        const bool plain =
            std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
        return plain ? value.toString() : QString::number(number, 'f', 0);
    }
    return QString::number(number, 'g', 15);
}

QString serialDate(QStringView value, bool from1904) {
    bool ok = false;
    const double serial = value.toDouble(&ok);
    if (!ok || serial < 1 || serial > 2958465)
        return value.toString();
    const QDate base = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    return base.addDays(static_cast<qint64>(serial)).toString(Qt::ISODate);
}

} // namespace

SheetTable read_xlsx(const QString& path, const Progress& progress) {
    Workbook book(path);
    const auto [sheet, from1904] = firstSheet(book);
    const QStringList strings = sharedStrings(book);
    const std::vector<bool> dates = dateStyles(book);
    SheetTable table;
    const auto readSheet = [&](QXmlStreamReader& xml, const ZipMember& file) {
        QStringList cells;
        quint64 numbers = 0;
        int line = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("row")) {
                add_sheet_row(table, line, std::exchange(cells, {}), std::exchange(numbers, 0));
                if (line % 2000 == 0 && progress &&
                    !progress(file.unpackedRead(), file.unpackedSize()))
                    throw Cancelled();
                continue;
            }
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("row")) {
                const int r = xml.attributes().value(QLatin1String("r")).toInt();
                line = r > 0 ? r : line + 1;
                continue;
            }
            if (xml.name() != QLatin1String("c"))
                continue;
            const QXmlStreamAttributes a = xml.attributes();
            const int given = columnOf(a.value(QLatin1String("r")));
            const int column = given >= 0 ? given : static_cast<int>(cells.size());
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString text;
            bool number = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v")) {
                    const QString v = xml.readElementText();
                    if (type == QLatin1String("s")) {
                        text = strings.value(v.toInt());
                    } else if (type == QLatin1String("b")) {
                        text = v == QLatin1String("1") ? QStringLiteral("TRUE")
                                                       : QStringLiteral("FALSE");
                    } else if (type.isEmpty() || type == QLatin1String("n")) {
                        // A formula's cached value is read like any other.
                        const bool date = static_cast<size_t>(style) < dates.size() &&
                                          dates[static_cast<size_t>(style)];
                        text = date ? serialDate(v, from1904) : numberText(v);
                        number = !date;
                    } else {
                        text = v; // str (a formula's text), e (an error such as #N/A)
                    }
                } else if (xml.name() == QLatin1String("is")) {
                    text = richText(xml);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (text.isEmpty())
                continue;
            if (column >= largestColumns)
                throw SheetError(QStringLiteral("The first sheet has values beyond column %1: "
                                                "Gearlog imports tables narrower than that")
                                     .arg(largestColumns));
            while (cells.size() <= column)
                cells << QString();
            cells[column] = text;
            if (number && column < 64)
                numbers |= quint64{1} << column;
        }
    };
    if (!book.read(sheet, readSheet))
        throw book.damaged(sheet + QStringLiteral(" is missing"));
    return table;
}

} // namespace gearlog
