// The background actions' per-frame work at 800 x 600, each beside a peer in
// the same run:
// - one bg_rast frame (every row of the work copy shifted from the picture)
//   vs a memcpy of the work copy's bytes;
// - bg_zoom's stretch of a 400 x 300 part of the picture over the screen,
//   nearest and interpolated texels, vs pixman_image_composite32(SRC)
//   through the same scale with the nearest and the bilinear filter;
// - one bg_cross frame (the two-source blend of two pictures into the work
//   copy) vs pixman OVER of the second picture through a solid mask onto a
//   copy of the first.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>

#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "base/MathTables.h"
#include "base/TimerList.h"
#include "effect/BgRastAction.h"
#include "effect/LayerHost.h"
#include "platform/Clock.h"
#include "raster/BackgroundPixelOps.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "scene/SpriteCanvas.h"

namespace {

using orrivel::Surface;

constexpr int kW = 800;
constexpr int kH = 600;

bool Ready(benchmark::State& state) { return orrivel::bench::PixelOpsReady(state); }

std::unique_ptr<Surface> Picture(int w, int h, uint32_t salt) {
  auto s = std::make_unique<Surface>();
  s->Create(w, h, 32, 0);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | ((uint32_t(x * 7 + y * 3) ^ salt) & 0xFFFFFFu);
  }
  return s;
}

pixman_image_t* Wrap(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

class BenchLayer : public orrivel::BackgroundLayer {
 public:
  BenchLayer() {
    screen_.Create(kW, kH, 32, 0);
    canvas_.SetTarget(&screen_, 0);
  }
  orrivel::SpriteCanvas* GetLayerCanvas() override { return &canvas_; }

 private:
  Surface screen_;
  orrivel::SpriteCanvas canvas_;
};

void SetBytes(benchmark::State& state) { state.SetBytesProcessed(state.iterations() * int64_t{kW} * kH * 4); }

void BM_RastFrame(benchmark::State& state) {
  if (!Ready(state)) return;
  orrivel::platform::ManualClock clock(1000);
  orrivel::platform::ScopedClock scoped(clock);
  auto picture = Picture(kW + 64, kH + 64, 0x5A5A5A);
  BenchLayer layer;
  layer.GetLayerCanvas()->SetBackgroundImage(picture.get(), 32, 32, 0);
  orrivel::TimerList list;
  auto* rast = new orrivel::BgRastAction();
  if (rast->Setup(&list, &layer, {24, 200, 1000, 0, 0, 0, 1, 0}) != 0) {
    delete rast;
    state.SkipWithError("set-up failed");
    return;
  }
  uint32_t now = 1000;
  // Two ms a frame moves the phase by one step of the wave every frame.
  for (auto _ : state) list.Step(now += 2);
  SetBytes(state);
  list.Clear();
}
BENCHMARK(BM_RastFrame);

void BM_MemcpyFrame(benchmark::State& state) {
  auto from = Picture(kW, kH, 1), to = Picture(kW, kH, 2);
  for (auto _ : state) {
    std::memcpy(to->GetBits(), from->GetBits(), size_t(kW) * kH * 4);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
BENCHMARK(BM_MemcpyFrame);

const orrivel::Rect kZoomSource{200, 150, 600, 450};

void ZoomStretch(benchmark::State& state, uint32_t flags) {
  if (!Ready(state)) return;
  auto picture = Picture(kW, kH, 3), copy = Picture(kW, kH, 4);
  orrivel::BackgroundPixelOps& ops = orrivel::CurrentBackgroundPixelOps();
  for (auto _ : state) {
    ops.StretchBlend(copy.get(), picture.get(), orrivel::Rect{0, 0, kW, kH}, kZoomSource, flags, 0, 255);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
void BM_ZoomStretchNearest(benchmark::State& state) { ZoomStretch(state, 0); }
void BM_ZoomStretchFiltered(benchmark::State& state) {
  ZoomStretch(state, orrivel::BackgroundPixelOps::kFiltered);
}
BENCHMARK(BM_ZoomStretchNearest);
BENCHMARK(BM_ZoomStretchFiltered);

void PixmanZoom(benchmark::State& state, pixman_filter_t filter) {
  auto picture = Picture(kW, kH, 3), copy = Picture(kW, kH, 4);
  pixman_image_t* src = Wrap(*picture);
  pixman_image_t* dst = Wrap(*copy);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, filter, nullptr, 0);
  for (auto _ : state) {
    // Destination (x, y) reads source (x / 2 + 200, y / 2 + 150).
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 2 * kZoomSource.left, 2 * kZoomSource.top, 0, 0, 0, 0,
                             kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  SetBytes(state);
}
void BM_PixmanZoomNearest(benchmark::State& state) { PixmanZoom(state, PIXMAN_FILTER_NEAREST); }
void BM_PixmanZoomBilinear(benchmark::State& state) { PixmanZoom(state, PIXMAN_FILTER_BILINEAR); }
BENCHMARK(BM_PixmanZoomNearest);
BENCHMARK(BM_PixmanZoomBilinear);

void BM_CrossFrame(benchmark::State& state) {
  auto a = Picture(kW, kH, 5), b = Picture(kW, kH, 6), copy = Picture(kW, kH, 7);
  orrivel::BackgroundPixelOps& ops = orrivel::CurrentBackgroundPixelOps();
  uint8_t level = 0;
  for (auto _ : state) {
    ops.BlendTwoSources(copy.get(), a.get(), b.get(), level += 3, nullptr);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
BENCHMARK(BM_CrossFrame);

void BM_PixmanOverSolidMask(benchmark::State& state) {
  auto b = Picture(kW, kH, 6), copy = Picture(kW, kH, 7);
  pixman_image_t* src = Wrap(*b);
  pixman_image_t* dst = Wrap(*copy);
  const pixman_color_t half{0x8000, 0x8000, 0x8000, 0x8000};
  pixman_image_t* mask = pixman_image_create_solid_fill(&half);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, kW, kH);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(mask);
  pixman_image_unref(src);
  pixman_image_unref(dst);
  SetBytes(state);
}
BENCHMARK(BM_PixmanOverSolidMask);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_RastFrame", "BM_MemcpyFrame"}, {"BM_ZoomStretchNearest", "BM_PixmanZoomNearest"},
                              {"BM_ZoomStretchFiltered", "BM_PixmanZoomBilinear"},
                              {"BM_CrossFrame", "BM_PixmanOverSolidMask"})
