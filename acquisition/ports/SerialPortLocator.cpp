#include "acquisition/ports/SerialPortLocator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <utility>

namespace kordel {

namespace {

constexpr int UnknownUart = 0;

// The bases of the four legacy ports, on the devices that usually serve them.
constexpr std::array<std::pair<std::uint16_t, int>, 4> LegacyPorts{
    {{0x3F8, 0}, {0x2F8, 1}, {0x3E8, 2}, {0x2E8, 3}}};

std::optional<int> ttySNumber(const std::string& name) {
    const std::string_view prefix = "ttyS";
    if (!name.starts_with(prefix)) {
        return std::nullopt;
    }
    const char* const end = name.data() + name.size();
    int number = 0;
    const auto [stop, error] = std::from_chars(name.data() + prefix.size(), end, number);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return number;
}

std::optional<unsigned long long> readNumber(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!(in >> text)) {
        return std::nullopt;
    }
    try {
        return std::stoull(text, nullptr, 0);
    } catch (const std::logic_error&) {
        return std::nullopt;
    }
}

} // namespace

SerialPortLocator::SerialPortLocator(SerialCalls& calls, DeviceBindings bindings, SystemPaths paths)
    : calls_(calls), bindings_(std::move(bindings)), paths_(std::move(paths)) {}

std::optional<std::string> SerialPortLocator::deviceAt(std::uint16_t base) {
    if (const auto bound = bindings_.find(base); bound != bindings_.end()) {
        return bound->second;
    }
    // Opening a port raises its DTR and RTS for a moment, so the search stops at the first
    // match and tries the likeliest device first.
    for (const std::string& name : candidates(base)) {
        if (servesBase(name, base)) {
            return (paths_.dev / name).string();
        }
    }
    return std::nullopt;
}

// The ttyS devices in number order, the one that usually serves `base` moved to the front.
std::vector<std::string> SerialPortLocator::candidates(std::uint16_t base) const {
    std::vector<std::pair<int, std::string>> numbered;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(paths_.dev, error)) {
        std::string name = entry.path().filename().string();
        if (const auto number = ttySNumber(name)) {
            numbered.emplace_back(*number, std::move(name));
        }
    }
    std::sort(numbered.begin(), numbered.end());
    const auto legacy = std::find_if(LegacyPorts.begin(), LegacyPorts.end(),
                                     [base](const auto& port) { return port.first == base; });
    if (legacy != LegacyPorts.end()) {
        const auto likeliest =
            std::find_if(numbered.begin(), numbered.end(),
                         [legacy](const auto& device) { return device.first == legacy->second; });
        if (likeliest != numbered.end()) {
            std::rotate(numbered.begin(), likeliest, likeliest + 1);
        }
    }
    std::vector<std::string> names;
    for (auto& device : numbered) {
        names.push_back(std::move(device.second));
    }
    return names;
}

bool SerialPortLocator::servesBase(const std::string& name, std::uint16_t base) {
    std::optional<SerialInfo> info = sysfsInfo(name);
    if (!info) {
        info = probedInfo(name);
    }
    if (!info || info->type == UnknownUart) {
        return false;
    }
    uarts_[*ttySNumber(name)] = {name, static_cast<std::uint16_t>(info->port)};
    return info->port == base;
}

std::vector<SerialDevice> SerialPortLocator::presentDevices() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(paths_.sysfsTty, error)) {
        std::string name = entry.path().filename().string();
        if (!ttySNumber(name) && std::filesystem::exists(entry.path() / "device", error)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<SerialDevice> devices;
    for (const std::string& name : names) {
        devices.push_back({(paths_.dev / name).string(), "", std::nullopt});
    }
    for (const auto& [number, uart] : uarts_) {
        devices.push_back({(paths_.dev / uart.first).string(), "", uart.second});
    }
    return devices;
}

// The kernel's attributes, readable only by root on most systems.
std::optional<SerialInfo> SerialPortLocator::sysfsInfo(const std::string& name) const {
    const auto port = readNumber(paths_.sysfsTty / name / "port");
    const auto type = readNumber(paths_.sysfsTty / name / "type");
    if (!port || !type) {
        return std::nullopt;
    }
    return SerialInfo{*port, static_cast<int>(*type)};
}

// Asks the driver; a device the user may not open is passed over.
std::optional<SerialInfo> SerialPortLocator::probedInfo(const std::string& name) {
    int fd = -1;
    if (calls_.open((paths_.dev / name).string(), fd) != 0) {
        return std::nullopt;
    }
    SerialInfo info;
    const int error = calls_.serialInfo(fd, info);
    calls_.close(fd);
    if (error != 0) {
        return std::nullopt;
    }
    return info;
}

} // namespace kordel
