// Natives 399 to 462 as compiled scripts call them: sprites and colour boxes
// in the screen device's list, the main and overlay lists of a canvas
// image, its background and render, the common drawable properties, the
// keyed actions on the object timer list, and what only image sprites or
// only colour boxes have; every row refuses a stale or foreign handle.
#include <gtest/gtest.h>

#include "../scene/GoldenSupport.h"
#include "DisplayNativeRig.h"
#include "NativeHarness.h"
#include "base/TimerList.h"
#include "platform/Clock.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/BlendTables.h"
#include "raster/ColorBox.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "sound/movies/MoviePlayerRig.h"

namespace orrivel::testing {
namespace {

class SpriteNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    BuildBlendTables();
    pixelOps_ = std::make_unique<BoundPixelOps>();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    timers_.Clear();
    harness_.reset();
    DisplayNativeRig::TearDown();
    pixelOps_.reset();
    SpriteCanvas::SetBandedRendering(true);
  }

  int32_t Result(std::string_view native, const std::vector<Arg>& args = {}) {
    const NativeCall call = harness_->Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call.Result();
  }
  uint32_t Made(std::string_view native, const std::vector<Arg>& args) { return uint32_t(Result(native, args)); }
  // A canvas image (with an overlay list when asked) and its canvas.
  uint32_t Canvas(int32_t width, int32_t height, bool overlay) {
    return Made("NativeLoadCanvasImage", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(overlay ? 2 : 1)});
  }
  // A 32-bit memory picture in one opaque colour.
  uint32_t Picture(int32_t width, int32_t height, uint32_t rgb) {
    const uint32_t handle =
        Made("NativeCreateSurface", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(0)});
    Surface* surface = GetObjectSurface(handle);
    EXPECT_NE(surface, nullptr);
    if (surface == nullptr) return 0;
    for (int32_t y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(surface->GetScanLine(y));
      for (int32_t x = 0; x < width; ++x) row[x] = 0xFF000000u | rgb;
    }
    return handle;
  }
  // A sprite of the whole picture at (x, y).
  uint32_t Sprite(uint32_t picture, int32_t x, int32_t y) {
    Surface* surface = GetObjectSurface(picture);
    const int32_t width = surface != nullptr ? surface->GetWidth() : 0;
    const int32_t height = surface != nullptr ? surface->GetHeight() : 0;
    return Made("NativeCreateImageSprite", {Arg::Int(picture), Arg::Int(0), Arg::Int(0), Arg::Int(width),
                                            Arg::Int(height), Arg::Int(x), Arg::Int(y)});
  }
  uint32_t Box(int32_t width, int32_t height, uint32_t argb, int32_t x, int32_t y) {
    return Made("NativeCreateColorBoxSprite",
                {Arg::Int(width), Arg::Int(height), Arg::Int(argb), Arg::Int(x), Arg::Int(y)});
  }
  int32_t Add(uint32_t canvas, uint32_t drawable, int64_t order, uint32_t flags, uint32_t overlay) {
    return Result("NativeAddToCanvas",
                  {Arg::Int(canvas), Arg::Int(drawable), Arg::Int(order), Arg::Int(flags), Arg::Int(overlay)});
  }
  Drawable* Listed(uint32_t handle) { return Display().GetSprite(handle); }

  platform::ManualClock clock_;
  platform::ScopedClock scopedClock_{clock_};
  TimerList timers_;
  std::unique_ptr<BoundPixelOps> pixelOps_;
  std::unique_ptr<NativeHarness> harness_;
};

// Native 399 resolves its image as every image native does: a canvas image
// gives the surface of its canvas part, and a sprite over it lets go of it
// when the canvas image is deleted.
TEST_F(SpriteNativesTest, CanvasImagesGiveTheirSurfaceToNewSprites) {
  const uint32_t canvas = Canvas(8, 6, false);
  ASSERT_NE(canvas, 0u);
  const uint32_t sprite = Made("NativeCreateImageSprite", {Arg::Int(canvas), Arg::Int(65535), Arg::Int(0),
                                                           Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)});
  ASSERT_NE(sprite, 0u);
  auto* image = dynamic_cast<ImageSprite*>(Listed(sprite));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetSource(), GetObjectSurface(canvas));
  EXPECT_EQ(image->GetWidth(), 8);
  // A handle that names no image gives no sprite.
  EXPECT_EQ(Made("NativeCreateImageSprite", {Arg::Int(4096), Arg::Int(65535), Arg::Int(0), Arg::Int(0),
                                             Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0u);
  EXPECT_EQ(harness_->Call("NativeDeleteImage", {Arg::OutInt(canvas)}).Result(), 0);
  EXPECT_EQ(image->GetSource(), nullptr);
  EXPECT_EQ(image->IsVisible(), 0);
}

TEST_F(SpriteNativesTest, SpritesLiveInTheDeviceListByGroupAndDieThroughTheirVariable) {
  const uint32_t picture = Picture(8, 6, 0x00FF00);
  EXPECT_EQ(Result("NativeSetSpriteGroupId", {Arg::Int(5)}), 0);
  const uint32_t sprite = Sprite(picture, 3, 4);
  ASSERT_NE(sprite, 0u);
  EXPECT_EQ(Display().GetSpriteGroupId(sprite), 5u);
  auto* image = dynamic_cast<ImageSprite*>(Listed(sprite));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetX(), 3);
  EXPECT_EQ(image->GetY(), 4);
  // 65535: the whole picture at (0, 0), whatever cells 5 and 6 say.
  const uint32_t whole = Made("NativeCreateImageSprite", {Arg::Int(picture), Arg::Int(65535), Arg::Int(0),
                                                          Arg::Int(0), Arg::Int(0), Arg::Int(3), Arg::Int(4)});
  ASSERT_NE(Listed(whole), nullptr);
  EXPECT_EQ(Listed(whole)->GetWidth(), 8);
  EXPECT_EQ(Listed(whole)->GetX(), 0);

  EXPECT_EQ(Result("NativeSetSpriteGroupId", {Arg::Int(6)}), 5);
  const uint32_t box = Box(4, 4, 0x80FF0000u, 1, 2);
  ASSERT_NE(box, 0u);
  EXPECT_EQ(Listed(box)->GetKind(), 1);
  const uint32_t copy = Made("NativeCopyImageSprite", {Arg::Int(sprite)});
  EXPECT_NE(copy, 0u);
  EXPECT_EQ(Made("NativeCopyImageSprite", {Arg::Int(box)}), 0u);      // colour boxes are not copied
  EXPECT_EQ(Made("NativeCopyImageSprite", {Arg::Int(picture)}), 0u);  // nor pictures
  EXPECT_EQ(Made("NativeCreateImageSprite", {Arg::Int(box), Arg::Int(65535), Arg::Int(0), Arg::Int(0),
                                             Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0u);

  // Deleting through the variable: cleared on success, kept otherwise.
  NativeCall call = harness_->Call("NativeDeleteSprite", {Arg::OutInt(copy)});
  EXPECT_EQ(call.Result(), 0);
  EXPECT_EQ(call.ints[0], 0u);
  call = harness_->Call("NativeDeleteSprite", {Arg::OutInt(copy)});
  EXPECT_EQ(call.Result(), 2);
  EXPECT_EQ(call.ints[0], copy);

  EXPECT_EQ(Result("NativeDeleteSpriteGroup", {Arg::Int(5), Arg::Int(1)}), 0);  // every group but 5
  EXPECT_EQ(Listed(box), nullptr);
  EXPECT_NE(Listed(sprite), nullptr);
  EXPECT_EQ(Result("NativeDeleteAllSprites"), 0);
  EXPECT_EQ(Display().SpriteCount(), 0u);
}

TEST_F(SpriteNativesTest, CanvasListsTakeDrawablesInTheMainOrOverlayList) {
  const uint32_t canvas = Canvas(16, 16, true);
  const uint32_t plain = Canvas(16, 16, false);
  SpriteCanvas* sprites = GetObjectSpriteCanvas(canvas);
  ASSERT_NE(sprites, nullptr);
  ASSERT_NE(sprites->OverlayList(), nullptr);
  const uint32_t a = Box(2, 2, 0xFF0000FFu, 0, 0), b = Box(2, 2, 0xFF00FF00u, 4, 4), c = Box(2, 2, 0xFFFF0000u, 8, 8);

  // Order -1: the main list at order 0 without flags, whatever the overlay cell.
  EXPECT_EQ(Add(canvas, a, -1, 9, 1), 0);
  ASSERT_NE(sprites->MainList().Head(), nullptr);
  EXPECT_EQ(sprites->MainList().Head()->drawable, Listed(a));
  EXPECT_EQ(sprites->MainList().Head()->order, 0u);
  EXPECT_EQ(sprites->MainList().Head()->flags, 0u);
  EXPECT_EQ(Add(canvas, b, 3, 2, 1), 0);
  EXPECT_EQ(sprites->OverlayList()->Head()->drawable, Listed(b));
  EXPECT_EQ(Add(canvas, a, 1, 0, 0), 2);                // already listed
  EXPECT_EQ(Add(plain, c, 1, 0, 1), 4);                 // no overlay list
  EXPECT_EQ(GetObjectSpriteCanvas(plain)->MainList().Head(), nullptr);
  EXPECT_EQ(Add(a, c, 1, 0, 0), -1);                    // not a canvas
  EXPECT_EQ(Add(canvas, 0, 1, 0, 0), 1);                // no drawable
  EXPECT_EQ(Result("NativeAddToCanvasAfterEqual",
                   {Arg::Int(canvas), Arg::Int(c), Arg::Int(0), Arg::Int(4), Arg::Int(0)}),
            0);
  EXPECT_EQ(sprites->MainList().Tail()->drawable, Listed(c));  // after the equal order

  // Tags swap through the old value; state: listed and visible, hidden, none.
  EXPECT_EQ(Result("NativeSetDrawableTag", {Arg::Int(a), Arg::Int(7)}), 0);
  EXPECT_EQ(Result("NativeSetDrawableTag", {Arg::Int(a), Arg::Int(8)}), 7);
  EXPECT_EQ(Result("NativeGetDrawableState", {Arg::Int(b)}), 2);
  EXPECT_EQ(Result("NativeSetDrawableVisible", {Arg::Int(b), Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeGetDrawableState", {Arg::Int(b)}), 1);
  EXPECT_EQ(Result("NativeRemoveFromCanvas", {Arg::Int(canvas), Arg::Int(b)}), 1);  // from the overlay
  EXPECT_EQ(Result("NativeGetDrawableState", {Arg::Int(b)}), 0);
  EXPECT_EQ(Result("NativeRemoveFromCanvas", {Arg::Int(canvas), Arg::Int(b)}), 0);

  EXPECT_EQ(Result("NativeSetCanvasOrder", {Arg::Int(canvas), Arg::Int(a), Arg::Int(5), Arg::Int(0)}), 1);
  EXPECT_EQ(sprites->MainList().Tail()->drawable, Listed(a));
  EXPECT_EQ(Result("NativeSetCanvasOrderAfterEqual", {Arg::Int(canvas), Arg::Int(b), Arg::Int(5), Arg::Int(0)}), 0);

  // Visibility by order with "any flags", then removal by flags.
  EXPECT_EQ(Result("NativeSetCanvasVisibleWhere",
                   {Arg::Int(canvas), Arg::Int(0), Arg::Int(5), Arg::Int(65535), Arg::Int(0), Arg::Int(0)}),
            0);
  EXPECT_FALSE(Listed(a)->IsVisible());
  EXPECT_TRUE(Listed(c)->IsVisible());
  EXPECT_EQ(Result("NativeRemoveMatchingFromCanvas", {Arg::Int(canvas), Arg::Int(4), Arg::Int(-1), Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeGetDrawableState", {Arg::Int(c)}), 0);
  EXPECT_EQ(Result("NativeRemoveOrderFromCanvas", {Arg::Int(canvas), Arg::Int(5)}), 0);
  EXPECT_EQ(Result("NativeGetDrawableState", {Arg::Int(a)}), 0);
  EXPECT_EQ(Add(canvas, a, 1, 0, 0), 0);
  EXPECT_EQ(Add(canvas, b, 1, 0, 1), 0);
  EXPECT_EQ(Result("NativeClearCanvas", {Arg::Int(canvas)}), 0);
  EXPECT_EQ(sprites->MainList().Head(), nullptr);
  EXPECT_EQ(sprites->OverlayList()->Head(), nullptr);
}

TEST_F(SpriteNativesTest, BackgroundAndRender) {
  const uint32_t canvas = Canvas(8, 8, false);
  SpriteCanvas* sprites = GetObjectSpriteCanvas(canvas);
  const uint32_t picture = Picture(8, 8, 0x123456);
  EXPECT_EQ(Result("NativeSetCanvasBackgroundImage",
                   {Arg::Int(canvas), Arg::Int(picture), Arg::Int(0), Arg::Int(0), Arg::Int(1)}),
            1);
  EXPECT_EQ(Result("NativeSetCanvasBackgroundImage",
                   {Arg::Int(canvas), Arg::Int(0x7777), Arg::Int(0), Arg::Int(0), Arg::Int(1)}),
            0);  // a background that names nothing changes nothing
  // Mode 2 records the colour and keeps the picture.
  EXPECT_EQ(Result("NativeSetCanvasBackgroundColor", {Arg::Int(canvas), Arg::Int(0xFF00FF), Arg::Int(2)}), 1);
  EXPECT_EQ(sprites->GetBackgroundValue(), 0xFF00FFu);
  Surface* background = nullptr;
  sprites->GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(background, GetObjectSurface(picture));
  NativeCall call = harness_->Call("NativeGetCanvasBackground",
                                   {Arg::Int(canvas), Arg::OutInt(), Arg::Int(0), Arg::Int(0), Arg::OutInt(9),
                                    Arg::OutInt(), Arg::OutInt()});
  EXPECT_EQ(call.Result(), 1);
  EXPECT_EQ(call.ints[1], picture);
  EXPECT_EQ(call.ints[4], 0xFFu);  // red
  EXPECT_EQ(call.ints[6], 0xFFu);  // blue

  // Render: something, then nothing dirty; frozen counts as done.
  EXPECT_EQ(Result("NativeMarkCanvasChanged", {Arg::Int(canvas)}), 0);
  EXPECT_EQ(Result("NativeRenderCanvas", {Arg::Int(canvas)}), 0);
  EXPECT_EQ(PixelAt(GetObjectSurface(canvas), 3, 3), 0x123456u);
  EXPECT_EQ(Result("NativeRenderCanvas", {Arg::Int(canvas)}), -1);
  EXPECT_EQ(Result("NativeSetCanvasBackgroundOffset", {Arg::Int(canvas), Arg::Int(0), Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeSetCanvasBackgroundOffset", {Arg::Int(canvas), Arg::Int(2), Arg::Int(0)}), 0);
  sprites->SetFrozen(true);
  EXPECT_EQ(Result("NativeRenderCanvas", {Arg::Int(canvas)}), 0);
  sprites->SetFrozen(false);
  EXPECT_EQ(Result("NativeRenderCanvas", {Arg::Int(picture)}), -1);  // not a canvas

  // Mode 0 drops the picture for the colour.
  EXPECT_EQ(Result("NativeSetCanvasBackgroundColor", {Arg::Int(canvas), Arg::Int(0x00FF00), Arg::Int(1)}), 1);
  EXPECT_EQ(Result("NativeRenderCanvas", {Arg::Int(canvas)}), 0);
  EXPECT_EQ(PixelAt(GetObjectSurface(canvas), 3, 3), 0x00FF00u);

  // Into another picture, the full-redraw flag and the switches.
  const uint32_t into = Picture(8, 8, 0);
  EXPECT_EQ(Result("NativeRenderCanvasInto",
                   {Arg::Int(canvas), Arg::Int(into), Arg::Int(0), Arg::Int(0), Arg::Int(1)}),
            0);
  EXPECT_EQ(PixelAt(GetObjectSurface(into), 1, 1), 0x00FF00u);
  EXPECT_EQ(Result("NativeRenderCanvasInto", {Arg::Int(canvas), Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(1)}),
            -1);
  EXPECT_EQ(Result("NativeRenderCanvasInto", {Arg::Int(into), Arg::Int(into), Arg::Int(0), Arg::Int(0), Arg::Int(1)}),
            -2);
  const uint8_t before = GetCanvasPart(canvas)->IsPrepared();
  EXPECT_EQ(Result("NativeSetCanvasFullRedraw", {Arg::Int(canvas), Arg::Int(before ? 0 : 1)}), before);
  EXPECT_EQ(Result("NativeSetCanvasFullRedraw", {Arg::Int(canvas), Arg::Int(before)}), before ? 0 : 1);
  EXPECT_EQ(Result("NativeSetCanvasFullRedraw", {Arg::Int(picture), Arg::Int(1)}), 0);
  EXPECT_EQ(Result("NativeSetCanvasListsHidden", {Arg::Int(canvas), Arg::Int(1), Arg::Int(0)}), 0);
  EXPECT_TRUE(sprites->MainHidden());
  EXPECT_EQ(Result("NativeSetCanvasSkipBackground", {Arg::Int(picture), Arg::Int(1)}), -1);
  EXPECT_EQ(Result("NativeAddCanvasDirtyRect", {Arg::Int(canvas), Arg::Int(0), Arg::Int(0), Arg::Int(2), Arg::Int(2)}),
            1);
  EXPECT_EQ(Result("NativeSetCompositorSwitch", {Arg::Int(0)}), 0);
  EXPECT_FALSE(SpriteCanvas::BandedRendering());
}

TEST_F(SpriteNativesTest, DrawablePropertiesAndKindOnlyRows) {
  const uint32_t picture = Picture(8, 8, 0xFFFFFF);
  const uint32_t sprite = Sprite(picture, 10, 10);
  const uint32_t box = Box(4, 4, 0xFF000000u, 0, 0);
  auto* image = dynamic_cast<ImageSprite*>(Listed(sprite));
  auto* colour = dynamic_cast<ColorBox*>(Listed(box));
  ASSERT_NE(image, nullptr);
  ASSERT_NE(colour, nullptr);

  // Anchor code 7 puts the centre at (x, y); 4 the middle.
  EXPECT_EQ(Result("NativeSetSpriteAnchor", {Arg::Int(sprite), Arg::Int(7), Arg::Int(3), Arg::Int(5)}), 1);
  EXPECT_EQ(image->GetCentreX(), 3);
  EXPECT_EQ(image->GetCentreY(), 5);
  EXPECT_EQ(Result("NativeSetSpriteAnchor", {Arg::Int(sprite), Arg::Int(4), Arg::Int(3), Arg::Int(5)}), 1);
  EXPECT_EQ(image->GetCentreX(), 4);

  EXPECT_EQ(Result("NativeMoveDrawable", {Arg::Int(sprite), Arg::Int(2), Arg::Int(0)}), 1);
  EXPECT_EQ(Result("NativeMoveDrawable", {Arg::Int(sprite), Arg::Int(0), Arg::Int(0)}), 0);
  NativeCall call = harness_->Call("NativeGetDrawableBounds",
                                   {Arg::Int(sprite), Arg::OutInt(), Arg::Int(0), Arg::OutInt(), Arg::Int(0)});
  EXPECT_EQ(call.Result(), 1);
  EXPECT_EQ(call.ints[1], 12u);
  EXPECT_EQ(call.ints[3], 20u);
  EXPECT_EQ(Result("NativeHitTestDrawable", {Arg::Int(sprite), Arg::Int(13), Arg::Int(11), Arg::Int(1)}), 1);
  EXPECT_EQ(Result("NativeHitTestDrawable", {Arg::Int(sprite), Arg::Int(1), Arg::Int(1), Arg::Int(0)}), 0);
  EXPECT_EQ(Result("NativeDrawablesOverlap", {Arg::Int(sprite), Arg::Int(box)}), 0);
  EXPECT_EQ(Result("NativeDrawableRectVisible", {Arg::Int(sprite), Arg::Int(6), Arg::Int(6), Arg::Int(9), Arg::Int(9)}),
            1);
  EXPECT_EQ(Result("NativeDrawableRectVisible",
                   {Arg::Int(sprite), Arg::Int(8), Arg::Int(0), Arg::Int(12), Arg::Int(4)}),
            0);
  EXPECT_EQ(Result("NativeSetDrawableMode", {Arg::Int(box), Arg::Int(9)}), 1);  // a box takes 0-3
  EXPECT_EQ(Result("NativeSetDrawableMode", {Arg::Int(sprite), Arg::Int(9)}), 0);
  EXPECT_EQ(Result("NativeSetDrawableAlpha", {Arg::Int(sprite), Arg::Int(128)}), 0);
  EXPECT_EQ(image->GetOpacity(), 128);
  EXPECT_EQ(Result("NativeSetDrawableSizeAligned",
                   {Arg::Int(box), Arg::Int(2), Arg::Int(2), Arg::Int(2), Arg::Int(1)}),
            1);
  Rect bounds;
  colour->GetBounds(&bounds);
  EXPECT_EQ(bounds.left, 2);  // the right edge stays
  EXPECT_EQ(bounds.top, 1);   // the middle stays
  EXPECT_EQ(Result("NativeSetColorBoxSize", {Arg::Int(box), Arg::Int(-1), Arg::Int(3)}), 0);
  EXPECT_EQ(Result("NativeSetColorBoxSizeAndPosition",
                   {Arg::Int(box), Arg::Int(6), Arg::Int(6), Arg::Int(1), Arg::Int(1)}),
            1);
  EXPECT_EQ(Result("NativeSetColorBoxColor", {Arg::Int(box), Arg::Int(0x0000FF)}), 1);
  EXPECT_EQ(colour->GetColor() & 0xFFFFFFu, 0x0000FFu);

  // Image sprites: source, stretch, rotation, picture and option.
  EXPECT_EQ(Result("NativeSetSpriteSourceRect", {Arg::Int(sprite), Arg::Int(0), Arg::Int(0), Arg::Int(4), Arg::Int(4)}),
            0);
  EXPECT_EQ(image->GetWidth(), 4);
  EXPECT_EQ(Result("NativeSetDrawableSize", {Arg::Int(sprite), Arg::Int(8), Arg::Int(8)}), 1);
  EXPECT_TRUE(image->IsStretched());
  EXPECT_EQ(Result("NativeFreeSpriteCopy", {Arg::Int(sprite)}), 1);
  EXPECT_FALSE(image->IsStretched());
  EXPECT_EQ(image->GetOwnedCopy(), nullptr);
  EXPECT_EQ(Result("NativeSetSpriteRotation", {Arg::Int(sprite), Arg::Int(128), Arg::Int(0)}), 1);
  EXPECT_TRUE(image->IsRotated());
  EXPECT_EQ(Result("NativeReserveSpriteRotation", {Arg::Int(sprite), Arg::Text("2.0")}), 0);
  const uint32_t other = Picture(6, 6, 0x00FFFF);
  EXPECT_EQ(Result("NativeSetSpriteImage", {Arg::Int(sprite), Arg::Int(other), Arg::Int(65535), Arg::Int(0),
                                            Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0);
  EXPECT_EQ(image->GetSource(), GetObjectSurface(other));
  EXPECT_EQ(image->GetWidth(), 6);
  EXPECT_EQ(Result("NativeSetSpriteImage", {Arg::Int(sprite), Arg::Int(picture), Arg::Int(-1), Arg::Int(0),
                                            Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
            0);
  EXPECT_EQ(image->GetSource(), GetObjectSurface(picture));
  EXPECT_EQ(image->GetWidth(), 6);  // the layout stays
  EXPECT_EQ(Result("NativeSetSpriteOption", {Arg::Int(sprite), Arg::Int(1)}), 1);
  EXPECT_EQ(Result("NativeSetSpriteOption", {Arg::Int(sprite), Arg::Int(1)}), 0);

  // A drawn copy leaves the changed mark alone.
  const uint32_t into = Picture(32, 32, 0);
  image->SetChanged(0);
  EXPECT_EQ(Result("NativeDrawDrawableInto", {Arg::Int(into), Arg::Int(sprite)}), 0);
  EXPECT_FALSE(image->IsChanged());
  EXPECT_EQ(Result("NativeMarkDrawableChanged", {Arg::Int(sprite)}), 1);
  EXPECT_TRUE(image->IsChanged());
}

// Stale, foreign and wrong-kind handles give each row's failure value.
TEST_F(SpriteNativesTest, RefusedHandlesGiveTheRowFailureValue) {
  const uint32_t picture = Picture(4, 4, 0xFFFFFF);
  const uint32_t box = Box(4, 4, 0xFF000000u, 0, 0);
  const uint32_t gone = Sprite(picture, 0, 0);
  ASSERT_EQ(Display().RemoveSprite(gone), 0);
  struct Row {
    const char* native;
    std::vector<Arg> args;
    int32_t failure;
  };
  const Arg stale = Arg::Int(gone), foreign = Arg::Int(picture), boxed = Arg::Int(box);
  const std::vector<Row> rows = {
      {"NativeSetDrawableVisible", {stale, Arg::Int(0)}, 0},
      {"NativeGetDrawableState", {foreign}, 0},
      {"NativeMarkDrawableChanged", {stale}, 0},
      {"NativeDrawableRectVisible", {stale, Arg::Int(0), Arg::Int(0), Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeSetDrawableMode", {foreign, Arg::Int(1)}, -2},
      {"NativeSetDrawableAlpha", {stale, Arg::Int(1)}, -2},
      {"NativeSetDrawableTag", {stale, Arg::Int(1)}, 0},
      {"NativeMoveDrawable", {foreign, Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeHitTestDrawable", {stale, Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeDrawablesOverlap", {boxed, stale}, 0},
      {"NativeGetDrawableBounds", {stale, Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeDrawDrawableInto", {stale, boxed}, -1},
      {"NativeDrawDrawableInto", {foreign, stale}, -2},
      {"NativeSetDrawableSize", {stale, Arg::Int(2), Arg::Int(2)}, 0},
      {"NativeSetDrawableSizeAligned", {foreign, Arg::Int(2), Arg::Int(2), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeSetSpriteStretchSize", {boxed, Arg::Int(2), Arg::Int(2)}, -2},
      {"NativeSetSpriteSourceRect", {boxed, Arg::Int(0), Arg::Int(0), Arg::Int(1), Arg::Int(1)}, -1},
      {"NativeSetSpriteSourceOffset", {stale, Arg::Int(1), Arg::Int(1)}, -1},
      {"NativeSetSpriteBlendMode", {boxed, Arg::Int(1)}, 0},
      {"NativeSetSpriteAnchor", {boxed, Arg::Int(7), Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeSetSpriteRotation", {boxed, Arg::Int(64), Arg::Int(0)}, 0},
      {"NativeReserveSpriteRotation", {boxed, Arg::Int(0)}, -2},
      {"NativeFreeSpriteCopy", {boxed}, 0},
      {"NativeSetSpriteImage",
       {boxed, foreign, Arg::Int(65535), Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)},
       -1},
      {"NativeSetSpriteOption", {stale, Arg::Int(1)}, 0},
      {"NativeSetColorBoxColor", {foreign, Arg::Int(1)}, 0},
      {"NativeSetColorBoxSize", {stale, Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeSetColorBoxSizeAndPosition", {stale, Arg::Int(1), Arg::Int(1), Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeRemoveFromCanvas", {foreign, boxed}, 0},
      {"NativeSetCanvasOrder", {foreign, boxed, Arg::Int(1), Arg::Int(0)}, 0},
      {"NativeSetCanvasBackgroundColor", {stale, Arg::Int(0), Arg::Int(0)}, 0},
      {"NativeSetCanvasBackgroundOffset", {foreign, Arg::Int(1), Arg::Int(1)}, -1},
      {"NativeSetCanvasBackgroundStretch",
       {foreign, Arg::Int(0), Arg::Int(0), Arg::Int(1), Arg::Int(1), Arg::Int(65535), Arg::Int(0), Arg::Int(0),
        Arg::Int(0)},
       -1},
      {"NativeSetCanvasBackgroundPivot", {foreign, Arg::Int(0), Arg::Int(0), Arg::Int(0)}, -1},
      {"NativeSetCanvasBackgroundRotation", {foreign, Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(1)}, -1},
      {"NativeGetCanvasBackground", {foreign, Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0), Arg::Int(0)},
       0},
      {"NativeMarkCanvasChanged", {stale}, -1},
      {"NativeAddCanvasDirtyRect", {foreign, Arg::Int(0), Arg::Int(0), Arg::Int(1), Arg::Int(1)}, 0},
      {"NativeSetCanvasListsHidden", {foreign, Arg::Int(1), Arg::Int(1)}, -1},
      {"NativeStartSpriteSize",
       {boxed, Arg::Int(100), Arg::Text("(4,4,255)"), Arg::Int(0), Arg::Int(0), Arg::Int(65535)},
       0},
      {"NativeStartSpriteRotate",
       {stale, Arg::Int(100), Arg::Text("(64,1.0,255)"), Arg::Int(0), Arg::Int(0), Arg::Int(65535)},
       0},
      {"NativeStartObjectPath",
       {boxed, Arg::Int(100), Arg::Text("(1,1,255)"), Arg::Int(0), Arg::Int(0), Arg::Int(65535)},
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    EXPECT_EQ(Result(row.native, row.args), row.failure);
  }
  EXPECT_EQ(timers_.Size(), 0u);
}

TEST_F(SpriteNativesTest, ActionsStartOnTheObjectTimerListWithTheirDefaults) {
  const uint32_t picture = Picture(8, 8, 0xFFFFFF);
  const uint32_t sprite = Sprite(picture, 0, 0);
  auto* image = dynamic_cast<ImageSprite*>(Listed(sprite));
  const uint32_t size = Made("NativeStartSpriteSize", {Arg::Int(sprite), Arg::Int(100), Arg::Text("(16,16,255)"),
                                                       Arg::Int(0), Arg::Int(0), Arg::Int(65535)});
  ASSERT_NE(size, 0u);
  EXPECT_TRUE(timers_.Contains(size));
  clock_.SetTick(1000);
  timers_.Step(1000);
  clock_.SetTick(2000);
  timers_.Step(2000);
  EXPECT_EQ(image->GetDisplayWidth(), 16);
  EXPECT_FALSE(timers_.Contains(size));  // done and gone

  const uint32_t rotate = Made("NativeStartSpriteRotate", {Arg::Int(sprite), Arg::Int(100), Arg::Text("(128,1.0,255)"),
                                                           Arg::Int(0), Arg::Int(0), Arg::Int(65535)});
  ASSERT_NE(rotate, 0u);
  EXPECT_TRUE(timers_.Contains(rotate));
  clock_.SetTick(3000);
  timers_.Step(3000);
  clock_.SetTick(4000);
  timers_.Step(4000);
  EXPECT_EQ(image->GetAngle(), 128);

  // Bad keys delete the action.
  EXPECT_EQ(Made("NativeStartSpriteSize",
                 {Arg::Int(sprite), Arg::Int(100), Arg::Text("none"), Arg::Int(0), Arg::Int(0), Arg::Int(65535)}),
            0u);
  EXPECT_EQ(timers_.Size(), 0u);

  // A path on a scene object of the device.
  const uint32_t object = Made("NativeCreateD3DColorBox",
                               {Arg::Int(8), Arg::Int(6), Arg::Int(0xFF00FF00), Arg::Int(1), Arg::Int(2)});
  ASSERT_NE(object, 0u);
  const uint32_t path = Made("NativeStartObjectPath", {Arg::Int(object), Arg::Int(100), Arg::Text("(10,20,255)"),
                                                       Arg::Int(0), Arg::Int(0), Arg::Int(65535)});
  ASSERT_NE(path, 0u);
  EXPECT_TRUE(timers_.Contains(path));
}

// A canvas with a colour box and a turned sprite in the main list under an
// overlay sprite.
TEST_F(SpriteNativesTest, ComposedCanvasGolden) {
  const uint32_t canvas = Canvas(32, 24, true);
  ASSERT_EQ(Result("NativeSetCanvasBackgroundColor", {Arg::Int(canvas), Arg::Int(0x202040), Arg::Int(1)}), 1);
  const uint32_t red = Picture(12, 12, 0xE02020), green = Picture(8, 8, 0x20E020);
  const uint32_t turned = Sprite(red, 4, 4);
  const uint32_t box = Box(14, 8, 0x80FFFF00u, 10, 12);
  const uint32_t top = Sprite(green, 20, 6);
  ASSERT_EQ(Result("NativeSetSpriteRotation", {Arg::Int(turned), Arg::Int(64), Arg::Int(0)}), 1);
  ASSERT_EQ(Add(canvas, turned, 2, 0, 0), 0);
  ASSERT_EQ(Add(canvas, box, 1, 0, 0), 0);
  ASSERT_EQ(Add(canvas, top, 5, 0, 1), 0);
  ASSERT_EQ(Result("NativeRenderCanvas", {Arg::Int(canvas)}), 0);
  Surface* picture = GetObjectSurface(canvas);
  EXPECT_EQ(PixelAt(picture, 22, 8), 0x20E020u);  // the overlay lies on top
  test::ExpectGolden(*picture, "sprite_canvas_with_overlay", "natives");
}

}  // namespace
}  // namespace orrivel::testing
