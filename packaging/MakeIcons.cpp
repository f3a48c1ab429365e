// Writes the application icon at the hicolor sizes: below 128 pixels the Options tool-button
// picture enlarged pixel for pixel, which stays sharp there; from 128 on the scalable icon
// drawn at the size.
// Usage: kordel_make_icons SVG DIRECTORY SIZE...; writes DIRECTORY/SIZE.png for each size.

#include "ui/ToolIcons.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <iostream>

namespace {

constexpr int PictureSize = 16;
constexpr int DrawnFrom = 128;

// Each picture pixel becomes a square of whole pixels, with no blending between neighbours.
QImage enlargedPicture(int size) {
    if (size % PictureSize != 0) {
        return {};
    }
    return kordel::optionsIcon()
        .pixmap(PictureSize, PictureSize)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32)
        .scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage drawnIcon(const QString& svg, int size) {
    QImageReader reader(svg);
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::cerr << "kordel_make_icons: " << svg.toStdString() << ": "
                  << reader.errorString().toStdString() << '\n';
    }
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);
    if (arguments.size() < 3) {
        std::cerr << "usage: kordel_make_icons SVG DIRECTORY SIZE...\n";
        return 2;
    }
    const QString& svg = arguments[0];
    const QString& directory = arguments[1];
    for (const QString& size : arguments.mid(2)) {
        const int pixels = size.toInt();
        const QImage icon = pixels >= DrawnFrom ? drawnIcon(svg, pixels) : enlargedPicture(pixels);
        if (pixels <= 0 || icon.isNull() || !icon.save(directory + '/' + size + ".png", "PNG")) {
            std::cerr << "kordel_make_icons: cannot write the " << size.toStdString()
                      << " pixel icon\n";
            return 1;
        }
    }
    return 0;
}
