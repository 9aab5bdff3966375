#pragma once
// The sprite actions' test rig: a 640x480 layer picture with a canvas on it,
// image sprites of opaque pictures in the canvas's main list, a timer list
// the actions are added to, and the shared generator seeded and bound. The
// tests step each action directly at the ticks they name.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "base/SubtractiveRandom.h"
#include "base/TimerList.h"
#include "RefusingTimerList.h"
#include "effect/BuiltinEffects.h"
#include "effect/LayerAction.h"
#include "platform/Clock.h"
#include "raster/Surface.h"
#include "scene/ImageSprite.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"

namespace orrivel::testing {

class SpriteActionTest : public test::SceneTest {
 protected:
  static constexpr uint32_t kStart = 10000;

  void SetUp() override {
    test::SceneTest::SetUp();
    ResetSharedRandom();
    SharedRandom().Seed(31337);
    BindOverlayEffectRandom(&SharedRandom());
    layer_ = test::MakeSolid32(640, 480, 0xFF000000u);
    ASSERT_EQ(canvas_.SetTarget(layer_.get(), 0), 0);
  }
  void TearDown() override {
    list_.Clear();
    refused_.clear();
    sprites_.clear();
    pictures_.clear();
    BindOverlayEffectRandom(nullptr);
    ResetSharedRandom();
    test::SceneTest::TearDown();
  }

  // A sprite of a w x h picture whose pixel is f(x, y), at (x, y) in the
  // canvas's main list.
  template <typename F>
  ImageSprite* AddSprite(int32_t w, int32_t h, int32_t x, int32_t y, F f, uint32_t order = 10) {
    pictures_.push_back(test::MakeSurface32(w, h, f));
    pictures_.back()->SetHasAlpha(true);
    sprites_.push_back(std::make_unique<ImageSprite>());
    ImageSprite* sprite = sprites_.back().get();
    EXPECT_EQ(sprite->SetImage(pictures_.back().get(), nullptr, x, y), 0);
    EXPECT_EQ(canvas_.MainList().Add(sprite, order, 0), 0);
    return sprite;
  }
  ImageSprite* AddSolidSprite(int32_t w, int32_t h, int32_t x, int32_t y, uint32_t pixel = 0xFF204080u) {
    return AddSprite(w, h, x, y, [pixel](int, int) { return pixel; });
  }

  // Sets the action up with the cells; the list owns it when it was added,
  // the rig otherwise.
  template <typename T>
  T* Start(int32_t expected, const ObjectArgument& target, std::initializer_list<ObjectArgument> cells) {
    auto* action = new T();
    const int32_t code = action->Setup(&list_, target, cells);
    EXPECT_EQ(code, expected);
    if (code != 0) {
      refused_.emplace_back(action);
      return action;
    }
    return action;
  }

  platform::ManualClock clock_{kStart};
  platform::ScopedClock scopedClock_{clock_};
  std::unique_ptr<Surface> layer_;
  SpriteCanvas canvas_;
  std::vector<std::unique_ptr<Surface>> pictures_;
  std::vector<std::unique_ptr<ImageSprite>> sprites_;
  TimerList list_;
  std::vector<std::unique_ptr<LayerAction>> refused_;
};

template <class T>
inline ObjectArgument Cell(T* pointer) {
  return ObjectArgument(pointer);
}

}  // namespace orrivel::testing
