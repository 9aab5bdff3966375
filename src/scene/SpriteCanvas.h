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

#include "base/WeakLink.h"
#include "raster/DirtyRegion.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"

namespace orrivel {

// Controls and their host keep links to the canvas they draw on, so a
// canvas image the scripts delete leaves none of them pointing at it.
class SpriteCanvas : public SpriteListOwner, public LinkTarget {
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
  // Names the copy now held: a number no other copy of any canvas had
  // before; 0 without one. A copy made after another was freed may land at
  // the same address, so its users tell it by this number.
  uint64_t BackCopyGeneration() const { return backCopy_ != nullptr ? backCopyGeneration_ : 0; }
  // A plain work copy of the target's size and depth that its user draws
  // into; it then stands for the background. recreate deletes an existing
  // copy first, else an existing one is kept. 0; 1 no target; 2 the copy
  // could not be made.
  int CreateBackgroundCopy(uint8_t recreate);
  // Shows the source rectangle of the picture (null: all of it) stretched
  // into (x, y, w, h) of a cached copy of the target's size, the rest of it
  // the background colour. w and h 0, or the whole picture onto the whole
  // target, go back to the picture itself; otherwise 0 or less means the
  // target's width or height. True when the background changed (everything
  // is repainted); false without a picture or target, when unchanged, or
  // when no copy can be made.
  bool SetBackgroundStretch(int32_t x, int32_t y, int32_t w, int32_t h, const Rect* sourceRect);
  // Shows the 32-bit picture turned by angle and scaled by scale about the
  // pivot, moved by (x, y), on a cached copy filled with the background
  // colour. No turn, no move and scale 1, or scale 0, go back to the
  // picture itself. True when the background changed; false without a
  // 32-bit picture or target, when unchanged, for a scale that is not
  // finite or too large, or when no copy can be made.
  bool SetBackgroundRotation(int32_t x, int32_t y, int32_t angle, double scale);
  // Resampling of the stretch and the turn: low nibble 0 nearest, other
  // values filtered. Applies from the next stretch or turn.
  void SetBackgroundResampling(uint8_t mode) { resampling_ = mode; }
  uint8_t BackgroundResampling() const { return resampling_; }
  int32_t BackgroundAngle() const { return angle_; }
  double BackgroundScale() const { return scale_; }
  int32_t StretchWidth() const { return stretchWidth_; }
  int32_t StretchHeight() const { return stretchHeight_; }
  // The picture rectangle of the stretch and the move of the stretch or turn.
  const Rect& StretchSource() const { return stretchSource_; }
  int32_t StretchX() const { return stretchX_; }
  int32_t StretchY() const { return stretchY_; }

  // --- output ---------------------------------------------------------------------
  // Composes the whole scene into dest, a surface of the target's size,
  // without reading or changing the dirty region, the changed marks or the
  // target: the background, then the main list (unless hidden) and, with
  // includeOverlay, the overlay list (unless hidden). Drawables pass by
  // filterMode: 0 all, 1 tag equal to filterTag, 2 tag different, other
  // modes none. 0 done; 1 dest null or without pixels; 2 no target or a
  // size other than the target's.
  int RenderInto(Surface* dest, uint8_t filterMode, uint32_t filterTag, uint8_t includeOverlay);

  // --- flags ------------------------------------------------------------------------
  void SetFrozen(bool on) { frozen_ = on ? 1 : 0; }
  void SetNoBackground(bool on) { noBackground_ = on ? 1 : 0; }
  void SetHideMain(bool on) { hideMain_ = on ? 1 : 0; }
  bool MainHidden() const { return hideMain_ != 0; }
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
  // Which drawables a paint takes (besides being visible and not clear).
  struct Filter {
    uint8_t mode = 0;
    uint32_t tag = 0;
    bool Passes(const Drawable* d) const;
  };
  // The background of one rectangle of into: the copy or picture, else
  // the fill by into's depth.
  void PaintBackground(Surface* into, const Rect& rect);
  // The drawables of a list from tail to head, each cut by clip.
  void PaintList(Surface* into, SpriteList::Node* tail, const Rect& clip, const Filter& filter);
  void PaintRect(Surface* into, const Rect& rect, SpriteList::Node* mainTail,
                 SpriteList::Node* overlayTail, const Filter& filter);
  // The cached copy at the target's size and bits per pixel: kept when it
  // already is, else made anew. False when it cannot be made.
  bool EnsureBackCopy(uint8_t bits);
  // The copy all in the background colour.
  void FillBackCopy();

  Surface* target_ = nullptr;
  SpriteList main_;
  SpriteList* overlay_ = nullptr;
  DirtyRegion region_;
  // Reused from frame to frame, so a steady scene allocates nothing.
  std::vector<Rect> damage_;
  // The script's picture; one deleted under the canvas leaves it with its
  // colour, as if it had none.
  WeakLink<Surface> background_;

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
  uint64_t backCopyGeneration_ = 0;
  // Holds the new copy under a new generation.
  void AdoptBackCopy(std::unique_ptr<Surface> made);
  // Transform state of the cached copy. The stretch's x and y also move a
  // turn.
  uint8_t resampling_ = 1;
  int32_t stretchX_ = 0;
  int32_t stretchY_ = 0;
  int32_t stretchWidth_ = 0;
  int32_t stretchHeight_ = 0;
  Rect stretchSource_;
  int32_t angle_ = 0;
  double scale_ = 0.0;
  int32_t pivotX_ = 0;
  int32_t pivotY_ = 0;
};

}  // namespace orrivel
