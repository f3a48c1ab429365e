#pragma once

#include <QIcon>

namespace kordel {

// 16 x 16 pictures in the 16 standard colours, each with a greyed image for the disabled state.
QIcon startIcon();
QIcon optionsIcon();
QIcon saveIcon();
QIcon exitIcon();

} // namespace kordel
