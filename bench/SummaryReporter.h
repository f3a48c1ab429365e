#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <string>

namespace kordel {

// The usual console output, then one table of Kordel's speed and memory figures against their
// targets, worked out from the benchmarks that ran.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    const Run* find(const std::string& name) const;
    double counter(const std::string& name, const std::string& counterName) const;
    double milliseconds(const std::string& name) const;

    std::map<std::string, Run> runs_;
};

} // namespace kordel
