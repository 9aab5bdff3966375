#include "sound/PrimaryMovie.h"

#include <algorithm>

#include "display/SurfacePixelOps.h"
#include "raster/Image.h"
#include "sound/MovieBinding.h"
#include "sound/MovieLibraryEntries.h"
#include "sound/MovieSource.h"
#include "sound/SpriteMovie.h"

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

int32_t PrimaryMovie::Play() { return control_ ? control_->Play() : kNoMovie; }
int32_t PrimaryMovie::Pause() { return control_ ? control_->Pause() : kNoMovie; }
int32_t PrimaryMovie::Resume() { return control_ ? control_->Resume() : kNoMovie; }
int32_t PrimaryMovie::Stop() { return control_ ? control_->Stop() : kNoMovie; }
int32_t PrimaryMovie::GetDuration(int64_t* duration) { return control_ ? control_->GetDuration(duration) : 0; }
int32_t PrimaryMovie::Seek(int64_t position) { return control_ ? control_->Seek(position) : kNoMovie; }
int32_t PrimaryMovie::GetPosition(int64_t* position) { return control_ ? control_->GetPosition(position) : 0; }
int32_t PrimaryMovie::GetState(int32_t* state) { return control_ ? control_->GetState(state) : kNoMovie; }
int32_t PrimaryMovie::AdjustRate(double delta) { return control_ ? control_->AdjustRate(delta) : kNoMovie; }
int32_t PrimaryMovie::SetRate(double rate) { return control_ ? control_->SetRate(rate) : kNoMovie; }

int32_t PrimaryMovie::SetVolume(int32_t level) {
  if (!control_) return kNoMovie;
  volume_ = std::clamp(level, 0, 256);
  return control_->SetVolume(MovieAttenuationForLevel(volume_));
}

void PrimaryMovie::Reset() {
  if (control_) control_->Release();
  control_ = nullptr;
  if (screen_ != nullptr) {
    for (Image*& frameSource : frameSources_)
      if (frameSource != nullptr) screen_->DeleteImage(&frameSource);
  }
  frameSources_[0] = frameSources_[1] = nullptr;
  loop_ = endHandled_ = 0;
  frameWidth_ = frameHeight_ = 0;
  x_ = y_ = 0;
  drawnWidth_ = drawnHeight_ = 0;
  volume_ = 256;
}

void PrimaryMovie::PollEnd() {
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
