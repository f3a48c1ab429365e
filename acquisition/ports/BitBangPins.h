#pragma once

#include "acquisition/ports/PortBus.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kordel {

// The pins of an FTDI chip in bit-bang mode that carry a converter's lines. The UART pins are
// active low: a line that is set, raised or on holds its pin low.
inline constexpr std::uint8_t TxdPin = 0x01; // low while the break is on: powers the converter
inline constexpr std::uint8_t RtsPin = 0x04;
inline constexpr std::uint8_t CtsPin = 0x08; // the converter's output
inline constexpr std::uint8_t DtrPin = 0x10;
inline constexpr std::uint8_t OutputPins = TxdPin | RtsPin | DtrPin;
// DTR and RTS cleared, no break: the converter is unpowered.
inline constexpr std::uint8_t IdlePins = OutputPins;

// The pin states that play a sequence of register accesses on one port, and where the sample
// that answers each status read comes back. The chip samples all pins just before each state
// takes effect, so the sample at index n was taken while state n-1 held.
struct PinProgram {
    std::vector<std::uint8_t> states;
    std::vector<std::size_t> samples; // per access: the sample it reads, or NoSample
    std::uint8_t pinsAfter = IdlePins;

    static constexpr std::size_t NoSample = static_cast<std::size_t>(-1);
};

// `pins` is the state the port holds before the sequence; `base` is the port's base address.
PinProgram pinProgram(std::span<const RegisterAccess> accesses, std::uint16_t base,
                      std::uint8_t pins);

// Fills in the value of each read from the samples the chip sent back for `program`: a status
// read shows CTS set while its pin is low; any other register reads 0.
void readSamples(std::span<RegisterAccess> accesses, const PinProgram& program,
                 std::span<const std::uint8_t> samples);

} // namespace kordel
