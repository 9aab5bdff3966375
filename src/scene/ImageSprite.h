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
  // A picture that goes while the sprite shows it hides the sprite: it
  // draws nothing from then on.
  ImageSprite() : source_(nullptr, [this] { SetVisible(0); }) { Reset(); }
  ~ImageSprite() override = default;

  // --- Drawable -----------------------------------------------------------------
  // The source rectangle's size.
  int32_t GetWidth() const override { return sourceRect_.Width(); }
  int32_t GetHeight() const override { return sourceRect_.Height(); }
  bool SetPosition(int32_t x, int32_t y) override;
  bool MoveBy(int32_t dx, int32_t dy) override;
  // Stretches the picture into the owned copy; (0, 0) ends the stretch and
  // keeps the copy; a width or height of 0 or less means the source's. Ends
  // a rotation. False without a source, when borrowing, unchanged or when
  // the copy cannot be built (the state then stays as it was).
  bool SetDisplaySize(int32_t width, int32_t height) override;
  // rect in source coordinates. Shown directly: the part of it inside the
  // source rectangle is reported to the owning list at its place on the
  // target (false outside a list). Stretched or turned: the copy is built
  // again and rect becomes the bounds. False when rect misses the source
  // rectangle.
  bool InvalidateSourceRect(Rect* rect) override;
  // Inside the bounds; with testPixels the pixel must count: alpha non-zero
  // on a 32-bit picture without key, not the key on a keyed one, always on
  // another depth without key.
  bool HitTest(int32_t x, int32_t y, uint8_t testPixels) override;
  bool Overlaps(const Drawable* other) const override;
  void ForgetImage(const Image* image) override;
  const Rect* GetBoundsPtr() const override { return &bounds_; }
  Rect* GetBounds(Rect* out) const override;
  using Drawable::DrawTo;
  // 0 done (also invisible or opacity 0); 1 no target or no source; 2 the
  // owned copy missing or a draw mode refused; 3 the blit failed.
  int DrawTo(Surface* target, Rect* out) override;
  int Draw(Surface* target, const Rect& clip) override;
  // A copy at full opacity of a 32-bit picture without key through the
  // library, whose picture holds every pixel of area.
  bool CoversWhole(const Rect& area) const override;
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
  // or out of range. Rebuilds a stretched or turned copy.
  bool SetBlendMode(uint8_t mode);

  // --- transforms -----------------------------------------------------------------
  // Moves the source rectangle by the change of offset (cells of a strip,
  // panning) and keeps the bounds; a transformed copy is built again. 1 no
  // source or borrowing; 0 otherwise.
  int SetSourceOffset(int32_t x, int32_t y);
  // Reserves the owned copy at width x height (0 or less: the source's) and
  // returns to the untransformed state without touching the bounds. 0; 1 no
  // source or borrowing; 2 the copy could not be made; 3 nor resized.
  int SetStretchSize(int32_t width, int32_t height);
  // Reserves a copy that every turn of the source rectangle at a scale up
  // to largestScale fits (a square of its scaled diagonal), so that an
  // animation's rotations reuse it; returns to the untransformed state
  // without touching the bounds. 0; 1 no source or borrowing; 2 the scale is
  // 0, not finite or too large; 3 the copy could not be made; 4 nor resized.
  int ReserveRotationBuffer(double largestScale);
  // Turns the picture by angle (512ths of a turn, positive anticlockwise as
  // seen) and scales it about the rotation centre into a 32-bit copy; the
  // centre keeps its place on the target. A whole number of turns at scale
  // 1 shows the picture directly. Ends a stretch. False without a 32-bit
  // source, when borrowing, unchanged, for a scale of 0, NaN or infinity,
  // or a turned size that no copy can hold (the state then stays as it
  // was); also when the library cannot draw the turn, which leaves the
  // picture shown directly rather than a copy of the wrong size.
  bool SetRotation(int32_t angle, double scale);
  // Lets go of the owned (or borrowed) copy and shows the source directly,
  // ending any stretch or turn; the position stays.
  void FreeOwnedCopy();
  // A script's option byte kept with the sprite; false when unchanged.
  bool SetOptionFlag(uint8_t flag);
  uint8_t GetOptionFlag() const { return option_; }
  // Carries the source's own dirty region over to the owning list (a
  // transformed copy is built again instead). reset empties that region and
  // clears the source's changed flag. False without a source, outside a
  // list, or when the source keeps no region.
  bool SyncSourceDirty(uint8_t reset);
  // Takes every field of other and leaves its own list; a transformed clone
  // gets a copy of other's picture of its own. The clone is in no list and
  // unchanged. 1 other null or without a source; 0.
  int CopyFrom(const ImageSprite* other);
  // Takes every field of other but its tag and list, and shows other's
  // owned copy (borrowing it when there is one). A borrower refuses every
  // change of that copy; it keeps the copy alive after other goes. 1 other
  // null; 0.
  int ShareImage(const ImageSprite* other);

  // The picture the sprite shows (its owned copy when transformed, else its
  // source) and the rectangle of it that covers the bounds; false when there
  // is none.
  bool GetShownPicture(Surface** picture, Rect* rect) const { return Picture(picture, rect); }
  Surface* GetSource() const { return source_.Get(); }
  Surface* GetOwnedCopy() const { return copy_.get(); }
  const Rect& GetSourceRect() const { return sourceRect_; }
  int32_t GetDisplayWidth() const { return displayWidth_; }
  int32_t GetDisplayHeight() const { return displayHeight_; }
  int32_t GetCentreX() const { return centreX_; }
  int32_t GetCentreY() const { return centreY_; }
  uint8_t GetBlendMode() const { return resampling_; }
  int32_t GetSourceOffsetX() const { return sourceOffsetX_; }
  int32_t GetSourceOffsetY() const { return sourceOffsetY_; }
  int32_t GetAngle() const { return angle_; }
  double GetScale() const { return scale_; }
  int32_t GetRotatedOffsetX() const { return rotatedOffsetX_; }
  int32_t GetRotatedOffsetY() const { return rotatedOffsetY_; }
  int32_t GetRotatedWidth() const { return rotatedWidth_; }
  int32_t GetRotatedHeight() const { return rotatedHeight_; }
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
  // Makes the owned copy width x height at bits per pixel, keeping its
  // block when it is large enough. 0; 2 no copy could be made; 3 the copy
  // could not grow. A failure leaves the copy as it was.
  int PrepareCopy(int32_t width, int32_t height, uint8_t bits);
  // Turns the source rectangle into the copy (already width x height) by
  // corners; what the picture does not cover holds the source's key (or
  // clear black). 0, or non-zero when the library refused.
  int RenderRotation(const PixelOpCorners& corners, int32_t width, int32_t height);
  // Turns again with unchanged parameters (after a change of source
  // rectangle, resampling or centre).
  void Rerotate();
  // Builds the copy again from the source as the transform in force says.
  void RebuildCopy();
  // Every field but the tag and the list.
  void TakeFields(const ImageSprite& other);

  // Not owned: the script's picture, a canvas's surface or a control's own.
  WeakLink<Surface> source_;

  // Shared so that a borrower never shows freed pixels when the lender goes
  // first.
  std::shared_ptr<Surface> copy_;
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
  uint8_t option_ = 0;

 private:
  // Draws the part of the picture at rect onto target at (x, y); the rect is
  // first cut to the picture. 0 done, 2 mode refused, 3 blit failed.
  int Blit(Surface* target, Surface* picture, int32_t x, int32_t y, Rect rect);
  // The visible part area of the bounds (already clipped) drawn.
  int DrawArea(Surface* target, const Rect& area);
};

}  // namespace orrivel
