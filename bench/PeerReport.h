#pragma once
// A main for benchmark programs that measure our code against a peer: after
// the usual table it prints each of our figures beside the peer's and the
// ratio (above 1 means ours is faster). Rates are the items or bytes per
// second a benchmark reports, else iterations per second; with repetitions
// the medians are compared. Include once, in the program's only file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "PackedKernels.h"

namespace orrivel::bench {

struct PeerPair {
  const char* ours;
  const char* peer;
};

// Keeps each run's rate while the console prints as usual.
class PeerRecorder : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const auto& run : runs) {
      if (run.error_occurred) continue;
      std::string name = run.run_name.str();
      if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name != "median") continue;
        medians_[name] = RateOf(run);
      } else {
        rates_[name] = RateOf(run);
      }
    }
  }
  // The median of the repetitions, or the single run's rate; 0 when absent.
  double Rate(const std::string& name) const {
    if (auto it = medians_.find(name); it != medians_.end()) return it->second;
    if (auto it = rates_.find(name); it != rates_.end()) return it->second;
    return 0;
  }

 private:
  static double RateOf(const Run& run) {
    for (const char* counter : {"items_per_second", "bytes_per_second"}) {
      if (auto it = run.counters.find(counter); it != run.counters.end()) return double(it->second);
    }
    const double seconds = run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit);
    return seconds > 0 ? 1.0 / seconds : 0;
  }

  std::map<std::string, double> rates_;
  std::map<std::string, double> medians_;
};

// The packed kernels are switched on first, as the game does at start.
inline int RunWithPeers(int argc, char** argv, const std::vector<PeerPair>& pairs) {
  SwitchPackedKernelsOnAsTheGameDoes();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PeerRecorder recorder;
  benchmark::RunSpecifiedBenchmarks(&recorder);
  benchmark::Shutdown();
  std::printf("\n%-44s %-34s %s\n", "ours", "peer", "ours/peer");
  for (const auto& pair : pairs) {
    const double ours = recorder.Rate(pair.ours);
    const double peer = recorder.Rate(pair.peer);
    if (ours == 0 || peer == 0) continue;  // filtered out of this run
    std::printf("%-44s %-34s %.2f\n", pair.ours, pair.peer, ours / peer);
  }
  return 0;
}

}  // namespace orrivel::bench

#define ORRIVEL_BENCH_MAIN_WITH_PEERS(...)                                  \
  int main(int argc, char** argv) {                                         \
    return orrivel::bench::RunWithPeers(argc, argv, {__VA_ARGS__});         \
  }
