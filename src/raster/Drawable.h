#pragma once
// The base of everything a SpriteList orders and a canvas paints: it carries
// a tag, visibility, a changed mark, a position, a draw mode, an opacity and
// the list that holds it. Every change of what the drawable shows marks it
// changed; the canvas repaints only changed drawables.
#include <cstdint>

#include "base/WeakLink.h"
#include "raster/Rect.h"

namespace orrivel {

class Image;
class SpriteList;
class Surface;

class Drawable : public LinkTarget {
 public:
  // Draw modes: 0 copy (colour key honoured), 2 blend by per-pixel alpha,
  // 4 add, 5 subtract.
  static constexpr uint8_t kModeCopy = 0;
  static constexpr uint8_t kModeAlpha = 2;
  static constexpr uint8_t kModeAdd = 4;
  static constexpr uint8_t kModeSubtract = 5;

  Drawable() = default;
  // Leaves the owning list, which dirties the last drawn rectangle.
  virtual ~Drawable();
  Drawable(const Drawable&) = delete;
  Drawable& operator=(const Drawable&) = delete;

  uint32_t GetTag() const { return tag_; }
  void SetTag(uint32_t tag) { tag_ = tag; }
  SpriteList* OwningList() const { return list_; }

  virtual bool IsVisible() const { return visible_ != 0; }
  // Marks the drawable changed when the value differs.
  virtual void SetVisible(uint8_t visible);
  virtual bool IsChanged() const { return changed_ != 0; }
  virtual void SetChanged(uint8_t flag) { changed_ = flag; }
  virtual int32_t GetX() const { return x_; }
  virtual int32_t GetY() const { return y_; }
  virtual uint8_t GetDrawMode() const { return mode_; }
  virtual uint8_t GetOpacity() const { return opacity_; }
  // The size of what is shown before any stretch.
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual int32_t GetKind() const { return 0; }
  // 1 when the mode is above 31; stores it and marks changed when it differs.
  virtual int SetDrawMode(uint8_t mode);
  virtual int SetOpacity(uint8_t opacity);
  // False when nothing changed.
  virtual bool SetPosition(int32_t x, int32_t y) = 0;
  virtual bool MoveBy(int32_t dx, int32_t dy) = 0;
  virtual bool SetDisplaySize(int32_t width, int32_t height) = 0;
  // Position then size; true when either changed.
  virtual bool MoveAndResize(int32_t x, int32_t y, int32_t width, int32_t height);
  // The shown picture changed inside rect (its own coordinates); reports the
  // area on the target to the owning list. rect receives that area.
  virtual bool InvalidateSourceRect(Rect* rect) = 0;
  virtual bool HitTest(int32_t x, int32_t y, uint8_t testPixels) = 0;
  virtual bool Overlaps(const Drawable* other) const = 0;
  virtual const Rect* GetBoundsPtr() const = 0;
  // The rectangle covered on the target; returns out.
  virtual Rect* GetBounds(Rect* out) const = 0;
  // Draws the whole drawable, clipped by the target. out (when given): what
  // was drawn cut by the target's clip rectangle, left -1 when nothing.
  virtual int DrawTo(Surface* target, Rect* out) = 0;
  // The canvas's repaint of the part of the drawable inside clip.
  virtual int Draw(Surface* target, const Rect& clip) = 0;
  // True when a successful Draw(target, area) sets every pixel of area
  // whatever the target held before, so that whatever lies under it need
  // not be painted first. False unless the drawable knows it.
  virtual bool CoversWhole(const Rect&) const { return false; }
  // The image is about to be deleted: a drawable that shows it lets go of
  // it and hides.
  virtual void ForgetImage(const Image*) {}

  // DrawTo without an out rectangle, the changed mark left as it was.
  int DrawTo(Surface* target);

 protected:
  uint32_t tag_ = 0;
  uint8_t visible_ = 1;
  uint8_t changed_ = 0;
  int32_t x_ = 0;
  int32_t y_ = 0;
  uint8_t mode_ = 0;
  uint8_t opacity_ = 255;
  SpriteList* list_ = nullptr;

 private:
  friend class SpriteList;
};

}  // namespace orrivel
