#pragma once

#include "acquisition/Clock.h"
#include "acquisition/ports/PortBus.h"

#include <optional>
#include <ostream>
#include <string>

namespace kordel {

struct LineCheckContext {
    PortBus& bus;
    Clock& clock; // the line set-up's waits, and the time of the calls
    std::ostream& out;
    std::ostream& err;
};

// Checks the converter lines at the port addresses typed as `com1` and `com2`: prints for each
// port how it is reached, how long a line change and a status read take, and 16 readings taken
// as a run takes them, with a verdict. Returns the exit status: 0 when both ports could be
// driven, else 1, with the error box's text on `err`.
// What readings that all gave `code` say of a converter line, when they point to a fault:
// every one 255, or every one 0.
std::optional<std::string> steadyLineFault(int code);

int checkLines(const std::string& com1, const std::string& com2, const LineCheckContext& context);

} // namespace kordel
