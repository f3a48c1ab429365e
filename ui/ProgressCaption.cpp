#include "ui/ProgressCaption.h"

#include "acquisition/Run.h"

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
    if (const std::optional<double> left = timeLeft(pairs, total, seconds)) {
        caption += ", осталось " + duration(std::llround(*left));
    }
    return caption;
}

} // namespace kordel
