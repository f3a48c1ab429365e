#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kordel {

// Integer input: optional leading blanks, then a signed decimal or a "$", "x" or "0x"
// hexadecimal pattern of at most 8 significant digits. Throws Error otherwise.
std::int32_t parseInteger(std::string_view text);

// The message of that error for `text`.
std::string notAnIntegerText(std::string_view text);

// Shortest plain or exponent form with at most 15 significant digits.
std::string generalText(long double value, char separator = '.');

// Fixed-point form with at most `precision` significant digits and exactly `decimals`
// decimals (18 when `decimals` lies outside 0..17).
std::string fixedText(long double value, int precision, int decimals, char separator = '.');

// Upper-case hexadecimal, zero-padded to at least 3 digits.
std::string hexText(std::uint16_t value);

} // namespace kordel
