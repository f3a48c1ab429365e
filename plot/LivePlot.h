#pragma once

#include "acquisition/Udata1.h"
#include "plot/Canvas.h"
#include "plot/PlotRenderer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kordel {

// The picture of a run while it lasts, on a canvas of its own: what DrawPlot would draw of the
// pairs read so far, with the time so far as Elapsed, under the plot settings and switches in
// force when the run began. It draws the whole picture again only when the common maximum
// grows; otherwise it renews the time labels and adds the new segments of the trace.
//
// The X labels are renewed in place: a trace that runs below the X axis can lose the pixels
// under them until the next whole drawing. A segment already in the picture is not drawn again,
// so a periodic signal costs little drawing however long the run.
class LivePlot {
public:
    LivePlot(Canvas& canvas, SharedState& run, bool showGrid, bool showAxes, char separator);

    // Draws the first `pairs` pairs of the run's series. A drawing that fails stops where
    // DrawPlot stops; the picture keeps what was drawn and the run is not disturbed.
    void refresh(std::int32_t pairs, double seconds);

private:
    void redraw(const PlotData& data, double maximum);
    void extend(const PlotData& data);
    bool drawnBefore(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2);

    Canvas& canvas_;
    SharedState& run_;
    PlotSettings settings_; // as the run began
    bool showGrid_;
    bool showAxes_;
    char separator_;
    double maximum1_ = 0; // of the pairs drawn so far
    double maximum2_ = 0;
    double drawnMaximum_ = 0;
    std::size_t drawn_ = 0;
    bool whole_ = false; // the last whole drawing reached its end
    // Segments added since the last whole drawing, by their end points: one per slot, a newer
    // one taking the place of an older.
    std::vector<std::uint64_t> segments_;
};

} // namespace kordel
