#pragma once

#include "Form_main.h"
#include "RecordHelpers.h"
#include "ScriptedUi.h"
#include "TestStores.h"

#include "FlexGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

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
    void typeInto(const QString& box, const QString& text) {
        auto* edit = child<QLineEdit>(box);
        window->show();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, text);
    }
    void press(const QString& button) {
        window->show();
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
    }
};

} // namespace gearlog::test
