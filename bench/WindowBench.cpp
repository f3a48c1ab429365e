// Demo runs clicked in the real main window: a million pairs (then scrolling and copying a
// list), the live view's share of that run, the accuracy of the pause, and how often the window
// shows the progress.
#include "acquisition/Clock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "bench/PeakMemory.h"
#include "journal/JournalFile.h"
#include "ui/MainWindows.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <ctime>
#include <limits>

namespace kordel {
namespace {

// The three windows as start-up makes them, on the demo bus.
struct DemoWindows {
    explicit DemoWindows(Clock& clock) : windows(state, true, clock) {
        form.setJournal(journal);
        form.show();
    }

    // Types N and the pause and presses Start; returns the seconds to the plot.
    double run(int pairs, int pause) {
        form.Edit1->setText(QString::number(pairs));
        form.Edit2->setText(QString::number(pause));
        return secondsOf([&] { QTest::mouseClick(form.SpeedButton1, Qt::LeftButton); });
    }

    DemoBus bus;
    PortBusScope useBus{bus};
    SharedState state;
    MainWindows windows;
    TForm1& form = windows.Form1;
    JournalFile journal{journalDirectory(), "--demo"};
};

void BM_WindowMillionPairRun(benchmark::State& bench) {
    resetPeakMemory();
    SetUpSkippingClock clock;
    DemoWindows windows(clock);
    TForm1& form = windows.form;

    double runSeconds = 0;
    double scrollSeconds = 0;
    double copySeconds = 0;
    for (auto _ : bench) {
        runSeconds = windows.run(1'000'000, 0);
        form.Memo1->verticalScrollBar()->setValue(0);
        scrollSeconds = secondsOf([&] {
            QTest::keyClick(form.Memo1, Qt::Key_End, Qt::ControlModifier);
            form.Memo1->viewport()->repaint();
        });
        copySeconds = secondsOf([&] {
            QTest::keyClick(form.Memo1, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(form.Memo1, Qt::Key_C, Qt::ControlModifier);
        });
    }
    bench.counters["run_to_plot_s"] = runSeconds;
    bench.counters["scroll_end_ms"] = scrollSeconds * 1000;
    bench.counters["select_copy_ms"] = copySeconds * 1000;
    bench.counters["peak_rss_MB"] = peakMemoryMegabytes();
}
BENCHMARK(BM_WindowMillionPairRun)->Unit(benchmark::kSecond)->Iterations(1);

double processorSeconds() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

// The quickest of some runs, in real and in processor time.
struct Quickest {
    void run(DemoWindows& windows) {
        const double start = processorSeconds();
        seconds = std::min(seconds, windows.run(1'000'000, 0));
        processor = std::min(processor, processorSeconds() - start);
    }

    double seconds = std::numeric_limits<double>::infinity();
    double processor = std::numeric_limits<double>::infinity();
};

// The same million-pair run with the live view and without, alternately; the quickest of each.
// Processor time is the steadier figure on a busy machine.
void BM_WindowLiveViewOverhead(benchmark::State& bench) {
    SetUpSkippingClock clock;
    DemoWindows windows(clock);
    Quickest with;
    Quickest without;
    for (auto _ : bench) {
        for (int round = 0; round < 5; ++round) {
            windows.form.setLiveView(false);
            without.run(windows);
            windows.form.setLiveView(true);
            with.run(windows);
        }
    }
    bench.counters["with_live_view_s"] = with.seconds;
    bench.counters["without_s"] = without.seconds;
    bench.counters["overhead_pct"] = (with.seconds / without.seconds - 1) * 100;
    bench.counters["processor_overhead_pct"] = (with.processor / without.processor - 1) * 100;
}
BENCHMARK(BM_WindowLiveViewOverhead)->Unit(benchmark::kSecond)->Iterations(1);

// How far a pair's period strays from the pause plus the two readings, in ms. The readings' own
// time is that of a run without pause; Elapsed is the run's own measure. Real waits, set-up
// included: about 22 s.
void BM_WindowPeriodError(benchmark::State& bench) {
    Clock clock;
    DemoWindows windows(clock);
    const auto period = [&](int pairs, int pause) {
        windows.run(pairs, pause);
        return windows.state.Elapsed / pairs * 1000;
    };
    for (auto _ : bench) {
        const double readings = period(20'000, 0);
        const std::pair<int, int> runs[] = {{10, 200}, {100, 30}, {1000, 10}};
        for (const auto& [pause, pairs] : runs) {
            const double error = std::fabs(period(pairs, pause) - pause - readings);
            bench.counters["error_ms_at_" + std::to_string(pause)] = error;
        }
        bench.counters["readings_ms"] = readings;
    }
}
BENCHMARK(BM_WindowPeriodError)->Unit(benchmark::kSecond)->Iterations(1);

// How often the window shows a run's progress (the caption, the lists and the live view) while
// the readings last: the caption changes each time. Real waits, set-up included: about 9 s.
void BM_WindowProgressShown(benchmark::State& bench) {
    Clock clock;
    DemoWindows windows(clock);
    int shown = 0;
    QObject::connect(&windows.form, &QWidget::windowTitleChanged, [&](const QString& caption) {
        shown += caption.contains(" / ") && !caption.startsWith("0 /");
    });
    for (auto _ : bench) {
        const std::pair<int, int> runs[] = {{0, 1'000'000}, {1, 2000}, {10, 200}};
        for (const auto& [pause, pairs] : runs) {
            shown = 0;
            windows.run(pairs, pause);
            bench.counters["per_s_at_" + std::to_string(pause)] = shown / windows.state.Elapsed;
        }
    }
}
BENCHMARK(BM_WindowProgressShown)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace kordel
