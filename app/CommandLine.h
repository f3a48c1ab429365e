#pragma once

#include "acquisition/ports/SerialPortLocator.h"
#include "app/BusChoice.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kordel {

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, Measure, Check, Recover, ShowHelp, ShowVersion, Refuse };

    // Where the bus and the bindings came from.
    enum class PortsFrom { Defaults, CommandLine, PortsFile };

    Action action = Action::Run;
    BusKind bus = BusKind::SerialDriver;
    DeviceBindings devices; // --device ADDR=PATH
    PortsFrom portsFrom = PortsFrom::Defaults;
    std::filesystem::path portsFile; // where the ports file is looked for
    std::string com1 = "3F8";        // --com1 HEX, as typed in the "COM  1" field
    std::string com2 = "2F8";        // --com2 HEX
    // --settle MS for every serial device; without it the bus chooses per driver
    std::optional<int> settle;
    // A run without windows: --samples N selects it; the texts are those of the main window's
    // fields, with its defaults.
    std::string samples;           // --samples N
    std::string pause = "0";       // --pause MS
    std::string multiplier1 = "1"; // --multiplier1 K
    std::string multiplier2 = "1"; // --multiplier2 K
    // --save NAME: the three files instead of standard output, for --samples and --recover
    std::optional<std::string> save;
    std::string reason; // why it was refused
};

inline constexpr int UsageErrorStatus = 2;

// The program's arguments, without the program name; the ports file at `portsFile` is read when
// they hold no port option.
CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& portsFile = {});

// Where the line check's ports came from, as it says first.
std::string portsOriginText(const CommandLine& line);

std::string usageText();
std::string versionText();

// Answers help, version and refusals before any window opens: returns the exit status when the
// program should stop here, nothing when it should go on.
std::optional<int> answerWithoutWindows(const CommandLine& line, std::ostream& out,
                                        std::ostream& err);

} // namespace kordel
