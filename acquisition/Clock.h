#pragma once

#include <cstdint>

namespace kordel {

// The time a run sees: the monotonic clock, and waits that end at their deadline, neither
// before nor noticeably after. Tests and the stoppable waits derive their clocks from it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now(); // seconds
    // Returns once now() has reached `deadline`; at once when it already has. Work done before
    // the deadline shortens the wait instead of adding to it.
    virtual void waitUntil(double deadline);
    // The same for the deadline `milliseconds` from now.
    virtual void wait(std::int32_t milliseconds);

protected:
    // Sleeps until now() reads `moment`, or somewhat later. Returns false when the wait is to
    // end at once instead.
    virtual bool sleepUntil(double moment);

private:
    double lead_ = 0.0005; // seconds a sleep ends before its deadline
};

// A clock of its own for whoever has none handed in, such as the serial driver bus's settle
// waits.
Clock& monotonicClock();

} // namespace kordel
