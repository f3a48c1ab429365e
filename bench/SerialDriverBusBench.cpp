#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/SerialDriverBus.h"
#include "acquisition/vv55rWin.h"

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

// One modem line change per iteration, the kind of call a reading is made of.
void BM_CallAgainstSeam(benchmark::State& state) {
    CountingCalls calls;
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{Base, "/dev/ttyS0"}}));
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
    SerialDriverBus bus(system, SerialPortLocator(system, {{Base, ptsname(master)}}));
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
    SerialDriverBus bus(calls, SerialPortLocator(calls, {{Base, "/dev/ttyS0"}}));
    usePortBus(bus);
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

} // namespace
} // namespace kordel
