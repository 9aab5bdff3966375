#include "sound/PrimaryMovie.h"

#include "display/SurfacePixelOps.h"
#include "moviedll/MovieControl.h"
#include "raster/Image.h"
#include "sound/MovieBinding.h"
#include "sound/MovieLibraryEntries.h"
#include "sound/MovieSource.h"

namespace orrivel {

PrimaryMovie::~PrimaryMovie() { Reset(); }

int32_t PrimaryMovie::Open(PrimaryMovieScreen* screen, const char* fileName, int32_t x, int32_t y,
                           ArchiveManager* archives) {
  const MovieBinding* binding = CurrentMovieBinding(MovieLibraryId::kPrimary);
  if (binding == nullptr) return 1;
  if (archives == nullptr) archives = binding->archives;
  if (screen == nullptr || fileName == nullptr || archives == nullptr) return 2;
  MovieSource source;
  if (const int32_t code = ResolveMovieSource(*archives, fileName, &source); code != 0) return code;
  Reset();
  screen_ = screen;
  int32_t code = 0;
  if (screen->CreateLockedFrameSource(&frameSources_[0]) != 0 ||
      screen->CreateLockedFrameSource(&frameSources_[1]) != 0) {
    code = 5;
  } else {
    for (size_t i = 0; i < 2; ++i) frameSourceLinks_[i].Reset(frameSources_[i]);
    code = 6;
    try {
      if (binding->dll->IsLoaded()) {
        auto factory = reinterpret_cast<GetDShowPrimCtrlFunc>(binding->dll->FactoryEntry());
        MovieControl* control = nullptr;
        if (factory(&control, frameSources_, source.stream, source.kind, source.PathOrNull(), 0, 0, 1) == 0 &&
            control != nullptr) {
          control_ = control;
          code = 0;
        }
      }
    } catch (...) {
      code = 7;
    }
  }
  if (code != 0) {
    source.ReleaseStream();
    Reset();
    return code;
  }
  frameWidth_ = control_->GetWidth();
  frameHeight_ = control_->GetHeight();
  frameSources_[0]->GetClipRect(&source_);
  x_ = x;
  y_ = y;
  return 0;
}

PrimaryMovie::PrimaryMovie() {
  for (size_t i = 0; i < 2; ++i) frameSourceLinks_[i].SetOnBroken([this, i] { LoseFrameSource(i); });
}

void PrimaryMovie::LoseFrameSource(size_t index) {
  ReleaseControl();
  frameSources_[index] = nullptr;
  frameWidth_ = frameHeight_ = 0;
  source_ = Rect{0, 0, 0, 0};
}

void PrimaryMovie::Reset() {
  ReleaseControl();
  for (auto& link : frameSourceLinks_) link.Reset();
  if (screen_ != nullptr) {
    for (Image*& frameSource : frameSources_)
      if (frameSource != nullptr) screen_->DeleteImage(&frameSource);
  }
  frameSources_[0] = frameSources_[1] = nullptr;
  frameWidth_ = frameHeight_ = 0;
  source_ = Rect{0, 0, 0, 0};
  x_ = y_ = 0;
  drawnWidth_ = drawnHeight_ = 0;
}

bool PrimaryMovie::GetRect(Rect* out) const {
  if (!control_) return false;
  const int32_t w = drawnWidth_ != 0 ? drawnWidth_ : source_.right - source_.left;
  const int32_t h = drawnHeight_ != 0 ? drawnHeight_ : source_.bottom - source_.top;
  *out = {x_, y_, x_ + w, y_ + h};
  return true;
}

bool PrimaryMovie::HitTest(int32_t x, int32_t y, uint8_t) const {
  Rect r;
  return GetRect(&r) && r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

bool PrimaryMovie::Intersects(const PrimaryMovie* other) const {
  Rect a, b;
  if (other == nullptr || !GetRect(&a) || !other->GetRect(&b)) return false;
  return b.top < a.bottom && b.left < a.right && a.top < b.bottom && a.left < b.right;
}

int PrimaryMovie::Draw(platform::SoftSurface* target, const Rect* clip) {
  if (!visible_) {
    // A hidden movie still loops or stops at its end.
    PollEnd();
    return 0;
  }
  if (target == nullptr || clip == nullptr || !control_) return 1;
  Rect r = source_;
  platform::SoftSurface* front = screen_->FrameSurface(frameSources_[control_->GetFrontIndex() & 1]);
  if (drawnWidth_ == 0 && drawnHeight_ == 0) {
    if (BltFastClipped(target, front, x_, y_, &r, clip, -1) != 0) return 3;
  } else {
    const Size size{drawnWidth_ != 0 ? drawnWidth_ : r.right - r.left,
                    drawnHeight_ != 0 ? drawnHeight_ : r.bottom - r.top};
    if (BltClipped(target, front, &size, x_, y_, &r, clip, -1) != 0) return 2;
  }
  PollEnd();
  return 0;
}

}  // namespace orrivel
