#pragma once

#include "acquisition/Udata1.h"
#include "plot/Canvas.h"

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

// The trace from point `first` on, on the scale of the common maximum `maximum`, as DrawPlot
// draws it: a picture of a growing run adds its new segments with it.
void DrawTraceFrom(Canvas& canvas, const SharedState& state, double maximum, std::size_t first);

} // namespace kordel
