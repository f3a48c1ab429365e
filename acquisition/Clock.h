#pragma once

#include <cstdint>

namespace kordel {

// The time a run sees: a monotonic clock and blocking waits.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() = 0; // seconds
    virtual void wait(std::int32_t milliseconds) = 0;
    // Returns once now() has reached `deadline`; at once when it already has. Work done before
    // the deadline shortens the wait instead of adding to it.
    virtual void waitUntil(double deadline) = 0;
};

class SteadyClock : public Clock {
public:
    double now() override;
    void wait(std::int32_t milliseconds) override;
    void waitUntil(double deadline) override;

private:
    double lead_ = 0.0005; // seconds a sleep ends before its deadline
};

} // namespace kordel
