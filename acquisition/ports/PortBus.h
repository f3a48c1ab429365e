#pragma once

#include <cstdint>

namespace kordel {

// Byte access to the register blocks of serial ports. Failures throw kordel::Error.
class PortBus {
public:
    virtual ~PortBus() = default;

    // Called when a converter line is set up on the port at `base`, before any register
    // access: makes sure a serial port is there and ready, or throws.
    virtual void attach(std::uint16_t base) = 0;
    virtual std::uint8_t in(std::uint16_t address) = 0;
    virtual void out(std::uint16_t address, std::uint8_t value) = 0;
};

// Register offsets from a port's base address.
inline constexpr std::uint16_t LineControl = 3;
inline constexpr std::uint16_t ModemControl = 4;
inline constexpr std::uint16_t ModemStatus = 6;

inline constexpr std::uint8_t BreakBit = 0x40;
inline constexpr std::uint8_t DtrBit = 0x01;
inline constexpr std::uint8_t RtsBit = 0x02;
inline constexpr std::uint8_t CtsBit = 0x10;

} // namespace kordel
