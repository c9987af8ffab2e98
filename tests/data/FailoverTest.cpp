// A primary and a streaming standby of the test's own: host lists, the
// standby's refusals, and a desk through promotions and restarts.
#include "AdminCommand.h"
#include "ConnectionString.h"
#include "PrivateCluster.h"
#include "TestStores.h"

#include <QElapsedTimer>
#include <QTextStream>
#include <QThread>

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Failover : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(first.initialise(QStringLiteral("wal_level = replica\n")), QString());
        ASSERT_EQ(first.start(), QString());
        ASSERT_EQ(second.followPrimary(first), QString());
        ASSERT_EQ(second.start(), QString());
        awaitStreaming(first);
        // What the desks write: a table of its own, so the standby has it.
        openServerStore(connection({&first}))
            ->execute(QStringLiteral("CREATE TABLE committed (n integer PRIMARY KEY)"));
        // Replayed on the standby a moment later.
        auto standby = openServerStore(connection({&second}));
        for (int i = 0; i < 200 && standby
                                       ->select(QStringLiteral("SELECT to_regclass('committed') "
                                                               "IS NULL"),
                                                {}, {FieldType::Boolean})
                                       .front()[0]
                                       .toBool();
             ++i)
            QThread::msleep(50);
    }

    // Until the primary streams to its standby: a clean stop then sends it
    // everything committed, so a promotion loses nothing.
    void awaitStreaming(const PrivateCluster& primary) {
        auto store = openServerStore(connection({&primary}));
        for (int i = 0; i < 200; ++i) {
            if (store
                    ->select(QStringLiteral("SELECT count(*) FROM pg_stat_replication WHERE "
                                            "state = 'streaming'"),
                             {}, {FieldType::Long})
                    .front()[0]
                    .toInt() > 0)
                return;
            QThread::msleep(50);
        }
        ADD_FAILURE() << "the standby does not stream";
    }

    // A connection string naming these clusters' servers in this order.
    QString connection(std::initializer_list<const PrivateCluster*> servers) const {
        ConnectionString c;
        QStringList hosts, ports;
        for (const PrivateCluster* server : servers) {
            hosts << server->socketFolder();
            ports << QString::number(server->port());
        }
        c.host = hosts.join(QLatin1Char(','));
        c.port = ports.front().toInt();
        if (servers.size() > 1)
            c.ports = ports.join(QLatin1Char(','));
        c.database = QStringLiteral("postgres");
        c.user = QStringLiteral("postgres");
        return c.toString();
    }

    // One committed write of `n`, as a desk's save: true when committed.
    static bool write(Store& store, int n) {
        return failureOf([&] {
                   store.begin();
                   store.execute(QStringLiteral("INSERT INTO committed VALUES (?)"), {n});
                   store.commit();
               })
            .isEmpty();
    }
    static int countOn(const QString& connection) {
        return openServerStore(connection)
            ->select(QStringLiteral("SELECT count(*) FROM committed"), {}, {FieldType::Long})
            .front()[0]
            .toInt();
    }

    // 20 unless GEARLOG_FAILOVER_RUNS says otherwise.
    static int runs() {
        const int asked = qEnvironmentVariableIntValue("GEARLOG_FAILOVER_RUNS");
        return asked > 0 ? asked : 20;
    }

    QTemporaryDir dir;
    PrivateCluster first{dir.filePath(QStringLiteral("first")), randomPort()};
    PrivateCluster second{dir.filePath(QStringLiteral("second")), first.port() + 1};
};

TEST_F(Failover, AHostListWritesOnThePrimaryAndTheStandbyRefusesInWords) {
    // The standby named first: read-write is the list's default.
    auto desk = openServerStore(connection({&second, &first}));
    EXPECT_FALSE(desk->isReadOnly());
    EXPECT_TRUE(write(*desk, 1));

    auto standby = openServerStore(connection({&second}));
    EXPECT_TRUE(standby->isReadOnly());
    EXPECT_TRUE(standby->openingNotice().contains(QLatin1String("is a standby server")));
    const QString refused =
        failureOf([&] { standby->execute(QStringLiteral("INSERT INTO committed VALUES (2)")); });
    EXPECT_TRUE(refused.contains(QLatin1String("it is a standby"))) << refused.toStdString();

    // gearlog-admin reads there and refuses to write there, in words.
    QString out, err;
    QTextStream o(&out), e(&err);
    EXPECT_EQ(runAdminCommand({QStringLiteral("create-schema"), connection({&second})}, o, e), 1);
    EXPECT_TRUE(err.contains(QLatin1String("standby"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QLatin1String("25006"))) << err.toStdString();
}

// Each run: the primary stops, the standby is promoted, and the desk's next
// saves commit there within 10 s; then the old primary follows the new one.
TEST_F(Failover, ADeskFollowsEveryPromotion) {
    auto desk = openServerStore(connection({&first, &second}));
    const QString either = connection({&first, &second});
    int committed = 0;
    PrivateCluster* primary = &first;
    PrivateCluster* standby = &second;
    for (int run = 0; run < runs(); ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(write(*desk, ++committed));
        ASSERT_EQ(primary->stop(), QString());
        EXPECT_FALSE(write(*desk, committed + 1)); // nothing takes writes now
        ASSERT_EQ(standby->promote(), QString());
        QElapsedTimer promoted;
        promoted.start();
        bool again = false;
        while (!again && promoted.elapsed() < 10000) {
            again = write(*desk, committed + 1);
            if (!again)
                QThread::msleep(250);
        }
        ASSERT_TRUE(again) << "no commit within 10 s of the promotion";
        ++committed;
        EXPECT_EQ(countOn(either), committed);
        std::swap(primary, standby);
        ASSERT_EQ(standby->followPrimary(*primary), QString());
        ASSERT_EQ(standby->start(), QString());
        awaitStreaming(*primary);
    }
}

// A lone server that restarts: the desk is told Down while it is away and
// Restored once, and its next save commits.
TEST_F(Failover, ADeskOnALoneServerComesBackAfterEveryRestart) {
    auto desk = openServerStore(connection({&first}));
    for (int run = 0; run < runs(); ++run) {
        SCOPED_TRACE(run);
        ASSERT_TRUE(write(*desk, run + 1));
        ASSERT_EQ(first.stop(), QString());
        EXPECT_EQ(desk->keepLinked(), Store::Link::Down);
        ASSERT_EQ(first.start(), QString());
        Store::Link link = Store::Link::Down;
        for (int i = 0; i < 100 && link == Store::Link::Down; ++i) {
            QThread::msleep(50);
            link = desk->keepLinked();
        }
        EXPECT_EQ(link, Store::Link::Restored);
        EXPECT_EQ(desk->keepLinked(), Store::Link::Up);
        EXPECT_TRUE(desk->linkedTo().contains(QString::number(first.port())));
    }
    EXPECT_EQ(countOn(connection({&first})), runs());
}

} // namespace
