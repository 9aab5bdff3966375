// Drawing a line of 40 glyphs at 24 pixels: the outline font from its warm
// glyph cache against pixman compositing the same glyph images through its
// glyph cache, against the memory-bandwidth floor of the touched area (one
// read and one write of every pixel), and the device font's antialiased
// path (drawn at 16 times the pixels, then reduced) on the same line.
// Rates are glyphs per second (items) and touched bytes per second.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/Surface.h"
#include "text/FontSettings.h"
#include "text/GdiFont.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace {

using namespace orrivel;

constexpr int32_t kGlyphs = 40;
constexpr int32_t kHeight = 24;
constexpr int32_t kWidth = 1024;
constexpr int32_t kRows = 40;

// Forty characters of game text: kana, kanji and punctuation.
const std::string& Line() {
  static const std::string line = [] {
    const std::string all = platform::Utf8ToCp932(
                                "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじ")
                                .value();
    return all.substr(0, size_t(kGlyphs) * 2);
  }();
  return line;
}

struct Scene {
  std::unique_ptr<OutlineFont> font;
  Surface target;
  Rect touched;

  Scene() {
    BuildBlendTables();
    SetGlyphCacheCapacityWord(512);
    font = std::make_unique<OutlineFont>();
    font->SetFont(kHeight, 0, 0, platform::Utf8ToCp932("ＭＳ ゴシック").value().c_str());
    ResetFontSettings();
    target.Create(kWidth, kRows, 32, 0);
    target.FillRect(0xFF202020u, nullptr);
    font->DrawTextToSurface(&target, 4, 4, Line().c_str(), &touched, nullptr);  // warms the cache
  }
  int64_t TouchedBytes() const { return int64_t(touched.Width()) * touched.Height() * 4; }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_OutlineLineFromCache(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) {
    s.font->DrawTextToSurface(&s.target, 4, 4, Line().c_str(), nullptr, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kGlyphs);
  state.SetBytesProcessed(state.iterations() * s.TouchedBytes());
}
BENCHMARK(BM_OutlineLineFromCache);

// Peer: pixman_composite_glyphs of the very same coverage maps, placed the
// same way, over a solid colour.
void BM_PixmanCompositeGlyphs(benchmark::State& state) {
  Scene& s = TheScene();
  pixman_image_t* dest = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kRows,
                                                  reinterpret_cast<uint32_t*>(s.target.GetBits()), s.target.GetPitch());
  pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&white);
  pixman_glyph_cache_t* cache = pixman_glyph_cache_create();
  std::vector<pixman_glyph_t> glyphs;
  std::vector<pixman_image_t*> images;
  pixman_glyph_cache_freeze(cache);
  Point pen{4, 4};
  size_t pos = 0;
  TextUnit unit;
  while (NextTextUnit(Line().c_str(), &pos, &unit)) {
    Glyph* g = s.font->RenderGlyph(uint16_t(unit.code), kHeight, false, false, false, false);
    if (g && !g->IsBlank()) {
      pixman_image_t* image = pixman_image_create_bits(PIXMAN_a8, g->width, g->height,
                                                       reinterpret_cast<uint32_t*>(g->map.get()), g->pitch);
      images.push_back(image);
      const void* key = pixman_glyph_cache_lookup(cache, s.font.get(), g);
      if (!key) key = pixman_glyph_cache_insert(cache, s.font.get(), g, -g->originX, -g->originY, image);
      glyphs.push_back(pixman_glyph_t{pen.x, pen.y, key});
    }
    if (g) pen = Point{pen.x + g->advanceX, pen.y + g->advanceY};
  }
  pixman_glyph_cache_thaw(cache);
  for (auto _ : state) {
    pixman_composite_glyphs(PIXMAN_OP_OVER, solid, dest, PIXMAN_a8, 0, 0, 0, 0, 0, 0, kWidth, kRows, cache,
                            int(glyphs.size()), glyphs.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kGlyphs);
  state.SetBytesProcessed(state.iterations() * s.TouchedBytes());
  pixman_glyph_cache_destroy(cache);
  for (pixman_image_t* image : images) pixman_image_unref(image);
  pixman_image_unref(solid);
  pixman_image_unref(dest);
}
BENCHMARK(BM_PixmanCompositeGlyphs);

// Floor: every touched pixel read once and written once.
void BM_TouchedAreaBandwidthFloor(benchmark::State& state) {
  Scene& s = TheScene();
  std::vector<uint32_t> scratch(size_t(s.touched.Width()) * size_t(s.touched.Height()), 0x10203040u);
  for (auto _ : state) {
    for (int32_t y = 0; y < s.touched.Height(); ++y) {
      std::memcpy(s.target.GetScanLine(s.touched.top + y) + s.touched.left * 4,
                  scratch.data() + size_t(y) * size_t(s.touched.Width()), size_t(s.touched.Width()) * 4);
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kGlyphs);
  state.SetBytesProcessed(state.iterations() * s.TouchedBytes());
}
BENCHMARK(BM_TouchedAreaBandwidthFloor);

// The device font's antialiased path: the line at four times the size into
// an 8-bit plane, reduced 4 x 4 and blended.
void BM_DeviceAntialiasedLine(benchmark::State& state) {
  Scene& s = TheScene();
  GdiFont font;
  font.SetFont(kHeight, 0, 0, platform::Utf8ToCp932("ＭＳ ゴシック").value().c_str());
  font.SetAntialias(2);
  for (auto _ : state) {
    font.DrawText(&s.target, 4, 4, Line().c_str(), nullptr, nullptr);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kGlyphs);
  state.SetBytesProcessed(state.iterations() * s.TouchedBytes());
}
BENCHMARK(BM_DeviceAntialiasedLine);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_OutlineLineFromCache", "BM_PixmanCompositeGlyphs"},
                              {"BM_OutlineLineFromCache", "BM_TouchedAreaBandwidthFloor"},
                              {"BM_DeviceAntialiasedLine", "BM_OutlineLineFromCache"})
