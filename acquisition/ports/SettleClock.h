#pragma once

#include <chrono>

namespace kordel {

// The monotonic time the serial driver bus waits on before a status read, so that tests can
// stand in for it. Times count from an arbitrary fixed moment.
class SettleClock {
public:
    virtual ~SettleClock() = default;
    virtual std::chrono::nanoseconds now() = 0;
    // Returns at once when `deadline` has passed.
    virtual void sleepUntil(std::chrono::nanoseconds deadline) = 0;
};

// CLOCK_MONOTONIC of the running system.
SettleClock& systemSettleClock();

} // namespace kordel
