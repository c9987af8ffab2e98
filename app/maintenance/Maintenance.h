#pragma once

#include "Database.h"
#include "EngineError.h"

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <vector>

namespace gearlog {

namespace maintenanceResult {
inline const QString passed = QStringLiteral("Passed");
inline const QString adjusted = QStringLiteral("Adjusted");
inline const QString failed = QStringLiteral("Failed");
} // namespace maintenanceResult
QStringList maintenance_results();

// The largest certificate kept with an entry.
inline constexpr qint64 largestCertificate = 20LL * 1024 * 1024;

// A refused entry or interval: said as it stands, nothing written.
class MaintenanceRefused : public EngineError {
public:
    using EngineError::EngineError;
};

// The kinds offered: Maintenance, Calibration, Inspection and Repair, then
// those users added, by name.
QStringList read_kinds(Store& store);

// The interval an asset follows: its own where it has one, else its
// type's (days 0: none), with the type's kind.
struct Interval {
    int days = 0;
    QString kind;
    bool own = false; // the asset's own, not its type's
    int typeDays = 0; // its type's, whichever it follows
};
Interval interval_of(Store& store, int asset);
// A type's interval and kind (days 0: none).
Interval type_interval(Store& store, int equipment);
// Sets a type's interval, or (0 days) takes it away: the command "Set
// Maintenance Interval". An empty kind keeps the one it had.
void set_type_interval(Database& db, int equipment, int days, const QString& kind);
// Sets an asset's own interval, or (0 days) lets it follow its type's.
void set_asset_interval(Database& db, int asset, int days);
// The date done plus the interval the asset follows; invalid without one.
QDate proposed_next(Store& store, int asset, const QDate& done);

struct MaintenanceEntry {
    int id = 0;
    int asset = 0;
    QDate done;
    QString kind;
    QString by;      // who did it, as typed, or the contact's name
    int contact = 0; // the contact who did it, when one did
    QString result;
    std::optional<double> cost;
    QString notes;
    QDate next; // the next maintenance it set (invalid: the asset's left as it was)
    QString certificateName;
    qint64 certificateSize = 0; // 0: none
};
struct Certificate {
    QString name; // the file's name, without its folder
    QByteArray bytes;
};

// Records one entry (the command "Record Maintenance"): a new kind is
// added to the list, the entry written with its certificate, and the
// asset's next scheduled maintenance set to `entry.next` when it is valid.
// Refused (MaintenanceRefused) for an asset that is gone, no date done, a
// result not of maintenance_results(), or a certificate that is empty or
// over 20 MB.
// Returns the entry's key.
int record_maintenance(Database& db, MaintenanceEntry entry,
                       const std::optional<Certificate>& certificate);
// The asset's log, newest first (certificates not read).
std::vector<MaintenanceEntry> read_log(Store& store, int asset);
// Every entry done on or after `since` (invalid: all), of one asset (0:
// every asset), oldest first.
std::vector<MaintenanceEntry> read_log_since(Store& store, int asset, const QDate& since);
// The certificate of an entry (empty bytes: none).
Certificate read_certificate(Store& store, int entry);

// Assets whose last entry failed.
struct FailedAsset {
    int asset = 0;
    QString model, serial, type;
    QDate done;
    QString kind, notes;
};
// The first `limit` (0: all), latest failure first; `total` gets how many
// there are.
std::vector<FailedAsset> read_failed(Store& store, int limit = 0, int* total = nullptr);
// Which of these assets' last entry failed.
QSet<int> failed_among(Store& store, const std::vector<int>& assets);

// Each listed asset's last entry: when and with which result.
struct LastMaintenance {
    QDate done;
    QString result;
};
QHash<int, LastMaintenance> last_maintenance_of(Store& store, const std::vector<int>& assets);
// The same as report cells, a row for each asset in order: the date
// (dd-mmm-yyyy) and the result, empty for an asset with no entry or a
// database without the log.
std::vector<QStringList> last_maintenance_cells(Store& store, const std::vector<int>& assets);

// What is wrong with the log: a certificate whose stored bytes disagree
// with the size or hash recorded for it.
QStringList maintenance_problems(Store& store);

} // namespace gearlog
