#include "plot/Canvas.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>

namespace kordel {
namespace {

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Blue = qRgb(0, 0, 255);

QRgb at(const Canvas& canvas, int x, int y) {
    return canvas.image().pixel(x, y);
}

int countOf(const Canvas& canvas, QRgb color) {
    int count = 0;
    for (int y = 0; y < canvas.image().height(); ++y) {
        for (int x = 0; x < canvas.image().width(); ++x) {
            count += at(canvas, x, y) == color;
        }
    }
    return count;
}

void line(Canvas& canvas, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    canvas.MoveTo(x0, y0);
    canvas.LineTo(x1, y1);
}

TEST(CanvasTest, HasNoRasterUntilTheFirstDrawingWhichCreatesItWhite) {
    Canvas canvas(QSize(40, 30));
    canvas.MoveTo(5, 5);
    EXPECT_FALSE(canvas.hasRaster());

    canvas.LineTo(5, 5);

    ASSERT_TRUE(canvas.hasRaster());
    EXPECT_EQ(canvas.image().size(), QSize(40, 30));
    EXPECT_EQ(countOf(canvas, White), 40 * 30);
}

TEST(CanvasTest, LineToLeavesOutItsEndPointAndContinuesFromIt) {
    Canvas canvas(QSize(20, 10));
    canvas.setPenColor(Red);
    canvas.MoveTo(2, 3);
    canvas.LineTo(6, 3);
    canvas.LineTo(6, 7);

    for (int x = 2; x <= 6; ++x) {
        EXPECT_EQ(at(canvas, x, 3), Red) << x;
    }
    EXPECT_EQ(at(canvas, 6, 6), Red);
    EXPECT_EQ(at(canvas, 6, 7), White);
    EXPECT_EQ(countOf(canvas, Red), 8);
}

TEST(CanvasTest, DottedLinesAlternatePenAndBrushFromTheStart) {
    Canvas canvas(QSize(20, 10));
    canvas.setBrushColor(Blue);
    canvas.setPenStyle(Canvas::PenStyle::Dotted);
    canvas.setPenColor(Red);
    line(canvas, 10, 2, 4, 2);

    for (int x = 10; x > 4; --x) {
        EXPECT_EQ(at(canvas, x, 2), (10 - x) % 2 == 0 ? Red : Blue) << x;
    }
    EXPECT_EQ(at(canvas, 4, 2), White);
}

TEST(CanvasTest, RectangleFillsWithTheBrushAndFramesWithThePenRightAndBottomExclusive) {
    Canvas canvas(QSize(20, 20));
    canvas.setPenColor(Red);
    canvas.setBrushColor(Blue);
    canvas.Rectangle(2, 3, 8, 9);

    EXPECT_EQ(countOf(canvas, Red), 2 * 6 + 2 * 4);
    EXPECT_EQ(countOf(canvas, Blue), 4 * 4);
    EXPECT_EQ(at(canvas, 2, 3), Red);
    EXPECT_EQ(at(canvas, 7, 8), Red);
    EXPECT_EQ(at(canvas, 3, 4), Blue);
    EXPECT_EQ(at(canvas, 8, 8), White);
    EXPECT_EQ(at(canvas, 7, 9), White);

    // Beyond the raster the frame is cut off and the fill reaches the last column and row.
    canvas.Rectangle(10, 10, 30, 30);
    EXPECT_EQ(at(canvas, 19, 19), Blue);
    EXPECT_EQ(at(canvas, 19, 10), Red);
}

TEST(CanvasTest, TextStandsOnABrushBoxAndMovesThePositionToItsRightEnd) {
    Canvas canvas(QSize(100, 40));
    const QString text = QStringLiteral("1.25");
    const int width = canvas.fontMetrics().horizontalAdvance(text);
    const int height = canvas.fontMetrics().height();
    canvas.setBrushColor(Blue);
    canvas.setPenColor(Red);
    canvas.TextOut(10, 5, text);
    canvas.LineTo(90, 5);

    EXPECT_EQ(at(canvas, 10, 5), Blue);
    EXPECT_EQ(at(canvas, 10, 5 + height - 1), Blue);
    EXPECT_EQ(at(canvas, 10, 5 + height), White);
    EXPECT_NE(at(canvas, 10 + width - 1, 5), Red);
    EXPECT_EQ(at(canvas, 10 + width, 5), Red);
    EXPECT_GT(countOf(canvas, qRgb(0, 0, 0)), 0);
}

struct ClipCase {
    std::int64_t x0, y0, x1, y1;
    Canvas::PenStyle style;
};

void PrintTo(const ClipCase& c, std::ostream* out) {
    *out << "(" << c.x0 << ", " << c.y0 << ") to (" << c.x1 << ", " << c.y1 << ")"
         << (c.style == Canvas::PenStyle::Dotted ? " dotted" : "");
}

class CanvasClipTest : public testing::TestWithParam<ClipCase> {};

// A small raster must show exactly the pixels that a raster holding the whole line shows there.
TEST_P(CanvasClipTest, PixelsInsideTheRasterAreThoseOfTheWholeLine) {
    const ClipCase c = GetParam();
    constexpr int Shift = 400;
    Canvas small(QSize(64, 48));
    Canvas whole(QSize(2 * Shift + 64, 2 * Shift + 48));
    for (Canvas* canvas : {&small, &whole}) {
        canvas->setPenStyle(c.style);
        canvas->setPenColor(Red);
        canvas->setBrushColor(Blue);
    }
    line(small, c.x0, c.y0, c.x1, c.y1);
    line(whole, c.x0 + Shift, c.y0 + Shift, c.x1 + Shift, c.y1 + Shift);

    EXPECT_EQ(small.image(), whole.image().copy(Shift, Shift, 64, 48));
}

INSTANTIATE_TEST_SUITE_P(Lines, CanvasClipTest,
                         testing::Values(ClipCase{-300, -100, 350, 200, Canvas::PenStyle::Solid},
                                         ClipCase{350, 200, -300, -100, Canvas::PenStyle::Dotted},
                                         ClipCase{-17, 390, 80, -350, Canvas::PenStyle::Solid},
                                         ClipCase{80, -350, -17, 390, Canvas::PenStyle::Dotted},
                                         ClipCase{10, 20, 390, 33, Canvas::PenStyle::Dotted},
                                         ClipCase{-250, 47, 250, 0, Canvas::PenStyle::Solid},
                                         ClipCase{-100, -100, 200, 200, Canvas::PenStyle::Dotted},
                                         ClipCase{63, -5, -300, 301, Canvas::PenStyle::Solid},
                                         ClipCase{-399, 30, 399, 30, Canvas::PenStyle::Dotted},
                                         ClipCase{31, -399, 31, 399, Canvas::PenStyle::Dotted},
                                         ClipCase{-300, 60, 300, 49, Canvas::PenStyle::Solid},
                                         ClipCase{-10, 10, 300, 80, Canvas::PenStyle::Solid},
                                         ClipCase{10, -10, 90, 300, Canvas::PenStyle::Dotted},
                                         ClipCase{70, 40, -200, 41, Canvas::PenStyle::Solid}));

TEST(CanvasTest, FarCoordinatesAreSaturatedAndClipped) {
    constexpr auto Far = std::numeric_limits<std::int64_t>::max();
    Canvas canvas(QSize(30, 20));
    canvas.setPenColor(Red);
    line(canvas, -Far - 1, 4, Far, 4);
    line(canvas, -Far, -Far, Far, Far);

    for (int x = 0; x < 30; ++x) {
        EXPECT_EQ(at(canvas, x, 4), Red) << x;
    }
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(at(canvas, i, i), Red) << i;
    }
    EXPECT_EQ(countOf(canvas, Red), 30 + 20 - 1);
}

} // namespace
} // namespace kordel
