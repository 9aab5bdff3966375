#pragma once
// A strip picture of equally wide cells (loaded from a file, or borrowed
// from the caller), its cell geometry and drawing options, and the image
// sprites that show it. Its users advance the cells over time and draw them
// into `target` (and `workSurface`, for mode 2 or when asked).
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>

#include "platform/Rect.h"
#include "resource/ScreenDevicePort.h"
#include "resource/SurfacePort.h"

namespace orrivel {

enum AnimationPlayerCode : int {
  kPlayerOk = 0,
  // A missing file name, owner, image or target, or fewer than one cell.
  kPlayerBadArgument = 1,
  kPlayerPictureFailed = 2,
  kPlayerSpriteWithoutSurface = 3,
  kPlayerWorkSurfaceFailed = 4,
};

class AnimationPlayer {
 public:
  // originX with this value takes the origin from the strip's user values.
  static constexpr int32_t kOriginFromPicture = 0xFFFF;
  static constexpr uint32_t kNoColorKey = 0xFFFFFFFFu;

  // The factory makes the strip and work surfaces.
  explicit AnimationPlayer(SurfaceFactoryPort* surfaces);
  AnimationPlayer(const AnimationPlayer&) = delete;
  AnimationPlayer& operator=(const AnimationPlayer&) = delete;
  virtual ~AnimationPlayer();

  // colorKey 0x00RRGGBB, or kNoColorKey. Codes: AnimationPlayerCode.
  int LoadImage(std::string_view fileName, int32_t cellCount, const void* owner, ImageSpritePort* sprite,
                SurfacePort* surface, int32_t originX, int32_t originY, uint8_t option, int32_t mode, uint8_t flag,
                bool indexed, uint32_t colorKey);
  int Attach(SurfacePort* image, int32_t cellCount, const void* owner, ImageSpritePort* sprite,
             SurfacePort* surface, int32_t originX, int32_t originY, uint8_t option, int32_t mode, uint8_t flag);
  int Start(int32_t cellCount, const void* owner, ImageSpritePort* sprite, SurfacePort* surface, int32_t originX,
            int32_t originY, uint8_t option, int32_t mode, uint8_t flag);
  void Reset();
  void AddSprite(ImageSpritePort* sprite);
  void RemoveSprite(ImageSpritePort* sprite);

  // The strip in use: the borrowed image, else the loaded one.
  SurfacePort* Strip() const;
  // The source rectangle of cell n of the strip (empty outside the cells).
  platform::Rect CellRect(int32_t cell) const;

  int32_t CellCount() const { return cellCount_; }
  int32_t CellWidth() const { return cellWidth_; }
  const void* Owner() const { return owner_; }
  uint8_t Option() const { return option_; }
  uint8_t KeyMode() const { return keyMode_; }
  SurfacePort* Target() const { return target_; }
  int32_t OriginX() const { return originX_; }
  int32_t OriginY() const { return originY_; }
  int32_t Mode() const { return mode_; }
  SurfacePort* WorkSurface() const { return workSurface_.get(); }
  const std::deque<ImageSpritePort*>& Sprites() const { return sprites_; }

  // --- the frame queue: cells waiting their turn, each shown for its time ---
  struct QueuedFrame {
    int32_t cell = 0;
    uint32_t durationMs = 0;
  };
  void QueueFrame(int32_t cell, uint32_t durationMs);
  // Removes the first queued entry showing that cell, the others keeping
  // their order; false when none does. Taking the head away starts the
  // next entry afresh.
  bool Remove(int32_t cell);
  // Advances the head entry's time by elapsed ms; each entry whose time has
  // run out leaves the queue for the next, the last one staying shown. The
  // cell to draw when the head changed (or was first shown), else -1.
  int32_t Step(uint32_t elapsedMs);
  const std::deque<QueuedFrame>& Frames() const { return frames_; }

 private:
  SurfaceFactoryPort* surfaces_;
  std::unique_ptr<SurfacePort> ownSurface_;
  SurfacePort* borrowedImage_ = nullptr;
  int32_t cellCount_ = 0;
  const void* owner_ = nullptr;
  uint8_t option_ = 0;
  uint8_t keyMode_ = 0;
  SurfacePort* target_ = nullptr;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
  int32_t mode_ = 0;
  int32_t cellWidth_ = 0;
  std::unique_ptr<SurfacePort> workSurface_;
  std::deque<ImageSpritePort*> sprites_;
  std::deque<QueuedFrame> frames_;
  uint32_t headElapsed_ = 0;
  bool headShown_ = false;
};

}  // namespace orrivel
