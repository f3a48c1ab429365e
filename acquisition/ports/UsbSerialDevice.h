#pragma once

#include "acquisition/ports/SerialPortLocator.h"

#include <string>

namespace kordel {

// The USB device and interface behind a tty, as sysfs shows them.
struct UsbSerialDevice {
    std::string tty;    // the path as given
    std::string driver; // of the tty's hardware; empty when none is bound
    bool usb = false;   // false: the fields below are unknown
    int busNumber = 0;
    int deviceAddress = 0;
    int interfaceNumber = 0;
    std::string vendor;  // idVendor, four hex digits
    std::string release; // bcdDevice, four hex digits
    std::string serial;

    // "/dev/bus/usb/BBB/DDD", the node libusb opens.
    std::string node() const;
    // The FTDI chip that the release number names, or empty when it is none with synchronous
    // bit-bang.
    std::string bitBangChip() const;
};

// The path with every link in it followed, or empty when a part of it is missing. Each link is
// read on its own: the USB test bed's preloaded layer corrupts memory in realpath().
std::filesystem::path followLinks(const std::filesystem::path& path);

// Walks up from the tty's sysfs device: the first device with a driver gives the driver, the
// first with an interface number the interface, the first with a bus number and an address the
// USB device.
UsbSerialDevice usbSerialDevice(const std::string& ttyPath, const SystemPaths& paths = {});

} // namespace kordel
