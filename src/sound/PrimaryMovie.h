#pragma once
// The movie player over the primary-surface movie library: the library
// decodes into two frame sources of the screen device, and the player
// blits the front one onto the screen surface in the screen's drawing
// pass, at the movie's size or stretched.
#include <cstdint>

#include "base/WeakLink.h"
#include "platform/SoftSurface.h"
#include "raster/Rect.h"
#include "sound/MovieControlPlayer.h"

namespace orrivel {

class ArchiveManager;
class Image;

// What the player needs of the screen device: frame sources it holds in
// its image list, and the surface each one keeps its picture in.
class PrimaryMovieScreen {
 public:
  // 0 with a new frame source; 1 without memory.
  virtual int CreateLockedFrameSource(Image** out) = 0;
  // Deletes the frame source and clears the slot.
  virtual void DeleteImage(Image** slot) = 0;
  virtual platform::SoftSurface* FrameSurface(Image* frameSource) = 0;

 protected:
  ~PrimaryMovieScreen() = default;
};

class PrimaryMovie : public MovieControlPlayer {
 public:
  static constexpr int kSceneKind = 3;

  PrimaryMovie();
  PrimaryMovie(const PrimaryMovie&) = delete;
  PrimaryMovie& operator=(const PrimaryMovie&) = delete;
  virtual ~PrimaryMovie();

  // 0; 1 the library is not bound; 2 no screen, file name or archive
  // manager; 3 an archive member of an unknown kind; 4 not found; 5 a frame
  // source could not be made; 6 the library is missing or refused the
  // movie; 7 it failed otherwise. archives null: the binding's manager.
  int32_t Open(PrimaryMovieScreen* screen, const char* fileName, int32_t x, int32_t y, ArchiveManager* archives);
  void Reset();

  // --- as a scene object -------------------------------------------------------
  int GetKind() const { return kSceneKind; }
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  int32_t GetX() const { return x_; }
  int32_t GetY() const { return y_; }
  // The setters only store; a drawn size of 0 is the movie's own.
  void SetPosition(int32_t x, int32_t y) { x_ = x, y_ = y; }
  void SetSize(int32_t width, int32_t height) { drawnWidth_ = width, drawnHeight_ = height; }
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) {
    SetSize(width, height);
    SetPosition(x, y);
  }
  // Offsets come from scripts: the position wraps as their arithmetic does.
  void MoveBy(int32_t dx, int32_t dy) {
    x_ = int32_t(uint32_t(x_) + uint32_t(dx));
    y_ = int32_t(uint32_t(y_) + uint32_t(dy));
  }
  // False without a movie.
  bool GetRect(Rect* out) const;
  bool HitTest(int32_t x, int32_t y, uint8_t unused) const;
  bool Intersects(const PrimaryMovie* other) const;
  // Blits the front picture cut to clip, then acts on the end of the
  // movie (also while hidden). 0 to go on; 1 no target, clip or movie;
  // 3 the plain blit or 2 the stretched blit failed.
  int Draw(platform::SoftSurface* target, const Rect* clip);

  Image* const* FrameSources() const { return frameSources_; }
  const Rect& SourceRect() const { return source_; }

 private:
  // A frame source deleted under the movie (a script may delete any listed
  // image by its handle) ends the movie: the library lets go of both and
  // nothing is drawn until another is opened.
  void LoseFrameSource(size_t index);

  PrimaryMovieScreen* screen_ = nullptr;
  // The library reads the frame sources through this address.
  Image* frameSources_[2] = {nullptr, nullptr};
  WeakLink<Image> frameSourceLinks_[2];
  bool visible_ = true;
  int32_t frameWidth_ = 0;
  int32_t frameHeight_ = 0;
  Rect source_{0, 0, 0, 0};
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t drawnWidth_ = 0;
  int32_t drawnHeight_ = 0;
};

}  // namespace orrivel
