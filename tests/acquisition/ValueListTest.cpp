#include "acquisition/ValueList.h"

#include <gtest/gtest.h>

namespace kordel {
namespace {

std::vector<std::string> linesOf(const ValueList& list) {
    std::vector<std::string> lines;
    list.forEachLine([&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(ValueList, KeepsLinesInOrderThroughReplaceAndTruncate) {
    ValueList list;
    list.setLine(0, "2.509");
    list.append("1");
    list.append("");
    list.append("4.98");
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"2.509", "1", "", "4.98"}));

    list.setLine(1, "123.456");
    list.setLine(0, "");
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"", "123.456", "", "4.98"}));

    list.truncate(2);
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"", "123.456"}));
    list.append("7");
    EXPECT_EQ(list.line(2), "7");

    list.clear();
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace kordel
