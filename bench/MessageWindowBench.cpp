// The message window at 24 pixels from a warm glyph cache. A page: a full
// 1280-wide page of Japanese text with ruby measured (MeasurePage) and then
// laid out and drawn (DrawPage); the peer is Pango with Cairo laying out
// and drawing the same base text and ruby in the same face into a surface
// of the same size. A reveal frame: one update of the timed wipe with a
// 32-pixel soft edge; the peer is pixman compositing (OVER) the page onto
// the window over the same rectangles (the hard span and the edge).
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "PixmanPeer.h"
#include "base/MathTables.h"
#include "frame/MessageTextWindow.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace {

using namespace orrivel;

constexpr int32_t kWidth = 1280, kHeight = 400, kMargin = 16;
constexpr int32_t kFontPx = 24, kRubyPx = 12;
constexpr int32_t kEdge = 32;
constexpr int kSentences = 9;
constexpr uint32_t kFrameMs = 16;

const char* const kBase = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い";
const char* const kRubyBase = "所";
const char* const kRuby = "ところ";

std::string Cp932(const std::string& utf8) { return platform::Utf8ToCp932(utf8).value(); }

// Page commands of the page: opcode 1 begins ruby, 2 draws it.
std::string Command(uint32_t opcode) {
  std::string out(2, '\0');
  out[1] = '[';
  const uint32_t words[3] = {12, opcode, 0};
  out.append(reinterpret_cast<const char*>(words), sizeof words);
  return out;
}

struct Scene {
  PixelOpLibrary library{"tvpgl.dll", nullptr, false};
  MathTables tables;
  OutlineFont font;
  OutlineFont rubyFont;
  SpriteList list;
  MessageTextWindow window;
  std::string page;    // CP932 with commands
  std::string rubyCp932 = Cp932(kRuby);
  int32_t created = -1;

  Scene() {
    SetCurrentPixelOpLibrary(&library);
    BuildBlendTables();
    SetMathTables(&tables);
    ResetFontSettings();
    font.SetFont(kFontPx, 0, 0, Cp932("ＭＳ ゴシック").c_str());
    rubyFont.SetFont(kRubyPx, 0, 0, Cp932("ＭＳ ゴシック").c_str());
    created = window.Create(&list, 1, kWidth, kHeight, 0, 0, &font, &rubyFont, 0);
    window.SetMargins(kMargin, kMargin, kMargin, kMargin, false);
    window.SetGaps(4, 0, 1);
    window.SetRubyEnabled(true);
    window.SetCommandRunner([this](const uint8_t* record, size_t, size_t& taken) {
      uint32_t words[2];
      std::memcpy(words, record, sizeof words);
      taken = words[0];
      if (words[1] == 1) window.BeginRuby();
      if (words[1] == 2) window.DrawRuby(rubyCp932.c_str(), nullptr);
      return 0;
    });
    for (int i = 0; i < kSentences; ++i)
      page += Cp932(kBase) + Command(1) + Cp932(kRubyBase) + Command(2) + Cp932("に");
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_MessagePageMeasureDraw(benchmark::State& state) {
  Scene& s = TheScene();
  if (s.created != 0) return state.SkipWithError("no window");
  int32_t lines = 0;
  for (auto _ : state) {
    s.window.ResetCursor(true);
    lines = s.window.MeasurePage(s.page.data(), s.page.size(), nullptr, true, false);
    s.window.DrawPage(s.page.data(), s.page.size(), 0, 0, true, false);
  }
  state.counters["lines"] = lines;
}
BENCHMARK(BM_MessagePageMeasureDraw)->Unit(benchmark::kMicrosecond);

void BM_PangoCairoPage(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < kSentences; ++i) text += std::string(kBase) + kRubyBase + "に";
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoLayout* ruby = pango_cairo_create_layout(cr);
  PangoFontDescription* face = pango_font_description_from_string("IPAGothic");
  pango_font_description_set_absolute_size(face, kFontPx * PANGO_SCALE);
  PangoFontDescription* rubyFace = pango_font_description_copy(face);
  pango_font_description_set_absolute_size(rubyFace, kRubyPx * PANGO_SCALE);
  pango_layout_set_font_description(layout, face);
  pango_layout_set_font_description(ruby, rubyFace);
  pango_layout_set_width(layout, (kWidth - 2 * kMargin) * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_CHAR);
  for (auto _ : state) {
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr, 1, 1, 1);
    pango_layout_set_text(layout, text.c_str(), -1);
    cairo_move_to(cr, kMargin, kMargin);
    pango_cairo_show_layout(cr, layout);
    // The ruby over each ruby base, as its own small layout.
    for (int i = 0; i < kSentences; ++i) {
      pango_layout_set_text(ruby, kRuby, -1);
      cairo_move_to(cr, kMargin + 40 * i, kMargin);
      pango_cairo_show_layout(cr, ruby);
    }
    cairo_surface_flush(surface);
  }
  pango_font_description_free(face);
  pango_font_description_free(rubyFace);
  g_object_unref(layout);
  g_object_unref(ruby);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // Pango's font map lets go of fontconfig before the program's own font
  // layer shuts it down.
  pango_cairo_font_map_set_default(nullptr);
}
BENCHMARK(BM_PangoCairoPage)->Unit(benchmark::kMicrosecond);

// Four lines of 1248 pixels and 28 high revealed over 4 seconds: about 80
// pixels a 16 ms frame.
struct RevealRig {
  static constexpr int32_t kLineLength = 1248, kLineHeight = 28, kLines = 4;
  static constexpr uint32_t kDuration = 4000;
  Scene& s = TheScene();
  std::vector<LineBox> boxes;
  uint32_t now = 1000;

  RevealRig() {
    for (int i = 0; i < kLines; ++i) boxes.push_back({0, kLineHeight * i, kLineLength, kLineHeight, 0});
    Surface& page = s.window.PageSurface();
    page.Create(kLineLength, kLineHeight * kLines, 32, 0);
    page.FillRect(0x80FFFFFF, nullptr);
    s.window.SetRevealEdge(kEdge);
  }
  void Restart() {
    s.window.PrepareReveal(boxes, kMargin, kMargin, kDuration);
    s.window.Tick(now);
  }
};

void BM_RevealFrameEdge32(benchmark::State& state) {
  RevealRig rig;
  if (rig.s.created != 0) return state.SkipWithError("no window");
  rig.Restart();
  for (auto _ : state) {
    rig.now += kFrameMs;
    rig.s.window.Tick(rig.now);
    if (rig.s.window.RevealState() == MessageTextWindow::kRevealNone) rig.Restart();
  }
}
BENCHMARK(BM_RevealFrameEdge32)->Unit(benchmark::kMicrosecond);

void BM_PixmanRevealRects(benchmark::State& state) {
  RevealRig rig;
  pixman_image_t* page = bench::WrapSurface(rig.s.window.PageSurface());
  pixman_image_t* window = bench::WrapSurface(rig.s.window.GetSurface());
  const int32_t total = kEdge + RevealRig::kLineLength * RevealRig::kLines;
  uint32_t elapsed = 0;
  int32_t last = 0;
  // The same rectangles the reveal touches: the edge put back, the hard
  // span since the last frame, the edge drawn again.
  auto composite = [&](int32_t from, int32_t to) {
    while (from < to) {
      const int32_t line = from / RevealRig::kLineLength, x = from % RevealRig::kLineLength;
      if (line >= RevealRig::kLines) return;
      const int32_t n = std::min(to - from, RevealRig::kLineLength - x);
      pixman_image_composite32(PIXMAN_OP_OVER, page, nullptr, window, x, line * RevealRig::kLineHeight, 0, 0,
                               kMargin + x, kMargin + line * RevealRig::kLineHeight, n, RevealRig::kLineHeight);
      from += n;
    }
  };
  for (auto _ : state) {
    elapsed += kFrameMs;
    if (elapsed >= RevealRig::kDuration) elapsed = 0, last = 0;
    const int32_t p = int32_t(double(elapsed) / RevealRig::kDuration * total);
    composite(std::max(last - kEdge, 0), last);      // the old edge
    composite(std::max(last - kEdge, 0), std::max(p - kEdge, 0));  // hard
    composite(std::max(p - kEdge, 0), p);            // the new edge
    last = p;
    benchmark::ClobberMemory();
  }
  pixman_image_unref(page);
  pixman_image_unref(window);
}
BENCHMARK(BM_PixmanRevealRects)->Unit(benchmark::kMicrosecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_MessagePageMeasureDraw", "BM_PangoCairoPage"},
                              {"BM_RevealFrameEdge32", "BM_PixmanRevealRects"})
