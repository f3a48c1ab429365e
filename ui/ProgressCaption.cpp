#include "ProgressCaption.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kordel {

namespace {

// m:ss below an hour, h:mm:ss from an hour on.
std::string duration(long long seconds) {
    char text[48];
    if (seconds < 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    }
    return text;
}

} // namespace

std::string progressCaption(std::int32_t pairs, std::int32_t total, double seconds) {
    const long long percent = total > 0 ? 100LL * pairs / total : 0;
    std::string caption = std::to_string(pairs) + " / " + std::to_string(total) + " (" +
                          std::to_string(percent) + " %)";
    if (pairs > 0 && pairs <= total) {
        const double left = seconds / pairs * (total - pairs);
        caption += ", осталось " + duration(std::llround(std::max(left, 0.0)));
    }
    return caption;
}

} // namespace kordel
