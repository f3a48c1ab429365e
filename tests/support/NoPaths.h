#pragma once

#include "acquisition/ports/SerialPortLocator.h"

namespace kordel::testing_support {

// A system that shows no serial ports and no drivers: only bound devices are found.
inline const SystemPaths Nowhere{"/nonexistent", "/nonexistent"};

} // namespace kordel::testing_support
