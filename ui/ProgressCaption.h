#pragma once

#include <cstdint>
#include <string>

namespace kordel {

// The window caption while a run lasts: "1234 / 10000 (12 %), осталось 1:23", the time left
// estimated from the pace of the pairs read so far in `seconds`. Without a pair read there is
// no pace yet and no estimate.
std::string progressCaption(std::int32_t pairs, std::int32_t total, double seconds);

} // namespace kordel
