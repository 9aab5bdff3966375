// The movie frame surface: its sizes, its inert colour key, the restore
// after a loss, and a writer thread racing the restore for its pixels.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "SurfaceImageRig.h"
#include "display/LockedFrameSource.h"
#include "raster/PixelFormat.h"

namespace orrivel::testing {
namespace {

using LockedFrameSourceTest = SurfaceImageRig;

TEST_F(LockedFrameSourceTest, SizesAreCheckedAndOddWidthsGrowOnA24BitDisplay) {
  Boot(32);
  LockedFrameSource frame;
  EXPECT_EQ(frame.GetKind(), kImageKindLockedFrameSource);
  EXPECT_EQ(frame.Create(0, 10), LockedFrameSource::kCreateNoDevice);
  EXPECT_EQ(frame.GetDisplaySurface(), nullptr);
  EXPECT_EQ(frame.Create(10, -1), LockedFrameSource::kCreateNoDevice);
  ASSERT_EQ(frame.Create(101, 50), 0);
  EXPECT_EQ(frame.SurfaceWidth(), 101);
  EXPECT_EQ(frame.FormatCode(), uint32_t(kPixelFormatX8R8G8B8));

  Boot(24);
  LockedFrameSource wide;
  ASSERT_EQ(wide.Create(101, 50), 0);
  EXPECT_EQ(wide.SurfaceWidth(), 102);
  EXPECT_EQ(wide.GetWidth(), 101);
  Rect clip;
  wide.GetClipRect(&clip);
  EXPECT_EQ(clip, (Rect{0, 0, 101, 50}));
  ASSERT_EQ(wide.Create(100, 50), 0);
  EXPECT_EQ(wide.SurfaceWidth(), 100);
  // The picture starts black; GetBits leaves the pixels to the writer.
  EXPECT_EQ(SurfaceRgb(wide.GetDisplaySurface(), 99, 49), 0u);
  EXPECT_EQ(wide.GetBits(), nullptr);
  // The key operations do nothing.
  EXPECT_EQ(wide.SetColorKeyRgb(1, 2, 3), 0);
  EXPECT_EQ(wide.SetColorKeyAt(0, 0), 0);
  EXPECT_EQ(wide.GetColorKey(), kNoColorKey);
  wide.Release();
  EXPECT_EQ(wide.PixelAddress(), nullptr);
  EXPECT_EQ(wide.FormatCode(), 0u);
}

TEST_F(LockedFrameSourceTest, RestoreMakesALostSurfaceAgainAtItsSize) {
  Boot(32);
  LockedFrameSource frame;
  EXPECT_EQ(frame.Restore(1), 0);  // nothing to restore yet
  ASSERT_EQ(frame.Create(40, 30), 0);
  frame.GetDisplaySurface()->ColorFill(nullptr, 0x00FF00FFu);
  EXPECT_EQ(frame.Restore(1), 0);  // not lost: kept
  EXPECT_EQ(SurfaceRgb(frame.GetDisplaySurface(), 3, 3), 0xFF00FFu);
  frame.GetDisplaySurface()->SetLost(true);
  EXPECT_EQ(frame.Restore(1), 0);
  EXPECT_FALSE(frame.GetDisplaySurface()->IsLost());
  EXPECT_EQ(frame.GetWidth(), 40);
  EXPECT_EQ(SurfaceRgb(frame.GetDisplaySurface(), 3, 3), 0u);
  {
    LockedFrameSource::FrameWrite write(frame);
    EXPECT_EQ(write.bits, frame.PixelAddress());
    EXPECT_EQ(write.width, 40);
    EXPECT_EQ(write.pitch, frame.GetPitch());
  }
  // A device without room for the surface: the restore reports it.
  Boot(32, 0);
  EXPECT_EQ(frame.Restore(0), 1);
  LockedFrameSource::FrameWrite none(frame);
  EXPECT_EQ(none.bits, nullptr);
}

// A decoder thread writes frames while the main thread loses and restores
// the surface again and again: every write goes to the surface that exists
// while it holds the lock (ASan and TSan watch the addresses).
TEST_F(LockedFrameSourceTest, AWriterThreadAndRestoresShareTheSurfaceUnderTheLock) {
  Boot(32);
  LockedFrameSource frame;
  ASSERT_EQ(frame.Create(64, 32), 0);
  std::atomic<bool> stop{false};
  std::atomic<int> written{0};
  std::thread writer([&] {
    for (uint32_t n = 1; !stop.load(std::memory_order_relaxed) && n < 200000; ++n) {
      LockedFrameSource::FrameWrite write(frame);
      if (write.bits == nullptr) continue;
      for (int32_t y = 0; y < write.height; ++y) {
        std::memset(write.bits + ptrdiff_t(y) * write.pitch, int(n & 0xFF), size_t(write.width) * 4);
      }
      written.fetch_add(1, std::memory_order_relaxed);
    }
  });
  int restores = 0;
  while (restores < 300 || written.load(std::memory_order_relaxed) < 300) {
    frame.GetDisplaySurface()->SetLost(true);
    ASSERT_EQ(frame.Restore(1), 0);
    ++restores;
    if (restores > 100000) break;
  }
  stop = true;
  writer.join();
  EXPECT_GE(written.load(), 300);
  ASSERT_NE(frame.GetDisplaySurface(), nullptr);
  EXPECT_FALSE(frame.GetDisplaySurface()->IsLost());
}

}  // namespace
}  // namespace orrivel::testing
