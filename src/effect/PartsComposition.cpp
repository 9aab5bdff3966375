#include "effect/PartsComposition.h"

#include "raster/DirtyRegion.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"

namespace orrivel {

PartsComposition::~PartsComposition() {
  for (auto& view : views_)
    if (view)
      if (SpriteList* list = view->OwningList()) list->Remove(view.get());
}

bool PartsComposition::Build(CanvasDrawObject& display, CanvasDrawObject* twin, uint32_t order) {
  const int32_t width = display.ImageWidth(), height = display.ImageHeight();
  if (display.GetCanvas() == nullptr || width <= 0 || height <= 0) return false;
  if (twin != nullptr &&
      (twin->GetCanvas() == nullptr || twin->ImageWidth() != width || twin->ImageHeight() != height))
    return false;
  // The canvas never paints: the display's picture only gives it the
  // bounds and clip its changed rectangles are cut to.
  canvas_.SetNoBackground(true);
  if (canvas_.SetTarget(display.GetSurface(), 0) != 0) return false;
  CanvasDrawObject* displays[2] = {&display, twin};
  for (int32_t i = 0; i < 2; ++i) {
    if (displays[i] == nullptr) continue;
    views_[i] = std::make_unique<PartsView>(canvas_.MainList(), width, height);
    if (displays[i]->GetCanvas()->MainList().Add(views_[i].get(), order, 0) != 0) return false;
  }
  return true;
}

void PartsComposition::SetShown(int32_t which, bool shown) {
  if (PartsView* view = View(which)) view->SetVisible(shown ? 1 : 0);
}

bool PartsComposition::Shown(int32_t which) const {
  const PartsView* view = View(which);
  return view != nullptr && view->IsVisible();
}

int32_t PartsComposition::Render() {
  canvas_.CollectDirty(nullptr, nullptr);
  const DirtyRegion& region = canvas_.Region();
  const int32_t count = region.Count();
  const RectNode* node = region.First();
  for (int32_t i = 0; i < count; ++i, node = node->next) {
    for (auto& view : views_) {
      if (!view || !view->IsVisible()) continue;
      Rect rect{node->left, node->top, node->right, node->bottom};
      view->InvalidateSourceRect(&rect);
    }
  }
  canvas_.ResetChanges();
  return count;
}

}  // namespace orrivel
