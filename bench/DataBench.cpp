// Data-layer figures on the large sample database (100,000 assets): opening
// the nine table cursors, loading every asset beside a raw SQLite read of
// the same rows, finding by key, and single-row updates with commit seen by
// a second cursor; what the history of changes adds to a save, and reading
// one record's changes among many.
#include "ChangeHistory.h"
#include "RawSqlite.h"
#include "RecordHelpers.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"
#include "Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

using namespace gearlog;

// GEARLOG_BENCH_ASSETS sets the size (100,000 by default); GEARLOG_BENCH_DIR
// keeps the generated file between runs.
int assetCount() {
    const int assets = qEnvironmentVariableIntValue("GEARLOG_BENCH_ASSETS");
    return assets > 0 ? assets : 100000;
}

QString largeDatabase() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString kept = qEnvironmentVariable("GEARLOG_BENCH_DIR");
        const QString p = QDir(kept.isEmpty() ? dir.path() : kept)
                              .filePath(QStringLiteral("sample-%1.gearlog").arg(assetCount()));
        if (!QFileInfo::exists(p)) {
            createDatabaseFile(p);
            writeSampleData(*openFileStore(p), {assetCount(), 1});
        }
        return p;
    }();
    return path;
}

double rawSeconds = 0; // the reference read, for the ratio

void RawSqliteAssetRead(benchmark::State& state) {
    for (auto _ : state)
        rawSeconds = gearlog::bench::rawSqliteSeconds(largeDatabase(),
                                                      "SELECT * FROM Table_asset ORDER BY ID");
}

void CursorAssetLoad(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        auto cursor =
            session->openRecordset(QStringLiteral("SELECT * FROM [Table_Asset] ORDER BY ID;"));
        benchmark::DoNotOptimize(cursor->recordCount());
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (rawSeconds > 0)
        state.counters["ratio_to_raw"] = seconds / rawSeconds;
}

void OpenNineTableCursors(benchmark::State& state) {
    for (auto _ : state) {
        auto session = Session::openFile(largeDatabase());
        session->openTableCursors();
        // They read their rows at first use: use all nine.
        for (Recordset* cursor :
             {&session->rs_photo(), &session->rs_category(), &session->rs_equipment(),
              &session->rs_asset(), &session->rs_status(), &session->rs_shipment(),
              &session->rs_shipping_list(), &session->rs_address(), &session->rs_contact()})
            benchmark::DoNotOptimize(cursor->recordCount());
    }
}

// Warm: among 2,000 assets the cursor has read.
void FindAssetByKey(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    session->openTableCursors();
    Recordset& assets = session->rs_asset();
    const int first = assetCount() / 2;
    for (int id = first; id < first + 2000; ++id)
        find_record_by_number(assets, QStringLiteral("ID"), id);
    QRandomGenerator random(5);
    for (auto _ : state) {
        const int id = first + static_cast<int>(random.bounded(2000u));
        benchmark::DoNotOptimize(find_record_by_number(assets, QStringLiteral("ID"), id));
    }
}

void UpdateWithCommitSeenBySecondCursor(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    session->openTableCursors();
    auto second =
        session->openRecordset(QStringLiteral("SELECT * FROM [Table_Asset] ORDER BY ID;"));
    Recordset& assets = session->rs_asset();
    QRandomGenerator random(9);
    int value = 0;
    for (auto _ : state) {
        const int id = static_cast<int>(random.bounded(static_cast<quint32>(assetCount()))) + 1;
        find_record_by_number(assets, QStringLiteral("ID"), id);
        assets.setValue(QStringLiteral("Valuation"), ++value);
        assets.update();
        find_record_by_number(*second, QStringLiteral("ID"), id);
        if (second->value(QStringLiteral("Valuation")).toInt() != value)
            state.SkipWithError("the second cursor did not see the update");
    }
}

// A command's save of one field of one asset, in its transaction, as the
// command runner makes it, with its history (a write is never unrecorded).
void SaveOneFieldWithHistory(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    session->openTableCursors(); // makes the history table
    Store& store = session->database().store();
    Recordset& assets = session->rs_asset();
    QRandomGenerator random(11);
    int saves = 0;
    for (auto _ : state) {
        const int id = static_cast<int>(random.bounded(static_cast<quint32>(assetCount()))) + 1;
        find_record_by_number(assets, QStringLiteral("ID"), id);
        session->database().setCommand(QStringLiteral("Save"));
        Transaction transaction(session->database());
        assets.setValue(QStringLiteral("SerialNumber"), QStringLiteral("B%1").arg(++saves));
        assets.update();
        transaction.commit();
    }
    // Pages of the table and its index, over the entries they hold.
    state.counters["bytes_per_field"] =
        store
            .select(QStringLiteral("SELECT (SELECT SUM(pgsize) FROM dbstat WHERE name IN "
                                   "('Table_history', 'Table_history_record')) * 1.0 / "
                                   "(SELECT COUNT(*) FROM Table_history)"),
                    {}, {FieldType::Double})
            .front()[0]
            .toDouble();
}

// A record's Changes window reads its changes among 100,000 others.
void ReadOneRecordsChanges(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    session->openTableCursors();
    Store& store = session->database().store();
    std::vector<RowChange> many;
    for (int i = 0; i < 100000; ++i)
        many.push_back(
            {QStringLiteral("Table_asset"),
             1 + i % assetCount(),
             ChangeAction::Changed,
             {{QStringLiteral("Valuation"), QString::number(i), QString::number(i + 1)}}});
    store.begin();
    write_history(store, {QStringLiteral("bench"), QStringLiteral("here")}, QStringLiteral("Save"),
                  QDateTime::currentDateTimeUtc(), many);
    store.commit();
    HistoryFilter filter;
    filter.table = QStringLiteral("Table_asset");
    filter.limit = 500;
    size_t read = 0;
    int round = 0;
    for (auto _ : state) {
        filter.key = 1 + (round++ * 7919) % assetCount();
        read = read_history(store, filter).size();
    }
    state.counters["entries"] = static_cast<double>(read);
}

// The equipment view's list: every equipment type's name, in name order,
// from a session just opened.
void WalkEquipmentList(benchmark::State& state) {
    for (auto _ : state) {
        auto session = Session::openFile(largeDatabase());
        session->openTableCursors();
        Recordset& equipment = session->rs_equipment();
        const auto name = equipment.field(QStringLiteral("Name"));
        qsizetype length = 0;
        for (equipment.moveFirst(); !equipment.eof(); equipment.moveNext())
            length += equipment.value(name).toString().size();
        benchmark::DoNotOptimize(length);
    }
}

// A row at a random place of the asset cursor, never read before.
void ReadUncachedAsset(benchmark::State& state) {
    auto session = Session::openFile(largeDatabase());
    session->openTableCursors();
    Recordset& assets = session->rs_asset();
    QRandomGenerator random(11);
    const auto count = static_cast<quint32>(assets.recordCount());
    for (auto _ : state) {
        assets.setAbsolutePosition(static_cast<int>(random.bounded(count)));
        benchmark::DoNotOptimize(assets.value(QStringLiteral("SerialNumber")));
    }
}

} // namespace

BENCHMARK(OpenNineTableCursors)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RawSqliteAssetRead)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(CursorAssetLoad)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(FindAssetByKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(WalkEquipmentList)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ReadUncachedAsset)->Unit(benchmark::kMicrosecond)->Iterations(5000);
BENCHMARK(UpdateWithCommitSeenBySecondCursor)->Unit(benchmark::kMicrosecond)->Iterations(10000);
BENCHMARK(SaveOneFieldWithHistory)->Unit(benchmark::kMicrosecond)->Iterations(5000);
BENCHMARK(ReadOneRecordsChanges)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    largeDatabase();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
