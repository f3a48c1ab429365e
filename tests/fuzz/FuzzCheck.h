#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace kordel::fuzzing {

// A broken property stops the fuzzer with the input saved, like a crash.
inline void check(bool holds, const char* property, std::string_view detail = {}) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s [%.*s]\n", property,
                     static_cast<int>(detail.size()), detail.data());
        std::abort();
    }
}

} // namespace kordel::fuzzing
