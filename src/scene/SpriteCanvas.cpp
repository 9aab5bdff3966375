#include "scene/SpriteCanvas.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "scene/AnchorPoint.h"
#include "scene/TransformClip.h"

namespace orrivel {

namespace {

bool gCoalesceAfterCollect = true;
bool gBandedRendering = true;
// Main thread only, like the canvases.
uint64_t gLastBackCopyGeneration = 0;

bool Paintable(const Drawable* d) { return d->IsVisible() && d->GetOpacity() != 0; }

template <typename Fn>
void EachNode(SpriteList* list, Fn fn) {
  if (list == nullptr) return;
  for (SpriteList::Node* n = list->Head(); n != nullptr; n = n->next) fn(n);
}

}  // namespace

void SpriteCanvas::SetCoalesceAfterCollect(bool on) { gCoalesceAfterCollect = on; }
bool SpriteCanvas::CoalesceAfterCollect() { return gCoalesceAfterCollect; }
void SpriteCanvas::SetBandedRendering(bool on) { gBandedRendering = on; }
bool SpriteCanvas::BandedRendering() { return gBandedRendering; }

SpriteCanvas::SpriteCanvas() : background_(nullptr, [this] { ReleaseBackCopy(); }) { main_.SetOwner(this); }

SpriteCanvas::~SpriteCanvas() {
  // Holders let go while the lists still stand (the tool tip leaves the
  // main list).
  BreakLinks();
  ReleaseBackCopy();
  region_.Reset();
  main_.Clear();
  main_.SetOwner(nullptr);
  if (overlay_ != nullptr && overlay_->Owner() == this) overlay_->SetOwner(nullptr);
}

int SpriteCanvas::SetTarget(Surface* surface, uint8_t redraw) {
  if (surface == nullptr || surface->GetBits() == nullptr) return 1;
  target_ = surface;
  if (redraw != 0) MarkAllChanged();
  return 0;
}

void SpriteCanvas::SetOverlayList(SpriteList* list) {
  if (overlay_ != nullptr && overlay_->Owner() == this) overlay_->SetOwner(nullptr);
  overlay_ = list;
  if (overlay_ != nullptr) overlay_->SetOwner(this);
}

uint8_t SpriteCanvas::SetBackgroundImage(Surface* image, int32_t offsetX, int32_t offsetY,
                                         uint8_t redraw) {
  if (image != nullptr && image->GetBits() == nullptr) return 0;
  if (image != nullptr) {
    pivotX_ = image->GetWidth() >> 1;
    pivotY_ = image->GetHeight() >> 1;
  }
  ReleaseBackCopy();
  background_ = image;
  offsetX_ = offsetX;
  offsetY_ = offsetY;
  if (redraw != 0) MarkAllChanged();
  return 1;
}

void SpriteCanvas::SetBackgroundColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t redraw) {
  SetBackgroundValue((color_ & 0xFF000000u) | uint32_t{red} << 16 | uint32_t{green} << 8 | blue,
                     redraw);
}

void SpriteCanvas::SetBackgroundValue(uint32_t argb, uint8_t redraw) {
  background_ = nullptr;
  ReleaseBackCopy();
  color_ = argb;
  if (redraw != 0) MarkAllChanged();
}

void SpriteCanvas::SetBackgroundOffsets(int32_t x, int32_t y) {
  if (x == offsetX_ && y == offsetY_) return;
  offsetX_ = x;
  offsetY_ = y;
  MarkAllChanged();
}

int SpriteCanvas::SetBackgroundPivot(int32_t code, int32_t x, int32_t y) {
  if (background_ == nullptr) return 0;
  const platform::Point at =
      AnchorPoint(code, background_->GetWidth(), background_->GetHeight(), x, y);
  pivotX_ = at.x;
  pivotY_ = at.y;
  return 1;
}

void SpriteCanvas::GetBackground(Surface** image, int32_t* offsetX, int32_t* offsetY,
                                 uint8_t* red, uint8_t* green, uint8_t* blue) const {
  if (image != nullptr) *image = background_.Get();
  if (offsetX != nullptr) *offsetX = offsetX_;
  if (offsetY != nullptr) *offsetY = offsetY_;
  if (red != nullptr) *red = uint8_t(color_ >> 16);
  if (green != nullptr) *green = uint8_t(color_ >> 8);
  if (blue != nullptr) *blue = uint8_t(color_);
}

int SpriteCanvas::SwapBackground(SpriteCanvas* other, uint8_t redraw) {
  if (other == nullptr) return 1;
  std::swap(background_, other->background_);
  std::swap(offsetX_, other->offsetX_);
  std::swap(offsetY_, other->offsetY_);
  std::swap(backCopy_, other->backCopy_);
  std::swap(backCopyGeneration_, other->backCopyGeneration_);
  std::swap(resampling_, other->resampling_);
  std::swap(stretchX_, other->stretchX_);
  std::swap(stretchY_, other->stretchY_);
  std::swap(stretchWidth_, other->stretchWidth_);
  std::swap(stretchHeight_, other->stretchHeight_);
  std::swap(stretchSource_, other->stretchSource_);
  std::swap(angle_, other->angle_);
  std::swap(scale_, other->scale_);
  std::swap(pivotX_, other->pivotX_);
  std::swap(pivotY_, other->pivotY_);
  std::swap(color_, other->color_);
  if (redraw != 0) {
    MarkAllChanged();
    other->MarkAllChanged();
  }
  return 0;
}

void SpriteCanvas::AdoptBackCopy(std::unique_ptr<Surface> made) {
  backCopy_ = std::move(made);
  backCopyGeneration_ = ++gLastBackCopyGeneration;
}

void SpriteCanvas::ReleaseBackCopy() {
  backCopy_.reset();
  stretchWidth_ = stretchHeight_ = 0;
  angle_ = 0;
  scale_ = 0.0;
}

int SpriteCanvas::CreateBackgroundCopy(uint8_t recreate) {
  if (recreate != 0) backCopy_.reset();
  if (backCopy_ == nullptr) {
    if (target_ == nullptr) return 1;
    std::unique_ptr<Surface> made(new (std::nothrow) Surface);
    if (made == nullptr ||
        made->Create(target_->GetWidth(), target_->GetHeight(), target_->GetBitsPerPixel(), 0) != 0)
      return 2;
    AdoptBackCopy(std::move(made));
  }
  stretchWidth_ = stretchHeight_ = 0;
  angle_ = 0;
  scale_ = 0.0;
  return 0;
}

bool SpriteCanvas::EnsureBackCopy(uint8_t bits) {
  const int32_t w = target_->GetWidth(), h = target_->GetHeight();
  // A copy left from another target or depth would be read out of shape.
  if (backCopy_ != nullptr && backCopy_->GetBits() != nullptr && backCopy_->GetWidth() == w &&
      backCopy_->GetHeight() == h && backCopy_->GetBitsPerPixel() == bits)
    return true;
  std::unique_ptr<Surface> made(new (std::nothrow) Surface);
  if (made == nullptr || made->Create(w, h, bits, 0) != 0) return false;
  AdoptBackCopy(std::move(made));
  return true;
}

void SpriteCanvas::FillBackCopy() {
  if (backCopy_->GetBitsPerPixel() == 32)
    backCopy_->FillRect(color_, nullptr);
  else
    backCopy_->FillRgb(uint8_t(color_ >> 16), 0, 0, nullptr);
}

bool SpriteCanvas::SetBackgroundStretch(int32_t x, int32_t y, int32_t w, int32_t h,
                                        const Rect* sourceRect) {
  if (background_ == nullptr || target_ == nullptr) return false;
  const int32_t tw = target_->GetWidth(), th = target_->GetHeight();
  const Rect whole{0, 0, background_->GetWidth(), background_->GetHeight()};
  const Rect from = sourceRect != nullptr ? *sourceRect : whole;
  if ((w == 0 && h == 0) || (x == 0 && y == 0 && w == tw && h == th && from == whole)) {
    ReleaseBackCopy();
    MarkAllChanged();
    return true;
  }
  if (w <= 0) w = tw;
  if (h <= 0) h = th;
  if (backCopy_ != nullptr && scale_ == 0.0 && stretchWidth_ != 0 && x == stretchX_ &&
      y == stretchY_ && w == stretchWidth_ && h == stretchHeight_ && from == stretchSource_)
    return false;
  const uint8_t bits = background_->GetBitsPerPixel();
  if (!EnsureBackCopy(bits)) return false;
  const Rect dest{x, y, ClampedEdge(x, w), ClampedEdge(y, h)};
  // Only the part of the source rectangle on the picture is read, placed
  // where it lies in the whole stretch.
  Rect cutFrom, cutDest;
  const bool any = CutStretch(from, whole, dest, &cutFrom, &cutDest);
  const bool filled = !any || cutDest.left > 0 || cutDest.top > 0 || cutDest.right < tw ||
                      cutDest.bottom < th;
  if (filled) FillBackCopy();
  bool stretched = !any;
  if (any && bits == 32) {
    auto stretch = reinterpret_cast<PixelOpSpriteStretchFn>(LibraryEntry(kPixelOpSpriteStretch));
    const PixelOpImage to = ViewForLibrary(backCopy_.get()), view = ViewForLibrary(background_.Get());
    stretched = stretch != nullptr &&
                stretch(&to, &view, &cutDest, 0, 0, &cutFrom, 0, resampling_, 255, 0) == 0;
  } else if (any) {
    const Size size{cutDest.Width(), cutDest.Height()};
    stretched = (resampling_ & 0x0F) != 0
                    ? backCopy_->ScaleCopy(background_.Get(), &size, cutDest.left, cutDest.top,
                                           &cutFrom) == 0
                    : backCopy_->StretchCopy(background_.Get(), &size, cutDest.left, cutDest.top,
                                             &cutFrom, false) == 0;
  }
  if (!stretched && !filled) FillBackCopy();
  stretchX_ = x;
  stretchY_ = y;
  stretchWidth_ = w;
  stretchHeight_ = h;
  stretchSource_ = from;
  angle_ = 0;
  scale_ = 0.0;
  MarkAllChanged();
  return true;
}

bool SpriteCanvas::SetBackgroundRotation(int32_t x, int32_t y, int32_t angle, double scale) {
  if (background_ == nullptr || target_ == nullptr || background_->GetBitsPerPixel() != 32)
    return false;
  if (!std::isfinite(scale)) return false;
  if (backCopy_ != nullptr && scale_ != 0.0 && x == stretchX_ && y == stretchY_ &&
      angle == angle_ && scale == scale_)
    return false;
  const bool identity = (angle & 511) == 0 && x == 0 && y == 0 && scale == 1.0;
  PixelOpCorners corners;
  if (identity || scale == 0.0) {
    ReleaseBackCopy();
    MarkAllChanged();
    return true;
  }
  if (!BuildRotationTransform(&corners.points[0][0], x, y, angle, scale, background_->GetWidth(),
                              background_->GetHeight(), pivotX_, pivotY_, nullptr, nullptr,
                              nullptr, nullptr))
    return false;
  if (!EnsureBackCopy(32)) return false;
  auto rotate = reinterpret_cast<PixelOpSpriteRotateFn>(LibraryEntry(kPixelOpSpriteRotate));
  const PixelOpImage to = ViewForLibrary(backCopy_.get()), view = ViewForLibrary(background_.Get());
  if (rotate == nullptr ||
      rotate(&to, &view, &corners, nullptr, 0, resampling_, 255, 0, 1, color_, nullptr) != 0)
    FillBackCopy();
  stretchX_ = x;
  stretchY_ = y;
  angle_ = angle;
  scale_ = scale;
  stretchWidth_ = stretchHeight_ = 0;
  MarkAllChanged();
  return true;
}

int SpriteCanvas::MarkAllChanged() {
  if (target_ == nullptr) return 1;
  auto mark = [](SpriteList::Node* n) {
    if (!Paintable(n->drawable)) return;
    n->drawable->SetChanged(1);
    n->lastDrawn = {-1, 0, 0, 0};
  };
  EachNode(&main_, mark);
  EachNode(overlay_, mark);
  region_.Reset();
  // Cut like every other path, so a colour fill never reaches outside the
  // target's clip rectangle.
  Rect whole{0, 0, target_->GetWidth(), target_->GetHeight()};
  if (target_->ClipToClipRect(&whole)) region_.AddRect(whole);
  return 0;
}

bool SpriteCanvas::AddDirtyRect(Rect* rect) {
  if (target_ == nullptr) return false;
  if (rect != nullptr && target_->ClipToClipRect(rect)) region_.AddRect(*rect);
  return true;
}

int SpriteCanvas::AddDirty(const Rect* rect) {
  if (target_ == nullptr) return 0;
  Rect area = rect != nullptr ? *rect : Rect{0, 0, target_->GetWidth(), target_->GetHeight()};
  if (!target_->ClipToClipRect(&area)) return 0;
  region_.AddRect(area);
  return 1;
}

void SpriteCanvas::ResetChanges() {
  auto unmark = [](SpriteList::Node* n) { n->drawable->SetChanged(0); };
  EachNode(&main_, unmark);
  EachNode(overlay_, unmark);
  region_.Reset();
}

void SpriteCanvas::CollectDirty(SpriteList::Node** mainTail, SpriteList::Node** overlayTail) {
  std::vector<Rect>& damage = damage_;
  damage.clear();
  auto collect = [this, &damage](SpriteList* list) -> SpriteList::Node* {
    SpriteList::Node* last = nullptr;
    EachNode(list, [this, &last, &damage](SpriteList::Node* n) {
      last = n;
      Drawable* d = n->drawable;
      if (!d->IsChanged()) return;
      if (n->HasLastDrawn()) damage.push_back(n->lastDrawn);
      Rect bounds;
      d->GetBounds(&bounds);
      d->SetChanged(0);
      if (target_ != nullptr && target_->ClipToClipRect(&bounds)) {
        damage.push_back(bounds);
        n->lastDrawn = bounds;
      } else {
        n->lastDrawn = {-1, 0, 0, 0};
      }
    });
    return last;
  };
  SpriteList::Node* m = collect(&main_);
  SpriteList::Node* o = collect(overlay_);
  if (mainTail != nullptr) *mainTail = m;
  if (overlayTail != nullptr) *overlayTail = o;
  AddDamage(damage);
  if (gCoalesceAfterCollect) region_.Coalesce();
}

void SpriteCanvas::AddDamage(const std::vector<Rect>& damage) {
  if (damage.size() <= kExactDamageLimit) {
    for (const Rect& r : damage) region_.AddRect(r);
    return;
  }
  // Cutting thousands of scattered rectangles against each other costs far
  // more than repainting a little around them: mark the tiles they touch
  // and record runs of marked tiles, cut to the rectangles' bounding box
  // (which lies inside the clip rectangle, as every rectangle does).
  Rect box = damage.front();
  for (const Rect& r : damage) {
    box.left = std::min(box.left, r.left);
    box.top = std::min(box.top, r.top);
    box.right = std::max(box.right, r.right);
    box.bottom = std::max(box.bottom, r.bottom);
  }
  const int64_t columns = (int64_t{box.right} - box.left + kDamageTile - 1) / kDamageTile;
  const int64_t rows = (int64_t{box.bottom} - box.top + kDamageTile - 1) / kDamageTile;
  std::vector<uint8_t> tiles(size_t(columns * rows), 0);
  for (const Rect& r : damage) {
    const int64_t c0 = (int64_t{r.left} - box.left) / kDamageTile;
    const int64_t c1 = (int64_t{r.right} - 1 - box.left) / kDamageTile;
    const int64_t r0 = (int64_t{r.top} - box.top) / kDamageTile;
    const int64_t r1 = (int64_t{r.bottom} - 1 - box.top) / kDamageTile;
    for (int64_t y = r0; y <= r1; ++y)
      std::fill(tiles.begin() + y * columns + c0, tiles.begin() + y * columns + c1 + 1, 1);
  }
  for (int64_t y = 0; y < rows; ++y) {
    const int32_t top = int32_t(box.top + y * kDamageTile);
    const int32_t bottom = int32_t(std::min<int64_t>(int64_t{top} + kDamageTile, box.bottom));
    for (int64_t x = 0; x < columns;) {
      if (tiles[size_t(y * columns + x)] == 0) {
        ++x;
        continue;
      }
      const int64_t start = x;
      while (x < columns && tiles[size_t(y * columns + x)] != 0) ++x;
      const int32_t left = int32_t(box.left + start * kDamageTile);
      const int32_t right = int32_t(std::min<int64_t>(box.left + x * kDamageTile, box.right));
      region_.AddRect(Rect{left, top, right, bottom});
    }
  }
}

int32_t SpriteCanvas::BandHeight(int32_t width) {
  if (width < 40) return 128;
  if (width < 80) return 64;
  if (width < 160) return 32;
  if (width < 320) return 16;
  return 8;
}

void SpriteCanvas::PaintBackground(Surface* into, const Rect& rect) {
  if (noBackground_ != 0) return;
  Surface* picture = backCopy_ != nullptr ? backCopy_.get() : background_.Get();
  if (picture != nullptr) {
    const int32_t ox = backCopy_ != nullptr ? 0 : offsetX_;
    const int32_t oy = backCopy_ != nullptr ? 0 : offsetY_;
    const Rect from{ClampedEdge(rect.left, ox), ClampedEdge(rect.top, oy),
                    ClampedEdge(rect.right, ox), ClampedEdge(rect.bottom, oy)};
    into->Copy(picture, rect.left, rect.top, &from, false);
    return;
  }
  if (into->GetBitsPerPixel() == 32)
    into->FillRect(color_, &rect);
  else if (into->GetBitsPerPixel() == 8)
    into->FillRgb(uint8_t(color_ >> 16), 0, 0, &rect);
}

bool SpriteCanvas::Filter::Passes(const Drawable* d) const {
  if (!Paintable(d)) return false;
  switch (mode) {
    case 0: return true;
    case 1: return d->GetTag() == tag;
    case 2: return d->GetTag() != tag;
    default: return false;
  }
}

void SpriteCanvas::PaintList(Surface* into, SpriteList::Node* tail, const Rect& clip,
                             const Filter& filter) {
  for (SpriteList::Node* n = tail; n != nullptr; n = n->prev)
    if (filter.Passes(n->drawable)) n->drawable->Draw(into, clip);
}

void SpriteCanvas::PaintRect(Surface* into, const Rect& rect, SpriteList::Node* mainTail,
                             SpriteList::Node* overlayTail, const Filter& filter) {
  // A scene's bottom layer is most often an opaque picture over the whole
  // screen: painting the background under it every frame costs a full fill
  // or copy for nothing. When the first drawable painted covers the
  // rectangle it is drawn first and the background left out; should its
  // draw fail, everything is painted in the usual order.
  SpriteList::Node* bottom = mainTail;
  while (bottom != nullptr && !filter.Passes(bottom->drawable)) bottom = bottom->prev;
  if (bottom != nullptr && bottom->drawable->CoversWhole(rect) && bottom->drawable->Draw(into, rect) == 0) {
    PaintList(into, bottom->prev, rect, filter);
  } else {
    PaintBackground(into, rect);
    PaintList(into, mainTail, rect, filter);
  }
  PaintList(into, overlayTail, rect, filter);
}

int SpriteCanvas::RenderInto(Surface* dest, uint8_t filterMode, uint32_t filterTag,
                             uint8_t includeOverlay) {
  if (dest == nullptr || dest->GetBits() == nullptr) return 1;
  if (target_ == nullptr || dest->GetWidth() != target_->GetWidth() ||
      dest->GetHeight() != target_->GetHeight())
    return 2;
  SpriteList::Node* mainTail = hideMain_ != 0 ? nullptr : main_.Tail();
  SpriteList::Node* overlayTail =
      includeOverlay != 0 && overlay_ != nullptr && hideOverlay_ == 0 ? overlay_->Tail() : nullptr;
  const Filter filter{filterMode, filterTag};
  const Rect whole{0, 0, dest->GetWidth(), dest->GetHeight()};
  if (gBandedRendering) {
    const bool anyList = mainTail != nullptr || overlayTail != nullptr;
    const int32_t band = anyList ? BandHeight(whole.right) : whole.bottom;
    for (int32_t top = 0; top < whole.bottom;) {
      const int32_t bottom = int32_t(std::min<int64_t>(int64_t{top} + band, whole.bottom));
      PaintRect(dest, Rect{0, top, whole.right, bottom}, mainTail, overlayTail, filter);
      top = bottom;
    }
    return 0;
  }
  PaintBackground(dest, whole);
  for (SpriteList::Node* tail : {mainTail, overlayTail})
    for (SpriteList::Node* n = tail; n != nullptr; n = n->prev)
      if (filter.Passes(n->drawable)) n->drawable->DrawTo(dest);
  return 0;
}

int SpriteCanvas::Render(DirtyRegion* out, const Rect* clip, int32_t offsetX, int32_t offsetY) {
  if (frozen_ != 0) return 0;
  if (target_ == nullptr) return 1;
  SpriteList::Node* mainTail = nullptr;
  SpriteList::Node* overlayTail = nullptr;
  CollectDirty(&mainTail, &overlayTail);
  if (region_.Count() == 0) return -1;
  if (hideMain_ != 0) mainTail = nullptr;
  if (hideOverlay_ != 0) overlayTail = nullptr;
  const Rect outClip =
      clip != nullptr ? *clip : Rect{0, 0, target_->GetWidth(), target_->GetHeight()};
  const bool anyList = mainTail != nullptr || overlayTail != nullptr;
  const Filter all;
  // Walked in place: painting touches only the target, never this region.
  const RectNode* node = region_.First();
  for (int32_t i = 0; i < region_.Count(); ++i, node = node->next) {
    const Rect rect{node->left, node->top, node->right, node->bottom};
    if (gBandedRendering) {
      const int32_t band = anyList ? BandHeight(rect.Width()) : rect.Height();
      for (int32_t top = rect.top; top < rect.bottom;) {
        const int32_t bottom = int32_t(std::min<int64_t>(int64_t{top} + band, rect.bottom));
        PaintRect(target_, Rect{rect.left, top, rect.right, bottom}, mainTail, overlayTail, all);
        top = bottom;
      }
    } else {
      PaintRect(target_, rect, mainTail, overlayTail, all);
    }
    if (out != nullptr) {
      Rect moved{ClampedEdge(rect.left, offsetX), ClampedEdge(rect.top, offsetY),
                 ClampedEdge(rect.right, offsetX), ClampedEdge(rect.bottom, offsetY)};
      if (IntersectRectInPlace(&moved, &outClip)) out->AddRect(moved);
    }
  }
  region_.Reset();
  return 0;
}

}  // namespace orrivel
