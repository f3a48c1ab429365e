#include "acquisition/ports/DemoBus.h"

#include "acquisition/ports/NoSerialPort.h"
#include "common/Error.h"

#include <cmath>
#include <numbers>

namespace kordel {

namespace {

[[noreturn]] void noPortAt(std::uint16_t address) {
    throw noSerialPort(address);
}

bool falls(std::uint8_t before, std::uint8_t after, std::uint8_t bit) {
    return (before & bit) != 0 && (after & bit) == 0;
}

} // namespace

DemoBus::DemoBus()
    : uarts_{{{.base = 0x3F8, .period = 75},
              {.base = 0x2F8, .period = 50},
              {.base = 0x3E8},
              {.base = 0x2E8}}} {}

int DemoBus::demoCode(int period, std::int64_t k) {
    const double phase = static_cast<double>(k % period) / period;
    return static_cast<int>(std::lround(128 + 127 * std::sin(2 * std::numbers::pi * phase)));
}

void DemoBus::attach(std::uint16_t base) {
    for (Uart& uart : uarts_) {
        if (uart.base == base) {
            uart.attached = true;
            return;
        }
    }
    noPortAt(base);
}

std::uint8_t DemoBus::in(std::uint16_t address) {
    const Uart& uart = uartAt(address);
    return address - uart.base == ModemStatus ? modemStatus(uart) : 0;
}

void DemoBus::out(std::uint16_t address, std::uint8_t value) {
    Uart& uart = uartAt(address);
    switch (address - uart.base) {
    case LineControl:
        writeLineControl(uart, value);
        break;
    case ModemControl:
        writeModemControl(uart, value);
        break;
    default:
        break;
    }
}

// The readings of a whole run pass here, so the simulated registers are reached directly.
void DemoBus::transfer(std::span<RegisterAccess> accesses) {
    transferEach(*this, accesses);
}

PortDescription DemoBus::describe(std::uint16_t) const {
    return {"simulated UART (--demo)",
            "none",
            0,
            "the simulated status follows each line change at once",
            "",
            ""};
}

DemoBus::Uart& DemoBus::uartAt(std::uint16_t address) {
    for (Uart& uart : uarts_) {
        if (uart.attached && address >= uart.base && address < uart.base + RegisterBlock) {
            return uart;
        }
    }
    noPortAt(address);
}

void DemoBus::writeLineControl(Uart& uart, std::uint8_t value) {
    uart.lineControl = value;
    if ((value & BreakBit) != 0) {
        uart.conversions = 0;
    }
}

void DemoBus::writeModemControl(Uart& uart, std::uint8_t value) {
    const std::uint8_t before = uart.modemControl;
    uart.modemControl = value;
    if (!uart.powered()) {
        return;
    }
    if (falls(before, value, DtrBit)) {
        uart.code = demoCode(uart.period, uart.conversions++);
        uart.bit = 0;
    }
    if (falls(before, value, RtsBit) && uart.bit < 8) {
        ++uart.bit;
    }
}

std::uint8_t DemoBus::modemStatus(const Uart& uart) {
    const bool clocked = (uart.modemControl & RtsBit) != 0 && uart.bit < 8;
    const bool set = uart.powered() && clocked && ((uart.code >> (7 - uart.bit)) & 1) != 0;
    return set ? CtsBit : 0;
}

} // namespace kordel
