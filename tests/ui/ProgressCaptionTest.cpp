#include "ui/ProgressCaption.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

struct CaptionCase {
    std::int32_t pairs;
    std::int32_t total;
    double seconds;
    std::string caption;
};

class ProgressCaption : public testing::TestWithParam<CaptionCase> {};

TEST_P(ProgressCaption, ShowsPairsPercentAndTheTimeLeftAtThePaceSoFar) {
    EXPECT_EQ(progressCaption(GetParam().pairs, GetParam().total, GetParam().seconds),
              GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressCaption,
    testing::Values(
        CaptionCase{1234, 10000, 11.34, "1234 / 10000 (12 %), осталось 1:21"},
        CaptionCase{0, 10000, 0.0, "0 / 10000 (0 %)"},
        CaptionCase{1, 3, 0.0, "1 / 3 (33 %), осталось 0:00"},
        CaptionCase{1, 3, 29.6, "1 / 3 (33 %), осталось 0:59"},
        CaptionCase{1, 3, 29.75, "1 / 3 (33 %), осталось 1:00"},
        CaptionCase{3, 3, 5.0, "3 / 3 (100 %), осталось 0:00"},
        CaptionCase{1, 3600, 1.0, "1 / 3600 (0 %), осталось 59:59"},
        CaptionCase{1, 3601, 1.0, "1 / 3601 (0 %), осталось 1:00:00"},
        CaptionCase{1, 3602, 1.0, "1 / 3602 (0 %), осталось 1:00:01"},
        CaptionCase{25000000, 50000000, 25.0, "25000000 / 50000000 (50 %), осталось 0:25"},
        CaptionCase{10, 268435455, 10000.0, "10 / 268435455 (0 %), осталось 74565401:23:20"},
        CaptionCase{0, 0, 0.0, "0 / 0 (0 %)"}));

} // namespace
} // namespace kordel
