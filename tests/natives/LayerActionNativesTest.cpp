// Natives 215 to 218 with the built-in layer actions, as a compiled script
// names them. Every cell reaches an action through the script side: a text
// is read from the script's memory, a sprite is found by its handle, an
// output is written through the script's memory. A number where an address
// or a handle belongs is refused (or fails the script's call), never
// followed.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../scene/PictureFolder.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "raster/Drawable.h"
#include "raster/Surface.h"
#include "resource/DcpManager.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

constexpr int64_t kForged = 4096;
// An address outside the script's memory.
constexpr int64_t kBadAddress = 0x7FFF0000;

class LayerActionNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    pixelOps_ = std::make_unique<BoundPixelOps>();
    RegisterLayerActions(actions_, StartupLayerActions());
    RegisterLayerActions(actions_, ScriptHostLayerActions());
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    setup.actions = &actions_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    harness_.reset();
    timers_.Clear();
    pixelOps_.reset();
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args) { return harness_->Call(native, args); }
  int32_t Result(std::string_view native, const std::vector<Arg>& args) {
    const NativeCall call = Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return int32_t(call.result);
  }
  uint32_t Canvas() {
    return uint32_t(Result("NativeCreateCanvasImage", {Arg::Int(16), Arg::Int(8), Arg::Int(32), Arg::Int(1)}));
  }
  uint32_t Picture() {
    return uint32_t(Result("NativeCreateSurface", {Arg::Int(16), Arg::Int(8), Arg::Int(32), Arg::Int(0)}));
  }
  uint32_t Sprite(uint32_t picture) {
    return uint32_t(Result("NativeCreateImageSprite", {Arg::Int(picture), Arg::Absent(), Arg::Int(0), Arg::Int(0),
                                                       Arg::Int(0), Arg::Int(0), Arg::Int(0)}));
  }
  void WritePicture(const std::string& name) {
    Surface picture;
    ASSERT_EQ(picture.Create(16, 8, 32, 0), 0);
    pictures_.WritePicture(picture, name);
  }

  test::PictureFolder pictures_;
  TimerList timers_;
  DcpManager actions_;
  std::unique_ptr<BoundPixelOps> pixelOps_;
  std::unique_ptr<NativeHarness> harness_;
};

TEST_F(LayerActionNativesTest, SpriteFadeTakesItsTargetByHandle) {
  const uint32_t canvas = Canvas();
  const uint32_t sprite = Sprite(Picture());
  ASSERT_NE(sprite, 0u);
  const uint32_t fade =
      uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_fade"), Arg::Int(1), Arg::Int(0)}));
  ASSERT_NE(fade, 0u);
  // Fade in entry 0: a forged target names no sprite and is refused.
  EXPECT_EQ(Result("NativeControlLayerAction",
                   {Arg::Int(fade), Arg::Int(1), Arg::Int(0), Arg::Int(kForged), Arg::Int(100)}),
            1);
  EXPECT_EQ(Result("NativeControlLayerAction",
                   {Arg::Int(fade), Arg::Int(1), Arg::Int(0), Arg::Int(sprite), Arg::Int(100)}),
            0);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(fade)}), 1) << "running";
  timers_.Step(0);
  timers_.Step(1000);
  EXPECT_EQ(Display().GetSprite(sprite)->GetOpacity(), 255);
}

TEST_F(LayerActionNativesTest, SpriteGroupFadeWipesAScriptSprite) {
  const uint32_t canvas = Canvas();
  const uint32_t sprite = Sprite(Picture());
  const auto start = [&](int64_t target) {
    return Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_gfade"), Arg::Int(target),
                                             Arg::Int(100), Arg::Int(0), Arg::Int(4), Arg::Int(0)});
  };
  EXPECT_EQ(start(kForged), 0);
  EXPECT_EQ(start(canvas), 0) << "a canvas image is no sprite";
  const uint32_t wipe = uint32_t(start(sprite));
  ASSERT_NE(wipe, 0u);
  EXPECT_TRUE(timers_.Contains(wipe));
}

TEST_F(LayerActionNativesTest, LoopAndStaffRollReadTheirFileNamesFromTheScript) {
  WritePicture("band.bmp");
  const std::string layout = "init 10000\r\ntext 0, 0, \"A\"\r\n";
  pictures_.Write("staff.txt", std::vector<uint8_t>(layout.begin(), layout.end()));
  const uint32_t canvas = Canvas();
  const auto loop = [&](Arg name) {
    return Call("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_loop"), std::move(name), Arg::Int(0),
                                           Arg::Int(0), Arg::Int(0), Arg::Int(255), Arg::Int(5), Arg::Int(0),
                                           Arg::Int(1000), Arg::Int(0), Arg::Int(0)});
  };
  const NativeCall looping = loop(Arg::Text("band.bmp"));
  ASSERT_TRUE(looping.Ran());
  EXPECT_NE(looping.result, 0u);
  const NativeCall missing = loop(Arg::Text("none.bmp"));
  ASSERT_TRUE(missing.Ran());
  EXPECT_EQ(missing.result, 0u);
  // A number where the name's address belongs is the script's error.
  EXPECT_FALSE(loop(Arg::Int(kBadAddress)).Ran());

  const auto roll = [&](Arg name) {
    return Call("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("staff"), std::move(name)});
  };
  const NativeCall rolling = roll(Arg::Text("staff.txt"));
  ASSERT_TRUE(rolling.Ran());
  EXPECT_NE(rolling.result, 0u);
  EXPECT_EQ(roll(Arg::Text("none.txt")).result, 0u);
  EXPECT_FALSE(roll(Arg::Int(kBadAddress)).Ran());
}

TEST_F(LayerActionNativesTest, BackgroundZoomRunsOnACanvasAndItsAssistRefusesNumbers) {
  WritePicture("back.bmp");
  const uint32_t canvas = Canvas();
  const uint32_t back = uint32_t(Result("NativeLoadSurface", {Arg::Text("back.bmp"), Arg::Int(0)}));
  ASSERT_NE(back, 0u);
  ASSERT_NE(Result("NativeSetCanvasBackgroundImage",
                   {Arg::Int(canvas), Arg::Int(back), Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0);
  const uint32_t zoom = uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("bg_zoom"), Arg::Int(8),
                                                                    Arg::Int(4), Arg::Text("2.0"), Arg::Int(0),
                                                                    Arg::Int(500)}));
  ASSERT_NE(zoom, 0u);
  // The query's four outputs are written through the script's memory.
  const NativeCall query = Call("NativeQueryLayerAction", {Arg::Int(zoom), Arg::OutInt(7), Arg::OutInt(7),
                                                           Arg::OutInt(7), Arg::OutInt(7)});
  ASSERT_TRUE(query.Ran());
  EXPECT_EQ(query.ints.at(3), 8u) << "the target rectangle's width, halved";
  EXPECT_EQ(query.ints.at(4), 4u) << "the target rectangle's height, halved";
  // Numbers where the outputs' addresses belong fail the call; nothing is
  // written where they point.
  EXPECT_FALSE(Call("NativeQueryLayerAction", {Arg::Int(zoom), Arg::Int(kBadAddress), Arg::Int(0), Arg::Int(0),
                                               Arg::Int(0)})
                   .Ran());
  // The assist takes the frame's layers, which no script handle names.
  for (int64_t layer : {kForged, int64_t(canvas)}) {
    EXPECT_EQ(Result("NativeCallLayerActionAssist", {Arg::Text("bg_zoom"), Arg::Int(layer), Arg::Int(8),
                                                     Arg::Int(4), Arg::Text("2.0"), Arg::OutInt(), Arg::OutInt(),
                                                     Arg::OutInt(), Arg::OutInt()}),
              -1)
        << layer;
  }
}

}  // namespace
}  // namespace orrivel::testing
