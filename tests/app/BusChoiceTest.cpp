#include "app/BusChoice.h"

#include "acquisition/ports/DemoBus.h"
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

std::vector<std::string> chosenBy(const BusChoice& bus, std::vector<std::string> arguments = {}) {
    if (!bus.flag.empty()) {
        arguments.emplace(arguments.begin(), bus.flag);
    }
    return arguments;
}

// Each row of the bus choice: its flag chooses it, its factory makes its bus, and a port option
// goes with it exactly when the row lists it.
TEST(BusChoiceTest, EachRowIsChosenByItsFlagAndTakesOnlyItsPortOptions) {
    for (const BusChoice& bus : busChoices()) {
        SCOPED_TRACE(bus.name);
        const CommandLine line = parseCommandLine(chosenBy(bus));
        ASSERT_EQ(line.action, CommandLine::Action::Run);
        EXPECT_EQ(line.bus, bus.kind);
        const std::unique_ptr<PortBus> made = makePortBus(line);
        EXPECT_EQ(dynamic_cast<DemoBus*>(made.get()) != nullptr, bus.kind == BusKind::Demo);
        for (const auto& [option, value] :
             {std::pair{"--device", "3F8=/dev/ttyS0"}, std::pair{"--settle", "2"}}) {
            const CommandLine withOption = parseCommandLine(chosenBy(bus, {option, value}));
            EXPECT_EQ(withOption.action == CommandLine::Action::Refuse, !bus.takesOption(option))
                << option << ": " << withOption.reason;
        }
    }
}

} // namespace
} // namespace kordel
