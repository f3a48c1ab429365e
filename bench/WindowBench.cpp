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
#include <sys/resource.h>

namespace kordel {
namespace {

// Real time, but the line set-up's 1.2 s of waits are left out of the figures.
class SetUpSkippingClock : public SteadyClock {
public:
    void wait(std::int32_t) override {}
};

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_WindowMillionPairRun(benchmark::State& bench) {
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
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    bench.counters["run_to_plot_s"] = runSeconds;
    bench.counters["scroll_end_ms"] = scrollSeconds * 1000;
    bench.counters["select_copy_ms"] = copySeconds * 1000;
    bench.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}
BENCHMARK(BM_WindowMillionPairRun)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace
} // namespace kordel
