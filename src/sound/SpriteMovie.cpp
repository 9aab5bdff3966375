#include "sound/SpriteMovie.h"

#include <algorithm>
#include <cmath>

#include "base/ScopedLock.h"
#include "moviedll/MovieControl.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpLibrary.h"
#include "raster/SpriteList.h"
#include "raster/Surface.h"
#include "sound/MovieBinding.h"
#include "sound/MovieSource.h"

namespace orrivel {

int32_t MovieAttenuationForLevel(int32_t level) {
  if (level <= 0) return -10000;
  const double base = 17.2 - double(level) * 0.0671875;
  return -int32_t(std::trunc(base * base * base));
}

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

int32_t SpriteMovie::Play() { return control_ ? control_->Play() : kNoMovie; }
int32_t SpriteMovie::Pause() { return control_ ? control_->Pause() : kNoMovie; }
int32_t SpriteMovie::Resume() { return control_ ? control_->Resume() : kNoMovie; }
int32_t SpriteMovie::Stop() { return control_ ? control_->Stop() : kNoMovie; }
int32_t SpriteMovie::GetDuration(int64_t* duration) { return control_ ? control_->GetDuration(duration) : 0; }
int32_t SpriteMovie::Seek(int64_t position) { return control_ ? control_->Seek(position) : kNoMovie; }
int32_t SpriteMovie::GetPosition(int64_t* position) { return control_ ? control_->GetPosition(position) : 0; }
int32_t SpriteMovie::GetState(int32_t* state) { return control_ ? control_->GetState(state) : kNoMovie; }
int32_t SpriteMovie::AdjustRate(double delta) { return control_ ? control_->AdjustRate(delta) : kNoMovie; }
int32_t SpriteMovie::SetRate(double rate) { return control_ ? control_->SetRate(rate) : kNoMovie; }

int32_t SpriteMovie::SetVolume(int32_t level) {
  if (!control_) return kNoMovie;
  volume_ = std::clamp(level, 0, 256);
  return control_->SetVolume(MovieAttenuationForLevel(volume_));
}

void SpriteMovie::Reset() {
  // The library's thread stops with the control, before the images go.
  if (control_) control_->Release();
  control_ = nullptr;
  PixelBufferFree(images_[0]);
  PixelBufferFree(images_[1]);
  loop_ = 0;
  endHandled_ = 0;
  frameWidth_ = frameHeight_ = 0;
  x_ = y_ = 0;
  drawnWidth_ = drawnHeight_ = 0;
  mode_ = 0;
  volume_ = 256;
  opacity_ = 255;
}

void SpriteMovie::PollEnd() {
  if (!control_) return;
  if (control_->IsEndOfStream() == 0) {
    endHandled_ = 0;
    return;
  }
  if (endHandled_ != 0) return;
  endHandled_ = 1;
  if (loop_ != 0) Play();
  else Stop();
}

void SpriteMovie::SetVisible(uint8_t visible) {
  const uint8_t value = visible != 0 ? 1 : 0;
  if (visibleFlag_.exchange(value, std::memory_order_acq_rel) != value) SetChanged(1);
}

void SpriteMovie::UpdateRect() {
  const int32_t w = Stretched() ? drawnWidth_ : frameWidth_;
  const int32_t h = Stretched() ? drawnHeight_ : frameHeight_;
  dest_ = {x_, y_, x_ + w, y_ + h};
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
  x_ += dx;
  y_ += dy;
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
  if (!Stretched()) {
    // The source moves with the clipped edges; both have the same scale.
    Rect area;
    if (!IntersectRects(&area, dest_, clip)) return 0;
    const Rect source{source_.left + (area.left - dest_.left), source_.top + (area.top - dest_.top),
                      source_.right - (dest_.right - area.right), source_.bottom - (dest_.bottom - area.bottom)};
    if (source.left >= source.right || source.top >= source.bottom) return 0;
    DrawFront(target, area.left, area.top, source);
  } else {
    Rect area = dest_;
    if (!target->ClipToClipRect(&area) || !IntersectRects(nullptr, area, clip)) return 0;
    if (!(clip.left <= area.left && clip.top <= area.top && area.right <= clip.right && area.bottom <= clip.bottom)) {
      SetChanged(1);
      return 0;
    }
    DrawFront(target, dest_.left, dest_.top, source_);
  }
  PollEnd();
  return 0;
}

}  // namespace orrivel
