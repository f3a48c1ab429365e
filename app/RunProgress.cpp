#include "app/RunProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kordel {

namespace {

std::string clockText(double seconds) {
    const auto whole = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

} // namespace

std::string progressLine(std::int32_t done, std::int32_t total, double spentSeconds,
                         std::optional<double> leftSeconds) {
    const long long percent = total > 0 ? std::int64_t{done} * 100 / total : 100;
    const std::string left = leftSeconds ? clockText(*leftSeconds) : std::string("-:--:--");
    char text[160];
    std::snprintf(text, sizeof text, "%d/%d pairs  %lld %%  %s spent  %s left", done, total,
                  percent, clockText(spentSeconds).c_str(), left.c_str());
    return text;
}

std::string ProgressDisplay::update(const std::string& line) {
    std::string text = "\r" + line;
    if (line.size() < shownLength_) {
        text.append(shownLength_ - line.size(), ' ');
    }
    shownLength_ = line.size();
    return text;
}

std::string ProgressDisplay::erase() {
    std::string text = "\r" + std::string(shownLength_, ' ') + "\r";
    shownLength_ = 0;
    return text;
}

} // namespace kordel
