#include "Frame_bookings.h"

#include "Availability.h"
#include "BookingTables.h"
#include "ComboHelpers.h"
#include "CommandRunner.h"
#include "DateField.h"
#include "EngineError.h"
#include "FlexGrid.h"
#include "RecordSearch.h"
#include "Session.h"
#include "TypedText.h"
#include "UiServices.h"
#include "ViewContext.h"
#include "ViewParts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

namespace gearlog {

namespace {

constexpr int weeksShown = 4, mostWeeks = 13;
const QColor shortColour(0xf4, 0xc7, 0xc3);

} // namespace

Frame_bookings::Frame_bookings(ViewContext& context, QWidget* parent)
    : QFrame(parent), m_context(context) {
    setUpViewFrame(*this, QStringLiteral("Frame_bookings"), QStringLiteral("Bookings"));
    Grid_bookings = makeGrid(this, QStringLiteral("Grid_bookings"), QStringLiteral("Bookings grid"),
                             QStringLiteral("Click a booking to show it in the form"),
                             {10, 10, 660, 250}, 6, 0);
    connect(Grid_bookings, &FlexGrid::Click, this,
            guarded([this] { showBooking(Grid_bookings->row()); }));
    connect(Grid_bookings, &FlexGrid::RightClick, this,
            [this](const QPoint& at) { m_context.popupMenu(at); });
    const auto line = [this](const char* name, const QString& label, int y) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setGeometry(790, y, 280, 26);
        makeLabelBefore(this, label, box, 100);
        return box;
    };
    Text_booking_name = line("Text_booking_name", QStringLiteral("&Name"), 10);
    Combo_booking_receiver =
        makeCombo(this, QStringLiteral("Combo_booking_receiver"), QStringLiteral("&Receiver"),
                  QStringLiteral("Who the equipment goes to"), {790, 45, 280, 26}, 100);
    Text_booking_leaves = line("Text_booking_leaves", QStringLiteral("&Leaves"), 80);
    Text_booking_back = line("Text_booking_back", QStringLiteral("&Back"), 115);
    for (QLineEdit* date : {Text_booking_leaves, Text_booking_back})
        attach_date_picker(*date, m_context.state());
    Combo_booking_equipment =
        makeCombo(this, QStringLiteral("Combo_booking_equipment"), QStringLiteral("E&quipment"),
                  QStringLiteral("The equipment type booked"), {790, 150, 280, 26}, 100);
    Text_booking_quantity = new QSpinBox(this);
    Text_booking_quantity->setObjectName(QStringLiteral("Text_booking_quantity"));
    Text_booking_quantity->setRange(1, 100000);
    Text_booking_quantity->setGeometry(790, 185, 70, 26);
    makeLabelBefore(this, QStringLiteral("Quan&tity"), Text_booking_quantity, 100);
    // Particular assets, by key or label code ("12, GL-A-40"): they are
    // taken, not just counted; the rest of the quantity is any of the type.
    Text_booking_assets = new QLineEdit(this);
    Text_booking_assets->setObjectName(QStringLiteral("Text_booking_assets"));
    Text_booking_assets->setGeometry(960, 185, 110, 26);
    Text_booking_assets->setToolTip(QStringLiteral(
        "Particular assets to book, by ID or label code, separated by commas (empty: any)"));
    makeLabelBefore(this, QStringLiteral("Assets b&y ID"), Text_booking_assets, 90);
    QPushButton* fresh =
        makeButton(this, QStringLiteral("Command_new_booking"), QStringLiteral("Ne&w Booking"),
                   QStringLiteral("Empty the form for a new booking"), {690, 225, 120, 30});
    QPushButton* save =
        makeButton(this, QStringLiteral("Command_save_booking"), QStringLiteral("&Save Booking"),
                   QStringLiteral("Book the equipment, or save the changes to this booking"),
                   {820, 225, 120, 30});
    QPushButton* cancel = makeButton(
        this, QStringLiteral("Command_cancel_booking"), QStringLiteral("Cancel Boo&king"),
        QStringLiteral("Cancel this booking (it is kept, cancelled)"), {950, 225, 120, 30});
    QPushButton* dispatch = makeButton(
        this, QStringLiteral("Command_dispatch_booking"), QStringLiteral("&Dispatch..."),
        QStringLiteral("Make the shipment of this booking: choose or scan its assets and save"),
        {950, 265, 120, 30});
    connect(dispatch, &QPushButton::clicked, this,
            guarded([this] { Command_dispatch_booking_Click(); }));
    connect(fresh, &QPushButton::clicked, this, guarded([this] { Command_new_booking_Click(); }));
    connect(save, &QPushButton::clicked, this, guarded([this] { Command_save_booking_Click(); }));
    connect(cancel, &QPushButton::clicked, this,
            guarded([this] { Command_cancel_booking_Click(); }));
    Combo_availability_category =
        makeCombo(this, QStringLiteral("Combo_availability_category"), QStringLiteral("C&ategory"),
                  QStringLiteral("The category whose equipment types show"), {100, 275, 280, 26});
    connect(Combo_availability_category, &QComboBox::activated, this,
            guarded([this] { showAvailability(); }));
    Text_availability_weeks = new QSpinBox(this);
    Text_availability_weeks->setObjectName(QStringLiteral("Text_availability_weeks"));
    Text_availability_weeks->setRange(weeksShown, mostWeeks);
    Text_availability_weeks->setGeometry(500, 275, 60, 26);
    Text_availability_weeks->setToolTip(QStringLiteral("How many weeks ahead the grid shows"));
    makeLabelBefore(this, QStringLiteral("&Weeks"), Text_availability_weeks, 80);
    connect(Text_availability_weeks, &QSpinBox::valueChanged, this,
            guarded([this] { showAvailability(); }));
    Grid_availability = makeGrid(
        this, QStringLiteral("Grid_availability"), QStringLiteral("Availability grid"),
        QStringLiteral("Units free on each day; red where bookings take more than there is. Type "
                       "a name to find its type"),
        {10, 310, 1060, 320}, weeksShown * 7 + 1, 1);
    hide();
}

void Frame_bookings::Command_Bookings_Click() {
    Store& store = m_context.session().database().store();
    require_feature_tables(has_booking_tables(store), QStringLiteral("bookings"));
    fill_combo_from(*Combo_booking_receiver, store,
                    QStringLiteral("SELECT ID, Name FROM Table_contact ORDER BY Name, ID"));
    fill_equipment_types(*Combo_booking_equipment, store);
    fill_combo_from(*Combo_availability_category, store,
                    QStringLiteral("SELECT ID, Name FROM Table_category ORDER BY Name"));
    showBookings();
    showAvailability();
    if (m_chosen == 0)
        Command_new_booking_Click();
}

void Frame_bookings::showBookings() {
    Store& store = m_context.session().database().store();
    const QDate today = QDate::currentDate();
    // From today on, upcoming first; the past ones after.
    m_bookings = read_bookings(store);
    std::stable_partition(m_bookings.begin(), m_bookings.end(),
                          [&today](const Booking& b) { return b.back >= today; });
    const BookingNames names = read_booking_names(store);
    StringTable cells{{QStringLiteral("Name"), QStringLiteral("Receiver"), QStringLiteral("Leaves"),
                       QStringLiteral("Back"), QStringLiteral("Lines"), QStringLiteral("State")}};
    std::vector<int> shortRows;
    for (const Booking& b : m_bookings) {
        const bool isShort = !lacking_of(store, b, names).isEmpty();
        if (isShort)
            shortRows.push_back(static_cast<int>(cells.size()));
        cells.push_back({b.name, names.contacts.value(b.contact), format_date(b.leaves),
                         format_date(b.back), names.lines(b),
                         isShort ? QStringLiteral("Short") : b.state});
    }
    FlexGrid& g = *Grid_bookings;
    g.setRows(static_cast<int>(cells.size()));
    g.replaceTable(std::move(cells));
    for (int row : shortRows)
        g.setCellBackColor(row, 5, shortColour);
}

void Frame_bookings::showAvailability() {
    Store& store = m_context.session().database().store();
    const QDate today = QDate::currentDate();
    const auto types = store.select(
        QStringLiteral("SELECT ID, Name FROM Table_equipment WHERE CategoryID = ? ORDER BY Name"),
        {Combo_availability_category->currentData().toInt()}, {FieldType::Long, FieldType::Text});
    const int daysShown = Text_availability_weeks->value() * 7;
    const QHash<int, std::vector<int>> byType =
        free_by_day_in_category(store, Combo_availability_category->currentData().toInt(), today,
                                today.addDays(daysShown - 1));
    // Filled whole at once: a category may hold thousands of types.
    StringTable cells(types.size() + 1);
    cells[0] << QStringLiteral("Equipment");
    for (int d = 0; d < daysShown; ++d)
        cells[0] << today.addDays(d).toString(QStringLiteral("dd MMM"));
    std::vector<std::pair<int, int>> over; // booked beyond what is there
    const std::vector<int> none(daysShown, 0);
    for (size_t t = 0; t < types.size(); ++t) {
        const std::vector<int>& free = byType.value(types[t][0].toInt(), none);
        QStringList& row = cells[t + 1];
        row << types[t][1].toString();
        for (int d = 0; d < daysShown; ++d) {
            row << QString::number(free[static_cast<size_t>(d)]);
            if (free[static_cast<size_t>(d)] < 0)
                over.emplace_back(static_cast<int>(t) + 1, d + 1);
        }
    }
    FlexGrid& g = *Grid_availability;
    g.setCols(daysShown + 1);
    g.setRows(static_cast<int>(cells.size()));
    g.replaceTable(std::move(cells));
    for (const auto& [row, col] : over)
        g.setCellBackColor(row, col, shortColour);
    // The counts side by side, the type's name wide enough to read; typing a
    // name finds its type.
    g.setColWidth(0, 2700);
    for (int d = 1; d <= daysShown; ++d)
        g.setColWidth(d, 900);
    if (g.rows() > 1) {
        g.setRow(1);
        g.setCol(0);
    }
}

void Frame_bookings::showBooking(int row) {
    if (row < 1 || row > static_cast<int>(m_bookings.size()))
        return;
    const Booking& b = m_bookings[static_cast<size_t>(row - 1)];
    m_chosen = b.id;
    Text_booking_name->setText(b.name);
    Combo_booking_receiver->setCurrentIndex(
        std::max(0, Combo_booking_receiver->findData(b.contact)));
    Text_booking_leaves->setText(format_date(b.leaves));
    Text_booking_back->setText(format_date(b.back));
    if (!b.lines.empty()) {
        Combo_booking_equipment->setCurrentIndex(
            std::max(0, Combo_booking_equipment->findData(b.lines.front().equipment)));
        int quantity = 0;
        QStringList named;
        for (const BookingLine& line : b.lines) {
            quantity += line.quantity;
            if (line.asset > 0)
                named << QString::number(line.asset);
        }
        Text_booking_quantity->setValue(quantity);
        Text_booking_assets->setText(named.join(QStringLiteral(", ")));
    }
}

void Frame_bookings::showBookingWithKey(int id) {
    for (size_t i = 0; i < m_bookings.size(); ++i)
        if (m_bookings[i].id == id) {
            const int row = static_cast<int>(i) + 1;
            Grid_bookings->setRow(row);
            showBooking(row);
            Grid_bookings->setFocus(Qt::OtherFocusReason);
        }
}

void Frame_bookings::Command_new_booking_Click() {
    m_chosen = 0;
    Text_booking_name->clear();
    Text_booking_leaves->setText(format_date(QDate::currentDate().addDays(1)));
    Text_booking_back->setText(format_date(QDate::currentDate().addDays(2)));
    Text_booking_quantity->setValue(1);
    Text_booking_assets->clear();
    Text_booking_name->setFocus();
}

void Frame_bookings::Command_save_booking_Click() {
    Booking b;
    b.id = m_chosen;
    b.name = Text_booking_name->text().trimmed();
    b.contact = Combo_booking_receiver->currentData().toInt();
    b.leaves = parse_date(Text_booking_leaves->text());
    b.back = parse_date(Text_booking_back->text());
    for (const Booking& shown : m_bookings)
        if (shown.id == b.id) {
            b.purpose = shown.purpose;
            b.comments = shown.comments;
        }
    if (b.leaves.isNull() || b.back.isNull()) {
        ui().message(QStringLiteral("The days it leaves and is back must be dates"));
        return;
    }
    Session& session = m_context.session();
    const int type = Combo_booking_equipment->currentData().toInt();
    int anyOf = Text_booking_quantity->value();
    for (const QString& code : Text_booking_assets->text().split(
             QRegularExpression(QStringLiteral("[,;\\s]+")), Qt::SkipEmptyParts)) {
        const int labelled = labelled_asset(code);
        const int asset = labelled > 0 ? labelled : code.toInt();
        if (asset <= 0) {
            ui().message(QStringLiteral("\"%1\" is not an asset's ID or label code").arg(code));
            return;
        }
        b.lines.push_back({type, 1, asset});
        --anyOf;
    }
    if (anyOf > 0)
        b.lines.push_back({type, anyOf, 0});
    int saved = 0;
    write_and_reload(
        m_context, b.id > 0 ? QStringLiteral("Change Booking") : QStringLiteral("Book"),
        QStringLiteral("The booking was not saved: "),
        [&] {
            saved = save_booking(session.database(), b);
            return true;
        },
        [this] { Command_Bookings_Click(); });
    if (saved > 0)
        m_chosen = saved;
}

void Frame_bookings::Command_dispatch_booking_Click() {
    const auto chosen = std::find_if(m_bookings.begin(), m_bookings.end(),
                                     [this](const Booking& b) { return b.id == m_chosen; });
    if (chosen == m_bookings.end()) {
        ui().message(QStringLiteral("Choose a booking to dispatch in the Bookings grid"));
        return;
    }
    if (chosen->state != bookingState::booked) {
        ui().message(QStringLiteral("This booking is %1: only a booked one can be dispatched")
                         .arg(chosen->state.toLower()));
        return;
    }
    if (m_dispatch)
        m_dispatch(*chosen);
}

void Frame_bookings::Command_cancel_booking_Click() {
    if (m_chosen == 0) {
        ui().message(QStringLiteral("Choose a booking to cancel in the Bookings grid"));
        return;
    }
    if (!ui().askYesNo(QStringLiteral("Cancel the booking \"%1\"?").arg(Text_booking_name->text())))
        return;
    const int id = m_chosen;
    write_and_reload(
        m_context, QStringLiteral("Cancel Booking"),
        QStringLiteral("The booking was not cancelled: "),
        [&] {
            cancel_booking(m_context.session().database(), id);
            return true;
        },
        [this] { Command_Bookings_Click(); });
}

} // namespace gearlog
