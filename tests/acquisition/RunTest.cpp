#include "acquisition/Run.h"

#include "acquisition/Converter.h"
#include "acquisition/FakeClock.h"
#include "acquisition/RecordingBus.h"
#include "acquisition/ports/DemoBus.h"
#include "acquisition/vv55rWin.h"
#include "common/Error.h"
#include "common/NumberText.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kordel {
namespace {

using testing_support::FakeClock;
using testing_support::RecordingBus;

class RunTest : public testing::Test {
protected:
    RunTest() {
        bus.inner = &demo;
        applyDefaults(state, 497, 313);
    }

    void run(RunFields f) {
        performRun(f, {state, list1, list2, clock, separator, observer, &stop, available});
    }

    std::string runError(RunFields f) {
        try {
            run(std::move(f));
        } catch (const Error& error) {
            return error.message();
        }
        return "no error";
    }

    // A finished run of three pairs to compare failed runs against.
    void previousRun() {
        run(fields(3));
        clock.waits.clear();
        bus.log.clear();
    }

    static RunFields fields(int n, std::string pause = "0") {
        return {"3F8", "2F8", std::to_string(n), std::move(pause), "1", "1"};
    }

    DemoBus demo;
    RecordingBus bus;
    PortBusScope useBus{bus};
    SharedState state;
    ValueList list1;
    ValueList list2;
    FakeClock clock;
    char separator = '.';
    RunObserver* observer = nullptr;
    std::atomic<bool> stop{false};
    MemoryGauge available = systemAvailableMemory;
};

TEST_F(RunTest, ReadsThePairsInAlternationIntoListsAndSeries) {
    run(fields(100));
    ASSERT_EQ(state.SampleCount, 100);
    ASSERT_EQ(state.Samples1.size(), 100U);
    ASSERT_EQ(list2.size(), 100U);
    for (int k = 0; k < 100; ++k) {
        const auto i = static_cast<std::size_t>(k);
        EXPECT_EQ(state.Samples1[i], codeToVolts(DemoBus::demoCode(75, k)));
        EXPECT_EQ(state.Samples2[i], codeToVolts(DemoBus::demoCode(50, k)));
        EXPECT_EQ(list1.line(i), generalText(state.Samples1[i]));
        EXPECT_EQ(list2.line(i), generalText(state.Samples2[i]));
    }
    EXPECT_EQ(list1.line(0), "2.509");
    EXPECT_TRUE(state.DataReady);
    EXPECT_EQ(state.Elapsed, 0.0); // no time passes on the fake clock without waits
}

TEST_F(RunTest, SetsUpBothLinesBeforeTheFirstReadingAndAlternatesChannels) {
    run(fields(2));
    std::vector<std::uint16_t> order;
    for (const auto& access : bus.log) {
        if (access.kind == 'a' || (access.kind == 'o' && access.value == 0x40) ||
            access.kind == 'i') {
            order.push_back(access.address);
        }
    }
    std::vector<std::uint16_t> expected{0x3F8, 0x3FB, 0x2F8, 0x2FB};
    for (int pair = 0; pair < 2; ++pair) {
        expected.insert(expected.end(), 8, 0x3FE);
        expected.insert(expected.end(), 8, 0x2FE);
    }
    EXPECT_EQ(order, expected);
    EXPECT_EQ(clock.waits, (std::vector<std::int32_t>{100, 500, 100, 500}));
}

TEST_F(RunTest, WaitsThePauseAfterEachPairAndMeasuresTheFullDuration) {
    run(fields(3, "25000"));
    EXPECT_EQ(clock.waits, (std::vector<std::int32_t>{100, 500, 100, 500, 25000, 25000, 25000}));
    EXPECT_DOUBLE_EQ(state.Elapsed, 75.0); // not cut to the seconds of a minute
}

// What the observer was told, with the list size and the time at that moment.
class RecordingObserver : public RunObserver {
public:
    RecordingObserver(const ValueList& list, Clock& clock) : list_(list), clock_(clock) {}
    void readingsStarted() override { told.push_back({0, list_.size(), clock_.now()}); }
    void pairRead(std::int32_t pairs) override {
        told.push_back({pairs, list_.size(), clock_.now()});
    }

    struct Told {
        std::int32_t pairs; // 0 for the start of the readings
        std::size_t lines;
        double seconds;
        bool operator==(const Told&) const = default;
    };
    std::vector<Told> told;

private:
    const ValueList& list_;
    Clock& clock_;
};

TEST_F(RunTest, TellsTheObserverWhenTheReadingsStartAndEachPairBeforeItsPause) {
    RecordingObserver observer(list2, clock);
    performRun(fields(3, "250"), {state, list1, list2, clock, separator, &observer});
    using Told = RecordingObserver::Told;
    EXPECT_EQ(observer.told,
              (std::vector<Told>{{0, 0, 1001.2}, {1, 1, 1001.2}, {2, 2, 1001.45}, {3, 3, 1001.7}}));
}

TEST_F(RunTest, OnlyAPositivePauseIsWaited) {
    for (const auto& [pause, waits] : {std::pair{"0", 4U}, {"-5", 4U}, {"1", 8U}}) {
        clock.waits.clear();
        run(fields(4, pause));
        EXPECT_EQ(clock.waits.size(), waits) << pause;
    }
}

TEST_F(RunTest, MultipliersScaleTheirChannel) {
    run({"3F8", "2F8", "5", "0", "2", "0"});
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(state.Samples1[k], 2 * codeToVolts(DemoBus::demoCode(75, static_cast<int>(k))));
        EXPECT_EQ(state.Samples2[k], 0.0);
        EXPECT_EQ(list2.line(k), "0");
    }
    EXPECT_EQ(state.Divider1, 2.0);
}

TEST_F(RunTest, ValuesUseTheGivenSeparator) {
    separator = ',';
    run(fields(1));
    EXPECT_EQ(list1.line(0), "2,509");
}

TEST_F(RunTest, ASmallerRunResizesTheSeries) {
    run(fields(100));
    run(fields(5));
    EXPECT_EQ(state.Samples1.size(), 5U);
    EXPECT_EQ(state.Samples2.size(), 5U);
    EXPECT_EQ(list1.size(), 5U);
}

TEST_F(RunTest, ZeroSamplesSetsUpTheLinesAndReadsNothing) {
    run(fields(0));
    EXPECT_TRUE(state.Samples1.empty());
    EXPECT_TRUE(list1.empty());
    EXPECT_EQ(clock.waits.size(), 4U);
}

struct PortCase {
    std::string text;
    std::uint16_t base;
};

class PortField : public RunTest, public testing::WithParamInterface<PortCase> {};

TEST_P(PortField, IsHexadecimalWithoutPrefixKeepingTheLow16Bits) {
    demo.attach(0x2F8); // only the conversion matters here
    try {
        run({GetParam().text, "2F8", "0", "0", "1", "1"});
    } catch (const Error&) {
    }
    EXPECT_EQ(state.Port1Base, GetParam().base);
}

INSTANTIATE_TEST_SUITE_P(Texts, PortField,
                         testing::Values(PortCase{"2F8", 0x2F8}, PortCase{"2f8", 0x2F8},
                                         PortCase{"12F8", 0x12F8}, PortCase{"FFFF02F8", 0x2F8}));

TEST_F(RunTest, ConversionErrorsNameTheConvertedText) {
    EXPECT_EQ(runError({"$2F8", "2F8", "1", "0", "1", "1"}),
              "'$$2F8' is not a valid integer value");
    EXPECT_EQ(runError({"", "2F8", "1", "0", "1", "1"}), "'$' is not a valid integer value");
    EXPECT_EQ(runError({" 3F8", "2F8", "1", "0", "1", "1"}),
              "'$ 3F8' is not a valid integer value");
    EXPECT_EQ(runError({"3F8", "2F8", " ", "0", "1", "1"}), "' ' is not a valid integer value");
    EXPECT_EQ(runError({"3F8", "2F8", "1 ", "0", "1", "1"}), "'1 ' is not a valid integer value");
    EXPECT_EQ(runError({"3F8", "2F8", "  7", "0", "1", "1"}), "no error");
}

TEST_F(RunTest, ABadPortFieldChangesNothingOrOnlyTheFirstBase) {
    previousRun();
    runError({"3E8", "zz", "1", "0", "1", "1"});
    EXPECT_EQ(state.Port1Base, 0x3E8);
    EXPECT_EQ(state.Port2Base, 0x2F8);
    EXPECT_EQ(list1.size(), 3U);

    runError({"zz", "3E8", "1", "0", "1", "1"});
    EXPECT_EQ(state.Port1Base, 0x3E8);
    EXPECT_EQ(state.Port2Base, 0x2F8);
    EXPECT_TRUE(bus.log.empty());
}

TEST_F(RunTest, ABadCountEmptiesTheListsAndKeepsThePreviousSeries) {
    previousRun();
    const auto series = state.Samples1;
    state.DataReady = false;
    runError({"3F8", "2F8", "x", "0", "1", "1"});
    EXPECT_TRUE(list1.empty());
    EXPECT_TRUE(list2.empty());
    EXPECT_TRUE(state.DataReady);
    EXPECT_EQ(state.SampleCount, 3);
    EXPECT_EQ(state.Samples1, series);
}

TEST_F(RunTest, ABadPauseOrCountOutOfRangeKeepsTheNewCountWithTheOldSeries) {
    previousRun();
    EXPECT_EQ(runError({"3F8", "2F8", "10", "1.5", "1", "1"}),
              "'1.5' is not a valid integer value");
    EXPECT_EQ(state.SampleCount, 10);
    EXPECT_EQ(state.Samples1.size(), 3U);

    for (const char* count : {"-1", "268435456", "2147483647"}) {
        EXPECT_EQ(runError({"3F8", "2F8", count, "0", "1", "1"}), "Range check error") << count;
        EXPECT_EQ(state.SampleCount, parseInteger(count));
        EXPECT_EQ(state.Samples1.size(), 3U);
    }
    EXPECT_TRUE(bus.log.empty());
}

TEST_F(RunTest, ABadMultiplierLeavesTheSeriesResizedAndNoLineTouched) {
    previousRun();
    EXPECT_EQ(runError({"3F8", "2F8", "8", "0", "1", "one"}), "'one' is not a valid integer value");
    EXPECT_EQ(state.Samples1.size(), 8U);
    EXPECT_EQ(state.Samples2.size(), 8U);
    EXPECT_EQ(state.Divider1, 1.0);
    EXPECT_TRUE(bus.log.empty());
    EXPECT_TRUE(clock.waits.empty());
}

TEST_F(RunTest, AMissingPortFailsBeforeAnyLineIsTouchedAndKeepsNoStaleValues) {
    previousRun();
    EXPECT_EQ(runError({"3F8", "300", "8", "0", "1", "1"}), "No serial port at address 300");
    EXPECT_EQ(bus.writesTo(0x304).size(), 0U);
    EXPECT_EQ(state.SampleCount, 0);
    EXPECT_TRUE(state.Samples1.empty());
    EXPECT_TRUE(list1.empty());
    EXPECT_EQ(state.Elapsed, 0.0);
}

struct FailurePoint {
    int access;
    bool outOfMemory = false;
};

class PortFailure : public RunTest, public testing::WithParamInterface<FailurePoint> {};

TEST_P(PortFailure, KeepsExactlyThePairsReadCompletely) {
    previousRun();
    // 2 attaches and 4 set-up writes, then 26 accesses per reading, 52 per pair.
    const int failingAccess = GetParam().access;
    bus.failAfter = failingAccess;
    bus.outOfMemory = GetParam().outOfMemory;
    clock.seconds = 10.0;
    EXPECT_EQ(runError(fields(10, "1000")),
              GetParam().outOfMemory ? "Out of memory"
                                     : "Serial port /dev/ttyFAKE failed: Input/output error");
    const int pairs = failingAccess < 6 ? 0 : (failingAccess - 6) / 52;
    const auto count = static_cast<std::size_t>(pairs);
    EXPECT_EQ(state.SampleCount, pairs);
    EXPECT_EQ(state.Samples1.size(), count);
    EXPECT_EQ(state.Samples2.size(), count);
    EXPECT_EQ(list1.size(), count);
    EXPECT_EQ(list2.size(), count);
    EXPECT_TRUE(state.DataReady);
    if (pairs > 0) {
        EXPECT_EQ(state.Samples2[count - 1],
                  codeToVolts(DemoBus::demoCode(50, static_cast<int>(count - 1))));
    }
    EXPECT_DOUBLE_EQ(state.Elapsed, failingAccess < 6 ? 0.0 : pairs * 1.0);
}

INSTANTIATE_TEST_SUITE_P(AtAccess, PortFailure,
                         testing::Values(FailurePoint{1}, FailurePoint{5}, FailurePoint{6},
                                         FailurePoint{20}, FailurePoint{57}, FailurePoint{58},
                                         FailurePoint{110}, FailurePoint{134},
                                         FailurePoint{5, true}, FailurePoint{84, true}));

TEST_F(RunTest, RunningOutOfMemoryIsReportedAndTheProcessGoesOn) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not mix with the sanitizer's shadow memory";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "address space limits do not mix with the sanitizer's shadow memory";
#endif
#endif
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{512UL << 20, 512UL << 20};
        setrlimit(RLIMIT_AS, &limit);
        const std::string error = runError(fields(100000000));
        const bool usable = runError(fields(3)) == "no error" && state.SampleCount == 3;
        _exit(error == "Out of memory" && usable ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Asks for a stop once `at` pairs are read.
class StopAt : public RunObserver {
public:
    StopAt(std::atomic<bool>& stop, std::int32_t at) : stop_(stop), at_(at) {}
    void pairRead(std::int32_t pairs) override { stop_ = stop_ || pairs == at_; }

private:
    std::atomic<bool>& stop_;
    std::int32_t at_;
};

TEST_F(RunTest, AStopEndsTheRunAfterThePairBeingReadKeepingThePairsAndTheirTime) {
    StopAt stopAtThree(stop, 3);
    observer = &stopAtThree;
    run(fields(10, "1000"));
    EXPECT_EQ(state.SampleCount, 3);
    EXPECT_EQ(state.Samples1.size(), 3U);
    EXPECT_EQ(state.Samples2.size(), 3U);
    EXPECT_EQ(list1.size(), 3U);
    EXPECT_EQ(list2.size(), 3U);
    EXPECT_EQ(state.Samples2[2], codeToVolts(DemoBus::demoCode(50, 2)));
    EXPECT_DOUBLE_EQ(state.Elapsed, 3.0);
}

TEST_F(RunTest, AStopBeforeTheReadingsKeepsNoPair) {
    previousRun();
    stop = true;
    run(fields(10, "1000"));
    EXPECT_EQ(state.SampleCount, 0);
    EXPECT_TRUE(state.Samples1.empty());
    EXPECT_TRUE(list2.empty());
    EXPECT_EQ(state.Elapsed, 0.0);
}

MemoryGauge availableBytes(std::uint64_t bytes) {
    return [bytes] { return std::optional<std::uint64_t>(bytes); };
}

TEST_F(RunTest, WhatARunHoldsPerPairIsWhatTheMemoryCheckCounts) {
    available = availableBytes(10000 * runBytesPerPair());
    run(fields(10000));
    const std::size_t held =
        (state.Samples1.capacity() + state.Samples2.capacity()) * sizeof(double) +
        list1.allocatedBytes() + list2.allocatedBytes();
    EXPECT_EQ(held, 10000 * runBytesPerPair());
    EXPECT_EQ(runBytesPerPair(), 44U);
}

TEST_F(RunTest, ARunTooLargeForTheAvailableMemoryFailsBeforeAnyLineIsTouched) {
    previousRun();
    available = availableBytes(500 * runBytesPerPair());
    EXPECT_EQ(runError(fields(1000)), "Out of memory");
    EXPECT_TRUE(bus.log.empty());
    EXPECT_EQ(state.SampleCount, 1000);
    EXPECT_EQ(state.Samples1.size(), 3U);
    EXPECT_TRUE(list1.empty());

    EXPECT_EQ(runError(fields(-1)), "Range check error");
    EXPECT_EQ(runError(fields(268435455)), "Out of memory"); // the longest series there is
    available = availableBytes(1000 * runBytesPerPair());
    EXPECT_EQ(runError(fields(1000)), "no error");
}

TEST_F(RunTest, TheMemoryOfThePreviousRunCountsAsAvailableToTheNext) {
    run(fields(1000));
    available = availableBytes(0);
    EXPECT_EQ(runError(fields(1000)), "no error");
    EXPECT_EQ(runError(fields(1001)), "Out of memory");
}

TEST_F(RunTest, WithoutAFigureForTheAvailableMemoryTheRunGoesAhead) {
    available = [] { return std::optional<std::uint64_t>(); };
    EXPECT_EQ(runError(fields(10)), "no error");
}

} // namespace
} // namespace kordel
