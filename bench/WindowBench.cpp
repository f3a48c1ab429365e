// A million-pair demo run clicked in the real main window, then scrolling and copying its list.
#include "PeakMemory.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "ui/USave.h"
#include "ui/Ungr.h"
#include "ui/Unit1.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <benchmark/benchmark.h>

namespace kordel {
namespace {

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
