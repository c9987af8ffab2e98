#include "DocumentReaders.h"
#include "FlexGrid.h"
#include "Frame_category.h"
#include "OpenWindow.h"
#include "RecordHelpers.h"

#include <QDir>
#include <QFile>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Export : public OpenWindow {
protected:
    QTemporaryDir dir;
};

TEST_F(Export, WritesEveryCellOfTheShowingGrid) {
    add(session().rs_category(),
        {{QStringLiteral("ID"), 7}, {QStringLiteral("Name"), QStringLiteral("0.50 Ω café")}});
    click(QStringLiteral("Command_Categories_0"));
    const QString path = dir.filePath(QStringLiteral("lists.xlsx"));
    scripted.files.push_back(path);
    window->mnuExcel_Click();
    EXPECT_EQ(scripted.messages, strings({"Export complete"}));
    EXPECT_EQ(scripted.fileTitles, strings({"Select the Excel file to create"}));
    const QJsonArray rows = readWorkbook(path);
    const FlexGrid* grid = window->categoryView()->grid();
    ASSERT_EQ(rows.size(), grid->rows());
    for (int r = 0; r < grid->rows(); ++r)
        for (int c = 0; c < grid->cols(); ++c)
            EXPECT_EQ(rows[r].toArray().at(c).toString(), grid->textMatrix(r, c)) << r << "," << c;
    EXPECT_EQ(rows[0].toArray().at(0).toString(), QString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), strings({"lists.xlsx"}));
}

TEST_F(Export, OverwriteQuestionAndFailures) {
    click(QStringLiteral("Command_Categories_1"));
    const QString path = writeFile(dir.filePath(QStringLiteral("keep.xlsx")), "keep me");
    scripted.files.push_back(path);
    scripted.yesNo.push_back(false);
    window->mnuExcel_Click();
    EXPECT_EQ(scripted.questions, strings({"That file already exists. Overwrite?"}));
    QFile check(path);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("keep me"));
    EXPECT_TRUE(scripted.messages.isEmpty());

    scripted.files.push_back(path);
    scripted.yesNo.push_back(true);
    window->mnuExcel_Click();
    EXPECT_EQ(readWorkbook(path).size(), 11);

    const QString nowhere = dir.filePath(QStringLiteral("missing/out.xlsx"));
    scripted.files.push_back(nowhere);
    window->mnuExcel_Click();
    ASSERT_EQ(scripted.messages.size(), 2);
    EXPECT_TRUE(scripted.messages.last().startsWith(
        QStringLiteral("An error occurred while saving the excel spreadsheet: ")));
    EXPECT_GT(scripted.messages.last().size(), 56);
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(Export, TheOpenDatabaseIsNeverWrittenOver) {
    click(QStringLiteral("Command_Categories_1"));
    for (const QString& suffix : {QString(), QStringLiteral("-wal")}) {
        scripted.files.push_back(db.location() + suffix);
        window->mnuExcel_Click();
    }
    EXPECT_EQ(
        scripted.messages,
        QStringList({QStringLiteral("An error occurred while saving the excel spreadsheet: ") +
                         db.location() + QStringLiteral(" is the database now open"),
                     QStringLiteral("An error occurred while saving the excel spreadsheet: ") +
                         db.location() + QStringLiteral("-wal is the database now open")}));
    EXPECT_TRUE(scripted.questions.isEmpty());
    EXPECT_TRUE(find_record_by_number(session().rs_status(), QStringLiteral("ID"), 1));
}

TEST_F(Export, NothingWithoutAnExportableView) {
    window->mnuExcel_Click();
    click(QStringLiteral("Command_Assets"));
    window->mnuExcel_Click();
    EXPECT_TRUE(scripted.fileTitles.isEmpty());
    EXPECT_TRUE(scripted.unexpected.isEmpty());
}

} // namespace
