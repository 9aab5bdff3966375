#include "effect/PartsComposition.h"

#include <vector>

#include "raster/Rect.h"
#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

namespace {

constexpr uint8_t kBlendAlpha = 1;
// Where no part lies the picture stays clear, so that a part that moved
// leaves nothing behind and the display shows through.
constexpr uint32_t kClear = 0x00000000;

}  // namespace

PartsComposition::~PartsComposition() {
  if (SpriteList* list = sprite_.OwningList()) list->Remove(&sprite_);
}

bool PartsComposition::Build(CanvasDrawObject& display, uint32_t order) {
  SpriteCanvas* shownOn = display.GetCanvas();
  const int32_t width = display.ImageWidth(), height = display.ImageHeight();
  if (shownOn == nullptr || width <= 0 || height <= 0) return false;
  if (picture_.Create(width, height, 32, 0) != 0 || picture_.GetBits() == nullptr) return false;
  picture_.FillColor(kClear, nullptr, nullptr);
  canvas_.SetNoBackground(true);
  if (canvas_.SetTarget(&picture_, 0) != 0) return false;
  if (sprite_.SetImage(&picture_, nullptr, 0, 0) != 0) return false;
  sprite_.SetBlendMode(kBlendAlpha);
  return shownOn->MainList().Add(&sprite_, order, 0) == 0;
}

void PartsComposition::SetShown(bool shown) {
  shown_ = shown;
  sprite_.SetVisible(shown ? 1 : 0);
}

int32_t PartsComposition::Render() {
  if (!shown_) return 0;
  SpriteList::Node* tail = nullptr;
  SpriteList::Node* overlayTail = nullptr;
  canvas_.CollectDirty(&tail, &overlayTail);
  const std::vector<Rect> changed = canvas_.Region().Rects();
  canvas_.ResetChanges();
  for (Rect rect : changed) {
    PaintRect(rect, tail);
    sprite_.InvalidateSourceRect(&rect);
  }
  return int32_t(changed.size());
}

// The canvas's own painting keeps the picture's alpha, which would leave
// the composed parts invisible where the picture is clear: each part is
// composed over what lies below it, colour and alpha both.
void PartsComposition::PaintRect(const Rect& rect, SpriteList::Node* tail) {
  picture_.FillRect(kClear, &rect);
  for (SpriteList::Node* node = tail; node != nullptr; node = node->prev) {
    Drawable* drawable = node->drawable;
    if (drawable == nullptr || !drawable->IsVisible() || drawable->GetOpacity() == 0) continue;
    Rect bounds;
    drawable->GetBounds(&bounds);
    Rect area;
    if (!IntersectRects(&area, bounds, rect)) continue;
    auto* sprite = dynamic_cast<ImageSprite*>(drawable);
    Surface* shown = nullptr;
    Rect from;
    if (sprite == nullptr || !sprite->GetShownPicture(&shown, &from) || shown->GetBitsPerPixel() != 32) {
      drawable->Draw(&picture_, area);
      continue;
    }
    const Rect part{from.left + (area.left - bounds.left), from.top + (area.top - bounds.top),
                    from.left + (area.right - bounds.left), from.top + (area.bottom - bounds.top)};
    DrawComposite(&picture_, shown, drawable->GetOpacity(), area.left, area.top, &part);
  }
}

}  // namespace orrivel
