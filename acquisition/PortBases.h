#pragma once

#include <cstdint>
#include <string>

namespace kordel {

// A port base typed in a port field: hexadecimal without prefix, of which the low 16 bits
// count. Throws the integer conversion's error.
std::uint16_t portBase(const std::string& text);

// Throws, before any line is touched, when the register blocks of the two ports overlap
// without being one port.
void checkPortBlocks(std::uint16_t base1, std::uint16_t base2);

} // namespace kordel
