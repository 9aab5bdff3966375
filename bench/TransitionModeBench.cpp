// The costliest partial frames of the numbered transitions at 800 x 600,
// 32 bits, through the copy back end: the single-pixel spiral cells (modes
// 45 and 46, every pixel its own piece), the block displacement modes (54
// to 63, tens of thousands of blocks) and the mosaic (68) against memcpy of
// the frame, and the cross-fade (53) against pixman's OVER through a solid
// mask. Items are the frame's pixels, so ratios compare frame times; the
// per_piece counter is the time per fragment.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>

#include "PeerReport.h"
#include "TransitionBenchPictures.h"
#include "raster/Surface.h"
#include "transition/RunTransition.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = bench::kTransitionWidth;
constexpr int32_t kHeight = bench::kTransitionHeight;
constexpr int64_t kPixels = bench::kTransitionPixels;

bench::TransitionPictures& Data() {
  static bench::TransitionPictures pictures(53);
  return pictures;
}

// Counts the fragments of a frame without drawing them.
class CountingTap : public FragmentTap {
 public:
  int Fragment(const Rect& source, int32_t x, int32_t y) override {
    ++count;
    return FragmentTap::Fragment(source, x, y);
  }
  int64_t count = 0;
};

int64_t FragmentsOf(uint32_t mode, int32_t progress) {
  auto& p = Data();
  CountingTap tap;
  RunTransitionRoutine(mode, &p.destination, &p.source, progress, 0, 0, kBackendNone, nullptr, &tap);
  return tap.count;
}

void BM_ModeFrame(benchmark::State& state, uint32_t mode, int32_t progress) {
  auto& p = Data();
  const int64_t pieces = FragmentsOf(mode, progress);
  for (auto _ : state) {
    benchmark::DoNotOptimize(RunTransition(mode, &p.destination, &p.source, progress, 0, 0, BackendCopy, nullptr));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
  if (pieces > 0) {
    state.counters["pieces"] = double(pieces);
    state.counters["per_piece"] = benchmark::Counter(
        double(pieces), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  }
}
// Progress 255 draws every rank of the spiral cells.
BENCHMARK_CAPTURE(BM_ModeFrame, mode45, 45u, 255);
BENCHMARK_CAPTURE(BM_ModeFrame, mode46, 46u, 255);
BENCHMARK_CAPTURE(BM_ModeFrame, mode54, 54u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode55, 55u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode56, 56u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode57, 57u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode58, 58u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode59, 59u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode60, 60u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode61, 61u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode62, 62u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode63, 63u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode53, 53u, 128);
BENCHMARK_CAPTURE(BM_ModeFrame, mode68, 68u, 128);

void BM_Memcpy(benchmark::State& state) { bench::CopyWholeFrame(state, Data()); }
BENCHMARK(BM_Memcpy);

pixman_image_t* Wrap(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

// The cross-fade's peer: the source OVER the destination through a solid
// mask of half opacity (opaque pixels, so this is the same weighted sum).
void BM_PixmanOverSolidMask(benchmark::State& state) {
  auto& p = Data();
  pixman_image_t* s = Wrap(p.source);
  pixman_image_t* d = Wrap(p.destination);
  const pixman_color_t half{0x7F00, 0x7F00, 0x7F00, 0x7F00};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, mask, d, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(mask);
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(int64_t(state.iterations()) * kPixels);
}
BENCHMARK(BM_PixmanOverSolidMask);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_ModeFrame/mode45", "BM_Memcpy"}, {"BM_ModeFrame/mode46", "BM_Memcpy"},
                              {"BM_ModeFrame/mode54", "BM_Memcpy"}, {"BM_ModeFrame/mode55", "BM_Memcpy"},
                              {"BM_ModeFrame/mode56", "BM_Memcpy"}, {"BM_ModeFrame/mode57", "BM_Memcpy"},
                              {"BM_ModeFrame/mode58", "BM_Memcpy"}, {"BM_ModeFrame/mode59", "BM_Memcpy"},
                              {"BM_ModeFrame/mode60", "BM_Memcpy"}, {"BM_ModeFrame/mode61", "BM_Memcpy"},
                              {"BM_ModeFrame/mode62", "BM_Memcpy"}, {"BM_ModeFrame/mode63", "BM_Memcpy"},
                              {"BM_ModeFrame/mode53", "BM_PixmanOverSolidMask"},
                              {"BM_ModeFrame/mode68", "BM_Memcpy"})
