#pragma once
// The main drawable: a rectangle of a Surface shown at a position, directly
// or through an owned copy that holds the picture stretched to a display
// size or turned and scaled about a centre, drawn into a target with one of
// the draw modes at an opacity.
//
// A sprite takes a picture only while the pixel-operation library is bound:
// 32-bit pictures without a colour key are drawn, stretched and turned
// through its entries.
//
// Main thread only.
#include <cstdint>
#include <memory>

#include "raster/Drawable.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"

namespace orrivel {

class ImageSprite : public Drawable {
 public:
  ImageSprite() { Reset(); }
  ~ImageSprite() override = default;

  // --- Drawable -----------------------------------------------------------------
  // The source rectangle's size.
  int32_t GetWidth() const override { return sourceRect_.Width(); }
  int32_t GetHeight() const override { return sourceRect_.Height(); }
  bool SetPosition(int32_t x, int32_t y) override;
  bool MoveBy(int32_t dx, int32_t dy) override;
  // Stretches the picture into the owned copy; (0, 0) ends the stretch.
  // False without a source, when borrowing, unchanged or when the copy
  // cannot be built.
  bool SetDisplaySize(int32_t width, int32_t height) override;
  // rect in source coordinates: the part of it inside the source rectangle
  // is reported to the owning list at its place on the target.
  bool InvalidateSourceRect(Rect* rect) override;
  // Inside the bounds; with testPixels the pixel must count: alpha non-zero
  // on a 32-bit picture without key, not the key on a keyed one, always on
  // another depth without key.
  bool HitTest(int32_t x, int32_t y, uint8_t testPixels) override;
  bool Overlaps(const Drawable* other) const override;
  const Rect* GetBoundsPtr() const override { return &bounds_; }
  Rect* GetBounds(Rect* out) const override;
  using Drawable::DrawTo;
  // 0 done (also invisible or opacity 0); 1 no target or no source; 2 the
  // owned copy missing or a draw mode refused; 3 the blit failed.
  int DrawTo(Surface* target, Rect* out) override;
  int Draw(Surface* target, const Rect& clip) override;
  // Opacity 255, scale 1, mode 0, no source, no offsets, size or angle;
  // frees the owned copy.
  void Reset();

  // --- picture ---------------------------------------------------------------------
  // 1 no surface or no pixels; 2 no pixel-operation library; 3 the rectangle
  // cut by the surface's clip rectangle is empty (the sprite is reset);
  // 0 done. A null rectangle means the surface's clip rectangle. A picture
  // with alpha switches the sprite to mode 2.
  int SetImage(Surface* surface, const Rect* sourceRect, int32_t x, int32_t y);
  // 1 no surface, no pixels or no source yet; 0 done.
  int ReplaceSurface(Surface* surface);
  // 1 no source or borrowing; 0 unchanged or done; 2 nothing left after the
  // clip by the source; 3 the stretched copy could not be rebuilt.
  int SetSourceRect(const Rect* rect);
  // Rotation centre: 0 (0, 0); 1 (w, 0); 2 (0, h); 3 (w, h); 4 the middle;
  // other codes (x, y). False when unchanged.
  bool SetAnchor(int32_t code, int32_t x, int32_t y);
  // Low nibble 0 to 3, high nibble 0x00 or 0x10; false when equal, borrowing
  // or out of range. Rebuilds a stretched copy.
  bool SetBlendMode(uint8_t mode);

  Surface* GetSource() const { return source_; }
  Surface* GetOwnedCopy() const { return copy_.get(); }
  const Rect& GetSourceRect() const { return sourceRect_; }
  int32_t GetDisplayWidth() const { return displayWidth_; }
  int32_t GetDisplayHeight() const { return displayHeight_; }
  int32_t GetCentreX() const { return centreX_; }
  int32_t GetCentreY() const { return centreY_; }
  uint8_t GetBlendMode() const { return resampling_; }
  bool IsRotated() const { return rotatedWidth_ != 0; }
  bool IsStretched() const { return rotatedWidth_ == 0 && displayWidth_ != 0; }
  bool IsBorrowing() const { return borrowed_ != 0; }

 protected:
  // The picture drawn and the rectangle of it that covers the bounds; false
  // when the owned copy a transform needs is missing.
  bool Picture(Surface** picture, Rect* rect) const;
  void RecomputeBounds();
  // Rebuilds the stretched copy at the display size: 0, 1 the library
  // stretch failed, 2 the filtered copy failed, 3 the plain stretch failed,
  // 4 the copy could not be made.
  int RebuildStretch();

  Surface* source_ = nullptr;
  std::unique_ptr<Surface> copy_;
  Rect sourceRect_;
  Rect bounds_;
  int32_t sourceOffsetX_ = 0;
  int32_t sourceOffsetY_ = 0;
  int32_t displayWidth_ = 0;
  int32_t displayHeight_ = 0;
  // In 1/512 of a turn.
  int32_t angle_ = 0;
  double scale_ = 1.0;
  int32_t centreX_ = 0;
  int32_t centreY_ = 0;
  int32_t rotatedOffsetX_ = 0;
  int32_t rotatedOffsetY_ = 0;
  int32_t rotatedWidth_ = 0;
  int32_t rotatedHeight_ = 0;
  uint8_t resampling_ = 0;
  PixelOpCorners corners_{};
  uint8_t borrowed_ = 0;

 private:
  // Draws the part of the picture at rect onto target at (x, y); the rect is
  // first cut to the picture. 0 done, 2 mode refused, 3 blit failed.
  int Blit(Surface* target, Surface* picture, int32_t x, int32_t y, Rect rect);
  // The visible part area of the bounds (already clipped) drawn.
  int DrawArea(Surface* target, const Rect& area);
};

}  // namespace orrivel
