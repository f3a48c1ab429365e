#pragma once

// The two floating-point number texts computed a second way, for the fuzz targets to compare
// with: the C library's exact expansion of the value to 18 significant digits read as one
// integer, the cut done in integer arithmetic (add half a unit of the last digit kept, then
// divide), and the text written from what is left.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kordel::fuzzing {

// A finite value as sign, integer and power of ten: ±significand × 10^scale.
struct Scaled {
    bool negative = false;
    std::uint64_t significand = 0;
    int scale = 0;
};

// 18 significant digits, rounded to nearest: an 18-digit significand, or 0.
inline Scaled eighteenDigits(long double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(value)); // d.ddddddddddddddddde±x
    std::string digits(1, buffer[0]);
    digits.append(buffer + 2, 17);
    return {std::signbit(value), std::stoull(digits), std::atoi(buffer + 20) - 17};
}

inline std::uint64_t powerOfTen(int exponent) {
    std::uint64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

// Keeps the digits down to 10^lowest, rounding up when the first digit dropped is 5 or more.
inline Scaled cutAt(Scaled value, int lowest) {
    const int dropped = lowest - value.scale;
    if (dropped <= 0) {
        return value;
    }
    // Beyond 18 digits the first digit dropped is a leading 0 of the significand: nothing is left.
    const std::uint64_t kept =
        dropped > 18 ? 0 : (value.significand + 5 * powerOfTen(dropped - 1)) / powerOfTen(dropped);
    return {value.negative, kept, lowest};
}

// The significant digits without trailing zeros and E of value = 0.digits × 10^E.
struct Digits {
    std::string digits;
    int exponent = 0;
};

inline Digits digitsOf(const Scaled& value) {
    std::string digits = std::to_string(value.significand);
    const int exponent = value.scale + static_cast<int>(digits.size());
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, exponent};
}

inline std::string zeros(int count) {
    return std::string(static_cast<std::size_t>(std::max(count, 0)), '0');
}

inline std::string signOf(const Scaled& value) {
    return value.negative && value.significand != 0 ? "-" : "";
}

// d1.d2...dnE(E-1), the point only when n > 1.
inline std::string exponentText(const Digits& d) {
    const std::string rest = d.digits.substr(1);
    return d.digits.substr(0, 1) + (rest.empty() ? "" : "." + rest) + "E" +
           std::to_string(d.exponent - 1);
}

inline std::string referenceGeneralText(long double value) {
    const Scaled full = eighteenDigits(value);
    const Scaled cut = cutAt(full, full.scale + 3); // 15 of the 18 digits
    if (cut.significand == 0) {
        return "0";
    }
    const Digits d = digitsOf(cut);
    const auto n = static_cast<int>(d.digits.size());
    const int e = d.exponent;
    std::string text = signOf(cut);
    if (e < -3 || e > 15) {
        return text + exponentText(d);
    }
    if (e <= 0) {
        return text + "0." + zeros(-e) + d.digits;
    }
    if (n <= e) {
        return text + d.digits + zeros(e - n);
    }
    return text + d.digits.substr(0, static_cast<std::size_t>(e)) + "." +
           d.digits.substr(static_cast<std::size_t>(e));
}

// Precisions outside 1..18 act as the nearest of them: 18 digits is all there is to keep.
inline std::string referenceFixedText(long double value, int precision, int decimals) {
    precision = std::clamp(precision, 1, 18);
    decimals = decimals >= 0 && decimals <= 17 ? decimals : 18;
    const Scaled full = eighteenDigits(value);
    const int e = full.scale + 18;
    // Down to 10^-decimals, but never more than `precision` significant digits.
    const Scaled cut = cutAt(full, std::max(-decimals, e - precision));
    const Digits d = digitsOf(cut);
    if (cut.significand != 0 && d.exponent > precision) {
        return signOf(cut) + exponentText(d);
    }
    // The significand, with the point `-scale` digits from its end and zeros on either side.
    std::string integer = std::to_string(cut.significand) + zeros(cut.scale);
    std::string fraction;
    if (cut.scale < 0) {
        integer = zeros(1 - cut.scale - static_cast<int>(integer.size())) + integer;
        fraction = integer.substr(integer.size() - static_cast<std::size_t>(-cut.scale));
        integer.erase(integer.size() - fraction.size());
    }
    fraction += zeros(decimals - static_cast<int>(fraction.size()));
    return signOf(cut) + integer + (decimals > 0 ? "." + fraction : "");
}

} // namespace kordel::fuzzing
