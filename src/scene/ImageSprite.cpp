#include "scene/ImageSprite.h"

#include <new>

#include "raster/LibraryImageOps.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/AnchorPoint.h"

namespace orrivel {

namespace {

bool HasPixels(Surface* surface) { return surface != nullptr && surface->GetBits() != nullptr; }

// Puts a key read with GetColorKey back on an image: 32-bit keys are
// 0x00RRGGBB, 8-bit keys a palette index named by its colour.
void RestoreColorKey(Surface* surface, uint32_t key) {
  if (key == kNoColorKey) {
    surface->ClearColorKey();
    return;
  }
  uint32_t rgb = key;
  if (surface->GetBitsPerPixel() == 8) {
    const uint32_t* palette = surface->GetPalette();
    if (palette == nullptr || key > 255) return;
    rgb = palette[key];
  }
  surface->SetColorKeyRgb(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb));
}

// The rectangle moved by the cuts that made area out of bounds (no
// scaling: one picture pixel per target pixel).
Rect CutLikeBounds(Rect rect, const Rect& bounds, const Rect& area) {
  rect.left = ClampedEdge(rect.left, int64_t{area.left} - bounds.left);
  rect.top = ClampedEdge(rect.top, int64_t{area.top} - bounds.top);
  rect.right = ClampedEdge(rect.right, int64_t{area.right} - bounds.right);
  rect.bottom = ClampedEdge(rect.bottom, int64_t{area.bottom} - bounds.bottom);
  return rect;
}

}  // namespace

void ImageSprite::Reset() {
  opacity_ = 255;
  scale_ = 1.0;
  mode_ = kModeCopy;
  source_ = nullptr;
  sourceOffsetX_ = sourceOffsetY_ = 0;
  displayWidth_ = displayHeight_ = 0;
  angle_ = 0;
  rotatedWidth_ = 0;
  copy_.reset();
  borrowed_ = 0;
}

void ImageSprite::RecomputeBounds() {
  if (rotatedWidth_ != 0) {
    const int32_t left = ClampedEdge(x_, rotatedOffsetX_), top = ClampedEdge(y_, rotatedOffsetY_);
    bounds_ = {left, top, ClampedEdge(left, rotatedWidth_), ClampedEdge(top, rotatedHeight_)};
  } else if (displayWidth_ != 0) {
    bounds_ = {x_, y_, ClampedEdge(x_, displayWidth_), ClampedEdge(y_, displayHeight_)};
  } else {
    bounds_ = {x_, y_, ClampedEdge(x_, int64_t{sourceRect_.right} - sourceRect_.left),
               ClampedEdge(y_, int64_t{sourceRect_.bottom} - sourceRect_.top)};
  }
  SetChanged(1);
}

bool ImageSprite::Picture(Surface** picture, Rect* rect) const {
  if (rotatedWidth_ != 0 || displayWidth_ != 0) {
    if (copy_ == nullptr) return false;
    *picture = copy_.get();
    *rect = rotatedWidth_ != 0 ? Rect{0, 0, rotatedWidth_, rotatedHeight_}
                               : Rect{0, 0, displayWidth_, displayHeight_};
    return true;
  }
  *picture = source_;
  *rect = sourceRect_;
  return source_ != nullptr;
}

int ImageSprite::SetImage(Surface* surface, const Rect* sourceRect, int32_t x, int32_t y) {
  if (!HasPixels(surface)) return 1;
  if (CurrentPixelOpLibrary() == nullptr) return 2;
  Reset();
  Rect area;
  if (sourceRect != nullptr) {
    area = *sourceRect;
    if (!surface->ClipToClipRect(&area)) return 3;
  } else {
    surface->GetClipRect(&area);
    if (area.IsEmpty()) return 3;
  }
  source_ = surface;
  sourceRect_ = area;
  if (surface->HasAlpha()) mode_ = kModeAlpha;
  x_ = x;
  y_ = y;
  centreX_ = area.Width() / 2;
  centreY_ = area.Height() / 2;
  RecomputeBounds();
  return 0;
}

int ImageSprite::ReplaceSurface(Surface* surface) {
  if (!HasPixels(surface) || source_ == nullptr) return 1;
  if (surface->GetBitsPerPixel() != source_->GetBitsPerPixel() || borrowed_ != 0) {
    copy_.reset();
    borrowed_ = 0;
  }
  source_ = surface;
  SetChanged(1);
  return 0;
}

int ImageSprite::SetSourceRect(const Rect* rect) {
  if (source_ == nullptr || borrowed_ != 0) return 1;
  Rect want = rect != nullptr ? *rect : Rect{0, 0, source_->GetWidth(), source_->GetHeight()};
  if (want == sourceRect_) return 0;
  if (!source_->ClipToClipRect(&want)) return 2;
  sourceRect_ = want;
  sourceOffsetX_ = sourceOffsetY_ = 0;
  centreX_ = want.Width() / 2;
  centreY_ = want.Height() / 2;
  if (IsStretched() && RebuildStretch() != 0) return 3;
  RecomputeBounds();
  return 0;
}

bool ImageSprite::SetAnchor(int32_t code, int32_t x, int32_t y) {
  const platform::Point at = AnchorPoint(code, sourceRect_.Width(), sourceRect_.Height(), x, y);
  if (at.x == centreX_ && at.y == centreY_) return false;
  centreX_ = at.x;
  centreY_ = at.y;
  return true;
}

bool ImageSprite::SetBlendMode(uint8_t mode) {
  if (mode == resampling_ || borrowed_ != 0) return false;
  if ((mode & 0x0F) > 3 || (mode & 0xF0) > 0x10) return false;
  resampling_ = mode;
  if (IsStretched()) RebuildStretch();
  SetChanged(1);
  return true;
}

int ImageSprite::RebuildStretch() {
  const int32_t w = displayWidth_, h = displayHeight_;
  const uint8_t bits = source_->GetBitsPerPixel();
  if (copy_ == nullptr || copy_->GetBitsPerPixel() != bits) {
    copy_.reset(new (std::nothrow) Surface);
    if (copy_ == nullptr || copy_->Create(w, h, bits, 0) != 0) {
      copy_.reset();
      return 4;
    }
  } else if ((copy_->GetWidth() != w || copy_->GetHeight() != h) && copy_->Resize(w, h) != 0) {
    return 4;
  }
  if (bits == 8) copy_->CopyPalette(source_);
  const uint32_t key = source_->GetColorKey();
  int result = 0;
  if (bits == 32) {
    auto stretch = reinterpret_cast<PixelOpSpriteStretchFn>(LibraryEntry(kPixelOpSpriteStretch));
    const PixelOpImage dest = ViewForLibrary(copy_.get()), from = ViewForLibrary(source_);
    if (stretch == nullptr || stretch(&dest, &from, nullptr, 0, 0, &sourceRect_, 0, resampling_,
                                      255, 0) != 0)
      result = 1;
  } else {
    const Size size{w, h};
    if ((resampling_ & 0x0F) == 0) {
      // A keyed plain stretch would leave the key's pixels unwritten.
      source_->ClearColorKey();
      if (copy_->StretchCopy(source_, &size, 0, 0, &sourceRect_, false) != 0) result = 3;
      RestoreColorKey(source_, key);
    } else if (copy_->ScaleCopy(source_, &size, 0, 0, &sourceRect_) != 0) {
      result = 2;
    }
  }
  RestoreColorKey(copy_.get(), key);
  return result;
}

bool ImageSprite::SetPosition(int32_t x, int32_t y) {
  if (x == x_ && y == y_) return false;
  x_ = x;
  y_ = y;
  RecomputeBounds();
  return true;
}

bool ImageSprite::MoveBy(int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return false;
  x_ = ClampedEdge(x_, dx);
  y_ = ClampedEdge(y_, dy);
  RecomputeBounds();
  return true;
}

bool ImageSprite::SetDisplaySize(int32_t width, int32_t height) {
  if (source_ == nullptr || borrowed_ != 0) return false;
  if (width == displayWidth_ && height == displayHeight_) return false;
  if (width < 0 || height < 0 || (width == 0) != (height == 0)) return false;
  const int32_t oldWidth = displayWidth_, oldHeight = displayHeight_;
  displayWidth_ = width;
  displayHeight_ = height;
  if (width != 0 && RebuildStretch() != 0) {
    displayWidth_ = oldWidth;
    displayHeight_ = oldHeight;
    return false;
  }
  RecomputeBounds();
  return true;
}

bool ImageSprite::InvalidateSourceRect(Rect* rect) {
  if (list_ == nullptr || rect == nullptr || source_ == nullptr) return false;
  if (rotatedWidth_ != 0 || displayWidth_ != 0) {
    // The copy shows the whole source rectangle scaled: repaint it all.
    *rect = bounds_;
    return list_->AddDirty(rect) != 0;
  }
  Rect part;
  if (!IntersectRects(&part, *rect, sourceRect_)) return false;
  *rect = CutLikeBounds(bounds_, sourceRect_, part);
  return list_->AddDirty(rect) != 0;
}

bool ImageSprite::HitTest(int32_t x, int32_t y, uint8_t testPixels) {
  if (x < bounds_.left || x >= bounds_.right || y < bounds_.top || y >= bounds_.bottom) return false;
  if (testPixels == 0) return true;
  Surface* picture = nullptr;
  Rect rect;
  if (!Picture(&picture, &rect)) return false;
  const int64_t px = int64_t{rect.left} + (int64_t{x} - bounds_.left);
  const int64_t py = int64_t{rect.top} + (int64_t{y} - bounds_.top);
  if (px < 0 || py < 0 || px >= picture->GetWidth() || py >= picture->GetHeight()) return false;
  const uint32_t value = picture->GetPixel(int32_t(px), int32_t(py));
  const uint32_t key = picture->GetColorKey();
  if (key != kNoColorKey) return value != key;
  if (picture->GetBitsPerPixel() == 32) return (value >> 24) != 0;
  return true;
}

bool ImageSprite::Overlaps(const Drawable* other) const {
  if (source_ == nullptr || other == nullptr) return false;
  Rect theirs;
  other->GetBounds(&theirs);
  return IntersectRects(nullptr, bounds_, theirs);
}

Rect* ImageSprite::GetBounds(Rect* out) const {
  *out = bounds_;
  return out;
}

int ImageSprite::Blit(Surface* target, Surface* picture, int32_t x, int32_t y, Rect rect) {
  // Source rectangles may lie partly off the picture (offsets, far
  // placements): cut them before any pixel is read.
  Rect cut;
  if (!IntersectRects(&cut, rect, Rect{0, 0, picture->GetWidth(), picture->GetHeight()})) return 0;
  x = ClampedEdge(x, int64_t{cut.left} - rect.left);
  y = ClampedEdge(y, int64_t{cut.top} - rect.top);
  if (picture->GetBitsPerPixel() != 32) return target->Copy(picture, x, y, &cut, false) == 0 ? 0 : 3;
  const uint8_t opacity = opacity_;
  if (picture->GetColorKey() == kNoColorKey) {
    if (mode_ != kModeCopy && mode_ != kModeAlpha && mode_ != kModeAdd && mode_ != kModeSubtract)
      return 2;
    auto blend = reinterpret_cast<PixelOpSpriteBlendFn>(LibraryEntry(kPixelOpSpriteBlend));
    if (blend == nullptr) return 3;
    const PixelOpImage to = ViewForLibrary(target), from = ViewForLibrary(picture);
    if (blend(&to, &from, x, y, &cut, mode_, opacity, 0) != 0) return 3;
    RecordLibraryChange(target);
    return 0;
  }
  int result = 0;
  switch (mode_) {
    case kModeCopy:
      result = opacity < 255 ? target->BlendOpacity(picture, opacity, x, y, &cut)
                             : target->Copy(picture, x, y, &cut, false);
      break;
    case kModeAlpha:
      result = opacity < 255 ? DrawAlphaBlend(target, 0, picture, opacity, x, y, &cut)
                             : target->AlphaBlend(picture, x, y, &cut, false);
      break;
    case kModeAdd:
      result = opacity < 255 ? DrawAdd(target, picture, opacity, x, y, &cut)
                             : target->BlendByMode(1, picture, x, y, &cut);
      break;
    case kModeSubtract:
      result = opacity < 255 ? DrawSubtract(target, picture, opacity, x, y, &cut)
                             : target->BlendByMode(2, picture, x, y, &cut);
      break;
    default:
      return 2;
  }
  return result == 0 ? 0 : 3;
}

int ImageSprite::DrawArea(Surface* target, const Rect& area) {
  Surface* picture = nullptr;
  Rect rect;
  if (!Picture(&picture, &rect)) return 2;
  return Blit(target, picture, area.left, area.top, CutLikeBounds(rect, bounds_, area));
}

int ImageSprite::DrawTo(Surface* target, Rect* out) {
  if (out != nullptr) out->left = -1;
  if (!IsVisible() || opacity_ == 0) return 0;
  if (target == nullptr || source_ == nullptr) return 1;
  Rect area = bounds_;
  if (!target->ClipToClipRect(&area)) return 0;
  if (const int result = DrawArea(target, area); result != 0) return result;
  if (out != nullptr) *out = area;
  return 0;
}

int ImageSprite::Draw(Surface* target, const Rect& clip) {
  if (target == nullptr || source_ == nullptr) return 1;
  Rect area;
  if (!IntersectRects(&area, bounds_, clip)) return 0;
  return DrawArea(target, area);
}

}  // namespace orrivel
