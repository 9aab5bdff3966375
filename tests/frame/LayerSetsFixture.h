#pragma once
// Two 1280 x 720 layer displays over a game folder of small pictures, the
// built-in layer actions in a registry of their own, an object timer list
// on a manual clock, and switches for the effects and skipping.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "../scene/GoldenSupport.h"
#include "../scene/PictureFolder.h"
#include "../scene/SceneTestSupport.h"
#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "effect/BuiltinEffects.h"
#include "elg/ElgWriter.h"
#include "frame/TgsLayerSets.h"
#include "layout/LayoutWriter.h"
#include "platform/Clock.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"
#include "scene/CanvasDrawImage.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::test {

// A 32-bit picture: pixel (x, y) is colour(x, y); placement values (px, py).
template <typename F>
std::vector<uint8_t> ElgPicture(uint16_t width, uint16_t height, int16_t px, int16_t py, F colour) {
  tools::ElgImage image;
  image.depth = 32;
  image.width = width;
  image.height = height;
  image.offsetX = px;
  image.offsetY = py;
  for (uint16_t y = 0; y < height; ++y)
    for (uint16_t x = 0; x < width; ++x)
      for (int b = 0; b < 4; ++b) image.pixels.push_back(uint8_t(colour(x, y) >> (8 * b)));
  return tools::EncodeElg(image, tools::ElgHeaderVariant::kOffset);
}

// The pictures the overlay effects load: the noise and the snow flakes.
inline void WriteEffectPictures(PictureFolder& pictures) {
  auto dot = [](int, int) { return 0xFFFFFFFFu; };
  pictures.Write("SYS/NOISE.ELG", ElgPicture(64, 64, 0, 0, [](int x, int y) { return 0xFF000000u | uint32_t(x * y); }));
  for (int i = 0; i < 6; ++i) pictures.Write("SYS/SNOW_" + std::to_string(i) + ".ELG", ElgPicture(8, 8, 0, 0, dot));
}

// "OPENING.LAD": one sequence of two 100 ms frames of full-screen pictures.
inline void WriteOpeningAnimation(PictureFolder& pictures) {
  for (int i = 0; i < 2; ++i)
    pictures.Write("ANIME/P" + std::to_string(i) + ".ELG",
                   ElgPicture(1280, 720, 0, 0, [i](int, int) { return 0xFF202020u * uint32_t(i + 1); }));
  tools::LadDocument lad;
  lad.header[0] = lad.header[2] = 8;
  lad.SetSequenceCount(1);
  lad.frames = {{0, 100, 0, 0, 0}, {1, 100, 0, 0, 0}, {-1, 0, 0, 0, 0}};
  lad.names = {{"P0.ELG", 0, 0}, {"P1.ELG", 0, 0}};
  pictures.Write("OPENING.LAD", tools::WriteLad(lad));
}

class LayerSetsTest : public SceneTest {
 protected:
  static constexpr uint32_t kStart = 10000;
  static constexpr uint32_t kSkyBlue = 0xFF5080C0;

  void SetUp() override {
    SceneTest::SetUp();
    ResetSharedRandom();
    for (auto& display : displays_) ASSERT_EQ(display.Load(1280, 720, 32, 1), 0);
    // Backgrounds: a vertical gradient, and a plain one.
    pictures_.Write("BG01A.ELG", ElgPicture(1280, 720, 0, 0, [](int x, int y) {
                      return 0xFF000000u | uint32_t(y * 255 / 719) << 16 | uint32_t(x * 255 / 1279) << 8 | 0x40u;
                    }));
    pictures_.Write("BG02A.ELG", ElgPicture(1280, 720, 0, 0, [](int, int) { return kSkyBlue; }));
    // A character of 200 x 400 that stands at x 540 to 740 and y 320 to 720.
    pictures_.Write("ABC01.ELG", ElgPicture(200, 400, 540, 320, [](int x, int y) {
                      const bool inside = (x - 100) * (x - 100) / 90 + (y - 200) * (y - 200) / 360 < 100;
                      return inside ? 0xFFD07040u : 0x00000000u;
                    }));
    pictures_.Write("XYZ01.ELG", ElgPicture(100, 100, 590, 620, [](int, int) { return 0xFF30C050u; }));
    RegisterStartupEffects(actions_);
    RegisterScriptHostEffects(screenObjects_, actions_, 1);
    Make();
  }
  void TearDown() override {
    sets_.reset();
    timers_.Clear();
    SceneTest::TearDown();
  }

  void Make() {
    sets_.reset();
    TgsLayerEnvironment environment;
    environment.displays = {&displays_[0], &displays_[1]};
    environment.timers = &timers_;
    environment.actions = &actions_;
    environment.pumpFrame = [this] {
      ++pumps_;
      StepAt(clock_.TickMs() + 16);
      return pumps_ > closeAfter_ ? 0 : 1;
    };
    environment.skipping = [this](uint32_t) { return skipping_; };
    environment.effectsOn = [this] { return effectsOn_; };
    environment.stopTransition = [this] { ++transitionStops_; };
    sets_ = std::make_unique<TgsLayerSets>(std::move(environment));
    sets_->characters = {"ABCDEF", "QRS"};
  }

  void StepAt(uint32_t tick) {
    clock_.SetTick(tick);
    timers_.Step(tick);
  }

  SpriteCanvas& Canvas(int set) { return *displays_[set].GetCanvas(); }
  // The front canvas composed into a surface of its size.
  std::unique_ptr<Surface> Compose(int set = 0) {
    auto out = std::make_unique<Surface>();
    EXPECT_EQ(out->Create(1280, 720, 32, 0), 0);
    EXPECT_EQ(Canvas(set).RenderInto(out.get(), 0, 0, 0), 0);
    return out;
  }

  // The set's scene at a quarter of its size against the golden picture.
  void ExpectQuarterGolden(const std::string& name, int set = 0) {
    const std::unique_ptr<Surface> picture = Compose(set);
    Surface small;
    ASSERT_EQ(small.Create(320, 180, 32, 0), 0);
    const Size size{320, 180};
    ASSERT_EQ(small.StretchCopy(picture.get(), &size, 0, 0, nullptr, false), 0);
    ExpectGolden(small, name, "frame");
  }

  platform::ManualClock clock_{kStart};
  platform::ScopedClock scopedClock_{clock_};
  PictureFolder pictures_;
  CanvasDrawImage displays_[2];
  TimerList timers_;
  DcpManager actions_;
  TcpManager screenObjects_;
  std::unique_ptr<TgsLayerSets> sets_;
  bool effectsOn_ = true;
  bool skipping_ = false;
  int pumps_ = 0;
  int closeAfter_ = 1000;
  int transitionStops_ = 0;
};

}  // namespace orrivel::test
