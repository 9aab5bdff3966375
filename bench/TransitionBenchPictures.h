#pragma once
// The two 800 x 600, 32-bit pictures of the numbered-transition benchmarks,
// filled with opaque noise, with the blend and math tables the game builds
// at start published for the modes that read them, and the packed kernels
// switched on as the game does.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "PackedKernels.h"
#include "base/MathTables.h"
#include "raster/BlendTables.h"
#include "raster/Surface.h"

namespace orrivel::bench {

constexpr int32_t kTransitionWidth = 800;
constexpr int32_t kTransitionHeight = 600;
constexpr int64_t kTransitionPixels = int64_t(kTransitionWidth) * kTransitionHeight;

struct TransitionPictures {
  Surface source;
  Surface destination;
  MathTables tables;

  explicit TransitionPictures(uint32_t seed) {
    SwitchPackedKernelsOnAsTheGameDoes();
    BuildBlendTables();
    SetMathTables(&tables);
    source.Create(kTransitionWidth, kTransitionHeight, 32, 0);
    destination.Create(kTransitionWidth, kTransitionHeight, 32, 0);
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < kTransitionHeight; ++y) {
      auto* s = reinterpret_cast<uint32_t*>(source.GetScanLine(y));
      auto* d = reinterpret_cast<uint32_t*>(destination.GetScanLine(y));
      for (int32_t x = 0; x < kTransitionWidth; ++x) {
        s[x] = 0xFF000000u | rng();
        d[x] = 0xFF000000u | rng();
      }
    }
  }
};

// The peer the transition benches print beside their frames: one whole
// frame copied with memcpy.
inline void CopyWholeFrame(benchmark::State& state, TransitionPictures& p) {
  for (auto _ : state) {
    std::memcpy(p.destination.GetBits(), p.source.GetBits(), size_t(kTransitionPixels) * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kTransitionPixels);
}

}  // namespace orrivel::bench
