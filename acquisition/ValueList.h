#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kordel {

// A channel value list: ordered text lines in one contiguous buffer.
class ValueList {
public:
    std::size_t size() const { return starts_.size(); }
    bool empty() const { return starts_.empty(); }
    std::string_view line(std::size_t index) const;

    void clear();
    void reserve(std::size_t lines, std::size_t characters);
    void append(std::string_view text);
    // Replaces line `index`; an index equal to size() appends.
    void setLine(std::size_t index, std::string_view text);
    // Keeps the first `count` lines.
    void truncate(std::size_t count);

    // Bytes held, counting capacity.
    std::size_t allocatedBytes() const;
    // Bytes a line of `characters` takes in a list reserved to its size.
    static constexpr std::size_t bytesPerLine(std::size_t characters) {
        return characters + sizeof(std::uint64_t);
    }

    template <typename Visit> void forEachLine(Visit visit) const {
        for (std::size_t i = 0; i < size(); ++i) {
            visit(line(i));
        }
    }

private:
    std::string text_;
    std::vector<std::uint64_t> starts_;
};

} // namespace kordel
