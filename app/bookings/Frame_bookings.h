#pragma once

#include "Bookings.h"

#include <QFrame>
#include <functional>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace gearlog {

class FlexGrid;
class ViewContext;

// "Bookings": the bookings from today on (upcoming first), a form that
// books a quantity of one equipment type for days ahead or changes the
// chosen booking, and what each type of a category has free on each of
// the next four to thirteen weeks.
class Frame_bookings : public QFrame {
    Q_OBJECT
public:
    Frame_bookings(ViewContext& context, QWidget* parent);

    // Reads the bookings and the availability afresh.
    void Command_Bookings_Click();
    void Command_new_booking_Click();
    void Command_save_booking_Click();
    void Command_cancel_booking_Click();
    // Hands the chosen booking to the shipment view (which the window owns).
    void Command_dispatch_booking_Click();
    void setDispatcher(std::function<void(const Booking&)> dispatch) {
        m_dispatch = std::move(dispatch);
    }
    FlexGrid* grid() const { return Grid_bookings; }
    // Chooses a booking in the grid and shows it in the form.
    void showBookingWithKey(int id);

    FlexGrid* Grid_bookings;
    FlexGrid* Grid_availability;
    QLineEdit* Text_booking_name;
    QComboBox* Combo_booking_receiver;
    QLineEdit* Text_booking_leaves;
    QLineEdit* Text_booking_back;
    QComboBox* Combo_booking_equipment;
    QSpinBox* Text_booking_quantity;
    QLineEdit* Text_booking_assets;
    QComboBox* Combo_availability_category;
    QSpinBox* Text_availability_weeks;

private:
    void showBookings();
    void showAvailability();
    void showBooking(int row);

    ViewContext& m_context;
    std::vector<Booking> m_bookings; // as the grid shows them
    int m_chosen = 0;                // the booking the form shows (0: a new one)
    std::function<void(const Booking&)> m_dispatch;
};

} // namespace gearlog
