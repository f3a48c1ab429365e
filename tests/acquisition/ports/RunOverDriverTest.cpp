#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/FakeSerialCalls.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::FakeSerialCalls;

// A pseudo-terminal opens like a serial port but has no modem lines, so its line calls fail.
class PseudoTerminal {
public:
    PseudoTerminal() : master(posix_openpt(O_RDWR | O_NOCTTY)) {
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) {
            path = ptsname(master);
        }
    }
    ~PseudoTerminal() {
        if (master >= 0) {
            close(master);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int master;
    std::string path;
};

class RunOverDriverTest : public testing::Test {
protected:
    std::string runError(PortBus& bus, const std::string& samples) {
        usePortBus(bus);
        try {
            performRun({"3F8", "2F8", samples, "0", "1", "1"}, {state, list1, list2, clock});
        } catch (const Error& error) {
            return error.message();
        }
        return "no error";
    }

    SharedState state;
    ValueList list1;
    ValueList list2;
    FakeClock clock;
};

TEST_F(RunOverDriverTest, PseudoTerminalEndsTheRunAtItsFirstLineCall) {
    PseudoTerminal terminal;
    ASSERT_FALSE(terminal.path.empty());
    SerialCalls& system = systemSerialCalls();
    SerialDriverBus bus(
        system, SerialPortLocator(system, {{0x3F8, terminal.path}, {0x2F8, terminal.path}}));

    EXPECT_EQ(runError(bus, "5"),
              "Serial port " + terminal.path + " failed: Inappropriate ioctl for device");
    EXPECT_TRUE(state.DataReady);
    EXPECT_TRUE(list1.empty());
    EXPECT_TRUE(list2.empty());
}

TEST_F(RunOverDriverTest, FailureMidRunKeepsThePairsReadCompletely) {
    FakeSerialCalls calls;
    calls.ctsBits = std::deque<bool>(100, true);
    SerialDriverBus bus(calls,
                        SerialPortLocator(calls, {{0x3F8, "/dev/ttyUSB0"}, {0x2F8, "/dev/ttyUSB1"}},
                                          {"/nonexistent", "/nonexistent"}));
    calls.failingCall = "TIOCMGET";
    calls.failingOccurrence = 17; // in the third reading: channel 1 of the second pair

    EXPECT_EQ(runError(bus, "5"), "Serial port /dev/ttyUSB0 failed: Input/output error");
    EXPECT_EQ(state.SampleCount, 1);
    EXPECT_EQ(state.Samples1, std::vector<double>{5.0});
    EXPECT_EQ(state.Samples2, std::vector<double>{5.0});
    EXPECT_EQ(list1.size(), 1u);
    EXPECT_EQ(list2.size(), 1u);
    EXPECT_TRUE(state.DataReady);

    // The failed device is opened afresh by the next run, which then reads all it asks for.
    EXPECT_EQ(runError(bus, "4"), "no error");
    EXPECT_EQ(state.SampleCount, 4);
    EXPECT_EQ(list1.size(), 4u);
    EXPECT_EQ(list2.size(), 4u);
}

} // namespace
} // namespace kordel
