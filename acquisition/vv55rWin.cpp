#include "acquisition/vv55rWin.h"

#include "common/Error.h"

namespace kordel {

namespace {

PortBus* currentBus = nullptr;

PortBus& bus() {
    if (currentBus == nullptr) {
        throw Error("No port bus selected");
    }
    return *currentBus;
}

} // namespace

PortBusScope::PortBusScope(PortBus& bus) : previous_(currentBus) {
    currentBus = &bus;
}

PortBusScope::~PortBusScope() {
    currentBus = previous_;
}

void PortAttach(std::uint16_t base) {
    bus().attach(base);
}

std::uint8_t PortIn(std::uint16_t address) {
    return bus().in(address);
}

void PortOut(std::uint16_t address, std::uint8_t value) {
    bus().out(address, value);
}

void PortTransfer(std::span<RegisterAccess> accesses) {
    bus().transfer(accesses);
}

} // namespace kordel
