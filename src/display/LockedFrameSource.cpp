#include "display/LockedFrameSource.h"

#include "display/DisplayScreenDevice.h"
#include "raster/PixelFormat.h"

namespace orrivel {

LockedFrameSource::~LockedFrameSource() {
  // A movie decoding into it stops while the picture is still whole.
  BreakLinks();
  ScopedLock hold(lock_);
  LockedFrameSource::Release();
}

void LockedFrameSource::Release() {
  DropSurface();
  pixels_ = nullptr;
  formatCode_ = 0;
}

int LockedFrameSource::Create(int32_t width, int32_t height) {
  ScopedLock hold(lock_);
  return CreateLocked(width, height);
}

int LockedFrameSource::CreateLocked(int32_t width, int32_t height) {
  Release();
  DisplayScreenDevice* device = ScreenDevice();
  if (device == nullptr || width < 1 || height < 1) return kCreateNoDevice;
  if (device->DirectDraw() == nullptr) return kCreateNoDirectDraw;
  platform::SurfaceRequest request;
  request.caps = platform::kSurfaceOffscreen | platform::kSurfaceSystemMemory;
  request.width = AllocatedWidth(width);
  request.height = height;
  if (MakeSurface(request, &surface_) != platform::kDdOk) {
    surface_.reset();
    return kCreateRefused;
  }
  platform::SurfaceLock lock;
  if (surface_->Lock(nullptr, &lock) != platform::kSurfaceOk) {
    Release();
    return kCreateLockFailed;
  }
  pixels_ = lock.bits;
  pitch_ = lock.pitch;
  surface_->Unlock();
  width_ = width;
  height_ = height;
  clipRect_ = Rect{0, 0, width, height};
  platform::SurfacePixelFormat described;
  formatCode_ = surface_->GetPixelFormat(&described) == platform::kSurfaceOk
                    ? uint32_t(ClassifyPixelFormat(described))
                    : uint32_t(kPixelFormatUnreadable);
  // A plain surface never shows its alpha: it counts as its colour layout.
  if (formatCode_ == kPixelFormatA1R5G5B5) formatCode_ = kPixelFormatX1R5G5B5;
  if (formatCode_ == kPixelFormatA8R8G8B8) formatCode_ = kPixelFormatX8R8G8B8;
  surface_->ColorFill(nullptr, 0);
  return 0;
}

int LockedFrameSource::Restore(uint8_t checkLost) {
  if (!surface_) return 0;
  if (checkLost != 0 && !surface_->IsLost()) return 0;
  // A writer may be in the middle of a frame: the surface and its address
  // change only while it is kept out.
  ScopedLock hold(lock_);
  return CreateLocked(width_, height_) == 0 ? 0 : 1;
}

LockedFrameSource::FrameWrite::FrameWrite(LockedFrameSource& source) : hold_(source.lock_) {
  // A lost surface still holds its memory: a frame written there is only
  // wasted until the restore makes the surface again.
  if (!source.surface_) return;
  bits = source.pixels_;
  pitch = source.pitch_;
  width = source.width_;
  height = source.height_;
  formatCode = source.formatCode_;
}

}  // namespace orrivel
