#pragma once

#include "Form_main.h"
#include "RecordHelpers.h"
#include "ScriptedUi.h"
#include "Settings.h"
#include "TestStores.h"

#include "FlexGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace gearlog::test {

// The main window with scripted dialogs and private settings, driven as a
// person drives it, for the tests of the views. `Base` is the test's
// GoogleTest base class.
template <typename Base> class WindowDriver : public Base {
protected:
    PrivateSettings isolated;
    PrivateCache cache;
    ScriptedUi scripted;
    std::unique_ptr<Form_main> window;

    // Opens the window on the database as a user would: a file by its
    // path, a server through the stored connection.
    void openWindow(const FreshDatabase& database) {
        window = std::make_unique<Form_main>();
        if (database.engine() == Engine::Sqlite) {
            window->startup(database.location());
        } else {
            settings::write(QStringLiteral("FileName"),
                            settings::formatFileName(QStringLiteral("Test server"),
                                                     QStringLiteral("ADO"), database.location()));
            window->startup();
        }
        ASSERT_TRUE(window->databaseOpen());
    }
    // The window's connection ends before its database is dropped.
    void TearDown() override { window.reset(); }
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
    void press(QPushButton* button) {
        window->show();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // Real input, as a person gives it: the wiring of signals is tested too.
    void clickCell(FlexGrid* grid, int row, int col) {
        window->show();
        const QModelIndex index = grid->model()->index(row - grid->fixedRows(), col);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }
    // Clicks the first row of the grid whose column 1 holds the text.
    void clickRow(FlexGrid* grid, const QString& text) {
        for (int r = grid->fixedRows(); r < grid->rows(); ++r)
            if (grid->textMatrix(r, 1) == text)
                return clickCell(grid, r, 1);
        ADD_FAILURE() << "no row " << text.toStdString();
    }
    // While a message or question is on screen, another desk of `database`
    // writes: `told` gets what it was told ("" when it could write).
    void anotherDeskWritesWhileShown(const FreshDatabase& database, QString& told) {
        std::shared_ptr<Session> other = database.openSession();
        other->database().store().setLockWait(100);
        told = QStringLiteral("not asked");
        scripted.whileShown = [other, &told](const QString&) {
            told = failureOf([&] {
                other->execute(QStringLiteral("UPDATE Table_Status SET Name = Name WHERE ID = 1"));
            });
        };
    }
    // A key as a person gives it: to whichever widget has the focus.
    void keyToFocused(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        window->show();
        QWidget* focused = window->focusWidget();
        ASSERT_NE(focused, nullptr);
        QTest::keyClick(focused, key, modifiers);
    }
    void typeInto(const QString& box, const QString& text) {
        auto* edit = child<QLineEdit>(box);
        window->show();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void press(const QString& button) { press(child<QPushButton>(button)); }
};

// The main window on a fresh database file.
class OpenWindow : public WindowDriver<::testing::Test> {
protected:
    FreshDatabase db{Engine::Sqlite};
    void SetUp() override { openWindow(db); }
};

} // namespace gearlog::test
