// The window's text layout at 24 pixels from a warm glyph cache: one
// character through PutChar (the line-breaking tests, placement, drawing
// and the change report to the sprite), and a whole page of 400 characters
// (20 lines of 20) laid out from a reset cursor. The peer is the outline
// font drawing the same characters as one string with no layout at all,
// the floor the layout stands on. Rates are characters per second; the
// page's time is its layout time.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "PeerReport.h"
#include "base/MathTables.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "scene/WindowControl.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace {

using namespace orrivel;

constexpr int32_t kHeight = 24;
constexpr int32_t kPerLine = 20;
constexpr int32_t kLines = 20;
constexpr int32_t kPageCharacters = kPerLine * kLines;

// Game text: kana, kanji and punctuation (closing marks make the
// line-breaking tables answer yes now and then).
const std::string& PageText() {
  static const std::string text = [] {
    const std::string line =
        platform::Utf8ToCp932("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。「何でも」").value();
    std::string out;
    while (out.size() < size_t(kPageCharacters) * 2) out += line;
    return out.substr(0, size_t(kPageCharacters) * 2);
  }();
  return text;
}

struct Scene {
  PixelOpLibrary library{"tvpgl.dll", nullptr, false};
  MathTables tables;
  OutlineFont font;
  SpriteList list;
  WindowControl window;
  Surface plain;
  int32_t created = -1;

  Scene() {
    SetCurrentPixelOpLibrary(&library);
    BuildBlendTables();
    SetMathTables(&tables);
    ResetFontSettings();
    font.SetFont(kHeight, 0, 0, platform::Utf8ToCp932("ＭＳ ゴシック").value().c_str());
    // Exactly 20 characters a line and 20 lines, margins of 8.
    created = window.Create(&list, 1, kPerLine * kHeight + 16 + kHeight, kLines * kHeight + 16, 0, 0, &font, nullptr, 0);
    window.SetMargins(8, 8, 8 + kHeight, 8, true);
    window.SetHangCount(1);
    plain.Create(kPerLine * kHeight * kLines, kHeight, 32, 0);
    LayPage();  // warms the glyph cache
  }
  int32_t LayPage() {
    window.ResetCursor(false);
    const char* p = PageText().c_str();
    int32_t laid = 0;
    while (*p != '\0' && window.PutNext(&p) != 1) ++laid;
    return laid;
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_WindowPutChar(benchmark::State& state) {
  Scene& s = TheScene();
  if (s.created != 0) return state.SkipWithError("no window (is the pixel-operation library beside the program?)");
  const std::string& text = PageText();
  const char* p = text.c_str();
  s.window.ResetCursor(false);
  for (auto _ : state) {
    if (*p == '\0') {
      p = text.c_str();
      s.window.ResetCursor(false);
    }
    if (s.window.PutNext(&p) == 1) s.window.ResetCursor(false);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WindowPutChar);

void BM_WindowFullPage(benchmark::State& state) {
  Scene& s = TheScene();
  if (s.created != 0) return state.SkipWithError("no window (is the pixel-operation library beside the program?)");
  int32_t laid = 0;
  for (auto _ : state) laid = s.LayPage();
  if (laid != kPageCharacters) state.SkipWithError("the page did not hold 400 characters");
  state.SetItemsProcessed(state.iterations() * kPageCharacters);
}
BENCHMARK(BM_WindowFullPage)->Unit(benchmark::kMicrosecond);

void BM_FontStringNoLayout(benchmark::State& state) {
  Scene& s = TheScene();
  for (auto _ : state) s.font.DrawTextToSurface(&s.plain, 0, 0, PageText().c_str(), nullptr, nullptr);
  state.SetItemsProcessed(state.iterations() * kPageCharacters);
}
BENCHMARK(BM_FontStringNoLayout)->Unit(benchmark::kMicrosecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_WindowPutChar", "BM_FontStringNoLayout"},
                              {"BM_WindowFullPage", "BM_FontStringNoLayout"})
