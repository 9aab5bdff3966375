#include "natives/ControlAccess.h"

#include <gtest/gtest.h>

#include <string>

#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "scene/CheckButtonControl.h"
#include "scene/ItemMenuControl.h"
#include "scene/ScrollBar.h"
#include "scene/TextEntryControl.h"
#include "scene/TextPanelControl.h"
#include "scene/HotSpotControl.h"
#include "scene/WindowControl.h"

namespace orrivel {
namespace {

TEST(ControlAccess, CheckButtonsAreOnFromStateThreeButNotInStateSix) {
  CheckButtonControl button;
  const int32_t on[] = {0, 0, 0, 1, 1, 1, 0, 1};
  for (uint8_t state = 0; state < 8; ++state) {
    button.SetState(state);
    EXPECT_EQ(GetControlValue(&button, nullptr), on[state]) << int(state);
  }
  EXPECT_EQ(GetControlValue(nullptr, nullptr), -1);
  EXPECT_EQ(SetControlValue(nullptr, 1, nullptr), -1);
}

TEST(ControlAccess, ValuesByKindAndMinusOneForTheOthers) {
  ScrollBar bar;
  EXPECT_EQ(GetControlValue(&bar, nullptr), bar.GetValue());
  TextEntryControl entry;
  std::string text = "unchanged";
  EXPECT_EQ(GetControlValue(&entry, &text), 0);
  EXPECT_EQ(text, "");
  ItemMenuControl menu;
  EXPECT_EQ(GetControlValue(&menu, nullptr), menu.CurrentItem());
  // Kinds without a value.
  WindowControl window;
  EXPECT_EQ(GetControlValue(&window, nullptr), -1);
}

// Counts the lines a window starts and the characters it takes.
class CountingWindow : public WindowControl {
 public:
  bool NewLine() override {
    ++lines;
    return lines > lineLimit;
  }
  int lines = 0;
  int lineLimit = 100;
};

using ControlAccessWindow = test::SceneTest;

TEST_F(ControlAccessWindow, TypingTakesCrLfAsOneLineAndStopsWhenFull) {
  test::CellFont font{16};
  SpriteList list;
  CountingWindow window;
  ASSERT_EQ(window.Create(&list, 1, 400, 200, 0, 0, &font, nullptr, 0), 0);
  EXPECT_EQ(SetControlValue(&window, 0, "AB\r\nC\rD\nE"), 0);
  EXPECT_EQ(window.lines, 3);
  std::string drawn;
  for (const auto& draw : font.draws) drawn += draw.text;
  EXPECT_EQ(drawn, "ABCDE");

  // A full window takes nothing more.
  CountingWindow full;
  full.lineLimit = 0;
  test::CellFont other{16};
  ASSERT_EQ(full.Create(&list, 2, 400, 200, 0, 0, &other, nullptr, 0), 0);
  EXPECT_EQ(SetControlValue(&full, 0, "A\nB"), 0);
  EXPECT_EQ(full.lines, 1);
  ASSERT_EQ(other.draws.size(), 1u);
  EXPECT_EQ(other.draws[0].text, "A");
}

// The first text-panel kind, which answers as the second does.
class PanelOfFirstKind : public TextPanelControl {
 public:
  int32_t GetKind() const override { return kControlTextPanelA; }
};

TEST(ControlAccess, SpriteSurfaceFlagAndOptionOfThePanelsMenusAndTheRest) {
  PanelOfFirstKind first;
  TextPanelControl second;
  ItemMenuControl menu;
  ScrollBar bar;
  HotSpotControl spot;
  struct Row {
    Control* control;
    const Drawable* sprite;
    const Surface* surface;
    int32_t flag, option;
  };
  const Row rows[] = {
      {nullptr, nullptr, nullptr, -1, -1},
      {&first, &first.Sprite(), &first.Picture(), -1, -1},
      {&second, &second.Sprite(), &second.Picture(), -1, -1},
      {&menu, nullptr, &menu.ItemMap(), -1, 0},
      {&bar, nullptr, nullptr, 0, -1},
      {&spot, nullptr, nullptr, -1, -1},
  };
  for (const Row& row : rows) {
    const int32_t kind = row.control != nullptr ? row.control->GetKind() : -1;
    EXPECT_EQ(GetControlSprite(row.control, 0), row.sprite) << kind;
    bool borrowed = true;
    EXPECT_EQ(GetControlSurface(row.control, 0, &borrowed), row.surface) << kind;
    EXPECT_FALSE(borrowed);
    EXPECT_EQ(SetControlFlag(row.control, true), row.flag) << kind;
    EXPECT_EQ(SetControlOption(row.control, false), row.option) << kind;
    EXPECT_EQ(GetTextListLineValue(row.control, 0), 0);
  }
}

}  // namespace
}  // namespace orrivel
