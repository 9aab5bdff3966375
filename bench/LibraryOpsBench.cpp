// The pixel-operation library's affine draw and box blur against pixman on
// the same work, 1280 x 720:
// - entry 12 drawing a picture turned by 30 degrees and scaled by 0.8
//   with nearest texels, vs pixman_image_composite32(SRC) through the same
//   affine transform with the nearest filter;
// - entry 13 blurring with radius 4 across and down, vs pixman's separable
//   convolution with the same 9-tap box kernel on both axes.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <memory>
#include <vector>

#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "PixmanPeer.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"

namespace {

using orrivel::Surface;

constexpr int kWidth = 1280, kHeight = 720, kRadius = 4;
constexpr double kTurn = 30.0 * 3.14159265358979323846 / 180.0, kScale = 0.8;

std::unique_ptr<Surface> Picture() {
  auto s = std::make_unique<Surface>();
  s->Create(kWidth, kHeight, 32, 0);
  for (int y = 0; y < kHeight; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < kWidth; ++x)
      row[x] = 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
  }
  return s;
}

// The map x' = a u + c v + tx, y' = b u + d v + ty, centred on the picture.
struct Affine {
  double a, b, c, d, tx, ty;
};
Affine TurnAndScale() {
  const double a = kScale * std::cos(kTurn), b = kScale * std::sin(kTurn);
  const double c = -b, d = a;
  const double cx = kWidth / 2.0, cy = kHeight / 2.0;
  return {a, b, c, d, cx - (a * cx + c * cy), cy - (b * cx + d * cy)};
}

int32_t Fixed(double v) { return int32_t(std::lround(v * 65536.0)); }

void BM_AffineDrawEntry12(benchmark::State& state) {
  if (!orrivel::bench::PixelOpsReady(state)) return;
  auto source = Picture(), target = Picture();
  const Affine m = TurnAndScale();
  for (auto _ : state) {
    orrivel::ApplyPixelOp12(target.get(), source.get(), Fixed(m.a), Fixed(m.b), Fixed(m.c), Fixed(m.d), Fixed(m.tx),
                            Fixed(m.ty), 0, 0, 255);
    benchmark::ClobberMemory();
  }
}

void BM_PixmanAffineNearest(benchmark::State& state) {
  auto source = Picture(), target = Picture();
  const Affine m = TurnAndScale();
  // pixman maps destination to source: the inverse of m.
  const double det = m.a * m.d - m.b * m.c;
  const double ia = m.d / det, ib = -m.b / det, ic = -m.c / det, id = m.a / det;
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(ia);
  t.matrix[0][1] = pixman_double_to_fixed(ic);
  t.matrix[0][2] = pixman_double_to_fixed(-(ia * m.tx + ic * m.ty));
  t.matrix[1][0] = pixman_double_to_fixed(ib);
  t.matrix[1][1] = pixman_double_to_fixed(id);
  t.matrix[1][2] = pixman_double_to_fixed(-(ib * m.tx + id * m.ty));
  pixman_image_t* s = orrivel::bench::WrapSurface(*source);
  pixman_image_t* d = orrivel::bench::WrapSurface(*target);
  pixman_image_set_transform(s, &t);
  pixman_image_set_filter(s, PIXMAN_FILTER_NEAREST, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
}

void BM_BoxBlurEntry13(benchmark::State& state) {
  if (!orrivel::bench::PixelOpsReady(state)) return;
  auto target = Picture();
  for (auto _ : state) {
    orrivel::ApplyPixelOp13(target.get(), kRadius, kRadius, 0, nullptr);
    benchmark::ClobberMemory();
  }
}

void BM_PixmanSeparableBox(benchmark::State& state) {
  auto source = Picture(), target = Picture();
  // Width, height, no phase bits, then the taps of each axis.
  constexpr int kTaps = 2 * kRadius + 1;
  std::vector<pixman_fixed_t> params{pixman_int_to_fixed(kTaps), pixman_int_to_fixed(kTaps), 0, 0};
  for (int i = 0; i < 2 * kTaps; ++i) params.push_back(pixman_double_to_fixed(1.0 / kTaps));
  pixman_image_t* s = orrivel::bench::WrapSurface(*source);
  pixman_image_t* d = orrivel::bench::WrapSurface(*target);
  pixman_image_set_filter(s, PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params.data(), int(params.size()));
  pixman_image_set_repeat(s, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, s, nullptr, d, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
}

}  // namespace

BENCHMARK(BM_AffineDrawEntry12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanAffineNearest)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxBlurEntry13)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PixmanSeparableBox)->Unit(benchmark::kMillisecond);

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_AffineDrawEntry12", "BM_PixmanAffineNearest"},
                              {"BM_BoxBlurEntry13", "BM_PixmanSeparableBox"})
