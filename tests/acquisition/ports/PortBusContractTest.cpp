// The cases every port bus meets. A new bus is one more row of `Buses`: a factory that builds
// it with its fake hardware.

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/BitBangBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/FakeFtdiChips.h"
#include "acquisition/ports/FakeSerialCalls.h"
#include "acquisition/ports/RawIoBus.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/ports/SysfsTree.h"
#include "acquisition/vv55rWin.h"
#include "common/ErrorOf.h"
#include "support/NoPaths.h"
#include "support/TempFolder.h"

#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>

namespace kordel {
namespace {

using testing::HasSubstr;
using testing_support::errorOf;
using testing_support::FakeSerialCalls;
using testing_support::Nowhere;
using testing_support::TempFolder;
using Kind = RegisterAccess::Kind;

constexpr std::uint16_t Base = 0x3F8;

// A bus with its fake hardware, whose converter at `Base` gives `firstCode` at the first reading
// after a line set-up.
struct BusUnderTest {
    virtual ~BusUnderTest() = default;
    virtual PortBus& bus() = 0;
    // What has reached the hardware so far.
    virtual std::string hardware() const = 0;
    int firstCode = 0;
};

struct Demo : BusUnderTest {
    Demo() { firstCode = DemoBus::demoCode(75, 0); }
    PortBus& bus() override { return demo; }
    std::string hardware() const override { return ""; }
    DemoBus demo;
};

struct SerialDriver : BusUnderTest {
    SerialDriver() {
        calls.ctsBits = {true, false, true, false, false, true, false, true};
        firstCode = 0xA5;
    }
    PortBus& bus() override { return driver; }
    std::string hardware() const override {
        std::string seen;
        for (const std::string& call : calls.log) {
            seen += call + '\n';
        }
        return seen;
    }
    FakeSerialCalls calls;
    SerialDriverBus driver{calls, SerialPortLocator(calls, {{Base, "/dev/ttyUSB0"}}, Nowhere),
                           SettleRule(0, Nowhere)};
};

// A file stands in for the I/O space, with CTS set in the status register at `Base`.
struct RawIo : BusUnderTest {
    RawIo() {
        std::string space(0x1000, '\0');
        space[Base + ModemStatus] = static_cast<char>(CtsBit);
        folder.write("port", space);
        folder.write("sys/ttyS0/port", "0x3F8\n");
        folder.write("sys/ttyS0/type", "4\n");
        folder.write("dev/ttyS0", "");
        firstCode = 0xFF;
    }
    PortBus& bus() override { return raw; }
    std::string hardware() const override {
        std::ifstream in(folder.path / "port", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    TempFolder folder;
    FakeSerialCalls calls;
    RawIoBus raw{SerialPortLocator(calls, {}, {folder.path / "sys", folder.path / "dev"}),
                 (folder.path / "port").string()};
};

// An FT232R in bit-bang mode, with the demo converter at 3F8 on its pins.
struct BitBang : BusUnderTest {
    BitBang() {
        tree.usbAdapter("ttyUSB0", "ftdi_sio", 2, 0, "0403", "0600");
        chips.periods["/dev/bus/usb/001/002"] = 75;
        firstCode = DemoBus::demoCode(75, 0);
    }
    PortBus& bus() override { return bitBang; }
    std::string hardware() const override {
        std::string seen;
        for (const std::string& call : chips.log) {
            seen += call + '\n';
        }
        return seen;
    }
    testing_support::SysfsTree tree;
    testing_support::FakeFtdiChips chips;
    BitBangBus bitBang{{{Base, tree.dev("ttyUSB0")}}, chips, tree.paths()};
};

// Passes everything on, and keeps each sequence as it was handed over.
class TransferRecorder : public PortBus {
public:
    explicit TransferRecorder(PortBus& inner) : inner_(inner) {}
    void attach(std::uint16_t base) override { inner_.attach(base); }
    std::uint8_t in(std::uint16_t address) override { return inner_.in(address); }
    void out(std::uint16_t address, std::uint8_t value) override { inner_.out(address, value); }
    void transfer(std::span<RegisterAccess> accesses) override {
        handed.emplace_back(accesses.begin(), accesses.end());
        inner_.transfer(accesses);
    }
    PortDescription describe(std::uint16_t base) const override { return inner_.describe(base); }

    std::vector<std::vector<RegisterAccess>> handed;

private:
    PortBus& inner_;
};

struct BusFactory {
    const char* name;
    std::function<std::unique_ptr<BusUnderTest>()> make;
};

void PrintTo(const BusFactory& factory, std::ostream* out) {
    *out << factory.name;
}

class PortBusContract : public testing::TestWithParam<BusFactory> {
protected:
    std::unique_ptr<BusUnderTest> subject = GetParam().make();
    const std::string untouched = subject->hardware();
    SharedState state;
    testing_support::FakeClock clock;
};

TEST_P(PortBusContract, RefusesAnUnknownBaseAtAttach) {
    EXPECT_THAT(errorOf([&] { subject->bus().attach(0x300); }),
                HasSubstr("No serial port at address 300"));
    EXPECT_EQ(subject->hardware(), untouched);
}

TEST_P(PortBusContract, AccessesNoRegisterBeforeAttach) {
    PortBus& bus = subject->bus();
    for (const std::uint16_t offset : {LineControl, ModemControl, ModemStatus}) {
        EXPECT_THROW(bus.out(Base + offset, BreakBit | DtrBit), Error) << offset;
        EXPECT_THROW(bus.in(Base + offset), Error) << offset;
    }
    const PortBusScope useBus(bus);
    state.CurrentBase = Base;
    EXPECT_THROW(ReadConverterCode(state), Error);
    EXPECT_EQ(subject->hardware(), untouched);
}

TEST_P(PortBusContract, AReadingIsOneSequenceOfTheTwentySixAccesses) {
    TransferRecorder recorder(subject->bus());
    const PortBusScope useRecorder(recorder);
    state.CurrentBase = Base;
    InitConverter(state, clock);

    EXPECT_EQ(ReadConverterCode(state), subject->firstCode);

    const std::uint16_t control = Base + ModemControl;
    std::vector<RegisterAccess> reading{{Kind::Out, control, 0}};
    for (int bit = 0; bit < 8; ++bit) {
        reading.push_back({Kind::Out, control, RtsBit});
        reading.push_back({Kind::In, Base + ModemStatus});
        reading.push_back({Kind::Out, control, 0});
    }
    reading.push_back({Kind::Out, control, DtrBit});
    EXPECT_EQ(recorder.handed, std::vector<std::vector<RegisterAccess>>{reading});
}

template <typename Bus> BusFactory row(const char* name) {
    return {name, [] { return std::make_unique<Bus>(); }};
}

INSTANTIATE_TEST_SUITE_P(Buses, PortBusContract,
                         testing::Values(row<Demo>("Demo"), row<SerialDriver>("SerialDriver"),
                                         row<RawIo>("RawIo"), row<BitBang>("BitBang")),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kordel
