#include "transition/TransitionRig.h"

#include <gtest/gtest.h>

#include "platform/PixelLayout.h"

namespace orrivel::test {

uint32_t SourceCode(const DrawPath& path, int32_t width, int32_t sx, int32_t sy) {
  if (path.codeRange == 0) return uint32_t(sy) << 16 | uint32_t(sx);
  return uint32_t(sx + sy * width) % path.codeRange;
}

bool DecodeExact(uint32_t value, int32_t width, int32_t height, int32_t* sx, int32_t* sy) {
  *sx = int32_t(value & 0xFFFF);
  *sy = int32_t(value >> 16);
  return *sx < width && *sy < height;
}

namespace {

void FillSurface(Surface& surface, const DrawPath& path, bool coded, int32_t width) {
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x)
      surface.SetPixel(x, y, coded ? SourceCode(path, width, x, y) : path.background);
}

void FillBlit(platform::SoftSurface& surface, const DrawPath& path, bool coded, int32_t width) {
  platform::SurfaceLock lock;
  ASSERT_EQ(surface.Lock(nullptr, &lock), platform::kSurfaceOk);
  const platform::PixelLayout layout(lock.format);
  for (int32_t y = 0; y < lock.height; ++y)
    for (int32_t x = 0; x < lock.width; ++x)
      layout.Store(lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * layout.BytesPerPixel(),
                   coded ? SourceCode(path, width, x, y) : path.background);
  surface.Unlock();
}

void MakeSurface(Surface& surface, int32_t width, int32_t height, uint8_t bits) {
  ASSERT_EQ(surface.Create(width, height, bits, 0), 0);
  if (bits == 8) {
    ASSERT_EQ(surface.SetPalette(nullptr, 0, 256, 0), 0);
  }
}

}  // namespace

PathPictures::PathPictures(tools::OffscreenDisplay& display, const DrawPath& path, int32_t width,
                           int32_t height, int32_t destWidth, int32_t destHeight, const Rect& clip)
    : path_(path), destWidth_(destWidth), destHeight_(destHeight) {
  if (path.backend == 0) {
    MakeSurface(surfaceSource_, width, height, path.surfaceBits);
    MakeSurface(surfaceDestination_, destWidth, destHeight, path.surfaceBits);
    FillSurface(surfaceSource_, path, true, width);
    source_ = &surfaceSource_;
    destination_ = &surfaceDestination_;
  } else {
    blitSource_ = display.MakeImage(width, height, path.format);
    blitDestination_ = display.MakeImage(destWidth, destHeight, path.format);
    if (!blitSource_ || !blitDestination_) {
      ADD_FAILURE() << "no surface images of " << path.name;
      return;
    }
    FillBlit(*blitSource_->GetDisplaySurface(), path, true, width);
    source_ = blitSource_.get();
    destination_ = blitDestination_.get();
  }
  EXPECT_TRUE(destination_->SetClipRect(&clip));
  ClearDestination();
}

void PathPictures::ClearDestination() {
  if (path_.backend == 0) FillSurface(surfaceDestination_, path_, false, 0);
  else FillBlit(*blitDestination_->GetDisplaySurface(), path_, false, 0);
}

std::vector<uint32_t> PathPictures::Snapshot() {
  std::vector<uint32_t> out(size_t(destWidth_) * size_t(destHeight_));
  if (path_.backend == 0) {
    for (int32_t y = 0; y < destHeight_; ++y)
      for (int32_t x = 0; x < destWidth_; ++x)
        out[size_t(y) * size_t(destWidth_) + size_t(x)] = surfaceDestination_.GetPixel(x, y);
    return out;
  }
  platform::SoftSurface& blits = *blitDestination_->GetDisplaySurface();
  platform::SurfaceLock lock;
  EXPECT_EQ(blits.Lock(nullptr, &lock), platform::kSurfaceOk);
  const platform::PixelLayout layout(lock.format);
  for (int32_t y = 0; y < destHeight_; ++y)
    for (int32_t x = 0; x < destWidth_; ++x)
      out[size_t(y) * size_t(destWidth_) + size_t(x)] =
          layout.Load(lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * layout.BytesPerPixel());
  blits.Unlock();
  return out;
}

std::unique_ptr<Surface> MakeSurface32(int32_t width, int32_t height, uint32_t value) {
  auto surface = std::make_unique<Surface>();
  EXPECT_EQ(surface->Create(width, height, 32, 0), 0);
  surface->FillColor(value, nullptr, nullptr);
  return surface;
}

}  // namespace orrivel::test
