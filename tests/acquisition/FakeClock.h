#pragma once

#include "acquisition/Clock.h"

#include <algorithm>
#include <vector>

namespace kordel::testing_support {

// Time that moves only when waited on (or advanced by hand); remembers every wait of a number of
// milliseconds.
class FakeClock : public Clock {
public:
    double now() override { return seconds; }
    void wait(std::int32_t milliseconds) override {
        waits.push_back(milliseconds);
        seconds += milliseconds / 1000.0;
    }
    void waitUntil(double deadline) override { seconds = std::max(seconds, deadline); }

    double seconds = 1000.0;
    std::vector<std::int32_t> waits;
};

} // namespace kordel::testing_support
