#pragma once

#include <cstdint>

namespace kordel {

// The time a run sees: a monotonic clock and blocking waits.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() = 0; // seconds
    virtual void wait(std::int32_t milliseconds) = 0;
};

class SteadyClock : public Clock {
public:
    double now() override;
    void wait(std::int32_t milliseconds) override;
};

} // namespace kordel
