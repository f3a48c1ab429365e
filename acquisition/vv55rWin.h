#pragma once

#include "acquisition/ports/PortBus.h"

#include <cstdint>
#include <span>

namespace kordel {

// The bus behind the port primitives while it lives: the previous bus returns when it ends, so
// no primitive reaches a bus that is gone. Start-up chooses one; tests and the line check
// choose their own.
class PortBusScope {
public:
    explicit PortBusScope(PortBus& bus);
    ~PortBusScope();
    PortBusScope(const PortBusScope&) = delete;
    PortBusScope& operator=(const PortBusScope&) = delete;

private:
    PortBus* previous_;
};

void PortAttach(std::uint16_t base);
std::uint8_t PortIn(std::uint16_t address);
void PortOut(std::uint16_t address, std::uint8_t value);
// The accesses in their order, handed to the bus as one piece.
void PortTransfer(std::span<RegisterAccess> accesses);

} // namespace kordel
