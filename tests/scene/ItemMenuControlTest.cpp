// Item menus: the item map and its background index, items entered and
// left by the pointer with their sounds, cells and tooltip text,
// activation by tag + item and the lock that follows, navigation between
// items and on to other controls, and the refusals.
#include "scene/ItemMenuControl.h"

#include <gtest/gtest.h>

#include "ControlFrameFixture.h"
#include "PictureFolder.h"

namespace orrivel {
namespace {

class ItemMenuControlTest : public test::ControlFrameTest {
 protected:
  void SetUp() override {
    test::ControlFrameTest::SetUp();
    // Four items of 10 x 10 side by side; index 4 (the count) is background
    // on the right half of the last one.
    auto map = test::MakeSurface8(40, 10, [](int x, int) { return x < 35 ? x / 10 : 4; });
    folder.WritePicture(*map, "MAP.BMP");
  }
  void MakeMenu(uint8_t count = 4, uint8_t activation = 1) {
    ASSERT_EQ(menu.Create("MAP.BMP", count, 100, 50, activation, 6), 0);
    ASSERT_EQ(host.AddControl(&menu, -1), 0u);
  }

  test::PictureFolder folder;
  ItemMenuControl menu;
};

TEST_F(ItemMenuControlTest, CreationAndTheItemMap) {
  EXPECT_EQ(menu.Create("MAP.BMP", 0, 0, 0, 1, 0), 1);
  EXPECT_EQ(menu.GetWidth(), 0);  // nothing loaded
  EXPECT_EQ(menu.Create("NONE.BMP", 4, 0, 0, 1, 0), 2);
  EXPECT_EQ(menu.SetItemEnabled(0, 0), 1);  // no entries yet
  MakeMenu();
  EXPECT_EQ(menu.GetKind(), 10);
  EXPECT_EQ(menu.GetWidth(), 40);
  EXPECT_EQ(menu.GetGroup(), 6);

  struct Case {
    int32_t x, y;
    bool hit;
    int32_t item;
  };
  const Case cases[] = {
      {100, 50, true, 0}, {119, 59, true, 1}, {134, 55, true, 3},
      {135, 55, false, -1},  // the count's index is background
      {99, 50, false, -1},   {100, 60, false, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(menu.HitTest(c.x, c.y), c.hit) << c.x;
    EXPECT_EQ(menu.HitItem(), c.item) << c.x;
  }
  EXPECT_EQ(menu.SetItemEnabled(4, 0), 2);
  EXPECT_EQ(menu.SetItemEnabled(2, 0), 0);
  EXPECT_FALSE(menu.HitTest(125, 55));  // a disabled item is never hit
  EXPECT_EQ(menu.Select(2), 2);
  EXPECT_EQ(menu.Select(4), 1);
  EXPECT_EQ(menu.SetItem(9, ItemMenuItemRecord{}), 2);
  // A creation whose map fails leaves no items behind.
  EXPECT_EQ(menu.Create("NONE.BMP", 4, 100, 50, 1, 6), 2);
  EXPECT_FALSE(menu.HitTest(100, 50));
  EXPECT_EQ(menu.SetItem(0, ItemMenuItemRecord{}), 1);
}

TEST_F(ItemMenuControlTest, PointerItemsCellsAndTooltips) {
  Cells cells;
  MakeMenu();
  host.SetTooltip(true, 0, 0);
  ItemMenuItemRecord record;
  record.tooltip = "tip";
  record.hover = cells.At(1);
  record.leave = cells.At(2);
  record.clicked = cells.At(0);
  ASSERT_EQ(menu.SetItem(1, record), 0);
  menu.SetSounds("", "over", nullptr, 7, 3, -1);
  menu.SetTag(100);

  Frame(105, 55);  // item 0: no record
  EXPECT_EQ(menu.CurrentItem(), 0);
  EXPECT_EQ(host.TakeLog(), (Log{"sound over 0"}));
  Frame(115, 55);  // item 1
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -2", "sound over 0"}));
  EXPECT_EQ(cells.Read(1), 1);
  EXPECT_EQ(cells.Read(2), 0);
  EXPECT_STREQ(menu.GetName(), "tip");
  Frame(115, 55);  // at rest: the host shows the item's text
  EXPECT_EQ(host.TakeLog(), (Log{"tooltip tip 115,55"}));
  EXPECT_EQ(Frame(115, 55, {}, 1), 1);
  EXPECT_EQ(menu.GetItemState(), ItemMenuControl::kPressed);
  EXPECT_EQ(host.TakeLog(), (Log{"tooltip hidden"}));  // a click hides it
  Frame(115, 55, {}, 0);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 101", "sound - 7"}));
  EXPECT_EQ(cells.Read(0), 1);
  EXPECT_TRUE(menu.IsLocked());

  // Locked: the pointer changes nothing.
  Frame(105, 55);
  EXPECT_EQ(menu.CurrentItem(), 1);
  EXPECT_EQ(host.TakeLog(), Log{});
  menu.SetLocked(0);
  Frame(200, 200);  // leaves the menu
  EXPECT_EQ(menu.CurrentItem(), -1);
  EXPECT_EQ(cells.Read(2), 1);
  EXPECT_EQ(menu.GetName(), nullptr);
}

TEST_F(ItemMenuControlTest, TheDecideActionReportsTagPlusItemAndLocks) {
  Cells cells;
  MakeMenu();
  menu.SetTag(100);
  ItemMenuItemRecord plain;
  plain.clicked = cells.At(0);
  ASSERT_EQ(menu.SetItem(3, plain), 0);
  ASSERT_EQ(menu.Select(3), 0);
  EXPECT_TRUE(host.IsFocused(&menu));
  host.TakeLog();
  Decide();
  EXPECT_EQ(host.TakeLog(), (Log{"selected 103", "sound - -4"}));  // no names or value: no event
  EXPECT_EQ(cells.Read(0), 1);
  EXPECT_TRUE(menu.IsLocked());
  Decide();
  EXPECT_EQ(host.TakeLog(), Log{});
  EXPECT_EQ(menu.Select(1), 1);  // locked

  // Tag -1: the sound and the lock, but no clicked cell and no event.
  Cells other;
  ItemMenuItemRecord named;
  named.eventName1 = "ev";
  named.clicked = other.At(0);
  ASSERT_EQ(menu.SetItem(2, named), 0);
  menu.SetLocked(0);
  menu.SetTag(-1);
  ASSERT_EQ(menu.Select(2), 0);
  host.TakeLog();
  EXPECT_TRUE(menu.Activate(2));
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -4"}));
  EXPECT_EQ(other.Read(0), 0);
  EXPECT_TRUE(menu.IsLocked());
}

TEST_F(ItemMenuControlTest, NavigationBetweenItemsAndControls) {
  MakeMenu();
  ASSERT_EQ(menu.SetItemEnabled(2, 0), 0);
  host.SetFocus(&menu);  // forwards: the first enabled item
  EXPECT_EQ(menu.CurrentItem(), 0);
  Frame(-5, -5, {ControlHost::kKeyTab});
  EXPECT_EQ(menu.CurrentItem(), 1);
  Frame(-5, -5);
  Frame(-5, -5, {ControlHost::kKeyTab});
  EXPECT_EQ(menu.CurrentItem(), 3);  // the disabled item is passed over
  Frame(-5, -5);
  // Past the last item with no other control: round to the first one.
  Frame(-5, -5, {ControlHost::kKeyTab});
  EXPECT_EQ(menu.CurrentItem(), 0);
  Frame(-5, -5);
  // Backwards past the first item: round to the last one.
  Frame(-5, -5, {ControlHost::kKeyTab, platform::DIK_LSHIFT});
  EXPECT_EQ(menu.CurrentItem(), 3);
  Frame(-5, -5);

  // With another control the focus moves on to it.
  test::LoggingControl other("other", &host, 300, 300);
  ASSERT_EQ(host.AddControl(&other, -1), 0u);
  Frame(-5, -5, {ControlHost::kKeyTab});
  EXPECT_TRUE(host.IsFocused(&other));
  EXPECT_EQ(menu.CurrentItem(), -1);  // the focus loss left the item
}

}  // namespace
}  // namespace orrivel
