#include "ChangeHistory.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "RowWriter.h"
#include "TestStores.h"

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Transactions : public BothStores {
protected:
    void SetUp() override {
        BothStores::SetUp();
        session->openTableCursors();
    }
    void addStatus(int id, const QString& name) {
        Recordset& statuses = session->rs_status();
        statuses.addNew();
        statuses.setValue(QStringLiteral("ID"), id);
        statuses.setValue(QStringLiteral("Name"), name);
        statuses.update();
    }
    // What another desk sees: the rows really in the database.
    int storedStatuses() {
        return record_count(*fresh->openSession()->openRecordset(QStringLiteral("Table_status")));
    }
};

// An inner part that gives up dooms the whole command: the outer commit
// refuses, and nothing of the command stays, neither before nor after the
// failed part.
TEST_P(Transactions, AFailedInnerPartUndoesTheWholeCommand) {
    Database& db = session->database();
    try {
        Transaction outer(db);
        addStatus(10, QStringLiteral("Before"));
        try {
            Transaction inner(db);
            addStatus(11, QStringLiteral("Inner"));
            throw EngineError(QStringLiteral("part failed"));
        } catch (const EngineError&) {
            // the command goes on, as a careless one might
        }
        addStatus(12, QStringLiteral("After"));
        outer.commit();
        FAIL() << "a command whose part failed was committed";
    } catch (const EngineError& e) {
        EXPECT_FALSE(e.description().isEmpty());
    }
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(storedStatuses(), 9);
    EXPECT_EQ(session->rs_status().recordCount(), 9);
    // The next command starts clean.
    Transaction next(db);
    addStatus(13, QStringLiteral("Next"));
    next.commit();
    EXPECT_EQ(storedStatuses(), 10);
}

TEST_P(Transactions, NestedPartsCommitWithTheOutermost) {
    Database& db = session->database();
    Transaction outer(db);
    {
        Transaction inner(db);
        addStatus(10, QStringLiteral("Inner"));
        inner.commit();
    }
    EXPECT_EQ(storedStatuses(), 9); // not yet: the outer command is open
    addStatus(11, QStringLiteral("Outer"));
    outer.commit();
    EXPECT_EQ(storedStatuses(), 11);
}

// Rows a command writes many at once (on a server, a column at a time as
// one array) come back letter for letter, and so does their history.
TEST_P(Transactions, RowsWrittenTogetherKeepEveryCharacter) {
    Database& db = session->database();
    const TableDef& table = *findTable(QStringLiteral("Table_status"));
    const FieldDef* name = findField(table, QStringLiteral("Name"));
    const QStringList names{QStringLiteral("a \"quoted\" {brace}, comma"),
                            QStringLiteral("back\\slash"), QStringLiteral("NULL"),
                            QStringLiteral("Zürich ☃"), QStringLiteral("two\nlines")};
    db.setCommand(QStringLiteral("Test"));
    {
        Transaction command(db);
        RowWriter writer(db, table);
        for (qsizetype i = 0; i < names.size(); ++i)
            writer.insert(static_cast<int>(20 + i), {{name, names[i]}});
        writer.flush();
        for (qsizetype i = 0; i < names.size(); ++i)
            writer.update(static_cast<int>(20 + i), {}, {{name, names[i] + QStringLiteral("!")}});
        writer.flush();
        command.commit();
    }
    QStringList stored;
    for (const Row& r : fresh->openStore()->select(
             QStringLiteral("SELECT Name FROM Table_status WHERE ID >= 20 ORDER BY ID"), {},
             {FieldType::Text}))
        stored << r[0].toString();
    QStringList expected;
    for (const QString& n : names)
        expected << n + QStringLiteral("!");
    EXPECT_EQ(stored, expected);
    HistoryFilter filter;
    filter.key = 22;
    const auto entries = read_history(*fresh->openStore(), filter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries.front().before, QStringLiteral("NULL"));
    EXPECT_EQ(entries.front().after, QStringLiteral("NULL!"));
}

GEARLOG_BOTH_STORES(Transactions);

QStringList warnings;
void keepWarning(QtMsgType, const QMessageLogContext&, const QString& text) {
    warnings << text;
}

// A statement that fails inside a server transaction is freed once the
// transaction has ended, not while the server refuses every command.
TEST(ServerTransactions, AFailedStatementLeavesNothingBehind) {
    FreshDatabase base(Engine::Postgres);
    auto session = base.openSession();
    Store& store = session->database().store();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarning);
    {
        Transaction tx(session->database());
        EXPECT_THROW(
            store.execute(QStringLiteral("INSERT INTO Table_status (ID, Name) VALUES (?, ?)"),
                          {1, QStringLiteral("taken")}),
            EngineError);
    }
    store.execute(QStringLiteral("UPDATE Table_status SET Name = ? WHERE ID = 2"),
                  {QStringLiteral("after")});
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QLatin1Char('\n')).toStdString();
}

} // namespace
