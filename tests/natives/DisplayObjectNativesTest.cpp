// Natives 219 to 267 as compiled scripts call them: creators, deletion
// through the script's variable, image properties, fills, the one-frame
// transition, linked canvas images with their transitions, and the Direct3D
// scene objects; and objects that other objects borrow, deleted first.
#include <gtest/gtest.h>

#include <cstring>

#include "DisplayNativeRig.h"
#include "display/BoxFont.h"
#include "NativeHarness.h"
#include "display/D3DImage.h"
#include "display/D3DPolygon.h"
#include "display/TransitionObject.h"
#include "natives/DisplayObjectArguments.h"
#include "raster/PixelBuffer.h"
#include "raster/PixelOpLibrary.h"
#include "raster/PixelFormat.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawImage.h"
#include "scene/DrawObjectCreation.h"
#include "scene/SpriteCanvas.h"
#include "sound/movies/MoviePlayerRig.h"
#include "transition/BuiltinTransitions.h"
#include "transition/NamedTransition.h"

namespace orrivel::testing {
namespace {

// A transition that records its set-up and counts the live ones.
class FakeTransition final : public NamedTransition {
 public:
  static inline int live = 0;
  static inline int32_t duration = 0;
  static inline TransitionTarget* target = nullptr;
  static inline TransitionApplyRecord last;
  static inline int applied = 0;
  static inline uint8_t category = kTransitionFromTo;
  static inline int32_t updateResult = 0;
  FakeTransition() { ++live; }
  ~FakeTransition() override { --live; }
  static TcpObject* Make(int32_t) { return new FakeTransition(); }

  uint8_t GetCategory() const override { return category; }
  const char* GetName() const override { return "fake"; }
  int32_t Update(uint32_t) override { return updateResult; }
  int32_t IsFinished() const override { return 0; }
  int32_t Apply(const TransitionApplyRecord& record) override {
    last = record;
    ++applied;
    return 0;
  }
  int32_t SetupV(const ObjectArgument& first, const ObjectArguments& rest) override {
    target = first.Object<TransitionTarget>();
    duration = rest.Cell(0);
    return 0;
  }
};

class DisplayObjectNativesTest : public DisplayNativeRig {
 protected:
  void SetUp() override {
    DisplayNativeRig::SetUp();
    transitions_.RegisterObject(&FakeTransition::Make, "fake", 0, 0, nullptr, nullptr);
    GameHostSetup setup;
    setup.screenObjects = &transitions_;
    harness_ = std::make_unique<NativeHarness>(std::move(setup));
  }
  void TearDown() override {
    harness_.reset();
    DisplayNativeRig::TearDown();
  }

  NativeCall Call(std::string_view native, const std::vector<Arg>& args) { return harness_->Call(native, args); }
  int32_t Result(std::string_view native, const std::vector<Arg>& args) {
    const NativeCall call = Call(native, args);
    EXPECT_TRUE(call.Ran()) << native;
    return call.Result();
  }
  uint32_t Made(std::string_view native, const std::vector<Arg>& args) { return uint32_t(Result(native, args)); }
  uint32_t Canvas(int32_t width, int32_t height) {
    return Made("NativeCreateCanvasImage", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(1)});
  }
  uint32_t MemoryPicture(int32_t width, int32_t height) {
    return Made("NativeCreateSurface", {Arg::Int(width), Arg::Int(height), Arg::Int(32), Arg::Int(0)});
  }

  TcpManager transitions_;
  std::unique_ptr<NativeHarness> harness_;
};

TEST_F(DisplayObjectNativesTest, CreatorsListTheirObjectInTheCurrentGroupOrAnswerZero) {
  Display().SetImageGroupId(7);
  struct Row {
    const char* native;
    std::vector<Arg> args;
    int kind;  // -1: a scene object
  };
  const Row rows[] = {
      {"NativeCreateBlankSurfaceImage", {Arg::Int(8), Arg::Int(6)}, 0},
      {"NativeCreateDecodedCanvasObjectA", {Arg::Int(8), Arg::Int(6), Arg::Int(32), Arg::Int(1)}, 7},
      {"NativeCreateSurface", {Arg::Int(8), Arg::Int(6), Arg::Int(32), Arg::Int(0)}, 4},
      {"NativeLoadCanvasImage", {Arg::Int(8), Arg::Int(6), Arg::Int(32), Arg::Int(1)}, 9},
      {"NativeCreateCanvasImage", {Arg::Int(8), Arg::Int(6), Arg::Int(32), Arg::Int(0)}, 10},
      {"NativeCreateD3DColorBox", {Arg::Int(8), Arg::Int(6), Arg::Int(0xFF00FF00), Arg::Int(1), Arg::Int(2)}, -1},
      {"NativeCreateD3DTriangle",
       {Arg::Int(0), Arg::Int(0), Arg::Int(8), Arg::Int(0), Arg::Int(0), Arg::Int(8), Arg::Int(0xFFFFFFFF),
        Arg::Int(0), Arg::Int(0)},
       -1},
      {"NativeCreateRenderStateSet", {}, -1},
      {"NativeCreateStageStateSet", {}, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.native);
    const uint32_t handle = Made(row.native, row.args);
    ASSERT_NE(handle, 0u);
    if (row.kind >= 0) {
      Image* image = Display().GetImage(handle);
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(image->GetKind(), row.kind);
      EXPECT_EQ(image->GetGroupId(), 7);
    } else {
      SceneObject* object = Display().GetSceneObject(handle);
      ASSERT_NE(object, nullptr);
      EXPECT_EQ(object->groupId, 7u);
    }
  }
  // A refused creation answers 0, never the device's own code.
  const size_t images = Display().ImageCount();
  EXPECT_EQ(Made("NativeCreateSurface", {Arg::Int(0), Arg::Int(6), Arg::Int(32), Arg::Int(0)}), 0u);
  EXPECT_EQ(Made("NativeLoadSurface", {Arg::Text("CG\\MISSING.BMP"), Arg::Int(0)}), 0u);
  EXPECT_EQ(Made("NativeCreateTextImage", {Arg::Int(0), Arg::Int(0), Arg::Int(0)}), 0u);
  EXPECT_EQ(Display().ImageCount(), images);
}

TEST_F(DisplayObjectNativesTest, DeletingClearsTheVariableOnlyWhenTheObjectWent) {
  const uint32_t image = MemoryPicture(4, 4);
  NativeCall call = Call("NativeDeleteImage", {Arg::OutInt(image)});
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints[0], 0u);
  EXPECT_EQ(Display().GetImage(image), nullptr);
  // A handle no longer listed keeps the variable and gives the device's code.
  call = Call("NativeDeleteImage", {Arg::OutInt(image)});
  EXPECT_EQ(call.result, 2u);
  EXPECT_EQ(call.ints[0], image);

  const uint32_t object = Made("NativeCreateRenderStateSet", {});
  call = Call("NativeDeleteSceneObject", {Arg::OutInt(object)});
  EXPECT_EQ(call.result, 0u);
  EXPECT_EQ(call.ints[0], 0u);
  // An image handle is no scene object.
  const uint32_t other = MemoryPicture(4, 4);
  call = Call("NativeDeleteSceneObject", {Arg::OutInt(other)});
  EXPECT_EQ(call.result, 2u);
  EXPECT_EQ(call.ints[0], other);
  EXPECT_NE(Display().GetImage(other), nullptr);
}

TEST_F(DisplayObjectNativesTest, PropertiesOfAnImageOrTheFailureValue) {
  const uint32_t image = MemoryPicture(9, 5);
  Display().GetImage(image)->SetUserValue1(11);
  Display().GetImage(image)->SetUserValue2(-3);
  const uint32_t font = Display().AddFont(std::make_unique<BoxFont>(kFontKindOutline, 8, 8));
  uint32_t stale = MemoryPicture(2, 2);
  const uint32_t kept = stale;
  Display().DeleteImage(&stale);
  EXPECT_EQ(Result("NativeGetImageWidth", {Arg::Int(image)}), 9);
  EXPECT_EQ(Result("NativeGetImageHeight", {Arg::Int(image)}), 5);
  EXPECT_EQ(Result("NativeGetImageUserValue1", {Arg::Int(image)}), 11);
  EXPECT_EQ(Result("NativeGetImageUserValue2", {Arg::Int(image)}), -3);
  EXPECT_EQ(Result("NativeSetColorKeyRgb", {Arg::Int(image), Arg::Int(0x1FF), Arg::Int(0), Arg::Int(0)}), 0);
  EXPECT_EQ(Display().GetImage(image)->GetColorKey() & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(Result("NativeClearColorKey", {Arg::Int(image)}), 0);
  EXPECT_EQ(Display().GetImage(image)->GetColorKey(), kNoColorKey);
  for (uint32_t none : {0u, kept, font, 0x7FFFFFFFu}) {
    SCOPED_TRACE(none);
    EXPECT_EQ(Result("NativeGetImageWidth", {Arg::Int(none)}), 0);
    EXPECT_EQ(Result("NativeGetImageUserValue1", {Arg::Int(none)}), 0);
    EXPECT_EQ(Result("NativeSetColorKeyAt", {Arg::Int(none), Arg::Int(0), Arg::Int(0)}), -1);
    EXPECT_EQ(Result("NativeClearColorKey", {Arg::Int(none)}), -1);
    EXPECT_EQ(Result("NativeFillImage", {Arg::Int(none), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), -1);
  }
}

TEST_F(DisplayObjectNativesTest, FillAnswersByKind) {
  const uint32_t picture = MemoryPicture(4, 4);
  const uint32_t canvas = Canvas(4, 4);
  const uint32_t blank = Made("NativeCreateBlankSurfaceImage", {Arg::Int(4), Arg::Int(4)});
  const uint32_t pixels = Display().AddImage(std::make_unique<PixelBuffer>());
  EXPECT_EQ(Result("NativeFillImage", {Arg::Int(picture), Arg::Int(0x112), Arg::Int(0x34), Arg::Int(0x56)}), 0);
  EXPECT_EQ(PixelAt(GetObjectSurface(picture), 3, 3), 0x123456u);
  EXPECT_EQ(Result("NativeFillImage", {Arg::Int(canvas), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), 0);
  EXPECT_EQ(PixelAt(GetObjectSurface(canvas), 0, 0), 0x010203u);
  EXPECT_EQ(Result("NativeFillImage", {Arg::Int(blank), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), 0);
  EXPECT_EQ(Result("NativeFillImage", {Arg::Int(pixels), Arg::Int(1), Arg::Int(2), Arg::Int(3)}), -1);
}

TEST_F(DisplayObjectNativesTest, DirtyTrackingActsOnAMemoryPictureOnly) {
  const uint32_t picture = Made("NativeCreateSurface", {Arg::Int(4), Arg::Int(4), Arg::Int(32), Arg::Int(2)});
  auto* surface = dynamic_cast<Surface*>(Display().GetImage(picture));
  ASSERT_NE(surface, nullptr);
  ASSERT_NE(surface->OwnedRegion(), nullptr);
  EXPECT_EQ(Result("NativeSetSurfaceDirtyTracking", {Arg::Int(picture), Arg::Int(0)}), 1);
  EXPECT_EQ(surface->Region(), nullptr);
  EXPECT_EQ(Result("NativeSetSurfaceDirtyTracking", {Arg::Int(picture), Arg::Int(1)}), 1);
  EXPECT_EQ(surface->Region(), surface->OwnedRegion());
  // A canvas keeps its own recording; other handles write nothing.
  const uint32_t canvas = Canvas(4, 4);
  DirtyRegion* before = GetObjectSurface(canvas)->Region();
  for (uint32_t other : {canvas, 0u, 0x7FFFFFFFu}) {
    EXPECT_EQ(Result("NativeSetSurfaceDirtyTracking", {Arg::Int(other), Arg::Int(0)}), 1);
  }
  EXPECT_EQ(GetObjectSurface(canvas)->Region(), before);
}

TEST_F(DisplayObjectNativesTest, TheScreenImageIsTheListedCanvasTheDevicePresents) {
  EXPECT_EQ(Result("NativeGetScreenImage", {}), 0);
  const uint32_t screen = Made("NativeLoadCanvasImage", {Arg::Int(16), Arg::Int(8), Arg::Int(32), Arg::Int(1)});
  EXPECT_EQ(Result("NativeSetScreenImage", {Arg::Int(screen)}), 0);
  EXPECT_EQ(Made("NativeGetScreenImage", {}), screen);
  EXPECT_EQ(Display().contentWidth, 16);
  Call("NativeDeleteImage", {Arg::OutInt(screen)});
  EXPECT_EQ(Result("NativeGetScreenImage", {}), 0);
}

// One frame of a numbered transition at its full progress copies the
// source whole, onto a memory picture and a canvas of the same size alike.
TEST_F(DisplayObjectNativesTest, DrawTransitionResolvesBothPicturesTheSameWay) {
  const uint32_t source = MemoryPicture(8, 8);
  GetObjectSurface(source)->FillRgb(0x20, 0x40, 0x60, nullptr);
  const uint32_t picture = MemoryPicture(8, 8);
  const uint32_t canvas = Made("NativeLoadCanvasImage", {Arg::Int(8), Arg::Int(8), Arg::Int(32), Arg::Int(0)});
  for (uint32_t destination : {picture, canvas}) {
    EXPECT_EQ(Result("NativeDrawTransition", {Arg::Int(0), Arg::Int(destination), Arg::Int(source), Arg::Int(256),
                                              Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
              0);
  }
  Surface* a = GetObjectSurface(picture);
  Surface* b = GetObjectSurface(canvas);
  for (int32_t y = 0; y < 8; ++y) {
    EXPECT_EQ(std::memcmp(a->GetScanLine(y), b->GetScanLine(y), 8 * 4), 0) << y;
  }
  EXPECT_EQ(PixelAt(a, 7, 7), 0x204060u);
  // A display-surface source goes to the screen, whose back surface is
  // missing here: the library's own failure, not the native's.
  const uint32_t shown = Made("NativeCreateBlankSurfaceImage", {Arg::Int(8), Arg::Int(8)});
  EXPECT_EQ(Result("NativeDrawTransition", {Arg::Int(0), Arg::Int(0), Arg::Int(shown), Arg::Int(256), Arg::Int(0),
                                            Arg::Int(0), Arg::Int(0)}),
            1);
  // No source, or a picture without a surface, draws nothing.
  const uint32_t pixels = Display().AddImage(std::make_unique<PixelBuffer>());
  for (const auto& [destination, from] : {std::pair{picture, 0u}, std::pair{pixels, source},
                                          std::pair{picture, pixels}, std::pair{0u, source}}) {
    EXPECT_EQ(Result("NativeDrawTransition", {Arg::Int(0), Arg::Int(destination), Arg::Int(from), Arg::Int(256),
                                              Arg::Int(0), Arg::Int(0), Arg::Int(0)}),
              -1);
  }
}

TEST_F(DisplayObjectNativesTest, LinkedCanvasImagesAndTheirSwaps) {
  const uint32_t first = Canvas(8, 8);
  const uint32_t second = Canvas(8, 8);
  const uint32_t loaded = Made("NativeLoadCanvasImage", {Arg::Int(8), Arg::Int(8), Arg::Int(32), Arg::Int(1)});
  const uint32_t smaller = Canvas(4, 8);
  const uint32_t picture = MemoryPicture(8, 8);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(smaller)}), 1);
  const uint32_t indexed = Made("NativeCreateCanvasImage", {Arg::Int(8), Arg::Int(8), Arg::Int(8), Arg::Int(1)});
  ASSERT_NE(indexed, 0u);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(indexed)}), 1);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(picture)}), -1);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(picture), Arg::Int(first)}), -1);
  EXPECT_EQ(Result("NativeGetLinkedCanvasImage", {Arg::Int(first)}), 0);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(second)}), 0);
  EXPECT_EQ(Made("NativeGetLinkedCanvasImage", {Arg::Int(first)}), second);
  // A loaded canvas (kind 9) linked is not answered.
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(loaded)}), 0);
  EXPECT_EQ(Result("NativeGetLinkedCanvasImage", {Arg::Int(first)}), 0);
  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(second)}), 0);

  SpriteCanvas* a = GetObjectSpriteCanvas(first);
  SpriteCanvas* b = GetObjectSpriteCanvas(second);
  struct Row {
    int mode;
    bool canvasesSwapped;
  };
  for (const Row& row : {Row{1, false}, Row{0, true}, Row{2, true}, Row{7, true}, Row{0, true}}) {
    SCOPED_TRACE(row.mode);
    SpriteCanvas* before = GetObjectSpriteCanvas(first);
    EXPECT_EQ(Result("NativeSwapWithLinkedCanvas", {Arg::Int(first), Arg::Int(row.mode)}), 1);
    EXPECT_EQ(GetObjectSpriteCanvas(first) != before, row.canvasesSwapped);
  }
  EXPECT_EQ(GetObjectSpriteCanvas(first), a);
  EXPECT_EQ(GetObjectSpriteCanvas(second), b);
  EXPECT_EQ(Result("NativeSwapWithLinkedCanvas", {Arg::Int(picture), Arg::Int(0)}), 0);
}

TEST_F(DisplayObjectNativesTest, CanvasTransitionsStartRunAndEnd) {
  const uint32_t first = Canvas(8, 8);
  const uint32_t second = Canvas(8, 8);
  const uint32_t picture = MemoryPicture(8, 8);
  const auto start = [&](uint32_t canvas, const char* name) {
    return Result("NativeStartCanvasTransition",
                  {Arg::Int(canvas), Arg::Text(name), Arg::Int(0), Arg::Int(1), Arg::Int(500)});
  };
  EXPECT_EQ(start(picture, "fake"), -1);
  EXPECT_EQ(start(first, "nothing"), -2);
  // Refused without a linked image: the transition is dropped.
  EXPECT_EQ(start(first, "fake"), 2);
  EXPECT_EQ(FakeTransition::live, 0);
  EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 0);

  EXPECT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(second)}), 0);
  EXPECT_EQ(start(first, "fake"), 0);
  EXPECT_EQ(FakeTransition::live, 1);
  EXPECT_EQ(FakeTransition::duration, 500);
  ASSERT_NE(FakeTransition::target, nullptr);
  EXPECT_EQ(FakeTransition::target->GetDepth(), 32);
  EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 1);
  EXPECT_EQ(Result("NativeGetCanvasTransitionSurface", {Arg::Int(first)}), 0);
  // A present mixes the canvas's picture (left) with the linked one's
  // (entered) into the work surface.
  CanvasDrawObject* part = GetCanvasPart(first);
  FakeTransition::applied = 0;
  EXPECT_EQ(part->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0), 0);
  EXPECT_GE(FakeTransition::applied, 1);
  EXPECT_EQ(FakeTransition::last.from, part->GetSurface());
  EXPECT_EQ(FakeTransition::last.to, GetObjectSurface(second));
  EXPECT_EQ(FakeTransition::last.destination, part->WorkSurface());
  EXPECT_EQ(Result("NativeEndCanvasTransition", {Arg::Int(first)}), 1);
  EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 0);
  EXPECT_EQ(FakeTransition::live, 0);
  EXPECT_EQ(Result("NativeEndCanvasTransition", {Arg::Int(picture)}), 0);

  // Deleting the linked image ends the transition it takes part in.
  EXPECT_EQ(start(first, "fake"), 0);
  Call("NativeDeleteImage", {Arg::OutInt(second)});
  EXPECT_EQ(FakeTransition::live, 0);
  EXPECT_EQ(GetCanvasPart(first)->PairedImage(), nullptr);
  EXPECT_EQ(start(first, "fake"), 2);
}

TEST_F(DisplayObjectNativesTest, CategoryOneDrawsInOnePassAndAnUpdateThatStopsEndsThePresent) {
  // 320 pixels wide: the banded present cuts 8-row bands.
  const uint32_t first = Canvas(320, 24);
  const uint32_t second = Canvas(320, 24);
  ASSERT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(second)}), 0);
  CanvasDrawObject* part = GetCanvasPart(first);
  const auto start = [&] {
    return Result("NativeStartCanvasTransition",
                  {Arg::Int(first), Arg::Text("fake"), Arg::Int(0), Arg::Int(0), Arg::Int(500)});
  };
  struct Row {
    uint8_t category;
    int bands;
  };
  for (const Row row : {Row{0, 3}, Row{1, 1}, Row{2, 3}}) {
    SCOPED_TRACE(int(row.category));
    FakeTransition::category = row.category;
    ASSERT_EQ(start(), 0);
    FakeTransition::applied = 0;
    part->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0);
    EXPECT_EQ(FakeTransition::applied, row.bands);
    // An update that answers non-zero stops the driving: nothing is
    // applied and the present ends.
    FakeTransition::updateResult = 4;
    part->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0);
    EXPECT_EQ(FakeTransition::applied, row.bands);
    EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 0);
    EXPECT_EQ(FakeTransition::live, 0);
    FakeTransition::updateResult = 0;
  }
  FakeTransition::category = kTransitionFromTo;
}

TEST_F(DisplayObjectNativesTest, DeletingTheRuleImageEndsTheRuleTransitionWithoutReadingIt) {
  PixelOpLibrary library("tvpgl.dll", nullptr, false);
  ASSERT_TRUE(library.HasModule()) << library.Error();
  SetCurrentPixelOpLibrary(&library);
  struct Unpublish {
    ~Unpublish() {
      SetCurrentPixelOpLibrary(nullptr);
      ResetPixelOpEntries();
    }
  } unpublish;
  ASSERT_EQ(RegisterStartupTransitions(transitions_), 0);
  const uint32_t first = Canvas(8, 8);
  const uint32_t second = Canvas(8, 8);
  uint32_t rule = Made("NativeCreateSurface", {Arg::Int(8), Arg::Int(8), Arg::Int(8), Arg::Int(0)});
  ASSERT_EQ(Result("NativeLinkCanvasImages", {Arg::Int(first), Arg::Int(second)}), 0);
  ASSERT_EQ(Result("NativeStartCanvasTransition", {Arg::Int(first), Arg::Text("rule"), Arg::Int(0), Arg::Int(1),
                                                   Arg::Int(100000), Arg::Int(rule), Arg::Int(16)}),
            0);
  CanvasDrawObject* part = GetCanvasPart(first);
  EXPECT_EQ(part->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0), 0);
  EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 1);
  // The script deletes the rule image while the wipe runs: the next frame
  // must not read it, and the transition ends there.
  EXPECT_EQ(Call("NativeDeleteImage", {Arg::OutInt(rule)}).result, 0u);
  part->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0);
  EXPECT_EQ(Result("NativeIsCanvasTransitionRunning", {Arg::Int(first)}), 0);
}

TEST_F(DisplayObjectNativesTest, Direct3DImagesTakeAWholeImageOrARectangle) {
  const uint32_t image = Made("NativeCreateBlankSurfaceImage", {Arg::Int(16), Arg::Int(8)});
  const uint32_t whole = Made("NativeCreateD3DImage", {Arg::Int(image), Arg::Absent(), Arg::Int(0), Arg::Int(0),
                                                      Arg::Int(0), Arg::Int(5), Arg::Int(6)});
  auto* object = dynamic_cast<D3DImage*>(Display().GetSceneObject(whole));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->SourceRect(), (Rect{0, 0, 16, 8}));
  Rect bounds;
  ASSERT_TRUE(object->GetBounds(&bounds));
  EXPECT_EQ(bounds.left, 0) << "cells 5 and 6 are 0 with the whole image";
  // -1 is an ordinary coordinate.
  const uint32_t part = Made("NativeCreateD3DImage", {Arg::Int(image), Arg::Int(-1), Arg::Int(2), Arg::Int(4),
                                                     Arg::Int(6), Arg::Int(5), Arg::Int(6)});
  object = dynamic_cast<D3DImage*>(Display().GetSceneObject(part));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->SourceRect(), (Rect{0, 2, 4, 6}));
  ASSERT_TRUE(object->GetBounds(&bounds));
  EXPECT_EQ(bounds.left, 5);
  EXPECT_EQ(bounds.top, 6);
  // A memory picture has no display surface; a stale handle names nothing.
  EXPECT_EQ(Made("NativeCreateD3DImage", {Arg::Int(MemoryPicture(4, 4)), Arg::Absent()}), 0u);
  EXPECT_EQ(Made("NativeCreateD3DImage", {Arg::Int(0x7FFFFFFF), Arg::Absent()}), 0u);
}

TEST_F(DisplayObjectNativesTest, PolygonPrimitivesAndTheirPoints) {
  const std::vector<Arg> points = {Arg::Int(3), Arg::Int(0), Arg::Int(0), Arg::Int(8),
                                   Arg::Int(0), Arg::Int(0), Arg::Int(8)};
  const uint8_t modes[] = {D3DPolygon::kModeList, D3DPolygon::kModeStrip, D3DPolygon::kModeFan,
                           D3DPolygon::kModeList, D3DPolygon::kModeList,  D3DPolygon::kModeList};
  for (int primitive = 0; primitive <= 6; ++primitive) {
    SCOPED_TRACE(primitive);
    std::vector<Arg> args = {Arg::Int(primitive), Arg::Int(0xFFFFFFFF)};
    args.insert(args.end(), points.begin(), points.end());
    const NativeCall call = Call("NativeCreateD3DPolygon", args);
    ASSERT_TRUE(call.Ran());
    if (primitive == 6) {
      EXPECT_EQ(call.result, 0u);
      continue;
    }
    auto* polygon = dynamic_cast<D3DPolygon*>(Display().GetSceneObject(call.result));
    ASSERT_NE(polygon, nullptr);
    EXPECT_EQ(polygon->Mode(), modes[primitive]);
  }
  // A count that runs past the arena ends the step as invalid code.
  const NativeCall past = Call("NativeCreateD3DPolygon", {Arg::Int(0), Arg::Int(-1), Arg::Int(0x10000000)});
  EXPECT_FALSE(past.Ran());
  EXPECT_EQ(past.result, 0u);
}

TEST_F(DisplayObjectNativesTest, TransitionObjectsTakeDisplaySurfaceImagesOnly) {
  const uint32_t source = Made("NativeCreateBlankSurfaceImage", {Arg::Int(8), Arg::Int(8)});
  const uint32_t picture = MemoryPicture(8, 8);
  const uint32_t made = Made("NativeCreateTransitionObject",
                             {Arg::Int(0), Arg::Int(source), Arg::Int(3), Arg::Absent(), Arg::Int(9), Arg::Int(9)});
  auto* object = dynamic_cast<TransitionObject*>(Display().GetSceneObject(made));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Source(), Display().GetImage(source));
  EXPECT_EQ(object->Mode(), 3u);
  EXPECT_EQ(Made("NativeCreateTransitionObject", {Arg::Int(0), Arg::Int(picture), Arg::Int(3), Arg::Absent()}), 0u);
  EXPECT_EQ(Made("NativeCreateTransitionObject", {Arg::Int(picture), Arg::Int(source), Arg::Int(3), Arg::Absent()}),
            0u);
  EXPECT_EQ(Made("NativeCreateTransitionObject", {Arg::Int(0), Arg::Int(0), Arg::Int(3), Arg::Absent()}), 0u);
}

// Objects that borrow an image let go of it when a script deletes it: the
// scene draws on without it and the handles left behind name nothing.
TEST_F(DisplayObjectNativesTest, DeletingABorrowedImageLeavesNothingDangling) {
  const uint32_t image = Made("NativeCreateBlankSurfaceImage", {Arg::Int(8), Arg::Int(8)});
  const uint32_t shown = Made("NativeCreateD3DImage", {Arg::Int(image), Arg::Absent()});
  const uint32_t transition =
      Made("NativeCreateTransitionObject", {Arg::Int(0), Arg::Int(image), Arg::Int(3), Arg::Absent()});
  ASSERT_NE(shown, 0u);
  ASSERT_NE(transition, 0u);
  Display().Registry().Add(Display().GetSceneObject(shown), 0, 0);
  Display().Registry().Add(Display().GetSceneObject(transition), 0, 0);
  EXPECT_EQ(Call("NativeDeleteImage", {Arg::OutInt(image)}).result, 0u);
  auto* object = dynamic_cast<D3DImage*>(Display().GetSceneObject(shown));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetImage(), nullptr);
  EXPECT_FALSE(object->IsVisible());
  EXPECT_EQ(dynamic_cast<TransitionObject*>(Display().GetSceneObject(transition))->Source(), nullptr);
  EXPECT_EQ(Display().Registry().DrawAll(0, 0, &Display()), 0);
  EXPECT_EQ(Result("NativeGetImageWidth", {Arg::Int(image)}), 0);
  EXPECT_EQ(Made("NativeCreateD3DImage", {Arg::Int(image), Arg::Absent()}), 0u);

  // A sprite over a memory picture, on a canvas, lets go of it too.
  BoundPixelOps pixelOps;
  const uint32_t picture = MemoryPicture(8, 8);
  uint32_t sprite = 0;
  ASSERT_EQ(CreateImageSprite(Display(), &sprite, picture, nullptr, 0, 0), 0);
  const uint32_t canvas = Canvas(16, 16);
  GetObjectSpriteCanvas(canvas)->MainList().Add(Display().GetSprite(sprite), 0, 0);
  EXPECT_EQ(Call("NativeDeleteImage", {Arg::OutInt(picture)}).result, 0u);
  EXPECT_FALSE(Display().GetSprite(sprite)->IsVisible());
  EXPECT_EQ(GetCanvasPart(canvas)->Present(nullptr, nullptr, back_.get(), kPixelFormatX8R8G8B8, 0), 0);
}

}  // namespace
}  // namespace orrivel::testing
