// parseInteger accepts exactly the texts the reference below accepts, with the same value, and
// fails on every other text with the message that quotes it whole.

#include "common/Error.h"
#include "common/NumberText.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

using kordel::fuzzing::check;

bool allOf(std::string_view text, std::string_view allowed) {
    return text.find_first_not_of(allowed) == std::string_view::npos;
}

std::string_view withoutLeadingZeros(std::string_view digits) {
    const auto first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view{} : digits.substr(first);
}

std::optional<std::int32_t> referenceHexadecimal(std::string_view digits) {
    if (digits.empty() || !allOf(digits, "0123456789abcdefABCDEF")) {
        return std::nullopt;
    }
    const std::string_view significant = withoutLeadingZeros(digits);
    if (significant.size() > 8) {
        return std::nullopt;
    }
    const unsigned long value =
        significant.empty() ? 0 : std::stoul(std::string(significant), nullptr, 16);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::optional<std::int32_t> referenceDecimal(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || !allOf(text, "0123456789")) {
        return std::nullopt;
    }
    const std::string_view significant = withoutLeadingZeros(text);
    if (significant.size() > 10) {
        return std::nullopt;
    }
    long long value = significant.empty() ? 0 : std::stoll(std::string(significant));
    if (negative) {
        value = -value;
    }
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> referenceInteger(std::string_view text) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    text.remove_prefix(start);
    for (std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            return referenceHexadecimal(text.substr(prefix.size()));
        }
    }
    return referenceDecimal(text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> expected = referenceInteger(text);
    std::optional<std::int32_t> actual;
    try {
        actual = kordel::parseInteger(text);
    } catch (const kordel::Error& error) {
        check(error.message() == "'" + text + "' is not a valid integer value",
              "the error quotes the whole text", error.message());
    }
    check(actual.has_value() == expected.has_value(), "accepts exactly the integer texts", text);
    if (actual) {
        check(*actual == *expected, "gives the reference value", text);
    }
    return 0;
}
