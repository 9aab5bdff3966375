// Turned and stretched sprites against pixman on the same work:
// - a 512 x 512 picture turned by 37/512 of a turn with interpolated texels
//   into its bounding box: ImageSprite::SetRotation (the copy rebuilt each
//   time) vs pixman_image_composite32(SRC) through a bilinear affine
//   transform of the same picture onto a box of the same size;
// - a 256 x 256 picture stretched to 512 x 512 with interpolated texels:
//   the stretch entry vs pixman's bilinear scale of the same picture;
// - a sprite turning one step every frame on an 800 x 600 canvas, rotation
//   buffer reserved once: time per frame and heap allocations per frame
//   (the counter "allocs_per_frame" should be 0).
// After the table each figure is printed beside pixman's with their ratio.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>

#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "base/MathTables.h"
#include "raster/BlendTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/PixelOpLibrary.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace {

std::atomic<uint64_t> gAllocations{0};

}  // namespace

// Every heap allocation of the program is counted. The replacements pair
// malloc with free throughout; the compiler cannot see that across them.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

using orrivel::ImageSprite;
using orrivel::Rect;
using orrivel::SpriteCanvas;
using orrivel::Surface;

constexpr int32_t kAngle = 37;

bool Ready(benchmark::State& state) { return orrivel::bench::PixelOpsReady(state); }

std::unique_ptr<Surface> Picture(int size) {
  auto s = std::make_unique<Surface>();
  s->Create(size, size, 32, 0);
  for (int y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < size; ++x) row[x] = 0xFF000000u | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | uint32_t((x ^ y) & 0xFF);
  }
  return s;
}

pixman_image_t* Wrap(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

void BM_SpriteRotateBilinear512(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(512);
  ImageSprite sprite;
  sprite.SetImage(picture.get(), nullptr, 0, 0);
  sprite.SetBlendMode(1);
  sprite.ReserveRotationBuffer(1.0);
  int turn = 0;
  for (auto _ : state) {
    // A whole turn apart: the same picture, built again every time.
    sprite.SetRotation(kAngle + 512 * (turn++ & 1), 1.0);
    benchmark::ClobberMemory();
  }
  state.counters["box"] = double(sprite.GetRotatedWidth());
  state.SetItemsProcessed(int64_t(state.iterations()) * sprite.GetRotatedWidth() * sprite.GetRotatedHeight());
}

void BM_PixmanRotateBilinear512(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(512);
  // The same box as the sprite's.
  const double theta = kAngle * 2.0 * M_PI / 512.0;
  const double c = std::cos(theta), s = std::sin(theta);
  const int box = int(512.0 * (std::fabs(c) + std::fabs(s)));
  Surface out;
  out.Create(box, box, 32, 0);
  pixman_image_t* src = Wrap(*picture);
  pixman_image_t* dst = Wrap(out);
  // Destination to source: about the box's centre, turned back, onto the
  // picture's centre.
  pixman_f_transform_t f;
  pixman_f_transform_init_translate(&f, -box / 2.0, -box / 2.0);
  pixman_f_transform_rotate(&f, nullptr, c, -s);
  pixman_f_transform_translate(&f, nullptr, 256.0, 256.0);
  pixman_transform_t t;
  pixman_transform_from_pixman_f_transform(&t, &f);
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, box, box);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  state.counters["box"] = double(box);
  state.SetItemsProcessed(int64_t(state.iterations()) * box * box);
}

void BM_SpriteStretchBilinear2x(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(256);
  Surface out;
  out.Create(512, 512, 32, 0);
  auto stretch = orrivel::PixelOpEntryAs<orrivel::PixelOpSpriteStretchFn>(orrivel::kPixelOpSpriteStretch);
  const orrivel::PixelOpImage to = orrivel::ViewForLibrary(&out), from = orrivel::ViewForLibrary(picture.get());
  const Rect whole{0, 0, 256, 256};
  for (auto _ : state) {
    stretch(&to, &from, nullptr, 0, 0, &whole, 0, 1, 255, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * 512 * 512);
}

void BM_PixmanStretchBilinear2x(benchmark::State& state) {
  if (!Ready(state)) return;
  auto picture = Picture(256);
  Surface out;
  out.Create(512, 512, 32, 0);
  pixman_image_t* src = Wrap(*picture);
  pixman_image_t* dst = Wrap(out);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
  pixman_image_set_transform(src, &t);
  pixman_image_set_filter(src, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  pixman_image_set_repeat(src, PIXMAN_REPEAT_PAD);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, 0, 0, 512, 512);
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  state.SetItemsProcessed(int64_t(state.iterations()) * 512 * 512);
}

void BM_TurningSpriteFrame(benchmark::State& state) {
  if (!Ready(state)) return;
  Surface target;
  target.Create(800, 600, 32, 0);
  auto picture = Picture(128);
  picture->SetHasAlpha(true);
  SpriteCanvas canvas;
  canvas.SetTarget(&target, 0);
  canvas.SetBackgroundValue(0xFF203040u, 1);
  ImageSprite sprite;
  sprite.SetImage(picture.get(), nullptr, 336, 236);
  sprite.SetBlendMode(1);
  sprite.ReserveRotationBuffer(1.5);
  canvas.MainList().Add(&sprite, 0, 0);
  int32_t angle = 0;
  // The first frames may still allocate (the double cosine table, region
  // nodes, room for the old and new places); every later one must not.
  for (int frame = 0; frame < 3; ++frame) {
    sprite.SetRotation(++angle, 1.25);
    canvas.Render(nullptr, nullptr, 0, 0);
  }
  const uint64_t before = gAllocations.load();
  for (auto _ : state) {
    sprite.SetRotation(++angle, 1.25);
    canvas.Render(nullptr, nullptr, 0, 0);
    benchmark::ClobberMemory();
  }
  const uint64_t made = gAllocations.load() - before;
  state.counters["allocs_per_frame"] = double(made) / double(state.iterations());
  canvas.MainList().Clear();
}

}  // namespace

BENCHMARK(BM_SpriteRotateBilinear512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanRotateBilinear512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpriteStretchBilinear2x)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanStretchBilinear2x)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TurningSpriteFrame)->Unit(benchmark::kMicrosecond);

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_SpriteRotateBilinear512", "BM_PixmanRotateBilinear512"},
                              {"BM_SpriteStretchBilinear2x", "BM_PixmanStretchBilinear2x"})
