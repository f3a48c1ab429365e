#include "acquisition/PortBases.h"

#include "acquisition/FakeClock.h"
#include "acquisition/RecordingBus.h"
#include "acquisition/Run.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "common/ErrorOf.h"
#include "common/NumberText.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

using testing_support::errorOf;

struct BasePair {
    std::uint16_t base1;
    std::uint16_t base2;
    bool overlap;
};

class PortBlocksTest : public testing::TestWithParam<BasePair> {};

TEST_P(PortBlocksTest, RefusesBlocksThatOverlapWithoutBeingOnePort) {
    const BasePair& pair = GetParam();
    const std::uint16_t base1 = pair.base1;
    const std::uint16_t base2 = pair.base2;
    const std::string expected = pair.overlap
                                     ? "The ports at " + hexText(base1) + " and " + hexText(base2) +
                                           " overlap: each port takes the 8 addresses from "
                                           "its base on"
                                     : "no error";
    EXPECT_EQ(errorOf([&] { checkPortBlocks(base1, base2); }), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, PortBlocksTest,
    testing::Values(BasePair{0x3F8, 0x2F8, false}, BasePair{0x3F8, 0x3F8, false},
                    BasePair{0x3F8, 0x400, false}, BasePair{0x400, 0x3F8, false},
                    BasePair{0x3F8, 0x3FC, true}, BasePair{0x3F8, 0x3F1, true},
                    BasePair{0x001, 0x002, true}, BasePair{0xFFFC, 0x0002, true},
                    BasePair{0xFFF8, 0x0000, false}));

TEST(PortBlocksRunTest, OverlapEndsTheRunAfterTheFieldsAreConvertedAndBeforeAnyLineIsTouched) {
    DemoBus demo;
    testing_support::RecordingBus bus;
    bus.inner = &demo;
    const PortBusScope useRecording(bus);
    SharedState state;
    ValueList list1;
    ValueList list2;
    testing_support::FakeClock clock;
    const auto run = [&](RunFields fields) {
        return errorOf([&] { performRun(fields, {state, list1, list2, clock}); });
    };

    EXPECT_EQ(run({"3F8", "3FC", "10", "0", "x", "1"}), "'x' is not a valid integer value");
    EXPECT_EQ(run({"3F8", "3FC", "10", "0", "1", "1"}),
              "The ports at 3F8 and 3FC overlap: each port takes the 8 addresses from its base on");
    EXPECT_EQ(state.Port2Base, 0x3FC);
    EXPECT_TRUE(bus.log.empty());
    EXPECT_TRUE(clock.waits.empty());

    EXPECT_EQ(run({"3F8", "3F8", "2", "0", "1", "1"}), "no error");
}

} // namespace
} // namespace kordel
