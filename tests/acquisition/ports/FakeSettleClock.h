#pragma once

#include "acquisition/ports/SettleClock.h"

#include <algorithm>
#include <vector>

namespace kordel::testing_support {

// Time that moves only when slept on, or advanced by hand; counts what it is asked.
class FakeSettleClock : public SettleClock {
public:
    std::chrono::nanoseconds now() override {
        ++readings;
        return time;
    }
    void sleepUntil(std::chrono::nanoseconds deadline) override {
        sleeps.push_back(deadline);
        time = std::max(time, deadline);
    }

    std::chrono::nanoseconds time{0};
    int readings = 0;
    std::vector<std::chrono::nanoseconds> sleeps; // deadlines, in order
};

} // namespace kordel::testing_support
