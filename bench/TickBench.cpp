// Reading the tick sits on every hot path that animates; it must stay close
// to the cost of the raw clock call.
#include <benchmark/benchmark.h>
#include <time.h>

#include "base/TickSource.h"

namespace {

void BM_CurrentTickMs(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(orrivel::CurrentTickMs());
}
BENCHMARK(BM_CurrentTickMs);

void BM_RawMonotonicClock(benchmark::State& state) {
  timespec ts{};
  for (auto _ : state) {
    clock_gettime(CLOCK_MONOTONIC, &ts);
    benchmark::DoNotOptimize(ts);
  }
}
BENCHMARK(BM_RawMonotonicClock);

}  // namespace
