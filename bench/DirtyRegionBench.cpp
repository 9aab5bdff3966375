// Recording damage: DirtyRegion::AddRect against pixman's region union over
// the same rectangles, random and in row order (as text drawing adds them).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>
#include <vector>

#include "PeerReport.h"
#include "raster/DirtyRegion.h"

namespace {

using orrivel::DirtyRegion;
using orrivel::Rect;

constexpr int kCount = 1000;

std::vector<Rect> RandomRects() {
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> pos(0, 800 - 1), size(1, 64);
  std::vector<Rect> out;
  for (int i = 0; i < kCount; ++i) {
    const int x = pos(rng), y = pos(rng) * 600 / 800;
    out.push_back({x, y, x + size(rng), y + size(rng)});
  }
  return out;
}

// Glyph cells left to right, line by line.
std::vector<Rect> RowOrderedRects() {
  std::vector<Rect> out;
  for (int i = 0; i < kCount; ++i) {
    const int x = (i % 40) * 20, y = (i / 40) * 24;
    out.push_back({x, y, x + 20, y + 24});
  }
  return out;
}

void AddRects(benchmark::State& state, const std::vector<Rect>& rects) {
  for (auto _ : state) {
    DirtyRegion region;
    for (const Rect& r : rects) region.AddRect(r);
    benchmark::DoNotOptimize(region.Count());
  }
  state.SetItemsProcessed(state.iterations() * int64_t(rects.size()));
}

void PixmanUnion(benchmark::State& state, const std::vector<Rect>& rects) {
  for (auto _ : state) {
    pixman_region32_t region;
    pixman_region32_init(&region);
    for (const Rect& r : rects) {
      pixman_region32_union_rect(&region, &region, r.left, r.top, uint32_t(r.right - r.left),
                                 uint32_t(r.bottom - r.top));
    }
    benchmark::DoNotOptimize(pixman_region32_n_rects(&region));
    pixman_region32_fini(&region);
  }
  state.SetItemsProcessed(state.iterations() * int64_t(rects.size()));
}

void BM_DirtyRegionAddRandom(benchmark::State& state) { AddRects(state, RandomRects()); }
void BM_PixmanUnionRandom(benchmark::State& state) { PixmanUnion(state, RandomRects()); }
void BM_DirtyRegionAddRowOrdered(benchmark::State& state) { AddRects(state, RowOrderedRects()); }
void BM_PixmanUnionRowOrdered(benchmark::State& state) { PixmanUnion(state, RowOrderedRects()); }

void BM_DirtyRegionCoalesceRowOrdered(benchmark::State& state) {
  const std::vector<Rect> rects = RowOrderedRects();
  for (auto _ : state) {
    DirtyRegion region;
    for (const Rect& r : rects) region.AddRect(r);
    region.Coalesce();
    benchmark::DoNotOptimize(region.Count());
  }
}

BENCHMARK(BM_DirtyRegionAddRandom);
BENCHMARK(BM_PixmanUnionRandom);
BENCHMARK(BM_DirtyRegionAddRowOrdered);
BENCHMARK(BM_PixmanUnionRowOrdered);
BENCHMARK(BM_DirtyRegionCoalesceRowOrdered);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_DirtyRegionAddRandom", "BM_PixmanUnionRandom"},
                              {"BM_DirtyRegionAddRowOrdered", "BM_PixmanUnionRowOrdered"})
