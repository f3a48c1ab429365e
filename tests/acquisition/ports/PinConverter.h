#pragma once

#include "acquisition/ports/DemoBus.h"

#include <cstdint>

namespace kordel::testing_support {

// A converter like the demo one, on the pins of an FTDI chip in bit-bang mode: powered while
// TXD's pin is low, counting conversions from the moment it is powered; a rise of DTR's pin
// latches the next code, CTS's pin shows the current bit (low for 1) while RTS's pin is low,
// a rise of RTS's pin moves to the next bit. The other inputs read high.
class PinConverter {
public:
    static constexpr std::uint8_t Txd = 0x01, Rts = 0x04, Cts = 0x08, Dtr = 0x10;
    static constexpr std::uint8_t Outputs = Txd | Rts | Dtr;

    explicit PinConverter(int period) : period(period) {}

    // One byte of synchronous bit-bang: all pins are sampled, then `next` is driven.
    std::uint8_t clock(std::uint8_t next) {
        const std::uint8_t sampled = sample();
        drive(next);
        return sampled;
    }

    std::uint8_t sample() const {
        const bool powered = (pins & Txd) == 0;
        const bool clocked = (pins & Rts) == 0 && bit < 8;
        const bool ctsSet = powered && clocked && ((code >> (7 - bit)) & 1) != 0;
        return static_cast<std::uint8_t>((pins & Outputs) |
                                         (0xFF & ~Outputs & ~(ctsSet ? Cts : 0)));
    }

private:
    void drive(std::uint8_t next) {
        const std::uint8_t before = pins;
        pins = next;
        const auto rises = [before, next](std::uint8_t pin) {
            return (before & pin) == 0 && (next & pin) != 0;
        };
        if ((before & Txd) != 0 && (next & Txd) == 0) {
            conversions = 0;
        }
        if ((pins & Txd) != 0) {
            return;
        }
        if (rises(Dtr)) {
            code = DemoBus::demoCode(period, conversions++);
            bit = 0;
        }
        if (rises(Rts) && bit < 8) {
            ++bit;
        }
    }

    int period;
    std::uint8_t pins = 0xFF;
    std::int64_t conversions = 0;
    int code = 0;
    int bit = 8;
};

} // namespace kordel::testing_support
