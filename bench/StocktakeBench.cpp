// Stocktakes on the 1,000,000-asset sample, in large_bench: an office given
// 100,000 assets in stock, its expected list opened in the Stocktake view,
// one code scanned there, and a session of 10,000 scans applied.
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_stocktake.h"
#include "LargeWindow.h"
#include "Session.h"
#include "Stocktakes.h"

#include <QComboBox>
#include <QLabel>
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
    Stocktake all;
    all.office = largeOffice;
    all.date = QDate::currentDate();
    if (read_expected(store, all).size() >= officeAssets)
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
        view.Text_scan->setText(QStringLiteral("GL-A-") +
                                view.Grid_missing->textMatrix(row++ * 7, 0));
        view.Text_scan_Enter();
    }
    state.counters["missing"] = view.Grid_missing->rows() - 1;
    state.SetLabel(view.Label_stocktake_counts->text().toStdString());
}

// 10,000 scans: 9,500 of the large office's assets, 400 kept at other
// offices (moved) and 100 out on the sample's own shipments, not the large
// one (returned); the rest recorded missing.
QStringList tenThousandCodes(Store& store) {
    Stocktake large;
    large.office = largeOffice;
    large.date = QDate::currentDate();
    QStringList codes;
    const std::vector<ListedAsset> expected = read_expected(store, large);
    for (size_t i = 0; i < 9500; ++i)
        codes << QStringLiteral("GL-A-%1").arg(expected[i * 7].id);
    for (const auto& [count, where] :
         {std::pair{400, "(ShipmentID IS NULL OR ShipmentID <= 0) AND AccountID <> 1"},
          std::pair{100, "ShipmentID > 0 AND ShipmentID < 200000"}})
        for (const int id : store.selectKeys(
                 QStringLiteral("SELECT ID FROM Table_asset WHERE %1 ORDER BY ID DESC LIMIT %2")
                     .arg(QLatin1String(where))
                     .arg(count),
                 {}))
            codes << QStringLiteral("GL-A-%1").arg(id);
    return codes;
}

void ApplyTenThousandScans(benchmark::State& state) {
    fillLargeOffice();
    for (auto _ : state) {
        state.PauseTiming();
        Stocktake s;
        s.office = largeOffice;
        const int id = start_stocktake(database(), s);
        record_scans(database(), id, tenThousandCodes(database().store()),
                     QDateTime::currentDateTime());
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
