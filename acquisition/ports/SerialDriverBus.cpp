#include "acquisition/ports/SerialDriverBus.h"

#include "acquisition/ports/NoSerialPort.h"
#include "common/Error.h"

#include <filesystem>
#include <sys/ioctl.h>

namespace kordel {

namespace {

int modemLine(std::uint8_t bit) {
    return bit == DtrBit ? TIOCM_DTR : TIOCM_RTS;
}

// Two names of one device, such as a link in /dev/serial/by-id and the device it points to,
// must share one open device: the second open of an exclusive device would fail.
std::string realPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(path, error);
    return error ? path : real.string();
}

} // namespace

SerialDriverBus::SerialDriverBus(SerialCalls& calls, SerialPortLocator locator, SettleRule settle,
                                 Clock& clock)
    : calls_(calls), locator_(std::move(locator)), settleRule_(std::move(settle)), clock_(clock) {}

SerialDriverBus::~SerialDriverBus() {
    for (auto& [path, device] : devices_) {
        if (device->fd >= 0) {
            calls_.close(device->fd);
        }
    }
}

// The device stays open from one run to the next; one whose call failed is opened afresh here.
void SerialDriverBus::attach(std::uint16_t base) {
    auto path = located_.find(base);
    if (path == located_.end()) {
        const auto found = locator_.deviceAt(base);
        if (!found) {
            throw noSerialPort(base, presentDevices(), locator_.systemPaths().portsFile);
        }
        path = located_.emplace(base, *found).first;
    }
    Device& serving = device(path->second);
    if (serving.fd < 0) {
        open(serving);
    }
    attached_[base] = &serving;
}

std::uint8_t SerialDriverBus::in(std::uint16_t address) {
    const auto [device, offset] = registerAt(address);
    return offset == ModemStatus ? modemStatus(*device) : 0;
}

void SerialDriverBus::out(std::uint16_t address, std::uint8_t value) {
    const auto [device, offset] = registerAt(address);
    if (offset == ModemControl) {
        setModemControl(*device, value);
    } else if (offset == LineControl) {
        setBreak(*device, (value & BreakBit) != 0);
    }
}

PortDescription SerialDriverBus::describe(std::uint16_t base) const {
    const auto device = attached_.find(base);
    if (device == attached_.end()) {
        throw noSerialPort(base);
    }
    return device->second->description;
}

std::vector<SerialDevice> SerialDriverBus::presentDevices() const {
    std::vector<SerialDevice> present = locator_.presentDevices();
    for (SerialDevice& device : present) {
        device.driver = settleRule_.choose(device.path).driver;
    }
    return present;
}

SerialDriverBus::Device& SerialDriverBus::device(const std::string& path) {
    auto& slot = devices_[realPath(path)];
    if (!slot) {
        slot = std::make_unique<Device>();
        slot->path = path;
    }
    return *slot;
}

// Speed and framing are left as they are; only the modem lines and the break are used.
void SerialDriverBus::open(Device& device) {
    int fd = -1;
    if (const int error = calls_.open(device.path, fd); error != 0) {
        throw Error("Cannot open serial port " + device.path + ": " + systemErrorText(error));
    }
    device.fd = fd;
    device.modemControl.reset();
    device.description = settleRule_.choose(device.path);
    device.settle = device.description.settleMilliseconds / 1000.0;
    check(device, calls_.exclusive(fd));
}

void SerialDriverBus::setModemControl(Device& device, std::uint8_t value) {
    const std::optional<std::uint8_t> present = device.modemControl;
    for (const std::uint8_t bit : {DtrBit, RtsBit}) {
        const bool on = (value & bit) != 0;
        if (!present || ((*present & bit) != 0) != on) {
            setLine(device, bit, on);
        }
    }
}

void SerialDriverBus::setLine(Device& device, std::uint8_t bit, bool on) {
    const int line = modemLine(bit);
    check(device, on ? calls_.raiseLines(device.fd, line) : calls_.lowerLines(device.fd, line));
    noteLineChange(device);
    const std::uint8_t others = device.modemControl.value_or(0) & ~bit;
    device.modemControl = on ? others | bit : others;
}

void SerialDriverBus::setBreak(Device& device, bool on) {
    check(device, on ? calls_.setBreak(device.fd) : calls_.clearBreak(device.fd));
    noteLineChange(device);
}

// Taken when the call has returned, that is once the driver has passed the change on.
void SerialDriverBus::noteLineChange(Device& device) {
    if (device.settle > 0) {
        device.lastChange = clock_.now();
    }
}

std::uint8_t SerialDriverBus::modemStatus(Device& device) {
    if (device.settle > 0) {
        clock_.waitUntil(device.lastChange + device.settle);
    }
    int lines = 0;
    check(device, calls_.modemLines(device.fd, lines));
    return (lines & TIOCM_CTS) != 0 ? CtsBit : 0;
}

// A failed call closes the device, so that the next line set-up opens it afresh.
void SerialDriverBus::check(Device& device, int error) {
    if (error == 0) {
        return;
    }
    calls_.close(device.fd);
    device.fd = -1;
    throw Error("Serial port " + device.path + " failed: " + systemErrorText(error));
}

// The open device whose register block holds `address`, and the register's offset.
std::pair<SerialDriverBus::Device*, std::uint16_t>
SerialDriverBus::registerAt(std::uint16_t address) {
    auto block = attached_.upper_bound(address);
    if (block != attached_.begin()) {
        --block;
        const std::uint16_t offset = address - block->first;
        if (offset < RegisterBlock && block->second->fd >= 0) {
            return {block->second, offset};
        }
    }
    throw noSerialPort(address);
}

} // namespace kordel
