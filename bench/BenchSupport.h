#pragma once

// What the benchmark programs share.
#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <functional>

namespace gearlog::bench {

// A file of `megabytes` of noise, as a compressed photograph or a scanned
// certificate is: nothing on the way shrinks it.
inline void writeNoiseFile(const QString& path, int megabytes, quint32 seed) {
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (int mb = 0; mb < megabytes; ++mb) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        out.write(block);
    }
}

inline long residentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    statm.open(QIODevice::ReadOnly);
    return statm.readAll().split(' ').value(1).toLong() * 4096 / (1024 * 1024);
}

// Runs the registered benchmarks inside an offscreen application whose
// settings live in `settingsFolder`, after `prepare` (untimed).
inline int runWidgetBenchmarks(int argc, char** argv, const QString& settingsFolder,
                               const std::function<void()>& prepare) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
    benchmark::Initialize(&argc, argv);
    prepare();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace gearlog::bench
