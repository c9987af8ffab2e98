#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

#include <QDateTime>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// A small shipping history: two equipment types, three assets, two
// shipments, lines in the three states.
class SqlShapes : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        auto add = [this](const QString& table, const QVariantMap& values) {
            auto rs = session->openRecordset(table);
            rs->addNew();
            for (auto it = values.cbegin(); it != values.cend(); ++it)
                rs->setValue(it.key(), it.value());
            rs->update();
        };
        const auto S = [](const char* s) {
            return QString::fromLatin1(s);
        };
        add(S("Table_equipment"), {{S("ID"), 1}, {S("Name"), S("Receiver")}, {S("CategoryID"), 1}});
        add(S("Table_equipment"), {{S("ID"), 2}, {S("Name"), S("Cable")}, {S("CategoryID"), 3}});
        add(S("Table_asset"), {{S("ID"), 1},
                               {S("EquipmentID"), 1},
                               {S("ModelNumber"), S("B-1")},
                               {S("AccountID"), 2},
                               {S("ShipmentID"), 2}});
        add(S("Table_asset"), {{S("ID"), 2},
                               {S("EquipmentID"), 1},
                               {S("ModelNumber"), S("A-1")},
                               {S("AccountID"), 1},
                               {S("ShipmentID"), 0}});
        add(S("Table_asset"), {{S("ID"), 3},
                               {S("EquipmentID"), 2},
                               {S("ModelNumber"), S("C-1")},
                               {S("AccountID"), 1},
                               {S("ShipmentID"), 2}});
        add(S("Table_shipment"), {{S("ID"), 1},
                                  {S("Name"), S("First")},
                                  {S("ShipmentDate"), QDate(2026, 1, 5)},
                                  {S("ArrivalConfirmed"), true},
                                  {S("Purpose"), 0}});
        add(S("Table_shipment"), {{S("ID"), 2},
                                  {S("Name"), S("Second")},
                                  {S("ShipmentDate"), QDateTime(QDate(2026, 2, 10), QTime(14, 30))},
                                  {S("ArrivalConfirmed"), false},
                                  {S("Purpose"), 2}});
        add(S("Table_shippinglist"), {{S("ID"), 1},
                                      {S("ShipmentID"), 1},
                                      {S("AssetID"), 1},
                                      {S("IsCompleted"), true},
                                      {S("TransferID"), 2},
                                      {S("CompletionDate"), QDate(2026, 2, 10)}});
        add(S("Table_shippinglist"), {{S("ID"), 2},
                                      {S("ShipmentID"), 1},
                                      {S("AssetID"), 2},
                                      {S("IsCompleted"), true},
                                      {S("TransferID"), -1},
                                      {S("CompletionDate"), QDate(2026, 1, 20)}});
        add(S("Table_shippinglist"), {{S("ID"), 3},
                                      {S("ShipmentID"), 2},
                                      {S("AssetID"), 1},
                                      {S("IsCompleted"), false},
                                      {S("TransferID"), -1}});
        add(S("Table_shippinglist"), {{S("ID"), 4},
                                      {S("ShipmentID"), 2},
                                      {S("AssetID"), 3},
                                      {S("IsCompleted"), false},
                                      {S("TransferID"), -1}});
    }

    // One column of every row, as text.
    QStringList column(const QString& sql, const QString& field) {
        auto rs = session->openRecordset(sql);
        QStringList values;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            values << rs->value(field).toString();
        return values;
    }
};

TEST_P(SqlShapes, OneTableSelectsInAnyLetterCase) {
    const QStringList expected{QStringLiteral("Cable"), QStringLiteral("Receiver")};
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM [Table_Equipment] ORDER BY Name;"),
                     QStringLiteral("Name")),
              expected);
    EXPECT_EQ(column(QStringLiteral("select * from TABLE_EQUIPMENT order by name"),
                     QStringLiteral("NAME")),
              expected);
    EXPECT_EQ(
        column(QStringLiteral("SELECT * FROM Table_Equipment WHERE CategoryID = 3 ORDER BY Name"),
               QStringLiteral("Name")),
        QStringList{QStringLiteral("Cable")});
    EXPECT_EQ(
        column(QStringLiteral(
                   "SELECT * FROM [Table_ShippingList] WHERE ShipmentID = 2 ORDER BY AssetID;"),
               QStringLiteral("ID")),
        (QStringList{QStringLiteral("3"), QStringLiteral("4")}));
}

TEST_P(SqlShapes, JoinsExpandStarsAndKeepBothColumnsOfOneName) {
    auto rs = session->openRecordset(QStringLiteral(
        "SELECT * FROM [Table_Equipment] INNER JOIN [Table_Asset] ON [Table_Equipment].ID = "
        "[Table_Asset].EquipmentID ORDER BY CategoryID,EquipmentID,AccountID,ModelNumber;"));
    ASSERT_EQ(rs->recordCount(), 3);
    rs->moveFirst();
    EXPECT_EQ(rs->value(QStringLiteral("ModelNumber")).toString(), QStringLiteral("A-1"));
    EXPECT_EQ(rs->value(QStringLiteral("ID")).toInt(), 1); // the first: equipment
    EXPECT_EQ(rs->value(QStringLiteral("Table_Equipment.ID")).toInt(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("table_asset.id")).toInt(), 2);
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Receiver"));
    EXPECT_FALSE(rs->isUpdatable());

    EXPECT_EQ(column(QStringLiteral(
                         "SELECT Table_Asset.* FROM [Table_Equipment] INNER JOIN [Table_Asset] ON "
                         "[Table_Equipment].ID = [Table_Asset].EquipmentID WHERE CategoryID = 1 "
                         "ORDER BY ModelNumber,Table_asset.ID;"),
                     QStringLiteral("ID")),
              (QStringList{QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(
        column(QStringLiteral(
                   "SELECT * FROM [Table_Equipment] INNER JOIN [Table_Asset] ON "
                   "[Table_Equipment].ID = "
                   "[Table_Asset].EquipmentID WHERE CategoryID = 1 AND EquipmentID = 1 ORDER BY "
                   "AccountID,ModelNumber;"),
               QStringLiteral("ModelNumber")),
        (QStringList{QStringLiteral("A-1"), QStringLiteral("B-1")}));
}

TEST_P(SqlShapes, HistoryJoinWithPurposeConditions) {
    const QString base = QStringLiteral(
        "SELECT Table_shipment.*,Table_shippinglist.* FROM Table_shipment INNER JOIN "
        "Table_shippinglist ON Table_shipment.ID = Table_shippinglist.ShipmentID");
    const QString order = QStringLiteral(" ORDER BY ShipmentDate,Table_shippinglist.ID,assetID;");
    EXPECT_EQ(column(base + QStringLiteral(" WHERE AssetID = 1") + order, QStringLiteral("Name")),
              (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
    EXPECT_EQ(
        column(base + QStringLiteral(" WHERE (Purpose = 0 OR Purpose = 2) AND AssetID = 1") + order,
               QStringLiteral("Table_shippinglist.ID")),
        (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(column(base + QStringLiteral(" WHERE (Purpose = 1) AND AssetID = 1") + order,
                     QStringLiteral("Name")),
              QStringList());
}

TEST_P(SqlShapes, ShipmentReportConditionRunsAsWritten) {
    const auto names = [this](const QString& condition) {
        return column(QStringLiteral("SELECT * FROM Table_shipment ") + condition +
                          QStringLiteral(" ORDER BY ShipmentDate DESC"),
                      QStringLiteral("Name"));
    };
    EXPECT_EQ(names(QStringLiteral(" WHERE  ArrivalConfirmed = Yes")),
              QStringList{QStringLiteral("First")});
    EXPECT_EQ(names(QStringLiteral(" WHERE  ArrivalConfirmed = No")),
              QStringList{QStringLiteral("Second")});
    EXPECT_EQ(names(QStringLiteral(" WHERE ShipmentDate >= #2026-01-01# AND  ShipmentDate <= "
                                   "#2026-02-10# AND  ArrivalConfirmed = No")),
              QStringList());
    EXPECT_EQ(names(QStringLiteral(" WHERE ShipmentDate >= #2026-01-01# AND  ShipmentDate <= "
                                   "#2026-02-11# AND  ArrivalConfirmed = No")),
              QStringList{QStringLiteral("Second")});
    EXPECT_EQ(
        names(QStringLiteral(" WHERE  ShipmentDate <= #2026-01-05# AND  ArrivalConfirmed = Yes")),
        QStringList{QStringLiteral("First")});
    EXPECT_EQ(names(QStringLiteral(" WHERE ShipmentDate >= #1/1/2026# AND  ArrivalConfirmed = No")),
              QStringList{QStringLiteral("Second")});
}

TEST_P(SqlShapes, MaxDeleteAndUpdateStatements) {
    EXPECT_EQ(next_id(session->database(), QStringLiteral(" Table_ShippingList ")), 5);
    session->openTableCursors();
    Recordset& lines = session->rs_shipping_list();
    Recordset& assets = session->rs_asset();
    EXPECT_EQ(lines.recordCount(), 4);

    EXPECT_EQ(
        session->execute(QStringLiteral("DELETE * FROM Table_ShippingList WHERE ShipmentID = 1")),
        2);
    EXPECT_EQ(
        session->execute(QStringLiteral("DELETE FROM Table_ShippingList WHERE ShipmentID = 7")), 0);
    EXPECT_EQ(session->execute(
                  QStringLiteral("UPDATE Table_asset SET ShipmentID = 0 WHERE ShipmentID = 2")),
              2);
    // The table cursors see what the statements did.
    EXPECT_EQ(lines.recordCount(), 2);
    ASSERT_TRUE(find_record_by_number(assets, QStringLiteral("ID"), 3));
    EXPECT_EQ(assets.value(QStringLiteral("ShipmentID")).toInt(), 0);
    EXPECT_EQ(session->execute(QStringLiteral("DELETE FROM Table_ShippingList")), 2);
    EXPECT_EQ(lines.recordCount(), 0);
    EXPECT_TRUE(lines.eof() && lines.bof());
}

TEST_P(SqlShapes, DatesRoundTripAsCalendarTimes) {
    auto rs = session->openRecordset(QStringLiteral("SELECT * FROM Table_shipment WHERE ID = 2"));
    EXPECT_EQ(rs->value(QStringLiteral("ShipmentDate")).toDateTime(),
              QDateTime(QDate(2026, 2, 10), QTime(14, 30), Qt::UTC));
    EXPECT_FALSE(rs->value(QStringLiteral("ExpectedReturnDate")).isValid());
    EXPECT_EQ(rs->value(QStringLiteral("ArrivalConfirmed")).toBool(), false);
}

TEST_P(SqlShapes, BadStatementsReportTheEnginesText) {
    try {
        session->openRecordset(QStringLiteral("SELECT * FROM Table_asset WHERE Nonsense = 1"));
        FAIL() << "an unknown column was accepted";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("nonsense"), Qt::CaseInsensitive))
            << e.description().toStdString();
    }
    EXPECT_THROW(session->openRecordset(QStringLiteral("SELECT * FROM Table_nothing")),
                 EngineError);
    EXPECT_THROW(
        session->openRecordset(QStringLiteral("SELECT * FROM Table_asset WHERE Name = 'x")),
        EngineError);
}

// The statement's own blanks stay where it wrote them: between keywords,
// names and aliases, and inside literals, keywords in literals included.
TEST_P(SqlShapes, TextKeepsItsBlanks) {
    auto alias = session->openRecordset(QStringLiteral(
        "SELECT [Name] AS [Full Name], ID FROM Table_equipment ORDER BY [Full Name] DESC"));
    alias->moveFirst();
    EXPECT_EQ(alias->value(QStringLiteral("Full Name")).toString(), QStringLiteral("Receiver"));
    EXPECT_EQ(
        column(QStringLiteral("SELECT MAX(ID) AS Max FROM Table_asset"), QStringLiteral("Max")),
        QStringList{QStringLiteral("3")});
    EXPECT_EQ(column(QStringLiteral("SELECT DISTINCT  EquipmentID FROM Table_asset ORDER BY "
                                    "EquipmentID DESC"),
                     QStringLiteral("EquipmentID")),
              (QStringList{QStringLiteral("2"), QStringLiteral("1")}));
    session->execute(QStringLiteral(
        "UPDATE Table_equipment SET Name = 'SELECT  x FROM  y WHERE  z' WHERE ID = 2"));
    EXPECT_EQ(column(QStringLiteral("SELECT * FROM Table_equipment WHERE Name = 'SELECT  x FROM  "
                                    "y WHERE  z' ORDER BY Name"),
                     QStringLiteral("Name")),
              QStringList{QStringLiteral("SELECT  x FROM  y WHERE  z")});
}

// A NUL character or half a surrogate pair is refused in plain words, in a
// write and in a look-up, and nothing is stored altered.
TEST_P(SqlShapes, TextThatCannotBeKeptIsRefusedPlainly) {
    auto rs = session->openRecordset(QStringLiteral("SELECT * FROM Table_category WHERE ID = 1"));
    const QString nul = QStringLiteral("Rx") + QChar(QChar::Null) + QStringLiteral("tail");
    const QString half = QStringLiteral("Rx") + QChar(0xD800);
    EXPECT_EQ(failureOf([&] { rs->setValue(QStringLiteral("Name"), nul); }),
              QStringLiteral("The text of field 'Name' holds a NUL character, which cannot be "
                             "stored"));
    EXPECT_EQ(failureOf([&] { rs->setValue(QStringLiteral("Name"), half); }),
              QStringLiteral("The text of field 'Name' holds a character that is not valid text "
                             "(half of a surrogate pair)"));
    EXPECT_EQ(failureOf([&] {
                  session->database().store().select(
                      QStringLiteral("SELECT ID FROM Table_category WHERE Name = ?"), {nul}, {});
              }),
              QStringLiteral("The text of a value holds a NUL character, which cannot be stored"));
    rs->cancelUpdate();
    EXPECT_EQ(
        column(QStringLiteral("SELECT * FROM Table_category WHERE ID = 1"), QStringLiteral("Name")),
        QStringList{QStringLiteral("Rx")});
}

// Only one statement runs per call, and text in brackets is a name, never
// SQL: neither may empty a table.
TEST_P(SqlShapes, TextAfterTheStatementOrInBracketsNeverRuns) {
    EXPECT_THROW(session->openRecordset(QStringLiteral(
                     "SELECT * FROM Table_asset WHERE ID = 1; DELETE FROM Table_contact")),
                 EngineError);
    EXPECT_THROW(session->execute(QStringLiteral(
                     "UPDATE Table_asset SET AccountID = 1; DELETE FROM Table_shipment")),
                 EngineError);
    EXPECT_EQ(record_count(*session->openRecordset(QStringLiteral(
                  "SELECT ID AS [x FROM Table_asset; DELETE FROM Table_shipment; --] "
                  "FROM Table_asset"))),
              3);
    auto quoted = session->openRecordset(
        QStringLiteral(R"(SELECT ID AS [a "b"; c] FROM Table_asset ORDER BY ID)"));
    EXPECT_EQ(record_count(*quoted), 3);
    EXPECT_EQ(record_count(*session->openRecordset(QStringLiteral("Table_shipment"))), 2);
    EXPECT_EQ(record_count(*session->openRecordset(QStringLiteral("Table_asset"))), 3);
    // A closing ";" as the views write it is fine.
    EXPECT_EQ(record_count(*session->openRecordset(QStringLiteral("SELECT * FROM Table_asset;"))),
              3);
}

TEST_P(SqlShapes, DeepNestingIsRefusedNotACrash) {
    const QString deep = QString(20000, QLatin1Char('(')) + QStringLiteral("ID = 1") +
                         QString(20000, QLatin1Char(')'));
    try {
        session->openRecordset(QStringLiteral("SELECT * FROM Table_asset WHERE ") + deep);
        FAIL() << "20,000 parentheses were accepted";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("nested")))
            << e.description().toStdString();
    }
    auto assets = session->openRecordset(QStringLiteral("Table_asset"));
    EXPECT_THROW(assets->findFirst(deep), CriteriaError);
    QStringList terms;
    for (int i = 0; i < 75000; ++i)
        terms << QStringLiteral("ID > 0");
    EXPECT_THROW(assets->findFirst(terms.join(QStringLiteral(" AND "))), CriteriaError);
    // A reasonable criteria still works afterwards.
    EXPECT_TRUE(assets->findFirst(QStringLiteral("((ID = 2)) AND ID > 1 OR ID = 9")));
}

GEARLOG_BOTH_STORES(SqlShapes);

} // namespace
