#include "effect/NoiseEffect.h"

#include <algorithm>
#include <cstring>

#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/OverlayTarget.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {

int32_t NoiseEffect::SetupV(TimerList* timerList, const ObjectArgument& target, const ObjectArguments& cells) {
  const OverlayPages pages = FindOverlayPages(target.Object<LayerHost>());
  if (OverlayEffectRandom() == nullptr || timerList == nullptr || pages.host == nullptr ||
      pages.first == nullptr)
    return kBadArguments;
  if (pages.second == nullptr) return kNoSecondPage;
  // A picture without pixels has no run to read (and no start to draw).
  if (noise_.LoadImage(kPictureName, nullptr, 0, 0) != 0 || noise_.GetBits() == nullptr ||
      noise_.GetWidth() <= 0 || noise_.GetHeight() <= 0 || noise_.GetBitsPerPixel() != 32)
    return kNoPicture;
  if (pages.screen == nullptr ||
      work_.Create(pages.screen->GetWidth(), pages.screen->GetHeight(), 32, 0) != 0 ||
      work_.GetBits() == nullptr)
    return kNoWorkPicture;
  host_ = pages.host;
  const uint32_t order = uint32_t(cells.Cell(1));
  SpriteCanvas* canvases[2] = {pages.first, pages.second};
  for (int i = 0; i < 2; ++i) {
    ImageSprite& sprite = sprites_[i];
    if (sprite.SetImage(&work_, nullptr, 0, 0) != 0 || sprite.SetOpacity(uint8_t(cells.Cell(0))) != 0 ||
        canvases[i]->MainList().Add(&sprite, order, 0) != 0) {
      LeavePages();
      return kNotStarted;
    }
    sprite.SetVisible(cells.Cell(2 + i) != 0 ? 1 : 0);
  }
  DrawFrame(uint64_t(uint32_t(OverlayEffectRandom()->Next())));
  if (timerList->Add(this, kInterval, kInterval, 0) != 0) {
    LeavePages();
    return kNotStarted;
  }
  return 0;
}

void NoiseEffect::LeavePages() {
  for (ImageSprite& sprite : sprites_)
    if (SpriteList* list = sprite.OwningList()) list->Remove(&sprite);
}

int32_t NoiseEffect::ControlV(const ObjectArguments& cells) {
  // The host may have exchanged its pages since set-up: the first cell is
  // for whichever page is first now.
  SpriteCanvas* first = host_ != nullptr ? host_->GetFirstPage() : nullptr;
  const bool inPlace = first == nullptr || sprites_[0].OwningList() == &first->MainList();
  sprites_[0].SetVisible(cells.Cell(inPlace ? 0 : 1) != 0 ? 1 : 0);
  sprites_[1].SetVisible(cells.Cell(inPlace ? 1 : 0) != 0 ? 1 : 0);
  return 0;
}

int32_t NoiseEffect::Step(uint32_t) {
  SubtractiveRandom* random = OverlayEffectRandom();
  if (random != nullptr) DrawFrame(uint64_t(uint32_t(random->Next())));
  return 0;
}

void NoiseEffect::Stop() {
  for (ImageSprite& sprite : sprites_) sprite.SetVisible(0);
}

void NoiseEffect::DrawFrame(uint64_t start) {
  DrawNoiseRun(noise_, work_, start);
  for (ImageSprite& sprite : sprites_)
    if (sprite.IsVisible()) sprite.SetChanged(1);
}

void DrawNoiseRun(Surface& noise, Surface& work, uint64_t start) {
  const uint64_t width = uint64_t(noise.GetWidth()), height = uint64_t(noise.GetHeight());
  if (noise.GetBits() == nullptr || work.GetBits() == nullptr || width == 0 || height == 0 ||
      noise.GetBitsPerPixel() != 32 || work.GetBitsPerPixel() != 32)
    return;
  start %= width * height;
  uint64_t sx = start % width, sy = start / width;
  const int32_t rows = work.GetHeight();
  const uint64_t rowPixels = uint64_t(work.GetWidth());
  for (int32_t y = 0; y < rows; ++y) {
    auto* out = reinterpret_cast<uint32_t*>(work.GetScanLine(y));
    for (uint64_t done = 0; done < rowPixels;) {
      const uint64_t take = std::min(rowPixels - done, width - sx);
      const auto* in = reinterpret_cast<const uint32_t*>(noise.GetScanLine(int32_t(sy)));
      std::memcpy(out + done, in + sx, take * sizeof(uint32_t));
      done += take;
      sx += take;
      if (sx == width) {
        sx = 0;
        if (++sy == height) sy = 0;
      }
    }
  }
  work.MarkAllDirty();
}

}  // namespace orrivel
