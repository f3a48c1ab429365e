#pragma once

#include "common/Error.h"

#include <string>

namespace kordel::testing_support {

// The message of the Error that `action` throws, or "no error".
template <typename Action> std::string errorOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.message();
    }
    return "no error";
}

} // namespace kordel::testing_support
