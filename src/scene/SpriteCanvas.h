#pragma once
// The retained-mode compositor: a main SpriteList held by value, an
// optional overlay list, and the dirty region of a target Surface. Render
// repaints only the dirty rectangles: the background first (a picture, a
// cached transformed copy of it, or a colour), then the main list's
// drawables, then the overlay list's, each list from tail to head.
//
// Main thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "raster/DirtyRegion.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"

namespace orrivel {

class SpriteCanvas : public SpriteListOwner {
 public:
  SpriteCanvas();
  virtual ~SpriteCanvas();
  SpriteCanvas(const SpriteCanvas&) = delete;
  SpriteCanvas& operator=(const SpriteCanvas&) = delete;

  // Process-wide switches: merging side-by-side rectangles after collecting
  // (on), and the banded repaint loop (on). Tests and the settings set them.
  static void SetCoalesceAfterCollect(bool on);
  static bool CoalesceAfterCollect();
  static void SetBandedRendering(bool on);
  static bool BandedRendering();

  // --- target and lists ------------------------------------------------------------
  // 1 when the surface is null or has no pixels; else stored (and the whole
  // scene marked for repaint with redraw), 0.
  int SetTarget(Surface* surface, uint8_t redraw);
  Surface* GetTarget() const { return target_; }
  SpriteList& MainList() { return main_; }
  // The overlay list is borrowed; the canvas becomes its owner until another
  // list (or none) is set or the canvas goes.
  void SetOverlayList(SpriteList* list);
  SpriteList* OverlayList() const { return overlay_; }

  // --- background ----------------------------------------------------------------
  // A non-null image without pixels is refused (0); else 1. The pivot
  // becomes the image's middle and any cached copy is released.
  uint8_t SetBackgroundImage(Surface* image, int32_t offsetX, int32_t offsetY, uint8_t redraw);
  // Drop the picture and fill with a colour instead.
  void SetBackgroundColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t redraw);
  void SetBackgroundValue(uint32_t argb, uint8_t redraw);
  // Stores only the colour: the picture stays and nothing is repainted.
  void StoreBackgroundValue(uint32_t argb) { color_ = argb; }
  // Marks everything for repaint when the offsets differ.
  void SetBackgroundOffsets(int32_t x, int32_t y);
  // 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 middle, else
  // (x, y); 1 when a picture is set, else 0 and nothing changes.
  int SetBackgroundPivot(int32_t code, int32_t x, int32_t y);
  // Each out-parameter may be null.
  void GetBackground(Surface** image, int32_t* offsetX, int32_t* offsetY, uint8_t* red,
                     uint8_t* green, uint8_t* blue) const;
  uint32_t GetBackgroundValue() const { return color_; }
  int32_t GetPivotX() const { return pivotX_; }
  int32_t GetPivotY() const { return pivotY_; }
  // 1 when other is null; exchanges picture, offsets, cached copy, transform
  // state and colour; 0.
  int SwapBackground(SpriteCanvas* other, uint8_t redraw);
  // Deletes the cached copy and resets the transform state.
  void ReleaseBackCopy();
  Surface* BackCopy() const { return backCopy_.get(); }

  // --- flags ------------------------------------------------------------------------
  void SetFrozen(bool on) { frozen_ = on ? 1 : 0; }
  void SetNoBackground(bool on) { noBackground_ = on ? 1 : 0; }
  void SetHideMain(bool on) { hideMain_ = on ? 1 : 0; }
  void SetHideOverlay(bool on) { hideOverlay_ = on ? 1 : 0; }

  // --- damage -------------------------------------------------------------------------
  // 1 without a target. Every visible drawable of non-zero opacity is marked
  // changed with nothing to erase, and the region becomes the whole target
  // cut by its clip rectangle; 0.
  int MarkAllChanged();
  // False without a target; the rectangle is cut in place by the target's
  // clip rectangle and added when something is left; true.
  bool AddDirtyRect(Rect* rect);
  // 0 without a target; a cut copy of the rectangle (null: the whole
  // target) is added; 1 when added.
  int AddDirty(const Rect* rect) override;
  // Forgets pending changes: every drawable unmarked, the region emptied.
  void ResetChanges();
  // Moves the old and new places of changed drawables into the region; the
  // tails are the last node of each list (null when empty).
  void CollectDirty(SpriteList::Node** mainTail, SpriteList::Node** overlayTail);
  // 0 done or frozen; 1 no target; -1 nothing dirty. With an out region,
  // every painted rectangle moved by (offsetX, offsetY) and cut by clip
  // (null: the whole target) is added to it.
  int Render(DirtyRegion* out, const Rect* clip, int32_t offsetX, int32_t offsetY);

  const DirtyRegion& Region() const { return region_; }

  // Up to this many changed rectangles in one collection are recorded
  // exactly; beyond it they are rounded out to tiles of this size.
  static constexpr size_t kExactDamageLimit = 64;
  static constexpr int32_t kDamageTile = 16;

  // Rows per band when painting a rectangle of this width.
  static int32_t BandHeight(int32_t width);

 protected:
  // Records the rectangles collected in one pass.
  void AddDamage(const std::vector<Rect>& damage);
  // The background of one rectangle: the copy or picture, else the fill.
  void PaintBackground(const Rect& rect);
  // The drawables of a list from tail to head, each cut by clip.
  void PaintList(SpriteList::Node* tail, const Rect& clip);
  void PaintRect(const Rect& rect, SpriteList::Node* mainTail, SpriteList::Node* overlayTail);

  Surface* target_ = nullptr;
  SpriteList main_;
  SpriteList* overlay_ = nullptr;
  DirtyRegion region_;
  Surface* background_ = nullptr;
  int32_t offsetX_ = 0;
  int32_t offsetY_ = 0;
  uint32_t color_ = 0;
  uint8_t frozen_ = 0;
  uint8_t noBackground_ = 0;
  uint8_t hideMain_ = 0;
  uint8_t hideOverlay_ = 0;
  // The background already stretched or turned; used in place of the
  // picture, at offsets (0, 0), while it exists.
  std::unique_ptr<Surface> backCopy_;
  // Transform state of the cached copy.
  uint8_t resampling_ = 1;
  Rect stretchDest_;
  Rect stretchSource_;
  int32_t angle_ = 0;
  double scale_ = 0.0;
  int32_t pivotX_ = 0;
  int32_t pivotY_ = 0;
};

}  // namespace orrivel
