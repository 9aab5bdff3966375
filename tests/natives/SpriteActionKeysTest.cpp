// The keyed sprite actions started from key arrays in the script's arena
// (path on a sprite and on a scene object, size), and the lifetime of what
// the object timer list runs against the screen device's objects: deleting
// a sprite, a scene object or an image by any path while an action or an
// effect still runs on it stops that action or effect, and no step reaches
// the freed object (the sanitizer run checks the last part).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DisplayNativeRig.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "display/SceneObject.h"
#include "natives/DisplayObjectArguments.h"
#include "platform/Clock.h"
#include "raster/BlendTables.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "sound/movies/MoviePlayerRig.h"
#include "transition/TransitionEffect.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kDefaults = 65535;

class SpriteActionKeysTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    BuildBlendTables();
    // Image sprites draw through the pixel-operation library.
    pixelOps_ = std::make_unique<BoundPixelOps>();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    session_ = std::make_unique<NativeSession>(std::move(setup));
  }
  void TearDown() override {
    timers_.Clear();
    session_.reset();
    DisplayNativeRig::TearDown();
    pixelOps_.reset();
  }

  NativeSession& S() { return *session_; }
  uint32_t Picture(int32_t width, int32_t height) {
    const uint32_t handle = S().Call("NativeCreateSurface", {uint32_t(width), uint32_t(height), 32, 0});
    EXPECT_NE(handle, 0u);
    return handle;
  }
  uint32_t Sprite(uint32_t picture) {
    const uint32_t sprite = S().Call("NativeCreateImageSprite", {picture, 0, 0, 8, 8, 0, 0});
    EXPECT_NE(sprite, 0u);
    return sprite;
  }
  uint32_t ColorBox() {
    const uint32_t box = S().Call("NativeCreateD3DColorBox", {8, 6, 0xFF00FF00u, 1, 2});
    EXPECT_NE(box, 0u);
    return box;
  }
  // (a, b, opacity) triples in a block of the arena.
  uint32_t Keys(const std::vector<int32_t>& triples) {
    const uint32_t block = S().Block(triples.size() * 4);
    for (size_t i = 0; i < triples.size(); ++i) S().Space().Write32(block + uint32_t(4 * i), uint32_t(triples[i]));
    return block;
  }
  // Steps the object timer list at now and at now + ms.
  void Run(uint32_t ms) {
    clock_.SetTick(tick_);
    timers_.Step(tick_);
    tick_ += ms;
    clock_.SetTick(tick_);
    timers_.Step(tick_);
  }
  ImageSprite* Listed(uint32_t handle) { return dynamic_cast<ImageSprite*>(Display().GetSprite(handle)); }

  platform::ManualClock clock_;
  platform::ScopedClock scopedClock_{clock_};
  uint32_t tick_ = 1000;
  TimerList timers_;
  std::unique_ptr<BoundPixelOps> pixelOps_;
  std::unique_ptr<NativeSession> session_;
};

TEST_F(SpriteActionKeysTest, KeyArraysFromTheArenaDriveTheActionsToTheirLastKey) {
  const uint32_t sprite = Sprite(Picture(8, 8));
  const uint32_t box = ColorBox();
  const uint32_t path = Keys({10, 4, 255, 30, 12, 255});
  const uint32_t sizes = Keys({16, 12, 255, 24, 20, 128});
  struct Case {
    const char* native;
    std::vector<uint32_t> cells;
    std::function<void()> check;
  };
  const Case cases[] = {
      {"NativeStartSpritePathKeys", {sprite, 100, 2, path, 0, 0, kDefaults},
       [&] {
         EXPECT_EQ(Listed(sprite)->GetX(), 30);
         EXPECT_EQ(Listed(sprite)->GetY(), 12);
       }},
      {"NativeStartObjectPathKeys", {box, 100, 2, path, 0, 0, kDefaults},
       [&] {
         Rect bounds;
         ASSERT_TRUE(Display().GetSceneObject(box)->GetBounds(&bounds));
         EXPECT_EQ(bounds.left, 30);
         EXPECT_EQ(bounds.top, 12);
       }},
      {"NativeStartSpriteSizeKeys", {sprite, 100, 2, sizes, 0, 0, kDefaults},
       [&] {
         EXPECT_EQ(Listed(sprite)->GetDisplayWidth(), 24);
         EXPECT_EQ(Listed(sprite)->GetDisplayHeight(), 20);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.native);
    const uint32_t action = S().Call(c.native, c.cells);
    ASSERT_NE(action, 0u);
    EXPECT_EQ(S().Call("NativeTaskExists", {action}), 1u);
    Run(1000);
    c.check();
    EXPECT_EQ(S().Call("NativeTaskExists", {action}), 0u) << "done and gone";
  }
  // A count whose keys would run past the arena ends the step; none starts.
  for (const char* native : {"NativeStartSpritePathKeys", "NativeStartObjectPathKeys", "NativeStartSpriteSizeKeys"}) {
    SCOPED_TRACE(native);
    const uint32_t target = std::string(native) == "NativeStartObjectPathKeys" ? box : sprite;
    EXPECT_EQ(S().Call(native, {target, 100, 0x01000000, path, 0, 0, kDefaults}), 0u);
    EXPECT_TRUE(S().LastFailed());
  }
  EXPECT_EQ(timers_.Size(), 0u);
}

// Each way the screen device deletes a sprite, with a size, a rotate and a
// path action halfway through on it.
TEST_F(SpriteActionKeysTest, DeletingASpriteMidActionStopsItsActions) {
  struct Deletion {
    const char* name;
    std::function<void(NativeSession&, uint32_t sprite)> remove;
  };
  const Deletion deletions[] = {
      {"one sprite", [](NativeSession& s, uint32_t sprite) { EXPECT_EQ(s.Call("NativeDeleteSprite", {s.Var(sprite)}), 0u); }},
      {"its group", [](NativeSession& s, uint32_t) { s.Call("NativeDeleteSpriteGroup", {0, 0}); }},
      {"every sprite", [](NativeSession& s, uint32_t) { s.Call("NativeDeleteAllSprites", {}); }},
      {"every object", [](NativeSession& s, uint32_t) { s.Call("NativeDeleteAllDisplayObjects", {}); }},
  };
  const uint32_t picture = Picture(8, 8);
  for (const Deletion& deletion : deletions) {
    SCOPED_TRACE(deletion.name);
    const uint32_t sprite = Sprite(deletion.name == std::string("every object") ? Picture(8, 8) : picture);
    const uint32_t actions[] = {
        S().Call("NativeStartSpriteSize", {sprite, 100, S().Text("(16,16,255)(32,32,255)"), 0, 0, kDefaults}),
        S().Call("NativeStartSpriteRotate", {sprite, 100, S().Text("(128,1.0,255)(256,1.0,255)"), 0, 0, kDefaults}),
        S().Call("NativeStartSpritePath", {sprite, 100, S().Text("(4,4,255)(8,8,255)"), 0, 0, kDefaults}),
    };
    for (uint32_t action : actions) ASSERT_NE(action, 0u);
    Run(50);
    deletion.remove(S(), sprite);
    EXPECT_EQ(Display().GetSprite(sprite), nullptr);
    Run(50);
    Run(1000);
    for (uint32_t action : actions) EXPECT_EQ(S().Call("NativeTaskExists", {action}), 0u);
  }
}

TEST_F(SpriteActionKeysTest, DeletingASceneObjectMidPathStopsThePath) {
  const uint32_t box = ColorBox();
  const uint32_t action = S().Call("NativeStartObjectPath", {box, 100, S().Text("(4,4,255)(8,8,255)"), 0, 0, kDefaults});
  ASSERT_NE(action, 0u);
  Run(50);
  EXPECT_EQ(S().Call("NativeDeleteSceneObject", {S().Var(box)}), 0u);
  Run(50);
  EXPECT_EQ(S().Call("NativeTaskExists", {action}), 0u);
}

// An effect revealing one picture over another: deleting either ends it
// without another draw; the other picture keeps what was drawn so far.
TEST_F(SpriteActionKeysTest, DeletingAnImageAnEffectDrawsEndsTheEffect) {
  for (bool deleteTarget : {true, false}) {
    SCOPED_TRACE(deleteTarget ? "target" : "source");
    const uint32_t target = Picture(16, 16), source = Picture(16, 16);
    ASSERT_EQ(S().Call("NativeFillImage", {source, 255, 255, 255}), 0u);
    // Kind 2 reveals the source in strips over the duration.
    const uint32_t effect = S().Call("NativeStartTransitionEffect", {2, 1000, target, source, kDefaults});
    ASSERT_NE(effect, 0u);
    Run(300);
    const uint32_t kept = deleteTarget ? source : target;
    const std::vector<uint8_t> before(GetObjectSurface(kept)->GetScanLine(0),
                                      GetObjectSurface(kept)->GetScanLine(0) + 16 * 4);
    EXPECT_EQ(S().Call("NativeDeleteImage", {S().Var(deleteTarget ? target : source)}), 0u);
    Run(300);
    Run(1000);
    EXPECT_EQ(S().Call("NativeEffectAccepts", {effect}), 0u);
    EXPECT_FALSE(timers_.Contains(effect));
    const std::vector<uint8_t> after(GetObjectSurface(kept)->GetScanLine(0),
                                     GetObjectSurface(kept)->GetScanLine(0) + 16 * 4);
    EXPECT_EQ(after, before);
  }
}

// The scripts that started actions restart, and the new ones delete what
// the actions move before anything of theirs watches the screen device:
// the actions still stop without reaching it.
TEST_F(SpriteActionKeysTest, ActionsOutliveTheScriptsThatStartedThem) {
  const uint32_t sprite = Sprite(Picture(8, 8));
  const uint32_t box = ColorBox();
  const uint32_t actions[] = {
      S().Call("NativeStartSpriteSize", {sprite, 100, S().Text("(16,16,255)(32,32,255)"), 0, 0, kDefaults}),
      S().Call("NativeStartSpriteRotate", {sprite, 100, S().Text("(128,1.0,255)(256,1.0,255)"), 0, 0, kDefaults}),
      S().Call("NativeStartSpritePath", {sprite, 100, S().Text("(4,4,255)(8,8,255)"), 0, 0, kDefaults}),
      S().Call("NativeStartObjectPath", {box, 100, S().Text("(4,4,255)(8,8,255)"), 0, 0, kDefaults}),
  };
  for (uint32_t action : actions) ASSERT_NE(action, 0u);
  Run(50);
  session_.reset();
  GameHostSetup setup;
  setup.objectTimers = &timers_;
  session_ = std::make_unique<NativeSession>(std::move(setup));
  EXPECT_EQ(S().Call("NativeDeleteAllDisplayObjects", {}), 0u);
  Run(50);
  Run(1000);
  for (uint32_t action : actions) EXPECT_FALSE(timers_.Contains(action));
}

// The watcher and the screen device let go of each other whichever goes first.
TEST_F(SpriteActionKeysTest, HostAndScreenDeviceOutliveEachOtherSafely) {
  const uint32_t sprite = Sprite(Picture(8, 8));
  ASSERT_NE(S().Call("NativeStartSpritePath", {sprite, 100, S().Text("(4,4,255)"), 0, 0, kDefaults}), 0u);
  EXPECT_EQ(Display().WatcherCount(), 1u);
  timers_.Clear();
  session_.reset();
  EXPECT_EQ(Display().WatcherCount(), 0u);
  Display().DeleteAll();
}

}  // namespace
}  // namespace orrivel::testing
