#pragma once

#include "acquisition/Udata1.h"
#include "plot/Canvas.h"

#include <cstddef>
#include <cstdint>

namespace kordel {

// Brush white, then the rectangle over the whole image, framed by whatever pen is set.
void clearImage(Canvas& canvas, const SharedState& state);

// Grid, axes with labels, and the red trace of Samples1 against Samples2, scaled by their
// common maximum. The switches are those of the options dialog at the moment of drawing.
// Throws Error when a division count is 0, leaving what was drawn before it.
void DrawPlot(Canvas& canvas, const SharedState& state, bool showGrid, bool showAxes,
              char separator);

void DrawGrid(Canvas& canvas, const SharedState& state);
void DrawAxes(Canvas& canvas, const SharedState& state);
void DrawAxisLabels(Canvas& canvas, const SharedState& state, double maximum, char separator);

// The X labels alone, from Elapsed, as DrawAxisLabels draws them after the Y labels.
void DrawTimeLabels(Canvas& canvas, const SharedState& state, char separator);

// Where DrawPlot puts the trace's point k (below the pairs the series hold): channel 1 scaled
// by sx from the left margin, channel 2 scaled by sy up from the bottom margin.
struct TraceScale {
    const SharedState& state;
    double sx;
    double sy;

    std::int64_t x(std::size_t k) const;
    std::int64_t y(std::size_t k) const;
};

// The trace's scale for the common maximum `maximum`, as DrawPlot takes it; fails as DrawPlot's
// does. A picture of a growing run places its new segments with it.
TraceScale traceScale(const SharedState& state, double maximum);

} // namespace kordel
