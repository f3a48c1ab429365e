#include "acquisition/ports/BitBangBus.h"
#include "acquisition/ports/FakeFtdiChips.h"
#include "acquisition/ports/SysfsTree.h"
#include "acquisition/vv55rWin.h"
#include "bench/DemoCodeReadings.h"

#include <benchmark/benchmark.h>

namespace kordel {
namespace {

constexpr std::uint16_t Base = 0x3F8;
constexpr std::int32_t RoundTripMs = 1;
constexpr int AdapterReadings = 300;

// Readings per second through the bit-bang bus from a simulated FT232R whose USB round trip
// takes 1 ms: the read that brings a reading's samples back returns 1 ms after it was asked
// for. Against the bound of one round trip per reading; wrong codes are counted.
void BM_ReadingsBitBangAdapter(benchmark::State& state) {
    testing_support::SysfsTree tree;
    tree.usbAdapter("ttyUSB0", "ftdi_sio", 2, 0, "0403", "0600");
    testing_support::FakeFtdiChips chips;
    chips.periods["/dev/bus/usb/001/002"] = 75;
    Clock adapterTime;
    double roundTrips = 0;
    double inRoundTrips = 0; // seconds
    // The simulated adapter's own time, as the serial driver's benchmark spends it; what a busy
    // machine adds to it shows in the share against the round trips' real time.
    chips.roundTrip = [&] {
        const double start = adapterTime.now();
        adapterTime.wait(RoundTripMs);
        inRoundTrips += adapterTime.now() - start;
        ++roundTrips;
    };
    BitBangBus bus({{Base, tree.dev("ttyUSB0")}}, chips, tree.paths());
    const PortBusScope useBus(bus);
    const auto [seconds, wrong] = readDemoCodes(state, Base, adapterTime, [&] {
        roundTrips = 0;
        inRoundTrips = 0;
    });
    const double readings = static_cast<double>(state.iterations());
    const double perSecond = readings / seconds;
    const double bound = 1000.0 / RoundTripMs;
    state.counters["readings_per_s"] = perSecond;
    state.counters["bound_per_s"] = bound;
    state.counters["of_bound_pct"] = perSecond / bound * 100;
    // Against the time the simulated round trips really took: what is left is the bus's own.
    state.counters["of_bound_real_trips_pct"] = inRoundTrips / seconds * 100;
    state.counters["round_trips_per_reading"] = roundTrips / readings;
    state.counters["wrong_codes"] = wrong;
}
BENCHMARK(BM_ReadingsBitBangAdapter)
    ->Iterations(AdapterReadings)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace kordel
