#pragma once

#include "acquisition/Udata1.h"
#include "plot/PlotRenderer.h"

#include <QImage>
#include <QSize>

namespace kordel {

// The plot a run gets on a fresh image: cleared, then drawn with the settings of `state` and
// both switches on. Throws Error when the drawing fails.
QImage plotOfRun(const SharedState& state, char separator);

} // namespace kordel
