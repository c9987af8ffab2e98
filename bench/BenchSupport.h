#pragma once

// What the benchmark programs share.
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <functional>

namespace gearlog::bench {

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
