// The live view's refreshes through a run of 1,000,000 demo pairs, painted in the window's image.
#include "acquisition/Converter.h"
#include "acquisition/ports/DemoBus.h"
#include "plot/LivePlot.h"
#include "ui/PlotImage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

// The pairs a window run reads between two refreshes, at about 1 s per million pairs.
constexpr int PairsPerRefresh = 50'000;

SharedState demoRun() {
    SharedState state;
    applyDefaults(state, 497, 313);
    state.SampleCount = Pairs;
    for (int k = 0; k < Pairs; ++k) {
        state.Samples1.push_back(codeToVolts(DemoBus::demoCode(75, k)));
        state.Samples2.push_back(codeToVolts(DemoBus::demoCode(50, k)));
    }
    return state;
}

double millisecondsOf(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One refresh: the drawing, then painting the image at once.
double refresh(LivePlot& live, PlotImage& image, int pairs) {
    return millisecondsOf([&] {
        live.refresh(pairs, pairs * 1.2e-6);
        image.repaint();
    });
}

// The longest refresh through the run, and a whole drawing of all its pairs, as when the common
// maximum grows with the last one.
void BM_LiveViewRefresh(benchmark::State& bench) {
    SharedState run = demoRun();
    PlotImage image(nullptr);
    image.show();
    double longest = 0;
    double whole = 0;
    for (auto _ : bench) {
        LivePlot live(image.canvas(), run, true, true, '.');
        for (int pairs = PairsPerRefresh; pairs <= Pairs; pairs += PairsPerRefresh) {
            longest = std::max(longest, refresh(live, image, pairs));
        }
        LivePlot fresh(image.canvas(), run, true, true, '.');
        whole = refresh(fresh, image, Pairs);
    }
    bench.counters["longest_ms"] = longest;
    bench.counters["whole_drawing_ms"] = whole;
}
BENCHMARK(BM_LiveViewRefresh)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace kordel
