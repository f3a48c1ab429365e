#include "bench/SummaryReporter.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <optional>

namespace kordel {

namespace {

constexpr double NotRun = std::numeric_limits<double>::quiet_NaN();
// Two real readings: 26 port accesses of about 1 us each, per channel.
constexpr double TwoReadingsMicroseconds = 52.0;

struct Row {
    const char* figure;
    double value;
    const char* unit;
    std::optional<double> limit; // the figure must not exceed it
    bool atLeast = false;        // the figure must reach the limit instead
};

std::optional<double> knownOrNone(double value) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

void printRow(const Row& row) {
    char target[32] = "";
    const char* verdict = "";
    if (row.limit) {
        std::snprintf(target, sizeof target, "%s %g %s", row.atLeast ? ">=" : "<=", *row.limit,
                      row.unit);
        const bool met = row.atLeast ? row.value >= *row.limit : row.value <= *row.limit;
        verdict = std::isnan(row.value) ? "not run" : met ? "met" : "MISSED";
    }
    char value[32] = "not run";
    if (!std::isnan(row.value)) {
        std::snprintf(value, sizeof value, "%.3f", row.value);
    }
    std::printf("%-52s %12s %-4s %-16s %s\n", row.figure, value, row.unit, target, verdict);
}

} // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        runs_.insert_or_assign(run.run_name.function_name, run);
    }
}

const SummaryReporter::Run* SummaryReporter::find(const std::string& name) const {
    const auto found = runs_.find(name);
    return found == runs_.end() || found->second.error_occurred ? nullptr : &found->second;
}

double SummaryReporter::counter(const std::string& name, const std::string& counterName) const {
    const Run* run = find(name);
    if (run == nullptr || run->counters.count(counterName) == 0) {
        return NotRun;
    }
    return run->counters.at(counterName).value;
}

double SummaryReporter::milliseconds(const std::string& name) const {
    const Run* run = find(name);
    if (run == nullptr) {
        return NotRun;
    }
    return run->GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run->time_unit) * 1e3;
}

void SummaryReporter::Finalize() {
    ConsoleReporter::Finalize();
    const double ownWork =
        (counter("BM_RunPairs", "per_pair") - counter("BM_BareReadingPairs", "per_pair")) * 1e6;
    // The run without a window is to be no slower and no larger than the window's; as it also
    // writes the files, its time is held against the window's run and a save of that run.
    const auto windowRun = knownOrNone(counter("BM_WindowMillionPairRun", "run_to_plot_s") +
                                       milliseconds("BM_SaveRunAndImage") / 1000);
    const auto windowPeak = knownOrNone(counter("BM_WindowMillionPairRun", "peak_rss_MB"));
    const auto journalPeakCost = [this](const std::string& front) {
        return (counter("BM_JournalOverhead", front + "_peak_with_MB") /
                    counter("BM_JournalOverhead", front + "_peak_without_MB") -
                1) *
               100;
    };
    const Row rows[] = {
        {"Run's own work per sample pair", ownWork, "us", 0.5},
        {"  its share of two real readings (52 us)", ownWork / TwoReadingsMicroseconds * 100, "%",
         1.0},
        {"Series and lists per pair", counter("BM_RunPairs", "bytes_per_pair"), "B", 64},
        {"DrawPlot, 1,000,000 demo pairs", milliseconds("BM_DrawPlotDemoRun"), "ms", 50},
        {"DrawPlot, 1,000,000 random pairs", milliseconds("BM_DrawPlotRandomCodes"), "ms", {}},
        {"Saving the lists and image of 1,000,000 pairs", milliseconds("BM_SaveRunAndImage"), "ms",
         500},
        {"Driver calls per reading", counter("BM_CallsPerReading", "calls_per_reading"), "", 26},
        {"One driver call against the seam", milliseconds("BM_CallAgainstSeam") * 1e6, "ns", {}},
        {"Readings/s, cached adapter: 1 ms calls, 1 ms lag",
         counter("BM_ReadingsCachedAdapter", "readings_per_s"),
         "/s",
         {}},
        {"  share of 1 / (26 x 1 ms + 8 x settle of 2 ms)",
         counter("BM_ReadingsCachedAdapter", "of_bound_pct"), "%", 95, true},
        {"  share of that bound with the calls' real time",
         counter("BM_ReadingsCachedAdapter", "of_bound_real_calls_pct"),
         "%",
         {}},
        {"  codes read wrong", counter("BM_ReadingsCachedAdapter", "wrong_codes"), "", 0},
        {"Readings/s, adapter asked each time: 1 ms calls",
         counter("BM_ReadingsAskedAdapter", "readings_per_s"),
         "/s",
         {}},
        {"  share of 1 / (26 x 1 ms), no settle time",
         counter("BM_ReadingsAskedAdapter", "of_bound_pct"),
         "%",
         {}},
        {"  share of that bound with the calls' real time",
         counter("BM_ReadingsAskedAdapter", "of_bound_real_calls_pct"),
         "%",
         {}},
        {"Readings/s, FTDI bit-bang: 1 ms USB round trip",
         counter("BM_ReadingsBitBangAdapter", "readings_per_s"),
         "/s",
         {}},
        {"  share of 1 / (one round trip of 1 ms)",
         counter("BM_ReadingsBitBangAdapter", "of_bound_pct"), "%", 95, true},
        {"  share of that bound with the round trips' real time",
         counter("BM_ReadingsBitBangAdapter", "of_bound_real_trips_pct"),
         "%",
         {}},
        {"  USB round trips per reading",
         counter("BM_ReadingsBitBangAdapter", "round_trips_per_reading"), "", 1},
        {"  codes read wrong", counter("BM_ReadingsBitBangAdapter", "wrong_codes"), "", 0},
        {"  times the readings/s of the adapter asked each time",
         counter("BM_ReadingsBitBangAdapter", "readings_per_s") /
             counter("BM_ReadingsAskedAdapter", "readings_per_s"),
         "x",
         {}},
        {"One driver call against a pseudo-terminal",
         milliseconds("BM_CallAgainstPseudoTerminal") * 1e6,
         "ns",
         {}},
        {"Window run of 1,000,000 pairs, after set-up, to plot",
         counter("BM_WindowMillionPairRun", "run_to_plot_s"), "s", 2},
        {"  peak resident memory of that run", counter("BM_WindowMillionPairRun", "peak_rss_MB"),
         "MB", 300},
        {"  scrolling a list to its end", counter("BM_WindowMillionPairRun", "scroll_end_ms"), "ms",
         200},
        {"  selecting all of it and copying", counter("BM_WindowMillionPairRun", "select_copy_ms"),
         "ms", 200},
        {"Headless 1,000,000 pairs to files (window run+save)",
         counter("BM_HeadlessMillionPairRun", "run_to_files_s"), "s", windowRun},
        {"  peak resident memory of that run", counter("BM_HeadlessMillionPairRun", "peak_rss_MB"),
         "MB", windowPeak},
        {"kordel --samples 1000000 --save, whole process",
         counter("BM_HeadlessProgram", "wall_s"),
         "s",
         {}},
        {"  its peak resident memory", counter("BM_HeadlessProgram", "peak_rss_MB"), "MB",
         windowPeak},
        {"  with the live view against without it",
         counter("BM_WindowLiveViewOverhead", "overhead_pct"), "%", 5},
        {"  the same in processor time",
         counter("BM_WindowLiveViewOverhead", "processor_overhead_pct"),
         "%",
         {}},
        {"Journal's cost, window run of 1,000,000 pairs",
         counter("BM_JournalOverhead", "window_overhead_pct"), "%", 2},
        {"  in processor time",
         counter("BM_JournalOverhead", "window_processor_overhead_pct"),
         "%",
         {}},
        {"  in peak resident memory", journalPeakCost("window"), "%", 2},
        {"Journal's cost, headless run of 1,000,000 pairs",
         counter("BM_JournalOverhead", "headless_overhead_pct"), "%", 2},
        {"  in processor time",
         counter("BM_JournalOverhead", "headless_processor_overhead_pct"),
         "%",
         {}},
        {"  in peak resident memory", journalPeakCost("headless"), "%", 2},
        {"Longest live view refresh, 1,000,000 demo pairs",
         counter("BM_LiveViewRefresh", "longest_ms"), "ms", 20},
        {"  a whole live drawing of 1,000,000 pairs",
         counter("BM_LiveViewRefresh", "whole_drawing_ms"),
         "ms",
         {}},
        {"Period error per pair in the window, pause 10 ms",
         counter("BM_WindowPeriodError", "error_ms_at_10"), "ms", 0.2},
        {"  pause 100 ms", counter("BM_WindowPeriodError", "error_ms_at_100"), "ms", 0.2},
        {"  pause 1000 ms", counter("BM_WindowPeriodError", "error_ms_at_1000"), "ms", 0.2},
        {"Window's progress shown per second, pause 0 ms",
         counter("BM_WindowProgressShown", "per_s_at_0"), "/s", 15, true},
        {"  pause 1 ms", counter("BM_WindowProgressShown", "per_s_at_1"), "/s", 15, true},
        {"  pause 10 ms", counter("BM_WindowProgressShown", "per_s_at_10"), "/s", 15, true},
    };
    std::printf("\n%-52s %12s %-4s %-16s %s\n", "Figure", "value", "", "target", "");
    for (const Row& row : rows) {
        printRow(row);
    }
}

} // namespace kordel
