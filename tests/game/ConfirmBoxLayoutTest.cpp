#include "game/ConfirmBoxLayout.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

using Layout = ConfirmBoxLayout;

Layout::Request Ask(int32_t tw, int32_t th, int32_t set) {
  Layout::Request r;
  r.textWidth = tw;
  r.textHeight = th;
  r.set = set;
  r.buttonSizes = {Layout::Button{0, 0, 100, 40}, Layout::Button{0, 0, 90, 40}};
  return r;
}

TEST(ConfirmBoxLayout, AShortTextGivesTheSmallestBoxCentredAndTheTextInItsMiddle) {
  const Layout box = Layout::Compute(Ask(100, 20, 0));
  EXPECT_EQ(box.width, 296);
  EXPECT_EQ(box.height, 148);
  EXPECT_EQ(box.x, 492);
  EXPECT_EQ(box.y, 286);
  // Indented by half of 214 - 100, lowered by half of 75 - 20.
  EXPECT_EQ(box.textX, 492 + 43 + 57);
  EXPECT_EQ(box.textY, 286 + 29 + 27);
  EXPECT_EQ(box.buttonCount, 1);
}

TEST(ConfirmBoxLayout, ButtonsOfEachSetSitUnderTheText) {
  struct Case {
    int32_t set;
    int32_t firstX;  // relative to the box
    int32_t secondOffset;
    int32_t count;
  };
  // Text 300 x 100 at (100, 50): the box is 382 x 173; the buttons at
  // y 50 + 100 + 16.
  const Case cases[] = {{0, 25 + (332 - 70) / 2, 0, 1},
                        {1, 25 + (332 - 217) / 2, 116, 2},
                        {2, 25 + (332 - 208) / 2, 125, 2},
                        {3, 25 + (332 - 208) / 2, 125, 2}};
  for (const Case& c : cases) {
    Layout::Request r = Ask(300, 100, c.set);
    r.x = 100;
    r.y = 50;
    const Layout box = Layout::Compute(r);
    EXPECT_EQ(box.width, 382);
    EXPECT_EQ(box.height, 173);
    EXPECT_EQ(box.buttonCount, c.count) << c.set;
    EXPECT_EQ(box.buttons[0].x, 100 + c.firstX) << c.set;
    EXPECT_EQ(box.buttons[0].y, 166);
    if (c.count == 2) EXPECT_EQ(box.buttons[1].x, box.buttons[0].x + c.secondOffset);
    EXPECT_EQ(box.textX, 143);
    EXPECT_EQ(box.textY, 79);
  }
}

TEST(ConfirmBoxLayout, AtThePointerTheDefaultButtonComesUnderItInsideTheScreen) {
  Layout::Request r = Ask(100, 20, 2);
  r.x = -2;
  r.pointerX = 600;
  r.pointerY = 400;
  r.defaultButton = 1;
  Layout box = Layout::Compute(r);
  EXPECT_TRUE(box.atPointer);
  const Layout::Button& second = box.buttons[1];
  EXPECT_EQ(second.x + 2 + second.width / 2, 600);
  EXPECT_EQ(second.y + second.height / 2, 400);
  EXPECT_EQ(second.x - box.buttons[0].x, 125);

  // Near the corner the box stays on the screen.
  r.pointerX = 1270;
  r.pointerY = 5;
  box = Layout::Compute(r);
  EXPECT_EQ(box.x, 1280 - box.width);
  EXPECT_EQ(box.y, 0);
  EXPECT_EQ(box.buttons[1].x - box.buttons[0].x, 125);

  // The keyboard position (or beyond) centres it.
  for (auto [px, py] : {std::pair{1279, 719}, std::pair{1400, 800}, std::pair{-1, 10}}) {
    r.pointerX = px;
    r.pointerY = py;
    box = Layout::Compute(r);
    EXPECT_FALSE(box.atPointer);
    EXPECT_EQ(box.x, 492);
    EXPECT_EQ(box.y, 286);
  }
}

}  // namespace
}  // namespace orrivel
