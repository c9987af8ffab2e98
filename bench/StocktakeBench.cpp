// Stocktakes on the 1,000,000-asset sample, in large_bench: an office given
// 100,000 assets in stock, its expected list opened in the Stocktake view,
// one code scanned there, and a session of 10,000 scans applied.
#include "Form_main.h"
#include "Frame_stocktake.h"
#include "LargeWindow.h"
#include "Session.h"
#include "Stocktakes.h"

#include <QComboBox>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;

constexpr int largeOffice = 1, officeAssets = 100000;

Database& database() {
    return bench::largeWindow().session().database();
}

// Office 1 keeps the first 100,000 assets in stock (set once, untimed).
void fillLargeOffice() {
    Store& store = database().store();
    if (read_expected(store, {0, {}, largeOffice, 0, 0, QDate::currentDate()}).size() >=
        officeAssets)
        return;
    store.execute(QStringLiteral("UPDATE Table_asset SET AccountID = ? WHERE ID IN (SELECT ID FROM "
                                 "Table_asset WHERE ShipmentID IS NULL OR ShipmentID <= 0 ORDER "
                                 "BY ID LIMIT ?)"),
                  {largeOffice, officeAssets});
}

// A new stocktake of the large office, shown in the view.
Frame_stocktake& viewOfNewStocktake() {
    fillLargeOffice();
    Stocktake s;
    s.office = largeOffice;
    const int id = start_stocktake(database(), s);
    Frame_stocktake& view = *bench::largeWindow().stocktakeView();
    view.Command_Stocktake_Click();
    view.Combo_stocktake->setCurrentIndex(view.Combo_stocktake->findData(id));
    return view;
}

void OpenExpectedOf100000(benchmark::State& state) {
    Frame_stocktake& view = viewOfNewStocktake();
    for (auto _ : state)
        emit view.Combo_stocktake->activated(view.Combo_stocktake->currentIndex());
    state.counters["missing"] = view.Grid_missing->rows() - 1;
}

// A code typed and Enter: recorded, classed, shown on top, and taken off
// the Missing grid.
void ScanOneCode(benchmark::State& state) {
    Frame_stocktake& view = viewOfNewStocktake();
    emit view.Combo_stocktake->activated(view.Combo_stocktake->currentIndex());
    int row = 1;
    for (auto _ : state) {
        view.Text_scan->setText(view.Grid_missing->textMatrix(row++ * 7, 0));
        view.Text_scan_Enter();
    }
    state.counters["missing"] = view.Grid_missing->rows() - 1;
}

// 10,000 scans of the large office (some of assets out or kept elsewhere)
// applied: the out ones returned, the others moved, 90,000 recorded missing.
void ApplyTenThousandScans(benchmark::State& state) {
    fillLargeOffice();
    for (auto _ : state) {
        state.PauseTiming();
        Stocktake s;
        s.office = largeOffice;
        const int id = start_stocktake(database(), s);
        QStringList codes;
        for (int asset = 1; codes.size() < 10000; asset += 9)
            codes << QStringLiteral("GL-A-%1").arg(asset);
        record_scans(database(), id, codes, QDateTime::currentDateTime());
        state.ResumeTiming();
        const StocktakePlan plan = apply_stocktake(database(), id, 0);
        state.counters["returned"] = static_cast<double>(plan.returned.size());
        state.counters["moved"] = static_cast<double>(plan.moved.size());
        state.counters["missing"] = static_cast<double>(plan.missing.size());
    }
}

} // namespace

BENCHMARK(OpenExpectedOf100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ScanOneCode)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(ApplyTenThousandScans)->Unit(benchmark::kMillisecond)->Iterations(1);
