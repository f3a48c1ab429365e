#include "plot/LivePlot.h"

#include "common/Error.h"
#include "plot/PlotRenderer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace kordel {
namespace {

constexpr std::int32_t Pairs = 600;

// A Lissajous figure whose amplitude grows at pair 300, so the common maximum grows twice: over
// the first quarter period, and again at 300.
SharedState growingRun() {
    SharedState state;
    applyDefaults(state, 497, 313);
    state.SampleCount = Pairs;
    for (std::int32_t k = 0; k < Pairs; ++k) {
        const double amplitude = k < 300 ? 1.0 : 1.5;
        state.Samples1.push_back(amplitude * (1.3 + std::sin(k * 0.0838)));
        state.Samples2.push_back(amplitude * (1.3 + std::sin(k * 0.1257)));
    }
    return state;
}

// What the plot drawing makes of the first `pairs` pairs on a fresh image, `seconds` as Elapsed.
QImage plotOf(const SharedState& run, std::int32_t pairs, double seconds, bool showGrid,
              bool showAxes) {
    SharedState state = run;
    state.SampleCount = pairs;
    state.Elapsed = seconds;
    Canvas canvas(QSize(497, 313));
    clearImage(canvas, state);
    try {
        DrawPlot(canvas, state, showGrid, showAxes, '.');
    } catch (const Error&) {
    }
    return canvas.image();
}

struct Switches {
    bool grid;
    bool axes;
};

class LivePlotTest : public testing::TestWithParam<Switches> {
protected:
    void expectPlotAfterEachRefresh() {
        const auto [grid, axes] = GetParam();
        LivePlot live(canvas, run, grid, axes, '.');
        double seconds = 0;
        for (std::int32_t pairs : {1, 2, 5, 17, 40, 41, 120, 299, 300, 301, 450, 600}) {
            seconds += 0.0137 * pairs;
            live.refresh(pairs, seconds);
            ASSERT_EQ(canvas.image(), plotOf(run, pairs, seconds, grid, axes)) << pairs;
        }
        EXPECT_EQ(run.SampleCount, Pairs);
        EXPECT_EQ(run.Samples1.size(), static_cast<std::size_t>(Pairs));
        EXPECT_EQ(run.Samples2.size(), static_cast<std::size_t>(Pairs));
    }

    SharedState run = growingRun();
    Canvas canvas{QSize(497, 313)};
};

TEST_P(LivePlotTest, EachRefreshShowsThePlotOfThePairsSoFar) {
    expectPlotAfterEachRefresh();
}

TEST_P(LivePlotTest, AFailingDrawingStopsWhereThePlotStopsAndDisturbsNothing) {
    run.Settings.OxDivisions = 0;
    expectPlotAfterEachRefresh();
    run.Settings.OxDivisions = 7;
    run.Settings.OyDivisions = 0;
    expectPlotAfterEachRefresh();
}

INSTANTIATE_TEST_SUITE_P(AllSwitches, LivePlotTest,
                         testing::Values(Switches{true, true}, Switches{true, false},
                                         Switches{false, true}, Switches{false, false}));

} // namespace
} // namespace kordel
