// A console reporter that also prints, at the end, the ratio of every
// "numkit/..." benchmark to each counterpart with the same suffix ("mpz/...",
// "int64/..."): below 1 means numkit is faster.  With repetitions the medians
// are compared, and the fastest repetitions on a second line: on a machine
// shared with other work, the fastest of many short repetitions is the one
// least disturbed, so both are given.  Every ratio line says which figures it
// compares.  With repetitions only the aggregates are printed per benchmark
// (the reporter needs every repetition, so do not pass
// --benchmark_report_aggregates_only).
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
    std::vector<Run> shown;
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate || r.repetitions <= 1) shown.push_back(r);
    }
    ConsoleReporter::ReportRuns(shown);
    for (const Run& r : runs) {
      if (r.error_occurred) continue;
      if (r.run_type == Run::RT_Iteration && r.repetitions > 1) {
        Fastest& f = fastest_[r.benchmark_name()];
        const double t = r.GetAdjustedCPUTime();
        f.cpu = f.count == 0 || t < f.cpu ? t : f.cpu;
        ++f.count;
      }
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
        const auto ft = fastest_.find(name), fu = fastest_.find(other);
        if (ft != fastest_.end() && fu != fastest_.end()) {
          std::printf("  %-32s numkit/%-6s %7.3f  fastest of %ld / %ld repetitions\n", rest.c_str(),
                      other.substr(0, slash).c_str(), ft->second.cpu / fu->second.cpu,
                      ft->second.count, fu->second.count);
        }
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

  // The fastest of a benchmark's repetitions, and how many there were.
  struct Fastest {
    double cpu = 0;
    long count = 0;
  };

  std::map<std::string, Figure> times_;
  std::map<std::string, Fastest> fastest_;
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
