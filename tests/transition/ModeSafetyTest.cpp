// What a script can hand the numbered transitions without harm: a blend
// that names no drawing back end for two device-independent images draws
// nothing and answers 0 in every mode at every progress, and points and
// progress values at the edges of the 32-bit range run every mode on every
// back end without wrapping arithmetic (the sanitizer build stops on it).
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "base/ScreenDevice.h"
#include "transition/ModeRecording.h"
#include "transition/RunTransition.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionRig.h"
#include "transition/TransitionScreen.h"

namespace orrivel::test {
namespace {

constexpr uint32_t kBackground = 0xFF102030u;
constexpr int32_t kWidth = 9;
constexpr int32_t kHeight = 7;

bool Untouched(Surface& surface, uint32_t value) {
  for (int32_t y = 0; y < surface.GetHeight(); ++y)
    for (int32_t x = 0; x < surface.GetWidth(); ++x)
      if (surface.GetPixel(x, y) != value) return false;
  return true;
}

TEST(ModeSafetyTest, OtherBlendsOnDeviceIndependentImagesDrawNothingAndAnswerZero) {
  auto source = MakeSurface32(kWidth, kHeight, 0xFFABCDEFu);
  auto destination = MakeSurface32(kWidth + 4, kHeight + 4, kBackground);
  for (bool tables : {true, false}) {
    ScopedMathTables published(tables ? &ScopedMathTables::Shared() : nullptr);
    for (int32_t blend : {2, 3, -1, INT_MAX, INT_MIN}) {
      for (uint32_t mode = 0; mode < kTransitionModeCount; ++mode) {
        for (int32_t progress : {0, 1, 255, 256}) {
          ASSERT_EQ(RunTransition(mode, destination.get(), source.get(), progress, 2, 2, blend, nullptr), 0)
              << "blend " << blend << ", mode " << mode << ", progress " << progress
              << (tables ? "" : ", no math tables");
        }
      }
    }
  }
  EXPECT_TRUE(Untouched(*destination, kBackground));
}

// The pictures of every back end: two 32-bit surfaces (copy, alpha blend
// and a blend that draws nothing), two blit surfaces, and a screen.
class ExtremeValuesTest : public testing::Test {
 protected:
  ExtremeValuesTest()
      : source_(MakeSurface32(kWidth, kHeight, 0x80ABCDEFu)),
        destination_(MakeSurface32(kWidth + 4, kHeight + 4, kBackground)),
        blits_(display_, kDrawPaths[5], kWidth, kHeight, kWidth + 4, kHeight + 4, Rect{0, 0, kWidth + 4, kHeight + 4}),
        screen_(device_, blits_.Destination()->GetDisplaySurface()) {
    device_.SetContentSize(kWidth + 2, kHeight + 2);
  }

  // Runs one frame on every back end; the results stay among those the
  // library gives.
  void RunEverywhere(uint32_t mode, int32_t progress, int32_t x, int32_t y) {
    for (int32_t blend : {int32_t(BackendCopy), int32_t(BackendAlphaBlend), 2, INT_MIN}) {
      const int result = RunTransition(mode, destination_.get(), source_.get(), progress, x, y, blend, nullptr);
      ASSERT_TRUE(result >= -1 && result <= 4) << result;
    }
    for (TransitionScreen* screen : {static_cast<TransitionScreen*>(nullptr), static_cast<TransitionScreen*>(&screen_)}) {
      const int result = RunTransition(mode, blits_.Destination(), blits_.Source(), progress, x, y, 0, screen);
      ASSERT_TRUE(result >= -1 && result <= 4) << result;
    }
  }

  tools::OffscreenDisplay display_;
  ScopedMathTables tables_;
  std::unique_ptr<Surface> source_;
  std::unique_ptr<Surface> destination_;
  PathPictures blits_;
  ScreenDevice device_;
  ScreenStandIn screen_;
};

TEST_F(ExtremeValuesTest, PointsAndProgressAtTheLimitsRunEveryModeOnEveryBackEnd) {
  const int32_t points[] = {INT_MIN, INT_MIN + 1, -kWidth, 0, 3, INT_MAX - kWidth, INT_MAX - 1, INT_MAX};
  const int32_t progresses[] = {INT_MIN, -1, 1, 77, 255, 256, INT_MAX};
  for (uint32_t mode = 0; mode < kTransitionModeCount; ++mode) {
    for (int32_t progress : progresses) {
      for (int32_t x : points) {
        for (int32_t y : points) {
          SCOPED_TRACE(testing::Message() << "mode " << mode << ", progress " << progress << " at (" << x << ", "
                                          << y << ")");
          RunEverywhere(mode, progress, x, y);
          if (HasFatalFailure()) return;
        }
      }
    }
  }
}

// Far from every destination a frame leaves the pixels as they are, except
// the stretch reveals, which smear their line from the destination's edge.
TEST_F(ExtremeValuesTest, FramesFarOffTheDestinationLeaveItAlone) {
  const int32_t far[] = {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX};
  for (uint32_t mode = 0; mode < kTransitionModeCount; ++mode) {
    if (mode >= 79 && mode <= 82) continue;
    for (int32_t progress : {1, 128, 255, 256}) {
      for (int32_t x : far) {
        for (int32_t y : {0, INT_MAX}) {
          destination_->FillRect(kBackground, nullptr);
          RunTransition(mode, destination_.get(), source_.get(), progress, x, y, BackendCopy, nullptr);
          RunTransition(mode, destination_.get(), source_.get(), progress, y, x, BackendAlphaBlend, nullptr);
          ASSERT_TRUE(Untouched(*destination_, kBackground))
              << "mode " << mode << ", progress " << progress << " at (" << x << ", " << y << ")";
        }
      }
    }
  }
}

}  // namespace
}  // namespace orrivel::test
