#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kordel {

// Pixel rounding: nearest integer, halves to the even neighbour, saturated to 64 bits.
// llrint rounds in the default mode (to nearest, halves to even) and, unlike nearbyint, does
// not save the floating-point environment: a plot of a million points would spend most of its
// time there.
inline std::int64_t Round(long double value) {
    constexpr long double limit = 0x1p63L;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value <= -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return std::llrint(value);
}

} // namespace kordel
