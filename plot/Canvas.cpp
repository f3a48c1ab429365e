#include "plot/Canvas.h"

#include <QColor>
#include <QFontDatabase>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <iterator>

namespace kordel {

namespace {

__extension__ typedef __int128 Int128;

constexpr std::int64_t CoordinateLimit = std::int64_t{1} << 61;

// 96 dots per inch, the resolution the window layout was made for: the 8-point font keeps its
// pixel size whatever the screen.
constexpr int DotsPerMeter = 3780;

std::int64_t saturate(std::int64_t value) {
    return std::clamp(value, -CoordinateLimit, CoordinateLimit);
}

Int128 ceilDivide(Int128 numerator, Int128 denominator) {
    return (numerator + denominator - 1) / denominator;
}

QFont plotFont() {
    const QString family = QFontDatabase::families().contains(QStringLiteral("Liberation Sans"))
                               ? QStringLiteral("Liberation Sans")
                               : QStringLiteral("DejaVu Sans");
    QFont font(family);
    font.setPointSize(8);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

void setLayoutResolution(QImage& image) {
    image.setDotsPerMeterX(DotsPerMeter);
    image.setDotsPerMeterY(DotsPerMeter);
}

// Measures texts at the raster's resolution, also before the raster exists.
const QImage& metricsDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        setLayoutResolution(image);
        return image;
    }();
    return device;
}

// A line as steps along its major axis: pixel i (0 <= i < length) lies at major + i * majorSign
// and at minor + offset(i) * minorSign, where offset(i) is i * rise / length rounded half up.
struct Run {
    std::int64_t major;
    std::int64_t minor;
    int majorSign;
    int minorSign;
    std::int64_t length;
    std::int64_t rise;
    std::int64_t majorExtent;
    std::int64_t minorExtent;
};

// The steps of the run whose pixels lie inside the raster, as [first, last].
struct Span {
    std::int64_t first;
    std::int64_t last;
};

// Range of t with start + sign * t inside [0, extent).
Span insideExtent(std::int64_t start, int sign, std::int64_t extent) {
    return sign > 0 ? Span{-start, extent - 1 - start} : Span{start - (extent - 1), start};
}

Span visibleSteps(const Run& run) {
    const Span majorRange = insideExtent(run.major, run.majorSign, run.majorExtent);
    Span steps{std::max<std::int64_t>(0, majorRange.first),
               std::min(run.length - 1, majorRange.last)};

    const Span minorRange = insideExtent(run.minor, run.minorSign, run.minorExtent);
    const std::int64_t lowest = std::max<std::int64_t>(0, minorRange.first);
    const std::int64_t highest = std::min(run.rise, minorRange.last);
    if (lowest > highest) {
        return {0, -1};
    }
    // offset(i) >= lowest  <=>  2 * i * rise >= (2 * lowest - 1) * length
    if (lowest > 0) {
        const Int128 first =
            ceilDivide((Int128{2} * lowest - 1) * run.length, Int128{2} * run.rise);
        steps.first = std::max(steps.first, static_cast<std::int64_t>(first));
    }
    // offset(i) <= highest  <=>  2 * i * rise < (2 * highest + 1) * length
    if (highest < run.rise) {
        const Int128 last =
            ceilDivide((Int128{2} * highest + 1) * run.length, Int128{2} * run.rise) - 1;
        steps.last = std::min(steps.last, static_cast<std::int64_t>(last));
    }
    return steps;
}

} // namespace

Canvas::Canvas(QSize size) : size_(size), font_(plotFont()) {}

void Canvas::ensureRaster() {
    if (hasRaster()) {
        return;
    }
    image_ = QImage(size_, QImage::Format_RGB32);
    setLayoutResolution(image_);
    image_.fill(qRgb(255, 255, 255));
}

void Canvas::Rectangle(std::int64_t left, std::int64_t top, std::int64_t right,
                       std::int64_t bottom) {
    ensureRaster();
    const auto [x1, x2] = std::minmax({saturate(left), saturate(right)});
    const auto [y1, y2] = std::minmax({saturate(top), saturate(bottom)});
    if (x1 == x2 || y1 == y2) {
        return;
    }
    fill(x1, y1, x2, y2, brushColor_);
    const Point corners[] = {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}, {x1, y1}};
    for (std::size_t k = 1; k < std::size(corners); ++k) {
        drawLine(corners[k - 1], corners[k]);
    }
}

void Canvas::MoveTo(std::int64_t x, std::int64_t y) {
    position_ = {saturate(x), saturate(y)};
}

void Canvas::LineTo(std::int64_t x, std::int64_t y) {
    ensureRaster();
    const Point to{saturate(x), saturate(y)};
    drawLine(position_, to);
    position_ = to;
}

void Canvas::TextOut(std::int64_t x, std::int64_t y, const QString& text) {
    ensureRaster();
    const QFontMetrics metrics = fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int height = metrics.height();
    const Point at{saturate(x), saturate(y)};
    const bool visible =
        at.x < image_.width() && at.x + width > 0 && at.y < image_.height() && at.y + height > 0;
    if (visible) {
        const QPoint corner(static_cast<int>(at.x), static_cast<int>(at.y));
        QPainter painter(&image_);
        painter.setFont(font_);
        painter.fillRect(QRect(corner, QSize(width, height)), QColor::fromRgb(brushColor_));
        painter.setPen(Qt::black);
        painter.drawText(corner + QPoint(0, metrics.ascent()), text);
    }
    position_ = {saturate(at.x + width), at.y};
}

QFontMetrics Canvas::fontMetrics() const {
    return QFontMetrics(font_, &metricsDevice());
}

void Canvas::fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                  QRgb color) {
    const std::int64_t x1 = std::max<std::int64_t>(left, 0);
    const std::int64_t x2 = std::min<std::int64_t>(right, image_.width());
    const std::int64_t y1 = std::max<std::int64_t>(top, 0);
    const std::int64_t y2 = std::min<std::int64_t>(bottom, image_.height());
    for (std::int64_t y = y1; y < y2 && x1 < x2; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image_.scanLine(static_cast<int>(y)));
        std::fill(row + x1, row + x2, color);
    }
}

// Bresenham's walk restricted to the steps inside the raster; the end point is not drawn.
// Dotted lines alternate pen and brush colour pixel by pixel, starting with the pen.
void Canvas::drawLine(Point from, Point to) {
    const std::int64_t dx = to.x - from.x;
    const std::int64_t dy = to.y - from.y;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t width = size_.width(); // the raster's, which is made at this size
    const std::int64_t height = size_.height();
    const Run run = xMajor ? Run{from.x,       from.y,       dx < 0 ? -1 : 1, dy < 0 ? -1 : 1,
                                 std::abs(dx), std::abs(dy), width,           height}
                           : Run{from.y,       from.x,       dy < 0 ? -1 : 1, dx < 0 ? -1 : 1,
                                 std::abs(dy), std::abs(dx), height,          width};
    if (run.length == 0) {
        return;
    }
    const auto inside = [&](Point p) {
        return p.x >= 0 && p.x < width && p.y >= 0 && p.y < height;
    };
    const Span steps = inside(from) && inside(to) ? Span{0, run.length - 1} : visibleSteps(run);
    if (steps.first > steps.last) {
        return;
    }

    // error = (2 * i * rise + length) mod (2 * length); the offset grows when it wraps.
    const std::uint64_t twiceLength = 2 * static_cast<std::uint64_t>(run.length);
    const std::uint64_t twiceRise = 2 * static_cast<std::uint64_t>(run.rise);
    std::int64_t offset = 0;
    auto error = static_cast<std::uint64_t>(run.length);
    if (steps.first > 0) { // a clipped start; the wide division is rare enough
        const Int128 start = Int128{2} * steps.first * run.rise + run.length;
        offset = static_cast<std::int64_t>(start / twiceLength);
        error = static_cast<std::uint64_t>(start % twiceLength);
    }

    const std::ptrdiff_t stride = image_.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(QRgb));
    const std::ptrdiff_t xStep = xMajor ? run.majorSign : run.minorSign;
    const std::ptrdiff_t yStep = (xMajor ? run.minorSign : run.majorSign) * stride;
    const std::ptrdiff_t majorStep = xMajor ? xStep : yStep;
    const std::ptrdiff_t minorStep = xMajor ? yStep : xStep;
    const std::int64_t major = run.major + run.majorSign * steps.first;
    const std::int64_t minor = run.minor + run.minorSign * offset;
    std::ptrdiff_t index = xMajor ? minor * stride + major : major * stride + minor;

    const QRgb colors[2] = {penColor_, penStyle_ == PenStyle::Dotted ? brushColor_ : penColor_};
    auto* pixels = reinterpret_cast<QRgb*>(image_.bits());
    for (std::int64_t i = steps.first; i <= steps.last; ++i) {
        pixels[index] = colors[i & 1];
        index += majorStep;
        error += twiceRise;
        if (error >= twiceLength) {
            error -= twiceLength;
            index += minorStep;
        }
    }
}

} // namespace kordel
