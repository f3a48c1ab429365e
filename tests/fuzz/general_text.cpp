// generalText of any double and any separator: the separator only stands in for the full stop,
// the text reads back to the value within half a unit of its 15th significant digit, and it is
// the canonical text of what it reads back to (15 digits at most, no trailing zeros, plain
// notation exactly for leading exponents -4..14).

#include "common/NumberText.h"
#include "fuzz/DecimalText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace kordel::fuzzing;

// The text of a value that has at most 15 significant digits, written independently.
std::string referenceText(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, std::strchr(buffer, 'e'));
    digits.erase(digits.find_last_not_of('0') + 1);
    const int e = std::atoi(std::strchr(buffer, 'e') + 1) + 1; // value = 0.digits * 10^e
    const auto n = static_cast<int>(digits.size());

    std::string text = value < 0 ? "-" : "";
    if (e < -3 || e > 15) {
        text += digits.substr(0, 1) + (n > 1 ? "." + digits.substr(1) : "");
        return text + "E" + std::to_string(e - 1);
    }
    if (e <= 0) {
        return text + "0." + std::string(static_cast<std::size_t>(-e), '0') + digits;
    }
    if (n <= e) {
        return text + digits + std::string(static_cast<std::size_t>(e - n), '0');
    }
    const auto integer = static_cast<std::size_t>(e);
    return text + digits.substr(0, integer) + "." + digits.substr(integer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const auto value = input.take<double>();
    const auto separator = input.take<char>();

    const std::string dotted = kordel::generalText(value, '.');
    check(kordel::generalText(value, separator) == replaced(dotted, '.', separator),
          "the separator stands only for the full stop", dotted);
    if (checkedNonFinite(value, dotted)) {
        return 0;
    }
    if (value == 0.0) {
        check(dotted == "0", "zero has no sign", dotted);
        return 0;
    }
    check(dotted.find_first_not_of("-.0123456789E") == std::string::npos, "only digits", dotted);
    const double parsed = parsedBack(dotted);
    check(closeEnough(parsed, value, leadingExponent(value) - 14), "same value to 15 digits",
          dotted);
    // Subnormals carry fewer digits than the text, so only normal values read back exactly.
    if (std::isnormal(parsed)) {
        check(dotted == referenceText(parsed), "canonical text",
              dotted + " " + referenceText(parsed));
    }
    return 0;
}
