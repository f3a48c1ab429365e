#pragma once

#include "acquisition/AvailableMemory.h"
#include "acquisition/Clock.h"
#include "acquisition/Udata1.h"
#include "acquisition/ValueList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kordel {

// The six parameter texts of the main window, as typed.
struct RunFields {
    std::string Edit5; // channel 1 port base, hexadecimal without prefix
    std::string Edit6; // channel 2 port base
    std::string Edit1; // N, samples per channel
    std::string Edit2; // pause after each pair, ms
    std::string Edit3; // channel 1 multiplier
    std::string Edit4; // channel 2 multiplier
};

// Told of the run's progress, so a window can repaint now and then.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // The lines are set up; the time that Elapsed measures starts now.
    virtual void readingsStarted() {}
    // After every completed pair, before its pause.
    virtual void pairRead(std::int32_t pairs) = 0;
};

// The time left at the pace so far, `seconds` for the `pairs` read of `total`; none before the
// first pair, when there is no pace yet.
std::optional<double> timeLeft(std::int32_t pairs, std::int32_t total, double seconds);

// Keeps each pair as it is read, so that a crash or a kill takes at most the last moments of a
// run with it. Its calls never throw: a journal that cannot be written leaves the run as it is.
class RunJournal {
public:
    virtual ~RunJournal() = default;
    // The readings start, with the texts the run was given and its lists' separator.
    virtual void begin(const RunFields& fields, char separator) = 0;
    // The codes of a complete pair, channel 1 first.
    virtual void pairRead(std::uint8_t code1, std::uint8_t code2) = 0;
    // The run kept its first `pairs` pairs, which took `elapsed` seconds.
    virtual void end(std::int32_t pairs, double elapsed) = 0;
};

struct RunContext {
    SharedState& state;
    ValueList& list1;
    ValueList& list2;
    Clock& clock;
    char separator = '.';
    RunObserver* observer = nullptr;
    // Once set (a signal handler may set it), the run ends after the pair being read.
    const std::atomic<bool>* stop = nullptr;
    MemoryGauge availableMemory = systemAvailableMemory;
    RunJournal* journal = nullptr;
};

// A channel's value: the reading of `code` in volts times the channel's multiplier.
double channelValue(int code, double divider);

// What a run holds per pair: an element of each series and a line of each list.
std::size_t runBytesPerPair();

// A measurement run: converts the fields, sets up both converter lines, reads N pairs and
// measures their duration. Throws Error, leaving the state as far as the run got; a port
// failure during the readings, or a stop, keeps exactly the pairs read completely. A run that
// would not fit in the available memory fails with "Out of memory" before any line is touched.
void performRun(const RunFields& fields, RunContext context);

} // namespace kordel
