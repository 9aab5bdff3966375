#pragma once
// The overlay effects' test rig: a layer host with a 32-bit screen and two
// pages that can be exchanged, a game folder the system pictures are
// written into with the ELG writer, the image loader, our pixel-operation
// library, a manual clock and the shared generator seeded and bound.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "RefusingTimerList.h"
#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/LayerHost.h"
#include "elg/ElgWriter.h"
#include "platform/Clock.h"
#include "raster/Surface.h"
#include "resource/ArchiveManager.h"
#include "resource/BaseFolder.h"
#include "resource/ImageLoaderManager.h"
#include "resource/TempFolder.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::testing {

class TestLayerHost : public LayerHost, public BackgroundLayer {
 public:
  TestLayerHost(int32_t width, int32_t height) {
    screen_.Create(width, height, 32, 0);
    for (SpriteCanvas& page : pages_) page.SetTarget(&screen_, 0);
  }
  Surface* GetScreenSurface() override { return &screen_; }
  SpriteCanvas* GetFirstPage() override { return &pages_[exchanged_ ? 1 : 0]; }
  BackgroundLayer* GetSecondPageObject() override { return hasSecond_ ? this : nullptr; }
  SpriteCanvas* GetLayerCanvas() override { return &pages_[exchanged_ ? 0 : 1]; }

  // The page set up first, whatever the exchanges since.
  SpriteCanvas& Page(int i) { return pages_[i]; }
  void Exchange() { exchanged_ = !exchanged_; }
  void DropSecondPage() { hasSecond_ = false; }

 private:
  Surface screen_;
  SpriteCanvas pages_[2];
  bool exchanged_ = false;
  bool hasSecond_ = true;
};

class OverlayTest : public test::SceneTest {
 protected:
  static constexpr uint32_t kStart = 10000;

  void SetUp() override {
    test::SceneTest::SetUp();
    oldBase_ = SetBaseFolderForTest(folder_.Internal());
    oldManager_ = SetArchiveManager(&manager_);
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
    ResetSharedRandom();
    SharedRandom().Seed(424242);
    BindOverlayEffectRandom(&SharedRandom());
  }
  void TearDown() override {
    list_.Clear();
    BindOverlayEffectRandom(nullptr);
    ResetSharedRandom();
    Surface::SetLoaderManager(oldLoader_);
    SetArchiveManager(oldManager_);
    SetBaseFolderForTest(oldBase_);
    test::SceneTest::TearDown();
  }

  // Writes a 32-bit picture whose pixel (x, y) is color(x, y) (0xAARRGGBB)
  // under the game folder, path with forward slashes.
  void WritePicture(const std::string& path, uint16_t width, uint16_t height,
                    const std::function<uint32_t(int, int)>& color) {
    tools::ElgImage image;
    image.depth = 32;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const uint32_t c = color(x, y);
        image.pixels.insert(image.pixels.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)});
      }
    }
    folder_.Write(path, tools::EncodeElg(image, tools::ElgHeaderVariant::kDepthOnly));
  }
  void WriteOpaque(const std::string& path, uint16_t width, uint16_t height) {
    WritePicture(path, width, height, [](int x, int y) { return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x); });
  }

  void StepAt(uint32_t tick) {
    clock_.SetTick(tick);
    list_.Step(tick);
  }

  TempFolder folder_;
  ArchiveManager manager_;
  ImageLoaderManager loader_;
  platform::ManualClock clock_{kStart};
  platform::ScopedClock scopedClock_{clock_};
  TimerList list_;

 private:
  std::string oldBase_;
  ArchiveManager* oldManager_ = nullptr;
  ImageLoaderManager* oldLoader_ = nullptr;
};

}  // namespace orrivel::testing
