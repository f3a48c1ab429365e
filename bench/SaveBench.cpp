// Saving the value lists of a 1,000,000-pair run and the plot image.
#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/Udata1.h"
#include "acquisition/ValueList.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "output/OutputFiles.h"
#include "plot/Canvas.h"
#include "plot/PlotRenderer.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

struct DemoRun {
    DemoRun() {
        DemoBus bus;
        const PortBusScope useDemo(bus);
        testing_support::FakeClock clock;
        applyDefaults(state, 497, 313);
        performRun({"3F8", "2F8", std::to_string(Pairs), "0", "1", "1"},
                   {state, list1, list2, clock});
        clearImage(canvas, state.Settings);
        DrawPlot(canvas, state.Settings, plotData(state), true, true, '.');
    }

    SharedState state;
    ValueList list1;
    ValueList list2;
    Canvas canvas{QSize(497, 313)};
};

// In a temporary folder under TMPDIR (the system's temporary folder when unset).
void BM_SaveRunAndImage(benchmark::State& bench) {
    const DemoRun run;
    QTemporaryDir folder;
    const std::string base = QDir(folder.path()).filePath("run").toStdString();
    for (auto _ : bench) {
        writeValueList(run.list1, base + "(1).txt");
        writeValueList(run.list2, base + "(2).txt");
        writeBitmap(run.canvas.image(), base + ".bmp");
    }
}
BENCHMARK(BM_SaveRunAndImage)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace kordel
