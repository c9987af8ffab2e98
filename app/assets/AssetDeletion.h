#pragma once

#include <QString>

namespace gearlog {

class Session;

// What a delete command did: deleted the row, or refused with a message
// for the user (an empty refusal when the row was already gone).
struct Deletion {
    bool deleted = false;
    QString refusal;
};

// Deletes the asset unless a shipping-list line names it, inside the
// caller's transaction. The asset is held first and the lines read after,
// so a line another desk is saving is either seen or refused.
Deletion delete_asset(Session& session, int assetId);

} // namespace gearlog
