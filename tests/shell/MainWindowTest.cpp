#include "ConnectionString.h"
#include "DataSourceDialog.h"
#include "Form_main.h"
#include "Frame_category.h"
#include "ScriptedUi.h"
#include "Settings.h"
#include "TestStores.h"

#include <QAccessible>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

using namespace gearlog;
using namespace gearlog::test;

namespace {

// What assistive technology announces for an input: the text of the label
// it is labelled by, or else its own name.
QString humanName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    const auto labels = a->relations(QAccessible::Label);
    if (!labels.isEmpty())
        return labels.front().first->text(QAccessible::Name).remove(QLatin1Char('&'));
    return a->text(QAccessible::Name);
}

class MainWindow : public ::testing::Test {
protected:
    PrivateSettings isolated;
    ScriptedUi scripted;
    std::unique_ptr<Form_main> window = std::make_unique<Form_main>();

    template <typename T = QWidget> T* child(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool coolBarEnabled() { return child<QToolBar>("CoolBar")->isEnabled(); }
    QString hint() { return child<QLabel>("StatusBar_panel1")->text(); }
    // A move over a part of the widget that no child covers.
    void moveOver(const char* name) {
        window->show();
        QWidget* w = child(name);
        QPoint at(0, 0);
        for (int y = 0; y < w->height() && w->childAt(at); ++y)
            for (int x = 0; x < w->width() && w->childAt(at); ++x)
                at = QPoint(x, y);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &move);
    }
    std::vector<QFrame*> visibleFrames() {
        std::vector<QFrame*> shown;
        for (QFrame* f :
             window->centralWidget()->findChildren<QFrame*>(QString(), Qt::FindDirectChildrenOnly))
            if (f->objectName().startsWith(QLatin1String("Frame_")) && f->isVisibleTo(window.get()))
                shown.push_back(f);
        return shown;
    }
    // Plays frmPrompt: choose the option, press OK or Cancel.
    void scriptPrompt(int option, bool ok = true) {
        scripted.dialogs.push_back([option, ok](QDialog& d) {
            d.findChild<QRadioButton*>(QStringLiteral("optDataSource_%1").arg(option))
                ->setChecked(true);
            d.findChild<QPushButton*>(ok ? QStringLiteral("cmdOK") : QStringLiteral("cmdCancel"))
                ->click();
            return d.result();
        });
    }
    void openFileByMenu(const QString& path) {
        scriptPrompt(1);
        scripted.files.push_back(path);
        window->menu_open();
    }
};

TEST_F(MainWindow, FirstStartOpensNothing) {
    window->startup();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database"));
    EXPECT_FALSE(coolBarEnabled());
    EXPECT_EQ(window->state().selected_fields, (std::vector<int>{1, 3, 4, 12, 11}));
    EXPECT_TRUE(visibleFrames().empty());
    EXPECT_TRUE(scripted.unexpected.isEmpty())
        << scripted.unexpected.join(QLatin1Char(',')).toStdString();
}

TEST_F(MainWindow, OpenStoreReopenAndClose) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database (%1)").arg(db.location()));
    EXPECT_TRUE(coolBarEnabled());
    EXPECT_TRUE(window->databaseOpen());
    EXPECT_EQ(window->connection_type(), 2);
    EXPECT_EQ(settings::read(QStringLiteral("FileName")),
              QStringLiteral("DAO&|&%1&|&%1").arg(db.location()));

    // The next start opens it without a dialog and leaves the setting as it is.
    settings::write(QStringLiteral("FileName"), QStringLiteral("Other&|&Kit&|&") + db.location());
    Form_main next;
    next.startup();
    EXPECT_EQ(next.windowTitle(), QStringLiteral("Asset Database (Kit)"));
    EXPECT_TRUE(next.databaseOpen());
    EXPECT_EQ(settings::read(QStringLiteral("FileName")),
              QStringLiteral("Other&|&Kit&|&") + db.location());

    child<QPushButton>("Command_Categories_0")->click();
    next.menu_close();
    window->menu_close();
    // Closing let go of every cursor, so the file was closed (which ends its journal).
    EXPECT_FALSE(QFile::exists(db.location() + QStringLiteral("-wal")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database"));
    EXPECT_FALSE(coolBarEnabled());
    EXPECT_FALSE(window->databaseOpen());
    EXPECT_TRUE(visibleFrames().empty());
    EXPECT_TRUE(scripted.unexpected.isEmpty())
        << scripted.unexpected.join(QLatin1Char(',')).toStdString();
}

TEST_F(MainWindow, CancelledAndFailedOpensLeaveNoDatabase) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    ASSERT_TRUE(window->databaseOpen());

    scriptPrompt(1, false); // cancel the data-source type
    window->menu_open();
    EXPECT_FALSE(window->databaseOpen());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database"));
    EXPECT_FALSE(coolBarEnabled());

    openFileByMenu(QString()); // cancel the file dialog
    EXPECT_FALSE(window->databaseOpen());

    scriptPrompt(0); // cancel the server dialog
    scripted.dialogs.push_back([](QDialog& d) {
        d.reject();
        return d.result();
    });
    window->menu_open();
    EXPECT_FALSE(window->databaseOpen());
    EXPECT_TRUE(scripted.messages.isEmpty());

    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("gone.gearlog"));
    openFileByMenu(missing);
    EXPECT_EQ(scripted.messages.value(0), missing + QStringLiteral(" does not exist."));

    const QString junk =
        writeFile(dir.filePath(QStringLiteral("junk.gearlog")), QByteArray(4096, 'x'));
    openFileByMenu(junk);
    EXPECT_TRUE(scripted.messages.value(1).startsWith(QStringLiteral("Error opening database: ")));
    EXPECT_FALSE(window->databaseOpen());
    EXPECT_FALSE(coolBarEnabled());
    EXPECT_TRUE(scripted.unexpected.isEmpty())
        << scripted.unexpected.join(QLatin1Char(',')).toStdString();
}

TEST_F(MainWindow, StoredSettingsEdgeCasesAtStartup) {
    QTemporaryDir dir;
    settings::write(QStringLiteral("FileName"),
                    settings::formatFileName(dir.filePath(QStringLiteral("gone")),
                                             QStringLiteral("DAO"),
                                             dir.filePath(QStringLiteral("gone"))));
    window->startup();
    EXPECT_TRUE(scripted.messages.isEmpty()); // a vanished file is passed over silently
    EXPECT_FALSE(coolBarEnabled());

    settings::write(QStringLiteral("FileName"), QStringLiteral("DAO&|&no second separator"));
    Form_main second;
    second.startup();
    ASSERT_EQ(scripted.messages.size(), 1);
    EXPECT_TRUE(scripted.messages.front().contains(QStringLiteral("type&|&name&|&connection")));
    EXPECT_FALSE(second.databaseOpen());
}

TEST_F(MainWindow, ServerDatabaseThroughTheDialog) {
    FreshDatabase empty(Engine::Postgres, false);
    const ConnectionString target = ConnectionString::parse(empty.location());
    QString firstError;
    scriptPrompt(0);
    scripted.dialogs.push_back([&](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("Text_host"))->setText(target.host);
        d.findChild<QLineEdit*>(QStringLiteral("Text_port"))->setText(QString::number(target.port));
        d.findChild<QLineEdit*>(QStringLiteral("Text_user"))->setText(target.user);
        d.findChild<QLineEdit*>(QStringLiteral("Text_database"))
            ->setText(QStringLiteral("no_such_db"));
        d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        // The failure shows in the dialog, which stays open for a correction.
        firstError = d.findChild<QLabel*>(QStringLiteral("Label_error"))->text();
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.findChild<QLineEdit*>(QStringLiteral("Text_database"))->setText(target.database);
        d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        return d.result();
    });
    scripted.yesNo.push_back(true);
    window->menu_open();
    EXPECT_TRUE(firstError.contains(QStringLiteral("no_such_db"))) << firstError.toStdString();
    EXPECT_EQ(scripted.questions,
              QStringList{QStringLiteral("Create the tables in this database?")});
    ASSERT_TRUE(window->databaseOpen());
    EXPECT_EQ(window->connection_type(), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database (%1)").arg(target.database));
    EXPECT_EQ(window->session().rs_status().recordCount(), 9);
    const QString stored = settings::read(QStringLiteral("FileName"));
    EXPECT_TRUE(stored.startsWith(QStringLiteral("ADO&|&") + target.database +
                                  QStringLiteral("&|&Driver=QPSQL")));
    EXPECT_FALSE(stored.contains(QStringLiteral("assword")));

    // The next start reconnects without asking anything.
    Form_main next;
    next.startup();
    EXPECT_TRUE(next.databaseOpen());
    EXPECT_TRUE(scripted.unexpected.isEmpty())
        << scripted.unexpected.join(QLatin1Char(',')).toStdString();
}

// A new connection to another machine is verified by default; anything
// weaker is said plainly; a stored connection keeps its own setting.
TEST_F(MainWindow, TheDataSourceDialogVerifiesRemoteServers) {
    DataSourceDialog dialog;
    dialog.show();
    auto* host = dialog.findChild<QLineEdit*>(QStringLiteral("Text_host"));
    auto* mode = dialog.findChild<QComboBox*>(QStringLiteral("Combo_ssl_mode"));
    auto* warning = dialog.findChild<QLabel*>(QStringLiteral("Label_exposure"));
    QTest::keyClicks(host, QStringLiteral("db.example.org"));
    EXPECT_EQ(mode->currentText(), QStringLiteral("verify-full"));
    EXPECT_FALSE(warning->isVisible());
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down); // verify-ca: the name is not checked
    EXPECT_EQ(mode->currentText(), QStringLiteral("verify-ca"));
    EXPECT_TRUE(warning->isVisible());
    dialog.findChild<QLineEdit*>(QStringLiteral("Text_ssl_root_cert"))
        ->setText(QStringLiteral("/etc/team ca.crt"));
    EXPECT_TRUE(dialog.connectionString().contains(
        QStringLiteral("SSLMode=verify-ca;SSLRootCert=/etc/team ca.crt")))
        << dialog.connectionString().toStdString();
    dialog.prefill(QStringLiteral("Driver=QPSQL;Host=db.example.org;Database=kit"));
    EXPECT_EQ(mode->currentText(), QStringLiteral("default"));
    EXPECT_TRUE(warning->isVisible());
    EXPECT_FALSE(dialog.connectionString().contains(QStringLiteral("SSLMode")));
    // A stored host list, service and session kind show in their fields;
    // the statement limit, which has none, is kept.
    const QString listed =
        QStringLiteral("Driver=QPSQL;Host=a,b;Port=5432,5433;Database=kit;"
                       "Service=inventory;TargetSessionAttrs=any;ConnectTimeout=7;"
                       "StatementTimeout=120");
    dialog.prefill(listed);
    EXPECT_EQ(dialog.connectionString(), listed);
    auto* port = dialog.findChild<QLineEdit*>(QStringLiteral("Text_port"));
    EXPECT_EQ(port->text(), QStringLiteral("5432,5433"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("Text_service"))->text(),
              QStringLiteral("inventory"));
    auto* kind = dialog.findChild<QComboBox*>(QStringLiteral("Combo_target_session_attrs"));
    EXPECT_EQ(kind->currentText(), QStringLiteral("any"));
    kind->setCurrentIndex(kind->findData(QStringLiteral("read-write")));
    port->setText(QStringLiteral("5432,6543"));
    EXPECT_TRUE(dialog.connectionString().contains(
        QStringLiteral("Port=5432,6543;Database=kit;Service=inventory;"
                       "TargetSessionAttrs=read-write;")))
        << dialog.connectionString().toStdString();
    // A bad port is told by the dialog, not sent.
    port->setText(QStringLiteral("54x"));
    dialog.tryConnect();
    EXPECT_TRUE(dialog.errorText().contains(QLatin1String("the port must be a number")));
}

TEST_F(MainWindow, DecliningTheSchemaLeavesNoDatabase) {
    FreshDatabase empty(Engine::Postgres, false);
    settings::write(QStringLiteral("FileName"), QStringLiteral("ADO&|&x&|&") + empty.location());
    scripted.yesNo.push_back(false);
    window->startup();
    EXPECT_FALSE(window->databaseOpen());
    EXPECT_FALSE(coolBarEnabled());
}

TEST_F(MainWindow, HintsFollowTheMouse) {
    moveOver("Command_Send");
    EXPECT_EQ(hint(), QStringLiteral("Select items from database for shipment"));
    moveOver("Picture_database"); // between its buttons
    EXPECT_EQ(hint(), QString());
    moveOver("Command_Categories_2");
    EXPECT_EQ(hint(), QStringLiteral("Modify the equipment status list in the database"));
    moveOver("Picture_lists"); // leaves the hint standing
    EXPECT_EQ(hint(), QStringLiteral("Modify the equipment status list in the database"));
    moveOver("Command_report_1");
    EXPECT_EQ(hint(), QStringLiteral("Generate an equipment location report"));
    moveOver("Picture_reports");
    EXPECT_EQ(hint(), QStringLiteral("Generate an equipment location report"));
    moveOver("CoolBar");
    EXPECT_EQ(hint(), QString());
    moveOver("Command_Categories_0");
    moveOver("Picture_database");
    EXPECT_EQ(hint(), QString());
}

// Real moves with no mouse button held, over every band's buttons: the
// move a button passes on to its band must not clear the button's hint.
TEST_F(MainWindow, HintsShowForRealMovesOverEveryBand) {
    window->show();
    for (const char* name : {"Command_Send", "Command_Equipment", "Command_Load_Photo",
                             "Command_Assets", "Command_Categories_0", "Command_report_0"}) {
        auto* button = child<QPushButton>(name);
        QTest::mouseMove(button, button->rect().center());
        QTest::mouseMove(button, button->rect().center() + QPoint(3, 1));
        EXPECT_EQ(hint(), button->property("hint").toString()) << name;
    }
}

TEST_F(MainWindow, OneViewAtTheAnchor) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    const QPoint anchor = child("Frame_photo")->pos();
    child<QPushButton>("Command_Equipment")->click();
    ASSERT_EQ(visibleFrames().size(), 1u);
    EXPECT_EQ(visibleFrames().front()->objectName(), QStringLiteral("Frame_equipment"));
    EXPECT_EQ(visibleFrames().front()->pos(), anchor);
    for (const char* list :
         {"Command_Categories_1", "Command_Categories_2", "Command_Categories_3"}) {
        child<QPushButton>(list)->click();
        ASSERT_EQ(visibleFrames().size(), 1u);
        EXPECT_EQ(visibleFrames().front()->objectName(), QStringLiteral("Frame_category"));
        EXPECT_EQ(visibleFrames().front()->pos(), anchor);
    }
    child<QPushButton>("Command_report_1")->click();
    EXPECT_EQ(visibleFrames().front()->objectName(), QStringLiteral("Frame_report_shipment"));
}

TEST_F(MainWindow, ViewsScaleWithTheWindow) {
    FreshDatabase db(Engine::Sqlite);
    window->show();
    window->startup(db.location());
    child<QPushButton>("Command_Equipment")->click();
    // Every control of a view is named, so the resizer keeps it in proportion.
    for (QFrame* view :
         window->centralWidget()->findChildren<QFrame*>(QString(), Qt::FindDirectChildrenOnly))
        for (QWidget* control : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(control->objectName().isEmpty())
                << view->objectName().toStdString() << " has an unnamed "
                << control->metaObject()->className();
    QWidget* client = window->centralWidget();
    QWidget* name = child("Text_equipment");
    const QRect before = name->geometry();
    client->resize(client->width() * 2, client->height() * 2);
    EXPECT_NEAR(name->x(), before.x() * 2, 2);
    EXPECT_NEAR(name->width(), before.width() * 2, 2);
    EXPECT_EQ(child("Label_Text_equipment")->x() < name->x(), true);

    // Minimised, the controls stay where they are.
    window->setWindowState(Qt::WindowMinimized);
    client->resize(client->width() / 2, client->height() / 2);
    EXPECT_NEAR(name->x(), before.x() * 2, 2);
}

TEST_F(MainWindow, ExitKeepsTheStoredColumnsAndClosingSavesThem) {
    settings::write(QStringLiteral("FieldList"), QStringLiteral("2&9"));
    window->startup();
    EXPECT_EQ(window->state().selected_fields, (std::vector<int>{2, 9}));
    window->state().selected_fields = {5, 6, 7};
    bool exited = false;
    window->setExitHandler([&] { exited = true; });
    window->menu_exit();
    EXPECT_TRUE(exited);
    window->close();
    EXPECT_EQ(settings::read(QStringLiteral("FieldList")), QStringLiteral("2&9"));

    Form_main other;
    other.startup();
    other.state().selected_fields = {5, 6, 7};
    other.close();
    EXPECT_EQ(settings::read(QStringLiteral("FieldList")), QStringLiteral("5&6&7"));
}

TEST_F(MainWindow, CreateDatabaseOverAnExistingFileLeavesTheSessionAlone) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    const QString caption = window->windowTitle();
    QTemporaryDir dir;
    const QString path = writeFile(dir.filePath(QStringLiteral("new.gearlog")), "old contents");
    scripted.files.push_back(path);
    scripted.yesNo.push_back(true);
    window->menu_create();
    EXPECT_EQ(scripted.questions,
              QStringList{QStringLiteral("That file already exists. Overwrite?")});
    EXPECT_EQ(scripted.fileTitles.last(), QStringLiteral("Select the database file to create"));
    EXPECT_EQ(
        Session::openFile(path)->openRecordset(QStringLiteral("Table_category"))->recordCount(), 6);
    EXPECT_EQ(window->windowTitle(), caption);
    EXPECT_TRUE(window->databaseOpen());
    EXPECT_EQ(window->session().rs_status().recordCount(), 9);

    // The open database itself is never replaced.
    scripted.files.push_back(db.location());
    window->menu_create();
    EXPECT_TRUE(scripted.messages.last().startsWith(
        QStringLiteral("An error occurred while creating the database: ")));
    EXPECT_EQ(window->session().rs_category().recordCount(), 6);
    EXPECT_TRUE(scripted.unexpected.isEmpty());
}

TEST_F(MainWindow, EveryControlHasItsHumanName) {
    const QStringList captions{QStringLiteral("Shipments"),   QStringLiteral("Equipment"),
                               QStringLiteral("Photographs"), QStringLiteral("Assets"),
                               QStringLiteral("Categories"),  QStringLiteral("Status"),
                               QStringLiteral("Locations"),   QStringLiteral("Contacts")};
    QStringList names;
    for (QPushButton* b : window->findChildren<QPushButton*>()) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
        ASSERT_NE(a, nullptr);
        names << a->text(QAccessible::Name);
        EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << b->objectName().toStdString();
    }
    for (const QString& c : captions)
        EXPECT_TRUE(names.contains(c)) << c.toStdString();
    // Every command has a keyboard shortcut: a mnemonic on each menu item and view button.
    for (const char* action : {"menu_open", "menu_close", "menu_create", "menu_exit"})
        EXPECT_TRUE(window->findChild<QAction*>(QString::fromLatin1(action))
                        ->text()
                        .contains(QLatin1Char('&')))
            << action;
    for (QPushButton* b :
         window->findChild<QToolBar*>(QStringLiteral("CoolBar"))->findChildren<QPushButton*>())
        EXPECT_TRUE(b->text().contains(QLatin1Char('&'))) << b->objectName().toStdString();

    scriptPrompt(0);
    QStringList inputNames;
    scripted.dialogs.push_back([&](QDialog& d) {
        for (QWidget* w : d.findChildren<QWidget*>())
            if (w->inherits("QLineEdit") || w->inherits("QSpinBox") || w->inherits("QComboBox"))
                if (!w->parentWidget()->inherits("QSpinBox") &&
                    !w->parentWidget()->inherits("QComboBox"))
                    inputNames << humanName(w);
        d.reject();
        return d.result();
    });
    window->menu_open();
    for (const char* label : {"Driver", "Host", "Port", "Database", "User", "Password"})
        EXPECT_TRUE(inputNames.contains(QString::fromLatin1(label)))
            << label << " in " << inputNames.join(QLatin1Char(',')).toStdString();
}

// A shown view stays where every view shows, at any window size, and a
// resize back to the designed size puts it back where it was.
TEST_F(MainWindow, AViewStaysAtTheAnchorThroughResizes) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    window->show();
    QWidget* client = window->centralWidget();
    for (const char* button : {"Command_Equipment", "Command_Categories_0", "Command_Load_Photo"}) {
        window->resize(1100, 760);
        QCoreApplication::processEvents();
        QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton);
        QFrame* view = visibleFrames().front();
        const QPoint designed = view->pos();
        window->resize(1430, 988);
        QCoreApplication::processEvents();
        EXPECT_EQ(view->pos(), child("Frame_photo")->pos()) << button;
        EXPECT_LE(view->geometry().right(), client->width()) << button;
        window->resize(1100, 760);
        QCoreApplication::processEvents();
        EXPECT_EQ(view->pos(), designed) << button;
    }
}

// Without a database the window says how to get one; the File menu lists
// the files opened last, and takes off one that is gone.
TEST_F(MainWindow, StartWithoutADatabaseSaysWhatToDo) {
    window->startup();
    auto* text = child<QLabel>("Label_no_database");
    EXPECT_TRUE(text->isVisibleTo(window.get()));
    EXPECT_EQ(text->text(),
              QStringLiteral("No database is open. Use File → Open Database or File → "
                             "Create Database."));
    FreshDatabase first(Engine::Sqlite), second(Engine::Sqlite);
    openFileByMenu(first.location());
    EXPECT_FALSE(text->isVisibleTo(window.get()));
    openFileByMenu(second.location());
    auto* newest = child<QAction>("menu_recent_0");
    EXPECT_EQ(newest->text(), QStringLiteral("&1 ") + second.location());
    EXPECT_EQ(child<QAction>("menu_recent_1")->text(), QStringLiteral("&2 ") + first.location());
    child<QAction>("menu_recent_1")->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database (%1)").arg(first.location()));
    EXPECT_EQ(child<QAction>("menu_recent_0")->text(), QStringLiteral("&1 ") + first.location());

    const QString gone = second.location() + QStringLiteral(".moved");
    QFile::rename(second.location(), gone);
    QFile::rename(gone, second.location() + QStringLiteral("2"));
    const QString missing = second.location();
    child<QAction>("menu_recent_1")->trigger();
    EXPECT_EQ(scripted.messages.back(),
              missing + QStringLiteral(" does not exist and is taken off the list."));
    EXPECT_EQ(window->findChild<QAction*>(QStringLiteral("menu_recent_1")), nullptr);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Asset Database (%1)").arg(first.location()));
}

// The status bar's hint is announced with its own text.
TEST_F(MainWindow, TheHintIsAnnouncedWithItsText) {
    moveOver("Command_Send");
    QAccessibleInterface* a =
        QAccessible::queryAccessibleInterface(child<QLabel>("StatusBar_panel1"));
    EXPECT_EQ(a->text(QAccessible::Name),
              QStringLiteral("Select items from database for shipment"));
}

// Help → About names the version, the licence and the database in use.
TEST_F(MainWindow, AboutNamesVersionLicenceAndDatabase) {
    FreshDatabase db(Engine::Sqlite);
    openFileByMenu(db.location());
    child<QAction>("menu_about")->trigger();
    ASSERT_FALSE(scripted.messages.isEmpty());
    const QString about = scripted.messages.back();
    EXPECT_TRUE(about.startsWith(QStringLiteral("Gearlog ")));
    EXPECT_TRUE(about.contains(QStringLiteral("Licence: MIT License")));
    EXPECT_TRUE(about.contains(db.location()));
}

// A file this desk cannot write says so in the caption and at once, and
// nothing can be saved in it.
TEST_F(MainWindow, AReadOnlyFileIsToldNotDiscovered) {
    FreshDatabase db(Engine::Sqlite);
    ReadOnlyPath readOnly(db.location());
    if (!readOnly.works())
        GTEST_SKIP() << "this file system cannot make a file read-only for root";
    openFileByMenu(db.location());
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Asset Database (%1) (read only)").arg(db.location()));
    ASSERT_FALSE(scripted.messages.isEmpty());
    EXPECT_TRUE(scripted.messages.back().endsWith(QStringLiteral("is open read only: you can look "
                                                                 "at it, but nothing can be saved "
                                                                 "in it.")));
    child<QPushButton>("Command_Categories_0")->click();
    window->categoryView()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages.back(), QStringLiteral("The category name cannot be blank"));
    child<QLineEdit>("Text_category")->setText(QStringLiteral("Masts"));
    window->categoryView()->Command_save_category_changes_Click(1);
    EXPECT_EQ(scripted.messages.back(),
              QStringLiteral("This database is open read only: nothing can be saved in it"));
}

} // namespace
