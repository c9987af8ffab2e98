// Import on both stores: what "Save as Excel" and gearlog-admin export
// write imports back into an empty database unchanged; each row's verdict;
// all or nothing; Cancel; the window, and another desk's change between the
// preview and the import.
#include "AssetList.h"
#include "ChangeHistory.h"
#include "Form_import.h"
#include "Frame_report.h"
#include "ImportCommand.h"
#include "ImportWrite.h"
#include "ReportFixture.h"
#include "TableExport.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Import : public ReportWindow {
protected:
    QTemporaryDir dir;

    QString file(const char* name, const QByteArray& bytes) {
        return writeFile(dir.filePath(QString::fromLatin1(name)), bytes);
    }
    // Imports with gearlog-admin's command; its exit code.
    int importInto(const FreshDatabase& target, const QString& path, ImportKind kind,
                   ImportOptions options = {.createMissing = true}) {
        QString text;
        QTextStream out(&text), err(&text);
        const int code = import_command(target.openStore(), path, kind, options, false, out, err);
        EXPECT_EQ(code, 0) << text.toStdString();
        return code;
    }
    // A table's rows as export writes them, without the keys (which an
    // import gives anew), sorted; `columns` keeps only those headings.
    static QStringList records(Store& store, ImportKind kind, const QStringList& columns = {}) {
        const SheetTable t = export_table(store, kind);
        QStringList rows;
        for (const SheetRow& row : t.rows) {
            QStringList kept;
            for (qsizetype c = 1; c < t.headings.size(); ++c)
                if (columns.isEmpty() || columns.contains(t.headings[c]))
                    kept << row.cells.value(c);
            rows << kept.join(QLatin1Char('|'));
        }
        rows.sort();
        return rows;
    }
    std::vector<RowVerdict> verdicts(const QString& path, ImportKind kind, ImportOptions options) {
        const SheetTable sheet = read_sheet(path);
        ImportPlan plan(kind, sheet, match_columns(kind, sheet.headings), options);
        plan.check(*db->openStore());
        return plan.verdicts();
    }
    static QStringList texts(const std::vector<RowVerdict>& verdicts) {
        QStringList texts;
        for (const RowVerdict& v : verdicts)
            texts << v.text;
        return texts;
    }
    int count(const char* table) {
        return db->openStore()
            ->select(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table)), {},
                     {FieldType::Long})
            .front()[0]
            .toInt();
    }
};

TEST_P(Import, SavedGridsImportBackIntoAnEmptyDatabase) {
    const auto save = [this](const QString& name) {
        const QString path = dir.filePath(name);
        scripted.files.push_back(path);
        window->mnuExcel_Click();
        return path;
    };
    QStringList lists;
    for (int kind = 0; kind < 4; ++kind) {
        press(QStringLiteral("Command_Categories_%1").arg(kind));
        lists << save(QStringLiteral("list%1.xlsx").arg(kind));
    }
    press(QStringLiteral("Command_report_0"));
    choose(window->reportView()->filters().Combo_asset_category, QStringLiteral("All"));
    choose(window->reportView()->filters().Combo_asset_equipment, QStringLiteral("All"));
    const QString report = save(QStringLiteral("report.xlsx"));
    ASSERT_EQ(scripted.messages, QStringList(5, QStringLiteral("Export complete")));

    const FreshDatabase target(GetParam());
    importInto(target, lists[2], ImportKind::Addresses);
    importInto(target, lists[3], ImportKind::Contacts);
    importInto(target, lists[0], ImportKind::Categories);
    importInto(target, lists[1], ImportKind::Statuses);
    importInto(target, report, ImportKind::Assets);
    const auto source = db->openStore(), copy = target.openStore();
    for (const ImportKind kind : {ImportKind::Addresses, ImportKind::Contacts,
                                  ImportKind::Categories, ImportKind::Statuses})
        EXPECT_EQ(records(*copy, kind, {QStringLiteral("Name")}),
                  records(*source, kind, {QStringLiteral("Name")}));
    // Every cell the report shows (where an asset is follows from the
    // shipments, which are not imported).
    const QStringList shown{QStringLiteral("Model"),
                            QStringLiteral("Serial No"),
                            QStringLiteral("Date Acquired"),
                            QStringLiteral("Purchase Price"),
                            QStringLiteral("Replacement Value"),
                            QStringLiteral("Customs Value"),
                            QStringLiteral("Status"),
                            QStringLiteral("Category"),
                            QStringLiteral("Equipment"),
                            QStringLiteral("Accounts Office"),
                            QStringLiteral("Comments")};
    // The report shows comments on one line.
    const auto oneLine = [](QStringList rows) {
        for (QString& row : rows)
            row = row.simplified();
        return rows;
    };
    EXPECT_EQ(oneLine(records(*copy, ImportKind::Assets, shown)),
              oneLine(records(*source, ImportKind::Assets, shown)));
    EXPECT_EQ(records(*copy, ImportKind::Assets).size(), 4);
}

TEST_P(Import, EveryTableExportedImportsBack) {
    const FreshDatabase target(GetParam());
    const auto source = db->openStore();
    source->execute(QStringLiteral("UPDATE Table_address SET ColourCode = 255"));
    source->execute(QStringLiteral("UPDATE Table_contact SET ColourCode = 65280"));
    for (const ImportKind kind :
         {ImportKind::Addresses, ImportKind::Contacts, ImportKind::Categories, ImportKind::Statuses,
          ImportKind::Equipment, ImportKind::Assets}) {
        const QString path = dir.filePath(
            import_kind(kind).option +
            (kind == ImportKind::Contacts ? QStringLiteral(".csv") : QStringLiteral(".xlsx")));
        export_command(*source, kind, path, false);
        importInto(target, path, kind);
        EXPECT_EQ(records(*target.openStore(), kind), records(*source, kind))
            << import_kind(kind).option.toStdString();
    }
    // An existing file is replaced only when asked to (--force).
    EXPECT_EQ(failureOf([&] {
                  export_command(*source, ImportKind::Assets,
                                 dir.filePath(QStringLiteral("assets.xlsx")), false);
              }),
              dir.filePath(QStringLiteral("assets.xlsx")) +
                  QStringLiteral(" already exists; use --force to replace it"));
}

TEST_P(Import, EachRowSaysWhyItCannotBeImportedAndNothingIsWritten) {
    const QString path = file(
        "assets.csv", "ID,Model,Serial No,Date Acquired,Purchase Price,Status,Category,Equipment\n"
                      "10,M-new,S90,05-Mar-2024,12.50,,,Radio set\n"
                      ",,S91,,,,,Radio set\n"
                      ",M-3,S92,31-Feb-2024,,,,Radio set\n"
                      ",M-4,S93,2024-03-05,12;50,,,Radio set\n"
                      ",M-5,S94,,,Lost in space,,Radio set\n"
                      ",M-6,S95,,,,,\n"
                      ",M-7,S96,,,,Radio,Walkie\n"
                      ",M-8,s10,,,,,Radio set\n"
                      ",M-9,S97,,,,,Cable kit\n"
                      ",M-10,S97,,,,,cable KIT\n"
                      ",M-11,S98,,,,,Radio set,extra\n"
                      "11,M-11,S11,,,,,Radio set\n");
    EXPECT_EQ(
        texts(verdicts(path, ImportKind::Assets, {})),
        QStringList({QStringLiteral("Add"), QStringLiteral("The model number cannot be blank"),
                     QStringLiteral("The asset acquisition date is not valid"),
                     QStringLiteral("The asset purchase price is not valid"),
                     QStringLiteral("There is no status named \"Lost in space\""),
                     QStringLiteral("The asset equipment type has not been specified"),
                     QStringLiteral("There is no equipment type named \"Walkie\" in the category "
                                    "\"Radio\" (tick \"Create missing categories and equipment "
                                    "types\" to make it)"),
                     QStringLiteral("The serial number s10 is already used by asset 10 of this "
                                    "equipment type"),
                     QStringLiteral("Add"),
                     QStringLiteral("The serial number S97 is also in row 10, for the same "
                                    "equipment type"),
                     QStringLiteral("This row has 9 cells, more than the 8 headings"),
                     QStringLiteral("The serial number S11 is already used by asset 11 of this "
                                    "equipment type")}));
    // By ID: only what differs is written; an ID that names no asset fails.
    const QString updates = file("updates.csv", "ID,Model,Serial No,Status\n10,M-10,S10-b,\n"
                                                "11,M-11,,\n99,M-99,,\n");
    EXPECT_EQ(texts(verdicts(updates, ImportKind::Assets, {.update = true})),
              strings({"Update asset 10: Serial No", "No change to asset 11",
                       "There is no asset with the ID 99"}));
    // A row that fails anywhere, the last included, leaves everything as it was.
    const qint64 historyBefore = read_history(*db->openStore(), {}).size();
    QString text;
    QTextStream out(&text), err(&text);
    EXPECT_EQ(import_command(db->openStore(), updates, ImportKind::Assets, {.update = true}, false,
                             out, err),
              1);
    EXPECT_TRUE(text.contains(QStringLiteral("Row 4: There is no asset with the ID 99")));
    EXPECT_TRUE(text.contains(QStringLiteral("nothing was imported")));
    EXPECT_EQ(count("Table_asset"), 4);
    EXPECT_EQ(static_cast<qint64>(read_history(*db->openStore(), {}).size()), historyBefore);
}

TEST_P(Import, OneTransactionThatCancelUndoesAndTheHistoryNamesIt) {
    const QString path = file("new.csv", "Model;Serial No;Equipment;Category;Purchase Price\n"
                                         "N-1;X1;Tripod;Tools;1234.5\nN-2;X2;Radio set;;7\n");
    const SheetTable sheet = read_sheet(path);
    Database& database = session().database();
    const auto attempt = [&](const Progress& progress) {
        ImportPlan plan(ImportKind::Assets, sheet,
                        match_columns(ImportKind::Assets, sheet.headings), {.createMissing = true});
        database.setCommand(QStringLiteral("Import"));
        Transaction transaction(database);
        plan.check(database.store());
        EXPECT_EQ(plan.count(Verdict::Add), 2);
        const ImportCounts counts = write_import(database, plan, progress);
        transaction.commit();
        return counts;
    };
    EXPECT_THROW(attempt([](qint64, qint64) { return false; }), Cancelled);
    EXPECT_EQ(count("Table_asset"), 4);
    EXPECT_EQ(count("Table_category"), 6);
    EXPECT_EQ(import_summary(attempt({})),
              QStringLiteral("2 added, 0 updated (with 1 new category and 1 new equipment type)"));
    EXPECT_EQ(count("Table_asset"), 6);
    const std::vector<Row> added = db->openStore()->select(
        QStringLiteral("SELECT ID, PurchasePrice FROM Table_asset WHERE ModelNumber = 'N-1'"), {},
        {FieldType::Long, FieldType::Double});
    ASSERT_EQ(added.size(), 1U);
    EXPECT_EQ(added[0][0].toInt(), 14); // the largest key plus one, as every add takes it
    EXPECT_DOUBLE_EQ(added[0][1].toDouble(), 1234.5);
    HistoryFilter filter;
    filter.table = QStringLiteral("Table_asset");
    filter.key = 14;
    QStringList recorded;
    for (const HistoryEntry& e : read_history(*db->openStore(), filter))
        recorded << e.command + QLatin1Char(' ') + e.action + QLatin1Char(' ') + e.field;
    EXPECT_TRUE(recorded.contains(QStringLiteral("Import Added SerialNumber")))
        << recorded.join(QLatin1Char(',')).toStdString();
}

TEST_P(Import, TheRecordsAnImportUpdatesAreHeldUntilItEnds) {
    const SheetTable sheet = read_sheet(file("u.csv", "ID,Serial No\n10,S10-new\n"));
    ImportPlan plan(ImportKind::Assets, sheet, match_columns(ImportKind::Assets, sheet.headings),
                    {.update = true});
    Database& database = session().database();
    Transaction transaction(database);
    plan.check(database.store(), {}, ImportPlan::Purpose::Writing);
    const auto other = db->openStore();
    other->setLockWait(200);
    EXPECT_NE(failureOf([&] {
                  other->execute(
                      QStringLiteral("UPDATE Table_asset SET SerialNumber = 'B' WHERE ID = 10"));
              }),
              QString());
    EXPECT_EQ(write_import(database, plan).updated, 1);
    transaction.commit();
    EXPECT_EQ(other
                  ->select(QStringLiteral("SELECT SerialNumber FROM Table_asset WHERE ID = 10"), {},
                           {FieldType::Text})
                  .front()[0]
                  .toString(),
              QStringLiteral("S10-new"));
}

TEST_P(Import, TheWindowPreviewsChecksAgainAndCounts) {
    const QString path = file("assets.csv", "Model,Equipment,Status\nW-1,Radio set,Lost\n"
                                            "W-2,Cable kit,\n");
    const auto second = db->openStore(); // another desk
    bool anotherDesk = true;
    const auto playImport = [&](QDialog& dialog) {
        auto& form = static_cast<Form_import&>(dialog);
        scripted.files.push_back(path);
        form.show();
        // The second time by keys alone.
        const auto activate = [&anotherDesk](QPushButton* button) {
            if (anotherDesk) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
            button->setFocus();
            QTest::keyClick(button, Qt::Key_Space);
        };
        activate(form.findChild<QPushButton*>(QStringLiteral("Command_import_file")));
        EXPECT_EQ(form.Combo_import_kind->currentText(), QStringLiteral("Assets"));
        EXPECT_EQ(form.Grid_import_preview->accessibleName(), QStringLiteral("Preview grid"));
        const QAbstractItemModel* preview = form.Grid_import_preview->model();
        EXPECT_EQ(preview->rowCount(), 2);
        EXPECT_EQ(preview->index(0, 1).data().toString(), QStringLiteral("Add"));
        EXPECT_EQ(
            form.Label_import_summary->text(),
            QStringLiteral("2 rows: 2 to add, 0 to update, 0 unchanged, 0 cannot be imported"));
        if (anotherDesk) // renames the status the first row names, after the preview
            second->execute(
                QStringLiteral("UPDATE Table_status SET Name = 'Missing' WHERE Name = 'Lost'"));
        activate(form.Command_import);
        if (anotherDesk) {
            form.Check_import_errors->click();
            EXPECT_EQ(preview->rowCount(), 1);
            EXPECT_EQ(preview->index(0, 1).data().toString(),
                      QStringLiteral("There is no status named \"Lost\""));
            EXPECT_FALSE(form.Command_import->isEnabled());
        }
        return dialog.result();
    };
    scripted.dialogs.push_back(playImport);
    window->findChild<QAction*>(QStringLiteral("menu_import"))->trigger();
    EXPECT_EQ(scripted.messages,
              strings({"Another desk has changed the database since the preview, so these rows "
                       "would not be imported as shown: 2. Nothing was written; the preview now "
                       "shows them as they are. Import again to write them."}));
    EXPECT_EQ(count("Table_asset"), 4);

    second->execute(QStringLiteral("UPDATE Table_status SET Name = 'Lost' WHERE Name = 'Missing'"));
    anotherDesk = false;
    scripted.messages.clear();
    scripted.dialogs.push_back(playImport);
    window->findChild<QAction*>(QStringLiteral("menu_import"))->trigger();
    EXPECT_EQ(scripted.messages, strings({"2 added, 0 updated"}));
    EXPECT_EQ(count("Table_asset"), 6);
    EXPECT_TRUE(scripted.unexpected.isEmpty())
        << scripted.unexpected.join(QLatin1Char(',')).toStdString();
}

// Dates of three numbers are read in the desk's order unless the user
// names the file's; a CSV's characters may be named too.
TEST_P(Import, TheWindowReadsDatesInTheOrderChosen) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString path =
        file("dated.csv", "Model,Equipment,Date Acquired\nD-1,Radio set,15/03/2025\n");
    QString verdicts[2];
    scripted.dialogs.push_back([&](QDialog& dialog) {
        auto& form = static_cast<Form_import&>(dialog);
        form.openFile(path);
        const QAbstractItemModel* preview = form.Grid_import_preview->model();
        verdicts[0] = preview->index(0, 1).data().toString();
        form.show();
        form.Combo_import_dates->setFocus();
        QTest::keyClick(form.focusWidget(), Qt::Key_Down); // day, month, year
        verdicts[1] = preview->index(0, 1).data().toString();
        return int(QDialog::Rejected);
    });
    window->findChild<QAction*>(QStringLiteral("menu_import"))->trigger();
    QLocale::setDefault(before);
    EXPECT_EQ(verdicts[0], QStringLiteral("The asset acquisition date is not valid"));
    EXPECT_EQ(verdicts[1], QStringLiteral("Add"));
}

GEARLOG_BOTH_STORES(Import);

} // namespace
