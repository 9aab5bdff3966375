// Partial frames of numbered transitions at 800 x 600, 32 bits, through
// back end 0: the cell scramble (mode 5, 60000 small cells, each its own
// copy) and the row stretch wave (mode 2, 600 stretched rows), against
// memcpy of the frame (the floor) and pixman's SRC composite of the whole
// picture in the same run. Items are pixels, so the ratios compare frame
// times; the ns_per_piece counter is the time per fragment.
#include <benchmark/benchmark.h>

#include <cstring>

#include "PeerReport.h"
#include "TransitionBenchPictures.h"
#include "PixmanPeer.h"
#include "raster/Surface.h"
#include "transition/RunTransition.h"
#include "transition/TransitionRandom.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = bench::kTransitionWidth;
constexpr int32_t kHeight = bench::kTransitionHeight;
constexpr int64_t kPixels = bench::kTransitionPixels;

bench::TransitionPictures& Data() {
  static bench::TransitionPictures pictures(7);
  return pictures;
}

// Counts the fragments of a frame on their way to the back end.
class FragmentCounter : public FragmentTap {
 public:
  int Fragment(const Rect& source, int32_t x, int32_t y) override {
    ++count;
    return FragmentTap::Fragment(source, x, y);
  }
  int StretchedFragment(const Rect& source, int32_t x, int32_t y, const Size& size) override {
    ++count;
    return FragmentTap::StretchedFragment(source, x, y, size);
  }
  int64_t count = 0;
};

void PartialFrame(benchmark::State& state, uint32_t mode, int32_t progress) {
  auto& p = Data();
  FragmentCounter counter;
  TransitionRandom::Instance().Seed(1);
  RunTransition(mode, &p.destination, &p.source, progress, 0, 0, BackendCopy, nullptr, &counter);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RunTransition(mode, &p.destination, &p.source, progress, 0, 0, BackendCopy, nullptr));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
  state.counters["ns_per_piece"] = benchmark::Counter(
      double(counter.count) * double(state.iterations()) * 1e-9,
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["pieces"] = double(counter.count);
}

// Half way the scramble moves about half of its cells.
void BM_ScrambleCellsFrame(benchmark::State& state) { PartialFrame(state, 5, 128); }
BENCHMARK(BM_ScrambleCellsFrame);

// At the start the middle rows are almost three times as wide as the picture.
void BM_StretchRowsFrame(benchmark::State& state) { PartialFrame(state, 2, 64); }
BENCHMARK(BM_StretchRowsFrame);

void BM_Memcpy(benchmark::State& state) { bench::CopyWholeFrame(state, Data()); }
BENCHMARK(BM_Memcpy);

void BM_PixmanSrc(benchmark::State& state) {
  auto& p = Data();
  bench::CompositeWholePicture(state, PIXMAN_OP_SRC, p.source, p.destination);
  state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
}
BENCHMARK(BM_PixmanSrc);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_ScrambleCellsFrame", "BM_Memcpy"}, {"BM_ScrambleCellsFrame", "BM_PixmanSrc"},
                              {"BM_StretchRowsFrame", "BM_Memcpy"}, {"BM_StretchRowsFrame", "BM_PixmanSrc"})
