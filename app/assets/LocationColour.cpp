#include "LocationColour.h"

#include "RecordHelpers.h"
#include "Session.h"

namespace gearlog {

namespace {

constexpr int white = 0xFFFFFF;

} // namespace

int location_colour(Session& session, int accountId, int shipmentId, LocationColourMemo& memo) {
    Recordset& addresses = session.rs_address();
    // The colour of an address, or -1 when it has none.
    const auto addressColour = [&](int id) {
        if (const auto known = memo.address.constFind(id); known != memo.address.constEnd())
            return known.value();
        int colour = -1;
        if (id >= 0 && find_record_by_number(addresses, QStringLiteral("ID"), id))
            colour = key_of(addresses, QStringLiteral("ColourCode"));
        memo.address.insert(id, colour);
        return colour;
    };
    int colour = white;
    if (accountId >= 0 && addressColour(accountId) != -1)
        colour = addressColour(accountId);
    if (shipmentId < 0)
        return colour;
    auto receiver = memo.receiver.constFind(shipmentId);
    if (receiver == memo.receiver.constEnd()) {
        Recordset& shipments = session.rs_shipment();
        receiver = memo.receiver.insert(
            shipmentId, find_record_by_number(shipments, QStringLiteral("ID"), shipmentId)
                            ? key_of(shipments, QStringLiteral("ReceiverAddressID"))
                            : -1);
    }
    if (receiver.value() >= 0 && addressColour(receiver.value()) != -1)
        colour = addressColour(receiver.value());
    return colour;
}

} // namespace gearlog
