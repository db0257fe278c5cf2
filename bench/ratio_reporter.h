// A console reporter that also prints each benchmark's time as a ratio to a named baseline.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Each pair is (benchmark name, baseline name); names may be prefixes of run names.
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> ratios)
        : ConsoleReporter(OO_Tabular), ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // With repetitions only the median counts; single runs count as they are.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
                continue;
            }
            times_[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [name, baseline] : ratios_) {
            if (times_.count(name) != 0 && times_.count(baseline) != 0) {
                std::printf("ratio %s / %s = %.2f\n", name.c_str(), baseline.c_str(),
                            times_[name] / times_[baseline]);
            }
        }
    }

  private:
    std::vector<std::pair<std::string, std::string>> ratios_;
    std::map<std::string, double> times_;
};
