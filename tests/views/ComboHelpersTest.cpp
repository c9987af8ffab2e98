#include "ComboHelpers.h"
#include "TestStores.h"

#include <QComboBox>

using namespace gearlog;
using namespace gearlog::test;

namespace {

TEST(ComboHelpers, FillAndSelectByKey) {
    FreshDatabase db(Engine::Sqlite);
    auto session = db.openSession();
    session->openTableCursors();
    QComboBox combo;
    combo.addItem(QStringLiteral("stale"));
    fill_combo(session->rs_category(), QStringLiteral("ID"), QStringLiteral("Name"), combo, true);
    ASSERT_EQ(combo.count(), 6);
    EXPECT_EQ(combo.itemText(0), QStringLiteral("Ancillary")); // the cursor's order
    EXPECT_EQ(select_combo_item(combo, 3), combo.findText(QStringLiteral("Cables")));
    EXPECT_EQ(combo.currentText(), QStringLiteral("Cables"));
    EXPECT_EQ(select_combo_item(combo, 99), -1);
    EXPECT_EQ(combo.currentText(), QStringLiteral("Cables"));

    fill_combo(session->rs_status(), QString(), QStringLiteral("Name"), combo, false);
    EXPECT_EQ(combo.count(), 15);
    EXPECT_FALSE(combo.itemData(14).isValid());
    auto empty = session->openRecordset(QStringLiteral("Table_asset"));
    fill_combo(*empty, QStringLiteral("ID"), QStringLiteral("ModelNumber"), combo, true);
    EXPECT_EQ(combo.count(), 0);
    EXPECT_EQ(select_combo_item(combo, 1), -1);
}

} // namespace
