#pragma once

#include "plot/Canvas.h"

#include <QWidget>

namespace kordel {

// The plot image: the window's face until the first drawing, the canvas's raster afterwards.
class PlotImage : public QWidget {
    Q_OBJECT

public:
    explicit PlotImage(QWidget* parent);

    Canvas& canvas() { return canvas_; }
    const Canvas& canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Canvas canvas_;
};

} // namespace kordel
