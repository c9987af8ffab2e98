// The asset view on the 100,000-asset sample database in which one
// equipment type holds 10,000 assets: filling that type's list (grid and
// colours), selecting a row, saving one asset (list rebuilt, row selected
// again), and memory over repeated fills.
#include "AssetList.h"
#include "BenchSupport.h"
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_asset.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;
using gearlog::bench::residentMegabytes;

constexpr int typeAssets = 10000;

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString database() {
    static const QString path = [] {
        const QString p = folder().filePath(QStringLiteral("assets.gearlog"));
        createDatabaseFile(p);
        auto store = openFileStore(p);
        writeSampleData(*store, {100000, 1});
        store->execute(QStringLiteral("UPDATE Table_asset SET EquipmentID = 1 WHERE ID <= %1")
                           .arg(typeAssets));
        return p;
    }();
    return path;
}

// The asset view showing the large type.
AssetList& assetList() {
    static AssetList* list = [] {
        auto* main = new Form_main;
        main->startup(database());
        main->findChild<QPushButton*>(QStringLiteral("Command_Assets"))->click();
        AssetList& l = main->assetView()->assetList();
        l.Combo_asset_category->setCurrentIndex(0); // "All"
        l.Combo_asset_category_Click();
        l.Combo_asset_equipment->setCurrentIndex(l.Combo_asset_equipment->findData(QVariant(1)));
        l.Combo_asset_equipment_Click();
        return &l;
    }();
    return *list;
}

void LoadAssetList(benchmark::State& state) {
    AssetList& list = assetList();
    for (auto _ : state)
        list.load_asset_list();
    state.counters["rows"] = list.Grid_asset->rows();
}

void SelectRow(benchmark::State& state) {
    AssetList& list = assetList();
    QRandomGenerator random(3);
    for (auto _ : state) {
        list.Grid_asset->setRow(1 + static_cast<int>(random.bounded(quint32(typeAssets))));
        list.Grid_asset->setCol(1);
        list.Grid_asset_Click();
    }
}

void SaveOneAsset(benchmark::State& state) {
    AssetList& list = assetList();
    Frame_asset* view = static_cast<Frame_asset*>(list.parent());
    auto* serial = view->findChild<QLineEdit*>(QStringLiteral("Text_asset_serial"));
    QRandomGenerator random(4);
    int n = 0;
    for (auto _ : state) {
        list.Grid_asset->setRow(1 + static_cast<int>(random.bounded(quint32(typeAssets))));
        list.Grid_asset->setCol(1);
        list.Grid_asset_Click();
        serial->setText(QStringLiteral("Saved %1").arg(++n));
        view->Command_save_asset_changes_Click(0);
    }
}

void MemoryOverTenFills(benchmark::State& state) {
    AssetList& list = assetList();
    list.load_asset_list();
    const long first = residentMegabytes();
    for (auto _ : state)
        for (int i = 0; i < 10; ++i)
            list.load_asset_list();
    state.counters["resident_MB_after_one"] = static_cast<double>(first);
    state.counters["resident_MB_after_ten_more"] = static_cast<double>(residentMegabytes());
}

} // namespace

BENCHMARK(LoadAssetList)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(SelectRow)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(SaveOneAsset)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(MemoryOverTenFills)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return gearlog::bench::runWidgetBenchmarks(argc, argv, folder().path(), [] { assetList(); });
}
