#include "plot/LivePlot.h"

#include "common/Error.h"
#include "plot/PlotRenderer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace kordel {
namespace {

constexpr std::int32_t Pairs = 600;

// A Lissajous figure that repeats every 200 pairs, its amplitude changing at pair 300: the common
// maximum grows over the first quarter period, and again from 300 on when the amplitude grows.
SharedState lissajousRun(double amplitudeFrom300) {
    SharedState state;
    applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
    state.SampleCount = Pairs;
    const double pi = std::acos(-1.0);
    for (std::int32_t k = 0; k < Pairs; ++k) {
        const double amplitude = k < 300 ? 1.0 : amplitudeFrom300;
        state.Samples1.push_back(amplitude * (1.3 + std::sin(2 * pi * (k % 40) / 40)));
        state.Samples2.push_back(amplitude * (1.3 + std::sin(2 * pi * (k % 25) / 25)));
    }
    return state;
}

// Pairs from a few levels in a pseudo-random order: segments repeat, each with many successors.
SharedState fewLevelsRun() {
    SharedState state;
    applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
    state.SampleCount = Pairs;
    std::uint32_t seed = 7;
    const auto level = [&] {
        seed = seed * 1103515245U + 12345U;
        return (seed >> 16) % 4 * 0.5;
    };
    for (std::int32_t k = 0; k < Pairs; ++k) {
        state.Samples1.push_back(level() + (k < 300 ? 0.0 : 0.2));
        state.Samples2.push_back(level());
    }
    return state;
}

// What the plot drawing makes of the first `pairs` pairs on a fresh image, `seconds` as Elapsed.
QImage plotOf(const SharedState& run, std::int32_t pairs, double seconds, bool showGrid,
              bool showAxes) {
    SharedState state = run;
    state.SampleCount = pairs;
    state.Elapsed = seconds;
    Canvas canvas(PlotImageSize);
    clearImage(canvas, state.Settings);
    try {
        DrawPlot(canvas, state.Settings, plotData(state), showGrid, showAxes, '.');
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
        for (SharedState* series : {&growing, &shrinking, &fewLevels}) {
            expectPlotAfterEachRefresh(*series);
        }
    }

    void expectPlotAfterEachRefresh(SharedState& run) {
        const auto [grid, axes] = GetParam();
        Canvas canvas(PlotImageSize);
        LivePlot live(canvas, run, grid, axes, '.');
        double seconds = 0;
        for (std::int32_t pairs : {0, 0, 1, 2, 5, 17, 40, 41, 120, 299, 300, 301, 450, 600}) {
            seconds += 0.0137 * pairs;
            live.refresh(pairs, seconds);
            ASSERT_EQ(canvas.image(), plotOf(run, pairs, seconds, grid, axes)) << pairs;
        }
        EXPECT_EQ(run.SampleCount, Pairs);
        EXPECT_EQ(run.Samples1.size(), static_cast<std::size_t>(Pairs));
        EXPECT_EQ(run.Samples2.size(), static_cast<std::size_t>(Pairs));
    }

    void setDivisions(std::int32_t ox, std::int32_t oy) {
        for (SharedState* series : {&growing, &shrinking, &fewLevels}) {
            series->Settings.OxDivisions = ox;
            series->Settings.OyDivisions = oy;
        }
    }

    SharedState growing = lissajousRun(1.5);
    SharedState shrinking = lissajousRun(0.5);
    SharedState fewLevels = fewLevelsRun();
};

TEST_P(LivePlotTest, EachRefreshShowsThePlotOfThePairsSoFar) {
    expectPlotAfterEachRefresh();
}

TEST_P(LivePlotTest, AFailingDrawingStopsWhereThePlotStopsAndDisturbsNothing) {
    setDivisions(0, 7);
    expectPlotAfterEachRefresh();
    setDivisions(7, 0);
    expectPlotAfterEachRefresh();
}

INSTANTIATE_TEST_SUITE_P(AllSwitches, LivePlotTest,
                         testing::Values(Switches{true, true}, Switches{true, false},
                                         Switches{false, true}, Switches{false, false}));

} // namespace
} // namespace kordel
