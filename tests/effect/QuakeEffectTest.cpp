#include "effect/QuakeEffect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "OverlayTestRig.h"
#include "base/MathTables.h"
#include "effect/LayerActionLife.h"
#include "resource/DcpManager.h"
#include "resource/TcpManager.h"

namespace orrivel {
namespace {

using testing::RefusingTimerList;
using testing::TestLayerHost;

struct QuakeCells {
  int32_t swing = 0;
  int32_t ax = 0;
  int32_t ay = 0;
  int32_t duration = 0;
  const char* endScale = nullptr;
  bool copy = false;
  bool first = true;
  bool second = true;
};

class QuakeTest : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    picture_ = test::MakeSurface32(kW, kH, [](int x, int y) { return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x); });
    for (int i = 0; i < 2; ++i) {
      host_.Page(i).SetBackgroundImage(picture_.get(), 5 * i, 7 * i, 0);
      host_.Page(i).StoreBackgroundValue(0xFF123456u);
    }
    reference_.Seed(424242);
  }

  int32_t Setup(QuakeEffect* quake, const QuakeCells& c, TimerList* list = nullptr, const ObjectArgument& target = nullptr) {
    return quake->Setup(list ? list : &list_, target.Given() ? target : ObjectArgument(&host_),
                        {c.swing, c.ax, c.ay, c.duration, ObjectArgument(c.endScale), c.copy,
                         c.first, c.second, 0});
  }
  QuakeEffect* Start(const QuakeCells& c) {
    auto* quake = new QuakeEffect();
    EXPECT_EQ(Setup(quake, c), 0);
    quake->SetOwnerSlot(&slot_);
    slot_ = quake;
    return quake;
  }
  void ExpectOffsets(int page, int32_t x, int32_t y) {
    int32_t ox = 0, oy = 0;
    host_.Page(page).GetBackground(nullptr, &ox, &oy, nullptr, nullptr, nullptr);
    EXPECT_EQ(ox, x) << "page " << page;
    EXPECT_EQ(oy, y) << "page " << page;
  }
  double Fraction() { return double(reference_.Next()) * 1e-9; }

  static constexpr int kW = 8;
  static constexpr int kH = 6;
  TestLayerHost host_{kW, kH};
  std::unique_ptr<Surface> picture_;
  SubtractiveRandom reference_;
  TimedTask* slot_ = nullptr;
};

TEST_F(QuakeTest, SetupRefusesWithItsCodesAndLeavesThePagesAlone) {
  TestLayerHost noSecond{kW, kH};
  noSecond.DropSecondPage();
  TestLayerHost noScreen{0, 0};
  RefusingTimerList refusing;
  QuakeCells copy;
  copy.copy = true;
  copy.ax = 4;
  struct Case {
    const char* what;
    bool bound;
    TimerList* list;
    ObjectArgument target;
    QuakeCells cells;
    int32_t code;
  } const cases[] = {
      {"no generator yet", false, &list_, &host_, copy, 5},
      {"no timer list", true, nullptr, &host_, copy, 1},
      {"no target", true, &list_, nullptr, copy, 1},
      {"no second page", true, &list_, &noSecond, copy, 1},
      {"no work copy", true, &list_, &noScreen, copy, 4},
      {"timer list refuses", true, &refusing, &host_, copy, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BindOverlayEffectRandom(c.bound ? &SharedRandom() : nullptr);
    QuakeEffect quake;
    EXPECT_EQ(quake.Setup(c.list, c.target, {c.cells.swing, c.cells.ax, 0, 0, 0, 1, 1, 1, 0}), c.code);
    EXPECT_EQ(host_.Page(0).BackCopy(), nullptr) << "a work copy made is given back";
    EXPECT_EQ(host_.Page(1).BackCopy(), nullptr);
    EXPECT_EQ(list_.Size(), 0u);
  }
  QuakeEffect noCells;
  EXPECT_EQ(noCells.SetupV(&list_, &host_, ObjectArguments{}), 1);
}

TEST_F(QuakeTest, TimedSwingFadesLinearlyToNothingAndRestoresBothPages) {
  QuakeCells c;
  c.swing = 2;  // two half swings over the duration
  c.ax = 40;
  c.ay = 20;
  c.duration = 1000;
  QuakeEffect* quake = Start(c);
  const MathTables tables;
  for (uint32_t elapsed : {0u, 125u, 250u, 375u, 600u, 875u, 999u}) {
    SCOPED_TRACE(elapsed);
    StepAt(kStart + elapsed);
    const double scale = 1.0 - elapsed / 1000.0;
    const int64_t sine = tables.Sin(int32_t(std::trunc(512.0 * elapsed / 1000.0)));
    const int32_t dx = int32_t(std::trunc(double((40 * sine) >> 16) * scale));
    const int32_t dy = int32_t(std::trunc(double((20 * sine) >> 16) * scale));
    EXPECT_EQ(quake->OffsetX(), -dx);
    EXPECT_EQ(quake->OffsetY(), -dy);
    ExpectOffsets(0, -dx, -dy);
    ExpectOffsets(1, 5 - dx, 7 - dy);
  }
  const uint32_t handle = quake->Handle();
  StepAt(kStart + 1000);
  EXPECT_FALSE(list_.Contains(handle));
  EXPECT_EQ(slot_, nullptr);
  ExpectOffsets(0, 0, 0);
  ExpectOffsets(1, 5, 7);
}

TEST_F(QuakeTest, TimedRandomQuakeJittersWithAShrinkingAmplitudeAndEndScale) {
  QuakeCells c;
  c.ax = 30;
  c.ay = 30;
  c.duration = 1000;
  c.endScale = "0.5";
  QuakeEffect* quake = Start(c);
  for (uint32_t elapsed = 0; elapsed < 1000; elapsed += 50) {
    StepAt(kStart + elapsed);
    const double scale = 1.0 - 0.5 * elapsed / 1000.0;
    const double r1 = Fraction(), r2 = Fraction();
    EXPECT_EQ(quake->OffsetX(), -int32_t(std::trunc((r1 * 30 - 15) * scale))) << elapsed;
    EXPECT_EQ(quake->OffsetY(), -int32_t(std::trunc((r2 * 30 - 15) * scale))) << elapsed;
    EXPECT_LE(std::abs(quake->OffsetX()), 15 * scale + 1e-9);
  }
  StepAt(kStart + 1000);
  EXPECT_EQ(slot_, nullptr);
  ExpectOffsets(0, 0, 0);
}

TEST_F(QuakeTest, EndlessQuakeStopsOnRequestAtOnceOrAtTheEndOfItsPeriod) {
  // Jolts: the first step after the request ends it.
  QuakeCells jolts;
  jolts.ax = 6;
  jolts.ay = 6;
  QuakeEffect* quake = Start(jolts);
  StepAt(kStart);
  StepAt(kStart + 16);
  EXPECT_EQ(quake->Control({0}), 0);
  EXPECT_EQ(quake->Control({1}), 0) << "other values are ignored";
  StepAt(kStart + 32);
  EXPECT_EQ(slot_, nullptr);
  ExpectOffsets(0, 0, 0);
  ExpectOffsets(1, 5, 7);

  // A swing of 400 ms (negative period taken as its absolute value).
  QuakeCells swing;
  swing.swing = -400;
  swing.ay = 10;
  quake = Start(swing);
  EXPECT_EQ(quake->Swing(), 400);
  const MathTables tables;
  StepAt(kStart + 1000);
  StepAt(kStart + 1100);
  EXPECT_EQ(quake->OffsetY(), -((10 * int64_t(tables.Sin(int32_t(100.0 / 400 * 511.0)))) >> 16));
  quake->Control({0});
  for (uint32_t t : {1200u, 1300u, 1399u}) {
    StepAt(kStart + t);
    ASSERT_NE(slot_, nullptr) << "still in its period at " << t;
    EXPECT_EQ(quake->GetStopState(), QuakeEffect::StopState::Requested);
  }
  StepAt(kStart + 1400);
  EXPECT_EQ(slot_, nullptr);
  ExpectOffsets(0, 0, 0);
}

TEST_F(QuakeTest, EqualAmplitudesJitterAboutZeroUnequalOnesSwingTheLargerAxisToAlternateSides) {
  struct Case {
    int32_t ax, ay;
  } const cases[] = {{10, 10}, {20, 4}, {4, 20}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ax) + "x" + std::to_string(c.ay));
    QuakeCells cells;
    cells.ax = c.ax;
    cells.ay = c.ay;
    const uint32_t t0 = clock_.TickMs();
    QuakeEffect* quake = Start(cells);
    bool xNegative = false, xPositive = false, yNegative = false, yPositive = false;
    for (int i = 0; i < 40; ++i) {
      StepAt(t0 + 16 * uint32_t(i));
      const int32_t x = quake->OffsetX(), y = quake->OffsetY();
      // The larger axis: positive offsets on even jolts (the shake goes
      // the other way), negative on odd ones; the smaller about zero.
      if (c.ax > c.ay) {
        EXPECT_TRUE(i % 2 == 0 ? x >= 0 : x <= 0) << i;
        EXPECT_LE(std::abs(x), c.ax);
      } else {
        EXPECT_LE(std::abs(x), c.ax / 2);
      }
      if (c.ay > c.ax) {
        EXPECT_TRUE(i % 2 == 0 ? y >= 0 : y <= 0) << i;
        EXPECT_LE(std::abs(y), c.ay);
      } else {
        EXPECT_LE(std::abs(y), c.ay / 2);
      }
      xNegative |= x < 0;
      xPositive |= x > 0;
      yNegative |= y < 0;
      yPositive |= y > 0;
    }
    EXPECT_TRUE(xNegative && xPositive && yNegative && yPositive) << "both sides reached";
    list_.Stop(quake->Handle());
    StepAt(t0 + 1000);
  }
}

// The colour the work copy must hold at (x, y) for a shift (sx, sy).
uint32_t ShiftedPixel(Surface& picture, int x, int y, int sx, int sy, uint32_t fill) {
  const int px = x - sx, py = y - sy;
  if (px < 0 || py < 0 || px >= picture.GetWidth() || py >= picture.GetHeight()) return fill;
  return test::Pixel32(picture, px, py);
}

TEST_F(QuakeTest, CopyModeRedrawsTheWorkCopyFillsUncoveredBandsAndReleasesItAlsoWhenStoppedEarly) {
  // Made by name, as the frame does, through the script host's registration.
  TcpManager screenObjects;
  DcpManager registry;
  RegisterScriptHostEffects(screenObjects, registry, 424242);
  for (bool stopEarly : {false, true}) {
    SCOPED_TRACE(stopEarly ? "stopped early" : "timed end");
    TimedTask* slot = nullptr;
    const uint32_t t0 = clock_.TickMs();
    const ObjectArgument cells[] = {0, 24, 24, 2000, 0, 1, 1, 0, 0};
    ASSERT_EQ(CreateLayerAction(registry, &slot, "quake", &list_, &host_, ObjectArguments{cells, 9}, false),
              kActionCreated);
    auto* quake = static_cast<QuakeEffect*>(ActionInSlot(slot));
    ASSERT_NE(host_.Page(0).BackCopy(), nullptr);
    EXPECT_EQ(host_.Page(1).BackCopy(), nullptr) << "the second page does not shake";
    bool sawWholeFill = false, sawPartial = false;
    for (uint32_t t = 0; t < 1000; t += 40) {
      StepAt(t0 + t);
      Surface& copy = *host_.Page(0).BackCopy();
      const int32_t sx = quake->OffsetX(), sy = quake->OffsetY();
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          ASSERT_EQ(test::Pixel32(copy, x, y), ShiftedPixel(*picture_, x, y, sx, sy, 0xFF123456u))
              << "at (" << x << ", " << y << ") shift (" << sx << ", " << sy << ")";
      (std::abs(sx) >= kW || std::abs(sy) >= kH ? sawWholeFill : sawPartial) = true;
      ExpectOffsets(0, 0, 0);
    }
    EXPECT_TRUE(sawWholeFill && sawPartial);
    if (stopEarly) {
      EXPECT_TRUE(StopLayerAction(list_, &slot));
    } else {
      StepAt(t0 + 2000);
      EXPECT_EQ(slot, nullptr);
    }
    EXPECT_EQ(host_.Page(0).BackCopy(), nullptr);
    StepAt(t0 + 3000);
    EXPECT_EQ(list_.Size(), 0u);
    ExpectOffsets(1, 5, 7);
  }
}

}  // namespace
}  // namespace orrivel
