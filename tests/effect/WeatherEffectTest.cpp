#include "effect/WeatherEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "OverlayTestRig.h"
#include "effect/LayerActionLife.h"
#include "raster/ColorBox.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"
#include "scene/ImageSprite.h"

namespace orrivel {
namespace {

using testing::RefusingTimerList;
using testing::TestLayerHost;

// What each kind must show; the effect's own style table is not read.
struct KindCase {
  WeatherKind kind;
  const char* name;
  int32_t kinds;
  int32_t orderDivisor;
  int32_t cells;  // 0: a colour box
  double speedBase[8];
  double speedSpan;
  double launchChance;
  bool rises;
  double vxLimit, axLimit;  // 0: no sideways motion
};

const KindCase kKinds[] = {
    {WeatherKind::Paper, "paper", 8, 7, 24, {7.9, 8.7, 9.5, 10.3, 15.4, 16.2, 17.0, 17.8}, 4.0, 0.1, false, 3.0, 0.5},
    {WeatherKind::Light, "light", 3, 2, 5, {1.9, 2.7, 3.5}, 2.0, 0.1, true, 5.0, 0.5},
    {WeatherKind::Snow, "snow", 5, 4, 1, {5.7, 8.1, 10.5, 12.9, 15.3}, 0.6, 0.002, false, 1.5, 0.2},
    {WeatherKind::Rain, "rain", 6, 5, 0, {225, 195, 165, 135, 105, 75}, 15.0, 0.002, false, 0, 0},
};

class WeatherTest : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    // Pictures of distinct widths, so a sprite's picture tells its kind.
    for (int i = 0; i < 8; ++i) WriteOpaque("SYS/PAPER_" + std::to_string(i) + ".ELG", uint16_t(48 + 24 * i), 4);
    for (int i = 0; i < 3; ++i) WriteOpaque("SYS/GR_LT" + std::to_string(i) + ".ELG", uint16_t(10 + 5 * i), 3);
    for (int i = 0; i < 5; ++i) WriteOpaque("SYS/SNOW_" + std::to_string(i) + ".ELG", uint16_t(3 + i), 3);
    RegisterScriptHostEffects(screenObjects_, registry_, 424242);
  }
  // Made by name and set up as the frame does; the action is in slot_.
  WeatherEffect* Start(const char* name, int32_t count, bool spread, const char* scale = nullptr,
                       int32_t base = 19950, int32_t spreadKeys = 600, bool first = true, bool second = true) {
    const ObjectArgument cells[] = {count, base, spreadKeys, spread, ObjectArgument(scale),
                                   first, second};
    EXPECT_EQ(CreateLayerAction(registry_, &slot_, name, &list_, &host_, ObjectArguments{cells, 7}, false),
              kActionCreated);
    return static_cast<WeatherEffect*>(ActionInSlot(slot_));
  }
  size_t OnPage(int i) { return host_.Page(i).MainList().Items().size(); }
  static int Active(const WeatherEffect& effect) {
    int n = 0;
    for (const WeatherParticle& p : effect.Particles()) n += p.active ? 1 : 0;
    return n;
  }

  static constexpr int kW = 64;
  static constexpr int kH = 48;
  TestLayerHost host_{kW, kH};
  TcpManager screenObjects_;
  DcpManager registry_;
  TimedTask* slot_ = nullptr;
};

TEST_F(WeatherTest, EachKindBuildsLaunchesAndMovesItsParticlesAsItsRowSays) {
  for (const KindCase& k : kKinds) {
    SCOPED_TRACE(k.name);
    const uint32_t t0 = clock_.TickMs();
    constexpr int kCount = 1000;
    WeatherEffect* effect = Start(k.name, kCount, false);
    ASSERT_NE(effect, nullptr);
    EXPECT_STREQ(effect->GetName(), k.name);
    EXPECT_EQ(effect->Kind(), k.kind);
    EXPECT_EQ(Active(*effect), 1) << "only the first particle starts";
    EXPECT_EQ(OnPage(0), size_t(kCount));
    EXPECT_EQ(OnPage(1), size_t(kCount));
    for (const WeatherParticle& p : effect->Particles()) {
      ASSERT_GE(p.kind, 0);
      ASSERT_LT(p.kind, k.kinds);
      EXPECT_GE(p.speed, k.speedBase[p.kind]);
      EXPECT_LT(p.speed, k.speedBase[p.kind] + k.speedSpan);
      const SpriteList::Node* node = host_.Page(0).MainList().Find(p.sprites[0].get());
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->order, uint32_t(19950 + p.kind * 600 / k.orderDivisor));
      EXPECT_EQ(p.sprites[1]->OwningList(), &host_.Page(1).MainList());
      if (k.cells == 0) {
        auto* box = dynamic_cast<ColorBox*>(p.sprites[0].get());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->GetWidth(), 1);
        EXPECT_EQ(box->GetHeight(), int32_t((1 - 0.1 * p.kind) * 200));
        EXPECT_EQ(box->GetColor() & 0xFFFFFFu, 0xA0AAEBu);
        EXPECT_EQ(box->GetOpacity(), 130 - 20 * p.kind);
      } else {
        auto* sprite = dynamic_cast<ImageSprite*>(p.sprites[0].get());
        ASSERT_NE(sprite, nullptr);
        const int32_t pictureWidth = sprite->GetSource()->GetWidth();
        EXPECT_EQ(p.cellWidth, pictureWidth / k.cells);
        EXPECT_EQ(sprite->GetWidth(), p.cellWidth);
        EXPECT_EQ(sprite->GetSourceRect().left, p.frame * p.cellWidth);
      }
      if (k.kind == WeatherKind::Light) {
        EXPECT_GE(std::fabs(p.vx), k.speedBase[p.kind]);
        EXPECT_LT(std::fabs(p.vx), k.speedBase[p.kind] + 0.2);
      } else {
        EXPECT_EQ(p.vx, 0.0);
      }
    }
    // One step launches about the chance's share of the free particles.
    StepAt(t0 + 80);
    const double launched = Active(*effect) - 1;
    EXPECT_NEAR(launched / (kCount - 1), k.launchChance, k.launchChance * 0.5 + 0.004);
    // Motion of every particle on screen, and the walk within its clamps.
    int checked = 0;
    for (int step = 2; step < 30; ++step) {
      std::vector<double> x, y, vx;
      for (const WeatherParticle& p : effect->Particles()) {
        x.push_back(p.x);
        y.push_back(p.y);
        vx.push_back(p.vx);
      }
      StepAt(t0 + 80 * uint32_t(step));
      for (size_t i = 0; i < effect->Particles().size(); ++i) {
        const WeatherParticle& p = effect->Particles()[i];
        const double fall = std::max(1.0, p.speed);
        const double expectedY = k.rises ? y[i] - fall : y[i] + fall;
        if (!p.active || p.y != expectedY) continue;  // free, launched or re-entered
        ++checked;
        EXPECT_DOUBLE_EQ(p.x, x[i] + vx[i]);
        EXPECT_EQ(p.sprites[0]->GetY(), int32_t(std::trunc(p.y)));
        EXPECT_EQ(p.sprites[1]->GetX(), int32_t(std::trunc(p.x)));
        EXPECT_LE(std::fabs(p.vx), k.vxLimit);
        EXPECT_LE(std::fabs(p.ax), k.axLimit);
      }
    }
    EXPECT_GT(checked, 20);
    list_.Stop(effect->Handle());
    StepAt(t0 + 5000);
  }
}

TEST_F(WeatherTest, ScaleHalvesTheMotionButEveryStepMovesAtLeastOnePixel) {
  struct Case {
    const char* scale;
    double expected;
  } const cases[] = {{nullptr, 1.0}, {"0", 1.0}, {"0.5", 0.5}, {"0.001", 0.001}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale ? c.scale : "absent");
    const uint32_t t0 = clock_.TickMs();
    WeatherEffect* effect = Start("light", 40, true, c.scale);
    EXPECT_EQ(effect->Scale(), c.expected);
    std::vector<double> x, y, vx;
    for (const WeatherParticle& p : effect->Particles()) {
      x.push_back(p.x);
      y.push_back(p.y);
      vx.push_back(p.vx);
    }
    StepAt(t0 + 80);
    for (size_t i = 0; i < effect->Particles().size(); ++i) {
      const WeatherParticle& p = effect->Particles()[i];
      if (!p.active || p.y > y[i]) continue;  // re-entered at the bottom
      EXPECT_NEAR(y[i] - p.y, std::max(1.0, c.expected * p.speed), 1e-9);
      EXPECT_NEAR(p.x - x[i], c.expected * vx[i], 1e-9);
    }
    list_.Stop(effect->Handle());
    StepAt(t0 + 1000);
  }
}

TEST_F(WeatherTest, LightTwinklesWithTheOpacityByteOfItsCounter) {
  WeatherEffect* effect = Start("light", 30, true);
  std::vector<uint16_t> counters;
  for (const WeatherParticle& p : effect->Particles()) {
    EXPECT_LT(p.twinkle, 510);
    counters.push_back(p.twinkle);
  }
  StepAt(kStart + 80);
  for (size_t i = 0; i < counters.size(); ++i) {
    const WeatherParticle& p = effect->Particles()[i];
    const uint16_t next = counters[i] + 32 >= 510 ? 0 : uint16_t(counters[i] + 32);
    if (p.twinkle != next) continue;  // re-entered, counter drawn anew
    EXPECT_EQ(p.sprites[0]->GetOpacity(), uint8_t((510 - next) % 256));
    EXPECT_EQ(p.sprites[1]->GetOpacity(), uint8_t((510 - next) % 256));
  }
}

TEST_F(WeatherTest, AfterAStopRequestTheParticlesLeaveOneByOneAndTheEffectEndsAfterTheLast) {
  for (const char* name : {"paper", "light", "snow", "rain"}) {
    SCOPED_TRACE(name);
    const uint32_t t0 = clock_.TickMs();
    WeatherEffect* effect = Start(name, 12, true);
    const uint32_t handle = effect->Handle();
    StepAt(t0 + 80);
    EXPECT_EQ(effect->Control({0}), 0);
    int active = Active(*effect);
    ASSERT_GT(active, 1);
    bool sawSome = false;
    for (uint32_t step = 2; list_.Contains(handle); ++step) {
      ASSERT_LT(step, 2000u) << "never ended";
      StepAt(t0 + 80 * step);
      if (!list_.Contains(handle)) break;
      const int now = Active(*effect);
      EXPECT_LE(now, active) << "no new launches";
      EXPECT_GT(now, 0) << "still listed with nothing on screen";
      sawSome |= now > 0 && now < active;
      active = now;
    }
    // Drops fall faster than this screen is high: they all leave at once.
    if (std::string(name) != "rain") {
      EXPECT_TRUE(sawSome);
    }
    EXPECT_EQ(slot_, nullptr);
    EXPECT_EQ(OnPage(0), 0u);
    EXPECT_EQ(OnPage(1), 0u);
  }
}

TEST_F(WeatherTest, StopThroughTheTimerListRemovesEveryParticleAtOnce) {
  WeatherEffect* effect = Start("snow", 20, true);
  EXPECT_EQ(OnPage(0), 20u);
  EXPECT_TRUE(StopLayerAction(list_, &slot_));
  EXPECT_TRUE(effect->Particles().empty());
  EXPECT_EQ(OnPage(0), 0u);
  EXPECT_EQ(OnPage(1), 0u);
  StepAt(kStart + 80);
  EXPECT_EQ(list_.Size(), 0u);
}

TEST_F(WeatherTest, VisibilityControlAddressesThePageThatIsFirstNow) {
  WeatherEffect* effect = Start("paper", 10, true, nullptr, 0, 0, true, false);
  const WeatherParticle& p = effect->Particles().front();
  EXPECT_TRUE(p.sprites[0]->IsVisible());
  EXPECT_FALSE(p.sprites[1]->IsVisible());
  host_.Exchange();
  EXPECT_EQ(effect->Control({1, 1, 0}), 0);
  EXPECT_FALSE(effect->ShowFirst());
  EXPECT_TRUE(effect->ShowSecond());
  for (const WeatherParticle& q : effect->Particles()) {
    EXPECT_EQ(q.sprites[0]->IsVisible(), false);
    EXPECT_EQ(q.sprites[1]->IsVisible(), q.active);
  }
}

TEST_F(WeatherTest, SetupRefusesWithItsCodesAndLeavesNothingOnThePages) {
  TestLayerHost noSecond{kW, kH};
  noSecond.DropSecondPage();
  RefusingTimerList refusing;
  struct Case {
    const char* what;
    WeatherKind kind;
    bool bound;
    TimerList* list;
    TestLayerHost* host;
    int32_t count;
    bool dropPicture;
    int32_t code;
  } const cases[] = {
      {"no generator yet", WeatherKind::Paper, false, &list_, &host_, 4, false, 1},
      {"no particles", WeatherKind::Rain, true, &list_, &host_, 0, false, 1},
      {"no timer list", WeatherKind::Snow, true, nullptr, &host_, 4, false, 1},
      {"no target", WeatherKind::Light, true, &list_, nullptr, 4, false, 1},
      {"no second page", WeatherKind::Rain, true, &list_, &noSecond, 4, false, 2},
      {"more particles than can be had", WeatherKind::Rain, true, &list_, &host_,
       WeatherEffect::kMaxParticles + 1, false, 4},
      {"timer list refuses", WeatherKind::Snow, true, &refusing, &host_, 4, false, 5},
      {"a picture is missing", WeatherKind::Paper, true, &list_, &host_, 4, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BindOverlayEffectRandom(c.bound ? &SharedRandom() : nullptr);
    if (c.dropPicture) std::filesystem::remove(folder_.HostPath("SYS/PAPER_7.ELG"));
    WeatherEffect effect(c.kind);
    EXPECT_EQ(effect.Setup(c.list, c.host, {c.count, 100, 10, 1, 0, 1, 1}), c.code);
    EXPECT_TRUE(effect.Particles().empty());
    EXPECT_EQ(OnPage(0), 0u);
    EXPECT_EQ(OnPage(1), 0u);
    EXPECT_EQ(list_.Size(), 0u);
  }
}

}  // namespace
}  // namespace orrivel
