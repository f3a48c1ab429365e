#include "app/RunProgress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

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
                         std::optional<double> leftSeconds, std::optional<std::size_t> columns) {
    const long long percent = total > 0 ? std::int64_t{done} * 100 / total : 100;
    const std::string count = std::to_string(done) + "/" + std::to_string(total);
    const std::string share = "  " + std::to_string(percent) + " %";
    const std::string spent = "  " + clockText(spentSeconds) + " spent";
    const std::string left =
        "  " + (leftSeconds ? clockText(*leftSeconds) : std::string("-:--:--")) + " left";
    const std::string forms[] = {count + " pairs" + share + spent + left, count + share + left,
                                 count + share, count};
    for (const std::string& form : forms) {
        if (!columns || form.size() < *columns) {
            return form;
        }
    }
    return count.substr(0, *columns > 0 ? *columns - 1 : 0);
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
