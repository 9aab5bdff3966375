#pragma once
// The background actions' test rig: a layer object (kind 7) whose canvas
// and second page draw onto a small 32-bit screen, pictures whose every
// pixel differs, and the overlay rig's manual clock and timer list.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "OverlayTestRig.h"
#include "effect/LayerAction.h"
#include "effect/LayerHost.h"
#include "effect/LayerObject.h"
#include "raster/Surface.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::testing {

class TestBackgroundLayer : public BackgroundLayer, public LayerObject {
 public:
  TestBackgroundLayer(int32_t width, int32_t height) {
    screen_.Create(width, height, 32, 0);
    canvas_.SetTarget(&screen_, 0);
    second_.SetTarget(&screen_, 0);
  }
  SpriteCanvas* GetLayerCanvas() override { return withoutScreen_ ? &bare_ : &canvas_; }
  SpriteCanvas* GetSecondPageCanvas() override { return hasSecond_ ? &second_ : nullptr; }
  int GetObjectKind() const override { return kind_; }
  BackgroundLayer* GetBackgroundLayer() override { return this; }

  SpriteCanvas& Canvas() { return *GetLayerCanvas(); }
  SpriteCanvas& Second() { return second_; }
  Surface& Screen() { return screen_; }
  void SetKind(int kind) { kind_ = kind; }
  void DropSecondPage() { hasSecond_ = false; }
  // From now on the layer's canvas is one that has no screen to draw on.
  void UseCanvasWithoutScreen() { withoutScreen_ = true; }

 private:
  Surface screen_;
  SpriteCanvas canvas_;
  SpriteCanvas second_;
  SpriteCanvas bare_;
  bool withoutScreen_ = false;
  int kind_ = 7;
  bool hasSecond_ = true;
};

// The pixel (x, y) of the rig's pictures: opaque, a different colour each.
inline uint32_t PicturePixel(int x, int y) { return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x); }

inline std::unique_ptr<Surface> MakePicture(int w, int h) { return test::MakeSurface32(w, h, PicturePixel); }

inline uint32_t CopyPixel(SpriteCanvas& canvas, int x, int y) { return test::Pixel32(*canvas.BackCopy(), x, y); }

class BackgroundTest : public OverlayTest {
 protected:
  static constexpr uint32_t kFill = 0xFF123456u;

  // Gives the canvas a picture at an offset and the rig's fill colour.
  void ShowPicture(SpriteCanvas& canvas, Surface* picture, int32_t x = 0, int32_t y = 0) {
    canvas.StoreBackgroundValue(kFill);
    canvas.SetBackgroundImage(picture, x, y, 0);
  }
  // Puts a set-up action in the rig's slot, as the frame does.
  void Hold(LayerAction* action) {
    action->SetOwnerSlot(&slot_);
    slot_ = action;
  }

  TimedTask* slot_ = nullptr;
};

// Actions left running are stopped by the timer list when the test ends,
// so the layers they draw on live in the fixture, not in a test's body.

}  // namespace orrivel::testing
