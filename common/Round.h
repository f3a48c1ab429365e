#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace kordel {

// Pixel rounding: nearest integer, halves to the even neighbour, saturated to 64 bits.
inline std::int64_t Round(long double value) {
    constexpr long double limit = 9.2233720368547758e18L;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (value <= -limit) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(std::nearbyint(value));
}

} // namespace kordel
