// Glyph rendering: the outline font's uncached rasteriser against the floor
// it stands on (FreeType's own load and render of the same characters at the
// same size), a cached lookup, and the outline accumulation at radius 2.
// Rates are glyphs per second (items processed).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "platform/font/FontFace.h"
#include "raster/BlendTables.h"
#include "text/FontSettings.h"
#include "text/GlyphFilters.h"
#include "text/OutlineFont.h"

namespace {

using orrivel::Glyph;
using orrivel::OutlineFont;

// A line of game text: kana, kanji and punctuation.
const char* kLine = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で";

struct Characters {
  std::vector<uint16_t> codes;
  std::vector<char32_t> unicode;
  Characters() {
    const std::string sjis = orrivel::platform::Utf8ToCp932(kLine).value();
    for (size_t i = 0; i + 1 < sjis.size(); i += 2) {
      const uint16_t code = uint16_t(uint8_t(sjis[i]) << 8 | uint8_t(sjis[i + 1]));
      codes.push_back(code);
      unicode.push_back(orrivel::platform::Cp932CodeToUnicode(code));
    }
  }
};

const Characters& Line() {
  static Characters line;
  return line;
}

std::unique_ptr<OutlineFont> MakeFont(int32_t height, uint32_t capacity) {
  orrivel::BuildBlendTables();
  orrivel::SetGlyphCacheCapacityWord(capacity);
  auto font = std::make_unique<OutlineFont>();
  const std::string face = orrivel::platform::Utf8ToCp932("ＭＳ ゴシック").value();
  font->SetFont(height, 0, 0, face.c_str());
  orrivel::ResetFontSettings();
  return font;
}

void BM_RenderGlyphUncached(benchmark::State& state) {
  auto font = MakeFont(24, 0);
  const auto& codes = Line().codes;
  size_t i = 0;
  for (auto _ : state) {
    Glyph* g = font->RenderGlyph(codes[i], 24, false, false, false, false);
    benchmark::DoNotOptimize(g);
    font->ReleaseUncachedGlyph(g);
    if (++i == codes.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RenderGlyphUncached);

// Peer: FreeType's FT_Load_Glyph + FT_Render_Glyph of the same characters.
void BM_FreeTypeLoadAndRender(benchmark::State& state) {
  orrivel::platform::PlainGlyphRenderer renderer(24);
  if (!renderer.Ok()) state.SkipWithError("no default face");
  const auto& unicode = Line().unicode;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(renderer.Render(unicode[i]));
    if (++i == unicode.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FreeTypeLoadAndRender);

void BM_CachedGlyphLookup(benchmark::State& state) {
  auto font = MakeFont(24, 512);
  const auto& codes = Line().codes;
  for (uint16_t code : codes) font->RenderGlyph(code, 24, false, false, false, false);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(font->RenderGlyph(codes[i], 24, false, false, false, false));
    if (++i == codes.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedGlyphLookup);

// The weighted outline of a 32-pixel glyph at radius 2 (the default edge).
void BM_EdgeAccumulationRadius2(benchmark::State& state) {
  auto font = MakeFont(32, 512);
  const Glyph* source = font->RenderGlyph(Line().codes[1], 32, false, false, false, false);
  const size_t bytes = size_t(source->pitch) * size_t(source->height);
  const int32_t weight = orrivel::EdgeWeight(2);
  for (auto _ : state) {
    Glyph g;
    g.width = source->width;
    g.height = source->height;
    g.pitch = source->pitch;
    g.map = std::make_unique<uint8_t[]>(bytes);
    std::memcpy(g.map.get(), source->map.get(), bytes);
    orrivel::WeightedOutline(&g, 1024, 2, weight);
    benchmark::DoNotOptimize(g.map.get());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EdgeAccumulationRadius2);

}  // namespace
