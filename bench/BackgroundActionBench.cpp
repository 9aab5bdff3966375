// The background actions' per-frame work at 800 x 600, each beside a peer in
// the same run:
// - one bg_rast frame (every row of the work copy shifted from the picture)
//   vs a memcpy of the work copy's bytes;
// - bg_zoom's stretch of a 400 x 300 part of the picture over the screen,
//   nearest and interpolated texels, vs pixman_image_composite32(SRC)
//   through the same scale with the nearest and the bilinear filter;
// - one bg_cross frame (the two-source blend of two pictures into the work
//   copy) vs pixman OVER of the second picture through a solid mask onto a
//   copy of the first;
// - bg_blur's affine blend (a turn and a zoom about the middle,
//   interpolated, at opacity 128) vs pixman OVER through the same affine
//   transform, bilinear, with a solid half mask; and its stretch blend (a
//   zoom about the middle) vs pixman OVER through the same scale.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
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

// bg_blur's frames: a turn of 20 steps at scale 1.2 about the middle.
constexpr double kBlurScale = 1.2;
constexpr double kBlurTurn = 20.0 * 2.0 * 3.14159265358979323846 / 512.0;

// The turn and scale about the middle, source to destination.
orrivel::AffineMap TurnMap() {
  orrivel::AffineMap map;
  const double c = std::cos(kBlurTurn) * kBlurScale, s = std::sin(kBlurTurn) * kBlurScale;
  map.xx = c;
  map.xy = s;
  map.yx = -s;
  map.yy = c;
  map.tx = kW / 2.0 - (c * kW / 2.0 + s * kH / 2.0);
  map.ty = kH / 2.0 - (-s * kW / 2.0 + c * kH / 2.0);
  return map;
}

void BM_BlurAffineFrame(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(kW, kH, 11), copy = Picture(kW, kH, 12);
  const orrivel::AffineMap map = TurnMap();
  orrivel::BackgroundPixelOps& ops = orrivel::CurrentBackgroundPixelOps();
  for (auto _ : state) {
    ops.AffineBlend(copy.get(), picture.get(), map, orrivel::BackgroundPixelOps::kFiltered, 0, 128);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
BENCHMARK(BM_BlurAffineFrame);

void BM_BlurStretchFrame(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(kW, kH, 13), copy = Picture(kW, kH, 14);
  const int w = int(kW * kBlurScale + 0.5), h = int(kH * kBlurScale + 0.5);
  const int left = int(kW / 2 - (kW / 2 * kBlurScale + 0.5)), top = int(kH / 2 - (kH / 2 * kBlurScale + 0.5));
  orrivel::BackgroundPixelOps& ops = orrivel::CurrentBackgroundPixelOps();
  for (auto _ : state) {
    ops.StretchBlend(copy.get(), picture.get(), orrivel::Rect{left, top, left + w, top + h},
                     orrivel::Rect{0, 0, kW, kH}, orrivel::BackgroundPixelOps::kFiltered, 0, 128);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}
BENCHMARK(BM_BlurStretchFrame);

// pixman's transform maps destination to source: the inverse of the map.
void PixmanBlurOver(benchmark::State& state, const orrivel::AffineMap& map, uint32_t salt) {
  auto picture = Picture(kW, kH, salt), copy = Picture(kW, kH, salt + 1);
  pixman_image_t* src = Wrap(*picture);
  pixman_image_t* dst = Wrap(*copy);
  const double det = map.xx * map.yy - map.xy * map.yx;
  const double ixx = map.yy / det, ixy = -map.xy / det, iyx = -map.yx / det, iyy = map.xx / det;
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(ixx);
  t.matrix[0][1] = pixman_double_to_fixed(ixy);
  t.matrix[0][2] = pixman_double_to_fixed(-(ixx * map.tx + ixy * map.ty));
  t.matrix[1][0] = pixman_double_to_fixed(iyx);
  t.matrix[1][1] = pixman_double_to_fixed(iyy);
  t.matrix[1][2] = pixman_double_to_fixed(-(iyx * map.tx + iyy * map.ty));
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
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

void BM_PixmanAffineBilinear(benchmark::State& state) { PixmanBlurOver(state, TurnMap(), 11); }
BENCHMARK(BM_PixmanAffineBilinear);

void BM_PixmanScaledBilinear(benchmark::State& state) {
  orrivel::AffineMap map;
  map.xx = map.yy = kBlurScale;
  map.tx = kW / 2.0 * (1 - kBlurScale);
  map.ty = kH / 2.0 * (1 - kBlurScale);
  PixmanBlurOver(state, map, 13);
}
BENCHMARK(BM_PixmanScaledBilinear);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_RastFrame", "BM_MemcpyFrame"}, {"BM_ZoomStretchNearest", "BM_PixmanZoomNearest"},
                              {"BM_ZoomStretchFiltered", "BM_PixmanZoomBilinear"},
                              {"BM_CrossFrame", "BM_PixmanOverSolidMask"},
                              {"BM_BlurAffineFrame", "BM_PixmanAffineBilinear"},
                              {"BM_BlurStretchFrame", "BM_PixmanScaledBilinear"})
