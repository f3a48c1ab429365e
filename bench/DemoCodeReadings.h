#pragma once

#include "acquisition/Clock.h"
#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/ports/DemoBus.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <functional>

namespace kordel {

// What the readings of an adapter's benchmark gave.
struct DemoCodeReadings {
    double seconds = 0; // on the adapter's clock
    int wrong = 0;      // codes that differ from the demo converter's
};

// Sets up the lines of the converter at `base` on the current bus, calls `counting` once that is
// done, then reads one code per benchmark iteration and holds each against the demo converter of
// period 75.
inline DemoCodeReadings readDemoCodes(benchmark::State& state, std::uint16_t base,
                                      Clock& adapterTime, const std::function<void()>& counting) {
    SharedState shared;
    shared.CurrentBase = base;
    testing_support::FakeClock setUpWaits;
    InitConverter(shared, setUpWaits);
    counting();
    std::int64_t conversion = 0;
    DemoCodeReadings readings;
    const double start = adapterTime.now();
    for (auto _ : state) {
        readings.wrong += ReadConverterCode(shared) != DemoBus::demoCode(75, conversion++) ? 1 : 0;
    }
    readings.seconds = adapterTime.now() - start;
    return readings;
}

} // namespace kordel
