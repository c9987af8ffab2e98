#pragma once

#include <QDate>
#include <QString>
#include <vector>

namespace gearlog {

// An asset about to leave although its maintenance is due.
struct DueAsset {
    QString model, serial;
    QDate maintenance;
    bool failed = false; // its last maintenance failed
};

// True when an asset should not leave: its maintenance has passed, or falls
// before the shipment is expected back (a null date is no date).
bool due_before_return(const QDate& maintenance, const QDate& expectedReturn,
                       const QDate& today = QDate::currentDate());

// Asks "... is due for maintenance on ..." (or "... failed its last
// maintenance") "; ship it anyway?", once for all of them; true when the
// user says Yes (or there is nothing to ask).
bool confirm_shipping_due(const std::vector<DueAsset>& due);

} // namespace gearlog
