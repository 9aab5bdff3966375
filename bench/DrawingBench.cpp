// Drawing operations against pixman on the same pixels: the quadrilateral
// mapper (copy and alpha blend) against pixman's affine transform with the
// nearest filter, and the rule-mask draw against OVER through an a8 mask.
// Rates are pixels per second (items processed).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <numbers>
#include <random>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/QuadMapper.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"

namespace {

using orrivel::Point;
using orrivel::Rect;
using orrivel::Surface;

constexpr int kDestWidth = 640;
constexpr int kDestHeight = 480;
constexpr int kSide = 320;  // the turned source picture
constexpr double kAngle = std::numbers::pi / 7;

void FillRandom(Surface& s, uint32_t seed, uint32_t orMask) {
  std::mt19937 rng(seed);
  for (int y = 0; y < s.GetHeight(); ++y) {
    uint8_t* row = s.GetScanLine(y);
    if (s.GetBitsPerPixel() == 32) {
      for (int x = 0; x < s.GetWidth(); ++x) reinterpret_cast<uint32_t*>(row)[x] = rng() | orMask;
    } else {
      for (int x = 0; x < s.GetWidth(); ++x) row[x] = uint8_t(rng());
    }
  }
}

struct Scene {
  Surface texture, dest, frame, mask;
  Point corners[4];
  Point texels[4];
  pixman_transform_t inverse;
  Scene() {
    orrivel::BuildBlendTables();
    texture.Create(kSide, kSide, 32, 0);
    dest.Create(kDestWidth, kDestHeight, 32, 0);
    frame.Create(kDestWidth, kDestHeight, 32, 0);
    mask.Create(kDestWidth, kDestHeight, 8, 0);
    FillRandom(texture, 1, 0);
    FillRandom(dest, 2, 0xFF000000u);
    FillRandom(frame, 3, 0);
    FillRandom(mask, 4, 0);
    // The picture turned by kAngle about the destination's centre.
    const double c = std::cos(kAngle), s = std::sin(kAngle);
    const double cx = kDestWidth / 2.0, cy = kDestHeight / 2.0, half = kSide / 2.0;
    const double local[4][2] = {{-half, -half}, {half, -half}, {-half, half}, {half, half}};
    for (int i = 0; i < 4; ++i) {
      corners[i] = {int32_t(std::lround(cx + local[i][0] * c - local[i][1] * s)),
                    int32_t(std::lround(cy + local[i][0] * s + local[i][1] * c))};
    }
    orrivel::QuadCornersOf(Rect{0, 0, kSide, kSide}, texels);
    // pixman maps destination positions back to source positions.
    pixman_f_transform_t f;
    pixman_f_transform_init_identity(&f);
    f.m[0][0] = c;
    f.m[0][1] = s;
    f.m[0][2] = half - (c * cx + s * cy);
    f.m[1][0] = -s;
    f.m[1][1] = c;
    f.m[1][2] = half - (-s * cx + c * cy);
    pixman_transform_from_pixman_f_transform(&inverse, &f);
  }
};

Scene& Data() {
  static Scene scene;
  return scene;
}

pixman_image_t* Wrap(pixman_format_code_t format, Surface& s) {
  return pixman_image_create_bits(format, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

void FinishQuad(benchmark::State& state) {
  state.SetItemsProcessed(int64_t(state.iterations()) * kSide * kSide);
}

void BM_MapQuadTexture(benchmark::State& state) {
  auto& d = Data();
  const Rect clip{0, 0, kDestWidth, kDestHeight};
  for (auto _ : state) {
    orrivel::MapQuadTexture(&d.dest, &d.texture, d.corners, d.texels, clip, 0);
    benchmark::ClobberMemory();
  }
  FinishQuad(state);
}
BENCHMARK(BM_MapQuadTexture);

template <bool kPacked>
void BM_MapQuadTextureBlend(benchmark::State& state) {
  auto& d = Data();
  const Rect clip{0, 0, kDestWidth, kDestHeight};
  for (auto _ : state) {
    (kPacked ? &orrivel::MapQuadTextureBMmx : &orrivel::MapQuadTextureB)(
        &d.dest, &d.texture, d.corners, d.texels, clip, 0, orrivel::ProductTable[255]);
    benchmark::ClobberMemory();
  }
  FinishQuad(state);
}
BENCHMARK(BM_MapQuadTextureBlend<false>);
BENCHMARK(BM_MapQuadTextureBlend<true>);

// pixman composites the picture's bounding box; pixels outside the turned
// picture are cheap there (no source sample), so the rate counts the
// picture's own pixels as for the mapper.
void PixmanTransformed(benchmark::State& state, pixman_op_t op) {
  auto& d = Data();
  pixman_image_t* src = Wrap(PIXMAN_a8r8g8b8, d.texture);
  pixman_image_t* dst = Wrap(PIXMAN_a8r8g8b8, d.dest);
  pixman_image_set_transform(src, &d.inverse);
  pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
  pixman_image_set_repeat(src, PIXMAN_REPEAT_NONE);
  int left = kDestWidth, top = kDestHeight, right = 0, bottom = 0;
  for (const Point& p : d.corners) {
    left = std::min(left, p.x);
    top = std::min(top, p.y);
    right = std::max(right, p.x);
    bottom = std::max(bottom, p.y);
  }
  for (auto _ : state) {
    pixman_image_composite32(op, src, nullptr, dst, left, top, 0, 0, left, top, right - left,
                             bottom - top);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  FinishQuad(state);
}

void BM_PixmanAffineNearestSrc(benchmark::State& state) { PixmanTransformed(state, PIXMAN_OP_SRC); }
BENCHMARK(BM_PixmanAffineNearestSrc);
void BM_PixmanAffineNearestOver(benchmark::State& state) { PixmanTransformed(state, PIXMAN_OP_OVER); }
BENCHMARK(BM_PixmanAffineNearestOver);

void FinishFrame(benchmark::State& state) {
  state.SetItemsProcessed(int64_t(state.iterations()) * kDestWidth * kDestHeight);
}

template <bool kPacked>
void BM_DrawMasked(benchmark::State& state) {
  auto& d = Data();
  orrivel::SetMmxFlag(kPacked);
  for (auto _ : state) {
    orrivel::DrawMasked(&d.dest, &d.frame, &d.mask, 255, 128, 64, 0, 0, nullptr);
    benchmark::ClobberMemory();
  }
  orrivel::SetMmxFlag(false);
  FinishFrame(state);
}
BENCHMARK(BM_DrawMasked<false>);
BENCHMARK(BM_DrawMasked<true>);

void BM_PixmanOverA8Mask(benchmark::State& state) {
  auto& d = Data();
  pixman_image_t* src = Wrap(PIXMAN_a8r8g8b8, d.frame);
  pixman_image_t* mask = Wrap(PIXMAN_a8, d.mask);
  pixman_image_t* dst = Wrap(PIXMAN_a8r8g8b8, d.dest);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, kDestWidth,
                             kDestHeight);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(mask);
  pixman_image_unref(dst);
  FinishFrame(state);
}
BENCHMARK(BM_PixmanOverA8Mask);

}  // namespace
