// Storing a shipping list and returning its lines, on both stores and with
// two desks, checked against the line-state rules of the database check.
#include "ShippingLines.h"
#include "DatabaseCheck.h"
#include "EngineError.h"
#include "LineStates.h"
#include "RecordHelpers.h"
#include "TestStores.h"

#include <QThread>
#include <thread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

const QDateTime saveMoment(QDate(2026, 5, 4), QTime(10, 30));

// Assets 1 to 4 in stock; shipments are stored through the lines code.
class Lines : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        session->openTableCursors();
        for (int id = 1; id <= 4; ++id)
            addStockAsset(*session, id);
    }
    void TearDown() override { EXPECT_EQ(checkDatabase(*fresh->openStore()), QStringList()); }
    // Stores a shipment and its list in one transaction, as a save does.
    int ship(Session& desk, const std::vector<int>& assets, int existing = -1) {
        Transaction transaction(desk.database());
        Recordset& shipments = desk.rs_shipment();
        if (existing > 0) {
            EXPECT_TRUE(find_record_by_number(shipments, QStringLiteral("ID"), existing));
        } else {
            add_new_record(shipments, desk.database(), QStringLiteral("Table_Shipment"));
            shipments.setValue(QStringLiteral("Name"), QStringLiteral("Trip"));
            shipments.update();
        }
        const int id = existing > 0 ? existing : shipments.value(QStringLiteral("ID")).toInt();
        store_shipping_list(desk, id, existing > 0 ? existing : -1, assets, saveMoment);
        transaction.commit();
        return id;
    }
    QStringList lines() { return lineStates(*fresh); }
    int shipmentOf(int asset) {
        auto rs = fresh->openSession()->openRecordset(
            QStringLiteral("SELECT * FROM Table_Asset WHERE ID = %1").arg(asset));
        return rs->value(QStringLiteral("ShipmentID")).toInt();
    }
    QVariant completion(int shipment, int asset) {
        auto rs = fresh->openSession()->openRecordset(
            QStringLiteral(
                "SELECT * FROM Table_ShippingList WHERE ShipmentID = %1 AND AssetID = %2")
                .arg(shipment)
                .arg(asset));
        return rs->value(QStringLiteral("CompletionDate"));
    }
    // Returns the asset's line of the shipment, as the view does with the
    // shipment's lines in the working cursor.
    ReturnResult giveBack(int shipment, int asset, const QDateTime& date) {
        session->open_shipping_query(
            QStringLiteral("SELECT * FROM [Table_ShippingList] WHERE ShipmentID = %1 ORDER BY "
                           "AssetID;")
                .arg(shipment));
        Transaction transaction(session->database());
        const ReturnResult result = return_line(*session, shipment, asset, date);
        transaction.commit();
        return result;
    }
};

TEST_P(Lines, SavingMovesAssetsAndATransferCompletesTheLineLeft) {
    const int first = ship(*session, {1, 2});
    EXPECT_EQ(lines(), strings({"1:1:0:-1", "1:2:0:-1"}));
    EXPECT_EQ(shipmentOf(1), first);
    // Asset 2 goes on from the first shipment to a second.
    const int second = ship(*session, {2, 3});
    EXPECT_EQ(lines(), strings({"1:1:0:-1", "1:2:1:2", "2:2:0:-1", "2:3:0:-1"}));
    EXPECT_EQ(completion(first, 2).toDateTime(), saveMoment);
    EXPECT_EQ(shipmentOf(2), second);
    // Saving the second again with one more asset adds only that line.
    ship(*session, {2, 3, 4}, second);
    EXPECT_EQ(lines().size(), 5);
    EXPECT_EQ(shipmentOf(4), second);
}

TEST_P(Lines, CompletedRowsStayHistoryAndAVanishedAssetRefusesTheSave) {
    const int first = ship(*session, {1, 2});
    EXPECT_TRUE(giveBack(first, 1, saveMoment).changed);
    const int second = ship(*session, {2});
    // The first shipment saved again, or saved as a new one, with both rows
    // on screen: its returned and transferred lines stay history, their
    // assets stay put.
    ship(*session, {1, 2}, first);
    const QStringList history = strings({"1:1:1:-1", "1:2:1:2", "2:2:0:-1"});
    EXPECT_EQ(lines(), history);
    {
        Transaction transaction(session->database());
        store_shipping_list(*session, ship(*session, {}), first, {1, 2}, saveMoment);
        transaction.commit();
    }
    EXPECT_EQ(lines(), history);
    EXPECT_EQ(shipmentOf(1), 0);
    EXPECT_EQ(shipmentOf(2), second);
    // An asset another desk deleted is not silently left out.
    session->execute(QStringLiteral("DELETE FROM Table_Asset WHERE ID = 3"));
    EXPECT_EQ(failureOf([&] {
                  ship(*session, {4, 3}, second);
              }),
              QStringLiteral("The asset 3 was deleted by another user"));
    EXPECT_EQ(lines(), history);
}

TEST_P(Lines, ReturningCompletesTheLineAndRestocksTheAssetTogether) {
    const int first = ship(*session, {1, 2, 3});
    const QDateTime chosen(QDate(2026, 3, 3), QTime(0, 0));
    const ReturnResult returned = giveBack(first, 1, chosen);
    EXPECT_EQ(returned.line.state, LineState::Open);
    EXPECT_TRUE(returned.changed);
    EXPECT_EQ(completion(first, 1).toDate(), QDate(2026, 3, 3));
    EXPECT_EQ(shipmentOf(1), 0);
    // Again: refused as returned, nothing changes.
    const ReturnResult again = giveBack(first, 1, chosen);
    EXPECT_EQ(again.line.state, LineState::Returned);
    EXPECT_FALSE(again.changed);
    // A transferred line is refused with the next shipment's name.
    const int second = ship(*session, {2});
    const ReturnResult moved = giveBack(first, 2, chosen);
    EXPECT_EQ(moved.line.state, LineState::Transferred);
    EXPECT_EQ(moved.line.transferName, QStringLiteral("Trip"));
    EXPECT_FALSE(moved.changed);
    EXPECT_EQ(shipmentOf(2), second);
    EXPECT_EQ(giveBack(first, 4, chosen).line.state, LineState::NotStored);
}

// An asset that was returned and later went out again is never taken off
// its new shipment by a return on the old one; one that still claims the
// old shipment is put back in stock.
TEST_P(Lines, AReturnedLineOnlyRestocksAnAssetStillOnItsShipment) {
    const int first = ship(*session, {1, 2});
    giveBack(first, 1, saveMoment);
    giveBack(first, 2, saveMoment);
    const int second = ship(*session, {1});
    EXPECT_FALSE(giveBack(first, 1, saveMoment).changed);
    EXPECT_EQ(shipmentOf(1), second);
    session->execute(
        QStringLiteral("UPDATE Table_Asset SET ShipmentID = %1 WHERE ID = 2").arg(first));
    EXPECT_TRUE(giveBack(first, 2, saveMoment).changed);
    EXPECT_EQ(shipmentOf(2), 0);
}

// Desk B transfers asset 2 on while desk A, which read it on the first
// shipment, ships it again: A's save reads where the asset is now and
// completes B's line, not the old one.
TEST_P(Lines, ASaveSeesWhereAnotherDeskMovedTheAsset) {
    auto other = fresh->openSession();
    other->openTableCursors();
    const int first = ship(*session, {1, 2});
    ASSERT_TRUE(find_record_by_number(session->rs_asset(), QStringLiteral("ID"), 2));
    EXPECT_EQ(session->rs_asset().value(QStringLiteral("ShipmentID")).toInt(), first);
    const int byB = ship(*other, {2});
    const int byA = ship(*session, {2});
    EXPECT_EQ(lines(), strings({"1:1:0:-1", "1:2:1:2", "2:2:1:3", "3:2:0:-1"}));
    EXPECT_EQ(shipmentOf(2), byA);
    EXPECT_NE(byA, byB);
}

// A save that fails halfway leaves the database as it was: the shipment,
// its lines, the completed lines and the moves go together or not at all.
TEST_P(Lines, AFailedSaveLeavesNothingBehind) {
    const int first = ship(*session, {1});
    const QStringList before = lines();
    const QString failure = failureOf([&] {
        Transaction transaction(session->database());
        Recordset& shipments = session->rs_shipment();
        add_new_record(shipments, session->database(), QStringLiteral("Table_Shipment"));
        shipments.setValue(QStringLiteral("Name"), QStringLiteral("Second"));
        shipments.update();
        store_shipping_list(*session, shipments.value(QStringLiteral("ID")).toInt(), -1, {1, 2},
                            saveMoment);
        // The engine refuses the last write of the command.
        shipments.setValue(QStringLiteral("Name"), QString(256, QLatin1Char('x')));
        shipments.update();
        transaction.commit();
    });
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(shipmentOf(1), first);
    EXPECT_EQ(shipmentOf(2), 0);
    EXPECT_EQ(session->rs_shipment().recordCount(), 1);
    EXPECT_EQ(session->rs_shipping_list().recordCount(), 1);
    EXPECT_TRUE(find_record_by_number(session->rs_asset(), QStringLiteral("ID"), 2));
    EXPECT_EQ(session->rs_asset().value(QStringLiteral("ShipmentID")).toInt(), 0);
}

// A shipment whose key a completed line names as where its asset went
// keeps that key: a new shipment must not inherit the history.
TEST_P(Lines, AShipmentNamedAsATransferIsNotDeleted) {
    const int first = ship(*session, {1});
    const int second = ship(*session, {1});
    const auto deleteShipment = [&](int id) {
        Transaction transaction(session->database());
        const Deletion deletion = delete_shipment(*session, id);
        transaction.commit();
        return deletion;
    };
    EXPECT_EQ(
        deleteShipment(second).refusal,
        QStringLiteral("You cannot delete this shipment as the shipping list is not empty 2"));
    // Its line lost by an older version: still refused, now by the transfer.
    session->execute(QStringLiteral("DELETE FROM Table_ShippingList WHERE ID = 2"));
    EXPECT_EQ(deleteShipment(second).refusal,
              QStringLiteral("You cannot delete this shipment as items of the shipment Trip were "
                             "transferred to it"));
    EXPECT_EQ(session->openRecordset(QStringLiteral("Table_Shipment"))->recordCount(), 2);
    session->execute(QStringLiteral("UPDATE Table_ShippingList SET IsCompleted = No, TransferID = "
                                    "-1, CompletionDate = Null WHERE ID = 1"));
    session->execute(
        QStringLiteral("UPDATE Table_Asset SET ShipmentID = %1 WHERE ID = 1").arg(first));
    EXPECT_TRUE(deleteShipment(second).deleted);
}

GEARLOG_BOTH_STORES(Lines);

// Twenty races on the server between a save that names an asset or a
// shipment and a delete of it, each desk with its own connection, either
// going first: one of the two is refused every time, and no line is left
// naming a row that is gone.
TEST(ServerRaces, ASaveAndADeleteOfWhatItNamesNeverBothCommit) {
    FreshDatabase fresh(Engine::Postgres);
    auto desk = fresh.openSession();
    desk->openTableCursors();
    constexpr int rounds = 20;
    for (int id = 1; id <= rounds; ++id)
        addStockAsset(*desk, id);
    // A save onto a stored shipment (its row rewritten, the asset listed);
    // the delete takes the asset or that shipment.
    const auto save = [](Session& s, int shipment, int asset) {
        auto transaction = std::make_unique<Transaction>(s.database());
        Recordset& shipments = s.rs_shipment();
        EXPECT_TRUE(find_record_by_number(shipments, QStringLiteral("ID"), shipment));
        shipments.setValue(QStringLiteral("Name"), QStringLiteral("Saved"));
        shipments.update();
        store_shipping_list(s, shipment, shipment, {asset}, saveMoment);
        return transaction;
    };
    const auto remove = [](Session& s, bool asset, int id) {
        auto transaction = std::make_unique<Transaction>(s.database());
        const Deletion d = asset ? delete_asset(s, id) : delete_shipment(s, id);
        return std::pair{std::move(transaction), d};
    };
    int refusals = 0;
    for (int round = 0; round < rounds; ++round) {
        const int asset = round + 1;
        const bool deletesAsset = round % 4 < 2, saveFirst = round % 2 == 0;
        Recordset& shipments = desk->rs_shipment();
        add_new_record(shipments, desk->database(), QStringLiteral("Table_Shipment"));
        shipments.setValue(QStringLiteral("Name"), QStringLiteral("Trip %1").arg(round));
        shipments.update();
        const int shipment = shipments.value(QStringLiteral("ID")).toInt();
        QString second; // what befell the desk that came second
        const auto secondDesk = [&] {
            auto other = fresh.openSession();
            other->openTableCursors();
            second = failureOf([&] {
                if (saveFirst) {
                    auto [transaction, d] =
                        remove(*other, deletesAsset, deletesAsset ? asset : shipment);
                    transaction->commit();
                    if (!d.deleted)
                        throw EngineError(d.refusal);
                } else {
                    save(*other, shipment, asset)->commit();
                }
            });
        };
        std::thread later;
        if (saveFirst) {
            auto transaction = save(*desk, shipment, asset);
            later = std::thread(secondDesk);
            QThread::msleep(150);
            transaction->commit();
        } else {
            auto [transaction, d] = remove(*desk, deletesAsset, deletesAsset ? asset : shipment);
            EXPECT_TRUE(d.deleted);
            later = std::thread(secondDesk);
            QThread::msleep(150);
            transaction->commit();
        }
        later.join();
        refusals += second.isEmpty() ? 0 : 1;
        EXPECT_FALSE(second.isEmpty()) << "round " << round;
    }
    EXPECT_EQ(refusals, rounds);
    EXPECT_EQ(checkDatabase(*fresh.openStore()), QStringList());
}

} // namespace
