#include "scene/ImageSprite.h"

#include <cmath>
#include <new>

#include "base/MathTables.h"
#include "raster/ImageSize.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "raster/SurfaceDrawing.h"
#include "scene/AnchorPoint.h"
#include "scene/CanvasDrawObject.h"
#include "scene/TransformClip.h"

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

void ImageSprite::FreeOwnedCopy() {
  displayWidth_ = displayHeight_ = 0;
  rotatedWidth_ = rotatedHeight_ = 0;
  rotatedOffsetX_ = rotatedOffsetY_ = 0;
  angle_ = 0;
  scale_ = 1.0;
  copy_.reset();
  borrowed_ = 0;
  RecomputeBounds();
}

bool ImageSprite::SetOptionFlag(uint8_t flag) {
  if (option_ == flag) return false;
  option_ = flag;
  return true;
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
  *picture = source_.Get();
  *rect = sourceRect_;
  return source_ != nullptr;
}

void ImageSprite::ForgetImage(const Image* image) {
  // A sprite over a canvas image draws the surface the canvas owns: it goes
  // with the canvas.
  const auto* canvas = dynamic_cast<const CanvasDrawObject*>(image);
  const bool canvasSurface = canvas != nullptr && const_cast<CanvasDrawObject*>(canvas)->GetSurface() == source_;
  if (source_ == nullptr || (source_.Get() != image && !canvasSurface)) return;
  source_ = nullptr;
  SetVisible(0);
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
  if (IsRotated()) {
    Rerotate();
  } else if (IsStretched() && RebuildStretch() != 0) {
    return 3;
  }
  RecomputeBounds();
  return 0;
}

bool ImageSprite::SetAnchor(int32_t code, int32_t x, int32_t y) {
  const platform::Point at = AnchorPoint(code, sourceRect_.Width(), sourceRect_.Height(), x, y);
  if (at.x == centreX_ && at.y == centreY_) return false;
  centreX_ = at.x;
  centreY_ = at.y;
  if (IsRotated()) Rerotate();
  return true;
}

bool ImageSprite::SetBlendMode(uint8_t mode) {
  if (mode == resampling_ || borrowed_ != 0) return false;
  if ((mode & 0x0F) > 3 || (mode & 0xF0) > 0x10) return false;
  resampling_ = mode;
  RebuildCopy();
  SetChanged(1);
  return true;
}

int ImageSprite::PrepareCopy(int32_t width, int32_t height, uint8_t bits) {
  if (copy_ != nullptr && copy_->GetBits() != nullptr && copy_->GetBitsPerPixel() == bits) {
    if (copy_->GetWidth() == width && copy_->GetHeight() == height) return 0;
    const ImageSize need = ComputeImageSize(width, height, bits, 7);
    if (need.fits && need.pixelBytes + 7 <= copy_->GetBufferSize())
      return copy_->Resize(width, height) == 0 ? 0 : 3;
    // Growing needs a new block: make it beside the old copy, so a failure
    // leaves the picture in force intact.
    std::shared_ptr<Surface> grown(new (std::nothrow) Surface);
    if (grown == nullptr || grown->Create(width, height, bits, 0) != 0) return 3;
    copy_ = std::move(grown);
    return 0;
  }
  std::shared_ptr<Surface> made(new (std::nothrow) Surface);
  if (made == nullptr || made->Create(width, height, bits, 0) != 0) return 2;
  copy_ = std::move(made);
  return 0;
}

int ImageSprite::RebuildStretch() {
  const int32_t w = displayWidth_, h = displayHeight_;
  const uint8_t bits = source_->GetBitsPerPixel();
  if (PrepareCopy(w, h, bits) != 0) return 4;
  if (bits == 8) copy_->CopyPalette(source_.Get());
  const uint32_t key = source_->GetColorKey();
  // Only the part of the source rectangle on the source is read; the rest
  // of the copy holds the key (or clear black), so it shows nothing.
  Rect from, place;
  const bool whole = CutStretch(sourceRect_, Rect{0, 0, source_->GetWidth(), source_->GetHeight()},
                                Rect{0, 0, w, h}, &from, &place) &&
                     place == Rect{0, 0, w, h};
  if (!whole) {
    const uint32_t blank = key == kNoColorKey ? 0 : key;
    if (bits == 32)
      copy_->FillRect(blank, nullptr);
    else
      copy_->FillRgb(uint8_t(blank), 0, 0, nullptr);
    if (from.IsEmpty() || place.IsEmpty()) {
      RestoreColorKey(copy_.get(), key);
      return 0;
    }
  }
  int result = 0;
  if (bits == 32) {
    auto stretch = reinterpret_cast<PixelOpSpriteStretchFn>(LibraryEntry(kPixelOpSpriteStretch));
    const PixelOpImage dest = ViewForLibrary(copy_.get()), view = ViewForLibrary(source_.Get());
    if (stretch == nullptr ||
        stretch(&dest, &view, &place, 0, 0, &from, 0, resampling_, 255, 0) != 0)
      result = 1;
  } else {
    const Size size{place.Width(), place.Height()};
    if ((resampling_ & 0x0F) == 0) {
      // A keyed plain stretch would leave the key's pixels unwritten.
      source_->ClearColorKey();
      if (copy_->StretchCopy(source_.Get(), &size, place.left, place.top, &from, false) != 0) result = 3;
      RestoreColorKey(source_.Get(), key);
    } else if (copy_->ScaleCopy(source_.Get(), &size, place.left, place.top, &from) != 0) {
      result = 2;
    }
  }
  RestoreColorKey(copy_.get(), key);
  return result;
}

int ImageSprite::RenderRotation(const PixelOpCorners& corners, int32_t width, int32_t height) {
  const uint32_t key = source_->GetColorKey();
  const uint32_t blank = key == kNoColorKey ? 0 : key;
  Rect from;
  PixelOpCorners cut;
  if (!CutCorners(sourceRect_, Rect{0, 0, source_->GetWidth(), source_->GetHeight()}, corners,
                  &from, &cut)) {
    copy_->FillRect(blank, nullptr);
    return 0;
  }
  auto rotate = reinterpret_cast<PixelOpSpriteRotateFn>(LibraryEntry(kPixelOpSpriteRotate));
  if (rotate == nullptr) return 1;
  const PixelOpImage dest = ViewForLibrary(copy_.get()), view = ViewForLibrary(source_.Get());
  const Rect whole{0, 0, width, height};
  return rotate(&dest, &view, &cut, &from, 0, resampling_, 255, 0, 1, blank, &whole);
}

void ImageSprite::Rerotate() {
  // A stored angle one whole turn away makes the same rotation look new.
  const int32_t angle = angle_;
  angle_ = int32_t(uint32_t(angle) + 512u);
  if (!SetRotation(angle, scale_)) angle_ = angle;
}

void ImageSprite::RebuildCopy() {
  if (source_ == nullptr || borrowed_ != 0) return;
  if (IsRotated()) {
    if (copy_ != nullptr) RenderRotation(corners_, rotatedWidth_, rotatedHeight_);
  } else if (IsStretched()) {
    RebuildStretch();
  }
}

int ImageSprite::SetSourceOffset(int32_t x, int32_t y) {
  if (source_ == nullptr || borrowed_ != 0) return 1;
  if (x == sourceOffsetX_ && y == sourceOffsetY_) return 0;
  const int64_t dx = int64_t{x} - sourceOffsetX_, dy = int64_t{y} - sourceOffsetY_;
  sourceOffsetX_ = x;
  sourceOffsetY_ = y;
  sourceRect_ = {ClampedEdge(sourceRect_.left, dx), ClampedEdge(sourceRect_.top, dy),
                 ClampedEdge(sourceRect_.right, dx), ClampedEdge(sourceRect_.bottom, dy)};
  RebuildCopy();
  SetChanged(1);
  return 0;
}

int ImageSprite::SetStretchSize(int32_t width, int32_t height) {
  if (source_ == nullptr || borrowed_ != 0) return 1;
  if (width <= 0) width = sourceRect_.Width();
  if (height <= 0) height = sourceRect_.Height();
  if (const int made = PrepareCopy(width, height, source_->GetBitsPerPixel()); made != 0) return made;
  displayWidth_ = displayHeight_ = 0;
  rotatedWidth_ = 0;
  angle_ = 0;
  scale_ = 1.0;
  return 0;
}

int ImageSprite::ReserveRotationBuffer(double largestScale) {
  if (source_ == nullptr || borrowed_ != 0) return 1;
  const int32_t w = sourceRect_.Width(), h = sourceRect_.Height();
  PixelOpCorners corners;
  if (!std::isfinite(largestScale) ||
      !BuildRotationTransform(&corners.points[0][0], 0, 0, 64, largestScale, w, h, 0, 0, nullptr,
                              nullptr, nullptr, nullptr))
    return 2;
  // No turn of a picture is wider or taller than its diagonal (a turn by an
  // eighth is not the widest unless the picture is square).
  const double side = std::ceil(std::hypot(double(w), double(h)) * std::fabs(largestScale));
  if (!(side >= 1.0 && side <= double(INT32_MAX))) return 2;
  switch (PrepareCopy(int32_t(side), int32_t(side), source_->GetBitsPerPixel())) {
    case 0: break;
    case 2: return 3;
    default: return 4;
  }
  displayWidth_ = displayHeight_ = 0;
  rotatedWidth_ = 0;
  angle_ = 0;
  scale_ = 1.0;
  return 0;
}

bool ImageSprite::SetRotation(int32_t angle, double scale) {
  if (source_ == nullptr || source_->GetBitsPerPixel() != 32 || borrowed_ != 0) return false;
  if (angle == angle_ && scale == scale_) return false;
  if ((angle & 511) == 0 && scale == 1.0) {
    rotatedWidth_ = 0;
  } else {
    if (!std::isfinite(scale)) return false;
    PixelOpCorners corners;
    int32_t w = 0, h = 0, ox = 0, oy = 0;
    if (!BuildRotationTransform(&corners.points[0][0], 0, 0, angle, scale, sourceRect_.Width(),
                                sourceRect_.Height(), centreX_, centreY_, &w, &h, &ox, &oy))
      return false;
    if (PrepareCopy(w, h, 32) != 0) return false;
    if (RenderRotation(corners, w, h) != 0) {
      // The copy no longer holds the rotation in force: show the picture
      // directly rather than stale pixels at the wrong size.
      rotatedWidth_ = 0;
      angle_ = 0;
      scale_ = 1.0;
      RecomputeBounds();
      return false;
    }
    const uint32_t key = source_->GetColorKey();
    RestoreColorKey(copy_.get(), key);
    corners_ = corners;
    rotatedWidth_ = w;
    rotatedHeight_ = h;
    rotatedOffsetX_ = ox;
    rotatedOffsetY_ = oy;
  }
  scale_ = scale;
  angle_ = angle;
  displayWidth_ = displayHeight_ = 0;
  RecomputeBounds();
  return true;
}

bool ImageSprite::SyncSourceDirty(uint8_t reset) {
  if (source_ == nullptr || list_ == nullptr) return false;
  DirtyRegion* region = source_->Region();
  if (region == nullptr) return false;
  if (IsRotated() || IsStretched()) {
    RebuildCopy();
    SetChanged(1);
  } else {
    const RectNode* node = region->First();
    for (int32_t i = 0; i < region->Count(); ++i, node = node->next) {
      Rect part;
      if (!IntersectRects(&part, Rect{node->left, node->top, node->right, node->bottom}, sourceRect_))
        continue;
      Rect moved = CutLikeBounds(bounds_, sourceRect_, part);
      list_->AddDirty(&moved);
    }
  }
  if (reset != 0) {
    region->Reset();
    source_->ClearChanged();
  }
  return true;
}

void ImageSprite::TakeFields(const ImageSprite& other) {
  visible_ = other.visible_;
  changed_ = other.changed_;
  x_ = other.x_;
  y_ = other.y_;
  mode_ = other.mode_;
  opacity_ = other.opacity_;
  source_ = other.source_;
  sourceRect_ = other.sourceRect_;
  bounds_ = other.bounds_;
  sourceOffsetX_ = other.sourceOffsetX_;
  sourceOffsetY_ = other.sourceOffsetY_;
  displayWidth_ = other.displayWidth_;
  displayHeight_ = other.displayHeight_;
  angle_ = other.angle_;
  scale_ = other.scale_;
  centreX_ = other.centreX_;
  centreY_ = other.centreY_;
  rotatedOffsetX_ = other.rotatedOffsetX_;
  rotatedOffsetY_ = other.rotatedOffsetY_;
  rotatedWidth_ = other.rotatedWidth_;
  rotatedHeight_ = other.rotatedHeight_;
  resampling_ = other.resampling_;
  corners_ = other.corners_;
  borrowed_ = other.borrowed_;
  option_ = other.option_;
}

int ImageSprite::CopyFrom(const ImageSprite* other) {
  if (other == nullptr || other->source_ == nullptr) return 1;
  if (other == this) return 0;
  if (list_ != nullptr) list_->Remove(this);
  copy_.reset();
  tag_ = other->tag_;
  TakeFields(*other);
  if (displayWidth_ == sourceRect_.Width() && displayHeight_ == sourceRect_.Height())
    displayWidth_ = displayHeight_ = 0;
  if ((IsRotated() || IsStretched()) && other->copy_ != nullptr) {
    // A picture of its own, filled from other's at once.
    std::shared_ptr<Surface> made(new (std::nothrow) Surface);
    if (made != nullptr && made->CreateLike(other->copy_.get(), Surface::kLikeSource) == 0)
      copy_ = std::move(made);
  }
  changed_ = 0;
  return 0;
}

int ImageSprite::ShareImage(const ImageSprite* other) {
  if (other == nullptr) return 1;
  if (other == this) return 0;
  TakeFields(*other);
  copy_ = other->copy_;
  borrowed_ = copy_ != nullptr ? 1 : 0;
  SetChanged(1);
  return 0;
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
  if (width != 0 || height != 0) {
    if (width <= 0) width = sourceRect_.Width();
    if (height <= 0) height = sourceRect_.Height();
    const int32_t oldWidth = displayWidth_, oldHeight = displayHeight_;
    displayWidth_ = width;
    displayHeight_ = height;
    const int32_t oldRotated = rotatedWidth_;
    rotatedWidth_ = 0;
    if (RebuildStretch() != 0) {
      displayWidth_ = oldWidth;
      displayHeight_ = oldHeight;
      rotatedWidth_ = oldRotated;
      return false;
    }
  } else {
    displayWidth_ = displayHeight_ = 0;
  }
  rotatedWidth_ = 0;
  angle_ = 0;
  scale_ = 1.0;
  RecomputeBounds();
  return true;
}

bool ImageSprite::InvalidateSourceRect(Rect* rect) {
  if (rect == nullptr || source_ == nullptr) return false;
  Rect part;
  if (!IntersectRects(&part, *rect, sourceRect_)) return false;
  if (IsRotated() || IsStretched()) {
    // The copy shows the whole source rectangle transformed: build it
    // again and repaint all of it.
    *rect = bounds_;
    RebuildCopy();
    SetChanged(1);
    return true;
  }
  if (list_ == nullptr) return false;
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

bool ImageSprite::CoversWhole(const Rect& area) const {
  if (!IsVisible() || opacity_ != 255 || mode_ != kModeCopy || area.IsEmpty()) return false;
  if (area.left < bounds_.left || area.top < bounds_.top || area.right > bounds_.right ||
      area.bottom > bounds_.bottom)
    return false;
  Surface* picture = nullptr;
  Rect rect;
  if (!Picture(&picture, &rect) || picture->GetBits() == nullptr) return false;
  if (picture->GetBitsPerPixel() != 32 || picture->GetColorKey() != kNoColorKey) return false;
  if (LibraryEntry(kPixelOpSpriteBlend) == nullptr) return false;
  // The part of the picture Blit would copy, whole inside the picture.
  const Rect from = CutLikeBounds(rect, bounds_, area);
  return from.left >= 0 && from.top >= 0 && from.right <= picture->GetWidth() &&
         from.bottom <= picture->GetHeight() && from.Width() == area.Width() &&
         from.Height() == area.Height();
}

int ImageSprite::Draw(Surface* target, const Rect& clip) {
  if (target == nullptr || source_ == nullptr) return 1;
  Rect area;
  if (!IntersectRects(&area, bounds_, clip)) return 0;
  return DrawArea(target, area);
}

}  // namespace orrivel
