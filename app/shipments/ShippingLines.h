#pragma once

#include "AssetDeletion.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace gearlog {

class Session;

// What a shipping-list line's state makes of a return or a transfer.
enum class LineState {
    NotStored,   // the row was added on screen and never saved
    Open,        // the asset is out on this shipment
    Returned,    // completed, back to stock
    Transferred, // completed, sent on to another shipment
};

struct StoredLine {
    LineState state = LineState::NotStored;
    QString transferName; // the next shipment's name, for a transferred line
};

// The state of the asset's line on the shipment, read from the session's
// shipping-list working cursor (the lines of the shipment shown). A line
// is transferred when its TransferID names a stored shipment.
StoredLine stored_line(Session& session, int assetId);

// Stores the shipping list of shipment `shipment` on save, inside the
// caller's transaction. `shown` is the shipment whose stored lines the list
// shows (-1 for none): a row whose line there is completed is history and
// never written, whether the list is saved onto that shipment or as a new
// one. Every other listed asset gets an open line on `shipment` unless it
// has one there already; an asset out on another shipment has that
// shipment's open line completed at `now` with this shipment as its
// transfer; then the asset moves onto this shipment. The assets are read
// afresh and held until the transaction ends, so a move another desk made
// meanwhile is seen and none can be made during the save; an asset another
// desk deleted refuses the save. A few statements, whatever the length.
void store_shipping_list(Session& session, int shipment, int shown,
                         const std::vector<int>& assetIds, const QDateTime& now);

// Deletes the asset's open line from the shipment shown, and puts the
// asset back in stock if it stands on this shipment: no asset stays out on
// a shipment that no longer carries it. A line that arrived by transfer
// undoes the transfer: the line it came from is open again and the asset
// back on that shipment. A completed line is left alone.
// Returns the state the line was found in (read afresh). Runs inside the
// caller's transaction.
LineState remove_open_line(Session& session, int shipment, int assetId);

// What returning one ticked row found, and whether it wrote anything.
struct ReturnResult {
    StoredLine line;
    bool changed = false;
};

// Returns the asset's line on the shipment shown to stock on `date`:
// completes an open line and puts its asset in stock together. A returned
// line whose asset still stands on this shipment is put right by putting
// the asset in stock; an asset that has gone out on another shipment since
// is never taken off it. Runs inside the caller's transaction.
ReturnResult return_line(Session& session, int shipment, int assetId, const QDateTime& date);

// Deletes the shipment inside the caller's transaction, unless a line
// still belongs to it or a completed line names it as the shipment its
// asset was transferred to. The shipment is held first and the lines read
// after, so a line another desk is saving onto it is seen or refused.
Deletion delete_shipment(Session& session, int shipment);

} // namespace gearlog
