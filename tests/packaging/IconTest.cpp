#include "ui/ToolIcons.h"

#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>
#include <map>

namespace kordel {
namespace {

const QString IconDirectory = QStringLiteral(ICON_DIRECTORY);

// The plot's colours.
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Red = qRgb(255, 0, 0);
constexpr QRgb Green = qRgb(0, 128, 0);
constexpr QRgb Black = qRgb(0, 0, 0);

QImage optionsPicture() {
    return optionsIcon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Transparent pixels match whatever colour they carry.
bool samePixel(QRgb a, QRgb b) {
    return a == b || (qAlpha(a) == 0 && qAlpha(b) == 0);
}

// The first pixel of `icon` that differs from the picture enlarged to its size, or an empty text.
std::string firstDifference(const QImage& icon, const QImage& picture) {
    const int scale = icon.width() / picture.width();
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (!samePixel(icon.pixel(x, y), picture.pixel(x / scale, y / scale))) {
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
            }
        }
    }
    return {};
}

class PngIcon : public testing::TestWithParam<int> {};

TEST_P(PngIcon, IsTheOptionsPictureWithEveryPixelASquareOfItsColour) {
    const int size = GetParam();
    const QImage icon(IconDirectory + '/' + QString::number(size) + ".png");
    ASSERT_EQ(icon.size(), QSize(size, size));
    EXPECT_EQ(firstDifference(icon.convertToFormat(QImage::Format_ARGB32), optionsPicture()), "");
}

INSTANTIATE_TEST_SUITE_P(SmallSizes, PngIcon, testing::Values(16, 32, 48, 64));

struct DrawnCase {
    const char* file;
    int size;
};

void PrintTo(const DrawnCase& drawn, std::ostream* out) {
    *out << drawn.file << " at " << drawn.size << " px";
}

class DrawnIcon : public testing::TestWithParam<DrawnCase> {};

// The plot's trace, grid and axes in the window's colours, each line wide enough at the size to
// hold pixels of its pure colour, the trace across most of the icon and the corners left clear.
TEST_P(DrawnIcon, IsThePlotsTraceOnItsGridInTheWindowsColours) {
    const int size = GetParam().size;
    QImageReader reader(IconDirectory + '/' + GetParam().file);
    reader.setScaledSize(QSize(size, size));
    const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(size, size)) << reader.errorString().toStdString();
    std::map<QRgb, int> counts;
    QRect trace;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            ++counts[icon.pixel(x, y)];
            if (icon.pixel(x, y) == Red) {
                trace |= QRect(x, y, 1, 1);
            }
        }
    }
    const auto share = [&](QRgb colour) {
        return static_cast<double>(counts[colour]) / (size * size);
    };
    EXPECT_GT(share(White), 0.5);
    EXPECT_GT(share(Red), 0.05);
    EXPECT_GT(share(Green), 0.01);
    EXPECT_GT(share(Black), 0.02);
    EXPECT_GT(trace.width(), size / 2);
    EXPECT_GT(trace.height(), size / 2);
    EXPECT_GT(counts.size(), 16U) << "no blended edges: a pixel picture enlarged";
    for (const QPoint corner : {QPoint(0, 0), QPoint(size - 1, size - 1)}) {
        EXPECT_EQ(qAlpha(icon.pixel(corner)), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(LargeSizesAndScalable, DrawnIcon,
                         testing::Values(DrawnCase{"128.png", 128}, DrawnCase{"256.png", 256},
                                         DrawnCase{"scalable.svg", 512}));

} // namespace
} // namespace kordel
