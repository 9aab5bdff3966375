#pragma once
// Memory pictures and canvases listed on a fake screen for the image
// natives, a harness whose effects run on a timer list of the test's own,
// and small readers of what the natives drew.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "base/TimerList.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/BlendTables.h"
#include "raster/PixelBuffer.h"
#include "raster/Surface.h"

namespace orrivel::testing {

class ImageNativesRig : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    BuildBlendTables();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
    // A listed image that is no drawing surface.
    pixels_ = Display().AddImage(std::make_unique<PixelBuffer>());
  }
  void TearDown() override {
    timers_.Clear();
    harness_.reset();
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args) { return harness_->Call(native, args); }
  int32_t Result(std::string_view native, const std::vector<Arg>& args) {
    const NativeCall call = Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call.Result();
  }

  // A listed memory picture whose 32-bit pixels count up from seed.
  uint32_t Picture(int32_t width, int32_t height, uint8_t bits = 32, uint32_t seed = 0x10203) {
    auto surface = std::make_unique<Surface>();
    EXPECT_EQ(surface->Create(width, height, bits, Surface::kWithRegion), 0);
    for (int32_t y = 0; y < height; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t value = seed + 0x010101u * uint32_t(y * width + x);
        if (bits == 32)
          std::memcpy(surface->GetScanLine(y) + 4 * x, &value, 4);
        else
          surface->GetScanLine(y)[x] = uint8_t(value);
      }
    return Display().AddImage(std::move(surface));
  }
  uint32_t Canvas(int32_t width, int32_t height) {
    return uint32_t(Result("NativeCreateCanvasImage", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(1)}));
  }
  Surface& S(uint32_t handle) { return *GetObjectSurface(handle); }
  static uint32_t Word(Surface& s, int32_t x, int32_t y) {
    uint32_t value = 0;
    std::memcpy(&value, s.GetScanLine(y) + 4 * x, 4);
    return value;
  }
  static std::vector<uint32_t> Words(Surface& s) {
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < s.GetHeight(); ++y)
      for (int32_t x = 0; x < s.GetWidth(); ++x) out.push_back(Word(s, x, y));
    return out;
  }
  static void Put(Surface& s, int32_t x, int32_t y, uint32_t value) { std::memcpy(s.GetScanLine(y) + 4 * x, &value, 4); }

  TimerList timers_;
  std::unique_ptr<NativeHarness> harness_;
  uint32_t pixels_ = 0;
};

}  // namespace orrivel::testing
