#include "DatabaseCreation.h"
#include "EngineError.h"
#include "GridSort.h"
#include "RecordHelpers.h"
#include "TestStores.h"

#include <QFile>

using namespace gearlog;
using namespace gearlog::test;

namespace {

StringTable table(std::initializer_list<const char*> rows) {
    StringTable t;
    for (const char* r : rows)
        t.push_back(QString::fromLatin1(r).split(QLatin1Char(',')));
    return t;
}

QStringList column(const StringTable& t, int c) {
    QStringList values;
    for (const QStringList& row : t)
        values << row.value(c);
    return values;
}

TEST(GridSort, NumericAndTextOrder) {
    StringTable t = table({"h,h", "10,a", "9,b", "x,c", "100,d"});
    sort_grid(t, 1, {{0, false, true}});
    EXPECT_EQ(column(t, 0), strings({"h", "9", "10", "100", "x"}));
    sort_grid(t, 1, {{0, false, false}});
    EXPECT_EQ(column(t, 0), strings({"h", "10", "100", "9", "x"}));
    sort_grid(t, 1, {{1, true, false}});
    EXPECT_EQ(column(t, 1), strings({"h", "d", "c", "b", "a"}));
}

TEST(GridSort, SeveralKeysAndStability) {
    // Sort by column 2 ascending, then column 0 descending numeric.
    StringTable t = table({"head,head,head", "1,p,B", "3,q,A", "2,r,B", "3,s,B", "5,t,A"});
    sort_grid(t, 1, {{2, false, false}, {0, true, true}});
    EXPECT_EQ(column(t, 1), strings({"head", "t", "q", "s", "r", "p"}));
    // Equal keys keep their order ascending and reverse it descending.
    StringTable equal = table({"k,1", "k,2", "k,3"});
    sort_grid_rows(equal, 0, 2, 0, 1, false, false);
    EXPECT_EQ(column(equal, 1), strings({"1", "2", "3"}));
    sort_grid_rows(equal, 0, 2, 0, 1, true, false);
    EXPECT_EQ(column(equal, 1), strings({"3", "2", "1"}));
    // Text order is by character code: capitals first.
    StringTable cased = table({"b", "B", "a"});
    sort_grid_rows(cased, 0, 2, 0, 0, false, false);
    EXPECT_EQ(column(cased, 0), strings({"B", "a", "b"}));
    StringTable headingOnly = table({"h"});
    sort_grid(headingOnly, 1, {{0, false, false}});
    EXPECT_EQ(column(headingOnly, 0), strings({"h"}));
}

TEST(SaveDialog, StartsWhereTheNameSays) {
    EXPECT_EQ(save_dialog_start(QString()).folder, QStringLiteral("."));
    EXPECT_EQ(save_dialog_start(QString()).fileName, QString());
    EXPECT_EQ(save_dialog_start(QStringLiteral("report.xlsx")).folder, QStringLiteral("."));
    EXPECT_EQ(save_dialog_start(QStringLiteral("report.xlsx")).fileName, QString());
    const auto full = save_dialog_start(QStringLiteral("/home/ann/reports/q1.xlsx"));
    EXPECT_EQ(full.folder, QStringLiteral("/home/ann/reports/"));
    EXPECT_EQ(full.fileName, QStringLiteral("q1.xlsx"));
}

TEST(RecordHelpers, FileExistsOnlyForFiles) {
    QTemporaryDir dir;
    EXPECT_FALSE(file_exists(dir.path()));
    EXPECT_FALSE(file_exists(QString()));
    const QString path = dir.filePath(QStringLiteral(".hidden.gearlog"));
    EXPECT_FALSE(file_exists(path));
    writeFile(path, {});
    EXPECT_TRUE(file_exists(path));
}

class NextId : public BothStores {};

TEST_P(NextId, LargestKeyPlusOne) {
    session->openTableCursors();
    Recordset& addresses = session->rs_address();
    for (int id : {3, 41}) {
        addresses.addNew();
        addresses.setValue(QStringLiteral("ID"), id);
        addresses.setValue(QStringLiteral("Name"), QStringLiteral("A%1").arg(id));
        addresses.update();
    }
    Database& db = session->database();
    EXPECT_EQ(next_id(db, QStringLiteral("Table_address")), 42);
    ASSERT_TRUE(find_record_by_number(addresses, QStringLiteral("ID"), 41));
    addresses.deleteRecord();
    EXPECT_EQ(next_id(db, QStringLiteral("Table_address")), 4);
    session->execute(QStringLiteral("DELETE * FROM Table_address"));
    EXPECT_EQ(next_id(db, QStringLiteral("Table_address")), 1);
}

// A failing engine is never taken for "not found", "no rows" or "key 1":
// a delete guard or a new key built on such a guess would do damage.
TEST_P(NextId, EngineFailuresReachTheCaller) {
    session->openTableCursors();
    Recordset& addresses = session->rs_address();
    auto query = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY ID"));
    add_new_record(addresses, session->database(), QStringLiteral("Table_address"));
    addresses.setValue(QStringLiteral("Name"), QStringLiteral("Depot"));
    addresses.update(); // the query cursor will read this row at its next look
    // Another desk takes the table away under this one.
    fresh->openStore()->execute(QStringLiteral("DROP TABLE Table_address"), {});
    Database& db = session->database();
    EXPECT_THROW(next_id(db, QStringLiteral("Table_address")), EngineError);
    EXPECT_THROW(find_record_by_number(*query, QStringLiteral("ID"), 1), EngineError);
    EXPECT_THROW(record_count(*query), EngineError);
    EXPECT_THROW(next_id(db, QStringLiteral("Table_none")), EngineError);
    // A criterion that cannot be read is the one "not found".
    Recordset& statuses = session->rs_status();
    EXPECT_FALSE(find_record_by_number(statuses, QStringLiteral("NoSuchField"), 1));
    EXPECT_FALSE(find_record_by_text(statuses, QStringLiteral("Name"), QStringLiteral("x"),
                                     QStringLiteral("AND (")));
}

// "Über" and "über" are one name to the find, to the store's own WHERE and
// to its ORDER BY, so the duplicate checks and the cursors agree.
TEST_P(NextId, LetterCaseFoldsEveryScriptAlike) {
    session->openTableCursors();
    Recordset& categories = session->rs_category();
    for (const QString& name : {QStringLiteral("Über"), QStringLiteral("Øresund"),
                                QStringLiteral("ärmel"), QStringLiteral("Zed")}) {
        add_new_record(categories, session->database(), QStringLiteral("Table_category"));
        categories.setValue(QStringLiteral("Name"), name);
        categories.update();
    }
    ASSERT_TRUE(find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("über")));
    EXPECT_EQ(categories.value(QStringLiteral("Name")).toString(), QStringLiteral("Über"));
    EXPECT_TRUE(find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("ØRESUND")));
    auto where = session->openRecordset(
        QStringLiteral("SELECT * FROM Table_category WHERE Name = 'über' OR Name = 'ÄRMEL'"));
    EXPECT_EQ(record_count(*where), 2);
    // The order the cursor kept as rows arrived is the order the store gives.
    QStringList kept, reread;
    for (categories.moveFirst(); !categories.eof(); categories.moveNext())
        kept << categories.value(QStringLiteral("Name")).toString();
    auto reopened = fresh->openSession()->openRecordset(
        QStringLiteral("SELECT * FROM Table_category ORDER BY Name"));
    for (reopened->moveFirst(); !reopened->eof(); reopened->moveNext())
        reread << reopened->value(QStringLiteral("Name")).toString();
    EXPECT_EQ(kept, reread);
    // Folded letters order by code point: after every ASCII name.
    EXPECT_EQ(kept.mid(kept.size() - 4),
              (QStringList{QStringLiteral("Zed"), QStringLiteral("ärmel"),
                           QStringLiteral("Øresund"), QStringLiteral("Über")}));
}

GEARLOG_BOTH_STORES(NextId);

} // namespace
