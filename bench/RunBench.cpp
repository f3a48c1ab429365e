// The run's own work per pair (texts, lists, series) against the bare readings on the demo bus.
#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/Run.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"

#include <benchmark/benchmark.h>

namespace kordel {
namespace {

constexpr int Pairs = 1'000'000;

// Shown as the time one pair takes.
benchmark::Counter perPair() {
    return benchmark::Counter(Pairs, benchmark::Counter::kIsIterationInvariantRate |
                                         benchmark::Counter::kInvert);
}

void BM_BareReadingPairs(benchmark::State& bench) {
    DemoBus bus;
    const PortBusScope useDemo(bus);
    SharedState state;
    testing_support::FakeClock clock;
    for (std::uint16_t base : {0x3F8, 0x2F8}) {
        state.CurrentBase = base;
        InitConverter(state, clock);
    }
    for (auto _ : bench) {
        for (int k = 0; k < Pairs; ++k) {
            state.CurrentBase = 0x3F8;
            benchmark::DoNotOptimize(ReadConverter(state));
            state.CurrentBase = 0x2F8;
            benchmark::DoNotOptimize(ReadConverter(state));
        }
    }
    bench.counters["per_pair"] = perPair();
}
BENCHMARK(BM_BareReadingPairs)->Unit(benchmark::kMillisecond);

void BM_RunPairs(benchmark::State& bench) {
    DemoBus bus;
    const PortBusScope useDemo(bus);
    SharedState state;
    ValueList list1;
    ValueList list2;
    testing_support::FakeClock clock;
    const RunFields fields{"3F8", "2F8", std::to_string(Pairs), "0", "1", "1"};
    for (auto _ : bench) {
        performRun(fields, {state, list1, list2, clock});
    }
    const std::size_t bytes = state.Samples1.capacity() * sizeof(double) +
                              state.Samples2.capacity() * sizeof(double) + list1.allocatedBytes() +
                              list2.allocatedBytes();
    bench.counters["per_pair"] = perPair();
    bench.counters["bytes_per_pair"] = static_cast<double>(bytes) / Pairs;
}
BENCHMARK(BM_RunPairs)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kordel
