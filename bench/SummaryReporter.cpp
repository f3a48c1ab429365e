#include "SummaryReporter.h"

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
};

void printRow(const Row& row) {
    char target[32] = "";
    const char* verdict = "";
    if (row.limit) {
        std::snprintf(target, sizeof target, "<= %g %s", *row.limit, row.unit);
        verdict = std::isnan(row.value) ? "not run" : row.value <= *row.limit ? "met" : "MISSED";
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
        {"  with the live view against without it",
         counter("BM_WindowLiveViewOverhead", "overhead_pct"), "%", 5},
        {"  the same in processor time",
         counter("BM_WindowLiveViewOverhead", "processor_overhead_pct"),
         "%",
         {}},
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
    };
    std::printf("\n%-52s %12s %-4s %-16s %s\n", "Figure", "value", "", "target", "");
    for (const Row& row : rows) {
        printRow(row);
    }
}

} // namespace kordel
