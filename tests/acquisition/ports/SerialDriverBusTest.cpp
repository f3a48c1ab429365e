#include "acquisition/ports/SerialDriverBus.h"

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/FakeSerialCalls.h"
#include "acquisition/ports/LaggingSerialCalls.h"
#include "acquisition/ports/SysfsTree.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"
#include "common/ErrorOf.h"
#include "support/NoPaths.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::errorOf;

using testing::DoubleEq;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing_support::FakeClock;
using testing_support::FakeSerialCalls;
using testing_support::LaggingSerialCalls;
using testing_support::TempFolder;

using std::chrono::milliseconds;

const std::string Usb = "/dev/ttyUSB0";
using testing_support::Nowhere;

class SerialDriverBusTest : public testing::Test {
protected:
    explicit SerialDriverBusTest(DeviceBindings bindings = {{0x3F8, Usb}}, int settle = 0)
        : bus(calls, SerialPortLocator(calls, std::move(bindings), Nowhere),
              SettleRule(settle, Nowhere), timer) {
        timer.seconds = 0;
    }

    void setUp(std::uint16_t base) {
        state.CurrentBase = base;
        InitConverter(state, clock);
    }

    double read(std::uint16_t base) {
        state.CurrentBase = base;
        return ReadConverter(state);
    }

    FakeSerialCalls calls;
    FakeClock timer;
    SerialDriverBus bus;
    PortBusScope useBus{bus};
    SharedState state;
    FakeClock clock;
};

TEST_F(SerialDriverBusTest, LineSetUpOpensExclusivelyAndSetsBothLinesAndTheBreak) {
    setUp(0x3F8);
    EXPECT_THAT(calls.log, ElementsAre(Usb + " open", Usb + " TIOCEXCL", Usb + " TIOCMBIS DTR",
                                       Usb + " TIOCMBIC RTS", Usb + " TIOCSBRK"));
}

TEST_F(SerialDriverBusTest, AReadingCostsOneCallPerRegisterAccess) {
    setUp(0x3F8);
    calls.log.clear();
    calls.ctsBits = {true, false, true, false, false, true, false, true};

    EXPECT_DOUBLE_EQ(read(0x3F8), codeToVolts(0xA5));

    std::vector<std::string> expected{Usb + " TIOCMBIC DTR"};
    for (int bit = 0; bit < 8; ++bit) {
        expected.insert(expected.end(),
                        {Usb + " TIOCMBIS RTS", Usb + " TIOCMGET", Usb + " TIOCMBIC RTS"});
    }
    expected.push_back(Usb + " TIOCMBIS DTR");
    EXPECT_THAT(calls.log, ElementsAreArray(expected));
    EXPECT_EQ(calls.log.size(), 26u);
    // Without a settle time the bus never looks at the time.
    EXPECT_EQ(timer.readings, 0);
    EXPECT_TRUE(timer.deadlines.empty());
}

TEST_F(SerialDriverBusTest, DeviceStaysOpenForLaterRuns) {
    setUp(0x3F8);
    read(0x3F8);
    calls.log.clear();
    setUp(0x3F8);
    EXPECT_THAT(calls.log, ElementsAre(Usb + " TIOCSBRK"));
}

TEST_F(SerialDriverBusTest, OnlyTheModemAndLineRegistersAreUsed) {
    setUp(0x3F8);
    calls.log.clear();
    for (std::uint16_t offset : {0, 1, 2, 5, 7}) {
        bus.out(0x3F8 + offset, 0xFF);
        EXPECT_EQ(bus.in(0x3F8 + offset), 0);
    }
    bus.out(0x3F8 + LineControl, 0x03);
    bus.out(0x3F8 + ModemControl, DtrBit | 0x0C);
    EXPECT_THAT(calls.log, ElementsAre(Usb + " TIOCCBRK"));
    EXPECT_EQ(errorOf([&] { bus.in(0x3F8 + 8); }), "No serial port at address 400");
}

TEST_F(SerialDriverBusTest, UnknownBaseFailsBeforeAnyCall) {
    EXPECT_EQ(errorOf([&] { setUp(0x2F8); }),
              "No serial port at address 2F8.\nThe system shows no serial device");
    EXPECT_EQ(errorOf([&] { bus.out(0x2FC, 1); }), "No serial port at address 2FC");
    EXPECT_TRUE(calls.log.empty());
}

// A newcomer's adapter has no address: the message shows what could be bound, and how.
TEST(SerialDriverBusDevicesTest, NoPortAtAnAddressListsTheSerialDevicesThereAndHowToBindOne) {
    testing_support::SysfsTree tree;
    tree.uartBehindSerialCore("ttyS0");
    tree.tty("ttyS1", "devices/platform/serial8250", "platform", "serial8250"); // no UART
    tree.usbSerial("ttyUSB0", "ch341-uart", "1ms");
    tree.acm("ttyACM0", "16ms");
    FakeSerialCalls calls;
    calls.ports[tree.dev("ttyS0")] = {0x3F8, 4};
    SystemPaths paths = tree.paths();
    paths.portsFile = "/home/u/.config/kordel/ports";
    SerialDriverBus bus(calls, SerialPortLocator(calls, {}, paths), SettleRule({}, paths));
    EXPECT_EQ(
        errorOf([&] { bus.attach(0x2F8); }),
        "No serial port at address 2F8.\nSerial devices on this computer: " + tree.dev("ttyACM0") +
            " (driver cdc_acm), " + tree.dev("ttyUSB0") + " (driver ch341-uart), " +
            tree.dev("ttyS0") +
            " (driver serial, port 3F8).\nBind one with --device 2F8=" + tree.dev("ttyACM0") +
            ", or with the line 2F8=" + tree.dev("ttyACM0") + " in /home/u/.config/kordel/ports");
}

class SharedDeviceTest : public SerialDriverBusTest {
protected:
    SharedDeviceTest() : SerialDriverBusTest({{0x3F8, Usb}, {0x2F8, Usb}}) {}
};

TEST_F(SharedDeviceTest, TwoAddressesMayNameOneDevice) {
    setUp(0x3F8);
    setUp(0x2F8);
    calls.ctsBits = std::deque<bool>(8, true);
    EXPECT_DOUBLE_EQ(read(0x3F8), 5.0);
    EXPECT_DOUBLE_EQ(read(0x2F8), 0.0);
    EXPECT_EQ(std::count(calls.log.begin(), calls.log.end(), Usb + " open"), 1);
    EXPECT_EQ(calls.log.size(), 5u + 1u + 2u * 26u);
}

class SettleTest : public SerialDriverBusTest {
protected:
    SettleTest() : SerialDriverBusTest({{0x3F8, Usb}, {0x2F8, "/dev/ttyUSB1"}}, 2) {}
};

TEST_F(SettleTest, StatusReadWaitsForTheSettleTimeAfterTheDevicesLastLineChange) {
    setUp(0x3F8);
    setUp(0x2F8);
    timer.deadlines.clear();

    timer.seconds = 0.010;
    bus.out(0x3F8 + ModemControl, RtsBit);
    timer.seconds = 0.011;
    bus.in(0x3F8 + ModemStatus);
    EXPECT_DOUBLE_EQ(timer.seconds, 0.012);

    // A change on the other device does not hold this one up.
    bus.out(0x2F8 + ModemControl, RtsBit);
    timer.seconds = 0.013;
    bus.in(0x3F8 + ModemStatus);
    EXPECT_DOUBLE_EQ(timer.seconds, 0.013);

    // Breaks are line changes too; a write that changes no line is none.
    bus.out(0x3F8 + LineControl, BreakBit);
    bus.out(0x3F8 + ModemControl, RtsBit);
    bus.in(0x3F8 + ModemStatus);
    EXPECT_DOUBLE_EQ(timer.seconds, 0.015);

    // Only status reads wait.
    EXPECT_THAT(timer.deadlines, ElementsAre(DoubleEq(0.012), DoubleEq(0.012), DoubleEq(0.015)));
}

TEST_F(SettleTest, AReadingStillCostsOneCallPerRegisterAccess) {
    setUp(0x3F8);
    calls.log.clear();
    calls.ctsBits = {true, true, false, false, false, false, false, true};
    EXPECT_DOUBLE_EQ(read(0x3F8), codeToVolts(0xC1));
    EXPECT_EQ(calls.log.size(), 26u);
    EXPECT_EQ(timer.deadlines.size(), 8u);
    EXPECT_DOUBLE_EQ(timer.seconds, 0.016);
}

// A line change through each of the two registers that make one: offset and value written.
class SettleAfterTheChange : public testing::TestWithParam<std::pair<std::uint16_t, std::uint8_t>> {
};

// On an adapter whose calls take 1 ms the settle time counts from the end of the line change.
TEST_P(SettleAfterTheChange, CountsFromTheMomentTheLineCallReturns) {
    FakeClock timer;
    timer.seconds = 0;
    LaggingSerialCalls calls(timer, milliseconds(1), milliseconds(0), {{Usb, 0x3F8}});
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{0x3F8, Usb}}, Nowhere),
                        SettleRule(2, Nowhere), timer);
    bus.attach(0x3F8);
    const auto [offset, value] = GetParam();
    bus.out(0x3F8 + offset, value);
    const double changed = timer.seconds;
    bus.in(0x3F8 + ModemStatus);
    EXPECT_DOUBLE_EQ(timer.seconds - changed, 0.002 + 0.001);
}

INSTANTIATE_TEST_SUITE_P(Registers, SettleAfterTheChange,
                         testing::Values(std::pair{LineControl, BreakBit},
                                         std::pair{ModemControl, RtsBit}));

TEST(SharedNameTest, TwoNamesOfOneDeviceShareOneOpenDevice) {
    TempFolder folder;
    folder.write("dev/ttyUSB0", "");
    std::filesystem::create_directories(folder.path / "dev/serial/by-id");
    const std::filesystem::path link = folder.path / "dev/serial/by-id/usb-1a86_7523-port0";
    std::filesystem::create_symlink("../../ttyUSB0", link);
    FakeSerialCalls calls;
    FakeClock timer;
    SerialDriverBus bus(
        calls,
        SerialPortLocator(calls,
                          {{0x3F8, link.string()}, {0x2F8, (folder.path / "dev/ttyUSB0").string()}},
                          Nowhere),
        SettleRule(0, Nowhere), timer);
    bus.attach(0x3F8);
    bus.attach(0x2F8);
    EXPECT_EQ(calls.openPaths.size(), 1u);
    EXPECT_EQ(bus.describe(0x2F8).device, link.string());
}

struct FailingCall {
    std::string call;
    int error;
    std::string message;
};

class FailingCallTest : public SerialDriverBusTest,
                        public testing::WithParamInterface<FailingCall> {};

TEST_P(FailingCallTest, EndsTheRunNamingDeviceAndReasonThenReopensAtTheNextSetUp) {
    const FailingCall& failing = GetParam();
    calls.failingCall = failing.call;
    calls.failure = failing.error;

    EXPECT_EQ(errorOf([&] {
                  setUp(0x3F8);
                  read(0x3F8);
              }),
              failing.message);
    EXPECT_TRUE(calls.openPaths.empty());

    calls.log.clear();
    setUp(0x3F8);
    EXPECT_EQ(calls.log.front(), Usb + " open");
    EXPECT_DOUBLE_EQ(read(0x3F8), 0.0);
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, FailingCallTest,
    testing::Values(
        FailingCall{"TIOCEXCL", EBUSY, "Serial port " + Usb + " failed: Device or resource busy"},
        FailingCall{"TIOCMBIS DTR", EIO, "Serial port " + Usb + " failed: Input/output error"},
        FailingCall{"TIOCMBIC RTS", ENODEV, "Serial port " + Usb + " failed: No such device"},
        FailingCall{"TIOCSBRK", ENOTTY,
                    "Serial port " + Usb + " failed: Inappropriate ioctl for device"},
        FailingCall{"TIOCMGET", EIO, "Serial port " + Usb + " failed: Input/output error"}));

TEST_F(SerialDriverBusTest, DeviceThatCannotBeOpenedIsNamedAndTriedAgain) {
    calls.openErrors[Usb] = EACCES;
    EXPECT_EQ(errorOf([&] { setUp(0x3F8); }),
              "Cannot open serial port " + Usb + ": Permission denied");
    calls.openErrors.clear();
    setUp(0x3F8);
    EXPECT_EQ(calls.openPaths.size(), 1u);
}

} // namespace
} // namespace kordel
