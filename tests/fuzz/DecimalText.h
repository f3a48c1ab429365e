#pragma once

#include "fuzz/FuzzCheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace kordel::fuzzing {

// Fixed-layout fuzz input: missing bytes read as zero.
class InputBytes {
public:
    InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T> T take() {
        unsigned char bytes[sizeof(T)] = {};
        for (std::size_t i = 0; i < sizeof(T) && offset_ < size_; ++i) {
            bytes[i] = data_[offset_++];
        }
        T value;
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

inline std::string replaced(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
    return text;
}

// The whole text read by strtod; a text it does not take up entirely is a broken property.
// Both number texts spell values that are not finite the same way. Returns whether `value`
// was one of them, checked.
inline bool checkedNonFinite(double value, const std::string& dotted) {
    if (std::isnan(value)) {
        check(dotted == "NAN", "NaN", dotted);
        return true;
    }
    if (std::isinf(value)) {
        check(dotted == (value < 0 ? "-INF" : "INF"), "infinity", dotted);
        return true;
    }
    return false;
}

inline double parsedBack(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    check(!text.empty() && end == text.c_str() + text.size(), "parses back whole", text);
    return value;
}

// The power of ten of the leading digit: value = d.ddd * 10^exponent.
inline int leadingExponent(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17e", value);
    return std::atoi(std::strchr(buffer, 'e') + 1);
}

// How far a text that keeps the digits down to 10^lowestDigit may lie from the value:
// half a unit there (and the 18-digit rounding before it), plus strtod's own rounding.
inline bool closeEnough(double parsed, double value, int lowestDigit) {
    const long double gap = std::fabs(static_cast<long double>(parsed) - value);
    const double neighbour = std::nextafter(parsed, 0.0);
    const long double ulp = parsed == 0.0 ? std::numeric_limits<double>::denorm_min()
                                          : std::fabs(static_cast<long double>(parsed) - neighbour);
    return gap <= 0.501L * std::pow(10.0L, lowestDigit) + ulp;
}

inline bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace kordel::fuzzing
