// Preparing the frame's back layer set as a copy of the front: a 1280 x 720
// background and all 22 sprite slots holding 400 x 600 sprites, the
// pictures shared between the twins, against pixman copying the same
// background and sprite pictures (what unshared copies would cost), in the
// same run.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "PeerReport.h"
#include "PixelOpsReady.h"
#include "PixmanPeer.h"
#include "frame/TgsLayerSets.h"
#include "raster/Surface.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace {

using orrivel::Surface;
using orrivel::TgsLayerSets;

constexpr int kScreenW = 1280;
constexpr int kScreenH = 720;
constexpr int kSpriteW = 400;
constexpr int kSpriteH = 600;

std::shared_ptr<Surface> Picture(int w, int h, uint32_t salt) {
  auto s = std::make_shared<Surface>();
  s->Create(w, h, 32, 0);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->GetScanLine(y));
    for (int x = 0; x < w; ++x) row[x] = 0xFF000000u | ((uint32_t(x * 5 + y * 3) ^ salt) & 0xFFFFFFu);
  }
  return s;
}

// The front set as scripts leave it: a background and every slot shown.
struct FrontSet {
  orrivel::CanvasDrawImage displays[2];
  std::unique_ptr<TgsLayerSets> sets;

  bool Build() {
    for (auto& display : displays)
      if (display.Load(kScreenW, kScreenH, 32, 1) != 0) return false;
    orrivel::TgsLayerEnvironment environment;
    environment.displays = {&displays[0], &displays[1]};
    sets = std::make_unique<TgsLayerSets>(std::move(environment));
    TgsLayerSets::Layer& layer = sets->GetLayer(0);
    layer.picture = Picture(kScreenW, kScreenH, 0x102030);
    std::snprintf(layer.record.imageName, sizeof layer.record.imageName, "BG01A");
    sets->Canvas(0)->SetBackgroundImage(layer.picture.get(), 0, 0, 1);
    uint32_t salt = 0;
    for (int32_t group = 0; group < 3; ++group)
      for (uint32_t n = 0; n < TgsLayerSets::GroupSlots(group); ++n) {
        TgsLayerSets::SpriteSlot& slot = *sets->FindSprite(int32_t(n), 0, group);
        slot.picture = Picture(kSpriteW, kSpriteH, ++salt * 0x010101u);
        slot.record.characterIndex = 0;
        slot.sprite = std::make_unique<orrivel::ImageSprite>();
        if (slot.sprite->SetImage(slot.picture.get(), nullptr, int32_t(salt) * 40, 60) != 0 ||
            sets->Canvas(0)->MainList().Add(slot.sprite.get(), TgsLayerSets::ListKey(slot.record.order), 0) != 0)
          return false;
      }
    return true;
  }
};

void BM_PrepareBackLayers(benchmark::State& state) {
  if (!orrivel::bench::PixelOpsReady(state)) return;
  FrontSet front;
  if (!front.Build()) {
    state.SkipWithError("front set not built");
    return;
  }
  for (auto _ : state) {
    front.sets->PrepareBackLayers();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PrepareBackLayers)->Unit(benchmark::kMicrosecond);

void BM_PixmanCopyPictures(benchmark::State& state) {
  auto background = Picture(kScreenW, kScreenH, 0x102030);
  auto backgroundCopy = Picture(kScreenW, kScreenH, 0);
  std::vector<std::shared_ptr<Surface>> sprites, copies;
  for (size_t i = 0; i < TgsLayerSets::kSpriteSlots / 2; ++i) {
    sprites.push_back(Picture(kSpriteW, kSpriteH, uint32_t(i)));
    copies.push_back(Picture(kSpriteW, kSpriteH, 0));
  }
  std::vector<pixman_image_t*> from, to;
  from.push_back(orrivel::bench::WrapSurface(*background));
  to.push_back(orrivel::bench::WrapSurface(*backgroundCopy));
  for (size_t i = 0; i < sprites.size(); ++i) {
    from.push_back(orrivel::bench::WrapSurface(*sprites[i]));
    to.push_back(orrivel::bench::WrapSurface(*copies[i]));
  }
  for (auto _ : state) {
    for (size_t i = 0; i < from.size(); ++i) {
      const int w = i == 0 ? kScreenW : kSpriteW;
      const int h = i == 0 ? kScreenH : kSpriteH;
      pixman_image_composite32(PIXMAN_OP_SRC, from[i], nullptr, to[i], 0, 0, 0, 0, 0, 0, w, h);
    }
    benchmark::ClobberMemory();
  }
  for (pixman_image_t* image : from) pixman_image_unref(image);
  for (pixman_image_t* image : to) pixman_image_unref(image);
}
BENCHMARK(BM_PixmanCopyPictures)->Unit(benchmark::kMicrosecond);

}  // namespace

ORRIVEL_BENCH_MAIN_WITH_PEERS({"BM_PrepareBackLayers", "BM_PixmanCopyPictures"})
