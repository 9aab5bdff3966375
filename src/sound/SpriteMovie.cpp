#include "sound/SpriteMovie.h"

#include <algorithm>

#include "base/ScopedLock.h"
#include "moviedll/MovieControl.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "sound/MovieBinding.h"
#include "sound/MovieSource.h"

namespace orrivel {

SpriteMovie::~SpriteMovie() { Reset(); }

int32_t SpriteMovie::Open(const char* fileName, int32_t x, int32_t y, ArchiveManager* archives) {
  const MovieBinding* binding = CurrentMovieBinding(MovieLibraryId::kSprite);
  if (binding == nullptr) return kNotBound;
  if (archives == nullptr) archives = binding->archives;
  if (fileName == nullptr || archives == nullptr || CurrentPixelOpLibrary() == nullptr) return kBadArgument;
  MovieSource source;
  if (const int32_t code = ResolveMovieSource(*archives, fileName, &source); code != 0) return code;
  Reset();
  int32_t code = kRefused;
  try {
    if (binding->dll->IsLoaded()) {
      auto factory = reinterpret_cast<GetDShowGdiSpriteCtrlFunc>(binding->dll->FactoryEntry());
      MovieControl* control = nullptr;
      if (factory(&control, images_, this, source.stream, source.kind, source.PathOrNull(), 0, 0, 1) == 0 &&
          control != nullptr) {
        control_ = control;
        code = 0;
      }
    }
  } catch (...) {
    code = kFailed;
  }
  if (code != 0) {
    source.ReleaseStream();
    Reset();
    return code;
  }
  frameWidth_ = control_->GetWidth();
  frameHeight_ = control_->GetHeight();
  source_ = {0, 0, frameWidth_, frameHeight_};
  x_ = x;
  y_ = y;
  dest_ = {x, y, x + frameWidth_, y + frameHeight_};
  mode_ = 0;
  SetChanged(1);
  return 0;
}

void SpriteMovie::Reset() {
  // The library's thread stops with the control, before the images go.
  ReleaseControl();
  PixelBufferFree(images_[0]);
  PixelBufferFree(images_[1]);
  frameWidth_ = frameHeight_ = 0;
  source_ = dest_ = Rect{0, 0, 0, 0};
  x_ = y_ = 0;
  drawnWidth_ = drawnHeight_ = 0;
  mode_ = 0;
  opacity_ = 255;
}

void SpriteMovie::SetVisible(uint8_t visible) {
  const uint8_t value = visible != 0 ? 1 : 0;
  if (visibleFlag_.exchange(value, std::memory_order_acq_rel) != value) SetChanged(1);
}

void SpriteMovie::UpdateRect() {
  const int32_t w = Stretched() ? drawnWidth_ : frameWidth_;
  const int32_t h = Stretched() ? drawnHeight_ : frameHeight_;
  // Positions and sizes come from scripts: the far corner wraps as their
  // arithmetic does.
  dest_ = {x_, y_, int32_t(uint32_t(x_) + uint32_t(w)), int32_t(uint32_t(y_) + uint32_t(h))};
  SetChanged(1);
}

bool SpriteMovie::SetPosition(int32_t x, int32_t y) {
  if (x == x_ && y == y_) return false;
  x_ = x;
  y_ = y;
  UpdateRect();
  return true;
}

bool SpriteMovie::MoveBy(int32_t dx, int32_t dy) {
  if (dx == 0 && dy == 0) return false;
  x_ = int32_t(uint32_t(x_) + uint32_t(dx));
  y_ = int32_t(uint32_t(y_) + uint32_t(dy));
  UpdateRect();
  return true;
}

bool SpriteMovie::SetDisplaySize(int32_t width, int32_t height) {
  if (!control_) return false;
  if (width != 0 || height != 0) {
    if (width <= 0) width = frameWidth_;
    if (height <= 0) height = frameHeight_;
  }
  if (width == drawnWidth_ && height == drawnHeight_) return false;
  drawnWidth_ = width;
  drawnHeight_ = height;
  UpdateRect();
  return true;
}

bool SpriteMovie::InvalidateSourceRect(Rect* rect) {
  if (list_ == nullptr || rect == nullptr) return false;
  const int32_t w = Stretched() ? drawnWidth_ : frameWidth_;
  const int32_t h = Stretched() ? drawnHeight_ : frameHeight_;
  Rect area{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, w), std::min(rect->bottom, h)};
  if (area.left >= area.right || area.top >= area.bottom) return false;
  area = {area.left + dest_.left, area.top + dest_.top, area.right + dest_.left, area.bottom + dest_.top};
  *rect = area;
  list_->AddDirty(&area);
  return true;
}

bool SpriteMovie::HitTest(int32_t x, int32_t y, uint8_t) {
  if (!control_) return false;
  return dest_.left <= x && x < dest_.right && dest_.top <= y && y < dest_.bottom;
}

bool SpriteMovie::Overlaps(const Drawable* other) const {
  if (!control_ || other == nullptr) return false;
  Rect r;
  other->GetBounds(&r);
  return r.top < dest_.bottom && r.left < dest_.right && dest_.top < r.bottom && dest_.left < r.right;
}

int SpriteMovie::DrawFront(Surface* target, int32_t x, int32_t y, const Rect& source) {
  PixelBuffer& front = images_[control_->GetFrontIndex() & 1];
  ScopedLock lock(front.Lock());
  // The sprite's own opacity and mode do not apply to a stretched movie.
  if (Stretched()) {
    return StretchDrawImageOp(target, &front, source.left, source.top, source.right - source.left,
                              source.bottom - source.top, x, y, drawnWidth_, drawnHeight_);
  }
  return DrawImageOp(target, &front, mode_, opacity_, 0, x, y, &source);
}

int SpriteMovie::DrawStretchedPart(Surface* target, const Rect& area) {
  auto stretch = reinterpret_cast<PixelOpStretchDrawFn>(LibraryEntry(kPixelOpStretchDrawImage));
  if (stretch == nullptr || target->GetBits() == nullptr || target->GetBitsPerPixel() != 32) return 2;
  PixelBuffer& front = images_[control_->GetFrontIndex() & 1];
  ScopedLock lock(front.Lock());
  if (front.GetBits() == nullptr) return 1;
  // The library draws into a view of the area only; the stretch itself is
  // placed as for the whole sprite, so every pixel of the area comes out as
  // in a whole draw.
  PixelOpImage view = ViewForLibrary(target);
  view.bits += int64_t{area.top} * view.pitch + int64_t{area.left} * 4;
  view.width = area.right - area.left;
  view.height = area.bottom - area.top;
  const PixelOpImage picture = ViewForLibrary(&front);
  const int32_t result =
      stretch(&view, &picture, dest_.left - area.left, dest_.top - area.top, drawnWidth_, drawnHeight_, source_.left,
              source_.top, source_.right - source_.left, source_.bottom - source_.top, 0, 0, 255, 0);
  if (result != 0) return 3;
  const Rect changed = PixelOpChangedRect();
  if (!changed.IsEmpty())
    target->MarkDirty({changed.left + area.left, changed.top + area.top, changed.right + area.left,
                       changed.bottom + area.top});
  return 0;
}

int SpriteMovie::DrawTo(Surface* target, Rect* out) {
  if (!IsVisible() || opacity_ == 0) return 0;
  if (target == nullptr || !control_) return 1;
  if (DrawFront(target, dest_.left, dest_.top, source_) != 0) return 3;
  if (out != nullptr) {
    *out = dest_;
    if (!target->ClipToClipRect(out)) out->left = -1;
  }
  return 0;
}

int SpriteMovie::Draw(Surface* target, const Rect& clip) {
  if (target == nullptr || !control_) return 1;
  Rect area;
  if (!Stretched()) {
    // The source moves with the clipped edges; both have the same scale.
    if (IntersectRects(&area, dest_, clip)) {
      const Rect source{source_.left + (area.left - dest_.left), source_.top + (area.top - dest_.top),
                        source_.right - (dest_.right - area.right), source_.bottom - (dest_.bottom - area.bottom)};
      DrawFront(target, area.left, area.top, source);
    }
  } else {
    // Only the part inside the clip: a canvas repaints in bands, so a clip
    // that covers a large stretched movie whole may never come.
    Rect placed = dest_;
    if (target->ClipToClipRect(&placed) && IntersectRects(&area, placed, clip)) DrawStretchedPart(target, area);
  }
  // Also when nothing of the movie was inside the clip.
  PollEnd();
  return 0;
}

}  // namespace orrivel
