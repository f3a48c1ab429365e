#include "app/DeviceBinding.h"

#include "acquisition/ports/PortBus.h"
#include "common/NumberText.h"

#include <algorithm>
#include <cctype>
#include <iterator>

namespace kordel {

namespace {

std::optional<std::pair<std::uint16_t, std::string>> parseBinding(const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals > 4 || equals + 1 == text.size()) {
        return std::nullopt;
    }
    const std::string address = text.substr(0, equals);
    if (!std::all_of(address.begin(), address.end(),
                     [](unsigned char c) { return std::isxdigit(c) != 0; })) {
        return std::nullopt;
    }
    return std::pair{static_cast<std::uint16_t>(std::stoul(address, nullptr, 16)),
                     text.substr(equals + 1)};
}

// A relative path would name another file once the save dialog has changed the directory.
std::string absolutePath(const std::string& path, const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder / path, error);
    return error ? path : absolute.string();
}

// Two bindings closer than a port's register block would mix the lines of two devices.
std::optional<std::string> overlap(const DeviceBindings& bindings,
                                   DeviceBindings::const_iterator added) {
    const auto lower = added == bindings.begin() ? bindings.end() : std::prev(added);
    const auto higher = std::next(added);
    for (const auto& [first, second] : {std::pair{lower, added}, std::pair{added, higher}}) {
        if (first != bindings.end() && second != bindings.end() &&
            blocksOverlap(first->first, second->first)) {
            return "bindings " + hexText(first->first) + " and " + hexText(second->first) +
                   " overlap: each port takes the 8 addresses from its base on";
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> addBinding(DeviceBindings& bindings, const std::string& text,
                                      const std::filesystem::path& folder) {
    const auto binding = parseBinding(text);
    if (!binding) {
        return "malformed binding '" + text + "': expected ADDR=PATH, ADDR hexadecimal up to FFFF";
    }
    if (binding->first > HighestBase) {
        return "address " + hexText(binding->first) +
               " is too high: a port's 8 registers must end by FFFF";
    }
    const auto [added, isNew] =
        bindings.emplace(binding->first, absolutePath(binding->second, folder));
    if (!isNew) {
        return "address " + hexText(binding->first) + " is bound twice";
    }
    return overlap(bindings, added);
}

} // namespace kordel
