#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QRgb>
#include <QSize>
#include <QString>
#include <cstdint>
#include <utility>

namespace kordel {

// A raster with a pen, a brush colour, a current position and a font that persist from one
// operation to the next. The raster does not exist until the first drawing, which creates it
// at the canvas size, filled white.
//
// Coordinates are 64-bit; values beyond +-2^61 are saturated, which keeps the exact clipping
// arithmetic within 128 bits. Every line is clipped to the raster so that the pixels inside it
// are those of the whole line.
class Canvas {
public:
    enum class PenStyle { Solid, Dotted };

    explicit Canvas(QSize size);

    void setPenStyle(PenStyle style) { penStyle_ = style; }
    void setPenColor(QRgb color) { penColor_ = color; }
    void setBrushColor(QRgb color) { brushColor_ = color; }

    // Filled with the brush, outlined with the pen; the right and bottom edges are exclusive.
    void Rectangle(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom);
    void MoveTo(std::int64_t x, std::int64_t y);
    // Draws from the current position up to, not including, (x, y), which becomes current.
    void LineTo(std::int64_t x, std::int64_t y);
    // The text's top-left corner at (x, y), on a box of the brush colour; the current position
    // moves to the right end of the text.
    void TextOut(std::int64_t x, std::int64_t y, const QString& text);

    QFontMetrics fontMetrics() const;
    // The size of the raster, also before it exists.
    QSize size() const { return size_; }
    bool hasRaster() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }
    PenStyle penStyle() const { return penStyle_; }
    QRgb penColor() const { return penColor_; }
    QRgb brushColor() const { return brushColor_; }
    // The current position, x then y.
    std::pair<std::int64_t, std::int64_t> position() const { return {position_.x, position_.y}; }

private:
    struct Point {
        std::int64_t x;
        std::int64_t y;
    };

    void ensureRaster();
    void drawLine(Point from, Point to);
    void fill(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
              QRgb color);

    QSize size_;
    QImage image_;
    PenStyle penStyle_ = PenStyle::Solid;
    QRgb penColor_ = qRgb(0, 0, 0);
    QRgb brushColor_ = qRgb(255, 255, 255);
    Point position_{0, 0};
    QFont font_;
};

} // namespace kordel
