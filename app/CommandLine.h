#pragma once

#include "acquisition/ports/SerialPortLocator.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace kordel {

// How register reads and writes reach the ports.
enum class BusKind {
    SerialDriver, // the kernel's serial driver, the default
    Demo,         // simulated ports and converters
    RawIo,        // the I/O space through /dev/port
};

// What the command line asks for.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse, Check };

    Action action = Action::Run;
    BusKind bus = BusKind::SerialDriver;
    DeviceBindings devices;   // --device ADDR=PATH
    std::string com1 = "3F8"; // --com1 HEX, as typed in the "COM  1" field
    std::string com2 = "2F8"; // --com2 HEX
    std::string reason;       // why it was refused
    // --settle MS for every serial device; without it the bus chooses per driver
    std::optional<int> settle;
};

inline constexpr int UsageErrorStatus = 2;

// The program's arguments, without the program name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

std::string usageText();
std::string versionText();

// Answers help, version and refusals before any window opens: returns the exit status when the
// program should stop here, nothing when it should go on.
std::optional<int> answerWithoutWindows(const CommandLine& line, std::ostream& out,
                                        std::ostream& err);

} // namespace kordel
