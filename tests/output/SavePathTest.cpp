#include "output/SavePath.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

struct JoinCase {
    std::string_view directory;
    std::string_view name;
    std::string_view expected;
};

class SavePathJoin : public testing::TestWithParam<JoinCase> {};

TEST_P(SavePathJoin, PutsOneSlashBetweenDirectoryAndName) {
    EXPECT_EQ(BasePath(GetParam().directory, GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, SavePathJoin,
                         testing::Values(JoinCase{"/", "run", "/run"},
                                         JoinCase{"/data/runs", "ab", "/data/runs/ab"},
                                         JoinCase{"/data/runs/", "ab", "/data/runs/ab"},
                                         JoinCase{"/data", "run.txt", "/data/run.txt"},
                                         JoinCase{"/data", " a b ", "/data/ a b "},
                                         JoinCase{"/data", "/ab", "/data//ab"},
                                         JoinCase{"/data", "", "/data/"}));

} // namespace
} // namespace kordel
