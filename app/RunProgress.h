#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kordel {

// One line of a run's progress: "pairs done/N  percent  time spent  time left", times as
// H:MM:SS; a time left not known yet shows as "-:--:--". With `columns`, the line is shorter
// than that, so the terminal does not wrap it: what matters least goes first.
std::string progressLine(std::int32_t done, std::int32_t total, double spentSeconds,
                         std::optional<double> leftSeconds,
                         std::optional<std::size_t> columns = std::nullopt);

// The progress line as a terminal shows it: each update overwrites the previous one.
class ProgressDisplay {
public:
    // The text that replaces the line shown with `line`.
    std::string update(const std::string& line);
    // The text that removes the line shown, so other output can take its place.
    std::string erase();

private:
    std::size_t shownLength_ = 0;
};

} // namespace kordel
