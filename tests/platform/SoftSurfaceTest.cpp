#include "platform/SoftSurface.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orrivel::platform {
namespace {

TEST(SoftSurfaceTest, EveryFormatHasItsLayout) {
  const struct {
    SurfaceFormat format;
    uint32_t bits;
    int32_t pitchFor5;
  } cases[] = {
      {SurfaceFormat::Indexed8, 8, 8},   {SurfaceFormat::X1R5G5B5, 16, 12}, {SurfaceFormat::R5G6B5, 16, 12},
      {SurfaceFormat::R8G8B8, 24, 16},   {SurfaceFormat::X8R8G8B8, 32, 20}, {SurfaceFormat::A1R5G5B5, 16, 12},
      {SurfaceFormat::A4R4G4B4, 16, 12}, {SurfaceFormat::A8R8G8B8, 32, 20},
  };
  for (const auto& c : cases) {
    SoftSurface s;
    ASSERT_EQ(s.Create(5, 3, c.format), kSurfaceOk);
    SurfacePixelFormat f;
    ASSERT_EQ(s.GetPixelFormat(&f), kSurfaceOk);
    EXPECT_EQ(f, DescribeSurfaceFormat(c.format));
    EXPECT_EQ(f.bitCount, c.bits);
    EXPECT_EQ(s.Pitch(), c.pitchFor5);
  }
}

TEST(SoftSurfaceTest, LockFillAndRefusals) {
  SoftSurface s;
  EXPECT_EQ(s.GetPixelFormat(nullptr), kSurfaceInvalidParams);
  SurfaceLock lock;
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceNoPixels);
  EXPECT_EQ(s.Create(0, 3, SurfaceFormat::R5G6B5), kSurfaceInvalidParams);
  EXPECT_EQ(s.Create(65535, 65535, SurfaceFormat::X8R8G8B8), kSurfaceOutOfMemory);
  ASSERT_EQ(s.Create(4, 3, SurfaceFormat::R5G6B5), kSurfaceOk);

  const Rect r{1, 1, 3, 2};
  EXPECT_EQ(s.ColorFill(&r, 0xABCD1234u), kSurfaceOk);
  const Rect outside{2, 2, 5, 3};
  EXPECT_EQ(s.ColorFill(&outside, 1), kSurfaceInvalidParams);
  ASSERT_EQ(s.Lock(&r, &lock), kSurfaceOk);
  uint16_t v;
  std::memcpy(&v, lock.bits, 2);
  EXPECT_EQ(v, 0x1234);  // the low bits a pixel holds
  std::memcpy(&v, lock.bits - 2, 2);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceAlreadyLocked);
  EXPECT_EQ(s.ColorFill(nullptr, 0), kSurfaceAlreadyLocked);
  EXPECT_EQ(s.Unlock(), kSurfaceOk);
  EXPECT_EQ(s.Unlock(), kSurfaceNotLocked);

  s.SetColorFillSupported(false);
  EXPECT_EQ(s.ColorFill(nullptr, 0), kSurfaceNoColorFill);
  s.SetLost(true);
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceLost);
  EXPECT_EQ(s.Restore(), kSurfaceOk);
  EXPECT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
  EXPECT_EQ(lock.width, 4);
  EXPECT_EQ(lock.pitch, 8);
  s.Unlock();
}

TEST(SoftSurfaceTest, NewSurfacesStartBlackWhateverTheMemoryHeldBefore) {
  // Small blocks come back from the allocator's free lists, large ones as
  // fresh pages: both must start zeroed, as must a surface made again.
  for (int32_t width : {4, 64, 1280}) {
    SCOPED_TRACE(width);
    SoftSurface s;
    for (int round = 0; round < 3; ++round) {
      ASSERT_EQ(s.Create(width, 720, SurfaceFormat::X8R8G8B8), kSurfaceOk);
      SurfaceLock lock;
      ASSERT_EQ(s.Lock(nullptr, &lock), kSurfaceOk);
      for (int32_t y = 0; y < lock.height; ++y)
        for (int32_t x = 0; x < width * 4; ++x) ASSERT_EQ(lock.bits[y * lock.pitch + x], 0) << x << "," << y;
      s.Unlock();
      ASSERT_EQ(s.ColorFill(nullptr, 0xFFFFFFFFu), kSurfaceOk);
      s.Release();
    }
  }
}

}  // namespace
}  // namespace orrivel::platform
