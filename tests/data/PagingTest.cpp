// Cursors read rows a page at a time: what they show must not depend on
// where the pages begin and end, on what is cached, or on what another
// cursor or desk did between two reads.
#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

using namespace gearlog;
using namespace gearlog::test;

namespace {

constexpr int rows = 300; // many pages, more than a cursor keeps

class Paging : public BothStores {
protected:
    void SetUp() override {
        Recordset::setPaging({16, 64, 0});
        BothStores::SetUp();
        // Names sort in the opposite order to the keys.
        Transaction tx(session->database());
        for (int id = 1; id <= rows; ++id) {
            session->execute(QStringLiteral("INSERT INTO Table_address (ID, Name, ColourCode) "
                                            "VALUES (%1, 'Place %2', 0)")
                                 .arg(id)
                                 .arg(rows - id, 3, 10, QLatin1Char('0')));
            session->execute(QStringLiteral("INSERT INTO Table_contact (ID, Name, AddressID) "
                                            "VALUES (%1, 'Person %2', %3)")
                                 .arg(id)
                                 .arg(id, 3, 10, QLatin1Char('0'))
                                 .arg(id % 2 == 0 ? id : 0));
        }
        tx.commit();
    }

    void TearDown() override { Recordset::setPaging({}); }

    static QList<int> keysForwards(Recordset& rs) {
        QList<int> keys;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            keys << rs.value(QStringLiteral("ID")).toInt();
        return keys;
    }
    static QList<int> keysBackwards(Recordset& rs) {
        QList<int> keys;
        for (rs.moveLast(); !rs.bof(); rs.movePrevious())
            keys.prepend(rs.value(QStringLiteral("ID")).toInt());
        return keys;
    }
    static QList<int> range(int from, int to, int step) {
        QList<int> keys;
        for (int k = from; step > 0 ? k <= to : k >= to; k += step)
            keys << k;
        return keys;
    }
};

TEST_P(Paging, EveryRowOnceInOrderBothWaysAndAtAnyPosition) {
    auto byName = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY "
                                                        "Name"));
    auto byKey = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY ID"));
    EXPECT_EQ(keysForwards(*byName), range(rows, 1, -1));
    EXPECT_EQ(keysBackwards(*byName), range(rows, 1, -1));
    EXPECT_EQ(keysBackwards(*byKey), range(1, rows, 1));
    EXPECT_EQ(keysForwards(*byKey), range(1, rows, 1));

    // Near the end, and back over a page boundary.
    byKey->setAbsolutePosition(rows - 1);
    EXPECT_EQ(byKey->value(QStringLiteral("ID")).toInt(), rows);
    byKey->moveNext();
    EXPECT_TRUE(byKey->eof());
    byKey->setAbsolutePosition(rows - 2);
    EXPECT_EQ(byKey->value(QStringLiteral("Name")).toString(), QStringLiteral("Place 001"));
    EXPECT_THROW(byKey->setAbsolutePosition(rows), EngineError);
    byName->setAbsolutePosition(128);
    byName->movePrevious();
    EXPECT_EQ(byName->absolutePosition(), 127);
    EXPECT_EQ(byName->value(QStringLiteral("ID")).toInt(), rows - 127);

    // Finds by key and by criterion reach rows on pages never read.
    EXPECT_TRUE(find_record_by_number(*byName, QStringLiteral("ID"), 7));
    EXPECT_EQ(byName->absolutePosition(), rows - 7);
    EXPECT_TRUE(byName->findFirst(QStringLiteral("Name = 'Place 250'")));
    EXPECT_EQ(byName->value(QStringLiteral("ID")).toInt(), 50);
    EXPECT_TRUE(byName->findNext(QStringLiteral("ColourCode = 0")));
    EXPECT_EQ(byName->value(QStringLiteral("ID")).toInt(), 49);
}

// The row's page is already read when another cursor changes it: this
// cursor shows the new values, and the row at its new place.
TEST_P(Paging, ARowWrittenElsewhereWhileItsPageIsCached) {
    auto reader = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY "
                                                        "Name"));
    reader->setAbsolutePosition(150); // ID 150, "Place 150"
    reader->moveNext();               // ID 149, on the same page
    auto writer = session->openRecordset(QStringLiteral("SELECT * FROM Table_address"));
    ASSERT_TRUE(find_record_by_number(*writer, QStringLiteral("ID"), 149));
    writer->setValue(QStringLiteral("ColourCode"), 255);
    writer->update();
    EXPECT_EQ(reader->value(QStringLiteral("ColourCode")).toInt(), 255);
    EXPECT_EQ(reader->absolutePosition(), 151);

    writer->setValue(QStringLiteral("Name"), QStringLiteral("Place 000a"));
    writer->update();
    // It stays the current row, now among the first.
    EXPECT_EQ(reader->value(QStringLiteral("ID")).toInt(), 149);
    EXPECT_EQ(reader->absolutePosition(), 1);
    EXPECT_EQ(keysForwards(*reader).mid(0, 3), (QList<int>{rows, 149, rows - 1}));
    EXPECT_EQ(reader->recordCount(), rows);
}

// Another desk deletes rows after this cursor read its keys: a walk
// passes over them, a find does not find them, an update is refused.
TEST_P(Paging, RowsAnotherDeskDeletedBetweenTwoReads) {
    auto cursor = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY ID"));
    ASSERT_TRUE(find_record_by_number(*cursor, QStringLiteral("ID"), 100));
    auto otherDesk = fresh->openSession();
    otherDesk->execute(QStringLiteral("DELETE FROM Table_address WHERE ID IN (100, 200, 201)"));

    // The row already read still shows, but cannot be written.
    EXPECT_EQ(cursor->value(QStringLiteral("ID")).toInt(), 100);
    cursor->setValue(QStringLiteral("Name"), QStringLiteral("Mislaid"));
    EXPECT_TRUE(failureOf([&] { cursor->update(); }).contains(QStringLiteral("deleted")));

    QList<int> expected = range(1, rows, 1);
    expected.removeAll(100);
    expected.removeAll(200);
    expected.removeAll(201);
    EXPECT_EQ(keysForwards(*cursor), expected);
    EXPECT_EQ(cursor->recordCount(), rows - 3);
    EXPECT_FALSE(find_record_by_number(*cursor, QStringLiteral("ID"), 200));

    otherDesk->execute(QStringLiteral("DELETE FROM Table_address WHERE ID = 250"));
    expected.removeAll(250);
    cursor->requery();
    EXPECT_EQ(keysBackwards(*cursor), expected);
}

// A cursor over a join reads its pages with the join's condition and
// writes its base table.
TEST_P(Paging, ACursorOverAJoin) {
    auto joined = session->openRecordset(
        QStringLiteral("SELECT Table_contact.* FROM Table_address INNER JOIN Table_contact ON "
                       "Table_contact.AddressID = Table_address.ID WHERE Table_address.ColourCode "
                       "= 0 ORDER BY Table_contact.Name DESC"));
    ASSERT_TRUE(joined->isUpdatable());
    EXPECT_EQ(keysForwards(*joined), range(rows, 2, -2));
    joined->setAbsolutePosition(70);
    EXPECT_EQ(joined->value(QStringLiteral("Name")).toString(), QStringLiteral("Person 160"));
    joined->setValue(QStringLiteral("Phone"), QStringLiteral("555"));
    joined->update();
    auto contacts = session->openRecordset(QStringLiteral("SELECT * FROM Table_contact WHERE "
                                                          "ID = 160"));
    EXPECT_EQ(contacts->value(QStringLiteral("Phone")).toString(), QStringLiteral("555"));

    // A row that leaves the join's condition leaves the cursor.
    session->execute(QStringLiteral("UPDATE Table_address SET ColourCode = 1 WHERE ID = 160"));
    contacts->setValue(QStringLiteral("Phone"), QStringLiteral("556"));
    contacts->update();
    EXPECT_EQ(joined->recordCount(), rows / 2 - 1);
}

// A cursor of a list's size is read whole on a walk, and still passes over
// rows another desk deleted and shows rows another cursor changed.
TEST_P(Paging, AListSizedCursorReadWhole) {
    Recordset::setPaging({16, 64, 1000});
    auto cursor = session->openRecordset(QStringLiteral("SELECT * FROM Table_address ORDER BY "
                                                        "Name"));
    ASSERT_EQ(cursor->recordCount(), rows);
    fresh->openSession()->execute(QStringLiteral("DELETE FROM Table_address WHERE ID = 7"));
    QList<int> expected = range(rows, 1, -1);
    expected.removeAll(7);
    EXPECT_EQ(keysForwards(*cursor), expected);
    session->execute(QStringLiteral("UPDATE Table_address SET ColourCode = 5 WHERE ID = 8"));
    EXPECT_TRUE(find_record_by_number(*cursor, QStringLiteral("ID"), 8));
    EXPECT_EQ(cursor->value(QStringLiteral("ColourCode")).toInt(), 5);
}

GEARLOG_BOTH_STORES(Paging);

} // namespace
