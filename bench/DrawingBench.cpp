// Drawing operations against pixman on the same pixels: the quadrilateral
// mapper (copy and alpha blend) against pixman's affine transform with the
// nearest filter, and the rule-mask draw against the pixman operation that
// gives the same pixels: an x8r8g8b8 source OVER through an a8 mask holding
// the rule's levels. Rates are the pixels each side writes per second
// (items processed).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <numbers>
#include <random>

#include "PeerReport.h"
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

// The rule draw of the benchmark: level 255, the ramp at 128, 64 wide.
constexpr int32_t kRulePosition = 128;
constexpr int32_t kRuleWidth = 64;

struct Scene {
  Surface texture, dest, frame, mask, ruleLevels;
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
    // The levels the rule gives each mask byte, for the peer.
    ruleLevels.Create(kDestWidth, kDestHeight, 8, 0);
    uint8_t map[256];
    orrivel::BuildRuleMap(map, 255, kRulePosition, kRuleWidth);
    for (int y = 0; y < kDestHeight; ++y)
      for (int x = 0; x < kDestWidth; ++x) ruleLevels.GetScanLine(y)[x] = map[mask.GetScanLine(y)[x]];
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

// pixman composites, and writes, the whole bounding box of the turned
// picture, so its rate counts the box; the mapper writes the picture's own
// pixels only.
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
  state.SetItemsProcessed(int64_t(state.iterations()) * (right - left) * (bottom - top));
}

void BM_PixmanAffineNearestSrc(benchmark::State& state) { PixmanTransformed(state, PIXMAN_OP_SRC); }
BENCHMARK(BM_PixmanAffineNearestSrc);
void BM_PixmanAffineNearestOver(benchmark::State& state) { PixmanTransformed(state, PIXMAN_OP_OVER); }
BENCHMARK(BM_PixmanAffineNearestOver);

void FinishFrame(benchmark::State& state) {
  state.SetItemsProcessed(int64_t(state.iterations()) * kDestWidth * kDestHeight);
}

// The argument is the packed vector width in bytes (16 is SSE2, 32 AVX2);
// 0 runs the plain kernel.
void BM_DrawMasked(benchmark::State& state) {
  auto& d = Data();
  const int bytes = int(state.range(0));
  if (bytes != 0 && orrivel::SetPackedVectorBytes(bytes) != bytes) {
    state.SkipWithError("vector width not available");
    return;
  }
  orrivel::SetMmxFlag(bytes != 0);
  for (auto _ : state) {
    orrivel::DrawMasked(&d.dest, &d.frame, &d.mask, 255, kRulePosition, kRuleWidth, 0, 0, nullptr);
    benchmark::ClobberMemory();
  }
  orrivel::SetMmxFlag(false);
  orrivel::SetPackedVectorBytes(32);
  FinishFrame(state);
}
BENCHMARK(BM_DrawMasked)->Arg(0)->Arg(16)->Arg(32);

void BM_PixmanOverA8Mask(benchmark::State& state) {
  auto& d = Data();
  pixman_image_t* src = Wrap(PIXMAN_x8r8g8b8, d.frame);
  pixman_image_t* mask = Wrap(PIXMAN_a8, d.ruleLevels);
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

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_MapQuadTexture", "BM_PixmanAffineNearestSrc"},
                              {"BM_MapQuadTextureBlend<true>", "BM_PixmanAffineNearestOver"},
                              {"BM_DrawMasked/16", "BM_PixmanOverA8Mask"},
                              {"BM_DrawMasked/32", "BM_PixmanOverA8Mask"})
