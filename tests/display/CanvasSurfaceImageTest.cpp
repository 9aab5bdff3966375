// Canvas images copied into display surfaces and textures: changed-area
// updates, the texture limit, the restore that copies the composed picture
// without drawing sprites again, keys from the composed picture, and the
// scene objects that bring the picture up to date as they draw.
#include <gtest/gtest.h>

#include <functional>

#include "SurfaceImageRig.h"
#include "display/DisplayTestSupport.h"
#include "display/MediaImage.h"
#include "raster/ColorBox.h"
#include "raster/PixelFormat.h"
#include "scene/D3DCanvasImage.h"
#include "scene/D3DCanvasQuad.h"
#include "scene/DecodedCanvasObjectA.h"
#include "scene/DecodedCanvasObjectB.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::testing {
namespace {

class CanvasSurfaceImageTest : public SurfaceImageRig {
 protected:
  void SetUp() override {
    SurfaceImageRig::SetUp();
    // Sprites draw through the pixel-operation library.
    BuildBlendTables();
    library_ = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library_->HasModule()) << library_->Error();
    SetCurrentPixelOpLibrary(library_.get());
    previousTables_ = SetMathTables(&tables_);
    BootWithTextures(platform::kTextureCapsPow2, 256);
  }
  void TearDown() override {
    device_->Registry().Clear();
    library_.reset();
    ResetPixelOpEntries();
    SetMathTables(previousTables_);
    SurfaceImageRig::TearDown();
  }
  void BootWithTextures(uint32_t caps, uint32_t maxSize) {
    direct3d_ = true;
    Boot(32, -1, [&](platform::DisplayMachine& m) {
      for (platform::MachineDevice& d : m.drivers[0].devices) {
        d.caps.textureCaps = caps;
        d.caps.maxTextureWidth = maxSize;
        d.caps.maxTextureHeight = maxSize;
      }
    });
    ASSERT_TRUE(device_->HasDevice());
  }

  std::unique_ptr<PixelOpLibrary> library_;
  MathTables tables_;
  MathTables* previousTables_ = nullptr;
};

// The composed surface of a canvas image, painted directly.
void Paint(CanvasDrawObject& canvas, const Rect& rect, uint8_t r, uint8_t g, uint8_t b) {
  canvas.GetSurface()->FillRgb(r, g, b, &rect);
}

TEST_F(CanvasSurfaceImageTest, UnchangedPicturesUpdateWithMinusOneAndWriteNothing) {
  DecodedCanvasObjectA offscreen;
  ASSERT_EQ(offscreen.Load(20, 10, 32, 0), 0);
  DecodedCanvasObjectB textured;
  ASSERT_EQ(textured.Load(kPixelFormatX8R8G8B8, 20, 10, 32, 0), 0);
  struct Case {
    const char* what;
    CanvasDrawObject* canvas;
    Image* image;
    std::function<int(uint8_t)> update;
  };
  const Case cases[] = {
      {"off-screen", &offscreen, &offscreen, [&](uint8_t d) { return offscreen.Update(d); }},
      {"texture", &textured, &textured, [&](uint8_t d) { return textured.Update(d); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform::SoftSurface* video = c.image->GetDisplaySurface();
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(SurfaceRgb(video, 5, 5), 0u);
    Paint(*c.canvas, Rect{2, 3, 6, 7}, 255, 0, 0);
    ASSERT_EQ(c.update(1), 0);
    EXPECT_EQ(SurfaceRgb(video, 3, 4), 0xFF0000u);
    // Nothing changed since: -1, and the surface is not even locked.
    video->SetBusy(1);
    EXPECT_EQ(c.update(1), -1);
    platform::SurfaceLock lock;
    EXPECT_EQ(video->Lock(nullptr, &lock), platform::kSurfaceBusy);
    // Only the changed rectangle goes across.
    video->ColorFill(nullptr, 0x0000FFu);
    Paint(*c.canvas, Rect{10, 1, 12, 3}, 0, 255, 0);
    ASSERT_EQ(c.update(1), 0);
    EXPECT_EQ(SurfaceRgb(video, 11, 2), 0x00FF00u);
    EXPECT_EQ(SurfaceRgb(video, 3, 4), 0x0000FFu);
    // The whole picture on request.
    ASSERT_EQ(c.update(0), 0);
    EXPECT_EQ(SurfaceRgb(video, 3, 4), 0xFF0000u);
  }
  EXPECT_EQ(offscreen.GetKind(), kImageKindDecodedCanvasA);
  EXPECT_EQ(textured.GetKind(), kImageKindDecodedCanvasB);
  // The texture follows the size rule; the content is the composed picture.
  EXPECT_EQ(textured.GetWidth(), 32);
  EXPECT_EQ(textured.GetHeight(), 16);
  EXPECT_EQ(textured.GetContentWidth(), 20);
  Rect bounds;
  textured.GetBounds(&bounds);
  EXPECT_EQ(bounds, (Rect{0, 0, 20, 10}));
  EXPECT_NE(textured.GetBits(), nullptr);
}

TEST_F(CanvasSurfaceImageTest, ACanvasCopiesOnlyItsChangedSprites) {
  DecodedCanvasObjectB textured;
  ASSERT_EQ(textured.Load(kPixelFormatA8R8G8B8, 40, 20, 32, 2), 0);
  ASSERT_NE(textured.GetCanvas(), nullptr);
  ASSERT_NE(textured.GetOverlayList(), nullptr);
  ColorBox box;
  ASSERT_EQ(box.Init(6, 6, 0xFFFF8000u, 4, 4), 0);
  textured.GetCanvas()->MainList().Add(&box, 1, 0);
  ASSERT_EQ(textured.Update(1), 0);
  EXPECT_EQ(SurfaceRgb(textured.GetSurface(), 5, 5), 0xFF8000u);
  // Scribbles on the texture stay until the box changes or all is asked for.
  textured.GetSurface()->ColorFill(nullptr, 0);
  EXPECT_EQ(textured.Update(1), -1);
  EXPECT_EQ(SurfaceRgb(textured.GetSurface(), 5, 5), 0u);
  ASSERT_EQ(textured.Update(0), 0);
  EXPECT_EQ(SurfaceRgb(textured.GetSurface(), 5, 5), 0xFF8000u);
  textured.GetCanvas()->MainList().Clear();
}

TEST_F(CanvasSurfaceImageTest, ATexturePastTheDeviceLimitIsRefused) {
  DecodedCanvasObjectB image;
  EXPECT_EQ(image.CreateTexture(kPixelFormatX8R8G8B8, 300, 10), DecodedCanvasObjectB::kTextureTooLarge);
  EXPECT_EQ(image.CreateTexture(3, 30, 10), DecodedCanvasObjectB::kTextureNoFormat);
  uint32_t handle = 77;
  EXPECT_EQ(CreateDecodedCanvasObjectB(*device_, &handle, kPixelFormatX8R8G8B8, 300, 10, 32, 1),
            DecodedCanvasObjectB::kLoadNoTexture);
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(device_->ImageCount(), 0u);
  // A good one: the list holds the image, the caller reaches the texture.
  ASSERT_EQ(CreateDecodedCanvasObjectB(*device_, &handle, kPixelFormatX8R8G8B8, 100, 10, 32, 1), 0);
  TextureSource* texture = device_->GetTextureSource(handle);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(texture->GetKind(), kImageKindDecodedCanvasB);
  EXPECT_EQ(device_->GetImage(handle)->GetKind(), kImageKindDecodedCanvasB);
  ASSERT_EQ(CreateDecodedCanvasObjectA(*device_, &handle, 30, 20, 32, 0), 0);
  EXPECT_EQ(device_->GetImage(handle)->GetKind(), kImageKindDecodedCanvasA);
  // Without Direct3D the texture kind cannot be made; the off-screen one can.
  direct3d_ = false;
  Boot(32);
  EXPECT_EQ(image.Load(kPixelFormatX8R8G8B8, 30, 10, 32, 0), DecodedCanvasObjectB::kLoadNoDevice);
  DecodedCanvasObjectA offscreen;
  EXPECT_EQ(offscreen.Load(30, 10, 32, 1), 0);
  EXPECT_EQ(offscreen.Load(30, 10, 12, 1), 3);  // no such depth for the composed surface
  EXPECT_EQ(offscreen.GetDisplaySurface(), nullptr);
}

TEST_F(CanvasSurfaceImageTest, ResizeRemakesTheComposedPictureAtItsSizeOrReleasesEverything) {
  DecodedCanvasObjectA offscreen;
  ASSERT_EQ(offscreen.Load(20, 10, 32, 1), 0);
  DecodedCanvasObjectB textured;
  ASSERT_EQ(textured.Load(kPixelFormatX8R8G8B8, 20, 10, 32, 1), 0);
  struct Case {
    const char* what;
    CanvasDrawObject* canvas;
    Image* image;
    std::function<int(uint8_t)> resize;
  };
  const Case cases[] = {
      {"off-screen", &offscreen, &offscreen, [&](uint8_t d) { return offscreen.Resize(d); }},
      {"texture", &textured, &textured, [&](uint8_t d) { return textured.Resize(d); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(c.resize(8), 0);
    Surface* surface = c.canvas->GetSurface();
    EXPECT_EQ(surface->GetBitsPerPixel(), 8);
    EXPECT_EQ(surface->GetWidth(), 20);
    EXPECT_EQ(surface->GetHeight(), 10);
    ASSERT_NE(c.canvas->GetCanvas(), nullptr);
    EXPECT_EQ(c.canvas->GetCanvas()->GetTarget(), surface);  // the canvas draws into the new picture
    ASSERT_EQ(c.resize(32), 0);
    EXPECT_EQ(surface->GetBitsPerPixel(), 32);
    // A depth the composed picture cannot have: nothing is left held.
    EXPECT_EQ(c.resize(12), 2);
    EXPECT_EQ(c.image->GetDisplaySurface(), nullptr);
    EXPECT_EQ(c.canvas->GetSurface()->GetBits(), nullptr);
    EXPECT_EQ(c.canvas->GetCanvas(), nullptr);
  }
}

TEST_F(CanvasSurfaceImageTest, AfterALossThePictureReturnsWithoutDrawingSpritesAgain) {
  DecodedCanvasObjectA offscreen;
  ASSERT_EQ(offscreen.Load(20, 10, 32, 1), 0);
  DecodedCanvasObjectB textured;
  ASSERT_EQ(textured.Load(kPixelFormatR5G6B5, 20, 10, 32, 1), 0);
  ColorBox boxA, boxB;
  ASSERT_EQ(boxA.Init(8, 8, 0xFF0000FFu, 1, 1), 0);
  ASSERT_EQ(boxB.Init(8, 8, 0xFF0000FFu, 1, 1), 0);
  offscreen.GetCanvas()->MainList().Add(&boxA, 1, 0);
  textured.GetCanvas()->MainList().Add(&boxB, 1, 0);
  ASSERT_EQ(offscreen.Update(1), 0);
  ASSERT_EQ(textured.Update(1), 0);
  ASSERT_EQ(offscreen.SetColorKeyAt(15, 5), 0);  // black, from the composed picture
  ASSERT_EQ(textured.SetColorKeyAt(15, 5), 0);
  EXPECT_EQ(offscreen.RgbColorKey(), 0u);
  EXPECT_EQ(offscreen.SetColorKeyAt(20, 5), 1);
  // A mark in the composed surface under the box: a redraw of the sprite
  // would cover it, a copy of the picture keeps it.
  for (CanvasDrawObject* canvas : {static_cast<CanvasDrawObject*>(&offscreen), static_cast<CanvasDrawObject*>(&textured)}) {
    Paint(*canvas, Rect{3, 3, 4, 4}, 255, 255, 255);
  }
  offscreen.GetDisplaySurface()->SetLost(true);
  textured.GetSurface()->SetLost(true);
  EXPECT_EQ(offscreen.Restore(1), 0);
  EXPECT_EQ(textured.Restore(1), 0);
  EXPECT_EQ(SurfaceRgb(offscreen.GetDisplaySurface(), 3, 3), 0xFFFFFFu);
  EXPECT_EQ(SurfaceRgb(offscreen.GetDisplaySurface(), 5, 5), 0x0000FFu);
  EXPECT_EQ(SurfaceRgb(textured.GetSurface(), 3, 3), 0xFFFFFFu);
  EXPECT_EQ(SurfaceRgb(textured.GetSurface(), 6, 6), 0x0000FFu);
  EXPECT_NE(offscreen.GetColorKey(), kNoColorKey);
  EXPECT_NE(textured.GetColorKey(), kNoColorKey);
  EXPECT_EQ(textured.KeyX(), 15);
  // Nothing lost: nothing done.
  EXPECT_EQ(textured.Restore(1), 0);
  offscreen.GetCanvas()->MainList().Clear();
  textured.GetCanvas()->MainList().Clear();
}

TEST_F(CanvasSurfaceImageTest, TheirSceneObjectsBringThePictureUpToDateAsTheyDraw) {
  DecodedCanvasObjectA offscreen;
  ASSERT_EQ(offscreen.Load(16, 8, 32, 0), 0);
  DecodedCanvasObjectB textured;
  ASSERT_EQ(textured.Load(kPixelFormatX8R8G8B8, 16, 8, 32, 0), 0);
  D3DCanvasImage blit;
  D3DCanvasQuad quad;
  // Each accepts only its own kind.
  EXPECT_EQ(blit.Create(&textured, nullptr, 0, 0), 1);
  EXPECT_EQ(blit.Create(nullptr, nullptr, 0, 0), 1);
  EXPECT_EQ(quad.Create(&textured, nullptr, 0, 0), 0);
  const auto bytes = FixtureElg(32, 4, 4, false);
  MediaImage picture;
  ASSERT_EQ(picture.Load(kPixelFormatX8R8G8B8, nullptr, bytes.data(), bytes.size(), 0), 0);
  EXPECT_EQ(quad.SetTexture(&picture), 1);
  EXPECT_EQ(quad.Create(&picture, nullptr, 0, 0), 1);
  ASSERT_EQ(quad.Create(&textured, nullptr, 30, 20), 0);
  ASSERT_EQ(blit.Create(&offscreen, nullptr, 2, 2), 0);
  EXPECT_EQ(blit.SetImage(&picture), 1);

  Paint(offscreen, Rect{0, 0, 16, 8}, 255, 0, 0);
  Paint(textured, Rect{0, 0, 16, 8}, 0, 255, 0);
  back_->ColorFill(nullptr, 0);
  device_->Registry().Add(&blit, 2, 0);
  device_->Registry().Add(&quad, 1, 0);
  ASSERT_EQ(device_->Registry().DrawAll(0, 0, device_.get()), 0);
  EXPECT_EQ(SurfaceRgb(back_.get(), 3, 3), 0xFF0000u);
  EXPECT_EQ(SurfaceRgb(back_.get(), 31, 21), 0x00FF00u);
  EXPECT_EQ(SurfaceRgb(back_.get(), 46, 21), 0u);  // the texture's padding is not drawn
  // A hidden object updates nothing; a quad without a device reports it.
  quad.SetVisible(false);
  EXPECT_EQ(quad.Draw(0, 0, device_.get()), 0);
  quad.SetVisible(true);
  D3DDevice bare;
  EXPECT_EQ(quad.Draw(0, 0, &bare), D3DQuad::kDrawNoDevice);
  device_->Registry().Clear();
  // The manager's creations over listed images; allocation failures give
  // their codes and leave the handle cleared.
  uint32_t offscreenHandle = 0, texturedHandle = 0, pictureHandle = 0, handle = 5;
  ASSERT_EQ(CreateDecodedCanvasObjectA(*device_, &offscreenHandle, 16, 8, 32, 0), 0);
  ASSERT_EQ(CreateDecodedCanvasObjectB(*device_, &texturedHandle, kPixelFormatX8R8G8B8, 16, 8, 32, 0), 0);
  ASSERT_EQ(device_->CreateMediaImage(&pictureHandle, kPixelFormatX8R8G8B8, nullptr, bytes.data(),
                                      bytes.size(), 0),
            0);
  EXPECT_EQ(CreateD3DQuadSubclass(*device_, &handle, pictureHandle, nullptr, 0, 0), 1);
  EXPECT_EQ(handle, 0u);
  ASSERT_EQ(CreateD3DQuadSubclass(*device_, &handle, texturedHandle, nullptr, 0, 0), 0);
  EXPECT_EQ(device_->GetSceneObject(handle)->GetKind(), kSceneObjectD3DQuad);
  EXPECT_EQ(CreateD3DImageSubclass(*device_, &handle, texturedHandle, nullptr, 0, 0), 1);
  ASSERT_EQ(CreateD3DImageSubclass(*device_, &handle, offscreenHandle, nullptr, 0, 0), 0);
  EXPECT_EQ(device_->GetSceneObject(handle)->GetKind(), kSceneObjectD3DImage);
  struct Failure {
    const char* what;
    int code;
    std::function<int(uint32_t*)> create;
  };
  const Failure failures[] = {
      {"off-screen", 4, [&](uint32_t* o) { return CreateDecodedCanvasObjectA(*device_, o, 8, 8, 32, 0); }},
      {"texture", 4,
       [&](uint32_t* o) { return CreateDecodedCanvasObjectB(*device_, o, kPixelFormatX8R8G8B8, 8, 8, 32, 0); }},
      {"quad", 2, [&](uint32_t* o) { return CreateD3DQuadSubclass(*device_, o, texturedHandle, nullptr, 0, 0); }},
      {"blit", 2, [&](uint32_t* o) { return CreateD3DImageSubclass(*device_, o, offscreenHandle, nullptr, 0, 0); }},
  };
  for (const Failure& f : failures) {
    uint32_t out = 9;
    device_->FailNextAllocation();
    EXPECT_EQ(f.create(&out), f.code) << f.what;
    EXPECT_EQ(out, 0u) << f.what;
  }
  device_->DeleteAll();
}

}  // namespace
}  // namespace orrivel::testing
