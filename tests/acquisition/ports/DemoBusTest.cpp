#include "acquisition/ports/DemoBus.h"

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::FakeClock;

class DemoConverters : public testing::Test {
protected:
    double read(std::uint16_t base) {
        state.CurrentBase = base;
        return ReadConverter(state);
    }
    void setUp(std::uint16_t base) {
        state.CurrentBase = base;
        InitConverter(state, clock);
    }

    DemoBus bus;
    PortBusScope useBus{bus};
    SharedState state;
    FakeClock clock;
};

TEST_F(DemoConverters, GiveTheirSineCodesCountedFromTheLineSetUp) {
    setUp(0x3F8);
    setUp(0x2F8);
    for (int k = 0; k < 160; ++k) {
        EXPECT_EQ(read(0x3F8), codeToVolts(DemoBus::demoCode(75, k))) << k;
        EXPECT_EQ(read(0x2F8), codeToVolts(DemoBus::demoCode(50, k))) << k;
    }
    setUp(0x3F8);
    EXPECT_EQ(read(0x3F8), codeToVolts(DemoBus::demoCode(75, 0)));
}

TEST(DemoCode, FollowsTheSineOfItsPeriod) {
    EXPECT_EQ(DemoBus::demoCode(75, 0), 128);
    EXPECT_EQ(DemoBus::demoCode(75, 75), 128);
    EXPECT_EQ(DemoBus::demoCode(50, 12), 255); // sin(2 pi 12/50) = 0.998
    EXPECT_EQ(DemoBus::demoCode(50, 38), 1);
    for (int k = 0; k < 150; ++k) {
        EXPECT_GE(DemoBus::demoCode(75, k), 1);
        EXPECT_LE(DemoBus::demoCode(75, k), 255);
    }
}

TEST_F(DemoConverters, ReadZeroWithoutBreakOrWithoutConverter) {
    bus.attach(0x3F8);
    EXPECT_EQ(read(0x3F8), 0.0); // never set up: unpowered
    setUp(0x3E8);
    EXPECT_EQ(read(0x3E8), 0.0); // a UART with nothing attached
}

TEST_F(DemoConverters, AnAddressWithoutUartIsNoSerialPort) {
    state.CurrentBase = 0x300;
    try {
        InitConverter(state, clock);
        FAIL();
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "No serial port at address 300");
    }
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_THROW(bus.out(0x1004, 1), Error);
}

} // namespace
} // namespace kordel
