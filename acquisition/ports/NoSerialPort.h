#pragma once

#include "common/Error.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kordel {

// A serial device the system shows, as the user could bind it.
struct SerialDevice {
    std::string path;
    std::string driver;
    std::optional<std::uint16_t> base; // the I/O base the kernel reports, if any
};

// What every bus says of an address that no port serves.
Error noSerialPort(std::uint16_t address);

// The same, then the serial devices that are there and how to bind one to the address: on the
// command line, or in `portsFile` unless it is empty.
Error noSerialPort(std::uint16_t address, const std::vector<SerialDevice>& devices,
                   const std::filesystem::path& portsFile);

} // namespace kordel
