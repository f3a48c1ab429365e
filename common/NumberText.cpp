#include "common/NumberText.h"

#include "common/Error.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

namespace kordel {

namespace {

// ---- integer input ----

bool isDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int hexDigitValue(char c) {
    if (isDecimalDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::int32_t> decimalValue(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : text) {
        if (!isDecimalDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<std::int32_t> hexadecimalValue(std::string_view digits) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    int significant = 0;
    for (char c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            return std::nullopt;
        }
        if (significant > 0 || digit != 0) {
            if (++significant > 8) {
                return std::nullopt;
            }
        }
        value = (value << 4) | static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::size_t> hexPrefixLength(std::string_view text) {
    if (text.starts_with('$') || text.starts_with('x') || text.starts_with('X')) {
        return 1;
    }
    if (text.starts_with("0x") || text.starts_with("0X")) {
        return 2;
    }
    return std::nullopt;
}

// ---- decimal digits of a floating-point value ----

// value = 0.d1 d2 ... dn * 10^exponent, d1 != 0, no trailing zeros; no digits for zero.
struct Digits {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool isZero() const { return digits.empty(); }
};

void dropTrailingZeros(Digits& d) {
    const auto last = d.digits.find_last_not_of('0');
    d.digits.erase(last == std::string::npos ? 0 : last + 1);
}

// The value taken to 18 significant digits, correctly rounded.
Digits eighteenDigits(long double value) {
    char buffer[64];
    const double narrow = static_cast<double>(value);
    // Exact doubles take the faster double path; both round the same exact value.
    const auto result = static_cast<long double>(narrow) == value
                            ? std::to_chars(buffer, buffer + sizeof buffer, narrow,
                                            std::chars_format::scientific, 17)
                            : std::to_chars(buffer, buffer + sizeof buffer, value,
                                            std::chars_format::scientific, 17);
    std::string_view text(buffer, result.ptr);

    Digits d;
    if (text.front() == '-') {
        d.negative = true;
        text.remove_prefix(1);
    }
    const auto e = text.find('e');
    d.digits.reserve(18);
    d.digits += text[0];
    d.digits.append(text.substr(2, e - 2));
    int exponent10 = 0;
    std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent10);
    d.exponent = exponent10 + 1;
    dropTrailingZeros(d);
    if (d.isZero()) {
        d.negative = false;
    }
    return d;
}

// Keeps `count` significant digits, rounding half up on the first dropped digit.
void roundToDigits(Digits& d, int count) {
    if (d.isZero() || count >= static_cast<int>(d.digits.size())) {
        return;
    }
    if (count < 0) {
        d.digits.clear();
        d.negative = false;
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(count)] >= '5';
    d.digits.erase(static_cast<std::size_t>(count));
    if (up) {
        auto i = d.digits.size();
        while (i > 0 && d.digits[i - 1] == '9') {
            d.digits[--i] = '0';
        }
        if (i == 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[i - 1];
        }
    }
    dropTrailingZeros(d);
    if (d.isZero()) {
        d.negative = false;
    }
}

std::optional<std::string> nonFiniteText(long double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    return std::nullopt;
}

std::string exponentForm(const Digits& d, char separator) {
    std::string text = d.negative ? "-" : "";
    text += d.digits[0];
    if (d.digits.size() > 1) {
        text += separator;
        text.append(d.digits, 1);
    }
    text += 'E';
    text += std::to_string(d.exponent - 1);
    return text;
}

std::string plainForm(const Digits& d, char separator) {
    std::string text = d.negative ? "-" : "";
    const auto count = static_cast<int>(d.digits.size());
    if (d.exponent <= 0) {
        text += '0';
        text += separator;
        text.append(static_cast<std::size_t>(-d.exponent), '0');
        text += d.digits;
        return text;
    }
    text.append(d.digits, 0, static_cast<std::size_t>(std::min(count, d.exponent)));
    if (count < d.exponent) {
        text.append(static_cast<std::size_t>(d.exponent - count), '0');
    } else if (count > d.exponent) {
        text += separator;
        text.append(d.digits, static_cast<std::size_t>(d.exponent));
    }
    return text;
}

char digitAt(const Digits& d, int position) {
    return position >= 0 && position < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(position)]
               : '0';
}

} // namespace

std::int32_t parseInteger(std::string_view text) {
    std::string_view rest = text;
    while (rest.starts_with(' ')) {
        rest.remove_prefix(1);
    }
    const auto prefix = hexPrefixLength(rest);
    const auto value = prefix ? hexadecimalValue(rest.substr(*prefix)) : decimalValue(rest);
    if (!value) {
        throw Error(notAnIntegerText(text));
    }
    return *value;
}

std::string notAnIntegerText(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::string generalText(long double value, char separator) {
    if (auto special = nonFiniteText(value)) {
        return *special;
    }
    Digits d = eighteenDigits(value);
    roundToDigits(d, 15);
    if (d.isZero()) {
        return "0";
    }
    if (d.exponent >= -3 && d.exponent <= 15) {
        return plainForm(d, separator);
    }
    return exponentForm(d, separator);
}

std::string fixedText(long double value, int precision, int decimals, char separator) {
    if (auto special = nonFiniteText(value)) {
        return *special;
    }
    // More than 18 digits never survive the first rounding; fewer than 1 would keep nothing.
    precision = std::clamp(precision, 1, 18);
    decimals = decimals >= 0 && decimals <= 17 ? decimals : 18;

    Digits d = eighteenDigits(value);
    if (!d.isZero()) {
        roundToDigits(d, std::min(d.exponent + decimals, precision));
    }
    if (!d.isZero() && d.exponent > precision) {
        return exponentForm(d, separator);
    }
    std::string text = d.negative ? "-" : "";
    if (d.exponent <= 0 || d.isZero()) {
        text += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) {
            text += digitAt(d, i);
        }
    }
    if (decimals > 0) {
        text += separator;
        for (int i = 0; i < decimals; ++i) {
            text += digitAt(d, d.exponent + i);
        }
    }
    return text;
}

std::string hexText(std::uint16_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%03X", static_cast<unsigned>(value));
    return buffer;
}

} // namespace kordel
