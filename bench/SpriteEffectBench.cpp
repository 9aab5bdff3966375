// The sprite effects' per-step pixel work, each beside a peer in the same
// run:
// - one sp_cfade composite rebuild for two overlapping 400 x 600 sprites
//   (refill from the old picture, fade of its own part, blend of the new
//   picture by the level) vs pixman OVER of the new picture through a solid
//   mask over the same 500 x 600 area;
// - one sp_gfade band step on a 400 x 600 sprite with a 40 px band (the last
//   band put back, the new one saved and shaded, the source rectangle moved)
//   vs memcpy of the band's pixels.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <vector>

#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "PixmanPeer.h"
#include "base/TimerList.h"
#include "effect/SpriteComposite.h"
#include "effect/SpriteGroupFadeAction.h"
#include "platform/Clock.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace {

using orrivel::Surface;

constexpr int kW = 400;
constexpr int kH = 600;
constexpr int kShift = 100;  // the new picture's offset from the old one
constexpr int kBand = 40;

bool Ready(benchmark::State& state) { return orrivel::bench::PixelOpsReady(state); }

std::unique_ptr<Surface> Picture(int w, int h, uint32_t salt) {
  auto s = std::make_unique<Surface>();
  s->Create(w, h, 32, 0);
  s->SetHasAlpha(true);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xC0000000u | ((uint32_t(x * 7 + y * 3) ^ salt) & 0xFFFFFFu);
  }
  return s;
}

void BM_CrossFadeCompositeRebuild(benchmark::State& state) {
  if (!Ready(state)) return;
  auto oldPicture = Picture(kW, kH, 0x123456);
  auto newPicture = Picture(kW, kH, 0x654321);
  orrivel::SpriteComposite composite;
  const orrivel::CompositePlacement oldPlace{oldPicture.get(), {0, 0, kW, kH}, 0, 0};
  const orrivel::CompositePlacement newPlace{newPicture.get(), {0, 0, kW, kH}, kShift, 0};
  if (!composite.Build(kW + kShift, kH, oldPlace, newPlace, nullptr, 0, 0, 0)) {
    state.SkipWithError("composite not built");
    return;
  }
  uint8_t level = 100;
  for (auto _ : state) {
    level = level == 100 ? 101 : 100;
    composite.ApplyLevel(level);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * (kW + kShift) * kH);
}
BENCHMARK(BM_CrossFadeCompositeRebuild);

void BM_PixmanOverSolidMask(benchmark::State& state) {
  auto destination = Picture(kW + kShift, kH, 0x123456);
  auto source = Picture(kW, kH, 0x654321);
  pixman_image_t* d = orrivel::bench::WrapSurface(*destination);
  pixman_image_t* s = orrivel::bench::WrapSurface(*source);
  const pixman_color_t half{0x8000, 0x8000, 0x8000, 0x8000};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, s, mask, d, 0, 0, 0, 0, kShift, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(mask);
  pixman_image_unref(s);
  pixman_image_unref(d);
  state.SetItemsProcessed(state.iterations() * (kW + kShift) * kH);
}
BENCHMARK(BM_PixmanOverSolidMask);

void BM_GradientBandStep(benchmark::State& state) {
  if (!Ready(state)) return;
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  auto picture = Picture(kW, kH, 0x2468AC);
  orrivel::ImageSprite sprite;
  sprite.SetImage(picture.get(), nullptr, 0, 0);
  orrivel::TimerList list;
  auto* wipe = new orrivel::SpriteGroupFadeAction();
  if (wipe->Setup(&list, nullptr, {&sprite, 1000, 0, kBand}) != 0) {
    state.SkipWithError("wipe not set up");
    return;
  }
  uint32_t t = 500;
  for (auto _ : state) {
    t = t == 500 ? 510 : 500;  // a new edge every step
    wipe->Draw(t);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBand * kH);
}
BENCHMARK(BM_GradientBandStep);

void BM_MemcpyBand(benchmark::State& state) {
  auto picture = Picture(kW, kH, 0x2468AC);
  std::vector<uint8_t> band(size_t(kBand) * 4 * kH);
  for (auto _ : state) {
    for (int y = 0; y < kH; ++y)
      std::memcpy(band.data() + size_t(y) * kBand * 4, picture->GetScanLine(y) + 180 * 4, size_t(kBand) * 4);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kBand * kH);
}
BENCHMARK(BM_MemcpyBand);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_CrossFadeCompositeRebuild", "BM_PixmanOverSolidMask"},
                              {"BM_GradientBandStep", "BM_MemcpyBand"})
