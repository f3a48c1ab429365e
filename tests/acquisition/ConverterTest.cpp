#include "acquisition/Converter.h"

#include "acquisition/FakeClock.h"
#include "acquisition/RecordingBus.h"
#include "acquisition/vv55rWin.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::PortAccess;
using testing_support::RecordingBus;

struct VoltsCase {
    int code;
    double volts;
};

class CodeToVolts : public testing::TestWithParam<VoltsCase> {};

TEST_P(CodeToVolts, CutsToMillivolts) {
    EXPECT_EQ(codeToVolts(GetParam().code), GetParam().volts);
}

INSTANTIATE_TEST_SUITE_P(Codes, CodeToVolts,
                         testing::Values(VoltsCase{0, 0.0}, VoltsCase{1, 0.019}, VoltsCase{51, 1.0},
                                         VoltsCase{102, 2.0}, VoltsCase{128, 2.509},
                                         VoltsCase{153, 3.0}, VoltsCase{204, 4.0},
                                         VoltsCase{254, 4.98}, VoltsCase{255, 5.0}));

TEST(CodeToVolts, NeverRoundsUpAndStaysInRange) {
    for (int code = 0; code <= 255; ++code) {
        const double volts = codeToVolts(code);
        EXPECT_LE(volts, 5.0 * code / 255) << code;
        EXPECT_GT(volts, 5.0 * code / 255 - 0.001) << code;
    }
}

class ConverterProtocol : public testing::Test {
protected:
    ConverterProtocol() { state.CurrentBase = 0x3F8; }

    RecordingBus bus;
    PortBusScope useBus{bus};
    SharedState state;
    FakeClock clock;
};

TEST_F(ConverterProtocol, LineSetUpChecksThePortThenRaisesDtrAndBreakWithItsWaits) {
    InitConverter(state, clock);
    EXPECT_EQ(bus.log,
              (std::vector<PortAccess>{{'a', 0x3F8, 0}, {'o', 0x3FC, 1}, {'o', 0x3FB, 0x40}}));
    EXPECT_EQ(clock.waits, (std::vector<std::int32_t>{100, 500}));
}

TEST_F(ConverterProtocol, AReadingClocksEightBitsWithNoWait) {
    ReadConverter(state);
    EXPECT_EQ(bus.writesTo(0x3FC),
              (std::vector<std::uint8_t>{0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 2, 0, 1}));
    std::size_t reads = 0;
    for (std::size_t i = 0; i < bus.log.size(); ++i) {
        if (bus.log[i].kind == 'i') {
            ++reads;
            EXPECT_EQ(bus.log[i].address, 0x3FE);
            EXPECT_EQ(bus.log[i - 1], (PortAccess{'o', 0x3FC, 2})) << "CTS sampled while RTS set";
        }
    }
    EXPECT_EQ(reads, 8U);
    EXPECT_EQ(bus.log.size(), 26U);
    EXPECT_TRUE(clock.waits.empty());
}

struct BitsCase {
    std::uint8_t pattern; // bit 7 is the first clock
    double volts;
};

class ConverterBits : public ConverterProtocol, public testing::WithParamInterface<BitsCase> {};

TEST_P(ConverterBits, FirstBitReadIsTheMostSignificant) {
    const std::uint8_t pattern = GetParam().pattern;
    // Other status bits must not count: only CTS carries the data.
    bus.status = [pattern](int read) -> std::uint8_t {
        return ((pattern >> (7 - read)) & 1) != 0 ? 0xFF : 0xEF;
    };
    EXPECT_EQ(ReadConverter(state), GetParam().volts);
}

INSTANTIATE_TEST_SUITE_P(Patterns, ConverterBits,
                         testing::Values(BitsCase{0xFF, 5.0}, BitsCase{0x80, 2.509},
                                         BitsCase{0x01, 0.019}, BitsCase{0x00, 0.0},
                                         BitsCase{0x33, 1.0}));

} // namespace
} // namespace kordel
