// One history page from a full history of 256 entries (named, voiced pages
// of two lines and a choice every eight entries) at 20 pixels: the list
// walked for the scroll position, the visible entries drawn into the
// 758 x 636 history window and the line controls placed (DrawHistoryPage).
// The peer is Pango with Cairo drawing the same visible lines in the same
// face into a surface of the same size.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "base/MathTables.h"
#include "frame/MessageTextWindow.h"
#include "frame/TextHistoryScreen.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "scene/ControlHost.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"

namespace {

using namespace orrivel;

constexpr int32_t kFontPx = 20;
constexpr int kEntries = 256;
const char* const kLine1 = "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。";
const char* const kLine2 = "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。";

std::string Cp932(const std::string& utf8) { return platform::Utf8ToCp932(utf8).value(); }

// A host with no input: the screen only places its controls here.
class QuietHost : public ControlHost {
 public:
  void GetPointerPos(int32_t* x, int32_t* y) override { *x = *y = -1; }
  ActionMap* GetActionMap() override { return nullptr; }
  InputDevice* GetKeyboard() override { return nullptr; }
  InputDevice* GetPointerDevice() override { return nullptr; }
};

struct Rig {
  PixelOpLibrary library{"tvpgl.dll", nullptr, false};
  MathTables tables;
  OutlineFont font;
  SpriteList list;
  MessageTextWindow window;
  QuietHost host;
  TextHistoryBuffer history;
  std::unique_ptr<TextHistoryScreen> screen;
  int32_t opened = -1;

  Rig() {
    SetCurrentPixelOpLibrary(&library);
    BuildBlendTables();
    SetMathTables(&tables);
    ResetFontSettings();
    font.SetFont(kFontPx, 0, 0, Cp932("ＭＳＰ ゴシック").c_str());
    if (window.Create(&list, 3998, TextHistoryScreen::kListWidth, TextHistoryScreen::kVisibleHeight,
                      TextHistoryScreen::kListX, TextHistoryScreen::kListY, &font, nullptr, 0) != 0)
      return;
    window.SetMargins(0, 0, 0, 0, false);
    history.SetCapacity(kEntries);
    const std::string text = Cp932(kLine1) + "\n" + Cp932(kLine2);
    const int32_t pitch = window.LineGap() + window.LineHeight();
    for (int i = 0; i < kEntries; ++i) {
      if (i % 8 == 7) {
        history.BeginChoices(2);
        history.AddChoice(Cp932("右へ行く").c_str(), true);
        history.AddChoice(Cp932("左へ行く").c_str(), true);
        uint32_t serial = 0;
        history.EndChoices(&serial);
        history.SetChoiceTaken(serial, 1);
        continue;
      }
      history.AddEntry(reinterpret_cast<const uint8_t*>(text.data()), uint32_t(text.size()), 2 * pitch + 4,
                       Cp932("猫").c_str(), i % 2 ? "V0001" : "", 0);
    }
    screen = std::make_unique<TextHistoryScreen>(history, window, list, host, TextHistoryScreen::Hooks{});
    opened = screen->Open(false);
  }
};

Rig& TheRig() {
  static Rig rig;
  return rig;
}

void BM_DrawHistoryPage(benchmark::State& state) {
  Rig& rig = TheRig();
  if (rig.opened != 0) return state.SkipWithError("no history screen");
  // Two positions in the middle of the list, so every page is drawn.
  const int32_t middle = rig.screen->Maximum() / 2;
  int32_t turn = 0;
  for (auto _ : state) rig.screen->DrawHistoryPage(middle + (turn ^= 1) * 37);
  state.counters["items"] = double(rig.screen->Plan().items.size());
  state.counters["lines"] = rig.screen->LinesInUse();
}
BENCHMARK(BM_DrawHistoryPage)->Unit(benchmark::kMicrosecond);

void BM_PangoCairoHistoryPage(benchmark::State& state) {
  Rig& rig = TheRig();
  if (rig.opened != 0) return state.SkipWithError("no history screen");
  // The same visible items as UTF-8 lines at the same places.
  rig.screen->DrawHistoryPage(rig.screen->Maximum() / 2);
  struct Line {
    std::string text;
    int32_t y;
  };
  std::vector<Line> lines;
  for (const TextHistoryDrawItem& item : rig.screen->Plan().items) {
    if (item.kind == TextHistoryDrawItem::kName) lines.push_back({"【猫】", item.y});
    if (item.kind == TextHistoryDrawItem::kText) lines.push_back({std::string(kLine1) + "\n" + kLine2, item.y});
    if (item.kind == TextHistoryDrawItem::kChoice) lines.push_back({"左へ行く", item.y});
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, TextHistoryScreen::kListWidth,
                                                        TextHistoryScreen::kVisibleHeight);
  cairo_t* cr = cairo_create(surface);
  PangoLayout* layout = pango_cairo_create_layout(cr);
  PangoFontDescription* face = pango_font_description_from_string("IPAPGothic");
  pango_font_description_set_absolute_size(face, kFontPx * PANGO_SCALE);
  pango_layout_set_font_description(layout, face);
  pango_layout_set_width(layout, TextHistoryScreen::kListWidth * PANGO_SCALE);
  pango_layout_set_wrap(layout, PANGO_WRAP_CHAR);
  for (auto _ : state) {
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr, 1, 1, 1);
    for (const Line& line : lines) {
      pango_layout_set_text(layout, line.text.c_str(), -1);
      cairo_move_to(cr, 0, line.y);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_surface_flush(surface);
  }
  pango_font_description_free(face);
  g_object_unref(layout);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  // Pango's font map lets go of fontconfig before the program's own font
  // layer shuts it down.
  pango_cairo_font_map_set_default(nullptr);
}
BENCHMARK(BM_PangoCairoHistoryPage)->Unit(benchmark::kMicrosecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_DrawHistoryPage", "BM_PangoCairoHistoryPage"})
