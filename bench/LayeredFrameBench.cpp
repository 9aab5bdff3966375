// A whole 800 x 600 frame of ten layers with text, as a scene with a
// message shows it: an opaque background, eight alpha-blended pictures
// (characters, props, effects) and a message window whose three lines of
// text are drawn again every frame. Ours: the sprite compositor renders the
// frame after the window's text is drawn with the outline font from its warm
// glyph cache. Peer: pixman does the same work (a SRC background, OVER of
// each picture, the window filled, its glyphs composited from pixman's glyph
// cache over a solid colour, then OVER of the window). Rates are frame
// pixels per second.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PeerReport.h"
#include "platform/TextCodec.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "text/FontSettings.h"
#include "text/OutlineFont.h"
#include "text/TextWalker.h"

namespace {

using namespace orrivel;

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kPictures = 8;
constexpr int kLines = 3;
constexpr int kFontHeight = 24;
constexpr Rect kWindow{20, 420, 780, 580};
constexpr uint32_t kWindowColour = 0xA0101828u;  // premultiplied, partly clear

PixelOpLibrary& Library() {
  static PixelOpLibrary library("tvpgl.dll", nullptr, false);
  SetCurrentPixelOpLibrary(&library);
  BuildBlendTables();
  return library;
}

const std::string& Line(int i) {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    for (const char* text : {"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
                             "何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。",
                             "吾輩はここで始めて人間というものを見た。しかもあとで聞くとそれは書生という"}) {
      out.push_back(platform::Utf8ToCp932(text).value());
    }
    return out;
  }();
  return lines[size_t(i)];
}

// Premultiplied pictures: the background opaque, the others a soft-edged
// box of their own size (clear corners, an opaque middle, a ramp between).
std::unique_ptr<Surface> Picture(int width, int height, uint32_t seed, bool opaque) {
  auto s = std::make_unique<Surface>();
  s->Create(width, height, 32, 0);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < width; ++x) {
      const int edge = std::min({x, y, width - 1 - x, height - 1 - y});
      const uint32_t a = opaque ? 255 : edge >= 32 ? 255 : uint32_t(edge * 8);
      const uint32_t r = (uint32_t(x) * 255 / uint32_t(width) + seed * 40) & 0xFF;
      const uint32_t g = (uint32_t(y) * 255 / uint32_t(height) + seed * 20) & 0xFF;
      const uint32_t b = (seed * 30) & 0xFF;
      row[x] = a << 24 | (r * a / 255) << 16 | (g * a / 255) << 8 | (b * a / 255);
    }
  }
  s->SetHasAlpha(!opaque);
  return s;
}

struct Layer {
  std::unique_ptr<Surface> picture;
  int x, y;
};

struct Scene {
  std::vector<Layer> layers;  // background first
  std::unique_ptr<OutlineFont> font;
  Surface window;

  Scene() {
    layers.push_back({Picture(kWidth, kHeight, 1, true), 0, 0});
    for (int i = 0; i < kPictures; ++i) {
      const int w = 160 + 40 * (i % 4), h = 480 - 40 * (i % 3);
      layers.push_back({Picture(w, h, uint32_t(i + 2), false), (i * 97) % (kWidth - w), (i * 31) % (kHeight - h)});
    }
    SetGlyphCacheCapacityWord(512);
    font = std::make_unique<OutlineFont>();
    font->SetFont(kFontHeight, 0, 0, platform::Utf8ToCp932("ＭＳ ゴシック").value().c_str());
    ResetFontSettings();
    window.Create(kWindow.Width(), kWindow.Height(), 32, 0);
    window.SetHasAlpha(true);
    DrawWindowText();  // warms the glyph cache
  }
  void DrawWindowText() {
    window.FillRect(kWindowColour, nullptr);
    for (int i = 0; i < kLines; ++i) {
      font->DrawTextToSurface(&window, 16, 16 + i * (kFontHeight + 8), Line(i).c_str(), nullptr, nullptr);
    }
  }
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_LayeredFrameWithText(benchmark::State& state) {
  if (!Library().HasModule()) {
    state.SkipWithError("pixel-operation library missing");
    return;
  }
  Scene& scene = TheScene();
  Surface target;
  target.Create(kWidth, kHeight, 32, 0);
  SpriteCanvas canvas;
  canvas.SetTarget(&target, 0);
  canvas.SetBackgroundValue(0xFF000000u, 0);
  std::vector<ImageSprite> sprites(scene.layers.size() + 1);
  for (size_t i = 0; i < scene.layers.size(); ++i) {
    sprites[i].SetImage(scene.layers[i].picture.get(), nullptr, scene.layers[i].x, scene.layers[i].y);
    sprites[i].SetDrawMode(i == 0 ? 0 : 2);
  }
  sprites.back().SetImage(&scene.window, nullptr, kWindow.left, kWindow.top);
  sprites.back().SetDrawMode(2);
  // The list draws the highest order first underneath.
  for (size_t i = 0; i < sprites.size(); ++i) canvas.MainList().Add(&sprites[i], uint32_t(sprites.size() - i), 0);
  for (auto _ : state) {
    scene.DrawWindowText();
    canvas.MarkAllChanged();
    canvas.Render(nullptr, nullptr, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(BM_LayeredFrameWithText)->Unit(benchmark::kMicrosecond);

pixman_image_t* Wrap(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

void BM_PixmanLayeredFrameWithText(benchmark::State& state) {
  Scene& scene = TheScene();
  Surface target;
  target.Create(kWidth, kHeight, 32, 0);
  pixman_image_t* dest = Wrap(target);
  pixman_image_t* window = Wrap(scene.window);
  std::vector<pixman_image_t*> pictures;
  for (Layer& layer : scene.layers) pictures.push_back(Wrap(*layer.picture));
  // The window's glyphs, placed as the outline font places them.
  pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  pixman_image_t* solid = pixman_image_create_solid_fill(&white);
  pixman_glyph_cache_t* cache = pixman_glyph_cache_create();
  std::vector<pixman_glyph_t> glyphs;
  std::vector<pixman_image_t*> glyphImages;
  pixman_glyph_cache_freeze(cache);
  for (int i = 0; i < kLines; ++i) {
    Point pen{16, 16 + i * (kFontHeight + 8)};
    size_t pos = 0;
    TextUnit unit;
    while (NextTextUnit(Line(i).c_str(), &pos, &unit)) {
      Glyph* g = scene.font->RenderGlyph(uint16_t(unit.code), kFontHeight, false, false, false, false);
      if (g && !g->IsBlank()) {
        pixman_image_t* image = pixman_image_create_bits(PIXMAN_a8, g->width, g->height,
                                                         reinterpret_cast<uint32_t*>(g->map.get()), g->pitch);
        glyphImages.push_back(image);
        const void* key = pixman_glyph_cache_lookup(cache, scene.font.get(), g);
        if (!key) key = pixman_glyph_cache_insert(cache, scene.font.get(), g, -g->originX, -g->originY, image);
        glyphs.push_back(pixman_glyph_t{pen.x, pen.y, key});
      }
      if (g) pen = Point{pen.x + g->advanceX, pen.y + g->advanceY};
    }
  }
  pixman_glyph_cache_thaw(cache);
  const uint32_t windowColour = kWindowColour;
  for (auto _ : state) {
    pixman_fill(reinterpret_cast<uint32_t*>(scene.window.GetBits()), scene.window.GetPitch() / 4, 32, 0, 0,
                kWindow.Width(), kWindow.Height(), windowColour);
    pixman_composite_glyphs(PIXMAN_OP_OVER, solid, window, PIXMAN_a8, 0, 0, 0, 0, 0, 0, kWindow.Width(),
                            kWindow.Height(), cache, int(glyphs.size()), glyphs.data());
    for (size_t i = 0; i < pictures.size(); ++i) {
      const Layer& layer = scene.layers[i];
      pixman_image_composite32(i == 0 ? PIXMAN_OP_SRC : PIXMAN_OP_OVER, pictures[i], nullptr, dest, 0, 0, 0, 0,
                               layer.x, layer.y, layer.picture->GetWidth(), layer.picture->GetHeight());
    }
    pixman_image_composite32(PIXMAN_OP_OVER, window, nullptr, dest, 0, 0, 0, 0, kWindow.left, kWindow.top,
                             kWindow.Width(), kWindow.Height());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kWidth * kHeight);
  pixman_glyph_cache_destroy(cache);
  for (pixman_image_t* image : glyphImages) pixman_image_unref(image);
  for (pixman_image_t* image : pictures) pixman_image_unref(image);
  pixman_image_unref(solid);
  pixman_image_unref(window);
  pixman_image_unref(dest);
}
BENCHMARK(BM_PixmanLayeredFrameWithText)->Unit(benchmark::kMicrosecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_LayeredFrameWithText", "BM_PixmanLayeredFrameWithText"})
