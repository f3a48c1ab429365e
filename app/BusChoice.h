#pragma once

#include "acquisition/ports/PortBus.h"
#include "app/LineCheck.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace kordel {

struct CommandLine;

// How register reads and writes reach the ports.
enum class BusKind {
    SerialDriver, // the kernel's serial driver, the default
    Demo,         // simulated ports and converters
    RawIo,        // the I/O space through /dev/port
    BitBang,      // FTDI adapters in synchronous bit-bang mode
};

// One way of reaching the ports: the option that chooses it, the port options it takes and how
// it is made.
struct BusChoice {
    BusKind kind;
    std::string_view flag; // empty for the default
    std::string_view name; // as a refusal calls it
    std::string_view help;
    std::vector<std::string_view> takes; // port options such as "--device"
    std::unique_ptr<PortBus> (*make)(const CommandLine& line);

    bool takesOption(std::string_view option) const;
};

// The default first, then the others in the order the help lists them.
const std::vector<BusChoice>& busChoices();
const BusChoice& busChoice(BusKind kind);

std::unique_ptr<PortBus> makePortBus(const CommandLine& line);

// What the line check holds `bus` against: the serial driver, for the bit-bang bus; nothing for
// the others.
std::optional<DriverComparison> driverComparison(const CommandLine& line, PortBus& bus);

} // namespace kordel
