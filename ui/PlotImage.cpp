#include "PlotImage.h"

#include <QPainter>

namespace kordel {

namespace {

const QSize ImageSize(497, 313);

} // namespace

PlotImage::PlotImage(QWidget* parent) : QWidget(parent), canvas_(ImageSize) {
    resize(ImageSize);
    setCursor(Qt::PointingHandCursor);
}

void PlotImage::paintEvent(QPaintEvent*) {
    if (canvas_.hasRaster()) {
        QPainter(this).drawImage(0, 0, canvas_.image());
    }
}

} // namespace kordel
