#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/FakeSerialCalls.h"
#include "acquisition/ports/LaggingSerialCalls.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/ports/SysfsTree.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"
#include "support/DemoSeries.h"
#include "support/NoPaths.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::FakeSerialCalls;
using testing_support::LaggingSerialCalls;
using testing_support::SysfsTree;

using std::chrono::milliseconds;

using testing_support::demoVolts;
using testing_support::Nowhere;

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
        const PortBusScope useBus(bus);
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
    FakeClock timer;
    SerialDriverBus bus(system,
                        SerialPortLocator(system, {{0x3F8, terminal.path}, {0x2F8, terminal.path}}),
                        SettleRule({}, Nowhere), timer);

    EXPECT_EQ(runError(bus, "5"),
              "Serial port " + terminal.path + " failed: Inappropriate ioctl for device");
    EXPECT_TRUE(state.DataReady);
    EXPECT_TRUE(list1.empty());
    EXPECT_TRUE(list2.empty());
}

TEST_F(RunOverDriverTest, FailureMidRunKeepsThePairsReadCompletely) {
    FakeSerialCalls calls;
    calls.ctsBits = std::deque<bool>(100, true);
    FakeClock timer;
    SerialDriverBus bus(
        calls,
        SerialPortLocator(calls, {{0x3F8, "/dev/ttyUSB0"}, {0x2F8, "/dev/ttyUSB1"}}, Nowhere),
        SettleRule(0, Nowhere), timer);
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

// Two CH341 adapters whose drivers answer status from a cache the adapter refreshes every
// millisecond, so that CTS reads as it was 1 ms ago; the converters behind them give the demo's
// codes.
class CachedStatusTest : public RunOverDriverTest {
protected:
    CachedStatusTest() {
        tree.usbSerial("ttyUSB0", "ch341-uart", "1ms");
        tree.usbSerial("ttyUSB1", "ch341-uart", "1ms");
    }

    std::string runWith(SettleRule settle) {
        SerialDriverBus bus(
            calls,
            SerialPortLocator(calls, {{0x3F8, tree.dev("ttyUSB0")}, {0x2F8, tree.dev("ttyUSB1")}},
                              tree.paths()),
            std::move(settle), timer);
        return runError(bus, std::to_string(Pairs));
    }

    static constexpr int Pairs = 150;
    SysfsTree tree;
    FakeClock timer;
    LaggingSerialCalls calls{timer,
                             milliseconds(0),
                             milliseconds(1),
                             {{tree.dev("ttyUSB0"), 0x3F8}, {tree.dev("ttyUSB1"), 0x2F8}}};
};

TEST_F(CachedStatusTest, WithTheSettleTimeChosenForTheDriverEveryCodeIsExact) {
    EXPECT_EQ(runWith(SettleRule({}, tree.paths())), "no error");
    EXPECT_EQ(state.Samples1, demoVolts(75, Pairs));
    EXPECT_EQ(state.Samples2, demoVolts(50, Pairs));
    // 26 calls per reading, and the only waits are the 2 ms before each of the 16 status reads
    // of a pair.
    EXPECT_EQ(calls.statusReads + calls.lineChanges, 2 * 3 + 2 * Pairs * 26);
    EXPECT_NEAR(timer.seconds - 1000, Pairs * 16 * 0.002, 1e-9);
}

TEST_F(CachedStatusTest, WithoutASettleTimeTheCodesAreWrong) {
    EXPECT_EQ(runWith(SettleRule(0, tree.paths())), "no error");
    EXPECT_NE(state.Samples1, demoVolts(75, Pairs));
    EXPECT_NE(state.Samples2, demoVolts(50, Pairs));
}

} // namespace
} // namespace kordel
