#include "app/StopSignals.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
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

// The time from now until `moment`, zero once it has passed.
timespec until(double moment, double now) {
    const double left = std::max(0.0, moment - now);
    const double seconds = std::floor(left);
    return {static_cast<time_t>(seconds), static_cast<long>((left - seconds) * 1e9)};
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
    sigaction(SIGHUP, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return stopRequest;
}

int stopSignalDescriptor() {
    return wakeUp[0];
}

bool StoppableClock::sleepUntil(double moment) {
    if (wakeUp[0] < 0) {
        return Clock::sleepUntil(moment);
    }
    pollfd signalled{wakeUp[0], POLLIN, 0};
    for (timespec left = until(moment, now()); left.tv_sec > 0 || left.tv_nsec > 0;
         left = until(moment, now())) {
        if (ppoll(&signalled, 1, &left, nullptr) > 0) {
            return false;
        }
    }
    return true;
}

} // namespace kordel
