// Scroll: easing, every direction and motion as drawn rectangles, the fade
// of motion 4, and bands.
#include <gtest/gtest.h>

#include <vector>

#include "NamedTransitionFixture.h"
#include "transition/ScrollTransition.h"

namespace orrivel {
namespace {

constexpr int kW = 30, kH = 21;

using named_test::At;

class ScrollTest : public named_test::NamedTransitionFixture {
 protected:
  ScrollTest() : NamedTransitionFixture(kW, kH, 12) {}
  HeldPtr<ScrollTransition> Make(std::vector<ObjectArgument> args) {
    return NamedTransitionFixture::Make<ScrollTransition>("scroll", std::move(args));
  }
};

TEST_F(ScrollTest, EasingExponentShapesTheOffset) {
  const char* two = "2";
  const char* minusTwo = "-2";
  struct Case {
    const char* exponent;
    uint32_t atHalf;
  };
  // A quarter of 30 pixels at half time, three quarters, or half.
  for (const Case& c : {Case{two, 7}, Case{minusTwo, 22}, Case{nullptr, 15}}) {
    auto t = Make({1000, 0, 0, ObjectArgument(c.exponent)});
    ASSERT_NE(t, nullptr);
    t->Update(5000);
    EXPECT_EQ(t->Offset(), 0u);
    t->Update(5500);
    EXPECT_EQ(t->Offset(), c.atHalf);
    EXPECT_EQ(t->IsFinished(), 0);
    t->Update(6000);
    EXPECT_EQ(t->Offset(), 30u);
    EXPECT_EQ(t->IsFinished(), -1);
  }
  EXPECT_EQ(Make({0, 0, 0, 0}), nullptr);
}

TEST_F(ScrollTest, EveryDirectionAndMotionDrawsItsRectangles) {
  struct Case {
    int direction, motion;
    int newX, newY, oldX, oldY;
  };
  // Offsets 10 across and 7 down; the top picture is the new one except in
  // motion 1.
  const Case cases[] = {
      {0, 0, -20, 0, 0, 0}, {0, 1, 0, 0, 10, 0},   {0, 2, -20, 0, 10, 0},
      {1, 0, 0, -14, 0, 0}, {1, 1, 0, 0, 0, 7},    {1, 2, 0, -14, 0, 7},
      {2, 0, 20, 0, 0, 0},  {2, 1, 0, 0, -10, 0},  {2, 2, 20, 0, -10, 0},
      {3, 0, 0, 14, 0, 0},  {3, 1, 0, 0, 0, -7},   {3, 2, 0, 14, 0, -7},
      {7, 0, 0, 14, 0, 0},  // other directions act as 3
  };
  for (const Case& c : cases) {
    const bool across = c.direction == 0 || c.direction == 2;
    const uint32_t duration = across ? 30 : 21;
    for (int bandHeight : {kH, 4}) {
      auto t = Make({std::intptr_t(duration), c.direction, c.motion, 0});
      ASSERT_NE(t, nullptr);
      t->Update(0);
      t->Update(across ? 10 : 7);
      Draw(*t, bandHeight);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const bool inNew = x >= c.newX && x < c.newX + kW && y >= c.newY && y < c.newY + kH;
          const bool inOld = x >= c.oldX && x < c.oldX + kW && y >= c.oldY && y < c.oldY + kH;
          const bool newOnTop = c.motion != 1;
          uint32_t want;
          if (inNew && (newOnTop || !inOld))
            want = At(to, x - c.newX, y - c.newY);
          else
            want = At(from, x - c.oldX, y - c.oldY);
          ASSERT_TRUE(inNew || inOld);
          ASSERT_EQ(At(destination, x, y), want)
              << "direction " << c.direction << " motion " << c.motion << " at " << x << "," << y;
        }
    }
  }
}

TEST_F(ScrollTest, MotionFourFadesTheOldPictureOutOverTheNew) {
  auto t = Make({1000, 0, 4, 0});
  ASSERT_NE(t, nullptr);
  t->Update(0);
  EXPECT_EQ(t->FadeLevel(), 255);
  Draw(*t, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), At(from, x, y));
  t->Update(500);
  EXPECT_EQ(t->Offset(), 15u);
  EXPECT_EQ(t->FadeLevel(), 128);
  Draw(*t, 5);
  int between = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const uint32_t got = At(destination, x, y);
      if (x < 15) {
        ASSERT_EQ(got, At(to, x, y));
        continue;
      }
      // Half-way between the sliding old picture and the new one beneath.
      const uint32_t o = At(from, x - 15, y), n = At(to, x, y);
      for (int shift : {0, 8, 16}) {
        const int a = int(o >> shift & 0xFF), b = int(n >> shift & 0xFF), g = int(got >> shift & 0xFF);
        ASSERT_GE(g, std::min(a, b) - 1);
        ASSERT_LE(g, std::max(a, b) + 1);
        if (std::abs(a - b) > 8 && g != a && g != b) ++between;
      }
    }
  EXPECT_GT(between, 100);
  t->Update(1000);
  EXPECT_EQ(t->FadeLevel(), 0);
  EXPECT_EQ(t->IsFinished(), -1);
  Draw(*t, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) ASSERT_EQ(At(destination, x, y), At(to, x, y));
}

}  // namespace
}  // namespace orrivel
