#include "app/PortsFile.h"

#include "app/CommandLine.h"
#include "app/DeviceBinding.h"

#include <algorithm>
#include <fstream>

namespace kordel {

namespace {

std::string trimmed(const std::string& text) {
    constexpr const char* Blanks = " \t\r";
    const auto first = text.find_first_not_of(Blanks);
    return first == std::string::npos
               ? ""
               : text.substr(first, text.find_last_not_of(Blanks) + 1 - first);
}

std::string_view wordOf(const BusChoice& bus) {
    return bus.flag.substr(2);
}

const BusChoice* busNamed(const std::string& word) {
    const auto& buses = busChoices();
    const auto found = std::find_if(buses.begin(), buses.end(), [&word](const BusChoice& bus) {
        return !bus.flag.empty() && wordOf(bus) == word;
    });
    return found == buses.end() ? nullptr : &*found;
}

std::string busWords() {
    std::string words;
    for (const BusChoice& bus : busChoices()) {
        if (!bus.flag.empty()) {
            words += (words.empty() ? "" : ", ") + std::string(wordOf(bus));
        }
    }
    return words;
}

} // namespace

std::filesystem::path portsFilePath(const char* configHome, const char* home) {
    // A relative configuration home is no home, as for every program that follows the rule.
    if (configHome != nullptr && configHome[0] == '/') {
        return std::filesystem::path(configHome) / "kordel/ports";
    }
    if (home != nullptr && home[0] != '\0') {
        return std::filesystem::path(home) / ".config/kordel/ports";
    }
    return {};
}

std::optional<std::string> readPortsFile(const std::filesystem::path& file, CommandLine& line) {
    std::error_code error;
    if (file.empty() || !std::filesystem::exists(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file);
    if (!std::filesystem::is_regular_file(file, error) || !in) {
        return file.string() + ": cannot be read as a file";
    }
    const BusChoice* bus = nullptr;
    int busLine = 0;
    int number = 0;
    const auto at = [&file](int lineNumber, const std::string& reason) {
        return file.string() + ":" + std::to_string(lineNumber) + ": " + reason;
    };
    for (std::string text; std::getline(in, text);) {
        ++number;
        const std::string entry = trimmed(text);
        if (entry.empty() || entry.front() == '#') {
            continue;
        }
        if (const BusChoice* named = busNamed(entry)) {
            if (bus != nullptr) {
                return at(number, "a second bus; line " + std::to_string(busLine) + " chose one");
            }
            bus = named;
            busLine = number;
        } else if (entry.find('=') == std::string::npos) {
            return at(number,
                      "'" + entry + "' is neither ADDR=PATH nor a bus (" + busWords() + ")");
        } else if (const auto reason = addBinding(line.devices, entry, file.parent_path())) {
            return at(number, *reason);
        }
    }
    if (bus != nullptr) {
        if (!line.devices.empty() && !bus->takesOption("--device")) {
            return at(busLine, std::string(wordOf(*bus)) + " takes no ADDR=PATH lines");
        }
        line.bus = bus->kind;
    }
    line.portsFrom = CommandLine::PortsFrom::PortsFile;
    return std::nullopt;
}

std::string portsFileHelp() {
    return "Without port options, they come from the ports file\n"
           "$XDG_CONFIG_HOME/kordel/ports (~/.config/kordel/ports by default): one\n"
           "ADDR=PATH binding a line, as --device takes it, or a bus\n(" +
           busWords() + ") on a line of its own; # starts a comment line.\n";
}

} // namespace kordel
