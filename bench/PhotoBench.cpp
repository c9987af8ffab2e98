// The photograph view on the large sample database with a library of 5,000
// pictures of about 1 MB: showing the view, moving to a photograph by the
// scroll bar and by the grid, and the program's memory beside the size of
// the library.
#include "BenchSupport.h"
#include "FlexGrid.h"
#include "Form_main.h"
#include "Frame_photo.h"
#include "SampleDatabase.h"
#include "SchemaBuilder.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

using namespace gearlog;
using gearlog::bench::residentMegabytes;

constexpr int libraryPictures = 5000;

// A JPEG of noise, about 1 MB, so that nothing compresses it away.
QByteArray picture(quint32 seed) {
    QImage image(1100, 820, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 92);
    return bytes;
}

QTemporaryDir& folder() {
    static QTemporaryDir dir;
    return dir;
}

QString database() {
    static const QString path = [] {
        const QString p = folder().filePath(QStringLiteral("photos.gearlog"));
        createDatabaseFile(p);
        auto store = openFileStore(p);
        writeSampleData(*store, {100000, 1});
        std::vector<QByteArray> pictures;
        for (quint32 i = 0; i < 8; ++i)
            pictures.push_back(picture(i));
        store->begin();
        for (int id = 1; id <= libraryPictures; ++id)
            store->execute(
                QStringLiteral("INSERT INTO Table_photo (ID, Name, Photo) VALUES (?, ?, ?)"),
                {100000 + id, QStringLiteral("Library picture %1").arg(id, 5, 10, QLatin1Char('0')),
                 pictures[static_cast<size_t>(id) % pictures.size()]});
        store->commit();
        return p;
    }();
    return path;
}

Form_main& window() {
    static Form_main* w = [] {
        auto* main = new Form_main;
        main->startup(database());
        return main;
    }();
    return *w;
}

void ShowPhotographView(benchmark::State& state) {
    Form_main& w = window();
    auto* button = w.findChild<QPushButton*>(QStringLiteral("Command_Load_Photo"));
    for (auto _ : state)
        button->click();
    state.counters["pictures"] = w.session().rs_photo().recordCount();
}

void MoveByScrollBar(benchmark::State& state) {
    Form_main& w = window();
    auto* scroll = w.findChild<QScrollBar*>(QStringLiteral("VScroll_photo"));
    QRandomGenerator random(3);
    for (auto _ : state)
        scroll->setValue(1 +
                         static_cast<int>(random.bounded(static_cast<quint32>(scroll->maximum()))));
}

void MoveByGrid(benchmark::State& state) {
    Form_main& w = window();
    Frame_photo* view = w.photoView();
    QRandomGenerator random(4);
    for (auto _ : state) {
        view->grid()->setRow(
            1 + static_cast<int>(random.bounded(static_cast<quint32>(view->grid()->rows() - 1))));
        view->grid()->setCol(1);
        view->Grid_photo_Click();
    }
}

void MemoryAfterBrowsing(benchmark::State& state) {
    Form_main& w = window();
    auto* scroll = w.findChild<QScrollBar*>(QStringLiteral("VScroll_photo"));
    for (auto _ : state)
        for (int p = 1; p <= 500; ++p)
            scroll->setValue(p * 10);
    state.counters["resident_MB"] = static_cast<double>(residentMegabytes());
    state.counters["library_MB"] = static_cast<double>(QFile(database()).size() / (1024 * 1024));
}

} // namespace

BENCHMARK(ShowPhotographView)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(MoveByScrollBar)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(MoveByGrid)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(MemoryAfterBrowsing)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    return gearlog::bench::runWidgetBenchmarks(argc, argv, folder().path(), [] { window(); });
}
