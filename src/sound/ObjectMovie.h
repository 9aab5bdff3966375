#pragma once
// The movie player over the object movie library, whose movie object
// presents the video into the game window itself. The program hands it the
// window, a rectangle and, when the screen presents through DirectDraw on
// the primary display, its DirectDraw objects; it pumps the object's
// events to restart or stop the movie at its end.
//
// Every call into the library is made under the movie lock the player was
// given (the application's), so the event pump and the natives never meet
// inside the object.
#include <cstdint>

#include "platform/Messages.h"
#include "raster/Rect.h"

namespace orrivel {

class ArchiveManager;
class CriticalSection;
class MovieObject;

// What the player needs of the screen device's presentation.
class ObjectMoviePresentation {
 public:
  // True when the screen presents through DirectDraw on the primary
  // display's driver; only then are the objects below handed over.
  virtual bool PresentsOnPrimaryDisplay() = 0;
  virtual void* DirectDraw() = 0;
  // The screen's primary surface, null when it has none.
  virtual void* PrimarySurface() = 0;
  // A new primary surface owned by the caller, null when it cannot be made.
  virtual void* CreatePrimarySurface() = 0;
  virtual void ReleaseSurface(void* surface) = 0;

 protected:
  ~ObjectMoviePresentation() = default;
};

class ObjectMovie {
 public:
  static constexpr int32_t kNoMovie = -1;

  explicit ObjectMovie(CriticalSection& movieLock) : lock_(movieLock) {}
  ObjectMovie(const ObjectMovie&) = delete;
  ObjectMovie& operator=(const ObjectMovie&) = delete;
  virtual ~ObjectMovie();

  // 0; 1 the library is not bound; 2 no window, file name or archive
  // manager; 3 an archive member of an unknown kind; 4 not found; 6 the
  // library is missing or refused the movie; 7 it failed otherwise.
  // archives null: the binding's manager; presentation null: none. With
  // the process-wide movie option off, the library gets no DirectDraw
  // objects whatever the presentation offers.
  int32_t Open(platform::WindowId window, const char* fileName, ArchiveManager* archives,
               ObjectMoviePresentation* presentation);
  // Shows the video and runs it; the run's result. The window is painted
  // by the object when it says it paints itself.
  int32_t Play();
  int32_t Pause();
  // On success the video is shown again.
  int32_t Resume();
  int32_t Stop();
  int32_t GetDuration(int64_t* duration);
  int32_t Seek(int64_t position);
  int32_t GetPosition(int64_t* position);
  int32_t GetState(int32_t* state);
  int32_t SetVolume(int32_t level);
  int32_t AdjustRate(double delta);
  int32_t SetRate(double rate);
  int32_t GetVolume();
  int32_t GetBalance(int32_t* balance);
  // Stored when the object takes it.
  int32_t SetDisplayRect(const Rect& rect);
  // The event pump: at the end of a running movie, restarts it (loop) or
  // stops it; an abort stops it; other events are ignored.
  void Update();
  // Releases the movie object and a primary surface that Open made.
  void Close();

  void SetLoop(bool loop) { loop_ = loop ? 1 : 0; }
  bool Loop() const { return loop_ != 0; }
  bool HasMovie() const { return object_ != nullptr; }
  // What the object answered after the last Play when asked whether it
  // paints itself (0 before any Play).
  int32_t PlayStatus() const { return paintsItself_; }
  const Rect& DisplayRect() const { return displayRect_; }
  int32_t FrameWidth() const { return frameWidth_; }
  int32_t FrameHeight() const { return frameHeight_; }
  void* CreatedSurface() const { return createdSurface_; }

 private:
  CriticalSection& lock_;
  MovieObject* object_ = nullptr;
  void* createdSurface_ = nullptr;
  ObjectMoviePresentation* surfaceOwner_ = nullptr;
  Rect displayRect_{0, 0, 0, 0};
  platform::WindowId window_ = platform::kNoWindow;
  uint8_t loop_ = 0;
  int32_t frameWidth_ = 0;
  int32_t frameHeight_ = 0;
  int32_t volume_ = 256;
  int32_t paintsItself_ = 0;
};

}  // namespace orrivel
