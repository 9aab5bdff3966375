#include "raster/ColorBox.h"

#include <algorithm>
#include <cstdint>

#include "raster/BlendTables.h"
#include "raster/Surface.h"
#include "raster/SurfaceDrawing.h"

namespace orrivel {

void ColorBox::Reset() {
  opacity_ = 255;
  mode_ = 0;
  width_ = height_ = 0;
  drawWidth_ = drawHeight_ = 0;
}

void ColorBox::RecomputeRect() {
  rect_ = {x_, y_, ClampedEdge(x_, drawWidth_ != 0 ? drawWidth_ : width_),
           ClampedEdge(y_, drawHeight_ != 0 ? drawHeight_ : height_)};
}

int ColorBox::SetDrawMode(uint8_t mode) {
  if (mode > 3) return 1;
  if (mode != mode_) {
    mode_ = mode;
    SetChanged(1);
  }
  return 0;
}

bool ColorBox::SetPosition(int32_t x, int32_t y) {
  if (x == x_ && y == y_) return false;
  x_ = x;
  y_ = y;
  RecomputeRect();
  SetChanged(1);
  return true;
}

bool ColorBox::MoveBy(int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return false;
  x_ = ClampedEdge(x_, dx);
  y_ = ClampedEdge(y_, dy);
  RecomputeRect();
  SetChanged(1);
  return true;
}

bool ColorBox::SetDisplaySize(int32_t width, int32_t height) {
  if (width == drawWidth_ && height == drawHeight_) return false;
  drawWidth_ = width;
  drawHeight_ = height;
  RecomputeRect();
  SetChanged(1);
  return true;
}

bool ColorBox::SetDrawSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) {
  const bool sized = SetDisplaySize(width, height);
  const bool moved = SetPosition(x, y);
  return sized || moved;
}

bool ColorBox::InvalidateSourceRect(Rect* rect) {
  if (list_ == nullptr || rect == nullptr) return false;
  const int32_t w = drawWidth_ != 0 ? drawWidth_ : width_;
  const int32_t h = drawHeight_ != 0 ? drawHeight_ : height_;
  rect->left = std::max(rect->left, 0);
  rect->top = std::max(rect->top, 0);
  rect->right = std::min(rect->right, w);
  rect->bottom = std::min(rect->bottom, h);
  if (rect->IsEmpty()) return false;
  *rect = {ClampedEdge(rect->left, x_), ClampedEdge(rect->top, y_), ClampedEdge(rect->right, x_),
           ClampedEdge(rect->bottom, y_)};
  list_->AddDirty(rect);
  return true;
}

bool ColorBox::HitTest(int32_t x, int32_t y, uint8_t) {
  if (width_ == 0) return false;
  return x >= rect_.left && x < rect_.right && y >= rect_.top && y < rect_.bottom;
}

bool ColorBox::Overlaps(const Drawable* other) const {
  if (width_ == 0 || other == nullptr) return false;
  Rect theirs;
  other->GetBounds(&theirs);
  return IntersectRects(nullptr, rect_, theirs);
}

Rect* ColorBox::GetBounds(Rect* out) const {
  *out = rect_;
  return out;
}

int ColorBox::Fill(Surface* surface, const Rect& area) {
  auto scaled = [this](uint32_t shift) {
    const uint8_t c = uint8_t(color_ >> shift);
    return opacity_ == 255 ? c : ProductTable[c][opacity_];
  };
  const uint8_t r = uint8_t(color_ >> 16), g = uint8_t(color_ >> 8), b = uint8_t(color_);
  switch (mode_) {
    case 0: return FillAlpha(surface, r, g, b, opacity_, &area);
    case 2: return AddColor(surface, scaled(16), scaled(8), scaled(0), &area);
    case 3: return SubColor(surface, scaled(16), scaled(8), scaled(0), &area);
    default: return -1;
  }
}

int ColorBox::DrawTo(Surface* surface, Rect* out) {
  if (!IsVisible() || opacity_ == 0 || width_ == 0) return 0;
  if (surface == nullptr) return 1;
  const int result = Fill(surface, rect_);
  if (result < 0) return 2;
  if (result != 0) return 3;
  if (out != nullptr) {
    *out = rect_;
    if (!surface->ClipToClipRect(out)) out->left = -1;
  }
  return 0;
}

int ColorBox::Draw(Surface* surface, const Rect& clip) {
  Rect area;
  if (surface == nullptr || !IntersectRects(&area, rect_, clip)) return 0;
  const int result = Fill(surface, area);
  return result < 0 ? 0 : result;
}

int ColorBox::Init(int32_t width, int32_t height, uint32_t argb, int32_t x, int32_t y) {
  Reset();
  width_ = width;
  height_ = height;
  x_ = x;
  y_ = y;
  opacity_ = uint8_t(argb >> 24);
  color_ = argb & 0xFFFFFFu;
  rect_ = {x, y, ClampedEdge(x, width), ClampedEdge(y, height)};
  SetChanged(1);
  return 0;
}

bool ColorBox::SetColor(uint32_t rgb) {
  rgb &= 0xFFFFFFu;
  if (rgb == color_) return false;
  color_ = rgb;
  SetChanged(1);
  return true;
}

bool ColorBox::SetArgb(uint32_t argb) {
  const uint8_t opacity = uint8_t(argb >> 24);
  const uint32_t rgb = argb & 0xFFFFFFu;
  if (opacity == opacity_ && rgb == color_) return false;
  opacity_ = opacity;
  color_ = rgb;
  SetChanged(1);
  return true;
}

bool ColorBox::SetSize(int32_t width, int32_t height) {
  if (width < 0 || height < 0) return false;
  if (width == width_ && height == height_) return false;
  width_ = width;
  height_ = height;
  drawWidth_ = drawHeight_ = 0;
  rect_ = {x_, y_, ClampedEdge(x_, width), ClampedEdge(y_, height)};
  SetChanged(1);
  return true;
}

bool ColorBox::SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) {
  const bool moved = SetPosition(x, y);
  const bool sized = SetSize(width, height);
  return moved || sized;
}

}  // namespace orrivel
