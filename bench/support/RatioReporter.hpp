// A console reporter that also prints, at the end, the ratio of every
// "numkit/..." benchmark to each counterpart with the same suffix ("mpz/...",
// "int64/..."): below 1 means numkit is faster.  With repetitions the medians
// are compared; every ratio line says which figures it compares: the median
// of N repetitions, or a single run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
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
      if (median || times_.find(name) == times_.end()) {
        times_[name] = {r.GetAdjustedCPUTime(), median ? r.repetitions : 1, r.repetitions};
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nratios (numkit / reference, CPU time; below 1: numkit is faster):\n");
    for (const auto& [name, t] : times_) {
      if (name.rfind("numkit/", 0) != 0) continue;
      const std::string rest = name.substr(std::string("numkit/").size());
      for (const auto& [other, u] : times_) {
        const auto slash = other.find('/');
        if (slash == std::string::npos || other.rfind("numkit/", 0) == 0) continue;
        if (other.substr(slash + 1) != rest) continue;
        std::printf("  %-32s numkit/%-6s %7.3f  %s\n", rest.c_str(), other.substr(0, slash).c_str(),
                    t.cpu / u.cpu, basis(t, u).c_str());
      }
    }
  }

 private:
  // One benchmark's figure: its CPU time, the number of repetitions that
  // figure is the median of (1 for a single run's time) and the number run.
  struct Figure {
    double cpu;
    std::int64_t medianOf;
    std::int64_t repetitions;
  };

  static std::string describe(const Figure& f) {
    if (f.medianOf > 1) return "median of " + std::to_string(f.medianOf) + " repetitions";
    if (f.repetitions > 1) return "first of " + std::to_string(f.repetitions) + " repetitions";
    return "single run";
  }

  // What a ratio compares: one description when both sides agree.
  static std::string basis(const Figure& a, const Figure& b) {
    const std::string da = describe(a), db = describe(b);
    return da == db ? da : da + " / " + db;
  }

  std::map<std::string, Figure> times_;
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
