#include "app/LineCheck.h"

#include "acquisition/FakeClock.h"
#include "acquisition/RecordingBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/FakeSerialCalls.h"
#include "acquisition/ports/LaggingSerialCalls.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/ports/SysfsTree.h"
#include "common/Error.h"
#include "support/NoPaths.h"

#include <gtest/gtest.h>
#include <sstream>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::FakeSerialCalls;
using testing_support::LaggingSerialCalls;
using testing_support::RecordingBus;
using testing_support::SysfsTree;

using testing_support::Nowhere;

class LineCheckTest : public testing::Test {
protected:
    int check(PortBus& bus, const std::string& com1 = "3F8", const std::string& com2 = "2F8") {
        return checkLines(com1, com2, {bus, clock, out, err});
    }

    FakeClock clock;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(LineCheckTest, DemoBusReadsTheDemoCodesAfterASetUpAsARunDoesIt) {
    DemoBus demo;
    EXPECT_EQ(check(demo), 0);
    EXPECT_EQ(out.str(), R"(COM 1 at 3F8
  device:   simulated UART (--demo), driver none
  settle:   0 ms: the simulated status follows each line change at once
  timing:   one line change 0.000 ms, one status read 0.000 ms (median of 20)
  readings: 128 = 2.509 V, 139 = 2.725 V, 149 = 2.921 V, 160 = 3.137 V,
            170 = 3.333 V, 180 = 3.529 V, 189 = 3.705 V, 198 = 3.882 V,
            207 = 4.058 V, 215 = 4.215 V, 222 = 4.352 V, 229 = 4.490 V,
            235 = 4.607 V, 241 = 4.725 V, 245 = 4.803 V, 249 = 4.882 V
  verdict:  the readings vary: the converter answers

COM 2 at 2F8
  device:   simulated UART (--demo), driver none
  settle:   0 ms: the simulated status follows each line change at once
  timing:   one line change 0.000 ms, one status read 0.000 ms (median of 20)
  readings: 128 = 2.509 V, 144 = 2.823 V, 160 = 3.137 V, 175 = 3.431 V,
            189 = 3.705 V, 203 = 3.980 V, 215 = 4.215 V, 226 = 4.431 V,
            235 = 4.607 V, 243 = 4.764 V, 249 = 4.882 V, 253 = 4.960 V,
            255 = 5.000 V, 255 = 5.000 V, 253 = 4.960 V, 249 = 4.882 V
  verdict:  the readings vary: the converter answers
)");
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(clock.waits, (std::vector<std::int32_t>{100, 500, 100, 500}));
}

TEST_F(LineCheckTest, TimesAreMediansOfTwentyCallsAndReadingsWaitTheSettleTime) {
    using std::chrono::milliseconds;
    LaggingSerialCalls calls(clock, milliseconds(1), milliseconds(1),
                             {{"/dev/ttyUSB0", 0x3F8}, {"/dev/ttyUSB1", 0x2F8}});
    SerialDriverBus bus(
        calls,
        SerialPortLocator(calls, {{0x3F8, "/dev/ttyUSB0"}, {0x2F8, "/dev/ttyUSB1"}}, Nowhere),
        SettleRule(2, Nowhere), clock);
    EXPECT_EQ(check(bus), 0);
    // The first line change sets both lines and the first status read waits out the settle
    // time; the medians show what one call takes.
    EXPECT_NE(out.str().find("COM 2 at 2F8\n"
                             "  device:   /dev/ttyUSB1, driver unknown\n"
                             "  settle:   2 ms: set with --settle\n"
                             "  timing:   one line change 1.000 ms, one status read 1.000 ms "
                             "(median of 20)\n"
                             "  readings: 128 = 2.509 V, 144 = 2.823 V, 160 = 3.137 V"),
              std::string::npos)
        << out.str();
}

TEST_F(LineCheckTest, ATimeIsTheUpperOfTheMiddleTwoOfTwenty) {
    RecordingBus bus; // its status reads take 1 ms and 3 ms in turn
    bus.status = [this](int read) {
        clock.seconds += read % 2 == 0 ? 0.001 : 0.003;
        return std::uint8_t{0};
    };
    EXPECT_EQ(check(bus), 0);
    EXPECT_NE(out.str().find("one status read 3.000 ms"), std::string::npos) << out.str();
}

struct Verdict {
    std::function<std::uint8_t(int read)> status;
    std::string line;
};

class VerdictTest : public LineCheckTest, public testing::WithParamInterface<Verdict> {};

TEST_P(VerdictTest, NamesWhatTheReadingsShow) {
    RecordingBus bus;
    bus.status = GetParam().status;
    EXPECT_EQ(check(bus, "3F8", "3F8"), 0);
    const std::string expected = "  verdict:  " + GetParam().line + "\n";
    EXPECT_NE(out.str().find(expected), std::string::npos) << out.str();
}

constexpr int TimedReads = 20;

INSTANTIATE_TEST_SUITE_P(
    Readings, VerdictTest,
    testing::Values(
        Verdict{[](int) { return CtsBit; },
                "CTS reads set on every clock: the converter is absent, unpowered or not wired "
                "to CTS"},
        Verdict{[](int) { return 0; },
                "CTS reads clear on every clock: check the wiring, or the input is at 0 V"},
        Verdict{[](int read) { return read >= TimedReads && read % 8 == 4 ? CtsBit : 0; },
                "every reading gives code 128: the converter answers, its input is steady"},
        Verdict{[](int read) { return read % 7 == 0 ? CtsBit : 0; },
                "the readings vary: the converter answers"}));

TEST_F(LineCheckTest, FailingPortGivesTheErrorBoxTextAndExitStatusOneButTheOtherIsChecked) {
    FakeSerialCalls calls;
    calls.openErrors["/dev/ttyUSB0"] = EACCES;
    SerialDriverBus bus(
        calls,
        SerialPortLocator(calls, {{0x2F8, "/dev/ttyUSB0"}, {0x3E8, "/dev/ttyUSB1"}}, Nowhere),
        SettleRule({}, Nowhere), clock);

    EXPECT_EQ(check(bus, "2f8", "3E8"), 1);
    EXPECT_EQ(err.str(), "kordel: Cannot open serial port /dev/ttyUSB0: Permission denied.\n");
    EXPECT_TRUE(out.str().starts_with("COM 1 at 2F8\n\nCOM 2 at 3E8\n"
                                      "  device:   /dev/ttyUSB1, driver unknown\n"
                                      "  settle:   20 ms: the system shows no driver for this "
                                      "device: 20 ms, to be safe\n"))
        << out.str();
    EXPECT_NE(out.str().find("CTS reads clear on every clock"), std::string::npos);

    out.str("");
    err.str("");
    EXPECT_EQ(check(bus, "3E8", "3F8"), 1);
    EXPECT_EQ(err.str(), "kordel: No serial port at address 3F8.\n"
                         "The system shows no serial device.\n");
}

TEST_F(LineCheckTest, AFailedAllocationIsOutOfMemoryAndTheOtherPortIsChecked) {
    struct Exhausted : RecordingBus {
        std::uint8_t in(std::uint16_t) override { throw std::bad_alloc(); }
    } bus;
    EXPECT_EQ(check(bus), 1);
    EXPECT_EQ(err.str(), "kordel: Out of memory.\nkordel: Out of memory.\n");
}

struct Refused {
    std::string com1;
    std::string com2;
    std::string error;
};

class RefusedTest : public LineCheckTest, public testing::WithParamInterface<Refused> {};

TEST_P(RefusedTest, AddressesAreConvertedAndCheckedAsARunDoesBeforeAnyLineIsTouched) {
    RecordingBus bus;
    EXPECT_EQ(check(bus, GetParam().com1, GetParam().com2), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "kordel: " + GetParam().error + "\n");
    EXPECT_TRUE(bus.log.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RefusedTest,
    testing::Values(Refused{"zz", "2F8", "'$zz' is not a valid integer value."},
                    Refused{"3F8", "3FC",
                            "The ports at 3F8 and 3FC overlap: each port takes the 8 addresses "
                            "from its base on."}));

TEST_F(LineCheckTest, CdcAcmDeviceIsCalledUnreadable) {
    SysfsTree tree;
    tree.acm("ttyACM0", "16ms");
    FakeSerialCalls calls;
    SerialDriverBus bus(calls,
                        SerialPortLocator(calls, {{0x3F8, tree.dev("ttyACM0")}}, tree.paths()),
                        SettleRule({}, tree.paths()), clock);
    check(bus, "3F8", "3F8");
    EXPECT_NE(out.str().find("  settle:   32 ms: cdc_acm answers status from a cache the adapter "
                             "refreshes every 16 ms: twice that, at least 2 ms\n"
                             "  note:     cdc_acm reports CTS set whatever the line does: the "
                             "converter cannot be read through this device\n"),
              std::string::npos)
        << out.str();
}

std::function<std::uint8_t(int read)> steady(int code) {
    return [code](int read) { return ((code >> (7 - read % 8)) & 1) != 0 ? CtsBit : 0; };
}

// A bit-bang bus stands in as the bus under check, a recording bus as the serial driver's, each
// with a steady input; the driver's device is back only from its third attach on.
struct Comparison {
    int bitBangCode;
    int driverCode;
    int status;
    std::string line;
};

class ComparisonTest : public LineCheckTest, public testing::WithParamInterface<Comparison> {};

TEST_P(ComparisonTest, HoldsTheBusAgainstTheSerialDriverAfterGivingThePortBack) {
    RecordingBus bitBang;
    bitBang.status = steady(GetParam().bitBangCode);
    std::vector<std::string> steps;
    struct ReturningBus : RecordingBus {
        void attach(std::uint16_t base) override {
            if (++attaches < 3) {
                throw Error("Cannot open serial port /dev/ttyUSB0: No such file or directory");
            }
            RecordingBus::attach(base);
        }
        int attaches = 0;
    };
    const DriverComparison comparison{[&steps] { steps.push_back("give back"); },
                                      [&] {
                                          steps.push_back("driver");
                                          auto driver = std::make_unique<ReturningBus>();
                                          driver->status = steady(GetParam().driverCode);
                                          return driver;
                                      }};

    EXPECT_EQ(checkLines("3F8", "2F8", {bitBang, clock, out, err, &comparison}), GetParam().status);
    EXPECT_EQ(steps, (std::vector<std::string>{"give back", "driver", "give back", "driver"}));
    const std::string code = std::to_string(GetParam().bitBangCode);
    EXPECT_NE(out.str().find("  timing:   one reading 0.000 ms (median of 20)\n"),
              std::string::npos);
    EXPECT_NE(out.str().find("  compared: serial driver median " +
                             std::to_string(GetParam().driverCode) + " (" +
                             std::to_string(GetParam().driverCode) + " to " +
                             std::to_string(GetParam().driverCode) + "), bit-bang median " + code +
                             " (" + code + " to " + code + "): " + GetParam().line + "\n"),
              std::string::npos)
        << out.str();
    // Each port: set-up for its readings, two waits for the driver's tty, its set-up, then the
    // bus's set-up again.
    const std::vector<std::int32_t> port{100, 500, 100, 100, 100, 500, 100, 500};
    std::vector<std::int32_t> waits = port;
    waits.insert(waits.end(), port.begin(), port.end());
    EXPECT_EQ(clock.waits, waits);
    EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ComparisonTest,
    testing::Values(Comparison{100, 102, 0, "the two paths agree"},
                    Comparison{100, 97, 1,
                               "the two paths differ by more than 2 codes; on a steady input they "
                               "must agree, so the bit-bang path cannot be trusted here"}));

} // namespace
} // namespace kordel
