// Colour boxes: creation and the colours kept by -1, the colour that
// follows the push state (including the 100 ms press of the decide
// action), enabling without a disabled colour, and resizing.
#include "scene/ColorBoxControl.h"

#include <gtest/gtest.h>

#include "ControlFrameFixture.h"

namespace orrivel {
namespace {

class ColorBoxControlTest : public test::ControlFrameTest {
 protected:
  // A 40 x 30 box at (10, 20), listed and not yet hovered.
  void MakeBox(uint32_t normal = 0xFF102030, uint32_t hover = ColorBoxControl::kKeepColour,
               uint32_t pressed = ColorBoxControl::kKeepColour) {
    ASSERT_EQ(box.Create(&list, 3, 10, 20, 40, 30, normal, hover, pressed, 7), 0);
    ASSERT_EQ(host.AddControl(&box, -1), 0u);
  }
  uint32_t Shown() const { return uint32_t(box.Box().GetOpacity()) << 24 | box.Box().GetColor(); }

  ColorBoxControl box;
};

TEST_F(ColorBoxControlTest, CreationAndItsRefusals) {
  EXPECT_EQ(box.Create(&list, 0, 0, 0, 0, 10, 1, 2, 3, 0), 1);
  EXPECT_EQ(box.Create(&list, 0, 0, 0, 10, -1, 1, 2, 3, 0), 1);
  EXPECT_EQ(box.Create(nullptr, 0, 0, 0, 10, 10, 1, 2, 3, 0), 1);
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(box.SetSize(5, 5), 1);  // before creation

  MakeBox();
  EXPECT_EQ(box.GetKind(), 2);
  EXPECT_EQ(box.NormalColour(), 0xFF102030u);
  EXPECT_EQ(box.HoverColour(), 0x400080FFu);    // -1 keeps the default
  EXPECT_EQ(box.PressedColour(), 0x40FF8000u);  // -1 keeps the default
  EXPECT_EQ(Shown(), 0xFF102030u);
  EXPECT_EQ(box.GetGroup(), 7);
  EXPECT_EQ(box.GetOrder(), 3);
  ASSERT_EQ(list.Items().size(), 1u);
  EXPECT_EQ((Rect{box.GetX(), box.GetY(), box.GetWidth(), box.GetHeight()}), (Rect{10, 20, 40, 30}));

  EXPECT_EQ(box.SetSize(0, 50), 0);  // a value below 1 keeps that one
  EXPECT_EQ(box.GetWidth(), 40);
  EXPECT_EQ(box.GetHeight(), 50);
  EXPECT_EQ(box.Box().GetHeight(), 50);

  // A second creation replaces the first and keeps colours given as -1.
  ASSERT_EQ(box.Create(&list, 3, 0, 0, 5, 5, ColorBoxControl::kKeepColour, 0x11223344, 0xFFFFFFFFu, 7), 0);
  EXPECT_EQ(box.NormalColour(), 0xFF102030u);
  EXPECT_EQ(box.HoverColour(), 0x11223344u);
  EXPECT_EQ(list.Items().size(), 1u);
  box.Release();
  EXPECT_TRUE(list.Items().empty());
}

TEST_F(ColorBoxControlTest, TheColourFollowsThePointerAndTheDecideAction) {
  MakeBox();
  box.SetTag(4);
  Frame(12, 22);  // hover
  EXPECT_EQ(Shown(), 0x400080FFu);
  Frame(49, 49, {}, 1);  // the bottom-right pixel is inside; pressed
  EXPECT_EQ(Shown(), 0x40FF8000u);
  host.TakeLog();
  Frame(49, 49, {}, 0);  // released: activation
  EXPECT_EQ(host.TakeLog(), (Log{"selected 4", "sound - -4"}));
  EXPECT_EQ(Shown(), 0x400080FFu);
  Frame(50, 49);  // just outside
  EXPECT_EQ(Shown(), 0xFF102030u);

  // The decide action always shows the pressed colour first and fires once
  // 100 ms have passed.
  host.SetFocus(&box);
  ASSERT_EQ(box.GetState(), PushControl::kHover);
  host.TakeLog();
  Frame(-5, -5, {platform::DIK_RETURN});
  EXPECT_EQ(Shown(), 0x40FF8000u);
  EXPECT_EQ(host.TakeLog(), Log{});
  clock.Advance(100);
  Frame(-5, -5);
  EXPECT_EQ(host.TakeLog(), Log{});
  clock.Advance(1);
  Frame(-5, -5);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 4", "sound - -4"}));
  EXPECT_EQ(Shown(), 0x400080FFu);

  // A state value other than 0, 1 and 2 is shown as a colour.
  box.SetStateValue(0x80ABCDEFu);
  EXPECT_EQ(Shown(), 0x80ABCDEFu);
}

TEST_F(ColorBoxControlTest, DisablingAHoveredBoxShowsTheNormalColour) {
  MakeBox();
  Frame(12, 22);
  ASSERT_EQ(Shown(), 0x400080FFu);
  EXPECT_TRUE(box.SetEnabled(false));
  EXPECT_EQ(Shown(), 0xFF102030u);
  EXPECT_FALSE(host.IsHovered(&box));
  EXPECT_FALSE(box.SetEnabled(false));
  EXPECT_TRUE(box.SetEnabled(true));
  EXPECT_EQ(box.GetState(), PushControl::kNormal);
  EXPECT_EQ(Shown(), 0xFF102030u);
}

TEST_F(ColorBoxControlTest, MovingToAnotherList) {
  MakeBox();
  SpriteList other;
  EXPECT_EQ(box.MoveToList(nullptr), 1);
  EXPECT_EQ(box.MoveToList(&other), 0);
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(other.Items().size(), 1u);
  box.SetVisible(false);
  EXPECT_FALSE(box.IsVisible());
}

}  // namespace
}  // namespace orrivel
