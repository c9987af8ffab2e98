// Reading a long comment whose formatting changes often, as our own writer
// produces it: the rich-text box must load it without freezing the window.
#include "RichTextBox.h"
#include "RtfCodec.h"

#include <QApplication>
#include <QTextCursor>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// About `kilobytes` of RTF in one paragraph in which bold and italic change
// every word: each run of text used to lay out the whole paragraph again.
QString formattedComment(int kilobytes) {
    QTextDocument source;
    QTextCursor cursor(&source);
    QTextCharFormat format;
    int word = 0;
    while (gearlog::rtf::write(source).size() < kilobytes * 1024) {
        for (int i = 0; i < 200; ++i, ++word) {
            format.setFontWeight(word % 2 ? QFont::Bold : QFont::Normal);
            format.setFontItalic(word % 3 == 0);
            cursor.insertText(QStringLiteral("word%1 ").arg(word), format);
        }
    }
    return gearlog::rtf::write(source);
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
BENCHMARK(ReadFormattedComment)->Arg(9)->Arg(45)->Arg(90)->Arg(180)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
