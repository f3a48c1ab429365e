#include "app/RunProgress.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

struct ProgressCase {
    std::int32_t done;
    std::int32_t total;
    double spent;
    std::optional<double> left;
    std::string line;
    std::optional<std::size_t> columns = std::nullopt;
};

class ProgressText : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressText, GivesPairsPercentAndBothTimes) {
    EXPECT_EQ(progressLine(GetParam().done, GetParam().total, GetParam().spent, GetParam().left,
                           GetParam().columns),
              GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ProgressText,
    testing::Values(
        ProgressCase{1, 1000, 1.2, std::nullopt, "1/1000 pairs  0 %  0:00:01 spent  -:--:-- left"},
        ProgressCase{250, 1000, 30, 90, "250/1000 pairs  25 %  0:00:30 spent  0:01:30 left"},
        ProgressCase{999, 1000, 3600, 3.6, "999/1000 pairs  99 %  1:00:00 spent  0:00:04 left"},
        ProgressCase{268435455, 268435455, 90061, 0,
                     "268435455/268435455 pairs  100 %  25:01:01 spent  0:00:00 left"},
        ProgressCase{0, 0, 0, 0, "0/0 pairs  100 %  0:00:00 spent  0:00:00 left"},
        // narrow terminals: the line stays shorter than a row
        ProgressCase{250, 1000, 30, 90, "250/1000 pairs  25 %  0:00:30 spent  0:01:30 left", 50},
        ProgressCase{250, 1000, 30, 90, "250/1000  25 %  0:01:30 left", 49},
        ProgressCase{250, 1000, 30, 90, "250/1000  25 %", 28},
        ProgressCase{250, 1000, 30, 90, "250/1000", 14},
        ProgressCase{250, 1000, 30, 90, "250/", 5}));

TEST(ProgressDisplay, EachUpdateOverwritesTheWholeLineBefore) {
    ProgressDisplay display;
    EXPECT_EQ(display.update("12345"), "\r12345");
    EXPECT_EQ(display.update("123"), "\r123  ");
    EXPECT_EQ(display.erase(), "\r   \r");
    EXPECT_EQ(display.update("1"), "\r1");
}

} // namespace
} // namespace kordel
