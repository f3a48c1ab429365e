#include "plot/LivePlot.h"

#include "common/Error.h"
#include "plot/PlotRenderer.h"

#include <algorithm>
#include <utility>

namespace kordel {

namespace {

// Lends the run's series to the picture's state for one drawing, without copying them.
class LentSeries {
public:
    LentSeries(SharedState& owner, SharedState& borrower) : owner_(owner), borrower_(borrower) {
        swapSeries();
    }
    ~LentSeries() { swapSeries(); }
    LentSeries(const LentSeries&) = delete;
    LentSeries& operator=(const LentSeries&) = delete;

private:
    void swapSeries() {
        std::swap(owner_.Samples1, borrower_.Samples1);
        std::swap(owner_.Samples2, borrower_.Samples2);
    }

    SharedState& owner_;
    SharedState& borrower_;
};

} // namespace

LivePlot::LivePlot(Canvas& canvas, SharedState& run, bool showGrid, bool showAxes, char separator)
    : canvas_(canvas), run_(run), showGrid_(showGrid), showAxes_(showAxes), separator_(separator) {
    view_.Settings = run.Settings;
}

void LivePlot::refresh(std::int32_t pairs, double seconds) {
    const std::size_t count = std::min(
        {static_cast<std::size_t>(std::max(pairs, 0)), run_.Samples1.size(), run_.Samples2.size()});
    takeMaxima(count);
    const double maximum = commonMaximum();
    view_.SampleCount = static_cast<std::int32_t>(count);
    view_.Elapsed = seconds;
    const LentSeries lent(run_, view_);
    try {
        if (!whole_ || maximum != drawnMaximum_) {
            redraw(maximum);
        } else {
            extend();
        }
    } catch (const Error&) {
        // The picture shows what the plot drawing reached; the run goes on.
    }
    drawn_ = count;
}

// Only a greater value replaces the running maximum, as in DrawPlot.
void LivePlot::takeMaxima(std::size_t count) {
    for (std::size_t k = drawn_; k < count; ++k) {
        if (run_.Samples1[k] > maximum1_) {
            maximum1_ = run_.Samples1[k];
        }
        if (run_.Samples2[k] > maximum2_) {
            maximum2_ = run_.Samples2[k];
        }
    }
}

// The scale DrawPlot takes: the larger maximum, and a millionth when both are 0.
double LivePlot::commonMaximum() const {
    const double maximum = maximum1_ > maximum2_ ? maximum1_ : maximum2_;
    return maximum == 0 ? 0.000001 : maximum;
}

// On a fresh raster, as the plot is drawn on a fresh image.
void LivePlot::redraw(double maximum) {
    whole_ = false;
    drawnMaximum_ = maximum;
    canvas_ = Canvas(canvas_.size());
    clearImage(canvas_, view_);
    DrawPlot(canvas_, view_, showGrid_, showAxes_, separator_);
    whole_ = true;
}

void LivePlot::extend() {
    if (showAxes_) {
        DrawTimeLabels(canvas_, view_, separator_);
    }
    DrawTraceFrom(canvas_, view_, drawnMaximum_, drawn_ > 0 ? drawn_ - 1 : 0);
}

} // namespace kordel
