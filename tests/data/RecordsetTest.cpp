#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Cursor : public BothStores {
protected:
    void addCategory(int id, const QString& name) {
        auto rs = session->openRecordset(QStringLiteral("Table_category"));
        rs->addNew();
        rs->setValue(QStringLiteral("ID"), id);
        rs->setValue(QStringLiteral("Name"), name);
        rs->update();
    }
};

TEST_P(Cursor, NavigationAndPositionFromZero) {
    auto rs = session->openRecordset(QStringLiteral("SELECT * FROM [Table_Status] ORDER BY ID;"));
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->absolutePosition(), 0);
    rs->moveLast();
    EXPECT_EQ(rs->absolutePosition(), 8);
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Disposed"));
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_THROW(rs->value(QStringLiteral("Name")), EngineError);
    rs->moveNext(); // stays at the end
    EXPECT_TRUE(rs->eof());
    rs->setAbsolutePosition(3);
    EXPECT_EQ(rs->value(QStringLiteral("ID")).toInt(), 4);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    EXPECT_THROW(rs->setAbsolutePosition(9), EngineError);

    auto empty = session->openRecordset(QStringLiteral("Table_asset"));
    EXPECT_TRUE(empty->bof());
    EXPECT_TRUE(empty->eof());
    EXPECT_EQ(record_count(*empty), 0);
    EXPECT_FALSE(find_record_by_number(*empty, QStringLiteral("ID"), 1));
}

// A key another desk added after this cursor read its keys is found by
// asking the store, and the row joins the cursor in its sort place; a
// filtered cursor still takes only its own rows.
TEST_P(Cursor, AKeyAnotherDeskAddedIsFoundAndJoinsInOrder) {
    auto byName =
        session->openRecordset(QStringLiteral("SELECT * FROM Table_Status ORDER BY Name"));
    auto some = session->openRecordset(QStringLiteral("SELECT * FROM Table_Status WHERE ID < 20"));
    ASSERT_EQ(byName->recordCount(), 9);
    auto other = fresh->openSession();
    other->execute(QStringLiteral("INSERT INTO Table_Status (ID, Name) VALUES (40, 'Borrowed')"));
    EXPECT_TRUE(find_record_by_number(*byName, QStringLiteral("ID"), 40));
    EXPECT_EQ(byName->value(QStringLiteral("Name")).toString(), QStringLiteral("Borrowed"));
    EXPECT_EQ(byName->recordCount(), 10);
    EXPECT_EQ(byName->absolutePosition(), 0); // "Borrowed" sorts first
    byName->moveNext();
    EXPECT_EQ(byName->value(QStringLiteral("Name")).toString(), QStringLiteral("Damaged"));
    EXPECT_FALSE(find_record_by_number(*some, QStringLiteral("ID"), 40));
    EXPECT_FALSE(find_record_by_number(*byName, QStringLiteral("ID"), 41));
}

TEST_P(Cursor, FindsWithEveryCriteriaForm) {
    session->openTableCursors();
    Recordset& categories = session->rs_category();
    EXPECT_TRUE(find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("cables")));
    EXPECT_EQ(categories.value(QStringLiteral("ID")).toInt(), 3);
    EXPECT_FALSE(find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("Cable")));
    EXPECT_TRUE(categories.eof());
    EXPECT_TRUE(categories.noMatch());
    EXPECT_TRUE(find_record_by_number(categories, QStringLiteral("ID"), 5));
    EXPECT_EQ(categories.value(QStringLiteral("Name")).toString(), QStringLiteral("Ancillary"));
    // An unknown field is a refused criteria: not found, no error.
    EXPECT_FALSE(find_record_by_number(categories, QStringLiteral("Nothing"), 5));

    addCategory(7, QStringLiteral("Tom's kit"));
    EXPECT_TRUE(
        find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("Tom's kit")));
    EXPECT_EQ(categories.value(QStringLiteral("ID")).toInt(), 7);
    EXPECT_TRUE(find_record_by_text(categories, QStringLiteral("Name"), QStringLiteral("tom's KIT"),
                                    QStringLiteral("AND ID = 7")));
    EXPECT_FALSE(find_record_by_text(categories, QStringLiteral("Name"),
                                     QStringLiteral("Tom's kit"), QStringLiteral("AND ID <> 7")));
    EXPECT_TRUE(categories.findFirst(QStringLiteral("ID > 2 AND (Name = 'Radio' OR Name = 'Rx')")));
    EXPECT_EQ(categories.value(QStringLiteral("ID")).toInt(), 4);
    EXPECT_FALSE(categories.findNext(QStringLiteral("ID > 2 AND (Name = 'Radio' OR Name = 'Rx')")));
}

TEST_P(Cursor, ExtraClauseFindsTheLineOfTheOtherShipment) {
    auto lines = session->openRecordset(
        QStringLiteral("SELECT * FROM [Table_ShippingList] ORDER BY ID,ShipmentID;"));
    for (int id = 1; id <= 3; ++id) {
        lines->addNew();
        lines->setValue(QStringLiteral("ID"), id);
        lines->setValue(QStringLiteral("ShipmentID"), id);
        lines->setValue(QStringLiteral("AssetID"), 9);
        lines->setValue(QStringLiteral("IsCompleted"), id != 2);
        lines->update();
    }
    ASSERT_TRUE(find_record_by_number(*lines, QStringLiteral("AssetID"), 9,
                                      QStringLiteral(" AND ShipmentID = 2")));
    EXPECT_EQ(lines->value(QStringLiteral("ID")).toInt(), 2);
    EXPECT_TRUE(lines->findFirst(QStringLiteral("AssetID=9 AND IsCompleted=No")));
    EXPECT_EQ(lines->value(QStringLiteral("ID")).toInt(), 2);
    EXPECT_TRUE(lines->findNext(QStringLiteral("IsCompleted = Yes")));
    EXPECT_EQ(lines->value(QStringLiteral("ID")).toInt(), 3);
}

TEST_P(Cursor, NullStaysDistinctFromTheEmptyString) {
    auto contacts =
        session->openRecordset(QStringLiteral("SELECT * FROM [Table_Contact] ORDER BY Name;"));
    contacts->addNew();
    contacts->setValue(QStringLiteral("ID"), 1);
    contacts->setValue(QStringLiteral("Name"), QStringLiteral("Ann"));
    contacts->setValue(QStringLiteral("Phone"), QString());
    contacts->update();
    auto reread = session->openRecordset(QStringLiteral("Table_contact"));
    const QVariant phone = reread->value(QStringLiteral("Phone"));
    ASSERT_TRUE(phone.isValid());
    EXPECT_EQ(phone.toString(), QString());
    EXPECT_FALSE(reread->value(QStringLiteral("Email")).isValid());
    EXPECT_TRUE(reread->findFirst(QStringLiteral("Email IS NULL AND Phone = ''")));
}

TEST_P(Cursor, EditUpdateCancelAndDelete) {
    session->openTableCursors();
    Recordset& categories = session->rs_category();
    ASSERT_TRUE(find_record_by_number(categories, QStringLiteral("ID"), 2));
    categories.edit();
    categories.setValue(QStringLiteral("Name"), QStringLiteral("Transmitters"));
    EXPECT_EQ(categories.value(QStringLiteral("Name")).toString(), QStringLiteral("Transmitters"));
    categories.cancelUpdate();
    EXPECT_EQ(categories.value(QStringLiteral("Name")).toString(), QStringLiteral("Tx"));

    // A value set without Edit begins the edit; Update moves the row to its
    // new sort place and keeps it current.
    categories.setValue(QStringLiteral("Name"), QStringLiteral("Antennas"));
    categories.update();
    EXPECT_EQ(categories.value(QStringLiteral("ID")).toInt(), 2);
    EXPECT_EQ(categories.absolutePosition(), 1); // after "Ancillary"

    // Moving away drops an edit that was never updated.
    categories.setValue(QStringLiteral("Name"), QStringLiteral("Dropped"));
    categories.moveFirst();
    auto reread =
        session->openRecordset(QStringLiteral("SELECT * FROM Table_category WHERE ID = 2"));
    EXPECT_EQ(reread->value(QStringLiteral("Name")).toString(), QStringLiteral("Antennas"));

    ASSERT_TRUE(find_record_by_number(categories, QStringLiteral("ID"), 4));
    const int position = categories.absolutePosition();
    categories.deleteRecord();
    EXPECT_THROW(categories.value(QStringLiteral("Name")), EngineError);
    categories.moveNext();
    EXPECT_EQ(categories.absolutePosition(), position); // the row after the deleted one
    EXPECT_EQ(categories.value(QStringLiteral("Name")).toString(), QStringLiteral("Rx"));
    EXPECT_EQ(categories.recordCount(), 5);
}

TEST_P(Cursor, FailedUpdateKeepsTheEditAndWritesNothing) {
    session->openTableCursors();
    Recordset& categories = session->rs_category();
    categories.addNew();
    categories.setValue(QStringLiteral("ID"), 1); // taken
    categories.setValue(QStringLiteral("Name"), QStringLiteral("Clash"));
    EXPECT_THROW(categories.update(), EngineError);
    EXPECT_EQ(categories.editMode(), Recordset::EditMode::Adding);
    categories.setValue(QStringLiteral("ID"),
                        next_id(session->database(), QStringLiteral("Table_category")));
    categories.update();
    EXPECT_EQ(categories.value(QStringLiteral("ID")).toInt(), 7);
    EXPECT_EQ(categories.recordCount(), 7);
}

TEST_P(Cursor, WritesThroughJoinedTableStar) {
    auto equipment = session->openRecordset(QStringLiteral("Table_equipment"));
    equipment->addNew();
    equipment->setValue(QStringLiteral("ID"), 1);
    equipment->setValue(QStringLiteral("Name"), QStringLiteral("Radio set"));
    equipment->setValue(QStringLiteral("CategoryID"), 4);
    equipment->update();
    auto assets = session->openRecordset(
        QStringLiteral("SELECT Table_Asset.* FROM [Table_Equipment] INNER JOIN [Table_Asset] ON "
                       "[Table_Equipment].ID = [Table_Asset].EquipmentID WHERE CategoryID = 4 "
                       "ORDER BY ModelNumber,Table_asset.ID;"));
    ASSERT_TRUE(assets->isUpdatable());
    assets->addNew();
    assets->setValue(QStringLiteral("ID"), 1);
    assets->setValue(QStringLiteral("EquipmentID"), 1);
    assets->setValue(QStringLiteral("ModelNumber"), QStringLiteral("RS-1"));
    assets->setValue(QStringLiteral("PurchasePrice"), 12.5);
    assets->update();
    EXPECT_EQ(assets->recordCount(), 1);
    auto table = session->openRecordset(QStringLiteral("Table_asset"));
    EXPECT_FLOAT_EQ(table->value(QStringLiteral("PurchasePrice")).toFloat(), 12.5f);
    EXPECT_THROW(assets->setValue(QStringLiteral("DateAcquired"), QStringLiteral("not a date")),
                 EngineError);
    EXPECT_THROW(assets->setValue(QStringLiteral("EquipmentID"), QStringLiteral("one")),
                 EngineError);
}

GEARLOG_BOTH_STORES(Cursor);

} // namespace
