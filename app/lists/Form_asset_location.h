#pragma once

#include <QDialog>

namespace gearlog {

struct AppState;
class Session;

// "Destination Details": shows, read-only, the contact and address of the
// exchange values.
class Form_asset_location : public QDialog {
    Q_OBJECT
public:
    explicit Form_asset_location(const AppState& state, QWidget* parent = nullptr);
};

// The location contract: nothing when both the state's location_address_id
// and location_contact_id are -1; otherwise looks both up (either may be
// missing) and shows them.
void show_asset_location(Session& session, AppState& state, QWidget* parent);

} // namespace gearlog
