// Every numbered transition mode at 800 x 600, 32 bits, through the copy
// and the alpha back ends with the packed kernels on: each iteration draws
// the partial frames at progress 1, 64, 128, 192 and 255, and the items are
// the pixels of those frames, so the ratio against memcpy of one frame
// (the peer, in the same run) compares frame times. The ms_per_frame
// counter is the mean time of one frame of the mode.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "TransitionBenchPictures.h"
#include "raster/Surface.h"
#include "transition/RunTransition.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionRandom.h"

namespace {

using namespace orrivel;

constexpr int64_t kPixels = bench::kTransitionPixels;
constexpr int32_t kProgress[] = {1, 64, 128, 192, 255};
constexpr int64_t kFrames = sizeof(kProgress) / sizeof(kProgress[0]);

bench::TransitionPictures& Data() {
  static bench::TransitionPictures pictures(87);
  return pictures;
}

void ModeFrames(benchmark::State& state, uint32_t mode, int32_t backend) {
  auto& p = Data();
  TransitionRandom::Instance().Seed(1);
  for (auto _ : state) {
    for (int32_t progress : kProgress)
      benchmark::DoNotOptimize(RunTransition(mode, &p.destination, &p.source, progress, 0, 0, backend, nullptr));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kFrames * kPixels);
  state.counters["ms_per_frame"] = benchmark::Counter(double(state.iterations()) * double(kFrames) * 1e-3,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Memcpy(benchmark::State& state) { bench::CopyWholeFrame(state, Data()); }

}  // namespace

int main(int argc, char** argv) {
  static std::vector<std::string> names;
  names.reserve(2 * kTransitionModeCount);
  std::vector<bench::PeerPair> pairs;
  for (uint32_t mode = 0; mode < kTransitionModeCount; ++mode) {
    for (int32_t backend : {int32_t(BackendCopy), int32_t(BackendAlphaBlend)}) {
      names.push_back("BM_Mode/" + std::to_string(mode) + (backend == BackendCopy ? "/copy" : "/alpha"));
      benchmark::RegisterBenchmark(names.back().c_str(), ModeFrames, mode, backend)->Unit(benchmark::kMillisecond);
      pairs.push_back({names.back().c_str(), "BM_Memcpy"});
    }
  }
  benchmark::RegisterBenchmark("BM_Memcpy", BM_Memcpy)->Unit(benchmark::kMillisecond);
  return bench::RunWithPeers(argc, argv, pairs);
}
