// Clearing and drawing the plot of a 1,000,000-pair run on the 497 x 313 image.
#include "acquisition/Converter.h"
#include "acquisition/Udata1.h"
#include "plot/Canvas.h"
#include "plot/PlotRenderer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <random>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

int demoCode(int k, int period) {
    return static_cast<int>(
        std::lround(128 + 127 * std::sin(2 * std::numbers::pi * (k % period) / period)));
}

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
        clearImage(canvas, state);
        DrawPlot(canvas, state, true, true, '.');
        benchmark::DoNotOptimize(canvas.image().constBits());
    }
}

void BM_DrawPlotDemoRun(benchmark::State& bench) {
    drawPlots(bench,
              runOf([](int k) { return demoCode(k, 75); }, [](int k) { return demoCode(k, 50); }));
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
