#include "common/NumberText.h"

#include "common/Error.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace kordel {
namespace {

struct IntegerCase {
    std::string text;
    std::int32_t value;
};

class AcceptedInteger : public testing::TestWithParam<IntegerCase> {};

TEST_P(AcceptedInteger, GivesItsValue) {
    EXPECT_EQ(parseInteger(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AcceptedInteger,
    testing::Values(IntegerCase{"0", 0}, IntegerCase{"12", 12}, IntegerCase{"   12", 12},
                    IntegerCase{"+5", 5}, IntegerCase{"-5", -5}, IntegerCase{"007", 7},
                    IntegerCase{"2147483647", 2147483647},
                    IntegerCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                    IntegerCase{"$3F8", 0x3F8}, IntegerCase{"$2f8", 0x2F8}, IntegerCase{"x10", 16},
                    IntegerCase{"X10", 16}, IntegerCase{"0x10", 16}, IntegerCase{"0XfF", 255},
                    IntegerCase{"$FFFFFFFF", -1},
                    IntegerCase{"$80000000", std::numeric_limits<std::int32_t>::min()},
                    IntegerCase{"$000000001234", 0x1234}, IntegerCase{" $0", 0}));

class RejectedInteger : public testing::TestWithParam<std::string> {};

TEST_P(RejectedInteger, FailsWithTheWholeText) {
    const std::string& text = GetParam();
    try {
        parseInteger(text);
        FAIL() << "accepted '" << text << "'";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), "'" + text + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, RejectedInteger,
                         testing::Values("", " ", "   ", "12 ", "1.5", "1e3", "1,5", "2147483648",
                                         "-2147483649", "99999999999999999999", "+", "-", "$", "0x",
                                         "x", "-$1", "+0x1", "$-1", "$123456789", "$G", "\t12",
                                         "12\t", "- 5", "abc", "3F8",
                                         std::string("1\0"
                                                     "2",
                                                     3),
                                         "１２"));

struct GeneralCase {
    long double value;
    std::string text;
};

class GeneralText : public testing::TestWithParam<GeneralCase> {};

TEST_P(GeneralText, MatchesTheRule) {
    EXPECT_EQ(generalText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, GeneralText,
    testing::Values(GeneralCase{0.0L, "0"}, GeneralCase{-0.0L, "0"}, GeneralCase{0.019, "0.019"},
                    GeneralCase{100, "100"}, GeneralCase{1.0L / 3, "0.333333333333333"},
                    GeneralCase{0.000015, "1.5E-5"}, GeneralCase{1e15L, "1E15"},
                    GeneralCase{2.509, "2.509"}, GeneralCase{1, "1"}, GeneralCase{-2.5, "-2.5"},
                    GeneralCase{0.0001, "0.0001"}, GeneralCase{0.00001, "1E-5"},
                    GeneralCase{123456789012345.0L, "123456789012345"},
                    GeneralCase{999999999999999.9L, "1E15"},
                    GeneralCase{1234567890123456.0L, "1.23456789012346E15"},
                    GeneralCase{-1e-20L, "-1E-20"}, GeneralCase{2147483647.0 * 5, "10737418235"},
                    GeneralCase{0.1 + 0.2, "0.3"},
                    GeneralCase{std::numeric_limits<double>::infinity(), "INF"}));

TEST(GeneralText, UsesTheGivenSeparator) {
    EXPECT_EQ(generalText(2.509, ','), "2,509");
    EXPECT_EQ(generalText(1.5e-7, ','), "1,5E-7");
}

struct FixedCase {
    long double value;
    int precision;
    int decimals;
    std::string text;
};

class FixedText : public testing::TestWithParam<FixedCase> {};

TEST_P(FixedText, MatchesTheRule) {
    const FixedCase& c = GetParam();
    EXPECT_EQ(fixedText(c.value, c.precision, c.decimals), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FixedText,
    testing::Values(FixedCase{0, 5, 2, "0.00"}, FixedCase{5.0L / 7, 5, 2, "0.71"},
                    FixedCase{-0.004, 5, 2, "0.00"}, FixedCase{12.34567, 5, 3, "12.346"},
                    FixedCase{1234.5678, 5, 3, "1234.600"}, FixedCase{2.5, 5, 0, "3"},
                    FixedCase{123456, 5, 2, "1.2346E5"}, FixedCase{100000, 5, 2, "1E5"},
                    FixedCase{0.345, 5, 2, "0.34"}, FixedCase{0.125, 5, 2, "0.13"},
                    FixedCase{99999.6, 5, 2, "1E5"}, FixedCase{-1.5, 5, 1, "-1.5"},
                    FixedCase{0.005, 5, 2, "0.01"}, FixedCase{0.0049, 5, 2, "0.00"},
                    FixedCase{0.001, 5, 3, "0.001"},
                    FixedCase{7.123, 5, -1, "7.123000000000000000"},
                    FixedCase{7.123, 5, 40, "7.123000000000000000"}, FixedCase{1e-6L, 5, 2, "0.00"},
                    FixedCase{5.0L / 7 * 7, 5, 2, "5.00"}));

TEST(FixedText, UsesTheGivenSeparator) {
    EXPECT_EQ(fixedText(0.5, 5, 2, ','), "0,50");
}

TEST(HexText, PadsToThreeDigitsAndNeverCuts) {
    EXPECT_EQ(hexText(0x3F8), "3F8");
    EXPECT_EQ(hexText(0x80), "080");
    EXPECT_EQ(hexText(0), "000");
    EXPECT_EQ(hexText(0x1234), "1234");
    EXPECT_EQ(hexText(0xFFFF), "FFFF");
}

} // namespace
} // namespace kordel
