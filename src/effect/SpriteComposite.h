#pragma once
// The temporary picture that a sprite cross-fade shows where the old and the
// new picture overlap: a 32-bit surface over the union of the two, rebuilt at
// each fade level from the old picture (its alpha scaled where only it lies)
// with the new one blended over it by the level, and shown by a sprite of its
// own. Drawing the two sprites over each other with partial alpha instead
// would let the background show through the overlap half way.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Rect.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"

namespace orrivel {

class SpriteList;

// One picture placed in the composite: the part rect of picture drawn with
// its top-left corner at (x, y) of the composite.
struct CompositePlacement {
  Surface* picture = nullptr;
  Rect rect;
  int32_t x = 0;
  int32_t y = 0;

  Rect Area() const { return Rect{x, y, x + rect.Width(), y + rect.Height()}; }
};

// The parts of a not covered by b: at most four rectangles (above, below,
// left and right of the overlap).
std::vector<Rect> SubtractRect(const Rect& a, const Rect& b);
Rect UnionOf(const Rect& a, const Rect& b);

class SpriteComposite {
 public:
  SpriteComposite() = default;
  SpriteComposite(const SpriteComposite&) = delete;
  SpriteComposite& operator=(const SpriteComposite&) = delete;
  // The composite sprite leaves its list before the surface goes.
  ~SpriteComposite();

  // Makes the composite of width x height holding the old picture, and its
  // sprite at (x, y), hidden, in list at order. False when the surface or
  // the sprite cannot be made.
  bool Build(int32_t width, int32_t height, const CompositePlacement& oldPicture,
             const CompositePlacement& newPicture, SpriteList* list, uint32_t order, int32_t x, int32_t y);
  // Shows the fade at level (0 the old picture, 255 the new one); nothing
  // when the level is the one shown last. True when it was rebuilt.
  bool ApplyLevel(uint8_t level);

  ImageSprite* Sprite() { return sprite_.get(); }
  Surface* GetSurface() { return surface_.get(); }
  int32_t RebuildCount() const { return rebuilds_; }

 private:
  std::unique_ptr<Surface> surface_;
  std::unique_ptr<ImageSprite> sprite_;
  CompositePlacement old_;
  CompositePlacement new_;
  // Cleared and refilled from the old picture at each level.
  std::vector<Rect> refill_;
  // Where only the old picture lies: its alpha falls with the level.
  std::vector<Rect> oldOnly_;
  uint8_t lastLevel_ = 0;
  int32_t rebuilds_ = 0;
};

}  // namespace orrivel
