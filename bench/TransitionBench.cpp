// The last frame of a numbered transition at 800 x 600, 32 bits, through
// each back end (0 copy, 1 alpha blend, 2 blit surfaces), against memcpy of
// the same bytes (the floor) and pixman's SRC and OVER composites of the
// same pictures, and the alpha back end against the surface blend it calls.
// The time per iteration is the time per frame.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <random>

#include "PackedKernels.h"
#include "PeerReport.h"
#include "PixmanPeer.h"
#include "platform/SoftSurface.h"
#include "raster/Surface.h"
#include "transition/OffscreenDisplay.h"
#include "transition/RunTransition.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = 800;
constexpr int32_t kHeight = 600;
constexpr int64_t kPixels = int64_t(kWidth) * kHeight;
constexpr uint32_t kMode = 31;

struct Pictures {
  Surface source;
  Surface destination;
  tools::OffscreenDisplay display;
  std::unique_ptr<SurfaceImage> blitSource;
  std::unique_ptr<SurfaceImage> blitDestination;

  Pictures() {
    bench::SwitchPackedKernelsOnAsTheGameDoes();
    source.Create(kWidth, kHeight, 32, 0);
    destination.Create(kWidth, kHeight, 32, 0);
    blitSource = display.MakeImage(kWidth, kHeight, platform::SurfaceFormat::X8R8G8B8);
    blitDestination = display.MakeImage(kWidth, kHeight, platform::SurfaceFormat::X8R8G8B8);
    std::mt19937 rng(43);
    for (int32_t y = 0; y < kHeight; ++y) {
      auto* s = reinterpret_cast<uint32_t*>(source.GetScanLine(y));
      auto* d = reinterpret_cast<uint32_t*>(destination.GetScanLine(y));
      for (int32_t x = 0; x < kWidth; ++x) {
        // Sprite-like alpha: mostly opaque or clear, some edges between.
        const uint32_t pick = rng() % 8;
        const uint32_t alpha = pick < 3 ? 0 : pick < 6 ? 255 : rng() & 0xFF;
        s[x] = alpha << 24 | (rng() & 0xFFFFFF);
        d[x] = 0xFF000000u | rng();
      }
    }
    platform::SoftSurface* blits = blitSource->GetDisplaySurface();
    platform::SurfaceLock lock;
    blits->Lock(nullptr, &lock);
    for (int32_t y = 0; y < kHeight; ++y)
      std::memcpy(lock.bits + size_t(y) * size_t(lock.pitch), source.GetScanLine(y), size_t(kWidth) * 4);
    blits->Unlock();
  }
};

Pictures& Data() {
  static Pictures pictures;
  return pictures;
}

void Finish(benchmark::State& state) { state.SetItemsProcessed(int64_t(state.iterations()) * kPixels); }

void BM_TransitionLastFrameCopy(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(RunTransition(kMode, &p.destination, &p.source, 256, 0, 0, BackendCopy, nullptr));
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_TransitionLastFrameCopy);

void BM_TransitionLastFrameAlpha(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        RunTransition(kMode, &p.destination, &p.source, 256, 0, 0, BackendAlphaBlend, nullptr));
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_TransitionLastFrameAlpha);

void BM_TransitionLastFrameBlit(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        RunTransition(kMode, p.blitDestination.get(), p.blitSource.get(), 256, 0, 0, 0, nullptr));
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_TransitionLastFrameBlit);

// The blend the alpha back end hands its frame to, called directly: the
// difference is the transition frame's own cost.
void BM_SurfaceAlphaBlend(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(p.destination.AlphaBlend(&p.source, 0, 0, nullptr, false));
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_SurfaceAlphaBlend);

void BM_Memcpy(benchmark::State& state) {
  auto& p = Data();
  for (auto _ : state) {
    std::memcpy(p.destination.GetBits(), p.source.GetBits(), size_t(kPixels) * 4);
    benchmark::ClobberMemory();
  }
  Finish(state);
}
BENCHMARK(BM_Memcpy);

void PixmanComposite(benchmark::State& state, pixman_op_t op) {
  auto& p = Data();
  bench::CompositeWholePicture(state, op, p.source, p.destination);
  Finish(state);
}

void BM_PixmanSrc(benchmark::State& state) { PixmanComposite(state, PIXMAN_OP_SRC); }
BENCHMARK(BM_PixmanSrc);

void BM_PixmanOver(benchmark::State& state) { PixmanComposite(state, PIXMAN_OP_OVER); }
BENCHMARK(BM_PixmanOver);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_TransitionLastFrameCopy", "BM_Memcpy"},
                              {"BM_TransitionLastFrameCopy", "BM_PixmanSrc"},
                              {"BM_TransitionLastFrameBlit", "BM_Memcpy"},
                              {"BM_TransitionLastFrameBlit", "BM_PixmanSrc"},
                              {"BM_TransitionLastFrameAlpha", "BM_PixmanOver"},
                              {"BM_TransitionLastFrameAlpha", "BM_SurfaceAlphaBlend"})
