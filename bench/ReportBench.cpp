// The reports on the 100,000-asset sample database: the equipment report
// of every asset beside a raw SQLite read of the same joined rows, sorting
// it by a text and a money column, the shipment report of all 20,000
// shipments, the document of 1,000 of them, and the shipping history of an
// asset with 200 lines.
#include "AssetList.h"
#include "BenchSupport.h"
#include "FlexGrid.h"
#include "Form_Shipping_History.h"
#include "Form_main.h"
#include "Form_shipping_report.h"
#include "Frame_report.h"
#include "Frame_report_shipment.h"
#include "RawSqlite.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace gearlog;

constexpr int historyAsset = 77;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString database() {
    static const QString path = [] {
        const QString p = folder().filePath(QStringLiteral("reports.gearlog"));
        createDatabaseFile(p);
        auto store = openFileStore(p);
        writeSampleData(*store, {100000, 1});
        // Every shipment confirmed, so one report lists all of them.
        store->execute(QStringLiteral("UPDATE Table_shipment SET ArrivalConfirmed = ?"), {true});
        // One asset with 200 lines of history.
        store->begin();
        const Row last = store
                             ->select(QStringLiteral("SELECT MAX(ID) FROM Table_shippinglist"), {},
                                      {FieldType::Long})
                             .front();
        for (int i = 1; i <= 200; ++i)
            store->execute(QStringLiteral("INSERT INTO Table_shippinglist (ID, ShipmentID, "
                                          "AssetID, IsCompleted, TransferID) VALUES (?, ?, ?, ?, "
                                          "-1)"),
                           {last[0].toInt() + i, i * 97, historyAsset, true});
        store->commit();
        return p;
    }();
    return path;
}

Form_main& desk() {
    static Form_main* main = [] {
        auto* m = new Form_main;
        m->startup(database());
        return m;
    }();
    return *main;
}

template <typename T> T* control(const char* name) {
    return desk().findChild<T*>(QString::fromLatin1(name));
}

Frame_report& equipmentReport() {
    static Frame_report* view = [] {
        control<QPushButton>("Command_report_0")->click();
        Frame_report* v = desk().reportView();
        v->filters().Combo_asset_category->setCurrentIndex(0); // "All"
        v->filters().Combo_asset_category_Click();
        v->filters().Combo_asset_equipment->setCurrentIndex(0); // "All"
        return v;
    }();
    return *view;
}

double rawSeconds = 0;

void RawSqliteJoinedRead(benchmark::State& state) {
    for (auto _ : state)
        rawSeconds = gearlog::bench::rawSqliteSeconds(
            database(),
            "SELECT CategoryID, EquipmentID, ModelNumber, SerialNumber, DateAcquired, "
            "PurchasePrice, ReplacementCost, Valuation, AccountID, ShipmentID, StatusID, "
            "Table_Asset.Comments FROM Table_Equipment INNER JOIN Table_Asset ON "
            "Table_Equipment.ID = Table_Asset.EquipmentID ORDER BY "
            "CategoryID,EquipmentID,AccountID,ModelNumber");
}

void EquipmentReportAllAll(benchmark::State& state) {
    Frame_report& view = equipmentReport();
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        view.display_equipment_report();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    state.counters["rows"] = view.grid()->rows() - 1;
    if (rawSeconds > 0)
        state.counters["ratio_to_raw"] = seconds / rawSeconds;
}

// A click on a heading, as the grid sees it.
void sortBy(int column) {
    FlexGrid& grid = *equipmentReport().grid();
    grid.setRow(1);
    grid.setRowSel(grid.rows() - 1);
    grid.setCol(column);
    equipmentReport().Grid_asset_shipment_Click();
}

void SortByModel(benchmark::State& state) {
    for (auto _ : state)
        sortBy(3);
}

void SortByPurchasePrice(benchmark::State& state) {
    for (auto _ : state)
        sortBy(6);
}

Frame_report_shipment& shipmentReport() {
    static Frame_report_shipment* view = [] {
        control<QPushButton>("Command_report_1")->click();
        return desk().shipmentReportView();
    }();
    return *view;
}

void ShipmentReportOfAll(benchmark::State& state) {
    Frame_report_shipment& view = shipmentReport();
    control<QLineEdit>("Text_report_start_date")->clear();
    for (auto _ : state)
        view.display_shipping_report();
    state.counters["shipments"] = view.grid()->rows() - 1;
}

void DocumentOf1000Shipments(benchmark::State& state) {
    Frame_report_shipment& view = shipmentReport();
    // The newest 1,000 shipments.
    auto newest = desk().session().openRecordset(
        QStringLiteral("SELECT * FROM Table_shipment ORDER BY ShipmentDate DESC"));
    newest->setAbsolutePosition(999);
    control<QLineEdit>("Text_report_start_date")
        ->setText(newest->value(QStringLiteral("ShipmentDate")).toDate().toString(Qt::ISODate));
    view.display_shipping_report();
    int lines = 0;
    for (auto _ : state) {
        Form_shipping_report report(desk().session(), desk().state(), *view.grid(),
                                    *control<FlexGrid>("Grid_report_shipment_list"));
        lines = static_cast<int>(report.document().count(QLatin1Char('\n')));
    }
    state.counters["shipments"] = view.grid()->rows() - 1;
    state.counters["document_lines"] = lines;
}

void HistoryOf200Lines(benchmark::State& state) {
    AppState& s = desk().state();
    s.current_asset_id = historyAsset;
    int rows = 0;
    for (auto _ : state) {
        Form_Shipping_History history(desk().session(), s);
        rows = history.grid()->rows() - 1;
    }
    state.counters["lines"] = rows;
}

} // namespace

BENCHMARK(RawSqliteJoinedRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EquipmentReportAllAll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SortByModel)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SortByPurchasePrice)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ShipmentReportOfAll)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(DocumentOf1000Shipments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(HistoryOf200Lines)->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) {
    return gearlog::bench::runWidgetBenchmarks(argc, argv, folder().path(), [] { desk(); });
}
