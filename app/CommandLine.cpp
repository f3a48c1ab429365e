#include "CommandLine.h"

#include "acquisition/ports/PortBus.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <iterator>
#include <string_view>

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

struct TextOption {
    const char* name;
    const char* value; // what the usage calls the value
    std::string* text;
    bool runOnly; // means something only to a run without windows
};

// The options that take a text, with where each text goes.
std::vector<TextOption> textOptions(CommandLine& line, std::string& save) {
    return {{"--com1", "HEX", &line.com1, false},
            {"--com2", "HEX", &line.com2, false},
            {"--samples", "N", &line.samples, false},
            {"--pause", "MS", &line.pause, true},
            {"--multiplier1", "K", &line.multiplier1, true},
            {"--multiplier2", "K", &line.multiplier2, true},
            {"--save", "NAME", &save, true}};
}

const TextOption* textOption(const std::vector<TextOption>& options, const std::string& name) {
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const TextOption& option) { return name == option.name; });
    return found == options.end() ? nullptr : &*found;
}

// --samples makes the line a run without windows, the only one the run's options serve.
CommandLine withRunOptions(CommandLine line, const std::vector<const TextOption*>& given,
                           const std::string& save) {
    const auto isGiven = [&](std::string_view name) {
        return std::any_of(given.begin(), given.end(),
                           [&](const TextOption* option) { return option->name == name; });
    };
    if (!isGiven("--samples")) {
        for (const TextOption* option : given) {
            if (option->runOnly) {
                return refused(std::string(option->name) + " needs --samples");
            }
        }
        if (line.action == CommandLine::Action::Run && (isGiven("--com1") || isGiven("--com2"))) {
            return refused("--com1 and --com2 serve only --samples and --check");
        }
    } else if (line.action == CommandLine::Action::Check) {
        return refused("--samples and --check exclude each other");
    } else if (line.action == CommandLine::Action::Run) {
        line.action = CommandLine::Action::Measure;
    }
    if (isGiven("--save")) {
        line.save = save;
    }
    return line;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::string save;
    const std::vector<TextOption> options = textOptions(line, save);
    std::vector<const TextOption*> given;
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
        } else if (const TextOption* option = textOption(options, *argument)) {
            if (++argument == arguments.end()) {
                return refused(std::string(option->name) + " needs " + option->value);
            }
            *option->text = *argument;
            given.push_back(option);
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
    return withRunOptions(std::move(line), given, save);
}

std::string usageText() {
    return "Usage: kordel [PORTS]                  the main window\n"
           "       kordel --check [--com1 HEX] [--com2 HEX] [PORTS]\n"
           "       kordel --samples N [--pause MS] [--multiplier1 K] [--multiplier2 K]\n"
           "              [--com1 HEX] [--com2 HEX] [--save NAME] [PORTS]\n"
           "PORTS: [--demo | --raw-io] [--device ADDR=PATH]... [--settle MS]\n"
           "  (no option)         reach the ports through the serial driver\n"
           "  --check             check both converter lines without a window, then exit:\n"
           "                      0 when both ports could be driven, else 1\n"
           "  --demo              simulated ports and converters\n"
           "  --device ADDR=PATH  use serial device PATH for the port at hexadecimal\n"
           "                      address ADDR, e.g. --device 3F8=/dev/ttyUSB0\n"
           "  --settle MS         wait MS milliseconds (0 to 1000) after a line change before\n"
           "                      reading CTS, on every serial device; by default the wait is\n"
           "                      chosen per device from its driver (0 where none is needed)\n"
           "  --raw-io            direct I/O port access through /dev/port (needs the rights)\n"
           "  --samples N         measure N pairs without a window: channel 1, a tab and\n"
           "                      channel 2 on standard output, one line per pair\n"
           "  --pause MS          wait MS milliseconds after each pair (default 0)\n"
           "  --multiplier1 K     multiply channel 1 by the integer K (default 1)\n"
           "  --multiplier2 K     multiply channel 2 by the integer K (default 1)\n"
           "  --com1 HEX          port address of channel 1 (default 3F8)\n"
           "  --com2 HEX          port address of channel 2 (default 2F8)\n"
           "  --save NAME         write NAME(1).txt, NAME(2).txt and NAME.bmp instead\n"
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
    case CommandLine::Action::Measure:
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
