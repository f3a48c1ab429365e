#pragma once

#include "common/Error.h"

#include <cstdint>

namespace kordel {

// What every bus says of an address that no port serves.
Error noSerialPort(std::uint16_t address);

} // namespace kordel
