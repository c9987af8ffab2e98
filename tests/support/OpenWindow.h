#pragma once

#include "Form_main.h"
#include "RecordHelpers.h"
#include "ScriptedUi.h"
#include "TestStores.h"

#include <QPushButton>

namespace gearlog::test {

// The main window on a fresh database file, with scripted dialogs and
// private settings, for the tests of the views.
class OpenWindow : public ::testing::Test {
protected:
    PrivateSettings isolated;
    PrivateCache cache;
    ScriptedUi scripted;
    FreshDatabase db{Engine::Sqlite};
    std::unique_ptr<Form_main> window;

    void SetUp() override {
        window = std::make_unique<Form_main>();
        window->startup(db.location());
        ASSERT_TRUE(window->databaseOpen());
    }
    Session& session() { return window->session(); }
    template <typename T = QWidget> T* child(const QString& name) {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void click(const QString& button) { child<QPushButton>(button)->click(); }
    // Adds a row through the session's cursor of that table.
    void add(Recordset& cursor, const QVariantMap& values) {
        cursor.addNew();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            cursor.setValue(it.key(), it.value());
        cursor.update();
    }
    QString unexpected() const { return scripted.unexpected.join(QLatin1Char(',')); }
};

} // namespace gearlog::test
