#include "plot/LivePlot.h"

#include "plot/PlotRenderer.h"

#include <algorithm>
#include <exception>

namespace kordel {

namespace {

constexpr std::size_t SegmentSlots = 4096;
constexpr std::uint64_t NoSegment = ~std::uint64_t{0};

} // namespace

LivePlot::LivePlot(Canvas& canvas, SharedState& run, bool showGrid, bool showAxes, char separator)
    : canvas_(canvas), run_(run), settings_(run.Settings), showGrid_(showGrid), showAxes_(showAxes),
      separator_(separator) {}

void LivePlot::refresh(std::int32_t pairs, double seconds) {
    const std::size_t count = std::min(
        {static_cast<std::size_t>(std::max(pairs, 0)), run_.Samples1.size(), run_.Samples2.size()});
    const PlotData data{std::span(run_.Samples1).first(count),
                        std::span(run_.Samples2).first(count), seconds};
    maximum1_ = seriesMaximum(data.samples1.subspan(drawn_), maximum1_);
    maximum2_ = seriesMaximum(data.samples2.subspan(drawn_), maximum2_);
    const double maximum = commonMaximum(maximum1_, maximum2_);
    try {
        if (!whole_ || maximum != drawnMaximum_) {
            redraw(data, maximum);
        } else {
            extend(data);
        }
    } catch (const std::exception&) {
        // The picture shows what the drawing reached (a failing division count, or no memory
        // left for it); the run goes on as it would without the picture.
    }
    drawn_ = count;
}

// On a fresh raster, as the plot is drawn on a fresh image.
void LivePlot::redraw(const PlotData& data, double maximum) {
    whole_ = false;
    drawnMaximum_ = maximum;
    segments_.assign(SegmentSlots, NoSegment);
    canvas_ = Canvas(canvas_.size());
    clearImage(canvas_, settings_);
    DrawPlot(canvas_, settings_, data, showGrid_, showAxes_, separator_);
    whole_ = true;
}

// The trace pen is still the one DrawPlot left: solid red.
void LivePlot::extend(const PlotData& data) {
    if (showAxes_) {
        DrawTimeLabels(canvas_, settings_, data.elapsed, separator_);
    }
    const std::size_t count = data.samples1.size();
    if (count == 0) {
        return;
    }
    const TraceScale scale = traceScale(settings_, data, drawnMaximum_);
    std::size_t k = drawn_ > 0 ? drawn_ - 1 : 0;
    for (std::int64_t x = scale.x(k), y = scale.y(k); ++k < count;) {
        const std::int64_t nextX = scale.x(k);
        const std::int64_t nextY = scale.y(k);
        if (!drawnBefore(x, y, nextX, nextY)) {
            canvas_.MoveTo(x, y);
            canvas_.LineTo(nextX, nextY);
        }
        x = nextX;
        y = nextY;
    }
}

// Remembers the segment, and tells whether it was remembered before. Drawing it again would
// change no pixel, unless the time labels were drawn over it since: only segments above the
// labels' row, within the raster, are remembered.
bool LivePlot::drawnBefore(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2) {
    const PlotSettings& s = settings_;
    const std::int64_t width = std::min(canvas_.size().width(), 0xFFFF);
    const std::int64_t labels = std::int64_t{s.ImageHeight} - s.BottomMargin + 5;
    const std::int64_t below = std::min<std::int64_t>({canvas_.size().height(), 0xFFFF, labels});
    const auto clear = [&](std::int64_t x, std::int64_t y) {
        return x >= 0 && x < width && y >= 0 && y < below;
    };
    if (!clear(x1, y1) || !clear(x2, y2)) {
        return false;
    }
    const std::uint64_t key = static_cast<std::uint64_t>(x1) << 48 |
                              static_cast<std::uint64_t>(y1) << 32 |
                              static_cast<std::uint64_t>(x2) << 16 | static_cast<std::uint64_t>(y2);
    std::uint64_t& slot = segments_[(key * 0x9E3779B97F4A7C15U) >> 52];
    const bool seen = slot == key;
    slot = key;
    return seen;
}

} // namespace kordel
