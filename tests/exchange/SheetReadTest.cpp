// Reading the files people have: CSV in the encodings and separators
// spreadsheet programs write, .xlsx workbooks (shared and inline strings,
// dates as serial numbers, formulas' cached values), and files that cannot
// be read, each refused with a message that says why.
#include "Sheet.h"
#include "TestStores.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class SheetRead : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString file(const char* name, const QByteArray& bytes) {
        return writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
    }
    QString refusal(const QString& path) {
        try {
            read_sheet(path);
        } catch (const SheetError& e) {
            return e.text();
        }
        return {};
    }
    // A workbook put together part by part, as other programs write them.
    QString workbook(const char* name, const QString& sheetRows, const QString& strings) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QProcess python;
        python.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral(
                 "import sys, zipfile\n"
                 "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED)\n"
                 "z.writestr('xl/workbook.xml', '<workbook xmlns:r=\"r\"><sheets><sheet "
                 "name=\"Assets\" r:id=\"rId1\"/></sheets></workbook>')\n"
                 "z.writestr('xl/_rels/workbook.xml.rels', '<Relationships><Relationship "
                 "Id=\"rId1\" Target=\"worksheets/data.xml\"/></Relationships>')\n"
                 "z.writestr('xl/styles.xml', '<styleSheet><numFmts><numFmt numFmtId=\"164\" "
                 "formatCode=\"dd/mm/yyyy\"/></numFmts><cellXfs><xf numFmtId=\"0\"/><xf "
                 "numFmtId=\"164\"/><xf numFmtId=\"2\"/></cellXfs></styleSheet>')\n"
                 "z.writestr('xl/sharedStrings.xml', '<sst>' + open(sys.argv[3]).read() + "
                 "'</sst>')\n"
                 "z.writestr('xl/worksheets/data.xml', '<worksheet><sheetData>' + "
                 "open(sys.argv[2]).read() + '</sheetData></worksheet>')\n"),
             path, writeFile(path + QStringLiteral(".rows"), sheetRows.toUtf8()),
             writeFile(path + QStringLiteral(".strings"), strings.toUtf8())});
        python.waitForFinished(60000);
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return path;
    }
};

QStringList cells(const SheetTable& t, size_t row) {
    return t.rows.at(row).cells;
}

TEST_F(SheetRead, CsvInEveryEncodingAndSeparator) {
    // UTF-8 with a byte-order mark, semicolons, quoted separators, line
    // breaks and doubled quotes, CRLF, empty lines between.
    SheetTable t = read_sheet(file("a.csv", "\xEF\xBB\xBFModel;Serial No\r\n\"A;1\";\"x\r\ny\"\r\n"
                                            "\r\n\"say \"\"hi\"\"\";S-2;\r\n"));
    EXPECT_EQ(t.headings, strings({"Model", "Serial No"}));
    ASSERT_EQ(t.rows.size(), 2U);
    EXPECT_EQ(cells(t, 0), QStringList({QStringLiteral("A;1"), QStringLiteral("x\ny")}));
    EXPECT_EQ(cells(t, 1), strings({"say \"hi\"", "S-2"}));
    EXPECT_EQ(t.rows[1].line, 4); // the empty record is counted, not kept
    // Windows-1252 (not UTF-8), tab-separated, no line break at the end.
    t = read_sheet(file("b.csv", "Name\tCost\nCaf\xE9 \x80\t1,5"));
    EXPECT_EQ(cells(t, 0), QStringList({QStringLiteral("Café €"), QStringLiteral("1,5")}));
    // UTF-16 with its mark, as "Unicode text" is saved.
    QByteArray utf16("\xFF\xFE");
    const QString text = QStringLiteral("Name,Phone\nØyvind,5\n");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    t = read_sheet(file("c.txt", utf16));
    EXPECT_EQ(cells(t, 0), QStringList({QStringLiteral("Øyvind"), QStringLiteral("5")}));
    // Ragged rows keep their width, not the cells past the headings: the
    // check says which.
    t = read_sheet(file("d.csv", "Name\nA,B,C\n"));
    EXPECT_EQ(cells(t, 0).size(), 1);
    EXPECT_EQ(t.rows[0].width, 3);
    // UTF-8 but for one stray byte: never read as Windows-1252 unless chosen.
    const QString stray = file("e.csv", "Name\nCaf\xC3\xA9\nNa\xEFve\n");
    try {
        read_sheet(stray);
        ADD_FAILURE() << "a stray byte was taken for Windows-1252";
    } catch (const SheetError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("(0xef) on line 3, character 3")))
            << e.text().toStdString();
    }
    t = read_sheet(stray, {}, CsvEncoding::Windows1252);
    EXPECT_EQ(cells(t, 1), QStringList{QStringLiteral("Na\u00EFve")});
    // Cells a spreadsheet would run are read back as they were written.
    t = read_sheet(file("f.csv", "Name\n'=1+2\n''@x\n'plain\n"));
    EXPECT_EQ(cells(t, 0), strings({"=1+2"}));
    EXPECT_EQ(cells(t, 1), strings({"'@x"}));
    EXPECT_EQ(cells(t, 2), strings({"'plain"}));
}

TEST_F(SheetRead, WorkbookCellsOfEveryKind) {
    const QString path = workbook(
        "w.xlsx",
        QStringLiteral(
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" "
            "t=\"inlineStr\"><is><t>Date</t></is></c><c r=\"D1\" "
            "t=\"s\"><v>1</v></c></row>"
            "<row r=\"3\"><c r=\"A3\" t=\"s\"><v>2</v></c><c r=\"C3\" "
            "s=\"1\"><v>45366</v></c><c r=\"D3\" "
            "s=\"2\"><f>B3*2</f><v>12.300000000000001</v></c></row>"
            "<row r=\"4\" s=\"1\" customFormat=\"1\"/><row r=\"5\"><c r=\"A5\" s=\"1\"/></row>"),
        QStringLiteral("<si><t>Model</t></si><si><r><t>Pr</t></r><r><t>ice</t></r><rPh><t>x</t>"
                       "</rPh></si><si><t>M-1</t></si>"));
    const SheetTable t = read_sheet(path);
    EXPECT_EQ(t.headings, strings({"Model", "", "Date", "Price"}));
    ASSERT_EQ(t.rows.size(), 1U);
    EXPECT_EQ(t.rows[0].line, 3);
    EXPECT_EQ(cells(t, 0), strings({"M-1", "", "2024-03-15", "12.3"}));
    EXPECT_TRUE(t.rows[0].isNumber(3));
    EXPECT_FALSE(t.rows[0].isNumber(2));
}

TEST_F(SheetRead, FilesThatCannotBeReadSayWhy) {
    EXPECT_EQ(refusal(file("p.csv", QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 12))),
              QStringLiteral("p.csv is not a spreadsheet: Gearlog imports .xlsx workbooks and "
                             "CSV files"));
    EXPECT_TRUE(refusal(file("e.xlsx", "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 rest"))
                    .startsWith(QStringLiteral("e.xlsx is protected by a password or is an old "
                                               ".xls workbook")));
    const QString whole = workbook("cut.xlsx", QStringLiteral("<row r=\"1\"/>"), {});
    QFile cut(whole);
    ASSERT_TRUE(cut.open(QIODevice::ReadWrite));
    cut.resize(cut.size() / 2);
    cut.close();
    EXPECT_TRUE(refusal(whole).startsWith(
        QStringLiteral("cut.xlsx is damaged: it cannot be read as an .xlsx workbook")));
    EXPECT_EQ(refusal(file("q.csv", "Name,Phone\n\"Ann,5\nBob,6\n")),
              QStringLiteral("q.csv ends inside a quoted cell that begins in row 2: a closing "
                             "quote mark is missing"));
    EXPECT_EQ(refusal(file("none.csv", "\n,,\n")),
              QStringLiteral("none.csv holds nothing to import"));
    // A gigabyte is refused before a byte of it is read.
    QFile big(dir.filePath(QStringLiteral("big.csv")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.resize(1024LL * 1024 * 1024);
    big.close();
    EXPECT_EQ(refusal(big.fileName()), QStringLiteral("big.csv is 1024 MB; files of up to 256 MB "
                                                      "can be imported: import it in parts"));
    // One text longer than any cell is refused before it is gathered.
    const QString longText =
        workbook("long.xlsx", QStringLiteral("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"),
                 QStringLiteral("<si><t>%1</t></si>").arg(QString(300'000, QLatin1Char('x'))));
    EXPECT_EQ(refusal(longText),
              QStringLiteral("long.xlsx is damaged: it cannot be read as an .xlsx workbook "
                             "(xl/sharedStrings.xml holds a text longer than a cell can (32,767 "
                             "characters))"));
}

TEST_F(SheetRead, AMillionEmptyFormattedRowsAreSkipped) {
    QString rows = QStringLiteral("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Name</t></is>"
                                  "</c></row>");
    rows.reserve(50'000'000);
    for (int r = 2; r <= 1'000'000; ++r)
        rows +=
            QStringLiteral("<row r=\"%1\" s=\"1\" customFormat=\"1\"><c r=\"A%1\" s=\"1\"/></row>")
                .arg(r);
    const SheetTable t = read_sheet(workbook("empty.xlsx", rows, {}));
    EXPECT_EQ(t.headings, strings({"Name"}));
    EXPECT_TRUE(t.rows.empty());
}

} // namespace
