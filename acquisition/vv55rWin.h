#pragma once

#include "acquisition/ports/PortBus.h"

#include <cstdint>

namespace kordel {

// The bus behind the port primitives, chosen once at start-up (tests choose their own).
void usePortBus(PortBus& bus);

void PortAttach(std::uint16_t base);
std::uint8_t PortIn(std::uint16_t address);
void PortOut(std::uint16_t address, std::uint8_t value);

} // namespace kordel
