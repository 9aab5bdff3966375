#pragma once
// A drawable rectangle of one colour: a translucent panel, a flash, a
// darkening or lightening box, ordered among sprites by a SpriteList. Mode 0
// blends toward the colour by the opacity, 2 adds it, 3 subtracts it; 1 is
// kept but draws nothing.
#include <cstdint>

#include "raster/Drawable.h"
#include "raster/SpriteList.h"

namespace orrivel {

class Surface;

class ColorBox : public Drawable {
 public:
  ColorBox() { Reset(); }

  int32_t GetWidth() const override { return width_; }
  int32_t GetHeight() const override { return height_; }
  int32_t GetKind() const override { return 1; }
  uint32_t GetColor() const { return color_; }
  int32_t GetDrawWidth() const { return drawWidth_; }
  int32_t GetDrawHeight() const { return drawHeight_; }

  // Above 3 gives 1 and keeps the mode; else 0.
  int SetDrawMode(uint8_t mode) override;
  bool SetPosition(int32_t x, int32_t y) override;
  bool MoveBy(int32_t dx, int32_t dy) override;
  // The drawn size; 0 means the box size.
  bool SetDisplaySize(int32_t width, int32_t height) override;
  bool SetDrawSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y);
  // rect is in box coordinates; on true it holds the reported area.
  bool InvalidateSourceRect(Rect* rect) override;
  // The box has no pixels of its own: testPixels changes nothing.
  bool HitTest(int32_t x, int32_t y, uint8_t testPixels = 0) override;
  bool Overlaps(const Drawable* other) const override;
  const Rect* GetBoundsPtr() const override { return &rect_; }
  Rect* GetBounds(Rect* out) const override;
  using Drawable::DrawTo;
  // 0 done or nothing to draw; 1 no surface; 2 a mode that draws nothing;
  // 3 the fill failed. out: the box cut by the surface's clip rectangle,
  // left -1 when nothing is left.
  int DrawTo(Surface* surface, Rect* out) override;
  // The part of the box inside clip. Opacity and visibility are the
  // canvas's to test.
  int Draw(Surface* surface, const Rect& clip) override;
  void Reset();

  // Size, position, opacity (top byte) and colour (low 24 bits).
  int Init(int32_t width, int32_t height, uint32_t argb, int32_t x, int32_t y);
  bool SetColor(uint32_t rgb);
  bool SetArgb(uint32_t argb);
  // Negative sizes are refused; the drawn size goes back to the box size.
  bool SetSize(int32_t width, int32_t height);
  bool SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y);

 private:
  void RecomputeRect();
  int Fill(Surface* surface, const Rect& area);

  uint32_t color_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t drawWidth_ = 0;
  int32_t drawHeight_ = 0;
  Rect rect_;
};

}  // namespace orrivel
