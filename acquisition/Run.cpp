#include "acquisition/Run.h"

#include "acquisition/Converter.h"
#include "acquisition/PortBases.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <algorithm>
#include <new>
#include <optional>

namespace kordel {

namespace {

// The largest count a series takes: a larger or negative N is a range error.
constexpr std::int32_t SeriesLimit = 268435455;

// Characters reserved per line: every value of a multiplier 1 run fits.
constexpr std::size_t ReservedLineLength = 6;

std::size_t heldBytes(const RunContext& run) {
    return (run.state.Samples1.capacity() + run.state.Samples2.capacity()) * sizeof(double) +
           run.list1.allocatedBytes() + run.list2.allocatedBytes();
}

// Linux promises more memory than it has: a run too large would grow until the kernel kills
// the process, so the memory it still needs is compared with what is available beforehand.
void checkSeriesFit(const RunContext& run, std::int32_t count) {
    if (count < 0 || count > SeriesLimit) {
        throw Error("Range check error");
    }
    const std::optional<std::uint64_t> available = run.availableMemory();
    const std::uint64_t needed = static_cast<std::uint64_t>(count) * runBytesPerPair();
    const std::uint64_t held = heldBytes(run);
    if (available && needed > held && needed - held > *available) {
        throw Error("Out of memory");
    }
}

void resizeSeries(std::vector<double>& series, std::int32_t count) {
    try {
        series.resize(static_cast<std::size_t>(count));
        series.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        throw Error("Out of memory");
    }
}

int readingAt(SharedState& state, std::uint16_t base) {
    state.CurrentBase = base;
    return ReadConverterCode(state);
}

void setUpLines(SharedState& state, Clock& clock) {
    state.CurrentBase = state.Port1Base;
    InitConverter(state, clock);
    state.CurrentBase = state.Port2Base;
    InitConverter(state, clock);
}

bool stopped(const RunContext& run) {
    return run.stop != nullptr && run.stop->load();
}

void readPairs(RunContext& run, std::int32_t pause) {
    SharedState& state = run.state;
    const auto count = static_cast<std::size_t>(state.SampleCount);
    run.list1.reserve(count, count * ReservedLineLength);
    run.list2.reserve(count, count * ReservedLineLength);
    for (std::int32_t k = 0; k < state.SampleCount && !stopped(run); ++k) {
        const auto index = static_cast<std::size_t>(k);
        const int code1 = readingAt(state, state.Port1Base);
        const double v = channelValue(code1, state.Divider1);
        run.list1.setLine(index, generalText(v, run.separator));
        state.Samples1[index] = v;
        const int code2 = readingAt(state, state.Port2Base);
        const double w = channelValue(code2, state.Divider2);
        run.list2.setLine(index, generalText(w, run.separator));
        state.Samples2[index] = w;
        if (run.journal != nullptr) {
            run.journal->pairRead(static_cast<std::uint8_t>(code1),
                                  static_cast<std::uint8_t>(code2));
        }
        if (run.observer != nullptr) {
            run.observer->pairRead(k + 1);
        }
        if (pause > 0) {
            run.clock.wait(pause);
        }
    }
}

// After a failed reading or a stop only the complete pairs stay, so no old value passes for a
// new one.
void keepCompletePairs(RunContext& run, std::optional<double> start) {
    SharedState& state = run.state;
    const std::size_t pairs = std::min(run.list1.size(), run.list2.size());
    state.SampleCount = static_cast<std::int32_t>(pairs);
    state.Samples1.resize(pairs);
    state.Samples2.resize(pairs);
    run.list1.truncate(pairs);
    run.list2.truncate(pairs);
    state.Elapsed = start ? run.clock.now() - *start : 0.0;
    if (start && run.journal != nullptr) {
        run.journal->end(state.SampleCount, state.Elapsed);
    }
}

void measure(const RunFields& fields, RunContext& run, std::int32_t pause) {
    std::optional<double> start;
    try {
        setUpLines(run.state, run.clock);
        if (run.journal != nullptr) {
            run.journal->begin(fields, run.separator);
        }
        start = run.clock.now();
        if (run.observer != nullptr) {
            run.observer->readingsStarted();
        }
        readPairs(run, pause);
        keepCompletePairs(run, start);
    } catch (const std::bad_alloc&) {
        keepCompletePairs(run, start);
        throw Error("Out of memory");
    } catch (...) {
        keepCompletePairs(run, start);
        throw;
    }
}

} // namespace

std::optional<double> timeLeft(std::int32_t pairs, std::int32_t total, double seconds) {
    if (pairs <= 0 || pairs > total) {
        return std::nullopt;
    }
    return std::max(seconds / pairs * (total - pairs), 0.0);
}

double channelValue(int code, double divider) {
    return static_cast<double>(static_cast<long double>(codeToVolts(code)) * divider);
}

std::size_t runBytesPerPair() {
    return 2 * sizeof(double) + 2 * ValueList::bytesPerLine(ReservedLineLength);
}

void performRun(const RunFields& fields, RunContext context) {
    SharedState& state = context.state;
    state.Port1Base = portBase(fields.Edit5);
    state.Port2Base = portBase(fields.Edit6);
    context.list1.clear();
    context.list2.clear();
    state.DataReady = true;
    state.SampleCount = parseInteger(fields.Edit1);
    const std::int32_t pause = parseInteger(fields.Edit2);
    checkSeriesFit(context, state.SampleCount);
    resizeSeries(state.Samples1, state.SampleCount);
    resizeSeries(state.Samples2, state.SampleCount);
    state.Divider1 = parseInteger(fields.Edit3);
    state.Divider2 = parseInteger(fields.Edit4);
    checkPortBlocks(state.Port1Base, state.Port2Base);
    measure(fields, context, pause);
}

} // namespace kordel
