// The text panel: its creation rules, lines from texts or faces, the state
// icons, selection, hover and keys, and scrolling by its own bar.
#include "scene/TextPanelControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BlockFont.h"
#include "ControlTestSupport.h"
#include "PictureFolder.h"
#include "SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;

// The colour of icon cell n.
constexpr uint32_t kIconColours[4] = {0xFF100000u, 0xFF200000u, 0xFF300000u, 0xFF400000u};

class TextPanelControlTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    // A vertical thumb of 12 x 20 in four cells side by side.
    auto thumb = test::MakeSolid32(48, 20, 0xFF606060u);
    folder.WritePicture(*thumb, "THUMB.BMP");
    // Four icon cells of 8 x 8, one colour each.
    auto icons = test::MakeSurface32(32, 8, [](int x, int) { return kIconColours[x / 8]; });
    folder.WritePicture(*icons, "ICONS.BMP");
  }
  // A panel 100 wide and three lines high (16 + 4 pitch 20: 56 pixels) at
  // (20, 30), its bar 56 long at (130, 30).
  int32_t Make(const char* icons = nullptr, int32_t height = -3) {
    return panel.Create(&list, 0, &font, height, 100, 20, 30, "THUMB.BMP", 0, 0, 56, 130, 30, 0, icons, 4, 0);
  }
  int32_t Frame(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
    return host.Update(clock.TickMs());
  }
  uint32_t At(int32_t x, int32_t y) { return panel.Picture().GetPixel(x, y); }

  test::PictureFolder folder;
  test::RecordingHost host;
  SpriteList list;
  test::BlockFont font{16};
  TextPanelControl panel;
};

TEST_F(TextPanelControlTest, CreationRulesAndSizes) {
  EXPECT_EQ(panel.AppendLine("x", nullptr, true), 1);  // before Create
  EXPECT_EQ(panel.Select(0), 1);
  ASSERT_EQ(Make(), 0);
  EXPECT_EQ(panel.GetHeight(), 56);  // -3 lines of 16 with spacing 4
  EXPECT_EQ(panel.GetWidth(), 100);
  EXPECT_EQ(panel.GetKind(), kControlTextPanelB);
  EXPECT_EQ(panel.TextPanelBase::GetKind(), kControlTextPanelA);
  EXPECT_EQ(panel.Bar().GetKind(), kControlScrollBar);
  EXPECT_EQ(At(0, 0), TextPanelControl::kDefaultBack);
  // Thumb caps 4 + 1 + 4 need a bar of 9.
  TextPanelControl capped;
  EXPECT_EQ(capped.Create(&list, 0, &font, 40, 100, 0, 0, "THUMB.BMP", 4, 4, 8, 0, 0, 0, nullptr, 4, 0), 1);
  EXPECT_EQ(capped.Create(&list, 0, &font, 40, 100, 0, 0, "THUMB.BMP", 4, 4, 9, 0, 0, 0, nullptr, 4, 0), 0);
  struct Refusal {
    SpriteList* list;
    Font* font;
    const char* thumb;
    int32_t width;
    const char* icons;
    int32_t result;
  };
  const Refusal refusals[] = {
      {nullptr, &font, "THUMB.BMP", 100, nullptr, 1}, {&list, nullptr, "THUMB.BMP", 100, nullptr, 1},
      {&list, &font, nullptr, 100, nullptr, 1},       {&list, &font, "THUMB.BMP", 0, nullptr, 1},
      {&list, &font, "THUMB.BMP", 100, "NONE.BMP", 2},
  };
  for (const Refusal& r : refusals) {
    TextPanelControl p;
    EXPECT_EQ(p.Create(r.list, 0, r.font, 40, r.width, 0, 0, r.thumb, 0, 0, 40, 0, 0, 0, r.icons, 4, 0), r.result);
    EXPECT_EQ(p.AppendLine("x", nullptr, false), 1);
  }
  // The icon column widens the panel by one icon cell.
  TextPanelControl withIcons;
  ASSERT_EQ(withIcons.Create(&list, 0, &font, 40, 100, 0, 0, "THUMB.BMP", 0, 0, 40, 0, 0, 0, "ICONS.BMP", 4, 0), 0);
  EXPECT_EQ(withIcons.GetWidth(), 108);
  EXPECT_EQ(withIcons.IconWidth(), 8);
}

TEST_F(TextPanelControlTest, LinesThatFitLeaveTheBarDisabled) {
  ASSERT_EQ(Make(), 0);
  panel.AppendLine("one", nullptr, false);
  panel.AppendLine("two", nullptr, true);
  EXPECT_EQ(panel.LineCount(), 2);
  EXPECT_FALSE(panel.Bar().IsEnabled());
  EXPECT_FALSE(panel.Bar().ThumbSprite().IsVisible());
  EXPECT_EQ(panel.Bar().GetValue(), -1);
  // The first line is drawn from the top, the second one pitch below.
  EXPECT_EQ(font.draws, (std::vector<std::string>{"2,0", "2,20"}));
}

TEST_F(TextPanelControlTest, ScrollingSelectionAndKeys) {
  ASSERT_EQ(Make(), 0);
  ASSERT_EQ(panel.Attach(&host, -1), 0);
  EXPECT_EQ(panel.Attach(&host, -1), -1);
  for (int i = 0; i < 10; ++i) panel.AppendLine(("line" + std::to_string(i)).c_str(), nullptr, false);
  panel.Refresh();
  ScrollBar& bar = panel.Bar();
  ASSERT_TRUE(bar.IsEnabled());
  EXPECT_EQ(bar.GetMaximum(), 196 - 56);  // content 10 x 20 - 4
  EXPECT_EQ(bar.GetKeyStep(), 20);
  // Selecting the last line scrolls it into view at the bottom.
  EXPECT_EQ(panel.Select(9), 0);
  EXPECT_EQ(bar.GetValue(), 140);
  EXPECT_EQ(At(50, 40 + 5), TextPanelControl::kDefaultSelect);  // line 9's top at 180 - 140
  EXPECT_EQ(panel.Select(12), 0);
  EXPECT_EQ(panel.GetSelected(), -1);
  // Keys of the focused panel move the hover and scroll it into view.
  Frame(600, 400);
  ASSERT_EQ(host.SetFocus(&panel), 0u);
  Frame(600, 400, {ScrollBar::kKeyHome});
  EXPECT_EQ(panel.GetHovered(), 0);
  EXPECT_EQ(bar.GetValue(), 0);
  Frame(600, 400);
  for (int i = 0; i < 3; ++i) {
    Frame(600, 400, {platform::DIK_DOWN});
    Frame(600, 400);
  }
  EXPECT_EQ(panel.GetHovered(), 3);
  EXPECT_EQ(bar.GetValue(), 20 * 3 + 16 - 56);
  Frame(600, 400, {platform::DIK_UP});
  EXPECT_EQ(panel.GetHovered(), 2);
  Frame(600, 400, {ScrollBar::kKeyEnd});
  EXPECT_EQ(panel.GetHovered(), 9);
  EXPECT_EQ(bar.GetValue(), 140);
  Frame(600, 400, {platform::DIK_RETURN});
  EXPECT_EQ(panel.GetSelected(), 9);
  // Losing the focus keeps the hover aside until the focus comes back.
  host.SetFocus(nullptr);
  EXPECT_EQ(panel.GetHovered(), -1);
  host.SetFocus(&panel);
  EXPECT_EQ(panel.GetHovered(), 9);
  // The pointer: the entry under it, through the scroll position.
  host.SetFocus(nullptr);
  panel.SetTag(4);
  host.TakeLog();
  Frame(60, 30 + 10);
  EXPECT_EQ(panel.GetHovered(), (140 + 10) / 20);
  Frame(60, 30 + 10, {}, 1);
  EXPECT_EQ(panel.GetSelected(), 7);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 4"}));
  EXPECT_TRUE(panel.Detach());
  EXPECT_FALSE(panel.Detach());
  EXPECT_TRUE(host.Controls().empty());
}

TEST_F(TextPanelControlTest, StateIconsShowAndToggle) {
  ASSERT_EQ(Make("ICONS.BMP"), 0);
  panel.defaultState = 0;
  panel.AppendLine("a", nullptr, false);
  panel.AppendLine("b", nullptr, true);
  const int32_t iconY = 4;  // icons centred on the 16-pixel line
  EXPECT_EQ(At(0, iconY), kIconColours[0]);
  EXPECT_EQ(panel.SetItemState(1, 5, true), 0);
  EXPECT_EQ(panel.GetItemState(1), 5);
  EXPECT_EQ(At(0, 20 + iconY), kIconColours[2]);  // a set state
  EXPECT_EQ(panel.SetItemState(2, 1, true), 2);
  EXPECT_EQ(panel.GetItemState(7), 0);
  ASSERT_EQ(panel.Attach(&host, -1), 0);
  // Hovering the icon shows its hovered cell; a click toggles it.
  Frame(20 + 3, 30 + 20 + 5);
  EXPECT_EQ(panel.GetHovered(), 2 + 1);
  EXPECT_EQ(At(0, 20 + iconY), kIconColours[3]);
  Frame(20 + 3, 30 + 20 + 5, {}, 1);
  EXPECT_EQ(panel.GetItemState(1), 0);
  EXPECT_EQ(At(0, 20 + iconY), kIconColours[1]);
  EXPECT_EQ(panel.GetSelected(), -1);  // an icon click selects nothing
  // Space toggles the hovered line's icon.
  Frame(20 + 50, 30 + 5);
  host.SetFocus(&panel);
  panel.OnPointerMove(50, 5);
  Frame(20 + 50, 30 + 5, {platform::DIK_SPACE});
  EXPECT_EQ(panel.GetItemState(0), 1);
}

TEST_F(TextPanelControlTest, APanelOfFacesKeepsOneStateBytePerLine) {
  ASSERT_EQ(Make("ICONS.BMP"), 0);
  // The first line names only a face: the panel keeps faces and no texts.
  panel.AppendLine(nullptr, "Gothic", false);
  panel.AppendLine("ignored", "Mincho", true);
  EXPECT_FALSE(panel.HasTexts());
  EXPECT_TRUE(panel.HasFaces());
  EXPECT_EQ(panel.LineCount(), 2);
  EXPECT_EQ(panel.StateCount(), 2);
  EXPECT_EQ(font.faces, (std::vector<std::string>{"Gothic", "Mincho"}));
  EXPECT_TRUE(font.draws.empty());
  // Without texts the states cannot be set by call, but the icons still
  // show and toggle.
  EXPECT_EQ(panel.SetItemState(1, 0, true), 1);
  EXPECT_EQ(At(0, 20 + 4), kIconColours[2]);
  ASSERT_EQ(panel.Attach(&host, -1), 0);
  Frame(20 + 3, 30 + 20 + 5);
  Frame(20 + 3, 30 + 20 + 5, {}, 1);
  EXPECT_EQ(panel.GetItemState(1), 0);
  EXPECT_EQ(At(0, 20 + 4), kIconColours[1]);
}

}  // namespace
}  // namespace orrivel
