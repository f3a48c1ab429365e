#include "ui/PlotImage.h"

#include "output/RunPlot.h"

#include <QPainter>

namespace kordel {

PlotImage::PlotImage(QWidget* parent) : QWidget(parent), canvas_(PlotImageSize) {
    resize(PlotImageSize);
    setCursor(Qt::PointingHandCursor);
}

void PlotImage::paintEvent(QPaintEvent*) {
    if (canvas_.hasRaster()) {
        QPainter(this).drawImage(0, 0, canvas_.image());
    }
}

} // namespace kordel
