// A console reporter that also prints, at the end, the ratio of every
// "numkit/..." benchmark to its "mpz/..." (or other named) counterpart with
// the same suffix: below 1 means numkit is faster.  With repetitions the
// medians are compared.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace numbench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      std::string name = r.benchmark_name();
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type == Run::RT_Aggregate && !median) continue;
      if (median) name = name.substr(0, name.size() - std::string("_median").size());
      // A median replaces the single-run figure of the same benchmark.
      if (median || times_.find(name) == times_.end()) times_[name] = r.GetAdjustedCPUTime();
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nratios (numkit / reference, CPU time%s):\n", hasMedians() ? ", medians" : "");
    for (const auto& [name, t] : times_) {
      if (name.rfind("numkit/", 0) != 0) continue;
      const std::string rest = name.substr(std::string("numkit/").size());
      for (const auto& [other, u] : times_) {
        const auto slash = other.find('/');
        if (slash == std::string::npos || other.rfind("numkit/", 0) == 0) continue;
        if (other.substr(slash + 1) != rest) continue;
        std::printf("  %-40s numkit/%-8s %6.3f\n", rest.c_str(), other.substr(0, slash).c_str(),
                    t / u);
      }
    }
  }

 private:
  bool hasMedians() const { return true; }
  std::map<std::string, double> times_;
};

// main() for a benchmark program that prints ratios.
inline int runWithRatios(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace numbench
