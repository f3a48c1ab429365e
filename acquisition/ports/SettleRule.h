#pragma once

#include "acquisition/ports/PortBus.h"
#include "acquisition/ports/SerialPortLocator.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kordel {

// The settle time for a driver: 0 for one that asks the device at every status read; for one
// that answers from a cache the device refreshes every `statusInterval`, twice that and at
// least 2 ms, or 20 ms when the interval is unknown; 20 ms for a driver not known here.
PortDescription settleFor(const std::string& driver,
                          std::optional<std::chrono::microseconds> statusInterval);

// Chooses the settle time of each serial device from the driver the system shows for it, or
// sets one time for every device.
class SettleRule {
public:
    explicit SettleRule(std::optional<int> fixedMilliseconds = std::nullopt,
                        SystemPaths paths = {});

    PortDescription choose(const std::string& devicePath) const;

private:
    std::vector<std::filesystem::path> deviceChain(const std::string& devicePath) const;

    std::optional<int> fixedMilliseconds_;
    SystemPaths paths_;
};

} // namespace kordel
