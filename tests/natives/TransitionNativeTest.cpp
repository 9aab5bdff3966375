// Native 249 (one frame of a numbered transition) as a hostile script calls
// it: blends that name no back end for two memory pictures, and progress
// and points at the edges of the 32-bit range, in every mode.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "natives/DisplayObjectArguments.h"

namespace orrivel::testing {
namespace {

constexpr int32_t kModes = 87;

class TransitionNativeTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    harness_ = std::make_unique<NativeHarness>(GameHostSetup{});
    source_ = Picture(6, 5);
    destination_ = Picture(10, 9);
    GetObjectSurface(source_)->FillRgb(0x20, 0x40, 0x60, nullptr);
    GetObjectSurface(destination_)->FillRgb(0x01, 0x02, 0x03, nullptr);
  }
  void TearDown() override {
    harness_.reset();
    DisplayNativeRig::TearDown();
  }

  uint32_t Picture(int32_t width, int32_t height) {
    const NativeCall call =
        harness_->Call("NativeCreateSurface", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(0)});
    EXPECT_TRUE(call.Ran());
    return uint32_t(call.Result());
  }
  int32_t DrawTransition(int32_t mode, int32_t progress, int32_t x, int32_t y, int32_t blend) {
    const NativeCall call =
        harness_->Call("NativeDrawTransition", {Arg::Int(mode), Arg::Int(int32_t(destination_)), Arg::Int(int32_t(source_)),
                                                Arg::Int(progress), Arg::Int(x), Arg::Int(y), Arg::Int(blend)});
    EXPECT_TRUE(call.Ran());
    return call.Result();
  }
  bool DestinationUntouched() {
    Surface* surface = GetObjectSurface(destination_);
    for (int32_t y = 0; y < surface->GetHeight(); ++y)
      for (int32_t x = 0; x < surface->GetWidth(); ++x)
        if (PixelAt(surface, x, y) != 0x010203u) return false;
    return true;
  }

  std::unique_ptr<NativeHarness> harness_;
  uint32_t source_ = 0;
  uint32_t destination_ = 0;
};

TEST_F(TransitionNativeTest, BlendsOtherThanCopyAndAlphaDrawNothingAndAnswerZero) {
  for (int32_t blend : {2, 3}) {
    for (int32_t mode = 0; mode < kModes; ++mode) {
      for (int32_t progress : {0, 1, 255, 256}) {
        ASSERT_EQ(DrawTransition(mode, progress, 1, 1, blend), 0)
            << "blend " << blend << ", mode " << mode << ", progress " << progress;
      }
    }
  }
  EXPECT_TRUE(DestinationUntouched());
}

TEST_F(TransitionNativeTest, ProgressAndPointsAtTheLimitsRunEveryMode) {
  for (int32_t mode = 0; mode < kModes; ++mode) {
    for (int32_t progress : {128, INT_MAX}) {
      for (int32_t at : {INT_MIN, INT_MAX}) {
        for (int32_t blend : {0, 1}) {
          SCOPED_TRACE(::testing::Message() << "mode " << mode << ", progress " << progress << ", point " << at
                                            << ", blend " << blend);
          const int32_t a = DrawTransition(mode, progress, at, 2, blend);
          const int32_t b = DrawTransition(mode, progress, 2, at, blend);
          ASSERT_TRUE(a >= -1 && a <= 4 && b >= -1 && b <= 4) << a << " " << b;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orrivel::testing
