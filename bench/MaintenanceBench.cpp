// The maintenance log on the 1,000,000-asset sample, in large_bench: two
// entries an asset (2,000,000; one in fifty failed) made once, then an
// asset's log read as the asset view shows it, and an entry recorded.
#include "Form_main.h"
#include "LargeWindow.h"
#include "Maintenance.h"
#include "MaintenanceTables.h"
#include "Session.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;

constexpr int assets = 1000000;

Database& database() {
    return bench::largeWindow().session().database();
}

// Two entries an asset, half a year apart, written straight into the
// table (once: a later run finds them).
void fillLog() {
    Store& store = database().store();
    if (store
            .select(QStringLiteral("SELECT COUNT(*) FROM Table_maintenance"), {}, {FieldType::Long})
            .front()[0]
            .toInt() >= 2 * assets)
        return;
    store.execute(QStringLiteral("DELETE FROM Table_maintenance"), {});
    for (const auto& [first, day] :
         {std::pair{0, "2025-01-10 00:00:00"}, std::pair{assets, "2025-07-10 00:00:00"}})
        store.execute(
            QStringLiteral(
                "INSERT INTO Table_maintenance (ID, AssetID, DateDone, Result, DoneBy, Notes) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "SELECT i + %2, i, '%3', CASE WHEN i % 50 = 0 THEN 'Failed' ELSE 'Passed' END, "
                "'Bench', 'Checked' FROM n")
                .arg(assets)
                .arg(first)
                .arg(QLatin1String(day)),
            {});
}

void ShowAnAssetsLog(benchmark::State& state) {
    fillLog();
    Store& store = database().store();
    QRandomGenerator random(3);
    size_t shown = 0;
    for (auto _ : state)
        shown += read_log(store, static_cast<int>(random.bounded(assets)) + 1).size();
    state.counters["entries_each"] = static_cast<double>(shown) / state.iterations();
}

void RecordAnEntry(benchmark::State& state) {
    fillLog();
    QRandomGenerator random(4);
    for (auto _ : state) {
        MaintenanceEntry e;
        e.asset = static_cast<int>(random.bounded(assets)) + 1;
        e.done = QDate::currentDate();
        e.kind = QStringLiteral("Calibration");
        e.result = maintenanceResult::passed;
        e.next = e.done.addDays(180);
        record_maintenance(database(), e, std::nullopt);
    }
}

} // namespace

BENCHMARK(ShowAnAssetsLog)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(RecordAnEntry)->Unit(benchmark::kMillisecond)->Iterations(50);
