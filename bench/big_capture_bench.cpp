// Capturing a 20 MiB text end to end: the poller's tick reads it from the clipboard, the
// clipboard text window takes it (and writes the scheme 1 log), the clipboard gets it back
// as plain text, link recognition tests it, and the window is repainted. The real window
// and poller run over fake seams on the offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include "bench_files.h"
#include "capture/to_text_window.h"
#include "links/link_catcher_window.h"
#include "settings/settings_paths.h"
#include "support/test_program.h"

namespace ziq::bench {
namespace {

constexpr qsizetype kMiB = 1024 * 1024;

enum class Shape { Lines, OneLine };

// `size` characters of plain ASCII (so as many bytes in the log), in lines of about 80
// characters or as one single line.
QString bigText(qsizetype size, Shape shape, char first) {
    QString text(size, QLatin1Char('x'));
    QChar* out = text.data();
    static const char words[] = "lorem ipsum dolor sit amet consectetur adipiscing elit ";
    for (qsizetype i = 0; i < size; ++i) {
        out[i] = QLatin1Char(words[i % (sizeof words - 1)]);
        if (shape == Shape::Lines && i % 81 == 80) {
            out[i] = QLatin1Char('\n');
        }
    }
    out[0] = QLatin1Char(first);
    return text;
}

// A program over fakes with its two viewer windows loaded, logging under scheme 1.
struct CapturingProgram {
    explicit CapturingProgram(bool visible) {
        Settings& s = tp.program->settings;
        s.clipboardOn = "1";
        s.beepOn = "1";
        s.frequency = "1";
        s.autoSave = "1";
        s.saveType = "1";
        s.savedFilePath = withTrailingSeparator(tp.dir());
        s.linkCatcherOn = "1";
        s.strictUrls = "0";
        s.linkAutoSave = "1";
        s.linkSaveType = "1";
        s.linkSavedFilePath = s.savedFilePath;
        tp.app->loadViewers();
        tp.app->frmToText->Timer1->stop();
        if (visible) {
            tp.app->frmToText->show();
        }
        QCoreApplication::processEvents();
    }
    // One tick that captures what the clipboard holds, and the repaint that follows.
    bool capture() {
        ToTextWindow& window = *tp.app->frmToText;
        window.tick();
        QCoreApplication::processEvents();
        return window.text().size() == tp.clipboard.text.size();
    }
    test::TestProgram tp;
};

// Peak resident memory of one such capture above the idle program's, as a multiple of the
// text's size in bytes (UTF-8, as logged). It runs first, before other captures have grown
// the heap.
void BM_CaptureBigTextPeakMemory(benchmark::State& state) {
    const qsizetype size = state.range(0) * kMiB;
    double idleMiB = 0;
    double peakAboveIdleMiB = 0;
    for (auto _ : state) {
        CapturingProgram program(true);
        idleMiB = double(statusKb("VmRSS")) / 1024;
        if (!resetPeakMemory()) {
            state.SkipWithError("cannot reset the peak resident set (/proc/self/clear_refs)");
            break;
        }
        program.tp.clipboard.text = bigText(size, Shape::Lines, 'a');
        if (!program.capture()) {
            state.SkipWithError("the text was not captured");
            break;
        }
        peakAboveIdleMiB = double(statusKb("VmHWM")) / 1024 - idleMiB;
    }
    state.counters["idle_MiB"] = idleMiB;
    state.counters["peak_above_idle_MiB"] = peakAboveIdleMiB;
    state.counters["x_text_size"] = peakAboveIdleMiB / double(state.range(0));
}
BENCHMARK(BM_CaptureBigTextPeakMemory)
    ->Arg(20)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_CaptureBigText(benchmark::State& state) {
    const qsizetype size = state.range(0) * kMiB;
    const Shape shape = state.range(1) == 0 ? Shape::Lines : Shape::OneLine;
    CapturingProgram program(state.range(2) != 0);
    char first = 'a';
    for (auto _ : state) {
        state.PauseTiming();
        program.tp.clipboard.text = bigText(size, shape, first);
        first = first == 'z' ? 'a' : char(first + 1);
        state.ResumeTiming();
        if (!program.capture()) {
            state.SkipWithError("the text was not captured");
            break;
        }
    }
    state.SetLabel(std::string(shape == Shape::Lines ? "lines" : "one line") +
                   (state.range(2) != 0 ? ", window shown" : ", window hidden"));
}
BENCHMARK(BM_CaptureBigText)
    ->ArgNames({"MiB", "one_line", "shown"})
    ->Args({20, 0, 0})
    ->Args({20, 0, 1})
    ->Args({20, 1, 1})
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace ziq::bench

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
