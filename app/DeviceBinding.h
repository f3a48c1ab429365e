#pragma once

#include "acquisition/ports/SerialPortLocator.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kordel {

// Adds a binding written ADDR=PATH, ADDR of 1 to 4 hexadecimal digits as typed in the port
// fields, a relative PATH taken from `folder` (empty: the current directory). Says why not when
// the text is malformed, the address too high or bound already, or its register block overlaps
// another binding's.
std::optional<std::string> addBinding(DeviceBindings& bindings, const std::string& text,
                                      const std::filesystem::path& folder);

} // namespace kordel
