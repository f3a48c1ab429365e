#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace kordel {

// Where the top-left corner of a window's frame goes so that the frame, `client` within
// `frame` margins, is centred on `area`.
QPoint centredFramePosition(QRect area, QSize client, QMargins frame);

// Centres the window, frame included, on `area`. Before the window manager has framed it, the
// window is taken to get the frame that the windows already shown got.
void centreWithFrame(QWidget& window, QRect area);

// Centres a top-level window with its frame on its screen now, and again once the window
// manager has framed it, since the frame is only known then.
void centreOnScreen(QWidget& window);

} // namespace kordel
