#include "RtfCodec.h"
#include "RichTextBox.h"
#include "TestStores.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace gearlog;
using gearlog::test::writeFile;

namespace {

QTextCharFormat formatAt(const QTextDocument& doc, int position) {
    QTextCursor c(const_cast<QTextDocument*>(&doc));
    c.setPosition(position + 1);
    return c.charFormat();
}

TEST(RtfCodec, RoundTripKeepsTextAndFormatting) {
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertText(QStringLiteral("Plain "));
    c.insertText(QStringLiteral("bold"), bold);
    QTextCharFormat styled;
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    styled.setFontStrikeOut(true);
    styled.setFontPointSize(14);
    styled.setFontFamilies({QStringLiteral("Courier New")});
    styled.setForeground(QColor(200, 10, 30));
    c.insertText(QStringLiteral(" styled"), styled);
    c.insertBlock();
    c.insertText(QStringLiteral("Café € naïve – Ω 中 {braces} back\\slash"), QTextCharFormat());

    const QString markup = rtf::write(doc);
    EXPECT_TRUE(markup.contains(QStringLiteral("\\'e9")));   // é in code page 1252
    EXPECT_TRUE(markup.contains(QStringLiteral("\\'80")));   // € in code page 1252
    EXPECT_TRUE(markup.contains(QStringLiteral("\\u937?"))); // Ω has no 1252 byte

    QTextDocument back;
    rtf::read(markup, back);
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    EXPECT_EQ(back.blockCount(), 2);
    EXPECT_EQ(formatAt(back, 7).fontWeight(), QFont::Bold);
    const QTextCharFormat s = formatAt(back, 12);
    EXPECT_TRUE(s.fontItalic());
    EXPECT_TRUE(s.fontUnderline());
    EXPECT_TRUE(s.fontStrikeOut());
    EXPECT_EQ(s.fontPointSize(), 14);
    EXPECT_EQ(s.fontFamilies().toStringList().value(0), QStringLiteral("Courier New"));
    EXPECT_EQ(s.foreground().color(), QColor(200, 10, 30));
    EXPECT_NE(formatAt(back, 2).fontWeight(), QFont::Bold);
}

TEST(RtfCodec, ReadsWhatOtherWordProcessorsWrite) {
    const QString stored = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang2057{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1\\pard\\f0\\fs20 Field "
        "\\b kit\\b0  for caf\\'e9\\par\r\n\\cf1 second\\cf0  line \\u8364?5\\par\r\n}\r\n");
    QTextDocument doc;
    rtf::read(stored, doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("Field kit for café\nsecond line €5"));
    // The reading without a document gives the same text.
    EXPECT_EQ(rtf::plainText(stored), doc.toPlainText());
    EXPECT_EQ(rtf::plainText(QStringLiteral("not RTF")), QStringLiteral("not RTF"));
    EXPECT_EQ(formatAt(doc, 6).fontWeight(), QFont::Bold);
    EXPECT_EQ(formatAt(doc, 19).foreground().color(), QColor(255, 0, 0));

    RichTextBox box;
    box.setTextRTF(QStringLiteral("just words, no markup"));
    EXPECT_EQ(box.text(), QStringLiteral("just words, no markup"));
    box.setTextRTF(QStringLiteral("{\\rtf1 unterminated {\\b group"));
    EXPECT_EQ(box.text(), QStringLiteral("unterminated group"));

    // Unchanged, another program's markup is stored again as it was;
    // changed in any way, the box writes its own.
    box.setTextRTF(stored);
    EXPECT_EQ(box.textRTF(), stored);
    QTextCursor end(box.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("!"));
    EXPECT_NE(box.textRTF(), stored);
    EXPECT_EQ(rtf::plainText(box.textRTF()), doc.toPlainText() + QStringLiteral("!"));
    box.setTextRTF(stored);
    box.setPlainText(QStringLiteral("plain"));
    EXPECT_EQ(rtf::plainText(box.textRTF()), QStringLiteral("plain"));
}

TEST(RtfCodec, AnIndependentReaderReadsOurMarkup) {
    RichTextBox box;
    box.setPlainText(QStringLiteral("Receiver kit\nCafé naïve"));
    QTemporaryDir dir;
    const QString path =
        writeFile(dir.filePath(QStringLiteral("note.rtf")), box.textRTF().toLatin1());
    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--text"), path});
    ASSERT_TRUE(unrtf.waitForFinished(10000)) << "unrtf is not installed";
    // unrtf writes its text output in the document's 8-bit character set.
    const QString text = QString::fromLatin1(unrtf.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("Receiver kit"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Café naïve"))) << text.toStdString();
}

} // namespace
