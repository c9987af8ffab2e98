// The shipment view on the 1,000,000-asset sample (200,000 shipments,
// 2,000,000 lines) with one more shipment of 100,000 lines: showing the
// view, the first matches of type-to-find in the shipment chooser, filling
// the large shipment's list, saving it, and returning 1,000 ticked lines of
// it; the Attention view and gearlog-admin due; the search box. GEARLOG_BENCH_DIR keeps the
// generated file between runs; GEARLOG_BENCH_SERVER names a server database to use instead (made
// with gearlog-admin sample CONNECTION --assets N --large-shipment 100000, N in
// GEARLOG_BENCH_SERVER_ASSETS).
#include "AdminCommand.h"
#include "Availability.h"
#include "BenchSupport.h"
#include "BookingTables.h"
#include "Bookings.h"
#include "ChooserModel.h"
#include "ComboHelpers.h"
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_attention.h"
#include "Frame_bookings.h"
#include "Frame_shipment.h"
#include "InstantUi.h"
#include "LargeWindow.h"
#include "MaintenanceTables.h"
#include "RecordSearch.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "Settings.h"
#include "ShippingList.h"
#include "StocktakeTables.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;

constexpr int assets = 1000000;
constexpr int largeLines = 100000;
// After the sample's own shipments (a fifth of its assets).
int largeShipment() {
    const int server = qEnvironmentVariableIntValue("GEARLOG_BENCH_SERVER_ASSETS");
    return (server > 0 ? server : assets) / 5 + 1;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString database() {
    static const QString path = [] {
        const QString kept = qEnvironmentVariable("GEARLOG_BENCH_DIR");
        const QString p = QDir(kept.isEmpty() ? folder().path() : kept)
                              .filePath(QStringLiteral("large-shipment.gearlog"));
        if (!QFile::exists(p)) {
            createDatabaseFile(p);
            writeSampleData(*openFileStore(p), {assets, 1, largeLines});
        }
        return p;
    }();
    return path;
}

} // namespace

namespace gearlog::bench {

Form_main& largeWindow() {
    static Form_main* made = [] {
        static bench::InstantUi ui;
        setUiServices(&ui);
        auto* window = new Form_main;
        const QString server = qEnvironmentVariable("GEARLOG_BENCH_SERVER");
        if (server.isEmpty()) {
            window->startup(database());
        } else {
            settings::write(QStringLiteral("FileName"),
                            settings::formatFileName(server, QStringLiteral("ADO"), server));
            window->startup();
        }
        return window;
    }();
    return *made;
}

} // namespace gearlog::bench

namespace {

Frame_shipment& view() {
    return *bench::largeWindow().shipmentView();
}

QComboBox& shipments() {
    return *view().findChild<QComboBox*>(QStringLiteral("Combo_shipment"));
}

void showView() {
    bench::largeWindow().findChild<QPushButton*>(QStringLiteral("Command_Send"))->click();
}

void loadLarge() {
    select_combo_item(shipments(), largeShipment());
    view().Combo_shipment_Click();
}

void ShowShipmentView(benchmark::State& state) {
    for (auto _ : state)
        showView();
    state.counters["shipments"] = shipments().count();
    state.counters["resident_MB"] = static_cast<double>(bench::residentMegabytes());
}

void ShowAttentionView(benchmark::State& state) {
    auto* command =
        bench::largeWindow().findChild<QPushButton*>(QStringLiteral("Command_Attention"));
    for (auto _ : state)
        command->click();
    const Frame_attention& view = *bench::largeWindow().attentionView();
    state.counters["overdue"] = view.Grid_attention[0]->rows() - 1;
    state.counters["maintenance"] = view.Grid_attention[1]->rows() - 1;
}

// The command as cron runs it: the database opened, the lists printed.
void DueCommand(benchmark::State& state) {
    bench::largeWindow(); // the indexes a writable open adds
    const QString server = qEnvironmentVariable("GEARLOG_BENCH_SERVER");
    int lines = 0;
    for (auto _ : state) {
        QString text, errors;
        QTextStream out(&text), err(&errors);
        runAdminCommand({QStringLiteral("due"), server.isEmpty() ? database() : server}, out, err);
        out.flush();
        lines = static_cast<int>(text.count(QLatin1Char('\n')));
    }
    state.counters["lines"] = lines;
}

// A serial-number fragment typed: the assets' matches, which show first.
void SearchSerialFragment(benchmark::State& state) {
    Store& store = bench::largeWindow().session().database().store();
    int round = 0, found = 0;
    for (auto _ : state) {
        const QString fragment = QStringLiteral("%1").arg(1000 + (round++ * 7919) % 9000);
        found = search_records(store, SearchKind::Asset, fragment, searchShown).total;
    }
    state.counters["matches"] = found;
}

// Every kind searched for one text, as the box lists them all.
void SearchEveryKind(benchmark::State& state) {
    Store& store = bench::largeWindow().session().database().store();
    int round = 0;
    for (auto _ : state) {
        const QString fragment = QStringLiteral("to %1").arg(1000 + (round++ * 7919) % 9000);
        for (const SearchKind kind : search_kinds())
            search_records(store, kind, fragment, searchShown);
    }
}

// A scanner's serial number and Enter: the one asset it names.
void ScanSerialNumber(benchmark::State& state) {
    Store& store = bench::largeWindow().session().database().store();
    int round = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            exact_record(store, QStringLiteral("SN%1").arg(1 + (round++ * 7919) % 90000, 7, 10,
                                                           QLatin1Char('0'))));
}

void FindInShipmentChooser(benchmark::State& state) {
    const auto& model = *static_cast<const ChooserModel*>(shipments().model());
    size_t found = 0;
    for (auto _ : state)
        found = model.find(QStringLiteral("shipment 1999"), 50).size();
    state.counters["matches"] = static_cast<double>(found);
}

void FillShipmentOf100000Lines(benchmark::State& state) {
    for (auto _ : state)
        loadLarge();
    state.counters["lines"] = view().shippingList().Grid_shipping_list->rows() - 1;
    state.counters["resident_MB"] = static_cast<double>(bench::residentMegabytes());
}

void SaveShipmentOf100000Lines(benchmark::State& state) {
    auto* name = view().findChild<QLineEdit*>(QStringLiteral("Text_shipment_name"));
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        loadLarge();
        name->setText(QStringLiteral("Large shipment %1").arg(++round));
        state.ResumeTiming();
        view().Command_save_shipment_changes_Click(0);
    }
    state.counters["lines"] = view().shippingList().Grid_shipping_list->rows() - 1;
}

void Return1000TickedLines(benchmark::State& state) {
    int first = 1;
    for (auto _ : state) {
        state.PauseTiming();
        loadLarge();
        ShippingList& list = view().shippingList();
        FlexGrid& grid = *list.Grid_shipping_list;
        for (int r = first; r < first + 1000; ++r) {
            grid.setRow(r);
            grid.setCol(0);
            list.Grid_shipping_list_Click();
        }
        first += 1000;
        state.ResumeTiming();
        view().Command_return_item_from_shipping_list_Click();
    }
}

// The type with the most assets, and its category.
std::pair<int, int> busiestType() {
    const Row row = bench::largeWindow()
                        .session()
                        .database()
                        .store()
                        .select(QStringLiteral("SELECT e.ID, e.CategoryID FROM Table_equipment e "
                                               "JOIN Table_asset a ON a.EquipmentID = e.ID GROUP "
                                               "BY e.ID, e.CategoryID ORDER BY count(*) DESC "
                                               "LIMIT 1"),
                                {}, {FieldType::Long, FieldType::Long})
                        .front();
    return {row[0].toInt(), row[1].toInt()};
}

void TypeAvailability90Days(benchmark::State& state) {
    Store& store = bench::largeWindow().session().database().store();
    const int type = busiestType().first;
    const QDate today = QDate::currentDate();
    for (auto _ : state)
        benchmark::DoNotOptimize(free_by_day(store, type, today, today.addDays(89)));
}

// The Availability grid of the busiest type's category: each of its types
// over four weeks.
void AvailabilityGridOfACategory(benchmark::State& state) {
    Frame_bookings& bookings = *bench::largeWindow().bookingsView();
    bookings.Command_Bookings_Click();
    QComboBox& category = *bookings.Combo_availability_category;
    category.setCurrentIndex(category.findData(busiestType().second));
    for (auto _ : state)
        emit category.activated(category.currentIndex());
    state.counters["types"] = bookings.Grid_availability->rows() - 1;
}

void SaveBooking(benchmark::State& state) {
    Database& db = bench::largeWindow().session().database();
    const int type = busiestType().first;
    int round = 0;
    for (auto _ : state) {
        Booking b;
        b.name = QStringLiteral("Bench %1").arg(++round);
        b.leaves = QDate::currentDate().addDays(400 + round * 3);
        b.back = b.leaves.addDays(2);
        b.lines = {{type, 1, 0}};
        save_booking(db, b);
    }
}

} // namespace

BENCHMARK(TypeAvailability90Days)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(AvailabilityGridOfACategory)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SaveBooking)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(ShowShipmentView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ShowAttentionView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(DueCommand)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SearchSerialFragment)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(SearchEveryKind)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(ScanSerialNumber)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(FindInShipmentChooser)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(FillShipmentOf100000Lines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SaveShipmentOf100000Lines)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Return1000TickedLines)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    enableBookings();
    enableStocktakes();
    enableMaintenance();
    return gearlog::bench::runWidgetBenchmarks(argc, argv, folder().path(), [] { showView(); });
}
