// Layouts and animations written by the layout tool, read by the resource
// readers through the scene's adapters into a real sprite canvas made by the
// draw-object manager, and compared with golden pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "GoldenSupport.h"
#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "display/DrawObjectManager.h"
#include "elg/BmpWriter.h"
#include "layout/LayoutWriter.h"
#include "resource/LagAnimation.h"
#include "resource/LgmLayout.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ImageSprite.h"
#include "scene/LayoutScreenDevice.h"
#include "scene/LayoutSpriteCanvas.h"
#include "scene/RasterSurfacePort.h"
#include "scene/SpriteCanvas.h"

namespace orrivel {
namespace {

// A 32-bit bitmap file (rows top-down) with every pixel from f(x, y) as
// 0xAARRGGBB.
template <typename F>
std::vector<uint8_t> Bmp32(int32_t width, int32_t height, F f) {
  tools::BmpFile file;
  file.width = width;
  file.height = -height;
  file.bitCount = 32;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t argb = f(x, y);
      for (int shift : {0, 8, 16, 24}) file.data.push_back(uint8_t(argb >> shift));
    }
  return tools::WriteBmpFile(file);
}

class LayoutOnCanvasGoldenTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    ASSERT_EQ(CreateCanvasDrawObject(manager_, &screen_, 64, 48, 32, 1), 0);
    image_ = dynamic_cast<CanvasDrawImage*>(manager_.GetImage(screen_));
    ASSERT_NE(image_, nullptr);
    canvas_ = image_->GetCanvas();
    folder_.Write("scr/base.bmp", Bmp32(64, 48, [](int x, int y) {
      return 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 5) << 8 | 0x30u;
    }));
    folder_.Write("scr/red.bmp", Bmp32(12, 12, [](int x, int y) {
      return (x + y) % 4 == 0 ? 0xFFFFFFFFu : 0xFFE02020u;
    }));
    folder_.Write("scr/blue.bmp", Bmp32(20, 10, [](int, int y) { return 0xFF000000u | uint32_t(0x30 + y * 20); }));
  }

  void TearDown() override {
    canvas_->MainList().Clear();
    test::SceneTest::TearDown();
  }

  // Two visible parts (one half transparent, cropped by its stored size;
  // parts of kind 0 take their picture's size) and
  // one hidden part over the base picture.
  static tools::LgmDocument Screen() {
    tools::LgmDocument document;
    document.baseName = "base.bmp";
    document.parts = {{"red.bmp", 0, 6, 6, 255, 1, 0, 0, 0},
                      {"blue.bmp", 1, 30, 20, 128, 1, 14, 10, 0},
                      {"red.bmp", 0, 44, 4, 255, 0, 0, 0, 0}};
    return document;
  }

  test::PictureFolder folder_;
  DrawObjectManager manager_;
  uint32_t screen_ = 0;
  CanvasDrawImage* image_ = nullptr;
  SpriteCanvas* canvas_ = nullptr;
};

TEST_F(LayoutOnCanvasGoldenTest, LgmScreenIsDrawnOnTheCanvas) {
  folder_.Write("scr/screen.lgm", tools::WriteLgm(Screen(), tools::LgmForm::kSprite));
  LayoutScreenDevice device(manager_);
  LayoutSpriteCanvas port(*canvas_);
  LgmLayout layout;
  ASSERT_EQ(layout.Load(&device, &port, "scr/screen.lgm", 5, false, false), kLgmOk);
  // Every picture and sprite is an object of the manager, which scripts'
  // group deletions reach.
  EXPECT_EQ(manager_.ImageCount(), 1u + 1u + 3u);
  EXPECT_EQ(manager_.SpriteCount(), 3u);
  EXPECT_EQ(canvas_->MainList().Items().size(), 3u);
  ASSERT_EQ(layout.PartSprites().size(), 3u);
  EXPECT_NE(manager_.GetSprite(device.SpriteHandle(layout.PartSprites()[1])), nullptr);
  EXPECT_EQ(manager_.GetSprite(device.SpriteHandle(layout.PartSprites()[2]))->IsVisible(), false);

  ASSERT_EQ(canvas_->Render(nullptr, nullptr, 0, 0), 0);
  test::ExpectGolden(*image_->GetSurface(), "lgm_screen");
}

TEST_F(LayoutOnCanvasGoldenTest, FailedLgmLoadLeavesNothingBehind) {
  tools::LgmDocument document = Screen();
  document.parts.push_back({"missing.bmp", 0, 0, 0, 255, 1, 0, 0, 0});
  folder_.Write("scr/broken.lgm", tools::WriteLgm(document, tools::LgmForm::kSprite));
  LayoutScreenDevice device(manager_);
  LayoutSpriteCanvas port(*canvas_);
  LgmLayout layout;
  EXPECT_EQ(layout.Load(&device, &port, "scr/broken.lgm", 5, false, false), kLgmPartFailed);
  EXPECT_EQ(manager_.ImageCount(), 1u);  // the canvas image alone
  EXPECT_EQ(manager_.SpriteCount(), 0u);
  EXPECT_TRUE(canvas_->MainList().Items().empty());
  Surface* background = nullptr;
  canvas_->GetBackground(&background, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(background, nullptr);
}

TEST_F(LayoutOnCanvasGoldenTest, DeviceGoneTakesItsObjectsFromTheManager) {
  folder_.Write("scr/screen.lgm", tools::WriteLgm(Screen(), tools::LgmForm::kSprite));
  {
    LayoutScreenDevice device(manager_);
    LayoutSpriteCanvas port(*canvas_);
    LgmLayout layout;
    ASSERT_EQ(layout.Load(&device, &port, "scr/screen.lgm", 5, false, false), kLgmOk);
    canvas_->SetBackgroundImage(nullptr, 0, 0, 1);
  }
  EXPECT_EQ(manager_.ImageCount(), 1u);
  EXPECT_EQ(manager_.SpriteCount(), 0u);
  EXPECT_TRUE(canvas_->MainList().Items().empty());
}

TEST_F(LayoutOnCanvasGoldenTest, LagFramesAreDrawnOnTheCanvas) {
  tools::LagDocument document;
  document.SetSequenceCount(1);
  // Each frame: the picture, then where it stands; the closing record
  // after the last frame ends the one sequence.
  document.frames = {{0, 4, 6, 0}, {1, 20, 16, 0}, {0, 40, 30, 0}};
  document.pictures = {{Bmp32(16, 16, [](int x, int y) {
                          const int dx = 2 * x - 15, dy = 2 * y - 15;
                          return dx * dx + dy * dy <= 225 ? 0xFFFFD000u : 0x00000000u;
                        }), -2, 0},
                       {Bmp32(10, 14, [](int x, int) { return x < 5 ? 0xFF20C040u : 0xFF4020C0u; }), -1, 0}};
  const std::vector<uint8_t> bytes = tools::WriteLag(document);
  RasterSurfaceFactory surfaces;
  LagAnimation animation(&surfaces);
  ASSERT_EQ(animation.LoadFromMemory(bytes.data(), bytes.size(), false), kLagOk);
  ASSERT_EQ(animation.PictureCount(), 2u);

  canvas_->SetBackgroundColor(0x20, 0x20, 0x40, 1);
  ImageSprite sprite;
  ASSERT_EQ(canvas_->MainList().Add(&sprite, 1, 0), 0);
  const int32_t start = animation.GetSequenceStart(0);
  const int32_t end = animation.GetSequenceEnd(0);
  ASSERT_EQ(end - start, 3);
  for (int32_t frame = start; frame < end; ++frame) {
    const LagFrame& record = animation.Frames()[size_t(frame)];
    auto* picture = dynamic_cast<RasterSurfacePort*>(animation.Picture(uint32_t(record.values[0])));
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(sprite.SetImage(picture->Raster(), nullptr, record.values[1], record.values[2]), 0);
    ASSERT_EQ(canvas_->Render(nullptr, nullptr, 0, 0), 0);
    test::ExpectGolden(*image_->GetSurface(), "lag_frame_" + std::to_string(frame - start));
  }
  canvas_->MainList().Remove(&sprite);
}

}  // namespace
}  // namespace orrivel
