#include "acquisition/AvailableMemory.h"

#include <gtest/gtest.h>
#include <sstream>

namespace kordel {
namespace {

struct MeminfoCase {
    std::string text;
    std::optional<std::uint64_t> bytes;
};

class MeminfoText : public testing::TestWithParam<MeminfoCase> {};

TEST_P(MeminfoText, GivesMemAvailableInBytes) {
    std::istringstream meminfo(GetParam().text);
    EXPECT_EQ(availableMemory(meminfo), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MeminfoText,
    testing::Values(MeminfoCase{"MemTotal:       24683772 kB\n"
                                "MemFree:        20531448 kB\n"
                                "MemAvailable:   21878672 kB\n",
                                21878672ULL * 1024},
                    MeminfoCase{"MemFree:        20531448 kB\nMemAvailable: 0 kB\n", 0},
                    MeminfoCase{"MemTotal:       24683772 kB\nMemFree:        20531448 kB\n",
                                std::nullopt},
                    MeminfoCase{"MemAvailable:   many kB\n", std::nullopt},
                    MeminfoCase{"", std::nullopt}));

TEST(AvailableMemory, TheSystemSaysHowMuchIsAvailable) {
    EXPECT_GT(systemAvailableMemory().value_or(0), 0U);
}

} // namespace
} // namespace kordel
