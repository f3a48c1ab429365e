#include "UsbSerialDevice.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <string_view>
#include <vector>

namespace kordel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view FtdiVendor = "0403";

struct ChipRelease {
    std::string_view release;
    std::string_view chip;
};

// Release numbers of the chips with synchronous bit-bang; older ones (0200, 0400) lack it.
constexpr std::array<ChipRelease, 6> BitBangChips{{
    {"0500", "FT2232C"},
    {"0600", "FT232R"},
    {"0700", "FT2232H"},
    {"0800", "FT4232H"},
    {"0900", "FT232H"},
    {"1000", "FT-X"},
}};

std::string attribute(const fs::path& device, const char* name) {
    std::ifstream in(device / name);
    std::string word;
    in >> word;
    return word;
}

int number(const std::string& text, int base = 10) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

std::string driverOf(const fs::path& device) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(device / "driver", error);
    return error ? std::string() : driver.filename().string();
}

constexpr int MostLinks = 40; // as the kernel's limit, so that a loop of links ends

fs::path sysfsDevice(const std::string& ttyPath, const SystemPaths& paths) {
    const fs::path real = followLinks(ttyPath);
    const fs::path name = (real.empty() ? fs::path(ttyPath) : real).filename();
    return followLinks(paths.sysfsTty / name / "device");
}

} // namespace

fs::path followLinks(const fs::path& path) {
    std::error_code error;
    fs::path done = fs::absolute(path, error).root_path();
    std::vector<fs::path> left;
    for (const fs::path& part : fs::absolute(path, error).relative_path()) {
        left.push_back(part);
    }
    std::reverse(left.begin(), left.end());
    for (int links = 0; !left.empty();) {
        const fs::path part = left.back();
        left.pop_back();
        if (part == "..") {
            done = done.parent_path();
            continue;
        }
        if (part == "." || part.empty()) {
            continue;
        }
        const fs::path next = done / part;
        if (!fs::is_symlink(fs::symlink_status(next, error))) {
            if (!fs::exists(next, error)) {
                return {};
            }
            done = next;
            continue;
        }
        if (++links > MostLinks) {
            return {};
        }
        const fs::path target = fs::read_symlink(next, error);
        if (target.is_absolute()) {
            done = target.root_path();
        }
        const fs::path rest = target.relative_path();
        std::vector<fs::path> parts(rest.begin(), rest.end());
        left.insert(left.end(), parts.rbegin(), parts.rend());
    }
    return done;
}

std::string UsbSerialDevice::node() const {
    char text[32];
    std::snprintf(text, sizeof text, "/dev/bus/usb/%03d/%03d", busNumber, deviceAddress);
    return text;
}

std::string UsbSerialDevice::bitBangChip() const {
    if (!usb || vendor != FtdiVendor) {
        return {};
    }
    for (const ChipRelease& known : BitBangChips) {
        if (known.release == release) {
            return std::string(known.chip);
        }
    }
    return {};
}

UsbSerialDevice usbSerialDevice(const std::string& ttyPath, const SystemPaths& paths) {
    UsbSerialDevice found;
    found.tty = ttyPath;
    bool interfaceSeen = false;
    for (fs::path device = sysfsDevice(ttyPath, paths); device.has_relative_path();
         device = device.parent_path()) {
        if (found.driver.empty()) {
            found.driver = driverOf(device);
        }
        if (const int interface = number(attribute(device, "bInterfaceNumber"), 16);
            !interfaceSeen && interface >= 0) {
            found.interfaceNumber = interface;
            interfaceSeen = true;
        }
        const int bus = number(attribute(device, "busnum"));
        const int address = number(attribute(device, "devnum"));
        if (bus > 0 && address > 0) {
            found.usb = true;
            found.busNumber = bus;
            found.deviceAddress = address;
            found.vendor = attribute(device, "idVendor");
            found.release = attribute(device, "bcdDevice");
            found.serial = attribute(device, "serial");
            break;
        }
    }
    return found;
}

} // namespace kordel
