// Reading a long comment whose formatting changes often, as our own writer
// produces it: the rich-text box must load it without freezing the window.
#include "RichTextBox.h"
#include "RtfCodec.h"

#include <QApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// About `kilobytes` of RTF in one paragraph in which bold and italic change
// every word, as our own writer stores such text: each run of text used to
// lay out the whole paragraph again.
QString formattedComment(int kilobytes) {
    QString markup =
        QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil "
                       "Sans Serif;}}\n{\\colortbl ;}\n\\viewkind4\\uc1\\pard\\f0\\fs20 ");
    for (int word = 0; markup.size() < qsizetype(kilobytes) * 1024; ++word)
        markup += QStringLiteral("{\\f0\\fs20%1%2 word%3 }")
                      .arg(word % 2 ? QStringLiteral("\\b") : QString(),
                           word % 3 == 0 ? QStringLiteral("\\i") : QString())
                      .arg(word);
    return markup + QStringLiteral("\\par\n}\n");
}

void ReadFormattedComment(benchmark::State& state) {
    const QString markup = formattedComment(static_cast<int>(state.range(0)));
    // Into the box itself: its layout is what each insertion used to redo.
    gearlog::RichTextBox box;
    box.resize(400, 300);
    for (auto _ : state) {
        box.setTextRTF(markup);
        benchmark::DoNotOptimize(box.document()->characterCount());
    }
    state.SetLabel(QStringLiteral("%1 KB").arg(markup.size() / 1024).toStdString());
}
BENCHMARK(ReadFormattedComment)
    ->Arg(9)
    ->Arg(45)
    ->Arg(90)
    ->Arg(180)
    ->Arg(1024)
    ->Arg(10240)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
