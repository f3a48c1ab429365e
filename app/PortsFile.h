#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace kordel {

struct CommandLine;

// Where the ports file is looked for: $XDG_CONFIG_HOME/kordel/ports, else
// $HOME/.config/kordel/ports; nowhere without either.
std::filesystem::path portsFilePath(const char* configHome, const char* home);

// The ports file holds what the port options would: a binding a line, written as --device takes
// it, and at most one line that names a bus by its option without the dashes (raw-io for
// --raw-io). Blank lines and lines that start with # are passed over; blanks around a line are
// dropped. Fills the line's bus and bindings, or says why not, with the file and line number.
// A file that is not there holds nothing.
std::optional<std::string> readPortsFile(const std::filesystem::path& file, CommandLine& line);

// The lines of the help that describe the file.
std::string portsFileHelp();

} // namespace kordel
