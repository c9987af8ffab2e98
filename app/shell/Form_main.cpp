#include "Form_main.h"

#include "AssetList.h"
#include "ExportFile.h"

#include "ChangeHistory.h"
#include "CommandRunner.h"
#include "EngineError.h"
#include "FailedMarks.h"
#include "FlexGrid.h"
#include "Form_Shipping_History.h"
#include "Form_changes.h"
#include "Form_import.h"
#include "Form_labels.h"
#include "Form_maintenance.h"
#include "Frame_asset.h"
#include "Frame_attention.h"
#include "Frame_bookings.h"
#include "Frame_category.h"
#include "Frame_equipment.h"
#include "Frame_photo.h"
#include "Frame_report.h"
#include "Frame_report_shipment.h"
#include "Frame_shipment.h"
#include "Frame_stocktake.h"
#include "FreedMemory.h"
#include "LastSeenLabel.h"
#include "Maintenance.h"
#include "MaintenancePanel.h"
#include "MaintenanceTables.h"
#include "RtfCodec.h"
#include "SearchBox.h"
#include "SpreadsheetExport.h"
#include "UiServices.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <fitwell/FitwellControl.h>
#include <imagelet/Imagelet.h>

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace gearlog {

namespace {

// A view button as wide as its caption: the bands share one bar, which
// must hold every button at the window's narrowest.
class BandButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    QSize sizeHint() const override {
        QString plain = text();
        plain.remove(QLatin1Char('&'));
        return {fontMetrics().horizontalAdvance(plain) + 14, QPushButton::sizeHint().height()};
    }
};

} // namespace

namespace {
const char* const hintProperty = "hint";
// Areas of the tool bar that clear the hint when the mouse moves over them;
// the other bands leave the last hint standing.
const char* const clearingAreas[] = {"CoolBar", "Picture_actions", "Picture_database"};
} // namespace

Form_main::Form_main(QWidget* parent) : QMainWindow(parent), m_exit([] { QApplication::exit(0); }) {
    setObjectName(QStringLiteral("Form_main"));
    setWindowTitle(QStringLiteral("Asset Database"));
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("Form_main_client"));
    setCentralWidget(m_client);
    m_requests = new ViewRequests(this);
    m_noDatabase = new QLabel(
        QStringLiteral("No database is open. Use File → Open Database or File → Create Database."),
        m_client);
    m_noDatabase->setObjectName(QStringLiteral("Label_no_database"));
    m_noDatabase->setAlignment(Qt::AlignCenter);
    m_noDatabase->setGeometry(viewGeometry);
    buildMenus();
    buildFrames();
    buildCoolBar();
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    m_hint = new QLabel(bar);
    m_hint->setObjectName(QStringLiteral("StatusBar_panel1"));
    // No fixed name: a screen reader announces the hint's own text.
    bar->addWidget(m_hint, 1);
    setStatusBar(bar);
    // The photo control's file dialog and messages go through the UI services.
    imagelet::Imagelet::setFileDialog(
        [](QWidget*, const QString& title, const QString& filter, const QString& folder) {
            return ui().openFile(title, filter, folder);
        });
    imagelet::Imagelet::setMessageBox([](QWidget*, const QString& text) { ui().message(text); });
    m_fitwell = new fitwell::FitwellControl(m_client);
    m_client->installEventFilter(this);
    // Below the designed size labels and buttons would be cut.
    setMinimumSize(1100, 760);
    resize(1100, 760);
    setCoolBarEnabled(false);
    // The history of changes keeps a comment's plain text.
    set_rich_text_reader(&rtf::plainText);
}

Form_main::~Form_main() = default;

void Form_main::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menu_file"));
    auto action = [this, file](const char* name, const QString& caption,
                               void (Form_main::*slot)()) {
        QAction* a = file->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action("menu_open", QStringLiteral("&Open Database"), &Form_main::menu_open);
    action("menu_close", QStringLiteral("&Close Database"), &Form_main::menu_close);
    file->addSeparator()->setObjectName(QStringLiteral("menu_sep"));
    action("menu_create", QStringLiteral("C&reate Database"), &Form_main::menu_create);
    m_recentChanges = action("menu_recent_changes", QStringLiteral("Recent C&hanges..."),
                             &Form_main::menu_recent_changes);
    m_import = action("menu_import", QStringLiteral("&Import..."), &Form_main::menu_import);
    m_saveCopy =
        action("menu_save_copy", QStringLiteral("Save a Cop&y..."), &Form_main::menu_save_copy);
    file->addSeparator()->setObjectName(QStringLiteral("menu_sep2"));
    // The recent database files are listed here, above Exit.
    m_recentSeparator = file->addSeparator();
    m_recentSeparator->setObjectName(QStringLiteral("menu_sep_recent"));
    action("menu_exit", QStringLiteral("E&xit"), &Form_main::menu_exit);
    m_fileMenu = file;

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menu_view"));
    QAction* refresh = view->addAction(QStringLiteral("&Refresh"));
    refresh->setObjectName(QStringLiteral("menu_refresh"));
    refresh->setShortcut(QKeySequence::Refresh);
    connect(refresh, &QAction::triggered, this, &Form_main::menu_refresh);
    QAction* attention = view->addAction(QStringLiteral("&Attention"));
    attention->setObjectName(QStringLiteral("menu_attention"));
    attention->setShortcut(Qt::Key_F3);
    connect(attention, &QAction::triggered, this, &Form_main::menu_attention);
    QAction* find = view->addAction(QStringLiteral("&Find..."));
    find->setObjectName(QStringLiteral("menu_find"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        if (databaseOpen())
            m_search->focusSearch();
    });
    // "/" finds too, as in many programs; a box being typed in keeps it.
    connect(new QShortcut(QKeySequence(Qt::Key_Slash), this), &QShortcut::activated, this, [this] {
        if (databaseOpen())
            m_search->focusSearch();
    });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menu_help"));
    QAction* about = help->addAction(QStringLiteral("&About Gearlog"));
    about->setObjectName(QStringLiteral("menu_about"));
    connect(about, &QAction::triggered, this, &Form_main::menu_about);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("mnuPopup"));
    QAction* excel = m_popup->addAction(QStringLiteral("Save as Excel"));
    excel->setObjectName(QStringLiteral("mnuExcel"));
    connect(excel, &QAction::triggered, this, &Form_main::mnuExcel_Click);
    QAction* changes = m_popup->addAction(QStringLiteral("Changes"));
    changes->setObjectName(QStringLiteral("mnuChanges"));
    connect(changes, &QAction::triggered, this, &Form_main::mnuChanges_Click);
    QAction* maintenance = m_popup->addAction(QStringLiteral("Record Maintenance..."));
    maintenance->setObjectName(QStringLiteral("mnuRecordMaintenance"));
    connect(maintenance, &QAction::triggered, this, &Form_main::mnuRecordMaintenance_Click);
}

void Form_main::buildFrames() {
    m_photoView = new Frame_photo(*this, m_client);
    m_categoryView = new Frame_category(*this, m_client);
    m_equipmentView = new Frame_equipment(*this, m_client);
    m_assetView = new Frame_asset(*this, m_client);
    m_shipmentView = new Frame_shipment(*this, m_client);
    m_reportView = new Frame_report(*this, m_client);
    m_shipmentReportView = new Frame_report_shipment(*this, m_client);
    connect(m_requests, &ViewRequests::equipmentReportRequested, m_reportView,
            guarded([this] { m_reportView->display_equipment_report(); }));
    connect(m_requests, &ViewRequests::shippingHistoryRequested, this, guarded([this] {
                Form_Shipping_History history(*m_session, m_state, this);
                ui().runModal(history);
            }));
    m_attentionView = new Frame_attention(*this, m_client);
    m_bookingsView = new Frame_bookings(*this, m_client);
    connect(m_requests, &ViewRequests::bookingRequested, this, [this](int id) {
        showPrepared(m_bookingsView, [this, id] {
            m_bookingsView->Command_Bookings_Click();
            m_bookingsView->showBookingWithKey(id);
        });
    });
    m_stocktakeView = new Frame_stocktake(*this, m_client);
    // Beside the asset and equipment forms: where a stocktake last saw the
    // asset, and its maintenance.
    auto* lastSeen = new LastSeenLabel(m_assetView, {870, 215, 200, 36});
    m_maintenancePanel = new MaintenancePanel(*this, m_assetView);
    m_assetView->onAssetShown([this, lastSeen](int asset) {
        guarded([&] {
            lastSeen->showAsset(m_session->database(), asset);
            m_maintenancePanel->showAsset(asset);
        })();
    });
    m_typeInterval = new TypeIntervalBox(*this, m_equipmentView);
    m_equipmentView->onEquipmentShown(
        [this](int equipment) { guarded([&] { m_typeInterval->showEquipment(equipment); })(); });
    m_assetView->assetList().listed = [this](FlexGrid& grid) {
        guarded([&] { mark_failed_maintenance(grid, m_session->database()); })();
    };
    m_reportView->addColumns(QStringLiteral("Show last maintenance"),
                             {QStringLiteral("Last Maintenance"), QStringLiteral("Last Result")},
                             [this](const std::vector<int>& assets) {
                                 return last_maintenance_cells(m_session->database().store(),
                                                               assets);
                             });
    QAction* recordOnGrid =
        m_assetView->assetList().gridMenu()->addAction(QStringLiteral("Record Maintenance..."));
    recordOnGrid->setObjectName(QStringLiteral("mnuAssetRecordMaintenance"));
    connect(recordOnGrid, &QAction::triggered, this, [this] {
        if (m_state.current_asset_id > 0)
            recordMaintenance(m_state.current_asset_id);
    });
    connect(m_requests, &ViewRequests::maintenanceRequested, this,
            [this](int asset) { recordMaintenance(asset); });
    // A booking becomes a new shipment: saved, it marks the booking.
    m_bookingsView->setDispatcher([this](const Booking& b) {
        showPrepared(m_shipmentView, [this, b] {
            m_shipmentView->Command_Send_Click();
            m_shipmentView->startShipment(
                {b.name, b.contact, b.address, b.lines.empty() ? 0 : b.lines.front().equipment,
                 std::max(b.leaves, QDate::currentDate()), b.back},
                [id = b.id](Database& db, int shipment) { mark_dispatched(db, id, shipment); });
        });
    });
    connect(m_requests, &ViewRequests::shipmentRequested, this, [this](int id) {
        showPrepared(m_shipmentView, [this, id] {
            m_shipmentView->Command_Send_Click();
            m_shipmentView->showShipment(id);
        });
    });
    connect(m_requests, &ViewRequests::assetRequested, this, [this](int id) {
        showPrepared(m_assetView, [this, id] {
            m_assetView->Command_Assets_Click();
            AssetList& list = m_assetView->assetList();
            list.showAsset(id);
            // Asked for from elsewhere: the asset's row takes the keys.
            list.Grid_asset->setFocus(Qt::OtherFocusReason);
        });
    });
    connect(m_requests, &ViewRequests::equipmentRequested, this, [this](int id) {
        showPrepared(m_equipmentView, [this, id] {
            m_equipmentView->Command_Equipment_Click();
            m_equipmentView->showEquipment(id);
        });
    });
    const auto showListItem = [this](int list) {
        return [this, list](int key) {
            showPrepared(m_categoryView, [this, list, key] {
                m_categoryView->Command_Categories_Click(list);
                m_categoryView->showItem(key);
            });
        };
    };
    connect(m_requests, &ViewRequests::addressRequested, this, showListItem(2));
    connect(m_requests, &ViewRequests::contactRequested, this, showListItem(3));
    connect(m_requests, &ViewRequests::changesRequested, this,
            [this](const QString& table, int key) {
                guarded([&] {
                    Form_changes changes(*this, table, key, this);
                    ui().runModal(changes);
                })();
            });
    connect(
        m_requests, &ViewRequests::labelsRequested, this,
        [this](const QList<int>& assets, int equipmentId) {
            guarded([&] {
                Form_labels labels(*m_session, {assets.begin(), assets.end()}, equipmentId, this);
                ui().runModal(labels);
            })();
        });
    const auto gridOf = [](FlexGrid* grid) {
        return [grid] {
            return grid;
        };
    };
    m_views = {{m_photoView, {}},
               {m_categoryView, gridOf(m_categoryView->grid()),
                [this] {
                    return m_categoryView->selectedRecord();
                }},
               {m_equipmentView,
                {},
                [this] {
                    return std::pair{QStringLiteral("Table_equipment"),
                                     m_equipmentView->selectedEquipment()};
                }},
               {m_assetView,
                [this]() -> FlexGrid* {
                    // The log saves from its own menu; the asset grid has none.
                    FlexGrid* log = m_maintenancePanel->grid();
                    return focusWidget() == log ? log : nullptr;
                },
                {},
                [this] {
                    return m_state.current_asset_id;
                }},
               {m_shipmentView,
                {},
                [this] {
                    return std::pair{QStringLiteral("Table_shipment"), m_state.current_shipment_id};
                }},
               {m_reportView, gridOf(m_reportView->grid())},
               {m_shipmentReportView, gridOf(m_shipmentReportView->grid())},
               {m_attentionView,
                [this] { return m_attentionView->grid(); },
                {},
                [this] {
                    return m_attentionView->menuAsset();
                }},
               {m_bookingsView, gridOf(m_bookingsView->grid())},
               {m_stocktakeView, gridOf(m_stocktakeView->grid())}};
    m_anchor = m_photoView;
}

QPushButton* Form_main::viewButton(QWidget* band, const char* name, int index,
                                   const QString& caption, const QString& hint, QFrame* frame,
                                   std::function<void()> prepare) {
    auto* button = new BandButton(caption, band);
    button->setObjectName(index < 0 ? QString::fromLatin1(name) : arrayName(name, index));
    if (index >= 0)
        button->setProperty("Index", index);
    button->setProperty(hintProperty, hint);
    button->setAccessibleDescription(hint);
    button->setToolTip(hint);
    button->setMouseTracking(true);
    button->installEventFilter(this);
    band->layout()->addWidget(button);
    connect(button, &QPushButton::clicked, this,
            [this, frame, prepare] { showPrepared(frame, prepare); });
    return button;
}

void Form_main::showPrepared(QFrame* frame, const std::function<void()>& prepare) {
    try {
        if (prepare)
            prepare();
        show_view(frame);
        m_prepareShowing = prepare;
    } catch (const EngineError& e) {
        ui().showError(e.description(), e.details());
    }
}

void Form_main::menu_recent_changes() {
    if (databaseOpen())
        guarded([this] {
            Form_changes changes(*this, {}, -1, this);
            ui().runModal(changes);
        })();
}

void Form_main::menu_import() {
    if (!databaseOpen())
        return;
    // Told before any file is read, not after its preview.
    if (m_session->isReadOnly()) {
        ui().message(QStringLiteral("This database is open read only: nothing can be imported "
                                    "into it"));
        return;
    }
    guarded([this] {
        Form_import form(
            *this, [this] { menu_refresh(); }, this);
        ui().runModal(form);
    })();
}

void Form_main::menu_attention() {
    if (databaseOpen())
        showPrepared(m_attentionView, [this] { m_attentionView->Command_Attention_Click(); });
}

void Form_main::buildCoolBar() {
    m_coolBar = new QToolBar(QStringLiteral("CoolBar"), this);
    m_coolBar->setObjectName(QStringLiteral("CoolBar"));
    m_coolBar->setMovable(false);
    m_coolBar->setMouseTracking(true);
    m_coolBar->installEventFilter(this);
    addToolBar(Qt::TopToolBarArea, m_coolBar);
    auto band = [this](const QString& caption, const char* pictureName) {
        auto* box = new QWidget(m_coolBar);
        auto* column = new QVBoxLayout(box);
        column->setContentsMargins(6, 2, 6, 2);
        auto* label = new QLabel(caption, box);
        label->setObjectName(QStringLiteral("Band_") + caption);
        auto* picture = new QWidget(box);
        picture->setObjectName(QString::fromLatin1(pictureName));
        picture->setAccessibleName(caption);
        picture->setMouseTracking(true);
        picture->installEventFilter(this);
        auto* row = new QHBoxLayout(picture);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(4);
        column->addWidget(label);
        column->addWidget(picture);
        m_coolBar->addWidget(box);
        m_coolBar->addSeparator();
        return picture;
    };
    QWidget* actions = band(QStringLiteral("Actions"), "Picture_actions");
    viewButton(actions, "Command_Send", -1, QStringLiteral("S&hipments"),
               QStringLiteral("Select items from database for shipment"), m_shipmentView,
               [this] { m_shipmentView->Command_Send_Click(); });
    viewButton(actions, "Command_Attention", -1, QStringLiteral("Atte&ntion"),
               QStringLiteral("Overdue shipments and maintenance due"), m_attentionView,
               [this] { m_attentionView->Command_Attention_Click(); });
    viewButton(actions, "Command_Bookings", -1, QStringLiteral("&Bookings"),
               QStringLiteral("Equipment reserved for days ahead, and what is free each day"),
               m_bookingsView, [this] { m_bookingsView->Command_Bookings_Click(); });
    viewButton(actions, "Command_Stocktake", -1, QStringLiteral("Stoc&ktake"),
               QStringLiteral("Scan an office's stock: what is missing, out or misplaced"),
               m_stocktakeView, [this] { m_stocktakeView->Command_Stocktake_Click(); });
    QWidget* database = band(QStringLiteral("Database"), "Picture_database");
    viewButton(database, "Command_Equipment", -1, QStringLiteral("&Equipment"),
               QStringLiteral("Load a piece of equipment into the database"), m_equipmentView,
               [this] { m_equipmentView->Command_Equipment_Click(); });
    viewButton(database, "Command_Load_Photo", -1, QStringLiteral("&Photographs"),
               QStringLiteral("Load a photo of a piece of equipment into the database"),
               m_photoView, [this] { m_photoView->Command_Load_Photo_Click(); });
    viewButton(database, "Command_Assets", -1, QStringLiteral("&Assets"),
               QStringLiteral("Add an asset to the database"), m_assetView,
               [this] { m_assetView->Command_Assets_Click(); });
    QWidget* lists = band(QStringLiteral("Lists"), "Picture_lists");
    const QString statusHint = QStringLiteral("Modify the equipment status list in the database");
    const QString listCaptions[] = {QStringLiteral("&Categories"), QStringLiteral("S&tatus"),
                                    QStringLiteral("&Locations"), QStringLiteral("C&ontacts")};
    for (int i = 0; i < 4; ++i)
        viewButton(lists, "Command_Categories", i, listCaptions[i],
                   i == 0 ? QStringLiteral("Modify the equipment category list in the database")
                          : statusHint,
                   m_categoryView, [this, i] { m_categoryView->Command_Categories_Click(i); });
    QWidget* reports = band(QStringLiteral("Reports"), "Picture_reports");
    viewButton(reports, "Command_report", 0, QStringLiteral("E&quipment"),
               QStringLiteral("Generate an equipment report"), m_reportView,
               [this] { m_reportView->Command_report_Click(); });
    viewButton(reports, "Command_report", 1, QStringLiteral("Sh&ipments"),
               QStringLiteral("Generate an equipment location report"), m_shipmentReportView);
    // The bands fill the bar; the search box sits at the menu bar's end,
    // over a place kept for it there, yet belongs to the window itself: a
    // menu bar tells assistive technology only of its menus.
    m_search = new SearchBox(*this, this, this);
    m_searchPlace = new QWidget(menuBar());
    m_searchPlace->setObjectName(QStringLiteral("SearchPlace"));
    // The menu bar sizes its corner by the size hint, which a layout gives.
    auto* kept = new QHBoxLayout(m_searchPlace);
    kept->setContentsMargins(0, 0, 0, 0);
    kept->addSpacerItem(new QSpacerItem(m_search->sizeHint().width(), m_search->sizeHint().height(),
                                        QSizePolicy::Fixed, QSizePolicy::Fixed));
    m_searchPlace->installEventFilter(this);
    menuBar()->setCornerWidget(m_searchPlace, Qt::TopRightCorner);
}

// A move over a button that the button passes on to its band (a button
// takes no move without a mouse button held) is still a move over the button.
bool Form_main::overButton(QObject* watched, QEvent* event) {
    auto* area = qobject_cast<QWidget*>(watched);
    if (!area || event->type() != QEvent::MouseMove)
        return false;
    const QWidget* child = area->childAt(static_cast<QMouseEvent*>(event)->position().toPoint());
    return child && child->property(hintProperty).isValid();
}

bool Form_main::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_client && event->type() == QEvent::Resize)
        resizeControls();
    if (watched == m_searchPlace &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        m_search->setGeometry(QRect(m_searchPlace->mapTo(this, QPoint()), m_searchPlace->size()));
        m_search->raise();
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        const QVariant hint = watched->property(hintProperty);
        if (hint.isValid()) {
            m_hint->setText(hint.toString());
        } else if (!overButton(watched, event)) {
            for (const char* area : clearingAreas)
                if (watched->objectName() == QLatin1String(area))
                    m_hint->clear();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form_main::show_view(QFrame* frame) {
    frame->move(m_anchor->pos());
    frame->show();
    frame->raise();
    for (const View& other : m_views)
        if (other.frame != frame)
            other.frame->hide();
    // What the views' reads held (the cursors' rows, the store's cached
    // pages, the last view's lists), once the window is idle again.
    QTimer::singleShot(0, this, [this] {
        if (databaseOpen()) {
            m_session->releaseRows();
            m_session->database().store().releaseCachedPages();
        }
        returnFreedMemory();
    });
}

void Form_main::menu_about() {
    const QString database = databaseOpen() ? m_session->dataSourceName() : QStringLiteral("none");
    ui().message(QStringLiteral("Gearlog %1\n\nKeeps track of equipment, assets and the shipments "
                                "that move them.\n\nLicence: MIT License\nDatabase in use: %2")
                     .arg(QApplication::applicationVersion(), database),
                 MessageIcon::Information);
}

void Form_main::menu_refresh() {
    if (!databaseOpen())
        return;
    try {
        m_session->refresh();
        if (m_prepareShowing)
            m_prepareShowing();
    } catch (const EngineError& e) {
        ui().showError(e.description(), e.details());
    }
}

void Form_main::popupMenu(const QPoint& globalPos) {
    // The entries the showing view offers.
    for (const View& view : m_views)
        if (view.frame->isVisibleTo(this)) {
            m_popup->findChild<QAction*>(QStringLiteral("mnuExcel"))
                ->setVisible(view.exportGrid && view.exportGrid());
            m_popup->findChild<QAction*>(QStringLiteral("mnuChanges"))
                ->setVisible(static_cast<bool>(view.record));
            m_popup->findChild<QAction*>(QStringLiteral("mnuRecordMaintenance"))
                ->setVisible(view.asset && view.asset() > 0 && m_session &&
                             has_maintenance_tables(m_session->database()));
        }
    m_popup->popup(globalPos);
}

void Form_main::mnuChanges_Click() {
    for (const View& view : m_views)
        if (view.record && view.frame->isVisibleTo(this)) {
            guarded([&] {
                const auto [table, key] = view.record();
                if (key > 0)
                    emit m_requests->changesRequested(table, key);
            })();
            return;
        }
}

void Form_main::mnuRecordMaintenance_Click() {
    for (const View& view : m_views)
        if (view.asset && view.frame->isVisibleTo(this))
            if (const int asset = view.asset(); asset > 0)
                recordMaintenance(asset);
}

void Form_main::recordMaintenance(int asset) {
    guarded([&] {
        if (!m_session || !has_maintenance_tables(m_session->database())) {
            ui().message(QStringLiteral("This database has no maintenance log yet: its tables "
                                        "are made the first time a desk that may change it opens "
                                        "it"));
            return;
        }
        Form_maintenance dialog(*this, asset, this);
        if (ui().runModal(dialog) != QDialog::Accepted)
            return;
        // What shows the asset's maintenance shows it anew.
        // The list read again: the asset's next date and its mark change.
        if (m_assetView->isVisibleTo(this))
            m_assetView->assetList().load_asset_list();
        if (m_attentionView->isVisibleTo(this))
            m_attentionView->Command_Attention_Click();
    })();
}

void Form_main::mnuExcel_Click() {
    // At most one view shows; its grid, if it offers the menu, is exported.
    for (const View& view : m_views)
        if (view.exportGrid && view.frame->isVisibleTo(this)) {
            if (const FlexGrid* grid = view.exportGrid())
                export_grid_to_spreadsheet(*grid,
                                           m_session ? open_database_file(*m_session) : QString());
            return;
        }
}

void Form_main::setCoolBarEnabled(bool enabled) {
    m_coolBar->setEnabled(enabled);
    m_search->setEnabled(enabled);
    m_saveCopy->setEnabled(enabled);
    m_recentChanges->setEnabled(enabled);
    m_import->setEnabled(enabled);
    // With no database there is nothing to show but the way to one.
    m_noDatabase->setVisible(!enabled);
}

void Form_main::setSessionCaption(const QString& name) {
    QString caption = name.isNull() ? QStringLiteral("Asset Database")
                                    : QStringLiteral("Asset Database (") + name + QLatin1Char(')');
    if (!name.isNull() && m_session && m_session->isReadOnly())
        caption += QStringLiteral(" (read only)");
    setWindowTitle(caption);
}

void Form_main::resizeControls() {
    if (isMinimized())
        return;
    m_fitwell->ResizeControls();
    m_coolBar->update();
}

void Form_main::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // Restoring from the minimised state brings no resize of its own.
    if (event->type() == QEvent::WindowStateChange)
        resizeControls();
}

void Form_main::closeEvent(QCloseEvent* event) {
    if (!m_exiting)
        saveFieldList();
    QMainWindow::closeEvent(event);
}

void Form_main::menu_exit() {
    m_exiting = true;
    m_exit();
}

} // namespace gearlog
