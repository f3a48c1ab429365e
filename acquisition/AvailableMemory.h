#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <optional>

namespace kordel {

// What the system can still give a process without swapping, in bytes, or nothing where it
// does not say.
using MemoryGauge = std::function<std::optional<std::uint64_t>()>;

// The MemAvailable line of a /proc/meminfo text.
std::optional<std::uint64_t> availableMemory(std::istream& meminfo);

// The kernel's own estimate, from /proc/meminfo.
std::optional<std::uint64_t> systemAvailableMemory();

} // namespace kordel
