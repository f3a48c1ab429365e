#include "ui/ToolIcons.h"

#include <QImage>
#include <QPixmap>
#include <array>

namespace kordel {

namespace {

// The 16 standard colours, indexed by the hexadecimal digits of the pictures below.
// '3' (olive) is the transparent background.
constexpr std::array<QRgb, 16> Palette{
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

using Picture = std::array<const char*, 16>;

constexpr Picture StartPicture{
    "3333333333333333", "3000000000000003", "30EEEEEEEEEEEE03", "30EFFFFFFFFFFE03",
    "30EFF0FFFFFFFE03", "30EFF00FFFFFFE03", "30EFF000FFFFFE03", "30EFF0000FFFFE03",
    "30EFF0000FFFFE03", "30EFF000FFFFFE03", "30EFF00FFFFFFE03", "30EFF0FFFFFFFE03",
    "30EFFFFFFFFFFE03", "30EEEEEEEEEEEE03", "3000000000000003", "3333333333333333"};

constexpr Picture OptionsPicture{
    "3333333333333333", "30FFFFFFFFFFFFF3", "30F7F7F7F7F7F7F3", "30FFFFFFFFFFF9F3",
    "30F7F7F7F7F79F73", "30FFFFFFFFFF9FF3", "30F7C7F7F7F9F7F3", "30FFCFFFF99FFFF3",
    "30F7FC7F9F7FCFF3", "30FFFFC9FFFFCFF3", "30F7F79CF7FC7F73", "30FFF9FFCFCFFFF3",
    "30F79F7F7C7F7F73", "30F9FFFFFFFFFFF3", "3000000000000003", "3333333333333333"};

constexpr Picture SavePicture{
    "3333333333333333", "3444444444444443", "34F4FFFFFFFF4F43", "3444FFFFFFFF4443",
    "3444FFFFFFFF4443", "3444FFFFFFFF4443", "3444FFFFFFFF4443", "3444444444444443",
    "3444444444444443", "3444777777774443", "3444770077774443", "3444770077774443",
    "3444770077774443", "3444777777774443", "3344444444444443", "3333333333333333"};

constexpr Picture ExitPicture{
    "3333399999933333", "3339999999999333", "3399993333999933", "3399333333399933",
    "3993333333999993", "3993333339999393", "9933333399993399", "9933333999933399",
    "9933339999333399", "9933399993333399", "3939999333333993", "3999993333333993",
    "3399933333339933", "3399993333999933", "3339999999999333", "3333399999933333"};

QRgb colourOf(char digit) {
    const int index = digit <= '9' ? digit - '0' : digit - 'A' + 10;
    return index == 3 ? qRgba(0, 0, 0, 0) : Palette[static_cast<std::size_t>(index)];
}

QImage imageOf(const Picture& picture) {
    QImage image(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.setPixel(x, y, colourOf(picture[static_cast<std::size_t>(y)][x]));
        }
    }
    return image;
}

// The disabled look: every drawn pixel in a light grey of its own brightness.
QImage greyedOf(QImage image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 0) {
                const int grey = 128 + qGray(pixel) / 2;
                image.setPixel(x, y, qRgb(grey, grey, grey));
            }
        }
    }
    return image;
}

QIcon iconOf(const Picture& picture) {
    const QImage image = imageOf(picture);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(greyedOf(image)), QIcon::Disabled);
    return icon;
}

} // namespace

QIcon startIcon() {
    return iconOf(StartPicture);
}
QIcon optionsIcon() {
    return iconOf(OptionsPicture);
}
QIcon saveIcon() {
    return iconOf(SavePicture);
}
QIcon exitIcon() {
    return iconOf(ExitPicture);
}

} // namespace kordel
