// Two desks on one database: two sessions (two connections), on each store.
#include "ChangeHistory.h"
#include "DatabaseCheck.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "TestStores.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <thread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Desks : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        session->openTableCursors();
        other = fresh->openSession();
        other->openTableCursors();
    }
    void TearDown() override {
        // Nothing lost, nothing dangling, whatever the scenario did.
        EXPECT_EQ(checkDatabase(*fresh->openStore()), QStringList());
    }
    static QString rename(Recordset& cursor, int id, const QString& name) {
        if (!find_record_by_number(cursor, QStringLiteral("ID"), id))
            return QStringLiteral("not found");
        cursor.setValue(QStringLiteral("Name"), name);
        try {
            cursor.update();
        } catch (const EngineError& e) {
            cursor.cancelUpdate();
            return e.description();
        }
        return {};
    }
    QString storedName(const char* table, int id) {
        auto rs = fresh->openSession()->openRecordset(
            QStringLiteral("SELECT * FROM %1 WHERE ID = %2").arg(QLatin1String(table)).arg(id));
        return rs->eof() ? QString() : rs->value(QStringLiteral("Name")).toString();
    }
    std::unique_ptr<Session> other; // desk B; `session` is desk A
};

// A delete compares like a save: B's delete of the row A changed since B
// read it is refused and deletes nothing; the history never says it did.
TEST_P(Desks, ADeleteOfAChangedRowIsRefusedAndADateWithoutTimeIsNoChange) {
    Recordset& a = session->rs_status();
    Recordset& b = other->rs_status();
    ASSERT_TRUE(find_record_by_number(b, QStringLiteral("ID"), 5));
    EXPECT_EQ(rename(a, 5, QStringLiteral("Written by A")), QString());
    EXPECT_EQ(failureOf([&] { b.deleteRecord(); }),
              QStringLiteral("The record was changed by another user"));
    EXPECT_EQ(storedName("Table_status", 5), QStringLiteral("Written by A"));
    for (const HistoryEntry& e : read_history(*fresh->openStore(), {}))
        EXPECT_NE(e.action, QStringLiteral("Deleted"));

    // A date another program stored without its time is the same value.
    addStockAsset(*session, 1);
    fresh->openStore()->execute(
        QStringLiteral("UPDATE Table_asset SET DateAcquired = '2015-03-21' WHERE ID = 1"), {});
    Recordset& assets = other->rs_asset();
    ASSERT_TRUE(find_record_by_number(assets, QStringLiteral("ID"), 1));
    assets.setValue(QStringLiteral("SerialNumber"), QStringLiteral("S-1"));
    EXPECT_EQ(failureOf([&] { assets.update(); }), QString());
    EXPECT_EQ(failureOf([&] { assets.deleteRecord(); }), QString());
}

// A saves, then B saves the row it read before: B is refused and sees A's
// values; nothing of A's is lost.
TEST_P(Desks, ASecondSaveOfAChangedRowIsRefused) {
    Recordset& a = session->rs_status();
    Recordset& b = other->rs_status();
    ASSERT_TRUE(find_record_by_number(b, QStringLiteral("ID"), 5)); // B has read the row
    EXPECT_EQ(rename(a, 5, QStringLiteral("Written by A")), QString());
    EXPECT_EQ(rename(b, 5, QStringLiteral("Written by B")),
              QStringLiteral("The record was changed by another user"));
    EXPECT_EQ(storedName("Table_status", 5), QStringLiteral("Written by A"));
    EXPECT_EQ(b.value(QStringLiteral("Name")).toString(), QStringLiteral("Written by A"));
    // Having seen A's values, B may save over them.
    EXPECT_EQ(rename(b, 5, QStringLiteral("Written by B")), QString());
    EXPECT_EQ(storedName("Table_status", 5), QStringLiteral("Written by B"));
    // A change of letter case alone is a change too.
    EXPECT_EQ(rename(a, 5, QStringLiteral("WRITTEN BY B")),
              QStringLiteral("The record was changed by another user"));
}

// Numbers the file keeps more precisely than a cursor reads them are not
// taken for another desk's change.
TEST_P(Desks, UnchangedRowsSaveWhateverTheirNumbers) {
    fresh->openStore()->execute(
        QStringLiteral("INSERT INTO Table_equipment (ID, Name, CategoryID, Weight, Height, "
                       "Width) VALUES (1, 'Pump', 1, 3.1, 0.123456789, NULL)"),
        {});
    Recordset& equipment = session->rs_equipment();
    equipment.requery();
    EXPECT_EQ(rename(equipment, 1, QStringLiteral("Pump Mk2")), QString());
    EXPECT_EQ(storedName("Table_equipment", 1), QStringLiteral("Pump Mk2"));
}

// A's new name is seen by B's duplicate check although B's cursor was read
// before A wrote it; a name A changed away is free again for B.
TEST_P(Desks, DuplicateChecksReadTheDatabase) {
    Recordset& a = session->rs_photo();
    Recordset& b = other->rs_photo();
    EXPECT_FALSE(
        find_stored_record_by_text(b, QStringLiteral("Name"), QStringLiteral("Pump front")));
    add_new_record(a, session->database(), QStringLiteral("Table_photo"));
    a.setValue(QStringLiteral("Name"), QStringLiteral("Pump front"));
    a.update();
    ASSERT_TRUE(
        find_stored_record_by_text(b, QStringLiteral("Name"), QStringLiteral("PUMP FRONT")));
    EXPECT_EQ(b.value(QStringLiteral("ID")).toInt(), a.value(QStringLiteral("ID")).toInt());
    EXPECT_EQ(rename(a, a.value(QStringLiteral("ID")).toInt(), QStringLiteral("Pump back")),
              QString());
    EXPECT_FALSE(
        find_stored_record_by_text(b, QStringLiteral("Name"), QStringLiteral("Pump front")));
}

// 1,000 adds on each of two desks at the same moment: every row arrives
// with a key of its own, the key each was given.
TEST_P(Desks, SimultaneousAddsNeverCollide) {
    constexpr int perDesk = 1000;
    auto addMany = [this](const QString& prefix, QStringList* failures, QList<int>* keys) {
        auto desk = fresh->openSession();
        auto statuses = desk->openRecordset(QStringLiteral("Table_status"));
        for (int i = 0; i < perDesk; ++i) {
            try {
                Transaction tx(desk->database());
                add_new_record(*statuses, desk->database(), QStringLiteral("Table_status"));
                const int key = statuses->value(QStringLiteral("ID")).toInt();
                statuses->setValue(QStringLiteral("Name"), prefix + QString::number(i));
                statuses->update();
                tx.commit();
                keys->append(key);
            } catch (const EngineError& e) {
                failures->append(e.description());
            }
        }
    };
    session.reset();
    other.reset();
    QStringList failuresA, failuresB;
    QList<int> keysA, keysB;
    std::thread deskA(addMany, QStringLiteral("A"), &failuresA, &keysA);
    std::thread deskB(addMany, QStringLiteral("B"), &failuresB, &keysB);
    deskA.join();
    deskB.join();
    EXPECT_EQ(failuresA.size() + failuresB.size(), 0)
        << (failuresA + failuresB).value(0).toStdString();
    auto stored = fresh->openSession()->openRecordset(
        QStringLiteral("SELECT * FROM Table_status WHERE ID > 9 ORDER BY ID"));
    EXPECT_EQ(record_count(*stored), 2 * perDesk);
    QSet<int> given(keysA.cbegin(), keysA.cend());
    given.unite(QSet<int>(keysB.cbegin(), keysB.cend()));
    EXPECT_EQ(given.size(), 2 * perDesk);
    for (stored->moveFirst(); !stored->eof(); stored->moveNext()) {
        const int key = stored->value(QStringLiteral("ID")).toInt();
        const QString name = stored->value(QStringLiteral("Name")).toString();
        EXPECT_TRUE((name.startsWith(QLatin1Char('A')) ? keysA : keysB).contains(key))
            << name.toStdString() << " stored under another key";
    }
}

// B waits for the row A holds only as long as the bound, then gives up
// with a message that says why; A's work goes on.
TEST_P(Desks, AWaitForAnotherDesksLockIsBounded) {
    other->database().store().setLockWait(1000);
    Transaction holding(session->database());
    ASSERT_EQ(rename(session->rs_status(), 5, QStringLiteral("A holds this")), QString());
    QElapsedTimer waited;
    waited.start();
    const QString refusal = rename(other->rs_status(), 5, QStringLiteral("B waits"));
    EXPECT_LT(waited.elapsed(), 4000);
    EXPECT_TRUE(refusal.startsWith(QStringLiteral("Another desk is using this record")))
        << refusal.toStdString();
    // In words on each store: never the engine's own text or code.
    EXPECT_FALSE(refusal.contains(QLatin1String("55P03")) ||
                 refusal.contains(QLatin1String("lock timeout")) ||
                 refusal.contains(QLatin1String("database is locked")))
        << refusal.toStdString();
    holding.commit();
    EXPECT_EQ(storedName("Table_status", 5), QStringLiteral("A holds this"));
}

GEARLOG_BOTH_STORES(Desks);

// On the server an add never waits for another desk's save: desk A holds
// a long save of many new rows open, desk B adds one at once, with a key
// of its own.
TEST(ServerDesks, AnAddNeverWaitsForAnotherDesksSave) {
    FreshDatabase fresh(Engine::Postgres);
    auto desk = fresh.openSession();
    auto statuses = desk->openRecordset(QStringLiteral("Table_status"));
    const auto add = [](Session& s, Recordset& rs, const QString& name) {
        add_new_record(rs, s.database(), QStringLiteral("Table_status"));
        rs.setValue(QStringLiteral("Name"), name);
        rs.update();
    };
    Transaction saving(desk->database());
    for (int i = 0; i < 500; ++i)
        add(*desk, *statuses, QStringLiteral("A%1").arg(i));
    qint64 waited = -1;
    QString failure;
    std::thread other([&] {
        auto deskB = fresh.openSession();
        auto rs = deskB->openRecordset(QStringLiteral("Table_status"));
        QElapsedTimer clock;
        clock.start();
        failure = failureOf([&] {
            Transaction adding(deskB->database());
            add(*deskB, *rs, QStringLiteral("B"));
            adding.commit();
        });
        waited = clock.elapsed();
    });
    other.join();
    saving.commit();
    EXPECT_EQ(failure, QString());
    EXPECT_LT(waited, 1000);
    EXPECT_EQ(record_count(*fresh.openSession()->openRecordset(QStringLiteral("Table_status"))),
              9 + 500 + 1);
}

// An import claims thousands of keys a block at a time (a claim a key would
// fill the server's lock table); another desk's add passes over them.
TEST(ServerDesks, ThousandsOfKeysAreClaimedByTheBlock) {
    FreshDatabase fresh(Engine::Postgres);
    auto desk = fresh.openSession();
    Transaction adding(desk->database());
    const std::vector<int> keys = next_ids(desk->database(), QStringLiteral("Table_status"), 20000);
    EXPECT_EQ(keys.front(), 10);
    EXPECT_EQ(keys.back(), 20009);
    int other = 0;
    std::thread([&] {
        auto deskB = fresh.openSession();
        Transaction its(deskB->database());
        other = next_id(deskB->database(), QStringLiteral("Table_status"));
    }).join();
    EXPECT_GT(other, keys.back());
}

// The adds of one desk in a process of its own, started by the test below
// through GEARLOG_DESK_FILE; skipped in an ordinary run.
TEST(DeskProcess, AddsStatuses) {
    const QString file = qEnvironmentVariable("GEARLOG_DESK_FILE");
    if (file.isEmpty())
        GTEST_SKIP() << "runs only as a desk of DesksInTwoProcesses";
    auto desk = Session::openFile(file);
    auto statuses = desk->openRecordset(QStringLiteral("Table_status"));
    for (int i = 0; i < 1000; ++i) {
        Transaction tx(desk->database());
        add_new_record(*statuses, desk->database(), QStringLiteral("Table_status"));
        statuses->setValue(QStringLiteral("Name"),
                           qEnvironmentVariable("GEARLOG_DESK_NAME") + QString::number(i));
        statuses->update();
        tx.commit();
    }
}

// Two programs on one file take keys under the file's own lock.
TEST(Desks, DesksInTwoProcessesNeverCollide) {
    FreshDatabase base(Engine::Sqlite);
    std::vector<std::unique_ptr<QProcess>> desks;
    for (const char* name : {"A", "B"}) {
        auto desk = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("GEARLOG_DESK_FILE"), base.location());
        env.insert(QStringLiteral("GEARLOG_DESK_NAME"), QString::fromLatin1(name));
        desk->setProcessEnvironment(env);
        desk->start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=DeskProcess.AddsStatuses")});
        desks.push_back(std::move(desk));
    }
    for (auto& desk : desks) {
        ASSERT_TRUE(desk->waitForFinished(120000));
        EXPECT_EQ(desk->exitCode(), 0) << desk->readAllStandardOutput().toStdString();
    }
    auto stored = base.openSession()->openRecordset(
        QStringLiteral("SELECT * FROM Table_status WHERE ID > 9 ORDER BY ID"));
    EXPECT_EQ(record_count(*stored), 2000);
    EXPECT_EQ(checkDatabase(*base.openStore()), QStringList());
}

// A server that takes the connection but never answers is given up on
// within the bound, with a message that says so.
TEST(Desks, ASilentServerIsGivenUpOn) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QElapsedTimer waited;
    waited.start();
    try {
        Session::openServer(QStringLiteral("Driver=QPSQL;Host=127.0.0.1;Port=%1;Database=kit;"
                                           "User=ann")
                                .arg(silent.serverPort()));
        FAIL() << "a silent server was taken for a database";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("did not answer within 5 seconds")))
            << e.description().toStdString();
    }
    EXPECT_LT(waited.elapsed(), 8000);
}

} // namespace
