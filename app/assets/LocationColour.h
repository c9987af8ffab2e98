#pragma once

#include <QHash>

namespace gearlog {

class Session;

// Colours and receivers already looked up while a list is coloured, so a
// list of thousands of assets reads each address and shipment once.
struct LocationColourMemo {
    QHash<int, int> address;  // address -> colour, -1 for none
    QHash<int, int> receiver; // shipment -> receiving address, -1 for none
};

// The colour that shows where an asset is (0x00BBGGRR): white, replaced by
// the colour of its office (`accountId`) when that has one, replaced in
// turn by the colour of the receiving address of the shipment it is out on
// (`shipmentId`) when that has one. -1 stands for a Null key.
int location_colour(Session& session, int accountId, int shipmentId, LocationColourMemo& memo);

} // namespace gearlog
