// Check buttons: the cell shown per style and state, enabling and
// disabling, the 100 ms press against the at-once style, radio groups
// (selection, removal of members, the selected radio that is never hit),
// locking, and the script cell that mirrors the state.
#include "scene/CheckButtonControl.h"

#include <gtest/gtest.h>

#include <memory>

#include "ControlFrameFixture.h"
#include "PictureFolder.h"

namespace orrivel {
namespace {

class CheckButtonControlTest : public test::ControlFrameTest {
 protected:
  void SetUp() override {
    test::ControlFrameTest::SetUp();
    strip = test::MakeSurface32(80, 12, [](int x, int) { return 0xFF000000u | uint32_t(x); });
  }
  // A button over the strip at (x, 0), listed.
  std::unique_ptr<CheckButtonControl> Make(uint8_t style, bool disabledCells = true, int32_t x = 0) {
    auto b = std::make_unique<CheckButtonControl>();
    EXPECT_EQ(b->CreateFromSurface(&list, 1, strip.get(), style, disabledCells, x, 0, 0, 255, 0), 0);
    EXPECT_EQ(host.AddControl(b.get(), -1), 0u);
    return b;
  }

  std::unique_ptr<Surface> strip;
};

TEST_F(CheckButtonControlTest, CellsPerStyleAndState) {
  const int32_t table[4][8] = {
      {0, 1, 2, 3, 4, 5, 6, 7}, {0, 1, 1, 2, 3, 3, 4, 5}, {0, 1, 2, 3, 3, 3, 4, 5}, {0, 1, 1, 2, 2, 2, 3, 4}};
  const int32_t counts[4] = {8, 6, 6, 5};
  for (uint8_t style = 0; style < 4; ++style) {
    EXPECT_EQ(CheckButtonControl::CellCount(style, true), counts[style]);
    EXPECT_EQ(CheckButtonControl::CellCount(style, false), counts[style] - 2);
    for (uint8_t state = 0; state < 8; ++state) {
      EXPECT_EQ(CheckButtonControl::CellOf(style, state, true), table[style][state]) << int(style) << int(state);
      // Without disabled cells a disabled button shows its resting cell.
      const uint8_t shown = state == 6 ? 0 : state == 7 ? 3 : state;
      EXPECT_EQ(CheckButtonControl::CellOf(style, state, false), table[style][shown]);
    }
  }
  auto b = Make(3);  // 5 cells of 16 pixels
  EXPECT_EQ(b->GetWidth(), 16);
  EXPECT_EQ(b->GetHeight(), 12);
  b->SetState(7);
  EXPECT_EQ(b->ShownCell(), 4);
  EXPECT_EQ(b->Sprite().GetSourceRect(), (Rect{64, 0, 80, 12}));
  auto plain = Make(0, false);  // 6 cells: a disabled button that is on shows the cell of state 3
  plain->SetState(7);
  EXPECT_EQ(plain->ShownCell(), 3);

  CheckButtonControl bad;
  EXPECT_EQ(bad.CreateFromSurface(&list, 0, strip.get(), 4, true, 0, 0, 0, 255, 0), 1);
  auto narrow = test::MakeSolid32(5, 5, 0xFF000000u);
  EXPECT_EQ(bad.CreateFromSurface(&list, 0, narrow.get(), 0, true, 0, 0, 0, 255, 0), 2);
  EXPECT_EQ(bad.GetSpriteList(), nullptr);
}

TEST_F(CheckButtonControlTest, EnablingAndTheLinkedCell) {
  Cells cells;
  auto b = Make(0);
  b->SetLinkedValue(cells.At(0));
  struct Case {
    uint8_t from;
    bool enable;
    uint8_t to;
    int32_t linked;
  };
  for (const Case& c : {Case{7, true, 3, 1}, Case{6, true, 0, 0}, Case{1, false, 6, 2}, Case{2, false, 6, 2},
                        Case{4, false, 7, 2}, Case{3, false, 7, 2}}) {
    b->Control::SetEnabled(!c.enable);  // the flag alone, then the state
    b->SetState(c.from);
    EXPECT_TRUE(b->SetEnabled(c.enable));
    EXPECT_EQ(b->GetState(), c.to) << int(c.from);
    EXPECT_EQ(cells.Read(0), c.linked);
  }
  EXPECT_FALSE(b->SetEnabled(false));  // unchanged
}

TEST_F(CheckButtonControlTest, TheDecideActionPerStyle) {
  auto atOnce = Make(1);
  auto delayed = Make(0, true, 20);
  atOnce->SetTag(1);
  delayed->SetTag(2);

  host.SetFocus(atOnce.get());
  ASSERT_EQ(atOnce->GetState(), 1);
  host.TakeLog();
  Frame(-5, -5, {platform::DIK_RETURN});
  EXPECT_EQ(atOnce->GetState(), 4);  // on and hovered in the same frame
  EXPECT_TRUE(atOnce->IsOn());
  EXPECT_EQ(host.TakeLog(), (Log{"selected 1", "sound - -4"}));

  host.SetFocus(delayed.get());
  Frame(-5, -5);
  host.TakeLog();
  Frame(-5, -5, {platform::DIK_RETURN});
  EXPECT_EQ(delayed->GetState(), 2);  // the pressed cell first
  EXPECT_EQ(delayed->ShownCell(), 2);
  clock.Advance(100);
  Frame(-5, -5);
  EXPECT_EQ(delayed->GetState(), 2);
  clock.Advance(1);
  Frame(-5, -5);
  EXPECT_EQ(delayed->GetState(), 4);
  EXPECT_EQ(delayed->PressDue(), 0u);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 2", "sound - -4"}));

  // By the pointer: press, release, off again.
  Frame(25, 5);
  Frame(25, 5, {}, 1);
  EXPECT_EQ(delayed->GetState(), 5);
  Frame(25, 5, {}, 0);
  EXPECT_EQ(delayed->GetState(), 1);
  EXPECT_FALSE(delayed->IsOn());
}

TEST_F(CheckButtonControlTest, RadioGroups) {
  auto leader = Make(2, true, 0);
  auto one = Make(2, true, 20);
  auto two = Make(2, true, 40);
  auto three = Make(2, true, 60);
  EXPECT_EQ(leader->AddToGroup(nullptr), 1);
  EXPECT_EQ(leader->AddToGroup(one.get()), 0);
  EXPECT_EQ(leader->AddToGroup(one.get()), 2);  // twice
  EXPECT_EQ(leader->AddToGroup(leader.get()), 2);
  ASSERT_EQ(leader->AddToGroup(two.get()), 0);
  ASSERT_EQ(leader->AddToGroup(three.get()), 0);
  EXPECT_EQ(one->AddToGroup(two.get()), 2);  // a member leads no group

  EXPECT_EQ(leader->SelectByIndex(4), 2);
  EXPECT_EQ(two->SelectByIndex(2), 0);  // through the leader
  EXPECT_EQ(two->GetState(), 3);
  EXPECT_TRUE(leader->IsSelected(two.get()));
  EXPECT_EQ(one->SetOn(true), 1);
  EXPECT_EQ(one->GetState(), 3);
  EXPECT_EQ(two->GetState(), 0);
  EXPECT_EQ(one->SetOn(true), 0);   // already on
  EXPECT_EQ(three->SetOn(false), 0);  // already off
  EXPECT_EQ(one->SetOn(false), 1);  // the next member takes the selection
  EXPECT_TRUE(leader->IsSelected(two.get()));

  // Removing a member before the selected one keeps the same member
  // selected; removing the selected one clears the selection.
  EXPECT_EQ(leader->RemoveFromGroup(one.get()), 0);
  EXPECT_EQ(leader->RemoveFromGroup(one.get()), 2);
  EXPECT_EQ(leader->RemoveFromGroup(nullptr), 1);
  EXPECT_EQ(leader->SelectedIndex(), 1);
  EXPECT_TRUE(leader->IsSelected(two.get()));
  EXPECT_EQ(leader->RemoveFromGroup(two.get()), 0);
  EXPECT_EQ(leader->SelectedIndex(), CheckButtonBase::kNoneSelected);
  EXPECT_FALSE(leader->IsSelected(three.get()));
  // A member that goes away leaves the group.
  three.reset();
  EXPECT_TRUE(leader->Members().empty());
}

TEST_F(CheckButtonControlTest, ARadioClickSelectsAndTheSelectedOneIsNeverHit) {
  auto leader = Make(3, true, 0);
  auto member = Make(3, true, 20);
  ASSERT_EQ(leader->AddToGroup(member.get()), 0);
  ASSERT_EQ(leader->SelectByIndex(0), 0);
  EXPECT_FALSE(leader->HitTest(5, 5));
  EXPECT_TRUE(member->HitTest(25, 5));

  member->SetTag(9);
  Frame(25, 5);
  EXPECT_EQ(member->GetState(), 1);
  Frame(25, 5, {}, 1);
  EXPECT_EQ(member->ShownCell(), 1);  // style 3 has no pressed cell
  host.TakeLog();
  Frame(25, 5, {}, 0);
  EXPECT_EQ(member->GetState(), 3);
  EXPECT_EQ(leader->GetState(), 0);
  EXPECT_EQ(leader->SelectedIndex(), 1);
  EXPECT_FALSE(host.IsHovered(member.get()));
  EXPECT_EQ(host.TakeLog(), (Log{"selected 9", "sound - -4"}));
  EXPECT_FALSE(member->HitTest(25, 5));

  // The focus passes over the selected radio.
  host.SetFocus(member.get());
  EXPECT_TRUE(host.IsFocused(leader.get()));
}

TEST_F(CheckButtonControlTest, LockingAGroup) {
  auto leader = Make(0, true, 0);
  auto member = Make(0, true, 20);
  ASSERT_EQ(leader->AddToGroup(member.get()), 0);
  member->SetState(6);
  Frame(5, 5);
  ASSERT_TRUE(host.IsHovered(leader.get()));
  member->Lock(true);  // forwarded to the leader
  EXPECT_TRUE(leader->IsLocked());
  EXPECT_TRUE(member->IsLocked());
  EXPECT_FALSE(leader->IsEnabled());
  EXPECT_FALSE(host.IsHovered(leader.get()));
  EXPECT_FALSE(leader->HitTest(5, 5));
  EXPECT_FALSE(leader->SetEnabled(true));  // refused while locked
  leader->Lock(false);
  EXPECT_TRUE(leader->IsEnabled());
  EXPECT_FALSE(member->IsEnabled());  // disabled before the lock
}

TEST_F(CheckButtonControlTest, ASingleButtonWithItsEventRecord) {
  Cells cells;
  auto b = Make(0);
  PushEvents events;
  events.eventValue = 5;
  events.clicked = cells.At(0);
  events.hover = cells.At(1);
  events.leave = cells.At(2);
  events.hoverSound = "in";
  b->SetEventRecord(events);
  b->SetTag(3);

  Frame(5, 5);
  EXPECT_EQ(host.TakeLog(), (Log{"sound in 0"}));
  EXPECT_EQ(cells.Read(1), 1);
  Frame(5, 5, {}, 1);
  host.TakeLog();
  Frame(5, 5, {}, 0);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 3", "sound - -4", "event - - 5"}));
  EXPECT_EQ(cells.Read(0), 1);
  EXPECT_EQ(b->GetState(), 4);
  Frame(200, 5);
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -2"}));
  EXPECT_EQ(b->GetState(), 3);
  EXPECT_EQ(cells.Read(2), 1);

  // Without a group SetOn sets the state itself, disabled ones too.
  EXPECT_EQ(b->SetOn(false), 1);
  EXPECT_EQ(b->GetState(), 0);
  b->SetEnabled(false);
  EXPECT_EQ(b->SetOn(true), 1);
  EXPECT_EQ(b->GetState(), 7);
  EXPECT_EQ(b->SelectByIndex(0), 1);  // no group
}

TEST_F(CheckButtonControlTest, FromAPictureFile) {
  test::PictureFolder folder;
  auto picture = test::MakeSurface32(60, 10, [](int x, int) { return x < 10 ? 0xFF00FF00u : 0xFFFF0000u; });
  folder.WritePicture(*picture, "CHECK.BMP");
  CheckButtonControl b;
  EXPECT_EQ(b.CreateFromImage(&list, 0, "MISSING.BMP", 1, true, 0, 0, 0, 255, -1, -1, 0), 2);
  EXPECT_EQ(b.CreateFromImage(&list, 0, nullptr, 1, true, 0, 0, 0, 255, -1, -1, 0), 1);
  ASSERT_EQ(b.CreateFromImage(&list, 0, "CHECK.BMP", 1, true, 3, 4, 0, 255, 0, 0, 5), 0);
  EXPECT_EQ(b.GetWidth(), 10);
  EXPECT_EQ(b.GetFileName(), "CHECK.BMP");
  EXPECT_EQ(b.GetGroup(), 5);
  // The key colour of the pixel (0, 0) switches the pixel test on: the
  // keyed first cell is never hit.
  EXPECT_FALSE(b.HitTest(5, 6));
}

}  // namespace
}  // namespace orrivel
