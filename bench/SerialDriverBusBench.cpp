#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/ports/LaggingSerialCalls.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/vv55rWin.h"
#include "bench/DemoCodeReadings.h"
#include "support/NoPaths.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace kordel {
namespace {

// A kernel that answers every call at once and counts the calls.
class CountingCalls : public SerialCalls {
public:
    int open(const std::string&, int& fd) override { return count(fd = 3); }
    int exclusive(int) override { return count(); }
    int raiseLines(int, int) override { return count(); }
    int lowerLines(int, int) override { return count(); }
    int setBreak(int) override { return count(); }
    int clearBreak(int) override { return count(); }
    int modemLines(int, int& lines) override { return count(lines = 0); }
    int serialInfo(int, SerialInfo&) override { return count(); }
    void close(int) override { count(); }

    std::int64_t calls = 0;

private:
    int count(int = 0) {
        ++calls;
        return 0;
    }
};

constexpr std::uint16_t Base = 0x3F8;
using testing_support::Nowhere;
// The legacy path: no settle time, so no look at the clock and no wait.
const SettleRule NoSettle(0, Nowhere);

// One modem line change per iteration, the kind of call a reading is made of.
void BM_CallAgainstSeam(benchmark::State& state) {
    CountingCalls calls;
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{Base, "/dev/ttyS0"}}), NoSettle);
    bus.attach(Base);
    std::uint8_t modemControl = 0;
    for (auto _ : state) {
        modemControl ^= RtsBit;
        bus.out(Base + ModemControl, modemControl);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CallAgainstSeam);

// A pseudo-terminal has no modem lines, but it takes the break calls; one per iteration.
void BM_CallAgainstPseudoTerminal(benchmark::State& state) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    SerialCalls& system = systemSerialCalls();
    SerialDriverBus bus(system, SerialPortLocator(system, {{Base, ptsname(master)}}), NoSettle);
    bus.attach(Base);
    for (auto _ : state) {
        bus.out(Base + LineControl, BreakBit);
    }
    state.SetItemsProcessed(state.iterations());
    close(master);
}
BENCHMARK(BM_CallAgainstPseudoTerminal);

void BM_CallsPerReading(benchmark::State& state) {
    CountingCalls calls;
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{Base, "/dev/ttyS0"}}), NoSettle);
    const PortBusScope useBus(bus);
    SharedState shared;
    shared.CurrentBase = Base;
    testing_support::FakeClock clock;
    InitConverter(shared, clock);
    calls.calls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadConverter(shared));
    }
    state.counters["calls_per_reading"] =
        static_cast<double>(calls.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CallsPerReading);

using std::chrono::milliseconds;

constexpr milliseconds AdapterCall(1);
constexpr int AdapterReadings = 60;

// Readings per second from a simulated USB adapter whose every call takes 1 ms and whose driver
// reports status `lag` late, with the settle time chosen for `driver`; against the bound of
// 26 calls and 8 settle times per reading. Codes that differ from the converter's are counted.
void readFromAdapter(benchmark::State& state, const std::string& driver, milliseconds lag) {
    // The simulated adapter's own time: a call that takes exactly 1 ms, as the bound assumes.
    Clock adapterTime;
    testing_support::LaggingSerialCalls calls(adapterTime, AdapterCall, lag,
                                              {{"/dev/ttyUSB0", Base}});
    const int settle = settleFor(driver, milliseconds(1)).settleMilliseconds;
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{Base, "/dev/ttyUSB0"}}, Nowhere),
                        SettleRule(settle, Nowhere));
    const PortBusScope useBus(bus);
    const auto [seconds, wrong] = readDemoCodes(state, Base, adapterTime, [&] { calls.busy = 0; });
    const double perSecond = static_cast<double>(state.iterations()) / seconds;
    const double bound = 1000.0 / (26 * AdapterCall.count() + 8 * settle);
    state.counters["settle_ms"] = settle;
    state.counters["readings_per_s"] = perSecond;
    state.counters["bound_per_s"] = bound;
    state.counters["of_bound_pct"] = perSecond / bound * 100;
    // The same bound with the time the simulated calls really took on this machine, where a
    // busy machine wakes a sleeper late: what is left is the bus's own time and its settle
    // waits' lateness.
    const double callMilliseconds = calls.busy * 1000 / static_cast<double>(state.iterations());
    state.counters["of_bound_real_calls_pct"] = perSecond * (callMilliseconds + 8 * settle) / 10;
    state.counters["wrong_codes"] = wrong;
}

void BM_ReadingsCachedAdapter(benchmark::State& state) {
    readFromAdapter(state, "ch341-uart", milliseconds(1));
}
BENCHMARK(BM_ReadingsCachedAdapter)
    ->Iterations(AdapterReadings)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_ReadingsAskedAdapter(benchmark::State& state) {
    readFromAdapter(state, "ftdi_sio", milliseconds(0));
}
BENCHMARK(BM_ReadingsAskedAdapter)
    ->Iterations(AdapterReadings)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kordel
