#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>

namespace gearlog::test {

// Every cell of a workbook's first sheet, read by an independent reader
// (Debian's own Python, which carries python3-openpyxl).
inline QJsonArray readWorkbook(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import json, sys, openpyxl\n"
                                 "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                 "print(json.dumps([[('' if c is None else str(c)) for c in row] "
                                 "for row in ws.iter_rows(values_only=True)]))"),
                  path});
    python.waitForFinished(30000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

// The text of a PDF file, read by poppler's pdftotext.
inline QString readPdfText(const QString& path) {
    QProcess reader;
    reader.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    reader.waitForFinished(30000);
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().toStdString();
    return QString::fromUtf8(reader.readAllStandardOutput());
}

} // namespace gearlog::test
