// The shipment view on the 100,000-asset sample database (20,000
// shipments, about 200,000 lines): showing the view, loading a shipment of
// 500 lines, saving a new shipment of 500 assets of which 100 are out on
// other shipments (the transfer path), and returning 500 ticked lines.
#include "BenchSupport.h"
#include "ChangeHistory.h"
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_shipment.h"
#include "InstantUi.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "ShippingList.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString database() {
    static const QString path = [] {
        const QString p = folder().filePath(QStringLiteral("shipments.gearlog"));
        createDatabaseFile(p);
        auto store = openFileStore(p);
        writeSampleData(*store, {100000, 1});
        return p;
    }();
    return path;
}

struct Desk {
    Form_main* main = nullptr;
    Frame_shipment* view = nullptr;
    std::vector<int> inStock, out; // asset pools, used up by the saves
};

Desk& desk() {
    static Desk d = [] {
        static bench::InstantUi ui;
        setUiServices(&ui);
        Desk made;
        made.main = new Form_main;
        made.main->startup(database());
        made.view = made.main->shipmentView();
        for (auto rs = made.main->session().openRecordset(
                 QStringLiteral("SELECT * FROM Table_Asset ORDER BY ID"));
             !rs->eof(); rs->moveNext())
            (rs->value(QStringLiteral("ShipmentID")).toInt() > 0 ? made.out : made.inStock)
                .push_back(rs->value(QStringLiteral("ID")).toInt());
        return made;
    }();
    return d;
}

template <typename T> T* control(const char* name) {
    return desk().view->findChild<T*>(QString::fromLatin1(name));
}

// A new shipment on the form with `fromStock` assets in stock and `fromOut`
// assets out on other shipments, saved with "Save New".
void saveNewShipment(int fromStock, int fromOut) {
    Desk& d = desk();
    d.view->Command_create_shipment_Click();
    control<QLineEdit>("Text_shipment_name")->setText(QStringLiteral("Bench shipment"));
    for (const char* name :
         {"Combo_shipment_contact_0", "Combo_shipment_address_0", "Combo_shipment_contact_1",
          "Combo_shipment_address_1", "Combo_shipment_method"})
        control<QComboBox>(name)->setCurrentIndex(0);
    std::vector<ListedItem> items;
    for (int i = 0; i < fromStock; ++i) {
        items.push_back({d.inStock.back(), {}, {}});
        d.inStock.pop_back();
    }
    for (int i = 0; i < fromOut; ++i) {
        items.push_back({d.out.back(), {}, {}});
        d.out.pop_back();
    }
    d.view->shippingList().show(items);
    d.view->Command_save_shipment_changes_Click(1);
}

void ShowShipmentView(benchmark::State& state) {
    auto* command = desk().main->findChild<QPushButton*>(QStringLiteral("Command_Send"));
    for (auto _ : state)
        command->click();
}

void SaveNewShipmentWithTransfers(benchmark::State& state) {
    for (auto _ : state)
        saveNewShipment(400, 100);
    state.counters["lines"] = desk().view->shippingList().Grid_shipping_list->rows() - 1;
}

// What the history adds to that save: its entries (500 new lines, 500
// assets moved, 100 lines left behind) written in a transaction.
void HistoryOfThatSave(benchmark::State& state) {
    Store& store = desk().main->session().database().store();
    std::vector<RowChange> changes;
    for (int i = 0; i < 500; ++i) {
        changes.push_back({QStringLiteral("Table_shippinglist"),
                           900000 + i,
                           ChangeAction::Added,
                           {{QStringLiteral("ShipmentID"), {}, QStringLiteral("70001")},
                            {QStringLiteral("AssetID"), {}, QString::number(i)},
                            {QStringLiteral("IsCompleted"), {}, QStringLiteral("No")},
                            {QStringLiteral("TransferID"), {}, QStringLiteral("-1")}}});
        changes.push_back(
            {QStringLiteral("Table_asset"),
             i,
             ChangeAction::Changed,
             {{QStringLiteral("ShipmentID"), QStringLiteral("0"), QStringLiteral("70001")}}});
    }
    for (int i = 0; i < 100; ++i)
        changes.push_back(
            {QStringLiteral("Table_shippinglist"),
             800000 + i,
             ChangeAction::Changed,
             {{QStringLiteral("IsCompleted"), QStringLiteral("No"), QStringLiteral("Yes")},
              {QStringLiteral("CompletionDate"), {}, QStringLiteral("2026-12-08")},
              {QStringLiteral("TransferID"), QStringLiteral("-1"), QStringLiteral("70001")}}});
    const HistoryAuthor author = history_author(store);
    for (auto _ : state) {
        store.begin();
        write_history(store, author, QStringLiteral("Save New"), QDateTime::currentDateTimeUtc(),
                      changes);
        store.rollback();
    }
}

void LoadShipmentOf500Lines(benchmark::State& state) {
    auto* shipments = control<QComboBox>("Combo_shipment");
    const int saved = shipments->currentIndex();
    for (auto _ : state) {
        shipments->setCurrentIndex(saved);
        desk().view->Combo_shipment_Click();
    }
    state.counters["lines"] = desk().view->shippingList().Grid_shipping_list->rows() - 1;
}

void Return500TickedLines(benchmark::State& state) {
    Desk& d = desk();
    for (auto _ : state) {
        state.PauseTiming();
        saveNewShipment(500, 0);
        FlexGrid& grid = *d.view->shippingList().Grid_shipping_list;
        for (int r = 1; r < grid.rows(); ++r) {
            grid.setRow(r);
            grid.setCol(0);
            d.view->shippingList().Grid_shipping_list_Click();
        }
        state.ResumeTiming();
        d.view->Command_return_item_from_shipping_list_Click();
    }
}

} // namespace

BENCHMARK(ShowShipmentView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(SaveNewShipmentWithTransfers)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(HistoryOfThatSave)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(LoadShipmentOf500Lines)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(Return500TickedLines)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    return gearlog::bench::runWidgetBenchmarks(argc, argv, folder().path(), [] {
        desk().main->findChild<QPushButton*>(QStringLiteral("Command_Send"))->click();
    });
}
