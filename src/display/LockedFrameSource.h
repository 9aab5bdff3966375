#pragma once
// A movie frame surface: an off-screen display surface in system memory
// with a lock beside it. A movie decoder on another thread writes each
// frame into it while holding the lock; the main thread holds the same lock
// while it re-creates the surface after the display surfaces were lost.
// The pixel address moves when the surface is re-created, so a writer takes
// it afresh under the lock (FrameWrite) for every frame and never keeps it.
//
// It is an image of its own kind: no colour key, and no pixels reachable
// through GetBits (they belong to the writer).
#include <cstdint>

#include "base/CriticalSection.h"
#include "base/ScopedLock.h"
#include "display/SurfaceImage.h"

namespace orrivel {

class LockedFrameSource : public SurfaceImage {
 public:
  // A non-null device becomes the process-wide one (as for every surface image).
  explicit LockedFrameSource(DisplayScreenDevice* device = nullptr) : SurfaceImage(device) {}
  ~LockedFrameSource() override;

  // Create's results.
  enum : int { kCreateNoDevice = 1, kCreateNoDirectDraw = 2, kCreateRefused = 3, kCreateLockFailed = 4 };
  // Makes the surface of the size (one column wider for an odd width on a
  // 24-bit display) and fills it black. 1 no device or a size below 1; 2
  // no drawing object; 3 the surface was refused; 4 it could not be locked
  // (nothing is held then); 0.
  int Create(int32_t width, int32_t height);
  // Drops the surface; address and format code 0.
  void Release() override;

  uint8_t GetKind() const override { return kImageKindLockedFrameSource; }
  int SetColorKeyRgb(uint8_t, uint8_t, uint8_t) override { return 0; }
  int SetColorKeyAt(int32_t, int32_t) override { return 0; }
  uint32_t GetColorKey() const override { return kNoColorKey; }
  int ClearColorKey() override { return 0; }
  // 0 without a surface, or when asked to check and nothing was lost;
  // otherwise the surface is made again at the stored size under the lock
  // (its picture is black until the next frame): 1 when that fails.
  int Restore(uint8_t checkLost) override;

  // The writer's view of the pixels for one frame, holding the lock for as
  // long as it lives. bits is null when there is no surface.
  class FrameWrite {
   public:
    explicit FrameWrite(LockedFrameSource& source);
    FrameWrite(const FrameWrite&) = delete;
    FrameWrite& operator=(const FrameWrite&) = delete;

    uint8_t* bits = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;   // as asked at creation
    int32_t height = 0;
    uint32_t formatCode = 0;

   private:
    ScopedLock hold_;
  };

  CriticalSection& Lock() { return lock_; }
  // Valid only while the lock is held.
  uint8_t* PixelAddress() const { return pixels_; }
  // The surface's own width (the allocated one).
  int32_t SurfaceWidth() const { return surface_ ? surface_->Width() : 0; }

 private:
  int CreateLocked(int32_t width, int32_t height);

  uint8_t* pixels_ = nullptr;
  CriticalSection lock_;
};

}  // namespace orrivel
