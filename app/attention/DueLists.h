#pragma once

#include "Maintenance.h"

#include <QDate>
#include <QString>
#include <vector>

namespace gearlog {

class Store;

// What needs attention, read from the dates the database already holds.

// A shipment with open lines whose expected return date has passed.
struct OverdueShipment {
    int id = 0;
    QString name, receiver;
    QDate sent, expected;
    int daysOverdue = 0;
    int assetsOut = 0;
};

// An asset still kept (not disposed by today) whose next scheduled
// maintenance is near or has passed.
struct MaintenanceDue {
    int assetId = 0;
    QString model, serial, type;
    QDate due;
    int daysLeft = 0; // negative once passed
    QString location; // "In Stock", or the receiver and shipment it is out on
};

// An asset out on an open line whose maintenance date falls before the
// shipment is expected back, or has passed while it is out.
struct OutDuringMaintenance {
    int assetId = 0;
    QString model, serial;
    int shipmentId = 0;
    QString shipment;
    QDate maintenance, expectedReturn;
};

struct DueLists {
    std::vector<OverdueShipment> overdue;     // oldest expected return first
    std::vector<MaintenanceDue> maintenance;  // soonest first
    std::vector<OutDuringMaintenance> outDue; // soonest maintenance first
    std::vector<FailedAsset> failed;          // assets whose last maintenance failed, latest first
    // How many there are in all (more than listed when the lists were cut).
    int overdueTotal = 0, maintenanceTotal = 0, outDueTotal = 0, failedTotal = 0;
    bool empty() const {
        return overdue.empty() && maintenance.empty() && outDue.empty() && failed.empty();
    }
};

// The four lists as of `today`, maintenance within `days` days (or passed);
// each cut to its `limit` most urgent rows (0: all of them).
DueLists read_due_lists(Store& store, const QDate& today, int days, int limit = 0);

// Days the shipment is overdue (0 when it is not: no open line, or not
// expected back before today).
int shipment_days_overdue(Store& store, int shipment, const QDate& today);

// True when any shipment is overdue (a cheap look at the opening).
bool any_shipment_overdue(Store& store, const QDate& today);

} // namespace gearlog
