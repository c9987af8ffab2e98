#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Visibility : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        session->openTableCursors();
    }
    QStringList names(Recordset& rs) {
        QStringList result;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            result << rs.value(QStringLiteral("Name")).toString();
        return result;
    }
};

TEST_P(Visibility, RowsWrittenThroughOneCursorAreSeenByTheOthers) {
    Recordset& table = session->rs_category();
    auto other =
        session->openRecordset(QStringLiteral("SELECT * FROM Table_category ORDER BY Name"));
    ASSERT_TRUE(find_record_by_text(*other, QStringLiteral("Name"), QStringLiteral("Radio")));

    table.addNew();
    table.setValue(QStringLiteral("ID"), 7);
    table.setValue(QStringLiteral("Name"), QStringLiteral("antennas"));
    table.update();
    // The other cursor keeps its current row and shows the new one in place.
    EXPECT_EQ(other->value(QStringLiteral("Name")).toString(), QStringLiteral("Radio"));
    EXPECT_EQ(other->absolutePosition(), 3);
    EXPECT_EQ(names(*other),
              (QStringList{QStringLiteral("Ancillary"), QStringLiteral("antennas"),
                           QStringLiteral("Cables"), QStringLiteral("Radio"), QStringLiteral("Rx"),
                           QStringLiteral("TEM Transmitter"), QStringLiteral("Tx")}));

    // The table cursor still stands on the row it added; another cursor's
    // change of it shows there without a new find.
    ASSERT_EQ(table.value(QStringLiteral("ID")).toInt(), 7);
    ASSERT_TRUE(find_record_by_number(*other, QStringLiteral("ID"), 7));
    other->setValue(QStringLiteral("Name"), QStringLiteral("Zebra"));
    other->update();
    EXPECT_EQ(table.value(QStringLiteral("Name")).toString(), QStringLiteral("Zebra"));
    EXPECT_EQ(table.value(QStringLiteral("ID")).toInt(), 7);
    table.moveLast();
    EXPECT_EQ(table.value(QStringLiteral("ID")).toInt(), 7);

    other->deleteRecord();
    EXPECT_FALSE(find_record_by_number(table, QStringLiteral("ID"), 7));
    EXPECT_EQ(table.recordCount(), 6);
}

// A cursor sorted by a field that another cursor changes moves the row to
// its new place and keeps it as its current row (the asset form saves the
// model number of the row the model-sorted cursor stands on).
TEST_P(Visibility, ARowWhoseSortKeyChangesStaysCurrent) {
    Recordset& table = session->rs_category();
    auto sorted =
        session->openRecordset(QStringLiteral("SELECT * FROM Table_category ORDER BY Name"));
    ASSERT_TRUE(find_record_by_text(*sorted, QStringLiteral("Name"), QStringLiteral("Ancillary")));
    ASSERT_EQ(sorted->absolutePosition(), 0);
    ASSERT_TRUE(find_record_by_text(table, QStringLiteral("Name"), QStringLiteral("Ancillary")));
    table.setValue(QStringLiteral("Name"), QStringLiteral("Workshop"));
    table.update();

    EXPECT_EQ(sorted->value(QStringLiteral("Name")).toString(), QStringLiteral("Workshop"));
    EXPECT_EQ(sorted->absolutePosition(), 5);
    sorted->edit();
    sorted->setValue(QStringLiteral("Name"), QStringLiteral("Aerials"));
    sorted->update();
    EXPECT_EQ(sorted->absolutePosition(), 0);
    EXPECT_EQ(table.value(QStringLiteral("Name")).toString(), QStringLiteral("Aerials"));
    sorted->moveNext();
    EXPECT_EQ(sorted->value(QStringLiteral("Name")).toString(), QStringLiteral("Cables"));
}

// The session's table cursors read nothing when opened: the first use
// reads the table as it is then, other desks' rows included.
TEST_P(Visibility, TableCursorsReadTheirRowsAtFirstUse) {
    auto later = fresh->openSession();
    later->openTableCursors();
    session->execute(QStringLiteral("UPDATE Table_status SET Name = 'Written later' WHERE ID = 2"));
    ASSERT_TRUE(find_record_by_number(later->rs_status(), QStringLiteral("ID"), 2));
    EXPECT_EQ(later->rs_status().value(QStringLiteral("Name")).toString(),
              QStringLiteral("Written later"));
}

TEST_P(Visibility, FilteredCursorsTakeOnlyMatchingRows) {
    auto open = session->openRecordset(QStringLiteral(
        "SELECT * FROM [Table_ShippingList] WHERE ShipmentID = 5 ORDER BY AssetID;"));
    Recordset& lines = session->rs_shipping_list();
    for (int id = 1; id <= 3; ++id) {
        lines.addNew();
        lines.setValue(QStringLiteral("ID"), id);
        lines.setValue(QStringLiteral("ShipmentID"), id == 2 ? 6 : 5);
        lines.setValue(QStringLiteral("AssetID"), 10 - id);
        lines.update();
    }
    ASSERT_EQ(open->recordCount(), 2);
    open->moveFirst();
    EXPECT_EQ(open->value(QStringLiteral("AssetID")).toInt(), 7); // sorted by asset
    // A row that stops matching leaves the filtered cursor.
    ASSERT_TRUE(find_record_by_number(lines, QStringLiteral("ID"), 3));
    lines.setValue(QStringLiteral("ShipmentID"), 6);
    lines.update();
    EXPECT_EQ(open->recordCount(), 1);
}

TEST_P(Visibility, RollbackShowsTheDatabaseAsItIs) {
    Recordset& categories = session->rs_category();
    auto other = session->openRecordset(QStringLiteral("Table_category"));
    {
        Transaction tx(session->database());
        categories.addNew();
        categories.setValue(QStringLiteral("ID"), 7);
        categories.setValue(QStringLiteral("Name"), QStringLiteral("Temporary"));
        categories.update();
        ASSERT_TRUE(find_record_by_number(categories, QStringLiteral("ID"), 1));
        categories.setValue(QStringLiteral("Name"), QStringLiteral("Renamed"));
        categories.update();
        ASSERT_TRUE(find_record_by_number(*other, QStringLiteral("ID"), 3));
        other->deleteRecord();
        EXPECT_EQ(categories.recordCount(), 6);
        // leaving the scope rolls back
    }
    EXPECT_EQ(names(categories),
              (QStringList{QStringLiteral("Ancillary"), QStringLiteral("Cables"),
                           QStringLiteral("Radio"), QStringLiteral("Rx"),
                           QStringLiteral("TEM Transmitter"), QStringLiteral("Tx")}));
    EXPECT_EQ(other->recordCount(), 6);
    EXPECT_FALSE(find_record_by_number(*other, QStringLiteral("ID"), 7));
}

TEST_P(Visibility, CommittedTransactionStays) {
    Recordset& statuses = session->rs_status();
    Transaction tx(session->database());
    for (int id = 10; id < 13; ++id) {
        statuses.addNew();
        statuses.setValue(QStringLiteral("ID"), id);
        statuses.setValue(QStringLiteral("Name"), QStringLiteral("S%1").arg(id));
        statuses.update();
    }
    tx.commit();
    auto reopened = fresh->openSession();
    auto rs = reopened->openRecordset(QStringLiteral("Table_status"));
    EXPECT_EQ(rs->recordCount(), 12);
}

TEST_P(Visibility, FailedMultiRowCommandLeavesNothing) {
    Recordset& statuses = session->rs_status();
    try {
        Transaction tx(session->database());
        statuses.addNew();
        statuses.setValue(QStringLiteral("ID"), 10);
        statuses.setValue(QStringLiteral("Name"), QStringLiteral("Fine"));
        statuses.update();
        statuses.addNew();
        statuses.setValue(QStringLiteral("ID"), 11);
        statuses.setValue(QStringLiteral("Name"), QString()); // refused: empty name
        statuses.update();
        tx.commit();
        FAIL() << "an empty name was accepted";
    } catch (const EngineError&) {
    }
    statuses.cancelUpdate();
    EXPECT_EQ(statuses.recordCount(), 9);
    auto rs = fresh->openSession()->openRecordset(QStringLiteral("Table_status"));
    EXPECT_EQ(rs->recordCount(), 9);
}

TEST_P(Visibility, UpdatingARowAnotherDeskDeletedIsRefused) {
    auto otherDesk = fresh->openSession();
    Recordset& statuses = session->rs_status();
    ASSERT_TRUE(find_record_by_number(statuses, QStringLiteral("ID"), 5));
    otherDesk->execute(QStringLiteral("DELETE FROM Table_status WHERE ID = 5"));
    statuses.setValue(QStringLiteral("Name"), QStringLiteral("Mislaid"));
    try {
        statuses.update();
        FAIL() << "an update of a deleted row was reported as done";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("deleted")))
            << e.description().toStdString();
    }
    EXPECT_EQ(statuses.recordCount(), 8);
    EXPECT_FALSE(find_record_by_number(statuses, QStringLiteral("ID"), 5));
}

GEARLOG_BOTH_STORES(Visibility);

} // namespace
