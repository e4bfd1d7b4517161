// A console reporter that also prints how much slower one benchmark ran than
// its baseline, both measured in the same run. Shared by the capture and load
// benchmarks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace bench {

class RatioReporter : public benchmark::ConsoleReporter {
  public:
    // Each pair: (measured benchmark name, baseline benchmark name), as the
    // runs are named (e.g. "BM_Capture/real_time").
    explicit RatioReporter(std::vector<std::pair<std::string, std::string>> pairs)
        : pairs_(std::move(pairs)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations == 0) continue;
            // With --benchmark_repetitions the median stands for the benchmark.
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median) continue;
            const std::string name = run.run_name.str();
            if (!median && medians_.count(name)) continue;
            if (median) medians_.insert(name);
            seconds_[name] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        for (const auto& [measured, baseline] : pairs_) {
            const auto m = seconds_.find(measured);
            const auto b = seconds_.find(baseline);
            if (m == seconds_.end() || b == seconds_.end() || b->second <= 0) continue;
            std::printf("%s / %s = %.2f (%.3f ms / %.3f ms)\n", measured.c_str(), baseline.c_str(),
                        m->second / b->second, m->second * 1e3, b->second * 1e3);
        }
    }

  private:
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::map<std::string, double> seconds_;
    std::set<std::string> medians_;
};

// Loopback benchmarks must never go through a proxy from the environment.
inline void UnsetProxyVariables() {
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        ::unsetenv(name);
    }
}

// Runs the registered benchmarks with the reporter; returns main's result.
inline int RunWithRatios(int argc, char** argv,
                         std::vector<std::pair<std::string, std::string>> pairs) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter(std::move(pairs));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace bench
