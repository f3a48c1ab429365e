#pragma once

#include "acquisition/Udata1.h"
#include "plot/Canvas.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace kordel {

// The main window's plot image; the command line draws its plot at the same size.
inline constexpr QSize PlotImageSize(497, 313);

// What a plot shows: channel 1 against channel 2, over the run's duration in seconds. The
// trace joins the pairs both series hold.
struct PlotData {
    std::span<const double> samples1;
    std::span<const double> samples2;
    double elapsed = 0;
};

// The pairs of a state's run: the first SampleCount of each series, as far as it holds them
// (a run that stopped early holds fewer).
PlotData plotData(const SharedState& state);

// Brush white, then the rectangle over the whole image, framed by whatever pen is set.
void clearImage(Canvas& canvas, const PlotSettings& settings);

// Grid, axes with labels, and the red trace of samples1 against samples2, scaled by their
// common maximum. The switches are those of the options dialog at the moment of drawing.
// Throws Error when a division count is 0, leaving what was drawn before it.
void DrawPlot(Canvas& canvas, const PlotSettings& settings, const PlotData& data, bool showGrid,
              bool showAxes, char separator);

void DrawGrid(Canvas& canvas, const PlotSettings& settings);
void DrawAxes(Canvas& canvas, const PlotSettings& settings);
void DrawAxisLabels(Canvas& canvas, const PlotSettings& settings, double maximum, double elapsed,
                    char separator);

// The X labels alone, from `elapsed`, as DrawAxisLabels draws them after the Y labels.
void DrawTimeLabels(Canvas& canvas, const PlotSettings& settings, double elapsed, char separator);

// The greatest value of a series as the plot takes it: only a greater value replaces `from`.
double seriesMaximum(std::span<const double> series, double from = 0);

// Where DrawPlot puts the trace's point k (below the pairs both series hold): channel 1 scaled
// by sx from the left margin, channel 2 scaled by sy up from the bottom margin, both by the
// common maximum.
struct TraceScale {
    const PlotSettings& settings;
    PlotData data;
    double maximum;
    double sx;
    double sy;

    std::int64_t x(std::size_t k) const;
    std::int64_t y(std::size_t k) const;
};

// The scale of both axes from the two series' maxima: the larger one, a millionth when both are
// 0.
double commonMaximum(double maximum1, double maximum2);

// The trace's scale for the common maximum, as DrawPlot takes it; fails as DrawPlot's does. A
// picture of a growing run places its new segments with it.
TraceScale traceScale(const PlotSettings& settings, const PlotData& data, double maximum);

} // namespace kordel
