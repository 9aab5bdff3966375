#pragma once
// A movie shown as a sprite: the sprite-movie library plays it into this
// object's pair of pixel buffers, and sprite lists order and draw it like
// any other drawable, at the movie's own size or stretched.
//
// The library's presentation thread tells the sprite about each new frame
// through SetChanged and SetVisible. Those two only set atomic flags here;
// the main thread reads them when it collects its repaint work, so nothing
// else of the sprite, its list or any dirty region is touched off the main
// thread. Every other operation runs on the main thread.
#include <atomic>
#include <cstdint>

#include "raster/Drawable.h"
#include "raster/PixelBuffer.h"
#include "sound/MovieControlPlayer.h"

namespace orrivel {

class ArchiveManager;

// The movie operations (Play to SetRate, PollEnd) come from
// MovieControlPlayer. PollEnd runs after each clipped draw, and whoever
// steps a movie that may not be drawn calls it too, so a hidden movie
// still loops or stops.
class SpriteMovie : public Drawable, public MovieControlPlayer {
 public:
  static constexpr int32_t kMovieSpriteKind = 2;
  // Open results.
  static constexpr int32_t kNotBound = 1;
  static constexpr int32_t kBadArgument = 2;
  static constexpr int32_t kUnknownKind = 3;
  static constexpr int32_t kNotFound = 4;
  static constexpr int32_t kRefused = 6;
  static constexpr int32_t kFailed = 7;

  SpriteMovie() = default;
  ~SpriteMovie() override;

  // --- the movie -------------------------------------------------------------------
  // Opens fileName (a loose file or an archive member) through the bound
  // sprite-movie library; archives null means the binding's manager. The
  // sprite is placed at (x, y) with the movie's size. 0 or a code above.
  int32_t Open(const char* fileName, int32_t x, int32_t y, ArchiveManager* archives);
  // Releases the movie and returns to the state after construction.
  void Reset();

  PixelBuffer* Images() { return images_; }
  int32_t DrawnWidth() const { return drawnWidth_; }
  int32_t DrawnHeight() const { return drawnHeight_; }

  // --- as a drawable -----------------------------------------------------------
  bool IsVisible() const override { return visibleFlag_.load(std::memory_order_acquire) != 0; }
  void SetVisible(uint8_t visible) override;
  bool IsChanged() const override { return changedFlag_.load(std::memory_order_acquire) != 0; }
  void SetChanged(uint8_t flag) override { changedFlag_.store(flag != 0 ? 1 : 0, std::memory_order_release); }
  int32_t GetWidth() const override { return source_.right - source_.left; }
  int32_t GetHeight() const override { return source_.bottom - source_.top; }
  int32_t GetKind() const override { return kMovieSpriteKind; }
  bool SetPosition(int32_t x, int32_t y) override;
  bool MoveBy(int32_t dx, int32_t dy) override;
  // False without a movie or when unchanged. (0, 0) is the movie's own
  // size; otherwise a side that is not positive takes the movie's.
  bool SetDisplaySize(int32_t width, int32_t height) override;
  bool InvalidateSourceRect(Rect* rect) override;
  // Signed comparison: a sprite partly off the top or left edge is hit on
  // its visible part.
  bool HitTest(int32_t x, int32_t y, uint8_t testPixels) override;
  bool Overlaps(const Drawable* other) const override;
  const Rect* GetBoundsPtr() const override { return &dest_; }
  Rect* GetBounds(Rect* out) const override {
    *out = dest_;
    return out;
  }
  // 0 drawn or nothing to draw; 1 no target or no movie; 3 the library's
  // draw failed (the region is then untouched).
  int DrawTo(Surface* target, Rect* out) override;
  // The part inside clip, at the movie's size or stretched; then acts on
  // the end of the movie.
  int Draw(Surface* target, const Rect& clip) override;

 private:
  bool Stretched() const { return drawnWidth_ != 0; }
  // Destination from the position and the drawn (or natural) size; marks changed.
  void UpdateRect();
  // One library draw of the front picture under its lock; the library's
  // result (0 done).
  int DrawFront(Surface* target, int32_t x, int32_t y, const Rect& source);
  // The stretched movie's pixels inside area (on the target, inside its
  // clip), exactly as a whole draw puts them there; 0 done.
  int DrawStretchedPart(Surface* target, const Rect& area);

  std::atomic<uint8_t> visibleFlag_{1};
  std::atomic<uint8_t> changedFlag_{0};
  PixelBuffer images_[2];
  int32_t frameWidth_ = 0;
  int32_t frameHeight_ = 0;
  Rect source_{0, 0, 0, 0};
  Rect dest_{0, 0, 0, 0};
  int32_t drawnWidth_ = 0;
  int32_t drawnHeight_ = 0;
};

}  // namespace orrivel
