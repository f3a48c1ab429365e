#pragma once

#include "fuzz/FuzzCheck.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

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

static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended precision");

// A double, or after an odd first byte a long double: 8 bytes of significand and 2 of sign and
// exponent. The explicit integer bit is set exactly when the exponent is not 0, so no pattern
// is one of the encodings the processor refuses as operands.
inline long double takeValue(InputBytes& input) {
    if (input.take<std::uint8_t>() % 2 == 0) {
        return input.take<double>();
    }
    const std::uint64_t integerBit = std::uint64_t{1} << 63;
    auto significand = input.take<std::uint64_t>() & ~integerBit;
    const auto signAndExponent = input.take<std::uint16_t>();
    if ((signAndExponent & 0x7FFF) != 0) {
        significand |= integerBit;
    }
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &significand, sizeof significand);
    std::memcpy(bytes + sizeof significand, &signAndExponent, sizeof signAndExponent);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

inline std::string replaced(std::string text, char from, char to) {
    for (char& c : text) {
        if (c == from) {
            c = to;
        }
    }
    return text;
}

// Both number texts spell values that are not finite the same way. Returns whether `value`
// was one of them, checked.
inline bool checkedNonFinite(long double value, const std::string& dotted) {
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

} // namespace kordel::fuzzing
