#pragma once

#include "acquisition/ports/NoSerialPort.h"
#include "acquisition/ports/SerialCalls.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kordel {

// Serial devices bound by hand to base addresses, for ports whose base the kernel does not know.
using DeviceBindings = std::map<std::uint16_t, std::string>;

// Where the system shows its serial ports, and the file in which the user binds them.
struct SystemPaths {
    std::filesystem::path sysfsTty = "/sys/class/tty";
    std::filesystem::path dev = "/dev";
    std::filesystem::path portsFile = {}; // named to the user; empty when there is none
};

// Finds the serial device whose I/O base is a given address.
class SerialPortLocator {
public:
    explicit SerialPortLocator(SerialCalls& calls, DeviceBindings bindings = {},
                               SystemPaths paths = {});

    // The bound device, else the first ttyS device, likeliest first, that the kernel reports
    // at `base`; nothing when no serial port is known there.
    std::optional<std::string> deviceAt(std::uint16_t base);

    // The serial devices there are, adapters first, without their drivers: every tty the system
    // shows a device for but the ttyS ones, then the ttyS devices found with a UART so far.
    std::vector<SerialDevice> presentDevices() const;

    const SystemPaths& systemPaths() const { return paths_; }

private:
    std::vector<std::string> candidates(std::uint16_t base) const;
    bool servesBase(const std::string& name, std::uint16_t base);
    std::optional<SerialInfo> sysfsInfo(const std::string& name) const;
    std::optional<SerialInfo> probedInfo(const std::string& name);

    SerialCalls& calls_;
    DeviceBindings bindings_;
    SystemPaths paths_;
    std::map<int, std::pair<std::string, std::uint16_t>> uarts_; // ttyS number -> name, base
};

} // namespace kordel
