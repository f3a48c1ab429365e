#include "Clock.h"

#include <chrono>
#include <thread>

namespace kordel {

double SteadyClock::now() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double>(since).count();
}

void SteadyClock::wait(std::int32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace kordel
