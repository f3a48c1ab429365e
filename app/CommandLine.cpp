#include "CommandLine.h"

#include "common/NumberText.h"

#include <algorithm>
#include <cctype>

namespace kordel {

namespace {

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

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    for (auto argument = arguments.begin(); argument != arguments.end(); ++argument) {
        if (*argument == "--help") {
            line.action = CommandLine::Action::ShowHelp;
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
            if (!line.devices.emplace(*binding).second) {
                return refused("address " + hexText(binding->first) + " is bound twice");
            }
        } else if (*argument == "--com1" || *argument == "--com2") {
            const std::string option = *argument;
            if (++argument == arguments.end()) {
                return refused(option + " needs HEX");
            }
            (option == "--com1" ? line.com1 : line.com2) = *argument;
        } else {
            return refused("unknown option '" + *argument + "'");
        }
    }
    if (!line.devices.empty() && line.bus != BusKind::SerialDriver) {
        return refused("--device serves only the serial driver, not --demo or --raw-io");
    }
    return line;
}

std::string usageText() {
    return "Usage: kordel [--demo | --raw-io] [--device ADDR=PATH]...\n"
           "  (no option)         reach the ports through the serial driver\n"
           "  --demo              simulated ports and converters\n"
           "  --device ADDR=PATH  use serial device PATH for the port at hexadecimal\n"
           "                      address ADDR, e.g. --device 3F8=/dev/ttyUSB0\n"
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
