#include "output/RunPlot.h"

#include "plot/PlotRenderer.h"

namespace kordel {

QImage plotOfRun(const SharedState& state, char separator) {
    Canvas canvas(PlotImageSize);
    clearImage(canvas, state.Settings);
    DrawPlot(canvas, state.Settings, plotData(state), true, true, separator);
    return canvas.image();
}

} // namespace kordel
