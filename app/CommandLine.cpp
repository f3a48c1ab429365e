#include "CommandLine.h"

#include "acquisition/ports/PortBus.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <iterator>

namespace kordel {

namespace {

// The highest base whose 8 registers end by FFFF.
constexpr std::uint16_t HighestBase = 0xFFF8;
constexpr int LongestSettle = 1000; // ms

CommandLine refused(std::string reason) {
    CommandLine line;
    line.action = CommandLine::Action::Refuse;
    line.reason = std::move(reason);
    return line;
}

// ADDR=PATH, ADDR of 1 to 4 hexadecimal digits as typed in the port fields.
std::optional<std::pair<std::uint16_t, std::string>> parseBinding(const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals > 4 || equals + 1 == text.size()) {
        return std::nullopt;
    }
    const std::string address = text.substr(0, equals);
    if (!std::all_of(address.begin(), address.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        return std::nullopt;
    }
    return std::pair{static_cast<std::uint16_t>(std::stoul(address, nullptr, 16)),
                     text.substr(equals + 1)};
}

// A relative path would name another file once the save dialog has changed the directory.
std::string absolutePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

std::optional<int> parseSettle(const std::string& text) {
    int milliseconds = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, milliseconds);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front())) ||
        error != std::errc() || stop != end || milliseconds > LongestSettle) {
        return std::nullopt;
    }
    return milliseconds;
}

// Two bindings closer than a port's 8 registers would mix the lines of two devices.
std::optional<std::string> overlappingBindings(const DeviceBindings& bindings) {
    for (auto next = bindings.begin(); next != bindings.end(); ++next) {
        if (next != bindings.begin() && blocksOverlap(std::prev(next)->first, next->first)) {
            return "bindings " + hexText(std::prev(next)->first) + " and " + hexText(next->first) +
                   " overlap: each port takes the 8 addresses from its base on";
        }
    }
    return std::nullopt;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (*argument == "--help") {
            line.action = CommandLine::Action::ShowHelp;
        } else if (*argument == "--check") {
            line.action = CommandLine::Action::Check;
        } else if (*argument == "--version") {
            line.action = CommandLine::Action::ShowVersion;
        } else if (*argument == "--demo" || *argument == "--raw-io") {
            const BusKind bus = *argument == "--demo" ? BusKind::Demo : BusKind::RawIo;
            if (line.bus != BusKind::SerialDriver && line.bus != bus) {
                return refused("--demo and --raw-io exclude each other");
            }
            line.bus = bus;
        } else if (*argument == "--device") {
            if (++argument == arguments.end()) {
                return refused("--device needs ADDR=PATH");
            }
            const auto binding = parseBinding(*argument);
            if (!binding) {
                return refused("malformed binding '" + *argument +
                               "': expected ADDR=PATH, ADDR hexadecimal up to FFFF");
            }
            if (binding->first > HighestBase) {
                return refused("address " + hexText(binding->first) +
                               " is too high: a port's 8 registers must end by FFFF");
            }
            if (!line.devices.emplace(binding->first, absolutePath(binding->second)).second) {
                return refused("address " + hexText(binding->first) + " is bound twice");
            }
        } else if (*argument == "--com1" || *argument == "--com2") {
            const std::string option = *argument;
            if (++argument == arguments.end()) {
                return refused(option + " needs HEX");
            }
            (option == "--com1" ? line.com1 : line.com2) = *argument;
        } else if (*argument == "--settle") {
            if (++argument == arguments.end() || !(line.settle = parseSettle(*argument))) {
                return refused("--settle needs MS, whole milliseconds from 0 to 1000");
            }
        } else {
            return refused("unknown option '" + *argument + "'");
        }
    }
    if (!line.devices.empty() && line.bus != BusKind::SerialDriver) {
        return refused("--device serves only the serial driver, not --demo or --raw-io");
    }
    if (line.settle && line.bus != BusKind::SerialDriver) {
        return refused("--settle serves only the serial driver, not --demo or --raw-io");
    }
    if (const auto overlap = overlappingBindings(line.devices)) {
        return refused(*overlap);
    }
    return line;
}

std::string usageText() {
    return "Usage: kordel [--check] [--demo | --raw-io] [--device ADDR=PATH]... [--settle MS]\n"
           "              [--com1 HEX] [--com2 HEX]\n"
           "  (no option)         reach the ports through the serial driver\n"
           "  --check             check both converter lines without a window, then exit:\n"
           "                      0 when both ports could be driven, else 1\n"
           "  --demo              simulated ports and converters\n"
           "  --device ADDR=PATH  use serial device PATH for the port at hexadecimal\n"
           "                      address ADDR, e.g. --device 3F8=/dev/ttyUSB0\n"
           "  --settle MS         wait MS milliseconds (0 to 1000) after a line change before\n"
           "                      reading CTS, on every serial device; by default the wait is\n"
           "                      chosen per device from its driver (0 where none is needed)\n"
           "  --com1 HEX          port address of channel 1 for --check (default 3F8)\n"
           "  --com2 HEX          port address of channel 2 for --check (default 2F8)\n"
           "  --raw-io            direct I/O port access through /dev/port (needs the rights)\n"
           "  --help              show this text\n"
           "  --version           show the version\n";
}

std::string versionText() {
    return "kordel " KORDEL_VERSION "\n";
}

std::optional<int> answerWithoutWindows(const CommandLine& line, std::ostream& out,
                                        std::ostream& err) {
    switch (line.action) {
    case CommandLine::Action::Run:
    case CommandLine::Action::Check:
        return std::nullopt;
    case CommandLine::Action::ShowHelp:
        out << usageText();
        return 0;
    case CommandLine::Action::ShowVersion:
        out << versionText();
        return 0;
    case CommandLine::Action::Refuse:
        err << "kordel: " << line.reason << '\n' << usageText();
        return UsageErrorStatus;
    }
    return UsageErrorStatus;
}

} // namespace kordel
