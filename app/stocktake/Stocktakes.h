#pragma once

#include "Database.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <optional>
#include <vector>

namespace gearlog {

// What a scanned code was found to be, and (Missing) an expected asset no
// code named.
enum class ScanResult { Found, Elsewhere, Out, Unknown, Repeated, Missing };
QString result_name(ScanResult result);

struct Stocktake {
    int id = 0;
    QString name;
    int office = 0;    // the address whose stock is counted
    int category = 0;  // 0: every category
    int equipment = 0; // 0: every type (of the category)
    QDate date;
    QString startedBy, state;
    QDate applied; // invalid while open
};

// An asset as a stocktake lists it.
struct ListedAsset {
    int id = 0; // 0: no asset
    QString equipment, model, serial;
};

struct Scan {
    int id = 0;
    QString code; // empty for a missing asset
    ScanResult result = ScanResult::Unknown;
    // Elsewhere: the office it is kept at; Out: "receiver — shipment";
    // Unknown: why no asset is named; Repeated: the first scan's result.
    QString place;
    ListedAsset asset;
    QDateTime at;
    QString by;
};

// Starts a stocktake (the command "New Stocktake"): the office must exist;
// an empty name becomes the office's name and the date. Returns its key.
int start_stocktake(Database& db, Stocktake stocktake);
// Every stocktake, the open ones first, the newest first within each.
std::vector<Stocktake> read_stocktakes(Store& store);
std::optional<Stocktake> read_stocktake(Store& store, int id);

// The assets the stocktake expects: in stock at its office, of its
// category or type, not disposed of by its date; by type, model and key.
std::vector<ListedAsset> read_expected(Store& store, const Stocktake& stocktake);
// Its scans in scan order, those after scan `after` only (0: all).
std::vector<Scan> read_scans(Store& store, int stocktake, int after = 0);

// Classes the codes as if scanned now, writing nothing: a label code
// (GL-A-<ID>) or a serial number that one asset has names the asset; an
// asset or code in `earlier` (and one named before in `codes`) is Repeated.
struct Scanned {
    // What the first scan of each asset, and of each code naming none, found.
    QHash<int, ScanResult> assets;
    QHash<QString, ScanResult> codes;
    void add(const Scan& scan);
    // What the first scan of what `scan` names found; nothing when it is
    // the first.
    std::optional<ScanResult> first(const Scan& scan) const;
};
std::vector<Scan> classify_codes(Store& store, const Stocktake& stocktake, const QStringList& codes,
                                 Scanned& earlier);
// The codes of a file, one a line, as a scanner's memory mode stores them
// (blank lines skipped). A file that cannot be read, or is far larger than
// any scanner's memory, is refused with why (EngineError).
QStringList read_codes_file(const QString& path);
// Records the codes as scans of an open stocktake (the command "Scan"),
// classed against its scans so far, which it holds: two desks scanning one
// stocktake at once never count an asset twice. Returns the scans written.
std::vector<Scan> record_scans(Database& db, int stocktake, const QStringList& codes,
                               const QDateTime& at);

// The expected assets none of the scans named, as Missing scans.
std::vector<Scan> missing_of(const std::vector<ListedAsset>& expected,
                             const std::vector<Scan>& scans);
// The stocktake's result: its scans in scan order, then the assets it
// misses (an open one's as they are now; an applied one's as recorded).
std::vector<Scan> stocktake_result(Store& store, const Stocktake& stocktake);

// What applying would do now: the assets found here but recorded as out
// (returned to stock, moved here), those found kept at another office
// (moved here), and the expected assets no code named.
struct StocktakePlan {
    std::vector<int> returned, moved, missing;
};
StocktakePlan plan_stocktake(Store& store, const Stocktake& stocktake);
// Puts the records right in one command ("Stocktake"): returns the out
// assets on the stocktake's date (their open lines completed), moves the
// others here, gives the missing ones status `missingStatus` (0: leaves
// them), records them in the stocktake, and closes it.
StocktakePlan apply_stocktake(Database& db, int stocktake, int missingStatus);

// The counts a stocktake shows, from its scans (first scans of an asset
// only) and the expected assets not scanned (an applied stocktake's are
// among its scans).
struct StocktakeCounts {
    int found = 0, missing = 0, unexpected = 0;
    int expected() const { return found + missing; }
};
StocktakeCounts count_scans(const std::vector<Scan>& scans, size_t missingNotScanned);

// Where an asset was last scanned: when, at which office, in which
// stocktake. Nothing when no stocktake has seen it.
struct Sighting {
    QDateTime at;
    QString office, stocktake;
};
std::optional<Sighting> last_seen(Store& store, int asset);

// What is wrong with the stocktakes' rows: an asset counted twice in one.
QStringList stocktake_problems(Store& store);

} // namespace gearlog
