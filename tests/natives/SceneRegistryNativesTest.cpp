// Natives 268 to 313 as compiled scripts call them: registering and
// ordering scene objects, the properties of each kind, transition objects
// driven by progress, and sprites moved along key points by a task that
// the task natives control.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "../scene/GoldenSupport.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "base/TickSource.h"
#include "base/TimerList.h"
#include "display/D3DColorBox.h"
#include "display/D3DPolygon.h"
#include "display/D3DTriangle.h"
#include "display/TransitionObject.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/Surface.h"
#include "scene/DrawObjectCreation.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

class SceneRegistryNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    harness_.reset();
    timers_.Clear();
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args = {}) {
    const NativeCall call = harness_->Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call;
  }
  int32_t Result(std::string_view native, const std::vector<Arg>& args = {}) { return Call(native, args).Result(); }
  uint32_t Made(std::string_view native, const std::vector<Arg>& args) { return uint32_t(Result(native, args)); }
  uint32_t Triangle(int32_t x = 0, int32_t y = 0) {
    return Made("NativeCreateD3DTriangle", {Arg::Int(0), Arg::Int(0), Arg::Int(16), Arg::Int(0), Arg::Int(0),
                                            Arg::Int(16), Arg::Int(0xFFFFFFFF), Arg::Int(x), Arg::Int(y)});
  }
  uint32_t Box(int32_t w, int32_t h, uint32_t argb, int32_t x, int32_t y) {
    return Made("NativeCreateD3DColorBox", {Arg::Int(w), Arg::Int(h), Arg::Int(argb), Arg::Int(x), Arg::Int(y)});
  }
  uint32_t SurfaceImage(int32_t w, int32_t h) {
    return Made("NativeCreateBlankSurfaceImage", {Arg::Int(w), Arg::Int(h)});
  }
  SceneObject* Object(uint32_t handle) { return Display().GetSceneObject(handle); }
  SceneObjectRegistry& Registry() { return Display().Registry(); }

  // The top-left corner of the back surface as a 32-bit picture.
  uint32_t BackCorner(int32_t width, int32_t height) {
    const uint32_t picture = Made("NativeCreateSurface", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(0)});
    Surface* surface = GetObjectSurface(picture);
    platform::SurfaceLock lock;
    EXPECT_EQ(back_->Lock(nullptr, &lock), 0);
    for (int32_t y = 0; y < height; ++y) std::memcpy(surface->GetScanLine(y), lock.bits + y * lock.pitch, 4 * width);
    back_->Unlock();
    return picture;
  }

  TimerList timers_;
  std::unique_ptr<NativeHarness> harness_;
};

TEST_F(SceneRegistryNativesTest, RegisteringOrdersByPriority) {
  const uint32_t a = Triangle(), b = Triangle(), c = Triangle(), d = Triangle();
  EXPECT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(a), Arg::Int(5), Arg::Int(1)}), 0);
  EXPECT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(b), Arg::Int(5), Arg::Int(1)}), 0);
  EXPECT_EQ(Result("NativeRegisterSceneObjectFirst", {Arg::Int(c), Arg::Int(5), Arg::Int(2)}), 0);
  // -1: priority 0 and flag 0, whatever the flag cell says.
  EXPECT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(d), Arg::Int(-1), Arg::Int(9)}), 0);
  ASSERT_EQ(Registry().GetCount(), 4u);
  EXPECT_EQ(Registry().At(0), Object(c)) << "before its equals";
  EXPECT_EQ(Registry().At(1), Object(a));
  EXPECT_EQ(Registry().At(2), Object(b));
  EXPECT_EQ(Registry().At(3), Object(d));
  EXPECT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(a), Arg::Int(5), Arg::Int(1)}), 2) << "already there";
  EXPECT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(0), Arg::Int(5), Arg::Int(1)}), 1);

  // 65535 shows or hides every object whatever its flag; otherwise both match.
  EXPECT_EQ(Result("NativeSetVisibleWhere", {Arg::Int(0), Arg::Int(65535), Arg::Int(7)}), 0);
  for (uint32_t h : {a, b, c, d}) EXPECT_EQ(Result("NativeIsSceneObjectVisible", {Arg::Int(h)}), 0);
  EXPECT_EQ(Result("NativeSetVisibleWhere", {Arg::Int(1), Arg::Int(5), Arg::Int(1)}), 0);
  EXPECT_TRUE(Object(a)->IsVisible());
  EXPECT_FALSE(Object(c)->IsVisible());
  EXPECT_EQ(Result("NativeSetSceneObjectVisible", {Arg::Int(c), Arg::Int(3)}), 1);
  EXPECT_TRUE(Object(c)->IsVisible());

  EXPECT_EQ(Result("NativeSetScenePriority", {Arg::Int(c), Arg::Int(5), Arg::Int(1)}), 0) << "unchanged";
  EXPECT_EQ(Result("NativeSetScenePriority", {Arg::Int(c), Arg::Int(5), Arg::Int(0)}), 1);
  EXPECT_EQ(Registry().At(2), Object(c)) << "moved after its equals";
  EXPECT_EQ(Result("NativeSetScenePriorityFirst", {Arg::Int(c), Arg::Int(5), Arg::Int(0)}), 1);
  EXPECT_EQ(Registry().At(0), Object(c));

  EXPECT_EQ(Result("NativeUnregisterFlag", {Arg::Int(9)}), 0);
  EXPECT_EQ(Registry().GetCount(), 4u) << "d was registered with flag 0";
  EXPECT_EQ(Result("NativeUnregisterFlag", {Arg::Int(0x100)}), 0);
  EXPECT_EQ(Registry().GetCount(), 3u);
  EXPECT_EQ(Result("NativeUnregisterSceneObject", {Arg::Int(c)}), 0);
  EXPECT_EQ(Result("NativeUnregisterPriority", {Arg::Int(5)}), 0);
  EXPECT_EQ(Registry().GetCount(), 0u);
}

TEST_F(SceneRegistryNativesTest, SettersActOnTheirKindsOnly) {
  const uint32_t image = Made("NativeCreateD3DImage", {Arg::Int(SurfaceImage(8, 8)), Arg::Absent()});
  const uint32_t triangle = Triangle();
  const uint32_t box = Box(10, 6, 0xFF808080, 0, 0);
  const uint32_t polygon = Made("NativeCreateD3DPolygon", {Arg::Int(2), Arg::Int(0xFFFFFFFF), Arg::Int(3), Arg::Int(0),
                                                           Arg::Int(0), Arg::Int(8), Arg::Int(0), Arg::Int(0),
                                                           Arg::Int(8)});
  const uint32_t states = Made("NativeCreateRenderStateSet", {});
  ASSERT_NE(image * triangle * box * polygon * states, 0u);
  uint32_t stale = Triangle();
  const uint32_t staleHandle = stale;
  Display().RemoveSceneObject(stale);
  struct Row {
    const char* native;
    std::vector<Arg> rest;
    uint32_t object;
    int32_t result;
  };
  const Row rows[] = {
      {"NativeSetSceneColor", {Arg::Int(0x123456)}, image, 0},
      {"NativeSetSceneColor", {Arg::Int(0x123456)}, triangle, 1},
      {"NativeSetSceneColor", {Arg::Int(0x123456)}, states, 0},
      {"NativeSetSceneColor", {Arg::Int(0x123456)}, staleHandle, 0},
      {"NativeSetSceneVertexColors", {Arg::Int(1), Arg::Int(2), Arg::Int(3), Arg::Int(4)}, box, 1},
      {"NativeSetSceneVertexColors", {Arg::Int(1), Arg::Int(2), Arg::Int(3), Arg::Int(4)}, triangle, 0},
      {"NativeSetTriangleVertexColors", {Arg::Int(1), Arg::Int(2), Arg::Int(3)}, triangle, 1},
      {"NativeSetTriangleVertexColors", {Arg::Int(1), Arg::Int(2), Arg::Int(3)}, box, 0},
      {"NativeSetSceneVertexColor", {Arg::Int(3), Arg::Int(0xFF)}, triangle, 0},
      {"NativeSetSceneVertexColor", {Arg::Int(2), Arg::Int(0xFF)}, triangle, 1},
      {"NativeSetPolygonPrimitive", {Arg::Int(6)}, polygon, 0},
      {"NativeSetPolygonPrimitive", {Arg::Int(1)}, triangle, 0},
      {"NativeSetScenePoint", {Arg::Int(2), Arg::Int(4), Arg::Int(4)}, polygon, 1},
      {"NativeSetScenePoint", {Arg::Int(3), Arg::Int(4), Arg::Int(4)}, triangle, 0},
      {"NativeSetD3DColorBoxSize", {Arg::Int(20), Arg::Int(12)}, box, 1},
      {"NativeSetD3DColorBoxSize", {Arg::Int(20), Arg::Int(12)}, triangle, 0},
      {"NativeSetQuadStage1", {Arg::Int(1), Arg::Int(2), Arg::Int(3)}, box, 0},
      {"NativeSetSceneObjectAnchor", {Arg::Int(4), Arg::Int(0)}, box, 1},
      {"NativeSetSceneObjectAnchor", {Arg::Int(4), Arg::Int(0)}, image, 0},
      {"NativeSetSceneObjectAnchor", {Arg::Int(4), Arg::Int(0)}, polygon, 1},
      {"NativeSetSceneObjectAnchor", {Arg::Int(3), Arg::Int(0)}, triangle, 1},
      {"NativeSetSceneObjectAnchor", {Arg::Int(0), Arg::Int(0)}, states, 0},
      {"NativeSetSceneObjectPosition", {Arg::Int(3), Arg::Int(4)}, states, 1},
      {"NativeSetSceneObjectPosition", {Arg::Int(3), Arg::Int(4)}, staleHandle, 0},
      {"NativeDrawTransitionObject", {Arg::Int(128)}, image, -1},
      {"NativeSetTransitionMode", {Arg::Int(3)}, image, 0},
      {"NativeSetSceneObjectImage", {Arg::Int(0)}, triangle, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.native) + " on " + std::to_string(row.object));
    std::vector<Arg> args = {Arg::Int(row.object)};
    args.insert(args.end(), row.rest.begin(), row.rest.end());
    EXPECT_EQ(Result(row.native, args), row.result);
  }
  auto* t = dynamic_cast<D3DTriangle*>(Object(triangle));
  EXPECT_EQ(t->Vertices()[2].diffuse, 0xFF0000FFu) << "the colour changes, the alpha stays";
  EXPECT_EQ(dynamic_cast<D3DPolygon*>(Object(polygon))->Mode(), D3DPolygon::kModeFan) << "index 6 changed nothing";

  // Alphas are held to 0-255.
  uint8_t alpha = 0;
  EXPECT_EQ(Result("NativeSetSceneAlpha", {Arg::Int(triangle), Arg::Int(300)}), 1);
  ASSERT_TRUE(Object(triangle)->GetAlpha(&alpha));
  EXPECT_EQ(alpha, 255);
  EXPECT_EQ(Result("NativeSetSceneAlpha", {Arg::Int(triangle), Arg::Int(-5)}), 1);
  ASSERT_TRUE(Object(triangle)->GetAlpha(&alpha));
  EXPECT_EQ(alpha, 0);
  EXPECT_EQ(Result("NativeSetTriangleVertexAlphas", {Arg::Int(triangle), Arg::Int(10), Arg::Int(20), Arg::Int(999)}),
            1);
  EXPECT_EQ(t->Vertices()[2].diffuse >> 24, 255u);
}

TEST_F(SceneRegistryNativesTest, PositionsBoundsAndHits) {
  const uint32_t box = Box(10, 6, 0xFF808080, 0, 0);
  const uint32_t other = Box(4, 4, 0xFF808080, 30, 30);
  EXPECT_EQ(Result("NativeSetSceneObjectSizeAndPosition", {Arg::Int(box), Arg::Int(12), Arg::Int(8), Arg::Int(2),
                                                          Arg::Int(3)}),
            1);
  EXPECT_EQ(Result("NativeMoveSceneObject", {Arg::Int(box), Arg::Int(1), Arg::Int(1)}), 1);
  const uint32_t kUntouched = 0x5A5A;
  NativeCall call = Call("NativeGetSceneObjectBounds", {Arg::Int(box), Arg::OutInt(kUntouched), Arg::Int(0),
                                                        Arg::Int(0), Arg::Int(0)});
  EXPECT_EQ(call.result, 1u);
  EXPECT_EQ(call.ints[1], 3u);
  call = Call("NativeGetSceneObjectBounds", {Arg::Int(box), Arg::OutInt(kUntouched), Arg::OutInt(kUntouched),
                                             Arg::OutInt(kUntouched), Arg::OutInt(kUntouched)});
  EXPECT_EQ(call.ints[2], 4u);
  EXPECT_EQ(call.ints[3], 15u);
  EXPECT_EQ(call.ints[4], 12u);
  EXPECT_EQ(Result("NativeHitTestSceneObject", {Arg::Int(box), Arg::Int(5), Arg::Int(5), Arg::Int(0)}), 1);
  EXPECT_EQ(Result("NativeHitTestSceneObject", {Arg::Int(box), Arg::Int(15), Arg::Int(5), Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeSceneObjectsOverlap", {Arg::Int(box), Arg::Int(other)}), 0);
  EXPECT_EQ(Result("NativeSetSceneObjectPosition", {Arg::Int(other), Arg::Int(10), Arg::Int(8)}), 1);
  EXPECT_EQ(Result("NativeSceneObjectsOverlap", {Arg::Int(box), Arg::Int(other)}), 1);
  EXPECT_EQ(Result("NativeGetSceneObjectBounds", {Arg::Int(Made("NativeCreateStageStateSet", {})), Arg::OutInt()}),
            0);
  // Moves past the 32-bit range stop at its edge, for placed objects and
  // transition objects alike.
  const uint32_t transition =
      Made("NativeCreateTransitionObject", {Arg::Int(0), Arg::Int(SurfaceImage(4, 4)), Arg::Int(3), Arg::Absent()});
  for (const uint32_t object : {other, transition}) {
    EXPECT_EQ(Result("NativeSetSceneObjectPosition", {Arg::Int(object), Arg::Int(0x7FFFFFFF), Arg::Int(INT32_MIN)}),
              1);
    EXPECT_EQ(Result("NativeMoveSceneObject", {Arg::Int(object), Arg::Int(0x8000), Arg::Int(-1)}), 1);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(Object(object)->GetPosition(&x, &y));
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
  }
}

TEST_F(SceneRegistryNativesTest, TransitionObjectsStepByProgress) {
  const uint32_t source = SurfaceImage(16, 16);
  const uint32_t destination = SurfaceImage(16, 16);
  const uint32_t object =
      Made("NativeCreateTransitionObject", {Arg::Int(0), Arg::Int(source), Arg::Int(3), Arg::Absent()});
  ASSERT_NE(object, 0u);
  auto* transition = dynamic_cast<TransitionObject*>(Object(object));
  EXPECT_EQ(Result("NativeSetTransitionMode", {Arg::Int(object), Arg::Int(7)}), 1);
  EXPECT_EQ(transition->Mode(), 7u);
  EXPECT_EQ(Result("NativeSetTransitionOffset", {Arg::Int(object), Arg::Int(4), Arg::Int(5)}), 1);
  EXPECT_EQ(Result("NativeMoveTransitionOffset", {Arg::Int(object), Arg::Int(1), Arg::Int(1)}), 1);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(transition->GetPosition(&x, &y));
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 6);
  EXPECT_EQ(Result("NativeSetTransitionDestination", {Arg::Int(object), Arg::Int(destination)}), 0);
  EXPECT_EQ(transition->Destination(), Display().GetImage(destination));
  // Without a transition library the draw fails as the object says; the
  // progress goes no further.
  const int32_t drawn = Result("NativeDrawTransitionObject", {Arg::Int(object), Arg::Int(128)});
  EXPECT_EQ(drawn, transition->DrawStep(128));
  EXPECT_EQ(Result("NativeSetTransitionDestination", {Arg::Int(object), Arg::Int(0x7FFFFFFF)}), 0)
      << "a handle of no image clears the destination";
  EXPECT_EQ(transition->Destination(), nullptr);
}

TEST_F(SceneRegistryNativesTest, ASceneOfAnImageAColourBoxAndATriangle) {
  const uint32_t picture = SurfaceImage(16, 16);
  ASSERT_EQ(Result("NativeFillImage", {Arg::Int(picture), Arg::Int(0), Arg::Int(160), Arg::Int(220)}), 0);
  const uint32_t image = Made("NativeCreateD3DImage", {Arg::Int(picture), Arg::Absent()});
  const uint32_t box = Box(24, 16, 0xFF000000, 20, 4);
  const uint32_t triangle = Triangle(8, 20);
  ASSERT_EQ(Result("NativeSetSceneVertexColors", {Arg::Int(box), Arg::Int(0xFF0000), Arg::Int(0x00FF00),
                                                  Arg::Int(0x0000FF), Arg::Int(0xFFFFFF)}),
            1);
  ASSERT_EQ(Result("NativeSetTriangleVertexColors", {Arg::Int(triangle), Arg::Int(0xFFFF00), Arg::Int(0xFF00FF),
                                                     Arg::Int(0x00FFFF)}),
            1);
  ASSERT_EQ(Result("NativeSetSceneObjectPosition", {Arg::Int(image), Arg::Int(2), Arg::Int(2)}), 1);
  for (uint32_t h : {triangle, box, image}) {
    ASSERT_EQ(Result("NativeRegisterSceneObject", {Arg::Int(h), Arg::Int(1), Arg::Int(0)}), 0);
  }
  ASSERT_EQ(back_->ColorFill(nullptr, 0x202020), 0);
  ASSERT_EQ(Registry().DrawAll(0, 0, &Display()), 0);
  test::ExpectGolden(*GetObjectSurface(BackCorner(48, 40)), "scene_image_box_triangle", "natives");
}

TEST_F(SceneRegistryNativesTest, SpritePathsRunAsTasks) {
  BoundPixelOps pixelOps;
  const uint32_t canvas =
      Made("NativeCreateCanvasImage", {Arg::Int(48), Arg::Int(32), Arg::Int(32), Arg::Int(1)});
  const uint32_t picture = Made("NativeCreateSurface", {Arg::Int(8), Arg::Int(8), Arg::Int(32), Arg::Int(0)});
  ASSERT_EQ(Result("NativeFillImage", {Arg::Int(picture), Arg::Int(255), Arg::Int(200), Arg::Int(0)}), 0);
  uint32_t sprite = 0;
  ASSERT_EQ(CreateImageSprite(Display(), &sprite, picture, nullptr, 0, 0), 0);
  SpriteCanvas* sprites = GetObjectSpriteCanvas(canvas);
  ASSERT_NE(sprites, nullptr);
  ASSERT_EQ(sprites->MainList().Add(Display().GetSprite(sprite), 0, 0), 0);
  auto* moved = dynamic_cast<ImageSprite*>(Display().GetSprite(sprite));

  const uint32_t path = Made("NativeStartSpritePath", {Arg::Int(sprite), Arg::Int(1000),
                                                       Arg::Text("(40,24,255)"), Arg::Int(0), Arg::Int(0),
                                                       Arg::Absent()});
  ASSERT_NE(path, 0u);
  EXPECT_EQ(Result("NativeTaskExists", {Arg::Int(path)}), 1);
  // Due from the clock's now on: the first step takes the time base.
  const uint32_t start = CurrentTickMs() + 1000;
  timers_.Step(start);
  timers_.Step(start + 500);
  EXPECT_NEAR(moved->GetX(), 20, 1);
  EXPECT_NEAR(moved->GetY(), 12, 1);
  sprites->Render(nullptr, nullptr, 0, 0);
  test::ExpectGolden(*GetObjectSurface(canvas), "sprite_halfway_along_path", "natives");
  // The task natives control it by its handle.
  EXPECT_EQ(Result("NativePauseTask", {Arg::Int(path)}), 1);
  EXPECT_EQ(Call("NativeStopTask", {Arg::OutInt(path)}).result, 1u);
  timers_.Step(start + 600);
  EXPECT_EQ(Result("NativeTaskExists", {Arg::Int(path)}), 0);

  // Keys from an array: none given starts nothing.
  EXPECT_EQ(Made("NativeStartSpritePathKeys", {Arg::Int(sprite), Arg::Int(100), Arg::Int(0), Arg::Int(0),
                                               Arg::Int(0), Arg::Int(0), Arg::Absent()}),
            0u);
  // Refusals: no keys, no sprite, a count running past the arena.
  EXPECT_EQ(Made("NativeStartSpritePath", {Arg::Int(sprite), Arg::Int(100), Arg::Text(""), Arg::Int(0), Arg::Int(0),
                                           Arg::Absent()}),
            0u);
  EXPECT_EQ(Made("NativeStartSpritePath", {Arg::Int(0), Arg::Int(100), Arg::Text("(0,0,255)(1,1,255)"), Arg::Int(0),
                                           Arg::Int(0), Arg::Absent()}),
            0u);
  const NativeCall past = harness_->Call("NativeStartSpritePathKeys", {Arg::Int(sprite), Arg::Int(100),
                                                                       Arg::Int(0x10000000), Arg::Int(16),
                                                                       Arg::Int(0), Arg::Int(0), Arg::Absent()});
  EXPECT_FALSE(past.Ran());
}

}  // namespace
}  // namespace orrivel::testing
