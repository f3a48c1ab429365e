#pragma once

#include "acquisition/Clock.h"
#include "acquisition/ports/PortBus.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace kordel {

// For a bus that takes the ports away from their serial driver: the driver path to hold its
// readings against.
struct DriverComparison {
    std::function<void()> giveBack; // hands every port back to its serial driver
    std::function<std::unique_ptr<PortBus>()> makeDriverBus;
};

struct LineCheckContext {
    PortBus& bus;
    Clock& clock; // the line set-up's waits, and the time of the calls
    std::ostream& out;
    std::ostream& err;
    const DriverComparison* comparison = nullptr;
};

// What readings that all gave `code` say of a converter line, when they point to a fault:
// every one 255, or every one 0.
std::optional<std::string> steadyLineFault(int code);

// Checks the converter lines at the port addresses typed as `com1` and `com2`: prints for each
// port how it is reached, how long a line change and a status read take, and 16 readings taken
// as a run takes them, with a verdict. With a comparison, it times whole readings instead and
// then takes 16 readings through the serial driver and 16 more through the bus, which must agree
// within 2 codes. Returns the exit status: 0 when both ports could be driven (and agree), else 1,
// with the error box's text on `err`.
int checkLines(const std::string& com1, const std::string& com2, const LineCheckContext& context);

} // namespace kordel
