// The database session commands of the main window: opening a file or a
// server database, the table cursors, closing, creating, start-up and the
// stored settings.
#include "CommandRunner.h"
#include "ConnectionString.h"
#include "DataSourceDialog.h"
#include "DatabaseCreation.h"
#include "EngineError.h"
#include "Form_main.h"
#include "SchemaBuilder.h"
#include "SearchBox.h"

#include "DueLists.h"
#include "Frame_attention.h"
#include "RecordHelpers.h"
#include "Settings.h"

#include "Startup.h"
#include "UiServices.h"
#include "frmPrompt.h"
#include <QMenu>

#include <fitwell/FitwellControl.h>

#include <QApplication>
#include <QFrame>
#include <QStatusBar>
#include <QToolBar>

namespace gearlog {

namespace {

const QString fileFilter = QStringLiteral("Gearlog Database (*.gearlog)|*.gearlog|All files (*)|*");

// "Create Database" asks through the UI services.
class UiCreationPrompts final : public CreationPrompts {
public:
    bool chooseSaveFile(QString& fileName, const QString& defaultExtension, const QString& filter,
                        const QString& title) override {
        const SaveDialogStart start = save_dialog_start(fileName);
        const auto chosen =
            ui().saveFile(title, filter, defaultExtension, start.folder, start.fileName);
        if (!chosen)
            return false;
        fileName = chosen->trimmed();
        return true;
    }
    bool askYesNo(const QString& question) override { return ui().askYesNo(question); }
    void showMessage(const QString& text) override { ui().message(text); }
};

} // namespace

void Form_main::save_database_setting(const QString& name, const QString& type,
                                      const QString& connection) {
    settings::write(QStringLiteral("FileName"), settings::formatFileName(name, type, connection));
}

void Form_main::saveFieldList() {
    settings::write(QStringLiteral("FieldList"),
                    settings::formatFieldList(m_state.selected_fields));
}

bool Form_main::ShowDataTypeDialog() {
    frmPrompt prompt(this);
    ui().runModal(prompt);
    if (prompt.cancelled())
        return true;
    if (prompt.serverChosen()) {
        m_connectionType = 1;
        return open_ado_connection(QString());
    }
    m_connectionType = 2;
    QString path;
    return open_dao_database(path);
}

namespace {

// A stored connection is tried as it is; the password is asked for only
// when the server demands one. Null with `failure` said, or with nothing
// said when the user declined to give the password.
std::unique_ptr<Session> openAskingPassword(const QString& connection, QString& failure) {
    try {
        return Session::openServer(connection);
    } catch (const EngineError& e) {
        failure = e.description();
    }
    if (!needsPassword(failure))
        return nullptr;
    const auto password =
        ui().askPassword(QStringLiteral("Password for %1:")
                             .arg(ConnectionString::parse(connection).dataSourceName()));
    failure.clear();
    if (!password)
        return nullptr;
    try {
        return Session::openServer(connection, *password);
    } catch (const EngineError& e) {
        failure = e.description();
    }
    return nullptr;
}

} // namespace

bool Form_main::open_ado_connection(const QString& connection) {
    dropSession();
    // The source counts as chosen by the user when the dialog was used,
    // also to correct a stored connection that failed.
    bool prompted = connection.isEmpty();
    std::unique_ptr<Session> opened;
    QString failure;
    if (!prompted) {
        opened = openAskingPassword(connection, failure);
        if (!opened && failure.isEmpty())
            return true;
    }
    if (!opened) {
        // As a provider prompt would: show the source with what went wrong,
        // and let the user correct it or cancel.
        DataSourceDialog dialog(this);
        if (!prompted)
            dialog.prefill(connection, failure);
        if (ui().runModal(dialog) != QDialog::Accepted)
            return true;
        prompted = true;
        opened = dialog.takeSession();
        if (!opened)
            return true;
    }
    try {
        if (!opened->hasSchema()) {
            // A role that sees no tables and may not make them is told so,
            // not offered what would fail.
            if (!opened->mayCreateSchema()) {
                ui().message(QStringLiteral("Error Opening DataSource: Gearlog's tables are not "
                                            "in this database, or your server role lacks the "
                                            "privileges to see them, and it may not create "
                                            "them: ask the database's administrator"),
                             MessageIcon::Exclamation);
                return true;
            }
            if (!ui().askYesNo(QStringLiteral("Create the tables in this database?")))
                return true;
            opened->createSchema();
        }
    } catch (const EngineError& e) {
        ui().message(QStringLiteral("Error Opening DataSource: ") + e.description(),
                     MessageIcon::Exclamation);
        return true;
    }
    m_connectionString = opened->connectionString();
    if (prompted) {
        m_databaseName = opened->dataSourceName();
        save_database_setting(m_databaseName, QStringLiteral("ADO"), m_connectionString);
    }
    m_session = std::move(opened);
    return false;
}

bool Form_main::open_dao_database(QString& path) {
    dropSession();
    bool prompted = false;
    if (path.isEmpty()) {
        path = ui().openFile(QStringLiteral("Open Database"), fileFilter, QString()).trimmed();
        if (path.isEmpty())
            return true;
        prompted = true;
    }
    if (!file_exists(path)) {
        ui().message(path + QStringLiteral(" does not exist."), MessageIcon::Exclamation);
        return true;
    }
    try {
        m_connectionString = path;
        m_session = Session::openFile(path);
    } catch (const EngineError& e) {
        ui().message(QStringLiteral("Error opening database: ") + e.description(),
                     MessageIcon::Exclamation);
        dropSession();
        return true;
    }
    if (prompted) {
        m_databaseName = path;
        save_database_setting(m_connectionString, QStringLiteral("DAO"), m_databaseName);
    }
    return false;
}

void Form_main::open_database() {
    m_session->openTableCursors();
    m_state.clear_selection();
}

void Form_main::close_database() {
    for (const View& view : m_views)
        view.frame->hide();
    m_prepareShowing = nullptr;
    m_search->clear();
    dropSession();
    setSessionCaption(QString());
    setCoolBarEnabled(false);
}

void Form_main::dropSession() {
    // The watch asks the session's store: it goes first.
    m_linkWatch.reset();
    // Later: its own click may be what closes the session.
    if (m_verifyOffer)
        m_verifyOffer->deleteLater();
    m_verifyOffer = nullptr;
    m_session.reset();
}

void Form_main::menu_open() {
    close_database();
    if (ShowDataTypeDialog() || m_databaseName.isEmpty()) {
        close_database();
        return;
    }
    finishOpening(m_databaseName);
}

void Form_main::finishOpening(const QString& caption) {
    try {
        open_database();
    } catch (const EngineError& e) {
        ui().message(QStringLiteral("Error opening database: ") + e.description(),
                     MessageIcon::Exclamation);
        close_database();
        return;
    }
    if (m_session->connectionType() == ConnectionType::File) {
        settings::rememberRecentFile(m_session->connectionString());
        rebuildRecentFiles();
    }
    setSessionCaption(caption);
    setCoolBarEnabled(true);
    guarded([this] { buildIndexes(); })();
    if (m_session->connectionType() == ConnectionType::Server) {
        offerVerification(caption);
        // Back on the server: the cursors read it again, while what is
        // typed on screen stays to be saved (F5 also reads the view again).
        m_linkWatch = std::make_unique<LinkWatch>(m_session->database().store(), *statusBar(),
                                                  guarded([this] {
                                                      m_session->refresh();
                                                      m_session->releaseRows();
                                                  }));
    }
    // Damage found while the desk works is told as soon as it is found;
    // nothing more is written to the file from then on.
    m_session->database().store().onDamageFound(
        [this](const QString& damage) { ui().message(damage, MessageIcon::Exclamation); });
    // Told at once, before anything is typed in vain.
    const QString notice = m_session->database().store().openingNotice();
    if (!notice.isEmpty())
        ui().message(notice, MessageIcon::Information);
    if (m_session->isReadOnly())
        ui().message(QStringLiteral("%1 is open read only: you can look at it, but nothing can "
                                    "be saved in it.")
                         .arg(m_session->dataSourceName()),
                     MessageIcon::Information);
    if (Frame_attention::showsAtOpen())
        guarded([this] {
            if (any_shipment_overdue(m_session->database().store(), QDate::currentDate()))
                menu_attention();
        })();
}

void Form_main::offerVerification(const QString& caption) {
    const ConnectionString c = ConnectionString::parse(m_session->connectionString());
    // A connection stored before SSLMode existed works as it did, but is
    // never left weak without a word.
    if (!c.sslMode.isEmpty() || c.isLocal())
        return;
    m_verifyOffer = new QPushButton(QStringLiteral("Not verified: &verify this server"));
    m_verifyOffer->setObjectName(QStringLiteral("Command_verify_server"));
    m_verifyOffer->setToolTip(
        QStringLiteral("The connection to %1 does not check the server's certificate: its "
                       "traffic can be read, and another machine can pretend to be the server. "
                       "Click to connect with verify-full and keep that setting.")
            .arg(c.dataSourceName()));
    statusBar()->addPermanentWidget(m_verifyOffer);
    ConnectionString verify = c;
    verify.sslMode = QStringLiteral("verify-full");
    connect(m_verifyOffer, &QPushButton::clicked, this, [this, c = verify, caption] {
        QString failure;
        std::unique_ptr<Session> verified = openAskingPassword(c.toString(), failure);
        if (!verified) {
            if (!failure.isEmpty())
                ui().message(QStringLiteral("%1 could not be verified, so the connection stays "
                                            "as it was: %2")
                                 .arg(c.dataSourceName(), failure),
                             MessageIcon::Exclamation);
            return;
        }
        close_database();
        m_session = std::move(verified);
        m_connectionString = m_session->connectionString();
        save_database_setting(caption, QStringLiteral("ADO"), m_connectionString);
        finishOpening(caption);
    });
}

void Form_main::buildIndexes() {
    if (!m_session->lacksIndexes())
        return;
    statusBar()->showMessage(QStringLiteral("Building the search indexes of %1: finding is slower "
                                            "until they are ready")
                                 .arg(m_session->dataSourceName()));
    m_indexBuilding = std::make_unique<BackgroundWork>(m_session->connector(), [](Store& store) {
        upgradeSchema(store, dialect::UpgradeSteps::Indexes);
    });
    connect(m_indexBuilding.get(), &BackgroundWork::finished, this, [this](const QString& error) {
        statusBar()->showMessage(
            error.isEmpty() ? QStringLiteral("The search indexes are ready")
                            : QStringLiteral("The search indexes could not be built (they are "
                                             "tried again at the next opening): ") +
                                  error,
            error.isEmpty() ? 10000 : 0);
    });
}

void Form_main::rebuildRecentFiles() {
    for (QAction* entry : std::as_const(m_recentEntries))
        delete entry;
    m_recentEntries.clear();
    const QStringList files = settings::recentFiles();
    for (int i = 0; i < files.size(); ++i) {
        const QString file = files[i];
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(file), this);
        entry->setObjectName(QStringLiteral("menu_recent_%1").arg(i));
        connect(entry, &QAction::triggered, this, [this, file] { open_recent_file(file); });
        m_fileMenu->insertAction(m_recentSeparator, entry);
        m_recentEntries << entry;
    }
}

void Form_main::open_recent_file(const QString& path) {
    if (!file_exists(path)) {
        ui().message(path + QStringLiteral(" does not exist and is taken off the list."),
                     MessageIcon::Exclamation);
        settings::forgetRecentFile(path);
        rebuildRecentFiles();
        return;
    }
    close_database();
    m_connectionType = 2;
    QString chosen = path;
    if (open_dao_database(chosen))
        return;
    m_databaseName = path;
    save_database_setting(path, QStringLiteral("DAO"), path);
    finishOpening(path);
}

void Form_main::menu_close() {
    close_database();
}

void Form_main::menu_create() {
    UiCreationPrompts prompts;
    const bool fileOpen = m_session && m_session->connectionType() == ConnectionType::File;
    create_database(prompts, fileOpen ? m_session->connectionString() : QString());
}

void Form_main::menu_save_copy() {
    if (!databaseOpen())
        return;
    UiCreationPrompts prompts;
    save_database_copy(prompts, *m_session);
}

void Form_main::startup(const QString& databaseFile) {
    setSessionCaption(QString());
    rebuildRecentFiles();
    m_fitwell->ResetControls();
    m_state.selected_fields.clear();
    try {
        m_state.selected_fields = settings::loadFieldList();
        StartupAction action;
        if (!databaseFile.isEmpty())
            action = {StartupAction::OpenFile, databaseFile, databaseFile};
        else
            action = decideStartup(settings::read(QStringLiteral("FileName")));
        bool cancelled = true;
        if (action.kind == StartupAction::OpenFile) {
            m_connectionType = 2;
            QString path = action.connection;
            cancelled = open_dao_database(path);
        } else if (action.kind == StartupAction::OpenServer) {
            m_connectionType = 1;
            cancelled = open_ado_connection(action.connection);
        }
        if (cancelled) {
            dropSession();
            setCoolBarEnabled(false);
            return;
        }
        finishOpening(m_databaseName.isEmpty() ? action.name : m_databaseName);
    } catch (const EngineError& e) {
        ui().message(e.description());
        dropSession();
        setCoolBarEnabled(false);
    }
    if (m_state.selected_fields.empty())
        m_state.selected_fields = settings::defaultFieldList();
}

} // namespace gearlog
