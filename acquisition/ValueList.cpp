#include "acquisition/ValueList.h"

namespace kordel {

std::string_view ValueList::line(std::size_t index) const {
    const std::size_t start = starts_[index];
    const std::size_t end = index + 1 < starts_.size() ? starts_[index + 1] : text_.size();
    return std::string_view(text_).substr(start, end - start);
}

void ValueList::clear() {
    text_.clear();
    starts_.clear();
}

void ValueList::reserve(std::size_t lines, std::size_t characters) {
    starts_.reserve(lines);
    text_.reserve(characters);
}

void ValueList::append(std::string_view text) {
    starts_.push_back(text_.size());
    text_.append(text);
}

void ValueList::setLine(std::size_t index, std::string_view text) {
    if (index == size()) {
        append(text);
        return;
    }
    const std::size_t start = starts_[index];
    const std::size_t oldLength = line(index).size();
    text_.replace(start, oldLength, text);
    const auto shift =
        static_cast<std::int64_t>(text.size()) - static_cast<std::int64_t>(oldLength);
    for (std::size_t i = index + 1; i < starts_.size(); ++i) {
        starts_[i] = static_cast<std::uint64_t>(static_cast<std::int64_t>(starts_[i]) + shift);
    }
}

void ValueList::truncate(std::size_t count) {
    if (count >= size()) {
        return;
    }
    text_.resize(starts_[count]);
    starts_.resize(count);
}

std::size_t ValueList::allocatedBytes() const {
    return text_.capacity() + starts_.capacity() * sizeof(std::uint64_t);
}

} // namespace kordel
