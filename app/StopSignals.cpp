#include "StopSignals.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kordel {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

StopRequest stopRequest;

// Written to by the handler: a wait that polls its other end cannot miss a signal that came
// just before it began.
int wakeUp[2] = {-1, -1};

void onStopSignal(int signal) {
    if (stopRequest.requested.load()) {
        _exit(128 + signal);
    }
    stopRequest.signal = signal;
    stopRequest.requested = true;
    const char byte = 0;
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = write(wakeUp[1], &byte, 1);
    errno = savedErrno;
}

timespec later(const timespec& from, std::int32_t milliseconds) {
    timespec at = from;
    at.tv_sec += milliseconds / 1000;
    at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1'000'000;
    if (at.tv_nsec >= 1'000'000'000) {
        at.tv_sec += 1;
        at.tv_nsec -= 1'000'000'000;
    }
    return at;
}

// The time from now until `deadline`, zero once it has passed.
timespec until(const timespec& deadline) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    timespec left{deadline.tv_sec - now.tv_sec, deadline.tv_nsec - now.tv_nsec};
    if (left.tv_nsec < 0) {
        left.tv_sec -= 1;
        left.tv_nsec += 1'000'000'000;
    }
    return left.tv_sec < 0 ? timespec{0, 0} : left;
}

} // namespace

StopRequest& installStopSignals() {
    if (wakeUp[0] < 0 && pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) {
        wakeUp[0] = wakeUp[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // writes to standard output go on; waits end anyway
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return stopRequest;
}

void StoppableClock::wait(std::int32_t milliseconds) {
    if (wakeUp[0] < 0) {
        SteadyClock::wait(milliseconds);
        return;
    }
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    const timespec deadline = later(start, milliseconds);
    pollfd signalled{wakeUp[0], POLLIN, 0};
    for (timespec left = until(deadline); left.tv_sec > 0 || left.tv_nsec > 0;
         left = until(deadline)) {
        if (ppoll(&signalled, 1, &left, nullptr) > 0) {
            return;
        }
    }
}

} // namespace kordel
