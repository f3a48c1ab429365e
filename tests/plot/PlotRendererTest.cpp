#include "plot/PlotRenderer.h"

#include "common/Error.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace kordel {
namespace {

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Red = qRgb(255, 0, 0);

// With the default geometry: the vertical and horizontal grid lines.
const std::vector<int> GridX{94, 158, 222, 285, 349, 413, 477};
const std::vector<int> GridY{245, 208, 170, 133, 95, 58, 20};

class PlotRendererTest : public testing::Test {
protected:
    PlotRendererTest() : canvas(PlotImageSize) {
        applyDefaults(state, PlotImageSize.width(), PlotImageSize.height());
    }

    void run(std::vector<double> samples1, std::vector<double> samples2) {
        state.SampleCount = static_cast<std::int32_t>(samples1.size());
        state.Samples1 = std::move(samples1);
        state.Samples2 = std::move(samples2);
    }

    void draw(bool showGrid = true, bool showAxes = true) {
        clearImage(canvas, state.Settings);
        DrawPlot(canvas, state.Settings, plotData(state), showGrid, showAxes, ',');
    }

    std::string failure(bool showGrid, bool showAxes) {
        clearImage(canvas, state.Settings);
        try {
            DrawPlot(canvas, state.Settings, plotData(state), showGrid, showAxes, ',');
        } catch (const Error& error) {
            return error.what();
        }
        return "no error";
    }

    QRgb at(int x, int y) const { return canvas.image().pixel(x, y); }

    int count(QRgb color) const {
        int found = 0;
        for (int y = 1; y < 312; ++y) {
            for (int x = 1; x < 496; ++x) {
                found += at(x, y) == color;
            }
        }
        return found;
    }

    // The label's own rendering must stand at (x, y).
    bool labelAt(int x, int y, const QString& text) const {
        Canvas alone(QSize(200, 40));
        alone.TextOut(0, 0, text);
        const QSize box(alone.fontMetrics().horizontalAdvance(text), alone.fontMetrics().height());
        return canvas.image().copy(QRect(QPoint(x, y), box)) ==
               alone.image().copy(QRect(QPoint(0, 0), box));
    }

    bool hasVerticalGridLine(int x) const {
        for (int y = 20; y < 283; ++y) {
            if (at(x, y) != ((y - 20) % 2 == 0 ? Green : White)) {
                return false;
            }
        }
        return at(x, 283) != Green;
    }

    // Vertical lines, drawn later, decide the crossings.
    bool hasHorizontalGridLine(int y) const {
        for (int x = 30; x < 477; ++x) {
            const bool crossing = std::find(GridX.begin(), GridX.end(), x) != GridX.end();
            if (!crossing && at(x, y) != ((x - 30) % 2 == 0 ? Green : White)) {
                return false;
            }
        }
        return true;
    }

    SharedState state;
    Canvas canvas;
};

TEST_F(PlotRendererTest, GridLinesAreDottedGreenAtTheRoundedDivisions) {
    draw(true, false);

    for (int x : GridX) {
        EXPECT_TRUE(hasVerticalGridLine(x)) << x;
    }
    for (int y : GridY) {
        EXPECT_TRUE(hasHorizontalGridLine(y)) << y;
    }
    for (int y = 1; y < 312; ++y) {
        for (int x = 1; x < 496; ++x) {
            const bool onGrid = std::find(GridX.begin(), GridX.end(), x) != GridX.end() ||
                                std::find(GridY.begin(), GridY.end(), y) != GridY.end();
            EXPECT_TRUE(onGrid || at(x, y) == White) << x << ", " << y;
        }
    }
}

TEST_F(PlotRendererTest, AxesRunFromTheRightMarginAndToTheTopMarginFromBelow) {
    draw(false, true);

    const int firstLabelEnd = 5 + canvas.fontMetrics().horizontalAdvance("0,00");
    for (int x = firstLabelEnd; x < 477; ++x) {
        EXPECT_EQ(at(x, 283), Black) << x;
    }
    EXPECT_EQ(at(477, 283), White);
    for (int y = 20; y < 293; ++y) {
        EXPECT_EQ(at(30, y), Black) << y;
    }
    EXPECT_EQ(at(30, 19), White);
    EXPECT_EQ(at(30, 293), White);
    EXPECT_EQ(count(Green), 0);
}

TEST_F(PlotRendererTest, LabelsShowTheCommonMaximumAndTheRunDurationInDivisions) {
    run({7, 0}, {1, 0});
    state.Elapsed = 1.4;
    draw();

    EXPECT_TRUE(labelAt(5, 283, "0,00"));
    for (int k = 1; k <= 7; ++k) {
        EXPECT_TRUE(labelAt(5, GridY[k - 1], QString("%1,00").arg(k))) << k;
        const QString seconds = QString::number(k / 5) + ',' + QString::number(2 * k % 10) + "00";
        EXPECT_TRUE(labelAt(GridX[k - 1] - 15, 288, seconds)) << k;
    }
}

struct TraceCase {
    std::vector<double> samples1;
    std::vector<double> samples2;
    int x;
    int y;
    int redPixels;
};

class TraceTest : public PlotRendererTest, public testing::WithParamInterface<TraceCase> {};

TEST_P(TraceTest, StartsAtTheScaledFirstPairRoundedHalfToEven) {
    const TraceCase& c = GetParam();
    run(c.samples1, c.samples2);
    draw(false, false);

    EXPECT_EQ(at(c.x, c.y), Red);
    EXPECT_EQ(count(Red), c.redPixels);
}

INSTANTIATE_TEST_SUITE_P(
    Samples, TraceTest,
    testing::Values(
        // One maximum for both: M = 4, first point (142, 20), the second (254, 151).
        TraceCase{{1, 2}, {4, 2}, 142, 20, 131},
        // 5 * 447 / 894 = 2.5 goes to 2; the line ends at (477, 283).
        TraceCase{{5, 894}, {0, 0}, 32, 283, 477 - 32},
        // 5 * 263 / 526 = 2.5 goes to 2; the line ends at (30, 20).
        TraceCase{{0, 0}, {5, 526}, 30, 281, 281 - 20},
        // A point beyond any coordinate: the line is clipped, the row drawn to the left edge.
        TraceCase{{1, -1e300}, {1, 1}, 477, 20, 477}));

TEST_F(PlotRendererTest, TraceIsDrawnOverGridAxesAndLabels) {
    // From (8, 20) to (477, 20), through the top label, the top grid line and the Y axis.
    run({-0.2, 4}, {4, 4});
    draw();

    for (int x = 8; x < 477; ++x) {
        EXPECT_EQ(at(x, 20), Red) << x;
    }
}

struct Switches {
    bool grid;
    bool axes;
};

class SwitchTest : public PlotRendererTest, public testing::WithParamInterface<Switches> {};

TEST_P(SwitchTest, EachPartIsDrawnOnlyWhenSwitchedOn) {
    run({1, 2}, {4, 2});
    draw(GetParam().grid, GetParam().axes);

    EXPECT_EQ(hasVerticalGridLine(94), GetParam().grid);
    EXPECT_EQ(at(30, 150) == Black, GetParam().axes);
    EXPECT_EQ(labelAt(5, 20, "4,00"), GetParam().axes);
    EXPECT_EQ(count(Red), 131);
}

INSTANTIATE_TEST_SUITE_P(All, SwitchTest,
                         testing::Values(Switches{true, true}, Switches{true, false},
                                         Switches{false, true}, Switches{false, false}));

TEST_F(PlotRendererTest, ClearingFramesTheImageWithThePenSetLast) {
    clearImage(canvas, state.Settings);
    EXPECT_EQ(at(0, 0), Black);
    EXPECT_EQ(at(496, 312), Black);
    EXPECT_EQ(at(1, 1), White);

    run({1, 2}, {4, 2});
    draw();
    clearImage(canvas, state.Settings);
    EXPECT_EQ(at(0, 0), Red);
    EXPECT_EQ(at(496, 1), Red);
    EXPECT_EQ(count(White), 495 * 311);

    state.Settings.OyDivisions = 0;
    EXPECT_EQ(failure(true, true), "Floating point division by zero");
    clearImage(canvas, state.Settings);
    EXPECT_EQ(at(0, 0), Red);

    state.Settings.OyDivisions = 7;
    state.Settings.OxDivisions = 0;
    EXPECT_EQ(failure(true, true), "Floating point division by zero");
    clearImage(canvas, state.Settings);
    EXPECT_EQ(at(0, 0), Green);
    EXPECT_EQ(at(1, 0), White);
}

TEST_F(PlotRendererTest, NoVerticalDivisionsWithTheGridLeaveTheClearedImage) {
    run({1, 2}, {4, 2});
    state.Settings.OyDivisions = 0;

    EXPECT_EQ(failure(true, true), "Floating point division by zero");
    EXPECT_EQ(count(White), 495 * 311);
}

TEST_F(PlotRendererTest, NoHorizontalDivisionsWithTheGridLeaveTheHorizontalLines) {
    run({1, 2}, {4, 2});
    state.Settings.OxDivisions = 0;

    EXPECT_EQ(failure(true, true), "Floating point division by zero");
    for (int y : GridY) {
        EXPECT_TRUE(hasHorizontalGridLine(y)) << y;
        EXPECT_EQ(at(477, y), White) << y;
    }
    EXPECT_EQ(count(Green), 7 * 224);
    EXPECT_EQ(count(Black) + count(Red), 0);
}

TEST_F(PlotRendererTest, MissingDivisionsWithOnlyTheAxesStopBeforeTheirLabels) {
    run({1, 2}, {4, 2});
    state.Settings.OyDivisions = 0;
    EXPECT_EQ(failure(false, true), "Floating point division by zero");
    EXPECT_EQ(count(Black), (477 - 20) + (293 - 20) - 1);

    state.Settings.OyDivisions = 7;
    state.Settings.OxDivisions = 0;
    EXPECT_EQ(failure(false, true), "Floating point division by zero");
    EXPECT_TRUE(labelAt(5, 20, "4,00"));
    EXPECT_FALSE(labelAt(79, 288, "0,000"));
    EXPECT_EQ(count(Red), 0);
}

TEST_F(PlotRendererTest, ZeroOverZeroIsAnInvalidOperation) {
    state.Settings.TopMargin = 283;
    state.Settings.OyDivisions = 0;

    EXPECT_EQ(failure(true, true), "Invalid floating point operation");
}

struct ScaleCase {
    double maximum;
    std::int32_t topMargin;
    std::string error;
};

void PrintTo(const ScaleCase& c, std::ostream* out) {
    *out << "maximum " << c.maximum << ", top margin " << c.topMargin;
}

class ScaleTest : public PlotRendererTest, public testing::WithParamInterface<ScaleCase> {};

TEST_P(ScaleTest, AScaleBeyondADoubleOverflowsBeforeAnythingIsDrawn) {
    run({GetParam().maximum}, {0});
    state.Settings.TopMargin = GetParam().topMargin;
    EXPECT_EQ(failure(true, true), GetParam().error);
    if (GetParam().error != "no error") {
        EXPECT_EQ(count(Green), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Maxima, ScaleTest,
                         testing::Values(ScaleCase{1e-320, 20, "Floating point overflow"},
                                         ScaleCase{std::numeric_limits<double>::min(), 20,
                                                   "Floating point overflow"},
                                         // a negative plot height overflows the other way
                                         ScaleCase{1e-320, 1000, "Floating point overflow"},
                                         ScaleCase{1e-300, 20, "no error"}));

TEST_F(PlotRendererTest, AllZeroSamplesStayAtTheOriginWithZeroLabels) {
    run({0, 0, 0}, {0, 0, 0});
    draw();

    for (int k = 0; k < 7; ++k) {
        EXPECT_TRUE(labelAt(5, GridY[k], "0,00")) << k;
    }
    EXPECT_EQ(count(Red), 0);
}

TEST_F(PlotRendererTest, OnlyTheExistingElementsAreRead) {
    run({1, 2}, {4, 2});
    state.SampleCount = 100;
    draw();
    EXPECT_EQ(count(Red), 131);

    state.Samples1.clear();
    state.Samples2.clear();
    draw();
    EXPECT_EQ(count(Red), 0);
    EXPECT_TRUE(hasVerticalGridLine(94));
    EXPECT_TRUE(labelAt(5, 20, "0,00"));
}

TEST_F(PlotRendererTest, HugeDivisionCountsReachEveryPixelPosition) {
    run({1, 2}, {4, 2});
    state.Settings.OxDivisions = std::numeric_limits<std::int32_t>::max();
    state.Settings.OyDivisions = std::numeric_limits<std::int32_t>::max();
    draw(true, false);

    for (int x = 30; x <= 477; ++x) {
        EXPECT_EQ(at(x, 260), Green) << x;
        EXPECT_EQ(at(x, 261), White) << x;
    }
    draw(false, true);
    EXPECT_TRUE(labelAt(5, 20, "4,00"));
}

TEST_F(PlotRendererTest, ExtremeMarginsDoNotOverflow) {
    run({1, 2}, {4, 2});
    state.Settings.LeftMargin = std::numeric_limits<std::int32_t>::min();
    state.Settings.RightMargin = std::numeric_limits<std::int32_t>::min();
    state.Settings.TopMargin = std::numeric_limits<std::int32_t>::max();
    state.Settings.BottomMargin = std::numeric_limits<std::int32_t>::max();

    EXPECT_NO_THROW(draw());
}

} // namespace
} // namespace kordel
