// The window's items and input: hit rectangles in the item mask, the
// 3-pixel click guard, disabled (unfinished) items, selection and
// activation by keys and pointer, dragging by the frame, and the limit on
// the number of items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ControlTestSupport.h"
#include "SceneTestSupport.h"
#include "WindowTestSupport.h"
#include "platform/KeyTable.h"
#include "platform/TextCodec.h"
#include "raster/SpriteList.h"
#include "scene/WindowControl.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;

std::string Sjis(const char* utf8) { return platform::Utf8ToCp932(utf8).value(); }

class WindowItemsTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  // The window at (100, 50), 200 x 100, margins 10, tag 10.
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    ASSERT_EQ(window.Create(&list, 1, 200, 100, 100, 50, &font, nullptr, 0), 0);
    ASSERT_EQ(window.SetItemsEnabled(true), 0);
    window.SetMargins(10, 10, 10, 10, true);
    window.SetTag(10);
    ASSERT_EQ(host.AddControl(&window, -1), 0u);
    cells = space.Allocate(24);
  }
  void TearDown() override {
    host.Clear();
    test::SceneTest::TearDown();
  }
  void Put(const char* utf8) {
    const std::string text = Sjis(utf8);
    const char* p = text.c_str();
    while (*p != '\0') ASSERT_NE(window.PutNext(&p), 1);
  }
  WindowItemOptions ItemOptions(int i) {
    WindowItemOptions options;
    options.name = "choice";
    options.value = i;
    options.activatedCell = {&space, cells + uint32_t(i) * 12};
    options.hoverCell = {&space, cells + uint32_t(i) * 12 + 4};
    options.notHoverCell = {&space, cells + uint32_t(i) * 12 + 8};
    return options;
  }
  int32_t Cell(int item, int which) {
    uint32_t v = 0;
    space.Read32(cells + uint32_t(item) * 12 + uint32_t(which) * 4, v);
    return int32_t(v);
  }
  // Two finished items: "はい" on the first line (window 10..42 x 10..26)
  // and "いいえ" on the second (10..58 x 26..42).
  void TwoItems() {
    ASSERT_EQ(window.AddItem(ItemOptions(0)), 0);
    Put("はい");
    window.EndItem();
    window.NewLine();
    ASSERT_EQ(window.AddItem(ItemOptions(1)), 0);
    Put("いいえ");
    window.EndItem();
  }
  int32_t Frame(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
    return host.Update(clock.TickMs());
  }
  bool Activated(const Log& log) {
    for (const std::string& line : log)
      if (line.rfind("selected", 0) == 0) return true;
    return false;
  }

  test::RecordingHost host;
  test::CellFont font{16};
  SpriteList list;
  WindowControl window;
  ScriptAddressSpace space;
  uint32_t cells = 0;
};

TEST_F(WindowItemsTest, ItemsPaintTheirRunsIntoTheMask) {
  TwoItems();
  EXPECT_EQ(window.ItemAtMask(10, 10), 0);
  EXPECT_EQ(window.ItemAtMask(41, 25), 0);
  EXPECT_EQ(window.ItemAtMask(42, 10), -1);
  EXPECT_EQ(window.ItemAtMask(57, 41), 1);
  EXPECT_EQ(window.ItemAtMask(9, 30), -1);
  EXPECT_EQ(window.ItemAtMask(-1, 30), -1);
  EXPECT_EQ(window.ItemAtMask(500, 30), -1);
  // Insets widen each run; a line break splits an item into two rectangles.
  window.SetItemInsets(2, 1, 3, 4, true);
  ASSERT_EQ(window.AddItem(ItemOptions(0)), 0);
  Put("あ");
  window.NewLine();
  Put("い");
  window.EndItem();
  ASSERT_EQ(window.Item(0)->rects.size(), 2u);
  EXPECT_EQ(window.Item(0)->rects[0], (Rect{8, 9, 29, 30}));
  EXPECT_EQ(window.Item(0)->rects[1], (Rect{8, 30, 29, 51}));
  // A page clear removes every item.
  window.ClearPage();
  EXPECT_EQ(window.ItemCount(), 0);
  EXPECT_EQ(window.ItemAtMask(10, 10), -1);
}

TEST_F(WindowItemsTest, TheClickGuardWaitsForThreePixelsOfMovement) {
  host.pointerX = 120, host.pointerY = 65;  // on the first item when the page is made
  TwoItems();
  ASSERT_TRUE(window.IsClickGuarded());
  Frame(120, 65);
  EXPECT_EQ(window.HoverItem(), 0);
  EXPECT_EQ(Cell(0, 1), 1);
  EXPECT_EQ(Cell(0, 2), 0);
  host.TakeLog();
  Frame(123, 68, {}, 1);  // 3 pixels: still guarded
  Frame(123, 68);
  EXPECT_FALSE(Activated(host.TakeLog()));
  EXPECT_TRUE(window.IsClickGuarded());
  Frame(124, 65);  // more than 3 pixels
  EXPECT_FALSE(window.IsClickGuarded());
  EXPECT_EQ(Frame(124, 65, {}, 1), ControlHost::kUpdateButtons);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 10", "sound - -4", "event - choice 0"}));
  EXPECT_EQ(Cell(0, 0), 1);
  EXPECT_TRUE(window.AreItemsLocked());
  // Locked: a second click does nothing.
  Frame(124, 65);
  Frame(124, 65, {}, 1);
  EXPECT_FALSE(Activated(host.TakeLog()));
}

TEST_F(WindowItemsTest, UnfinishedItemsCanBeNeitherEnteredNorSelected) {
  host.pointerX = 0, host.pointerY = 0;
  ASSERT_EQ(window.AddItem(ItemOptions(0)), 0);
  Put("はい");
  EXPECT_EQ(window.AddItem(ItemOptions(1)), 1);  // one is open
  EXPECT_EQ(window.EnterItem(0), 0);
  EXPECT_EQ(window.SelectItem(0), 0);
  host.TakeLog();
  EXPECT_EQ(window.ActivateItem(0), 0);
  EXPECT_EQ(host.TakeLog(), Log{});  // nothing sent for an unfinished item
  EXPECT_EQ(window.ActivateItem(-1), 0);
  EXPECT_EQ(host.TakeLog(), Log{"selected 10"});  // the tag alone
  EXPECT_FALSE(window.HitTest(115, 65));  // the pointer finds no item
  window.EndItem();
  EXPECT_EQ(window.SelectItem(0), 1);
  EXPECT_EQ(window.HoverItem(), 0);
  EXPECT_EQ(window.SelectItem(5), 0);
  // Items switched off: refused.
  window.SetItemsEnabled(false);
  EXPECT_EQ(window.AddItem(ItemOptions(0)), 1);
}

TEST_F(WindowItemsTest, KeysSelectWrapAndActivate) {
  TwoItems();
  ASSERT_EQ(host.SetFocus(&window), 0u);
  EXPECT_EQ(window.HoverItem(), 0);  // focus gained forwards: the first
  EXPECT_EQ(Frame(-5, -5, {platform::DIK_DOWN}), ControlHost::kUpdateFocused);
  EXPECT_EQ(window.HoverItem(), 1);
  EXPECT_FALSE(window.IsClickGuarded());  // the keyboard navigated
  EXPECT_EQ(Cell(0, 1), 0);
  EXPECT_EQ(Cell(0, 2), 1);
  EXPECT_EQ(Cell(1, 1), 1);
  Frame(-5, -5);
  Frame(-5, -5, {platform::DIK_DOWN});  // past the last: no other control, so the first
  EXPECT_EQ(window.HoverItem(), 0);
  Frame(-5, -5);
  Frame(-5, -5, {platform::DIK_UP});  // before the first: the last
  EXPECT_EQ(window.HoverItem(), 1);
  Frame(-5, -5);
  host.TakeLog();
  EXPECT_EQ(Frame(-5, -5, {platform::DIK_RETURN}), ControlHost::kUpdateFocused);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 11", "sound - -4", "event - choice 1"}));
  EXPECT_EQ(Cell(1, 0), 1);
  // Pointer mode 1 moves the pointer to the item instead.
  window.LockItems(false);
  host.pointerMode = 1;
  EXPECT_EQ(window.SelectItem(0), 1);
  EXPECT_EQ(host.pointerX, 100 + 26);
  EXPECT_EQ(host.pointerY, 50 + 18);
}

TEST_F(WindowItemsTest, PointerEntersAndLeavesItems) {
  TwoItems();
  Frame(115, 62);
  EXPECT_EQ(window.HoverItem(), 0);
  Frame(115, 80);
  EXPECT_EQ(window.HoverItem(), 1);
  EXPECT_EQ(Cell(0, 1), 0);
  EXPECT_EQ(Cell(1, 1), 1);
  host.TakeLog();
  Frame(5, 5);  // off the window
  EXPECT_EQ(window.HoverItem(), -1);
  EXPECT_EQ(Cell(1, 2), 1);
  EXPECT_EQ(host.TakeLog(), Log{"sound - -2"});
}

TEST_F(WindowItemsTest, DraggingTheWindowByItsFrame) {
  window.SetBackground(0, 0x000080, 255);  // the margins are opaque frame
  window.SetAlphaThreshold(128);
  EXPECT_TRUE(window.IsOpaqueAt(2, 2));
  EXPECT_FALSE(window.IsOpaqueAt(50, 50));  // the text area
  Frame(102, 52);
  Frame(102, 52, {}, 1);
  EXPECT_TRUE(window.IsDragging());
  Frame(132, 72, {}, 1);
  EXPECT_EQ(window.GetX(), 130);
  EXPECT_EQ(window.GetY(), 70);
  Frame(150, 90, {}, 0);  // released: the next move ends the drag
  EXPECT_FALSE(window.IsDragging());
  EXPECT_EQ(window.GetX(), 130);
}

TEST_F(WindowItemsTest, AtMostTwoHundredFiftyFourItems) {
  for (int i = 0; i < WindowControl::kMaxItems; ++i) {
    ASSERT_EQ(window.AddItem(WindowItemOptions{}), 0) << i;
    if (i == WindowControl::kMaxItems - 1) Put("あ");
    window.EndItem();
  }
  EXPECT_EQ(window.AddItem(WindowItemOptions{}), 1);  // would wrap onto the background
  EXPECT_EQ(window.ItemAtMask(12, 12), WindowControl::kMaxItems - 1);
  EXPECT_EQ(window.ItemCount(), WindowControl::kMaxItems);
}

}  // namespace
}  // namespace orrivel
