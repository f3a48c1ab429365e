#include "vv55rWin.h"

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

void usePortBus(PortBus& bus) {
    currentBus = &bus;
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

} // namespace kordel
