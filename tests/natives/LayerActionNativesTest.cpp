// Natives 215 to 218 with the built-in layer actions, as a compiled script
// names them. Every cell reaches an action through the script side: a text
// is read from the script's memory, a sprite is found by its handle, an
// output is written through the script's memory. A number where an address
// or a handle belongs is refused (or fails the script's call), never
// followed.
#include <gtest/gtest.h>

#include <bit>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "../scene/PictureFolder.h"
#include "LayerActionNativeRig.h"
#include "NativeHarness.h"
#include "NativeSession.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "natives/DisplayObjectArguments.h"
#include "effect/BuiltinEffects.h"
#include "raster/Drawable.h"
#include "raster/Surface.h"
#include "resource/DcpManager.h"
#include "scene/SpriteCanvas.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

constexpr int64_t kForged = 4096;
// An address outside the script's memory.
constexpr int64_t kBadAddress = 0x7FFF0000;

class LayerActionNativesTest : public LayerActionNativeRig {
 protected:
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
  // The values the call wrote to its output cells first .. first + count - 1.
  static std::vector<uint32_t> Outputs(const NativeCall& call, size_t first, size_t count) {
    std::vector<uint32_t> values;
    for (size_t i = first; i < first + count; ++i) values.push_back(call.ints.count(i) ? call.ints.at(i) : 0xDEADu);
    return values;
  }
  // A group fade of the sprite over a second.
  uint32_t StartGroupFade(uint32_t canvas, uint32_t sprite) {
    return uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_gfade"), Arg::Int(sprite),
                                                      Arg::Int(1000), Arg::Int(0), Arg::Int(4), Arg::Int(0)}));
  }
  // A picture loaded as the canvas's background, zoomed twice over 500 ms;
  // 0 when the background was refused.
  uint32_t StartBackgroundZoom(uint32_t canvas) {
    WritePicture("back.bmp");
    const uint32_t back = uint32_t(Result("NativeLoadSurface", {Arg::Text("back.bmp"), Arg::Int(0)}));
    if (Result("NativeSetCanvasBackgroundImage",
               {Arg::Int(canvas), Arg::Int(back), Arg::Int(0), Arg::Int(0), Arg::Int(0)}) == 0)
      return 0;
    return uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("bg_zoom"), Arg::Int(8),
                                                      Arg::Int(4), Arg::Text("2.0"), Arg::Int(0), Arg::Int(500)}));
  }
  void WritePicture(const std::string& name) {
    Surface picture;
    ASSERT_EQ(picture.Create(16, 8, 32, 0), 0);
    pictures_.WritePicture(picture, name);
  }

  test::PictureFolder pictures_;
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
}

// Native 218 hands the assists of the background actions a canvas image as
// the layer object of its kind: they apply their rectangle or position to
// the image's canvas at once and write it out. Anything but a canvas image
// with a canvas is no layer object (-1).
TEST_F(LayerActionNativesTest, BackgroundAssistsWorkOnACanvasImage) {
  WritePicture("back.bmp");
  const uint32_t canvas = Canvas();
  const uint32_t back = uint32_t(Result("NativeLoadSurface", {Arg::Text("back.bmp"), Arg::Int(0)}));
  ASSERT_NE(Result("NativeSetCanvasBackgroundImage",
                   {Arg::Int(canvas), Arg::Int(back), Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0);
  SpriteCanvas* sprites = GetObjectSpriteCanvas(&Display(), canvas);
  ASSERT_NE(sprites, nullptr);
  // bg_panime: one key moves the canvas's background offset (before the
  // zoom, which gives the canvas a work copy that a path refuses).
  const NativeCall moved = Call("NativeCallLayerActionAssist", {Arg::Text("bg_panime"), Arg::Int(canvas),
                                                                Arg::Text("p3,2"), Arg::OutInt(7), Arg::OutInt(7)});
  ASSERT_EQ(moved.Result(), 0);
  EXPECT_EQ(Outputs(moved, 3, 2), (std::vector<uint32_t>{3, 2}));
  int32_t x = 0, y = 0;
  sprites->GetBackground(nullptr, &x, &y, nullptr, nullptr, nullptr);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(Call("NativeCallLayerActionAssist", {Arg::Text("bg_panime"), Arg::Int(kForged), Arg::Text("p3,2"),
                                                 Arg::OutInt(7), Arg::OutInt(7)})
                .Result(),
            -1);

  auto zoom = [&](int64_t layer) {
    return Call("NativeCallLayerActionAssist", {Arg::Text("bg_zoom"), Arg::Int(layer), Arg::Int(8), Arg::Int(4),
                                                Arg::Text("2.0"), Arg::OutInt(7), Arg::OutInt(7), Arg::OutInt(7),
                                                Arg::OutInt(7)});
  };
  for (int64_t layer : {kForged, int64_t(back), int64_t(Sprite(back)), int64_t(0)}) {
    EXPECT_EQ(zoom(layer).Result(), -1) << layer;
  }
  const NativeCall zoomed = zoom(canvas);
  ASSERT_EQ(zoomed.Result(), 0);
  // Half the 16 x 8 screen about (8, 4): 8 x 4 from (4, 2), stretched over
  // the whole canvas.
  EXPECT_EQ(Outputs(zoomed, 5, 4), (std::vector<uint32_t>{4, 2, 8, 4}));
  EXPECT_EQ(sprites->StretchWidth(), 16);
  EXPECT_EQ(sprites->StretchSource().Width(), 8);

  // bg_blur: scale 2.0 as a double in two cells, no turn.
  const uint64_t two = std::bit_cast<uint64_t>(2.0);
  const NativeCall blurred =
      Call("NativeCallLayerActionAssist",
           {Arg::Text("bg_blur"), Arg::Int(canvas), Arg::Int(8), Arg::Int(4), Arg::Int(int64_t(uint32_t(two))),
            Arg::Int(int64_t(two >> 32)), Arg::Int(0), Arg::Int(0), Arg::OutInt(7), Arg::OutInt(7), Arg::OutInt(7),
            Arg::OutInt(7)});
  ASSERT_EQ(blurred.Result(), 0);
  EXPECT_EQ(Outputs(blurred, 8, 4), (std::vector<uint32_t>{4, 2, 8, 4}));

}

// A sprite or canvas image the script deletes while an action works on it
// is let go first: the fade drops it and its run ends, the actions that
// cannot go on without their target end, and no step reaches freed memory.
TEST_F(LayerActionNativesTest, DeletingAnActionsTargetEndsItSafely) {
  const uint32_t canvas = Canvas();
  const uint32_t picture = Picture();
  const uint32_t kept = Sprite(picture);
  const uint32_t doomed = Sprite(picture);
  const uint32_t fade =
      uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_fade"), Arg::Int(2), Arg::Int(0)}));
  ASSERT_NE(fade, 0u);
  for (auto [entry, sprite, duration] : {std::tuple{0, doomed, 1000}, std::tuple{1, kept, 100}}) {
    ASSERT_EQ(Result("NativeControlLayerAction", {Arg::Int(fade), Arg::Int(2), Arg::Int(entry), Arg::Int(sprite),
                                                  Arg::Int(duration), Arg::Int(0), Arg::Int(1), Arg::Int(40),
                                                  Arg::Int(30)}),
              0);
  }
  const uint32_t wipe = StartGroupFade(canvas, doomed);
  ASSERT_NE(wipe, 0u);
  const uint32_t base = CurrentTickMs() + 1;
  timers_.Step(base);
  timers_.Step(base + 10);
  ASSERT_EQ(Call("NativeDeleteSprite", {Arg::OutInt(doomed)}).Result(), 0);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(fade)}), 1) << "the other entry still fades";
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(wipe)}), -1) << "the wipe ended with its sprite";
  for (uint32_t now = 20; now <= 400; now += 20) timers_.Step(base + now);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(fade)}), 0) << "the run ended";
  EXPECT_EQ(Display().GetSprite(kept)->GetX(), 40);
  EXPECT_FALSE(timers_.Contains(wipe));

  // A background action on a canvas image the script deletes ends with it.
  const uint32_t zoom = StartBackgroundZoom(canvas);
  ASSERT_NE(zoom, 0u);
  timers_.Step(base + 500);
  timers_.Step(base + 520);
  ASSERT_EQ(Call("NativeDeleteImage", {Arg::OutInt(canvas)}).Result(), 0);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(zoom)}), -1);
  for (uint32_t now = 540; now <= 1200; now += 20) timers_.Step(base + now);
  EXPECT_FALSE(timers_.Contains(zoom));
}

// The scripts that started the actions restart, and the display deletes
// every object while nothing of the new scripts watches it: the fade drops
// its sprite and runs on, the wipe and the canvas's action end, and no
// step reaches what went.
TEST_F(LayerActionNativesTest, ActionsOutliveTheScriptsThatStartedThem) {
  const uint32_t canvas = Canvas();
  const uint32_t doomed = Sprite(Picture());
  const uint32_t fade =
      uint32_t(Result("NativeStartLayerAction", {Arg::Int(canvas), Arg::Text("sp_fade"), Arg::Int(1), Arg::Int(0)}));
  ASSERT_NE(fade, 0u);
  ASSERT_EQ(Result("NativeControlLayerAction", {Arg::Int(fade), Arg::Int(2), Arg::Int(0), Arg::Int(doomed),
                                                Arg::Int(1000), Arg::Int(0), Arg::Int(1), Arg::Int(40), Arg::Int(30)}),
            0);
  const uint32_t wipe = StartGroupFade(canvas, doomed);
  ASSERT_NE(wipe, 0u);
  const uint32_t zoom = StartBackgroundZoom(canvas);
  ASSERT_NE(zoom, 0u);
  const uint32_t base = CurrentTickMs() + 1;
  timers_.Step(base);
  timers_.Step(base + 10);
  StartScripts();
  Display().DeleteAll();
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(wipe)}), -1);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(zoom)}), -1);
  for (uint32_t now = 20; now <= 1400; now += 20) timers_.Step(base + now);
  EXPECT_EQ(Result("NativeQueryLayerAction", {Arg::Int(fade)}), 0) << "the run ended without its sprite";
  EXPECT_FALSE(timers_.Contains(wipe));
  EXPECT_FALSE(timers_.Contains(zoom));
}

}  // namespace
}  // namespace orrivel::testing
