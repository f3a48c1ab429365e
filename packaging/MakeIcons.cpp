// Writes the application icon: the Options tool-button picture, enlarged pixel for pixel.
// Usage: kordel_make_icons DIRECTORY SIZE...; writes DIRECTORY/SIZE.png for each size (a
// multiple of 16) and DIRECTORY/scalable.svg.

#include "ui/ToolIcons.h"

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>
#include <iostream>

namespace {

constexpr int PictureSize = 16;

QImage picture() {
    return kordel::optionsIcon()
        .pixmap(PictureSize, PictureSize)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// Each picture pixel becomes a square of whole pixels, with no blending between neighbours.
bool writePng(const QImage& image, int size, const QString& path) {
    return image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .save(path, "PNG");
}

// One rectangle per run of equal pixels in a row; transparent pixels are left out.
bool writeSvg(const QImage& image, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return false;
    }
    QTextStream svg(&file);
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << PictureSize << "\" height=\""
        << PictureSize << "\" viewBox=\"0 0 " << PictureSize << ' ' << PictureSize
        << "\" shape-rendering=\"crispEdges\">\n";
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width();) {
            const QRgb colour = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == colour) {
                ++end;
            }
            if (qAlpha(colour) != 0) {
                svg << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << end - x
                    << "\" height=\"1\" fill=\"" << QColor(colour).name() << "\"/>\n";
            }
            x = end;
        }
    }
    svg << "</svg>\n";
    svg.flush();
    return svg.status() == QTextStream::Ok && file.error() == QFile::NoError;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::cerr << "usage: kordel_make_icons DIRECTORY SIZE...\n";
        return 2;
    }
    const QString directory = arguments.first();
    const QImage image = picture();
    for (const QString& size : arguments.mid(1)) {
        const int pixels = size.toInt();
        if (pixels <= 0 || pixels % PictureSize != 0 ||
            !writePng(image, pixels, directory + '/' + size + ".png")) {
            std::cerr << "kordel_make_icons: cannot write the " << size.toStdString()
                      << " pixel icon\n";
            return 1;
        }
    }
    if (!writeSvg(image, directory + "/scalable.svg")) {
        std::cerr << "kordel_make_icons: cannot write the scalable icon\n";
        return 1;
    }
    return 0;
}
