// A million-pair demo run clicked in the real main window, then scrolling and copying its list.
#include "acquisition/Clock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/USave.h"
#include "ui/Ungr.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fstream>
#include <string>

namespace kordel {
namespace {

// Real time, but the line set-up's 1.2 s of waits are left out of the figures.
class SetUpSkippingClock : public SteadyClock {
public:
    void wait(std::int32_t) override {}
};

// The peak is counted afresh from here on, so earlier benchmarks in this process don't count.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double peakMemoryMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::stod(line.substr(6)) / 1024;
        }
    }
    return 0;
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WindowMillionPairRun(benchmark::State& bench) {
    resetPeakMemory();
    DemoBus bus;
    usePortBus(bus);
    SetUpSkippingClock clock;
    SharedState state;
    TForm1 form(state, true, clock);
    TFSave save(form);
    TFNgr options(form);
    form.setDialogs(save, options);
    form.show();
    form.Edit1->setText(QStringLiteral("1000000"));
    form.Edit2->setText(QStringLiteral("0"));

    double runSeconds = 0;
    double scrollSeconds = 0;
    double copySeconds = 0;
    for (auto _ : bench) {
        runSeconds = secondsOf([&] { QTest::mouseClick(form.SpeedButton1, Qt::LeftButton); });
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

} // namespace
} // namespace kordel
