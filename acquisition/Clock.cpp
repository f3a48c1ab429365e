#include "Clock.h"

#include <cerrno>
#include <cmath>
#include <ctime>

namespace kordel {

double SteadyClock::now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) / 1e9;
}

void SteadyClock::wait(std::int32_t milliseconds) {
    waitUntil(now() + milliseconds / 1000.0);
}

// An absolute sleep on the clock now() reads: no drift from the time spent getting here, and a
// signal handled meanwhile resumes towards the same deadline.
void SteadyClock::waitUntil(double deadline) {
    const double seconds = std::floor(deadline);
    timespec until{};
    until.tv_sec = static_cast<time_t>(seconds);
    until.tv_nsec = static_cast<long>((deadline - seconds) * 1e9);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

} // namespace kordel
