#pragma once

#include <QWidget>

namespace kordel {

// The title-bar flags of a dialog with a caption and no title-bar buttons.
inline constexpr Qt::WindowFlags CaptionOnly =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

// Asks an X window manager for exactly a caption and a border, with neither window menu nor
// minimise, maximise or close box: the window may be moved, and resized when `resizable`.
// Qt's own request for CaptionOnly names no decorations at all, which window managers take as
// "all of them". Call it each time before the window is shown, as Qt may write its request
// again; on other platforms the flags say it all and this does nothing.
void askForCaptionOnly(QWidget& window, bool resizable);

} // namespace kordel
