#include "Frame_attention.h"

#include "BackgroundWork.h"
#include "Bookings.h"
#include "CommandRunner.h"
#include "FlexGrid.h"
#include "Session.h"
#include "Settings.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"
#include "ViewRequests.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QSpinBox>

namespace gearlog {

namespace {

enum List { Overdue, Maintenance, OutDue, ShortBookings, Failed };
constexpr int attentionLists = Frame_attention::attentionLists;

const char* const gridNames[attentionLists] = {"Grid_attention_overdue",
                                               "Grid_attention_maintenance", "Grid_attention_out",
                                               "Grid_attention_bookings", "Grid_attention_failed"};
const QString atOpenSetting = QStringLiteral("AttentionAtOpen");
// The most urgent rows a list shows; its heading tells how many there are.
constexpr int rowsShown = 1000;

const char* const titles[attentionLists] = {"Overdue shipments", "Maintenance due",
                                            "Out during maintenance", "Short bookings",
                                            "Failed maintenance"};

QStringList headingsOf(int list) {
    switch (list) {
    case Overdue:
        return {QStringLiteral("Shipment"),     QStringLiteral("Receiver"),
                QStringLiteral("Sent"),         QStringLiteral("Expected Return"),
                QStringLiteral("Days Overdue"), QStringLiteral("Assets Out")};
    case Maintenance:
        return {QStringLiteral("ID"),
                QStringLiteral("Model Number"),
                QStringLiteral("Serial Number"),
                QStringLiteral("Equipment"),
                QStringLiteral("Maintenance"),
                QStringLiteral("Days Left"),
                QStringLiteral("Location")};
    case OutDue:
        return {QStringLiteral("ID"),
                QStringLiteral("Model Number"),
                QStringLiteral("Serial Number"),
                QStringLiteral("Shipment"),
                QStringLiteral("Maintenance"),
                QStringLiteral("Expected Return")};
    case ShortBookings:
        return {QStringLiteral("Booking"), QStringLiteral("Receiver"), QStringLiteral("Leaves"),
                QStringLiteral("Lacking")};
    default:
        return {QStringLiteral("ID"),
                QStringLiteral("Model Number"),
                QStringLiteral("Serial Number"),
                QStringLiteral("Equipment"),
                QStringLiteral("Failed"),
                QStringLiteral("Kind"),
                QStringLiteral("Notes")};
    }
}

} // namespace

Frame_attention::Frame_attention(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_attention"), QStringLiteral("Attention"));
    Text_attention_days = new QSpinBox(this);
    Text_attention_days->setObjectName(QStringLiteral("Text_attention_days"));
    Text_attention_days->setRange(0, 3650);
    Text_attention_days->setValue(30);
    Text_attention_days->setGeometry(250, 10, 80, 26);
    Text_attention_days->setToolTip(
        QStringLiteral("Maintenance falling within this many days from today is listed"));
    makeLabelBefore(this, QStringLiteral("Maintenance within (days)"), Text_attention_days, 240);
    connect(Text_attention_days, &QSpinBox::valueChanged, this,
            guarded([this] { Command_Attention_Click(); }));
    Check_attention_at_open = new QCheckBox(
        QStringLiteral("Show this view when a database opens with shipments overdue"), this);
    Check_attention_at_open->setObjectName(QStringLiteral("Check_attention_at_open"));
    Check_attention_at_open->setGeometry(400, 10, 600, 26);
    Check_attention_at_open->setChecked(showsAtOpen());
    connect(Check_attention_at_open, &QCheckBox::toggled, this, [](bool on) {
        settings::write(atOpenSetting, on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    for (int list = 0; list < attentionLists; ++list) {
        const int y = 45 + list * 118;
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label_attention_%1").arg(list));
        label->setGeometry(10, y, 600, 26);
        FlexGrid* grid =
            makeGrid(this, QString::fromLatin1(gridNames[list]),
                     QString::fromLatin1(titles[list]) + QStringLiteral(" grid"),
                     QStringLiteral("Double-click a row, or press Enter, to open it"),
                     {10, y + 28, 1060, 88}, static_cast<int>(headingsOf(list).size()), 0);
        label->setBuddy(grid);
        open_on_enter(*grid, [this, list] { open(list); });
        connect(grid, &FlexGrid::RightClick, this, [this, grid](const QPoint& at) {
            m_menuGrid = grid;
            m_context.popupMenu(at);
        });
        Label_attention[static_cast<size_t>(list)] = label;
        Grid_attention[static_cast<size_t>(list)] = grid;
    }
    m_menuGrid = Grid_attention[0];
    hide();
}

bool Frame_attention::showsAtOpen() {
    return settings::read(atOpenSetting).trimmed() != QLatin1String("0");
}

void Frame_attention::Command_Attention_Click() {
    // Read off the window's thread: on a large database the view comes up
    // at once and its lists follow. A request while one runs reads again
    // after it, with what the user has asked for since.
    if (m_reading) {
        m_readAgain = true;
        return;
    }
    for (size_t list = 0; list < attentionLists; ++list)
        Label_attention[list]->setText(QString::fromLatin1(titles[list]) +
                                       QStringLiteral(" (reading...)"));
    auto lists = std::make_shared<std::pair<DueLists, std::vector<ShortBooking>>>();
    const QDate today = QDate::currentDate();
    const int days = Text_attention_days->value();
    m_reading = new BackgroundWork(
        m_context.session().connector(),
        [lists, today, days](Store& store) {
            lists->first = read_due_lists(store, today, days, rowsShown);
            lists->second = read_short_bookings(store, today, days);
        },
        this);
    connect(m_reading, &BackgroundWork::finished, this, [this, lists](const QString& error) {
        std::exchange(m_reading, nullptr)->deleteLater();
        if (std::exchange(m_readAgain, false)) {
            Command_Attention_Click();
            return;
        }
        if (!error.isEmpty()) {
            ui().showError(QStringLiteral("The lists could not be read: ") + error, QString());
            return;
        }
        m_lists = std::move(lists->first);
        m_short = std::move(lists->second);
        showLists();
    });
}

void Frame_attention::showLists() {
    std::array<StringTable, attentionLists> tables;
    for (int list = 0; list < attentionLists; ++list)
        tables[static_cast<size_t>(list)].push_back(headingsOf(list));
    for (const OverdueShipment& s : m_lists.overdue)
        tables[Overdue].push_back({s.name, s.receiver, format_date(s.sent), format_date(s.expected),
                                   QString::number(s.daysOverdue), QString::number(s.assetsOut)});
    for (const MaintenanceDue& m : m_lists.maintenance)
        tables[Maintenance].push_back({QString::number(m.assetId), m.model, m.serial, m.type,
                                       format_date(m.due), QString::number(m.daysLeft),
                                       m.location});
    for (const OutDuringMaintenance& o : m_lists.outDue)
        tables[OutDue].push_back({QString::number(o.assetId), o.model, o.serial, o.shipment,
                                  format_date(o.maintenance), format_date(o.expectedReturn)});
    for (const ShortBooking& b : m_short)
        tables[ShortBookings].push_back({b.name, b.receiver, format_date(b.leaves), b.lacking});
    for (const FailedAsset& f : m_lists.failed)
        tables[Failed].push_back({QString::number(f.asset), f.model, f.serial, f.type,
                                  format_date(f.done), f.kind, f.notes});
    const int totals[attentionLists] = {m_lists.overdueTotal, m_lists.maintenanceTotal,
                                        m_lists.outDueTotal, static_cast<int>(m_short.size()),
                                        m_lists.failedTotal};
    for (size_t list = 0; list < attentionLists; ++list) {
        FlexGrid& grid = *Grid_attention[list];
        const int cols = static_cast<int>(tables[list].front().size());
        grid.replaceTable(std::move(tables[list]));
        const int width = (grid.widthTwips() - 400) / cols;
        for (int c = 0; c < cols; ++c) {
            grid.setColWidth(c, width);
            grid.setColAlignment(c, Qt::AlignLeft);
        }
        const int shown = grid.rows() - 1;
        QString heading =
            QStringLiteral("%1 (%L2)").arg(QString::fromLatin1(titles[list])).arg(totals[list]);
        if (shown < totals[list])
            heading += QStringLiteral(": the %L1 most urgent shown").arg(shown);
        Label_attention[list]->setText(heading);
    }
}

int Frame_attention::assetAt(int list) const {
    const int row = Grid_attention[static_cast<size_t>(list)]->row() - 1;
    if (row < 0)
        return 0;
    const auto at = static_cast<size_t>(row);
    if (list == Maintenance && at < m_lists.maintenance.size())
        return m_lists.maintenance[at].assetId;
    if (list == OutDue && at < m_lists.outDue.size())
        return m_lists.outDue[at].assetId;
    if (list == Failed && at < m_lists.failed.size())
        return m_lists.failed[at].asset;
    return 0;
}

int Frame_attention::menuAsset() const {
    for (int list = 0; list < attentionLists; ++list)
        if (Grid_attention[static_cast<size_t>(list)] == m_menuGrid)
            return assetAt(list);
    return 0;
}

void Frame_attention::open(int list) {
    const int row = Grid_attention[static_cast<size_t>(list)]->row() - 1;
    if (row < 0)
        return;
    const auto at = static_cast<size_t>(row);
    ViewRequests& requests = m_context.requests();
    if (list == Overdue && at < m_lists.overdue.size())
        emit requests.shipmentRequested(m_lists.overdue[at].id);
    else if (list == ShortBookings && at < m_short.size())
        emit requests.bookingRequested(m_short[at].id);
    else if (const int asset = assetAt(list); asset > 0 && list == OutDue)
        emit requests.assetRequested(asset);
    else if (asset > 0)
        emit requests.maintenanceRequested(asset);
}

} // namespace gearlog
