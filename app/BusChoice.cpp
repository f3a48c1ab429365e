#include "app/BusChoice.h"

#include "acquisition/ports/BitBangBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/RawIoBus.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "app/CommandLine.h"

#include <algorithm>

namespace kordel {

namespace {

std::unique_ptr<PortBus> serialDriverBus(const CommandLine& line) {
    SystemPaths paths;
    paths.portsFile = line.portsFile;
    return std::make_unique<SerialDriverBus>(
        systemSerialCalls(), SerialPortLocator(systemSerialCalls(), line.devices, paths),
        SettleRule(line.settle));
}

std::unique_ptr<PortBus> demoBus(const CommandLine&) {
    return std::make_unique<DemoBus>();
}

std::unique_ptr<PortBus> rawIoBus(const CommandLine& line) {
    return std::make_unique<RawIoBus>(SerialPortLocator(systemSerialCalls(), line.devices));
}

std::unique_ptr<PortBus> bitBangBus(const CommandLine& line) {
    return std::make_unique<BitBangBus>(line.devices);
}

} // namespace

bool BusChoice::takesOption(std::string_view option) const {
    return std::find(takes.begin(), takes.end(), option) != takes.end();
}

const std::vector<BusChoice>& busChoices() {
    static const std::vector<BusChoice> choices{
        {BusKind::SerialDriver,
         "",
         "the serial driver",
         "reach the ports through the serial driver",
         {"--device", "--settle"},
         serialDriverBus},
        {BusKind::Demo, "--demo", "--demo", "simulated ports and converters", {}, demoBus},
        {BusKind::RawIo,
         "--raw-io",
         "--raw-io",
         "direct I/O port access through /dev/port (needs root)",
         {},
         rawIoBus},
        {BusKind::BitBang,
         "--bitbang",
         "--bitbang",
         "drive the FTDI adapters given with --device in synchronous\n"
         "bit-bang mode: one USB round trip per reading",
         {"--device"},
         bitBangBus},
    };
    return choices;
}

const BusChoice& busChoice(BusKind kind) {
    const auto& choices = busChoices();
    return *std::find_if(choices.begin(), choices.end(),
                         [kind](const BusChoice& choice) { return choice.kind == kind; });
}

std::unique_ptr<PortBus> makePortBus(const CommandLine& line) {
    return busChoice(line.bus).make(line);
}

// The serial driver with the settle time it chooses per device, as a run without --bitbang.
std::optional<DriverComparison> driverComparison(const CommandLine& line, PortBus& bus) {
    if (line.bus != BusKind::BitBang) {
        return std::nullopt;
    }
    return DriverComparison{[&bus] { static_cast<BitBangBus&>(bus).giveBack(); },
                            [devices = line.devices] {
                                return std::make_unique<SerialDriverBus>(
                                    systemSerialCalls(),
                                    SerialPortLocator(systemSerialCalls(), devices));
                            }};
}

} // namespace kordel
