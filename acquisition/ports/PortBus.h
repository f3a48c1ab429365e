#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kordel {

// How the port at a base address is reached, as the line check tells it.
struct PortDescription {
    std::string device;
    std::string driver;
    int settleMilliseconds = 0; // wait from the last line change to a status read
    std::string settleReason;
    std::string note;   // a warning for the user, if any
    std::string pacing; // how fast the bus drives the lines, where it chooses that itself
};

// One register access of a sequence: a write of `value`, or a read whose byte lands in `value`.
struct RegisterAccess {
    enum class Kind : std::uint8_t { In, Out };

    Kind kind;
    std::uint16_t address;
    std::uint8_t value = 0;

    bool operator==(const RegisterAccess&) const = default;
};

// Byte access to the register blocks of serial ports. Failures throw kordel::Error.
class PortBus {
public:
    virtual ~PortBus() = default;

    // Called when a converter line is set up on the port at `base`, before any register
    // access: makes sure a serial port is there and ready, or throws.
    virtual void attach(std::uint16_t base) = 0;
    virtual std::uint8_t in(std::uint16_t address) = 0;
    virtual void out(std::uint16_t address, std::uint8_t value) = 0;
    // The accesses in their order, as one piece: a bus that can send a whole sequence at once
    // knows its later writes when it answers a read. By default, one in() or out() each.
    virtual void transfer(std::span<RegisterAccess> accesses);
    // The port at `base`, which has been attached.
    virtual PortDescription describe(std::uint16_t base) const = 0;
};

// One in() or out() per access; a final bus that passes itself calls its own without a lookup.
template <typename Bus> void transferEach(Bus& bus, std::span<RegisterAccess> accesses) {
    for (RegisterAccess& access : accesses) {
        if (access.kind == RegisterAccess::Kind::In) {
            access.value = bus.in(access.address);
        } else {
            bus.out(access.address, access.value);
        }
    }
}

inline void PortBus::transfer(std::span<RegisterAccess> accesses) {
    transferEach(*this, accesses);
}

// Register offsets from a port's base address.
inline constexpr std::uint16_t LineControl = 3;
inline constexpr std::uint16_t ModemControl = 4;
inline constexpr std::uint16_t ModemStatus = 6;

// Each port takes the 8 addresses from its base on.
inline constexpr std::uint16_t RegisterBlock = 8;
// The highest base whose block ends by FFFF.
inline constexpr std::uint16_t HighestBase = 0x10000 - RegisterBlock;

// Two different bases closer than a block would mix the registers of two ports.
inline bool blocksOverlap(std::uint16_t base1, std::uint16_t base2) {
    const std::uint16_t apart = base1 - base2;
    return base1 != base2 && (apart < RegisterBlock || apart > HighestBase);
}

inline constexpr std::uint8_t BreakBit = 0x40;
inline constexpr std::uint8_t DtrBit = 0x01;
inline constexpr std::uint8_t RtsBit = 0x02;
inline constexpr std::uint8_t CtsBit = 0x10;

} // namespace kordel
