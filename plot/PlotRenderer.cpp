#include "plot/PlotRenderer.h"

#include "common/Error.h"
#include "common/NumberText.h"
#include "common/Round.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace kordel {

namespace {

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb Red = qRgb(255, 0, 0);

// The widest label: a sign, five digits, the separator and eighteen decimals.
constexpr int LabelCharacters = 25;

// Offsets beyond this lie far outside any raster; bounding them keeps the sums in range.
constexpr std::int64_t FarOffset = std::int64_t{1} << 62;

std::int64_t areaWidth(const PlotSettings& s) {
    return std::int64_t{s.ImageWidth} - s.LeftMargin - s.RightMargin;
}

std::int64_t areaHeight(const PlotSettings& s) {
    return std::int64_t{s.ImageHeight} - s.TopMargin - s.BottomMargin;
}

// The data origin's height, H - B.
std::int64_t baseline(const PlotSettings& s) {
    return std::int64_t{s.ImageHeight} - s.BottomMargin;
}

std::int64_t place(std::int64_t origin, int direction, std::int64_t offset) {
    return origin + direction * std::clamp(offset, -FarOffset, FarOffset);
}

// A quotient computed in extended precision and stored as a double; a zero divisor, or a
// quotient beyond the range of a double, fails as the floating-point unit would.
double divide(std::int64_t numerator, long double divisor) {
    if (divisor == 0) {
        throw Error(numerator == 0 ? "Invalid floating point operation"
                                   : "Floating point division by zero");
    }
    const double quotient = static_cast<double>(numerator / divisor);
    if (std::isinf(quotient)) {
        throw Error("Floating point overflow");
    }
    return quotient;
}

std::int64_t scaled(long double k, double step) {
    return Round(k * step);
}

// Calls mark(k, Round(k * step)) for k = first..last in increasing order, but only where that
// offset lies in [lowest, highest] and only for the last k of each offset: marks with one
// offset fall on one position, and a huge count must not be stepped through one by one.
template <typename Mark>
void forEachMark(std::int64_t first, std::int64_t last, double step, std::int64_t lowest,
                 std::int64_t highest, Mark mark) {
    // key(k) = sign * offset(k) never falls as k grows.
    const int sign = step < 0 ? -1 : 1;
    const double magnitude = std::fabs(step);
    const auto key = [&](std::int64_t k) { return scaled(static_cast<long double>(k), magnitude); };
    const auto lastAtMost = [&](std::int64_t value) {
        std::int64_t low = first - 1;
        std::int64_t high = last;
        while (low < high) {
            const std::int64_t middle = low + (high - low + 1) / 2;
            if (key(middle) <= value) {
                low = middle;
            } else {
                high = middle - 1;
            }
        }
        return low;
    };
    const auto [keyLow, keyHigh] =
        sign > 0 ? std::pair(lowest, highest) : std::pair(-highest, -lowest);
    const std::int64_t end = lastAtMost(keyHigh);
    for (std::int64_t k = lastAtMost(keyLow - 1) + 1; k <= end;) {
        const std::int64_t lastOfOffset = lastAtMost(key(k));
        mark(lastOfOffset, sign * key(lastOfOffset));
        k = lastOfOffset + 1;
    }
}

std::span<const double> existing(const SharedState& state, const std::vector<double>& series) {
    return std::span(series).first(
        std::min(static_cast<std::size_t>(std::max(state.SampleCount, 0)), series.size()));
}

QString label(long double value, int decimals, char separator) {
    return QString::fromLatin1(fixedText(value, 5, decimals, separator));
}

void drawTrace(Canvas& canvas, const TraceScale& scale) {
    canvas.setPenStyle(Canvas::PenStyle::Solid);
    canvas.setPenColor(Red);
    const std::size_t count = std::min(scale.data.samples1.size(), scale.data.samples2.size());
    if (count == 0) {
        return;
    }
    canvas.MoveTo(scale.x(0), scale.y(0));
    for (std::size_t k = 1; k < count; ++k) {
        canvas.LineTo(scale.x(k), scale.y(k));
    }
}

} // namespace

PlotData plotData(const SharedState& state) {
    return {existing(state, state.Samples1), existing(state, state.Samples2), state.Elapsed};
}

void clearImage(Canvas& canvas, const PlotSettings& settings) {
    canvas.setBrushColor(White);
    canvas.Rectangle(0, 0, settings.ImageWidth, settings.ImageHeight);
}

void DrawPlot(Canvas& canvas, const PlotSettings& settings, const PlotData& data, bool showGrid,
              bool showAxes, char separator) {
    const TraceScale scale = traceScale(
        settings, data, commonMaximum(seriesMaximum(data.samples1), seriesMaximum(data.samples2)));
    if (showGrid) {
        DrawGrid(canvas, settings);
    }
    if (showAxes) {
        DrawAxes(canvas, settings);
        DrawAxisLabels(canvas, settings, scale.maximum, data.elapsed, separator);
    }
    drawTrace(canvas, scale);
}

void DrawGrid(Canvas& canvas, const PlotSettings& s) {
    const QSize raster = canvas.size();

    const double dy = divide(areaHeight(s), s.OyDivisions);
    canvas.setPenStyle(Canvas::PenStyle::Dotted);
    canvas.setPenColor(Green);
    forEachMark(1, s.OyDivisions, dy, baseline(s) - (raster.height() - 1), baseline(s),
                [&](std::int64_t, std::int64_t offset) {
                    const std::int64_t y = baseline(s) - offset;
                    canvas.MoveTo(s.LeftMargin, y);
                    canvas.LineTo(std::int64_t{s.ImageWidth} - s.RightMargin, y);
                });

    const double dx = divide(areaWidth(s), s.OxDivisions);
    forEachMark(1, s.OxDivisions, dx, -std::int64_t{s.LeftMargin},
                raster.width() - 1 - std::int64_t{s.LeftMargin},
                [&](std::int64_t, std::int64_t offset) {
                    const std::int64_t x = s.LeftMargin + offset;
                    canvas.MoveTo(x, s.TopMargin);
                    canvas.LineTo(x, baseline(s));
                });
}

void DrawAxes(Canvas& canvas, const PlotSettings& s) {
    canvas.setPenStyle(Canvas::PenStyle::Solid);
    canvas.setPenColor(Black);
    canvas.MoveTo(s.RightMargin, baseline(s));
    canvas.LineTo(std::int64_t{s.ImageWidth} - s.RightMargin, baseline(s));
    canvas.MoveTo(s.LeftMargin, s.TopMargin);
    canvas.LineTo(s.LeftMargin, std::int64_t{s.ImageHeight} - s.TopMargin);
}

void DrawAxisLabels(Canvas& canvas, const PlotSettings& s, double maximum, double elapsed,
                    char separator) {
    const QSize raster = canvas.size();
    const QFontMetrics metrics = canvas.fontMetrics();

    const double dy = divide(areaHeight(s), s.OyDivisions);
    forEachMark(0, s.OyDivisions, dy, baseline(s) - (raster.height() - 1),
                baseline(s) - 1 + metrics.height(), [&](std::int64_t k, std::int64_t offset) {
                    const long double value = static_cast<long double>(maximum) / s.OyDivisions * k;
                    canvas.TextOut(std::int64_t{s.LeftMargin} - 25, baseline(s) - offset,
                                   label(value, 2, separator));
                });

    DrawTimeLabels(canvas, s, elapsed, separator);
}

void DrawTimeLabels(Canvas& canvas, const PlotSettings& s, double elapsed, char separator) {
    const QSize raster = canvas.size();
    const QFontMetrics metrics = canvas.fontMetrics();
    const double dx = divide(areaWidth(s), s.OxDivisions);
    const std::int64_t reach = std::int64_t{LabelCharacters} * metrics.maxWidth();
    const std::int64_t shift = 15 - std::int64_t{s.LeftMargin};
    forEachMark(1, s.OxDivisions, dx, 1 - reach + shift, raster.width() - 1 + shift,
                [&](std::int64_t k, std::int64_t offset) {
                    const long double value = static_cast<long double>(elapsed) / s.OxDivisions * k;
                    canvas.TextOut(s.LeftMargin + offset - 15, baseline(s) + 5,
                                   label(value, s.OxDigits, separator));
                });
}

double seriesMaximum(std::span<const double> series, double from) {
    double maximum = from;
    for (const double value : series) {
        if (value > maximum) {
            maximum = value;
        }
    }
    return maximum;
}

std::int64_t TraceScale::x(std::size_t k) const {
    return place(settings.LeftMargin, 1, scaled(data.samples1[k], sx));
}

std::int64_t TraceScale::y(std::size_t k) const {
    return place(baseline(settings), -1, scaled(data.samples2[k], sy));
}

double commonMaximum(double maximum1, double maximum2) {
    const double maximum = maximum1 > maximum2 ? maximum1 : maximum2;
    return maximum == 0 ? 0.000001 : maximum;
}

TraceScale traceScale(const PlotSettings& settings, const PlotData& data, double maximum) {
    const double sy = divide(areaHeight(settings), maximum);
    const double sx = divide(areaWidth(settings), maximum);
    return {settings, data, maximum, sx, sy};
}

} // namespace kordel
