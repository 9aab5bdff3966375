// The main of the benchmark programs that print no peers (those that do
// have theirs in PeerReport.h): the packed kernels are switched on first, as
// the game switches them on at start, so every figure is what a player runs.
// Benchmarks that time both forms set the flag themselves.
#include <benchmark/benchmark.h>

#include "PackedKernels.h"

int main(int argc, char** argv) {
  orrivel::bench::SwitchPackedKernelsOnAsTheGameDoes();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
