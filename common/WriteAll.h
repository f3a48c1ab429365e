#pragma once

#include <string_view>

namespace kordel {

// Writes every byte to the descriptor, going on after a signal cuts a write short. False when a
// write fails or takes nothing.
bool writeAll(int descriptor, std::string_view bytes);

} // namespace kordel
