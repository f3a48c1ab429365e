#include "ui/ToolIcons.h"

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace kordel {
namespace {

const QString IconDirectory = QStringLiteral(ICON_DIRECTORY);

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

INSTANTIATE_TEST_SUITE_P(HicolorSizes, PngIcon, testing::Values(16, 32, 48, 64, 128, 256));

// Paints the SVG's rectangles, the only shapes it has, on a transparent raster of its size.
QImage paintedSvg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QImage image;
    QXmlStreamReader svg(&file);
    while (!svg.atEnd()) {
        if (svg.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto attributes = svg.attributes();
        const auto number = [&](const char* name) { return attributes.value(name).toInt(); };
        if (svg.name() == QStringLiteral("svg")) {
            image = QImage(number("width"), number("height"), QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        } else if (svg.name() == QStringLiteral("rect")) {
            const QRgb colour = QColor(attributes.value("fill")).rgba();
            for (int y = number("y"); y < number("y") + number("height"); ++y) {
                for (int x = number("x"); x < number("x") + number("width"); ++x) {
                    image.setPixel(x, y, colour);
                }
            }
        }
    }
    return svg.hasError() ? QImage() : image;
}

TEST(SvgIcon, PaintsExactlyTheOptionsPicture) {
    const QImage icon = paintedSvg(IconDirectory + "/scalable.svg");
    ASSERT_EQ(icon.size(), QSize(16, 16));
    EXPECT_EQ(firstDifference(icon, optionsPicture()), "");
}

} // namespace
} // namespace kordel
