#include "CommandRunner.h"
#include "EngineError.h"
#include "RecordHelpers.h"
#include "ScriptedUi.h"
#include "TestStores.h"
#include "ViewContext.h"
#include "ViewRequests.h"

using namespace gearlog;
using namespace gearlog::test;

namespace {

class Commands : public BothStores, public ViewContext {
protected:
    void SetUp() override {
        BothStores::SetUp();
        BothStores::session->openTableCursors();
    }
    Session& session() override { return *BothStores::session; }
    AppState& state() override { return m_state; }
    ViewRequests& requests() override { return m_requests; }
    void popupMenu(const QPoint&) override {}

    int stored(const char* table) {
        return record_count(*fresh->openSession()->openRecordset(QString::fromLatin1(table)));
    }

    ScriptedUi ui;
    int reloads = 0;
    std::function<void()> reload = [this] {
        ++reloads;
    };

private:
    AppState m_state;
    ViewRequests m_requests;
};

// A write that fails part-way leaves nothing, drops the edit, and says so
// with the command's prefix; the statement goes to the details only.
TEST_P(Commands, AFailedWriteLeavesNothingAndReportsItsPrefix) {
    Recordset& statuses = session().rs_status();
    const bool committed = write_and_reload(
        *this, QStringLiteral("Save"),
        QStringLiteral("An error occurred while saving the changes: "),
        [&] {
            add_new_record(statuses, session().database(), QStringLiteral("Table_status"));
            statuses.setValue(QStringLiteral("Name"), QStringLiteral("Fine"));
            statuses.update();
            add_new_record(statuses, session().database(), QStringLiteral("Table_status"));
            statuses.setValue(QStringLiteral("Name"), QString()); // refused by the store
            statuses.update();
            return true;
        },
        reload);
    EXPECT_FALSE(committed);
    EXPECT_EQ(reloads, 0);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages.front().startsWith(
        QStringLiteral("An error occurred while saving the changes: ")));
    EXPECT_GT(ui.messages.front().size(), 45);
    EXPECT_TRUE(ui.details.front().contains(QStringLiteral("INSERT INTO Table_status")))
        << ui.details.front().toStdString();
    EXPECT_FALSE(ui.messages.front().contains(QStringLiteral("INSERT")));
    EXPECT_EQ(statuses.editMode(), Recordset::EditMode::None);
    EXPECT_EQ(stored("Table_status"), 9);
    EXPECT_EQ(statuses.recordCount(), 9);
}

TEST_P(Commands, ARefusedWriteIsUndoneAndNotReloaded) {
    Recordset& statuses = session().rs_status();
    EXPECT_FALSE(write_and_reload(
        *this, QStringLiteral("Save"), QStringLiteral("prefix: "),
        [&] {
            add_new_record(statuses, session().database(), QStringLiteral("Table_status"));
            statuses.setValue(QStringLiteral("Name"), QStringLiteral("Written"));
            statuses.update();
            return false; // a later check said no
        },
        reload));
    EXPECT_EQ(reloads, 0);
    EXPECT_EQ(stored("Table_status"), 9);
    EXPECT_TRUE(ui.messages.isEmpty());
}

// The guard reads the database inside the command: a reference another desk
// added a moment ago is seen, and the row stays.
TEST_P(Commands, DeleteSeesAReferenceAnotherDeskJustAdded) {
    Recordset& photos = session().rs_photo();
    add_new_record(photos, session().database(), QStringLiteral("Table_photo"));
    photos.setValue(QStringLiteral("Name"), QStringLiteral("Pump front"));
    photos.update();
    const int photo = photos.value(QStringLiteral("ID")).toInt();

    auto otherDesk = fresh->openSession();
    auto equipment = otherDesk->openRecordset(QStringLiteral("Table_equipment"));
    equipment->addNew();
    equipment->setValue(QStringLiteral("ID"), 1);
    equipment->setValue(QStringLiteral("Name"), QStringLiteral("Pump"));
    equipment->setValue(QStringLiteral("CategoryID"), 1);
    equipment->setValue(QStringLiteral("PhotographID"), photo);
    equipment->update();

    const Reference used{QStringLiteral("Table_Equipment"),
                         {QStringLiteral("PhotographID")},
                         QStringLiteral("Name"),
                         QStringLiteral("Name"),
                         QStringLiteral("in use by the equipment ")};
    EXPECT_FALSE(delete_unless_referenced(*this, QStringLiteral("Delete"),
                                          QStringLiteral("delete: "), photos, photo, {used},
                                          reload));
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("in use by the equipment Pump")});
    EXPECT_EQ(stored("Table_photo"), 1);

    otherDesk->execute(QStringLiteral("DELETE * FROM Table_equipment"));
    EXPECT_TRUE(delete_unless_referenced(*this, QStringLiteral("Delete"),
                                         QStringLiteral("delete: "), photos, photo, {used},
                                         reload));
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(stored("Table_photo"), 0);
}

GEARLOG_BOTH_STORES(Commands);

} // namespace
