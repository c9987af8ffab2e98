#pragma once

#include "AppState.h"
#include "BackgroundWork.h"
#include "LinkWatch.h"
#include "Session.h"
#include "ViewContext.h"

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace fitwell {
class FitwellControl;
}

namespace gearlog {

class FlexGrid;
class Frame_asset;
class Frame_category;
class Frame_equipment;
class Frame_photo;
class Frame_report;
class Frame_report_shipment;
class Frame_attention;
class Frame_bookings;
class Frame_stocktake;
class MaintenancePanel;
class TypeIntervalBox;
class Frame_shipment;
class SearchBox;
class ViewRequests;

// The main window: File menu, the tool bar ("CoolBar") with its four bands
// of view buttons and their hover hints, the seven view frames of which at
// most one shows, and the database session commands.
class Form_main : public QMainWindow, public ViewContext {
    Q_OBJECT
public:
    explicit Form_main(QWidget* parent = nullptr);
    ~Form_main() override;

    // The load step: caption, resizer base, column selection and the stored
    // (or given) database.
    void startup(const QString& databaseFile = {});

    // Session procedures.
    bool ShowDataTypeDialog();                           // returns cancelled
    bool open_ado_connection(const QString& connection); // returns cancelled
    bool open_dao_database(QString& path);               // returns cancelled
    void open_database();
    void close_database();
    void save_database_setting(const QString& name, const QString& type, const QString& connection);

    // "Refresh" (F5): reads the database again and shows the view that is
    // showing as it stands now, with what other desks have written.
    void menu_refresh();
    // "Help → About Gearlog": version, licence and the database in use.
    void menu_about();

    // File menu commands.
    void menu_open();
    void menu_close();
    void menu_create();
    void menu_save_copy();
    // "Recent Changes...": every recorded change, with filters.
    void menu_recent_changes();
    void menu_import();
    // An entry of the File menu's list of recent database files.
    void open_recent_file(const QString& path);
    void menu_exit();

    // Brings a view's frame up at the anchor and hides the other six.
    void show_view(QFrame* frame);

    bool databaseOpen() const { return m_session && m_session->tableCursorsOpen(); }
    // The view context: only used while a database is open.
    Session& session() override { return *m_session; }
    AppState& state() override { return m_state; }
    void popupMenu(const QPoint& globalPos) override;

    ViewRequests& requests() override { return *m_requests; }

    // "Save as Excel": exports the grid of the view that is showing.
    void mnuExcel_Click();
    Frame_category* categoryView() { return m_categoryView; }
    Frame_photo* photoView() { return m_photoView; }
    Frame_equipment* equipmentView() { return m_equipmentView; }
    Frame_asset* assetView() { return m_assetView; }
    Frame_shipment* shipmentView() { return m_shipmentView; }
    Frame_report* reportView() { return m_reportView; }
    Frame_report_shipment* shipmentReportView() { return m_shipmentReportView; }
    Frame_attention* attentionView() { return m_attentionView; }
    Frame_bookings* bookingsView() { return m_bookingsView; }
    Frame_stocktake* stocktakeView() { return m_stocktakeView; }
    MaintenancePanel* maintenancePanel() { return m_maintenancePanel; }
    SearchBox* searchBox() { return m_search; }
    // View -> Attention (F3), as its button does.
    void menu_attention();
    const QString& database_name() const { return m_databaseName; }
    int connection_type() const { return m_connectionType; }

    QMenu* mnuPopup() { return m_popup; }
    // How "Exit" ends the program; tests replace it.
    void setExitHandler(std::function<void()> handler) { m_exit = std::move(handler); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildCoolBar();
    void buildFrames();
    QPushButton* viewButton(QWidget* band, const char* name, int index, const QString& caption,
                            const QString& hint, QFrame* frame, std::function<void()> prepare = {});
    void setCoolBarEnabled(bool enabled);
    void setSessionCaption(const QString& name);
    void saveFieldList();
    static bool overButton(QObject* watched, QEvent* event);
    // After a database is open: cursors, notices, recent files, caption.
    void finishOpening(const QString& caption);
    // Builds the indexes a writable opening adds off the window's thread,
    // saying so in the status bar.
    void buildIndexes();
    void dropSession();
    void offerVerification(const QString& caption);
    void rebuildRecentFiles();
    void resizeControls();

    AppState m_state;
    std::unique_ptr<Session> m_session;
    // Builds a database's missing indexes after it opens (see buildIndexes).
    std::unique_ptr<BackgroundWork> m_indexBuilding;
    std::unique_ptr<LinkWatch> m_linkWatch; // a server desk's connection
    QPointer<QPushButton> m_verifyOffer;    // an unverified server's offer
    int m_connectionType = 2;
    QString m_databaseName;
    QString m_connectionString;
    bool m_exiting = false;
    std::function<void()> m_exit;

    QWidget* m_client = nullptr;
    fitwell::FitwellControl* m_fitwell = nullptr;
    QToolBar* m_coolBar = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_noDatabase = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_saveCopy = nullptr;
    QAction* m_recentChanges = nullptr;
    QAction* m_import = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentEntries;
    // The seven view frames; a view whose grid offers "Save as Excel"
    // names that grid.
    struct View {
        QFrame* frame;
        std::function<FlexGrid*()> exportGrid; // empty: no spreadsheet menu
        // The table and key of the record selected (key -1: none); empty:
        // no "Changes" on the menu.
        std::function<std::pair<QString, int>()> record = {};
        // The asset the menu's "Record Maintenance..." is for (0: none);
        // empty: not on the menu.
        std::function<int()> asset = {};
    };
    // "Record Maintenance..." on the grid menu, and the dialog it opens.
    void mnuRecordMaintenance_Click();
    void recordMaintenance(int asset);
    // The "Changes" entry of the grid menu: the selected record's changes.
    void mnuChanges_Click();
    // Prepares a view and brings it up; a view that cannot be prepared
    // says why and is not shown.
    void showPrepared(QFrame* frame, const std::function<void()>& prepare);
    std::vector<View> m_views;
    QFrame* m_anchor = nullptr;
    // How the showing view was prepared, to prepare it again on Refresh.
    std::function<void()> m_prepareShowing;
    ViewRequests* m_requests = nullptr;
    Frame_category* m_categoryView = nullptr;
    Frame_photo* m_photoView = nullptr;
    Frame_equipment* m_equipmentView = nullptr;
    Frame_asset* m_assetView = nullptr;
    Frame_shipment* m_shipmentView = nullptr;
    Frame_report* m_reportView = nullptr;
    Frame_report_shipment* m_shipmentReportView = nullptr;
    Frame_attention* m_attentionView = nullptr;
    Frame_bookings* m_bookingsView = nullptr;
    Frame_stocktake* m_stocktakeView = nullptr;
    MaintenancePanel* m_maintenancePanel = nullptr;
    TypeIntervalBox* m_typeInterval = nullptr;
    SearchBox* m_search = nullptr;
    QWidget* m_searchPlace = nullptr; // in the menu bar, where the box is shown
};

} // namespace gearlog
