// fixedText of any double, precision, decimal count and separator: the separator only stands in
// for the full stop; the fixed form has exactly the decimals asked for (18 for a count outside
// 0..17), at most `precision` significant digits and no negative zero; the exponent form is taken
// only for values of `precision` integer digits or more; both read back to the value within half
// a unit of the last digit kept.

#include "common/NumberText.h"
#include "fuzz/DecimalText.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

namespace {

using namespace kordel::fuzzing;

int significantDigits(std::string_view digits) {
    const auto first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) {
        return 0;
    }
    return static_cast<int>(digits.find_last_not_of('0') - first + 1);
}

void checkExponentForm(std::string_view text, int precision) {
    const auto e = text.find('E');
    std::string_view mantissa = text.substr(0, e);
    std::string_view exponent = text.substr(e + 1);
    if (mantissa.starts_with('-')) {
        mantissa.remove_prefix(1);
    }
    check(isDigits(mantissa.substr(0, 1)) && mantissa[0] != '0', "one leading digit", text);
    if (mantissa.size() > 1) {
        check(mantissa[1] == '.' && isDigits(mantissa.substr(2)) && !mantissa.ends_with('0'),
              "mantissa decimals without trailing zeros", text);
    }
    std::string digits(mantissa.substr(0, 1));
    digits.append(mantissa.size() > 1 ? mantissa.substr(2) : std::string_view{});
    check(static_cast<int>(digits.size()) <= precision, "at most `precision` digits", text);
    check(isDigits(exponent) && exponent[0] != '0', "a plain positive exponent", text);
    check(std::stoi(std::string(exponent)) >= precision, "only values that reach 10^precision",
          text);
}

void checkFixedForm(std::string_view text, int precision, int decimals) {
    std::string_view rest = text;
    const bool negative = rest.starts_with('-');
    if (negative) {
        rest.remove_prefix(1);
    }
    const auto point = rest.find('.');
    const std::string_view integer = rest.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : rest.substr(point + 1);
    check(isDigits(integer) && (integer == "0" || integer[0] != '0'), "an integer part", text);
    check(static_cast<int>(integer.size()) <= precision, "at most `precision` integer digits",
          text);
    if (decimals == 0) {
        check(point == std::string_view::npos, "no separator without decimals", text);
    } else {
        check(point != std::string_view::npos && isDigits(fraction) &&
                  static_cast<int>(fraction.size()) == decimals,
              "exactly the decimals asked for", text);
    }
    const std::string digits = std::string(integer) + std::string(fraction);
    check(significantDigits(digits) <= precision, "at most `precision` significant digits", text);
    check(!negative || significantDigits(digits) > 0, "no negative zero", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputBytes input(data, size);
    const auto value = input.take<double>();
    const auto precision = input.take<std::int32_t>();
    const auto decimals = input.take<std::int32_t>();
    const auto separator = input.take<char>();

    const std::string dotted = kordel::fixedText(value, precision, decimals, '.');
    check(kordel::fixedText(value, precision, decimals, separator) ==
              replaced(dotted, '.', separator),
          "the separator stands only for the full stop", dotted);
    if (checkedNonFinite(value, dotted)) {
        return 0;
    }
    // Precisions outside 1..18 act as the nearest of them: 18 digits is all there is to keep.
    const int keptPrecision = std::clamp(precision, 1, 18);
    const int keptDecimals = decimals >= 0 && decimals <= 17 ? decimals : 18;
    if (dotted.find('E') != std::string::npos) {
        checkExponentForm(dotted, keptPrecision);
    } else {
        checkFixedForm(dotted, keptPrecision, keptDecimals);
    }
    const double parsed = parsedBack(dotted);
    if (value != 0.0) {
        const int e = leadingExponent(value) + 1; // value = 0.ddd * 10^e
        const int kept = std::min(e + keptDecimals, keptPrecision);
        check(closeEnough(parsed, value, e - kept), "the value to the digits kept", dotted);
    } else {
        check(parsed == 0.0, "zero", dotted);
    }
    return 0;
}
