// Saving the value lists of a 1,000,000-pair run and the plot image.
#include "acquisition/Converter.h"
#include "acquisition/Udata1.h"
#include "acquisition/ValueList.h"
#include "common/NumberText.h"
#include "plot/Canvas.h"
#include "plot/PlotRenderer.h"
#include "ui/OutputFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

int demoCode(int k, int period) {
    return static_cast<int>(
        std::lround(128 + 127 * std::sin(2 * std::numbers::pi * (k % period) / period)));
}

struct DemoRun {
    DemoRun() {
        applyDefaults(state, 497, 313);
        state.SampleCount = Pairs;
        for (int k = 0; k < Pairs; ++k) {
            state.Samples1.push_back(codeToVolts(demoCode(k, 75)));
            state.Samples2.push_back(codeToVolts(demoCode(k, 50)));
            list1.append(generalText(state.Samples1.back()));
            list2.append(generalText(state.Samples2.back()));
        }
        clearImage(canvas, state);
        DrawPlot(canvas, state, true, true, '.');
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
