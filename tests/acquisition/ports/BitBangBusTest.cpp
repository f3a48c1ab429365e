#include "acquisition/ports/BitBangBus.h"

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/FakeFtdiChips.h"
#include "acquisition/ports/SysfsTree.h"
#include "acquisition/vv55rWin.h"
#include "common/ErrorOf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using testing_support::errorOf;
using testing_support::FakeFtdiChips;
using testing_support::SysfsTree;
using Kind = RegisterAccess::Kind;

constexpr std::uint16_t Base = 0x3F8;
constexpr std::uint16_t Control = Base + ModemControl;
constexpr std::uint16_t Status = Base + ModemStatus;
constexpr std::size_t None = PinProgram::NoSample;

// After the line set-up: DTR set, break on; only RTS's pin is high.
constexpr std::uint8_t LinesUp = RtsPin;

std::vector<RegisterAccess> reading() {
    std::vector<RegisterAccess> accesses{{Kind::Out, Control, 0}};
    for (int bit = 0; bit < 8; ++bit) {
        accesses.push_back({Kind::Out, Control, RtsBit});
        accesses.push_back({Kind::In, Status});
        accesses.push_back({Kind::Out, Control, 0});
    }
    accesses.push_back({Kind::Out, Control, DtrBit});
    return accesses;
}

TEST(BitBangPins, AReadingIsEighteenStatesAndEachBitIsSampledWhileRtsIsRaised) {
    const std::vector<RegisterAccess> accesses = reading();
    const PinProgram program = pinProgram(accesses, Base, LinesUp);

    // Select (DTR cleared), 8 times RTS raised and lowered, DTR set again; the break stays on.
    std::vector<std::uint8_t> states{DtrPin | RtsPin};
    std::vector<std::size_t> samples{None};
    for (std::size_t bit = 0; bit < 8; ++bit) {
        states.insert(states.end(), {DtrPin, DtrPin | RtsPin});
        // The sample that comes back for the state lowering RTS was taken while it was raised.
        samples.insert(samples.end(), {None, 2 + 2 * bit, None});
    }
    states.push_back(RtsPin);
    samples.push_back(None);
    EXPECT_EQ(program.states, states);
    EXPECT_EQ(program.samples, samples);
    EXPECT_EQ(program.pinsAfter, LinesUp);
}

TEST(BitBangPins, TheLineSetUpDrivesDtrThenTheBreakFromIdle) {
    const std::vector<RegisterAccess> setUp{{Kind::Out, Control, DtrBit},
                                            {Kind::Out, Base + LineControl, BreakBit}};
    EXPECT_THAT(pinProgram(setUp, Base, IdlePins).states, ElementsAre(TxdPin | RtsPin, RtsPin));
}

TEST(BitBangPins, AReadAfterTheLastChangeIsAnsweredByOneMoreState) {
    const std::vector<RegisterAccess> accesses{
        {Kind::Out, Control, RtsBit}, {Kind::In, Status}, {Kind::In, Base + 5}};
    const PinProgram program = pinProgram(accesses, Base, LinesUp);
    EXPECT_THAT(program.states, ElementsAre(DtrPin, DtrPin));
    EXPECT_THAT(program.samples, ElementsAre(None, 1u, None));
    EXPECT_THAT(pinProgram({{{Kind::In, Status}}}, Base, LinesUp).states, ElementsAre(LinesUp));
}

struct Decoding {
    int code;
    std::uint8_t otherPins; // as the other inputs read: they must not matter
};

class SampleDecoding : public testing::TestWithParam<Decoding> {};

TEST_P(SampleDecoding, CtsLowInTheSampleOfBitIIsBitIOfTheCode) {
    std::vector<RegisterAccess> accesses = reading();
    const PinProgram program = pinProgram(accesses, Base, LinesUp);
    std::vector<std::uint8_t> samples(program.states.size(), GetParam().otherPins | CtsPin);
    for (int bit = 0; bit < 8; ++bit) {
        if (((GetParam().code >> (7 - bit)) & 1) != 0) {
            samples[2 + 2 * bit] &= ~CtsPin;
        }
    }
    // Samples beside the bits' ones read CTS low: they must not count.
    samples[1] &= ~CtsPin;
    samples[3] &= ~CtsPin;
    readSamples(accesses, program, samples);

    int code = 0;
    for (int bit = 0; bit < 8; ++bit) {
        code = code << 1 | (accesses[2 + 3 * bit].value == CtsBit ? 1 : 0);
    }
    EXPECT_EQ(code, GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Codes, SampleDecoding,
                         testing::Values(Decoding{0, 0xFF}, Decoding{255, 0x00},
                                         Decoding{0xA5, 0x00}, Decoding{0x5A, 0xF7},
                                         Decoding{1, 0x55}, Decoding{128, 0xAA}));

struct Adapter {
    const char* name;
    std::string driver;
    int interface;
    std::string vendor;
    std::string release;
    std::string chip; // empty: refused
};

void PrintTo(const Adapter& adapter, std::ostream* out) {
    *out << adapter.name;
}

class UsbSerialLookup : public testing::TestWithParam<Adapter> {};

TEST_P(UsbSerialLookup, FindsTheUsbDeviceAndInterfaceBehindTheTty) {
    SysfsTree tree;
    const Adapter& adapter = GetParam();
    tree.usbAdapter("ttyUSB0", "cp210x", 4, 0, "10c4", "0100"); // another adapter beside it
    tree.usbAdapter("ttyUSB1", adapter.driver, 7, adapter.interface, adapter.vendor,
                    adapter.release);
    std::filesystem::create_directories(tree.folder.path / "dev/serial/by-id");
    std::filesystem::create_symlink("../../ttyUSB1", tree.folder.path / "dev/serial/by-id/usb-1");

    for (const std::string& path : {tree.dev("ttyUSB1"), tree.dev("serial/by-id/usb-1")}) {
        const UsbSerialDevice found = usbSerialDevice(path, tree.paths());
        EXPECT_TRUE(found.usb);
        EXPECT_EQ(found.driver, adapter.driver);
        EXPECT_EQ(found.node(), "/dev/bus/usb/001/007");
        EXPECT_EQ(found.interfaceNumber, adapter.interface);
        EXPECT_EQ(found.serial, "S7");
        EXPECT_EQ(found.bitBangChip(), adapter.chip);
    }
}

INSTANTIATE_TEST_SUITE_P(Adapters, UsbSerialLookup,
                         testing::Values(Adapter{"FT232R", "ftdi_sio", 0, "0403", "0600", "FT232R"},
                                         Adapter{"FT2232HSecondPort", "ftdi_sio", 1, "0403", "0700",
                                                 "FT2232H"},
                                         Adapter{"FT232BM", "ftdi_sio", 0, "0403", "0400", ""},
                                         Adapter{"CH340", "ch341-uart", 0, "1a86", "0264", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UsbSerialLookup, ALegacyPortHasNoUsbDevice) {
    SysfsTree tree;
    tree.uartBehindSerialCore("ttyS0");
    const UsbSerialDevice found = usbSerialDevice(tree.dev("ttyS0"), tree.paths());
    EXPECT_FALSE(found.usb);
    EXPECT_EQ(found.driver, "port");
    EXPECT_EQ(found.bitBangChip(), "");
}

class BitBangBusTest : public testing::Test {
protected:
    BitBangBusTest() {
        tree.usbAdapter("ttyUSB0", "ftdi_sio", 5, 0, "0403", "0600");
        tree.usbAdapter("ttyUSB1", "cp210x", 6, 0, "10c4", "0100");
        chips.periods["/dev/bus/usb/001/005"] = 75;
    }

    SysfsTree tree;
    FakeFtdiChips chips;
    BitBangBus bus{
        {{Base, tree.dev("ttyUSB0")}, {0x2F8, tree.dev("ttyUSB1")}}, chips, tree.paths()};
};

TEST_F(BitBangBusTest, OpensTheChipBehindTheTtyInBitBangAndClosesItWhenGivenBack) {
    bus.attach(Base);
    EXPECT_THAT(chips.log,
                ElementsAre("open /dev/bus/usb/001/005",
                            "bit-bang 21 " + std::to_string(BitBangBus::PinRate) + " 1"));
    const PortDescription port = bus.describe(Base);
    EXPECT_EQ(port.device,
              tree.dev("ttyUSB0") + " (USB device 001/005, serial S5, FT232R, interface A)");
    EXPECT_EQ(port.settleMilliseconds, 0);
    bus.giveBack();
    EXPECT_EQ(chips.log.back(), "close");
    EXPECT_THROW(bus.in(Status), Error);
}

TEST_F(BitBangBusTest, RefusesWhatItCannotDriveBeforeTouchingIt) {
    EXPECT_EQ(errorOf([&] { bus.attach(0x2F8); }),
              tree.dev("ttyUSB1") +
                  " is not an FTDI adapter with synchronous bit-bang (driver cp210x): --bitbang "
                  "cannot drive it");
    EXPECT_THAT(errorOf([&] { bus.attach(0x3E8); }),
                HasSubstr("with --bitbang, bind it to an FTDI adapter with --device 3E8="));
    EXPECT_TRUE(chips.log.empty());
}

TEST_F(BitBangBusTest, AnAdapterThatCannotBeOpenedIsNamedWithItsUsbNodeAndTheFix) {
    chips.periods.clear();
    EXPECT_EQ(errorOf([&] { bus.attach(Base); }),
              "Cannot open /dev/bus/usb/001/005 behind " + tree.dev("ttyUSB0") +
                  ": device not found. Install Kordel's udev rule (60-kordel-ftdi.rules) and "
                  "join the dialout group, then plug the adapter in again");
}

TEST_F(BitBangBusTest, AReadingIsOneWriteAndAFailedOneClosesTheChipForTheNextSetUp) {
    const PortBusScope scope(bus);
    SharedState state;
    state.CurrentBase = Base;
    testing_support::FakeClock clock;
    InitConverter(state, clock);
    chips.log.clear();
    EXPECT_EQ(ReadConverterCode(state), DemoBus::demoCode(75, 0));
    EXPECT_THAT(chips.log, ElementsAre("write 18"));

    chips.failingWrite = chips.writes + 1;
    EXPECT_EQ(errorOf([&] { ReadConverterCode(state); }),
              "USB adapter " + tree.dev("ttyUSB0") +
                  " (USB device 001/005) failed: usb bulk write failed");
    EXPECT_EQ(chips.log.back(), "close");
    EXPECT_THROW(ReadConverterCode(state), Error);

    chips.failingWrite = 0;
    InitConverter(state, clock);
    EXPECT_EQ(ReadConverterCode(state), DemoBus::demoCode(75, 0));
}

} // namespace
} // namespace kordel
