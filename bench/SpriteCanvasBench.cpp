// The sprite compositor against pixman on the same work:
// - a whole frame (800 x 600 and 1280 x 720) repainted with 32 alpha-blended
//   128 x 128 sprites over a colour: Render vs a pixman fill plus
//   pixman_image_composite32(OVER) of the same rectangles;
// - the same frame with the sprites in copy mode vs memcpy of the same bytes;
// - dirty collection and coalescing with 2,000 small sprites moving every
//   frame vs pixman_region32 unions of the same old and new rectangles
//   (time per frame: it should stay well under 1 ms).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/ColorBox.h"
#include "raster/PixelOpLibrary.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace {

using orrivel::ColorBox;
using orrivel::ImageSprite;
using orrivel::Rect;
using orrivel::SpriteCanvas;
using orrivel::Surface;

constexpr int kSprites = 32;
constexpr int kSpriteSize = 128;
constexpr uint32_t kBackground = 0xFF203040u;

orrivel::PixelOpLibrary& Library() {
  static orrivel::PixelOpLibrary library("tvpgl.dll", nullptr, false);
  orrivel::SetCurrentPixelOpLibrary(&library);
  orrivel::BuildBlendTables();
  return library;
}

// A soft disc: clear corners, an opaque middle and a ramp between
// (premultiplied, so OVER sees the same picture).
std::unique_ptr<Surface> SpritePicture() {
  auto s = std::make_unique<Surface>();
  s->Create(kSpriteSize, kSpriteSize, 32, 0);
  for (int y = 0; y < kSpriteSize; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < kSpriteSize; ++x) {
      const int dx = x - 64, dy = y - 64, d = dx * dx + dy * dy;
      const uint32_t a = d > 4096 ? 0 : d < 2048 ? 255 : uint32_t(255 - (d - 2048) / 8);
      row[x] = a << 24 | (a * 3 / 4) << 16 | (a / 2) << 8 | (a / 4);
    }
  }
  s->SetHasAlpha(true);
  return s;
}

std::vector<Rect> Placements(int width, int height) {
  std::mt19937 rng(7);
  std::vector<Rect> places;
  for (int i = 0; i < kSprites; ++i) {
    const int x = int(rng() % uint32_t(width - kSpriteSize));
    const int y = int(rng() % uint32_t(height - kSpriteSize));
    places.push_back({x, y, x + kSpriteSize, y + kSpriteSize});
  }
  return places;
}

void Frame(benchmark::State& state, uint8_t mode) {
  if (!Library().HasModule()) {
    state.SkipWithError("pixel-operation library missing");
    return;
  }
  const int width = int(state.range(0)), height = int(state.range(1));
  Surface target;
  target.Create(width, height, 32, 0);
  auto picture = SpritePicture();
  SpriteCanvas canvas;
  canvas.SetTarget(&target, 0);
  canvas.SetBackgroundValue(kBackground, 0);
  std::vector<ImageSprite> sprites(kSprites);
  const std::vector<Rect> places = Placements(width, height);
  for (int i = 0; i < kSprites; ++i) {
    sprites[size_t(i)].SetImage(picture.get(), nullptr, places[size_t(i)].left, places[size_t(i)].top);
    sprites[size_t(i)].SetDrawMode(mode);
    canvas.MainList().Add(&sprites[size_t(i)], uint32_t(i), 0);
  }
  for (auto _ : state) {
    canvas.MarkAllChanged();
    canvas.Render(nullptr, nullptr, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
}

void BM_RenderAlphaSprites(benchmark::State& state) { Frame(state, 2); }
void BM_RenderCopySprites(benchmark::State& state) { Frame(state, 0); }

void BM_PixmanOverSprites(benchmark::State& state) {
  const int width = int(state.range(0)), height = int(state.range(1));
  std::vector<uint32_t> frame(size_t(width) * height);
  auto picture = SpritePicture();
  pixman_image_t* dst =
      pixman_image_create_bits(PIXMAN_a8r8g8b8, width, height, frame.data(), width * 4);
  pixman_image_t* src = pixman_image_create_bits(
      PIXMAN_a8r8g8b8, kSpriteSize, kSpriteSize, reinterpret_cast<uint32_t*>(picture->GetBits()),
      picture->GetPitch());
  const std::vector<Rect> places = Placements(width, height);
  for (auto _ : state) {
    pixman_fill(frame.data(), width, 32, 0, 0, width, height, kBackground);
    for (int i = kSprites - 1; i >= 0; --i) {
      const Rect& r = places[size_t(i)];
      pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, r.left, r.top,
                               kSpriteSize, kSpriteSize);
    }
    benchmark::ClobberMemory();
  }
  pixman_image_unref(src);
  pixman_image_unref(dst);
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
}

void BM_MemcpySprites(benchmark::State& state) {
  const int width = int(state.range(0)), height = int(state.range(1));
  std::vector<uint32_t> frame(size_t(width) * height);
  auto picture = SpritePicture();
  const std::vector<Rect> places = Placements(width, height);
  for (auto _ : state) {
    pixman_fill(frame.data(), width, 32, 0, 0, width, height, kBackground);
    for (int i = kSprites - 1; i >= 0; --i) {
      const Rect& r = places[size_t(i)];
      for (int y = 0; y < kSpriteSize; ++y)
        std::memcpy(&frame[size_t(r.top + y) * width + r.left], picture->GetScanLine(y),
                    kSpriteSize * 4);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * width * height);
}

// 2,000 boxes of 6 x 6 on an 800 x 600 target, each stepping every frame.
constexpr int kMovers = 2000;

Rect MoverPlace(int i, int frame) {
  const int x = (i * 37 + frame * (1 + i % 3)) % 794;
  const int y = (i * 53 / 7 + frame * (1 + i % 2)) % 594;
  return {x, y, x + 6, y + 6};
}

void BM_CollectDirtyMovingSprites(benchmark::State& state) {
  Surface target;
  target.Create(800, 600, 32, 0);
  SpriteCanvas canvas;
  canvas.SetTarget(&target, 0);
  std::vector<ColorBox> boxes(kMovers);
  for (int i = 0; i < kMovers; ++i) {
    const Rect r = MoverPlace(i, 0);
    boxes[size_t(i)].Init(6, 6, 0xFFFFFFFFu, r.left, r.top);
    canvas.MainList().Add(&boxes[size_t(i)], uint32_t(i), 0);
  }
  canvas.CollectDirty(nullptr, nullptr);
  int frame = 0;
  int32_t rects = 0;
  for (auto _ : state) {
    ++frame;
    for (int i = 0; i < kMovers; ++i) {
      const Rect r = MoverPlace(i, frame);
      boxes[size_t(i)].SetPosition(r.left, r.top);
    }
    canvas.CollectDirty(nullptr, nullptr);
    rects = canvas.Region().Count();
    canvas.ResetChanges();
  }
  state.counters["rects"] = double(rects);
}

void BM_PixmanRegionMovingSprites(benchmark::State& state) {
  int frame = 0;
  for (auto _ : state) {
    ++frame;
    pixman_region32_t region;
    pixman_region32_init(&region);
    for (int i = 0; i < kMovers; ++i) {
      const Rect before = MoverPlace(i, frame - 1), after = MoverPlace(i, frame);
      pixman_region32_union_rect(&region, &region, before.left, before.top, 6, 6);
      pixman_region32_union_rect(&region, &region, after.left, after.top, 6, 6);
    }
    benchmark::DoNotOptimize(pixman_region32_n_rects(&region));
    pixman_region32_fini(&region);
  }
}

}  // namespace

BENCHMARK(BM_RenderAlphaSprites)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanOverSprites)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderCopySprites)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MemcpySprites)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollectDirtyMovingSprites)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PixmanRegionMovingSprites)->Unit(benchmark::kMicrosecond);
