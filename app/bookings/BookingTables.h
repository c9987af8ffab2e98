#pragma once

#include "Schema.h"
#include "Store.h"

namespace gearlog {

// A booking: equipment reserved for days ahead, with its receiver.
// State is one of the bookingState texts; ShipmentID names the shipment
// it became (0 until it is dispatched).
const TableDef& bookingTable();
// A line of a booking: a quantity of one equipment type, or one named
// asset (AssetID, quantity 1).
const TableDef& bookingLineTable();
// True when a writable opening has made the bookings' tables here.
bool has_booking_tables(Store& store);
// Names the bookings' tables, so that writable openings make them: called
// once by each program before it opens a database.
void enableBookings();

namespace bookingState {
inline const QString booked = QStringLiteral("Booked");
inline const QString dispatched = QStringLiteral("Dispatched");
inline const QString cancelled = QStringLiteral("Cancelled");
} // namespace bookingState

} // namespace gearlog
