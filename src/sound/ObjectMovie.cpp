#include "sound/ObjectMovie.h"

#include <algorithm>

#include "base/ScopedLock.h"
#include "sound/MovieBinding.h"
#include "sound/MovieLibraryEntries.h"
#include "sound/MovieSource.h"
#include "sound/MovieControlPlayer.h"

namespace orrivel {

ObjectMovie::~ObjectMovie() { Close(); }

int32_t ObjectMovie::Open(platform::WindowId window, const char* fileName, ArchiveManager* archives,
                          ObjectMoviePresentation* presentation) {
  const MovieBinding* binding = CurrentMovieBinding(MovieLibraryId::kObject);
  if (binding == nullptr) return 1;
  if (archives == nullptr) archives = binding->archives;
  if (window == platform::kNoWindow || fileName == nullptr || archives == nullptr) return 2;
  MovieSource source;
  if (const int32_t code = ResolveMovieSource(*archives, fileName, &source); code != 0) return code;
  ScopedLock lock(lock_);
  Close();
  uint8_t useDirectDraw = 1;
  void* directDraw = nullptr;
  void* surface = nullptr;
  if (MovieOption() == 0) {
    // The player's settings keep movies off the screen's DirectDraw
    // objects: the library draws on its own.
    useDirectDraw = 0;
  } else if (presentation != nullptr && presentation->PresentsOnPrimaryDisplay()) {
    directDraw = presentation->DirectDraw();
    surface = presentation->PrimarySurface();
    if (surface == nullptr) {
      surface = createdSurface_ = presentation->CreatePrimarySurface();
      surfaceOwner_ = presentation;
      if (surface == nullptr) {
        directDraw = nullptr;
        useDirectDraw = 0;
      }
    }
  }
  int32_t code = 6;
  try {
    if (binding->dll->IsLoaded()) {
      auto factory = reinterpret_cast<GetMovieObjectFunc>(binding->dll->FactoryEntry());
      MovieObject* object = nullptr;
      if (factory(&object, window, source.stream, source.kind, source.PathOrNull(), directDraw, surface,
                  useDirectDraw) == 0 &&
          object != nullptr) {
        object_ = object;
        code = 0;
      }
    }
  } catch (...) {
    code = 7;
  }
  if (code != 0) {
    // A primary surface made here stays until the player closes.
    source.ReleaseStream();
    return code;
  }
  object_->Attach(window);
  object_->AttachAgain(window);
  window_ = window;
  frameWidth_ = object_->GetWidth();
  frameHeight_ = object_->GetHeight();
  displayRect_ = {0, 0, frameWidth_, frameHeight_};
  object_->SetRect(&displayRect_);
  object_->VideoQuery();
  return 0;
}

int32_t ObjectMovie::Play() {
  ScopedLock lock(lock_);
  if (!object_) return kNoMovie;
  object_->Show(1);
  const int32_t result = object_->Run();
  // Without device contexts here, an object that paints itself is asked to
  // paint into the window; one that does not is left to present alone.
  paintsItself_ = object_->PaintQuery();
  if (window_ != platform::kNoWindow && paintsItself_ != 0) object_->Paint(window_);
  return result;
}

int32_t ObjectMovie::Pause() {
  ScopedLock lock(lock_);
  return object_ ? object_->Pause() : kNoMovie;
}

int32_t ObjectMovie::Resume() {
  ScopedLock lock(lock_);
  if (!object_) return kNoMovie;
  const int32_t result = object_->Resume();
  if (result == 0) object_->Show(1);
  return result;
}

int32_t ObjectMovie::Stop() {
  ScopedLock lock(lock_);
  if (!object_) return kNoMovie;
  object_->Show(0);
  return object_->Stop();
}

int32_t ObjectMovie::GetDuration(int64_t* duration) {
  ScopedLock lock(lock_);
  return object_ ? object_->GetDuration(duration) : 0;
}

int32_t ObjectMovie::Seek(int64_t position) {
  ScopedLock lock(lock_);
  return object_ ? object_->Seek(position) : kNoMovie;
}

int32_t ObjectMovie::GetPosition(int64_t* position) {
  ScopedLock lock(lock_);
  return object_ ? object_->GetPosition(position) : 0;
}

int32_t ObjectMovie::GetState(int32_t* state) {
  ScopedLock lock(lock_);
  return object_ ? object_->GetState(state) : kNoMovie;
}

int32_t ObjectMovie::SetVolume(int32_t level) {
  ScopedLock lock(lock_);
  if (!object_) return kNoMovie;
  volume_ = std::clamp(level, 0, 256);
  return object_->SetVolume(MovieAttenuationForLevel(volume_));
}

int32_t ObjectMovie::AdjustRate(double delta) {
  ScopedLock lock(lock_);
  return object_ ? object_->AdjustRate(delta) : kNoMovie;
}

int32_t ObjectMovie::SetRate(double rate) {
  ScopedLock lock(lock_);
  return object_ ? object_->SetRate(rate) : kNoMovie;
}

int32_t ObjectMovie::GetVolume() {
  ScopedLock lock(lock_);
  return object_ ? object_->GetVolume() : kNoMovie;
}

int32_t ObjectMovie::GetBalance(int32_t* balance) {
  ScopedLock lock(lock_);
  return object_ ? object_->GetBalance(balance) : kNoMovie;
}

int32_t ObjectMovie::SetDisplayRect(const Rect& rect) {
  ScopedLock lock(lock_);
  if (!object_) return kNoMovie;
  const int32_t result = object_->SetRect(&rect);
  if (result == 0) displayRect_ = rect;
  return result;
}

void ObjectMovie::Update() {
  ScopedLock lock(lock_);
  if (!object_) return;
  for (;;) {
    int32_t code = 0;
    intptr_t param1 = 0, param2 = 0;
    uint8_t got = 0;
    object_->GetEvent(&code, &param1, &param2, &got);
    if (got == 0) return;
    if (code == MovieObject::kEventComplete) {
      int32_t state = 0;
      object_->GetState(&state);
      // A completion that arrives after the movie was stopped is stale.
      if (state != MovieObject::kStateRunning) continue;
      if (loop_ != 0) {
        if (object_->Seek(0) == 0) object_->Run();
        else if (object_->Stop() == 0) object_->Run();
      } else {
        object_->Stop();
      }
    } else if (code == MovieObject::kEventUserAbort) {
      object_->Stop();
    }
  }
}

void ObjectMovie::Close() {
  ScopedLock lock(lock_);
  if (object_) object_->Release();
  object_ = nullptr;
  // A surface made for a movie that never opened goes too.
  if (createdSurface_ != nullptr && surfaceOwner_ != nullptr) surfaceOwner_->ReleaseSurface(createdSurface_);
  createdSurface_ = nullptr;
  surfaceOwner_ = nullptr;
  window_ = platform::kNoWindow;
  frameWidth_ = frameHeight_ = 0;
  paintsItself_ = 0;
  displayRect_ = {0, 0, 0, 0};
}

}  // namespace orrivel
