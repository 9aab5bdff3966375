// The gradient wipe: where the edge and the band stand in each direction,
// the hard edge, the exact restoring of the surface's alpha, the end state
// and a stop half way.
#include "effect/SpriteGroupFadeAction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "SpriteActionRig.h"

namespace orrivel {
namespace {

using testing::Cell;

// Every pixel's alpha differs from its neighbours', so a byte put back in
// the wrong place shows.
uint32_t PatternPixel(int x, int y) { return uint32_t(200 + (x * 7 + y * 3) % 56) << 24 | 0x00336699u; }

std::vector<uint8_t> AlphaPlane(Surface& s) {
  std::vector<uint8_t> out;
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int x = 0; x < s.GetWidth(); ++x) out.push_back(uint8_t(test::Pixel32(s, x, y) >> 24));
  return out;
}

class GroupFade : public testing::SpriteActionTest {
 protected:
  void SetUp() override {
    SpriteActionTest::SetUp();
    sprite_ = AddSprite(400, 400, 30, 20, PatternPixel);
    picture_ = sprite_->GetSource();
    original_ = AlphaPlane(*picture_);
  }
  SpriteGroupFadeAction* Wipe(int32_t duration, int32_t direction, int32_t band, const char* curve = nullptr,
                              int32_t expected = 0) {
    return Start<SpriteGroupFadeAction>(expected, nullptr, {Cell(sprite_), duration, direction, band, Cell(curve)});
  }
  uint8_t Alpha(int x, int y) { return uint8_t(test::Pixel32(*picture_, x, y) >> 24); }
  uint8_t Original(int x, int y) { return uint8_t(PatternPixel(x, y) >> 24); }

  ImageSprite* sprite_ = nullptr;
  Surface* picture_ = nullptr;
  std::vector<uint8_t> original_;
};

struct WipeCase {
  int32_t direction;
  Rect shown;
  int32_t x;
  int32_t y;
  // The band's leading (transparent) and trailing (untouched) line.
  int32_t leading;
  int32_t trailing;
};

TEST_F(GroupFade, EdgeAndBandHalfWayInEachDirection) {
  const WipeCase cases[] = {
      {0, {0, 0, 220, 400}, 30, 20, 219, 180},
      {1, {180, 0, 400, 400}, 30 + 180, 20, 180, 219},
      {2, {0, 0, 400, 220}, 30, 20, 219, 180},
      {3, {0, 180, 400, 400}, 30, 20 + 180, 180, 219},
  };
  for (const WipeCase& c : cases) {
    SCOPED_TRACE(c.direction);
    SpriteGroupFadeAction* wipe = Wipe(1000, c.direction, 40);
    EXPECT_FALSE(sprite_->IsVisible());
    ASSERT_EQ(wipe->Step(kStart), 0);
    // Nothing shows before the edge has moved.
    EXPECT_FALSE(sprite_->IsVisible());
    ASSERT_EQ(wipe->Step(kStart + 500), 0);
    EXPECT_TRUE(sprite_->IsVisible());
    EXPECT_EQ(wipe->LastEdge(), 220);
    EXPECT_EQ(sprite_->GetSourceRect(), c.shown);
    EXPECT_EQ(sprite_->GetX(), c.x);
    EXPECT_EQ(sprite_->GetY(), c.y);
    const bool vertical = c.direction >= 2;
    auto at = [&](int32_t line, int32_t across) { return vertical ? Alpha(across, line) : Alpha(line, across); };
    auto was = [&](int32_t line, int32_t across) {
      return vertical ? Original(across, line) : Original(line, across);
    };
    for (int32_t across : {0, 123, 399}) {
      // The ramp runs from transparent at the leading edge to one step
      // short of opaque at the trailing one.
      EXPECT_EQ(at(c.leading, across), 0);
      EXPECT_NEAR(at(c.trailing, across), was(c.trailing, across) * 249 / 255, 1);
      // Outside the band nothing changed.
      EXPECT_EQ(at(179, across), was(179, across));
      EXPECT_EQ(at(220, across), was(220, across));
      // The band falls toward the leading edge, relative to the alpha it
      // scales.
      const int32_t step = c.leading > c.trailing ? 1 : -1;
      for (int32_t line = c.trailing; line != c.leading; line += step) {
        const int32_t level = at(line, across) * 255 / was(line, across);
        EXPECT_LE(at(line + step, across) * 255 / was(line + step, across), level + 1);
      }
    }
    // At the duration the surface is exactly as it was, and the sprite whole.
    EXPECT_EQ(wipe->Step(kStart + 1000), 1);
    EXPECT_EQ(AlphaPlane(*picture_), original_);
    EXPECT_EQ(sprite_->GetSourceRect(), (Rect{0, 0, 400, 400}));
    EXPECT_EQ(sprite_->GetX(), 30);
    EXPECT_EQ(sprite_->GetY(), 20);
    EXPECT_TRUE(sprite_->IsVisible());
    list_.Clear();
  }
}

TEST_F(GroupFade, EachBandIsPutBackBeforeTheNextOne) {
  SpriteGroupFadeAction* wipe = Wipe(1000, 0, 40);
  ASSERT_EQ(wipe->Step(kStart), 0);
  for (uint32_t t = 1; t < 1000; t += 37) {
    ASSERT_EQ(wipe->Step(kStart + t), 0);
    // Only the current band differs from the picture.
    const int32_t edge = wipe->LastEdge();
    std::vector<uint8_t> expected = original_;
    const std::vector<uint8_t> now = AlphaPlane(*picture_);
    for (int y = 0; y < 400; ++y)
      for (int x = std::max(0, edge - 40); x < std::min(400, edge); ++x)
        expected[size_t(y * 400 + x)] = now[size_t(y * 400 + x)];
    ASSERT_EQ(now, expected) << "at " << t;
  }
  // The same edge again draws nothing.
  const std::vector<uint8_t> before = AlphaPlane(*picture_);
  wipe->Draw(963);
  EXPECT_EQ(AlphaPlane(*picture_), before);
}

TEST_F(GroupFade, HardEdgeKeepsTheAlphaAndSavesNothing) {
  SpriteGroupFadeAction* wipe = Wipe(1000, 0, 0);
  EXPECT_EQ(wipe->SaveSurface(), nullptr);
  ASSERT_EQ(wipe->Step(kStart), 0);
  ASSERT_EQ(wipe->Step(kStart + 500), 0);
  EXPECT_EQ(sprite_->GetSourceRect(), (Rect{0, 0, 200, 400}));
  EXPECT_EQ(AlphaPlane(*picture_), original_);
}

TEST_F(GroupFade, CurveShapesTheTime) {
  SpriteGroupFadeAction* wipe = Wipe(1000, 0, 40, "2");
  ASSERT_EQ(wipe->Step(kStart), 0);
  ASSERT_EQ(wipe->Step(kStart + 500), 0);
  // 250 shaped ms of 1000: a quarter of the 440 px travel.
  EXPECT_EQ(wipe->LastEdge(), 110);
}

// Curve texts a script passes: what is no finite number keeps the time
// straight, a curve past the range is held to it.
TEST_F(GroupFade, CurveTextsAreReadFiniteAndHeldToTheirRange) {
  struct Case {
    const char* curve;
    int32_t edge;  // half the time gone, of 440 px travel (-40: not begun)
  };
  const Case cases[] = {
      {"nan", 220},   {"inf", 220},  {"-inf", 220},   {"1e30", -40}, {"-1e30", 440},
      {"1e-400", 220}, {"2", 110},   {"garbage", 220},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.curve);
    SpriteGroupFadeAction* wipe = Wipe(1000, 0, 40, c.curve);
    ASSERT_NE(wipe, nullptr);
    ASSERT_EQ(wipe->Step(kStart), 0);
    ASSERT_EQ(wipe->Step(kStart + 500), 0);
    EXPECT_EQ(wipe->LastEdge(), c.edge);
    wipe->Step(kStart + 1000);
  }
}

TEST_F(GroupFade, ZeroDurationShowsTheSpriteAtOnce) {
  sprite_->SetVisible(0);
  Wipe(0, 0, 40, nullptr, SpriteGroupFadeAction::kShownAtOnce);
  EXPECT_TRUE(sprite_->IsVisible());
  EXPECT_EQ(list_.Size(), 0u);
  // Refusals.
  Start<SpriteGroupFadeAction>(1, nullptr, {0, 1000, 0, 40});
  SpriteGroupFadeAction lone;
  EXPECT_EQ(lone.Setup(nullptr, nullptr, {Cell(sprite_), 1000, 0, 40}), 1);
}

TEST_F(GroupFade, StopHalfWayLeavesTheSpriteWhole) {
  sprite_->SetOpacity(90);
  SpriteGroupFadeAction* wipe = Wipe(1000, 3, 40);
  ASSERT_EQ(wipe->Step(kStart), 0);
  ASSERT_EQ(wipe->Step(kStart + 500), 0);
  ASSERT_TRUE(list_.Stop(wipe->Handle()));
  EXPECT_EQ(AlphaPlane(*picture_), original_);
  EXPECT_EQ(sprite_->GetSourceRect(), (Rect{0, 0, 400, 400}));
  EXPECT_EQ(sprite_->GetX(), 30);
  EXPECT_EQ(sprite_->GetY(), 20);
  EXPECT_EQ(sprite_->GetOpacity(), 90);
  EXPECT_TRUE(sprite_->IsVisible());
}

TEST_F(GroupFade, StopBeforeTheFirstDrawOnlyShowsTheSprite) {
  SpriteGroupFadeAction* wipe = Wipe(1000, 1, 40);
  ASSERT_TRUE(list_.Stop(wipe->Handle()));
  EXPECT_TRUE(sprite_->IsVisible());
  EXPECT_EQ(sprite_->GetX(), 30);
}

}  // namespace
}  // namespace orrivel
