#pragma once

#include "acquisition/Clock.h"

#include <atomic>

namespace kordel {

// A request to end a run early, as a signal makes it: the flag the run watches and the signal
// that set it, which gives the exit status.
struct StopRequest {
    std::atomic<bool> requested{false};
    std::atomic<int> signal{0};

    int exitStatus() const { return 128 + signal.load(); }
};

// From now on the first SIGHUP, SIGINT or SIGTERM asks the returned request to stop the run after
// the pair being read; a second one ends the process at once with status 128 + its number.
StopRequest& installStopSignals();

// Readable once a stop signal has come, for an event loop to watch; -1 before
// installStopSignals().
int stopSignalDescriptor();

// The clock, except that its waits end as soon as a stop signal has come, so a long pause does
// not hold the stop back.
class StoppableClock : public Clock {
protected:
    bool sleepUntil(double moment) override;
};

} // namespace kordel
