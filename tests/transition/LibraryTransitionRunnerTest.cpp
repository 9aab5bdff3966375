// The transition object over the real transition library: steps into an
// image, steps onto the screen's back surface in the scene pass, and a mode
// the library refuses, which must not pass for a drawn step.
#include "transition/LibraryTransitionRunner.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/ScreenDevice.h"
#include "display/TransitionObject.h"
#include "transition/TransitionRig.h"
#include "transition/TransitionScreen.h"

namespace orrivel::test {
namespace {

constexpr uint32_t kBackground = 0xFF102030u;

uint32_t BackPixel(platform::SoftSurface& surface, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  EXPECT_EQ(surface.Lock(nullptr, &lock), platform::kSurfaceOk);
  uint32_t value = 0;
  std::memcpy(&value, lock.bits + size_t(y) * size_t(lock.pitch) + size_t(x) * 4, 4);
  surface.Unlock();
  return value & 0xFFFFFFu;
}

TEST(LibraryTransitionRunnerTest, StepsIntoAnImageAndRefusedModesStayFailures) {
  auto source = MakeSurface32(4, 4, 0xFFAA0000u);
  auto destination = MakeSurface32(8, 8, kBackground);
  LibraryTransitionRunner runner;
  TransitionObject object(&runner);
  // Whole at progress 256, at the two options' position.
  ASSERT_EQ(object.Create(destination.get(), source.get(), 0, 0, 0, 256, 2, 3), 0);
  EXPECT_EQ(destination->GetPixel(2, 3), 0xFFAA0000u);
  EXPECT_EQ(destination->GetPixel(1, 3), kBackground);
  EXPECT_EQ(destination->GetPixel(6, 7), kBackground);
  // A mode past the library's table is refused (-1): not a success, and the
  // last good progress stays.
  EXPECT_EQ(object.DrawStep(128), 0);
  EXPECT_EQ(object.Progress(), 128);
  TransitionObject refused(&runner);
  EXPECT_EQ(refused.Create(destination.get(), source.get(), 87, 0, 0, 100, 0, 0), 3);
  EXPECT_EQ(refused.Source(), nullptr);
}

TEST(LibraryTransitionRunnerTest, TheScenePassDrawsOntoTheScreen) {
  tools::OffscreenDisplay display;
  auto back = display.MakeImage(16, 16, platform::SurfaceFormat::X8R8G8B8, kImageKindSurfaceImage);
  auto source = display.MakeImage(4, 4, platform::SurfaceFormat::X8R8G8B8, kImageKindSurfaceImage);
  ASSERT_NE(back, nullptr);
  ASSERT_NE(source, nullptr);
  back->GetDisplaySurface()->ColorFill(nullptr, kBackground);
  source->GetDisplaySurface()->ColorFill(nullptr, 0x00ABCDEFu);
  ScreenDevice device;
  device.SetContentSize(10, 10);
  ScreenStandIn screen(device, back->GetDisplaySurface());
  LibraryTransitionRunner runner(&screen);
  TransitionObject object(&runner);
  ASSERT_EQ(object.Create(nullptr, source.get(), 0, 8, 8, 256, 0, 0), 0);
  ASSERT_EQ(object.Draw(0, 0, nullptr), 0);
  // Placed at (8, 8) and clipped to the 10 x 10 content.
  EXPECT_EQ(BackPixel(*back->GetDisplaySurface(), 9, 9), 0xABCDEFu);
  EXPECT_EQ(BackPixel(*back->GetDisplaySurface(), 10, 10), kBackground & 0xFFFFFFu);
  EXPECT_EQ(BackPixel(*back->GetDisplaySurface(), 7, 7), kBackground & 0xFFFFFFu);
  // The refused mode fails the scene pass too.
  TransitionObject refused(&runner);
  ASSERT_EQ(refused.Create(nullptr, source.get(), 200, 0, 0, 256, 0, 0), 0);
  EXPECT_EQ(refused.Draw(0, 0, nullptr), TransitionObject::kStepRefused);
}

}  // namespace
}  // namespace orrivel::test
