// Clearing and drawing the plot of a 1,000,000-pair run on the 497 x 313 image.
#include "acquisition/Converter.h"
#include "acquisition/Udata1.h"
#include "acquisition/ports/DemoBus.h"
#include "plot/Canvas.h"
#include "plot/PlotRenderer.h"

#include <benchmark/benchmark.h>
#include <random>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

SharedState runOf(auto channel1, auto channel2) {
    SharedState state;
    applyDefaults(state, 497, 313);
    state.SampleCount = Pairs;
    state.Elapsed = 12.345;
    for (int k = 0; k < Pairs; ++k) {
        state.Samples1.push_back(codeToVolts(channel1(k)));
        state.Samples2.push_back(codeToVolts(channel2(k)));
    }
    return state;
}

void drawPlots(benchmark::State& bench, const SharedState& state) {
    Canvas canvas(QSize(497, 313));
    for (auto _ : bench) {
        clearImage(canvas, state.Settings);
        DrawPlot(canvas, state.Settings, plotData(state), true, true, '.');
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}

void BM_DrawPlotDemoRun(benchmark::State& bench) {
    drawPlots(bench, runOf([](int k) { return DemoBus::demoCode(75, k); },
                           [](int k) { return DemoBus::demoCode(50, k); }));
}
BENCHMARK(BM_DrawPlotDemoRun)->Unit(benchmark::kMillisecond);

void BM_DrawPlotRandomCodes(benchmark::State& bench) {
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> code(0, 255);
    drawPlots(bench,
              runOf([&](int) { return code(generator); }, [&](int) { return code(generator); }));
}
BENCHMARK(BM_DrawPlotRandomCodes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kordel
