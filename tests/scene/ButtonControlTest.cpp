// Push buttons: the state machine (hover, press, the 100 ms activation of
// the decide action, leave), sounds and script cells of the event record,
// and the button's strip of cells from a surface, a picture file or its own
// drawing of a text.
#include "scene/ButtonControl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BlockFont.h"
#include "ControlTestSupport.h"
#include "GoldenSupport.h"
#include "SceneTestSupport.h"
#include "platform/KeyTable.h"
#include "raster/SpriteList.h"
#include "script/ScriptAddressSpace.h"
#include "text/Font.h"

namespace orrivel {
namespace {

using Log = std::vector<std::string>;

using test::BlockFont;

class ButtonControlTest : public test::SceneTest, protected test::HeadlessControlInput {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    Connect(host);
    strip = test::MakeSurface32(300, 20, [](int x, int) { return 0xFF000000u | uint32_t(x); });
  }
  // A button on the strip, listed and hovered.
  std::unique_ptr<ButtonControl> MakeButton(bool pressedCell, bool disabledCell = false) {
    auto button = std::make_unique<ButtonControl>();
    EXPECT_EQ(button->CreateFromSurface(&list, 5, strip.get(), disabledCell, pressedCell, 10, 20, 0, 255, 3), 0);
    EXPECT_EQ(host.AddControl(button.get(), -1), 0u);
    return button;
  }
  int32_t ShownCell(const ButtonControl& b) { return b.Sprite().GetSourceRect().left / b.GetWidth(); }
  // A host frame with the pointer at (x, y) and these keys and buttons held.
  int32_t Frame(int32_t x, int32_t y, std::initializer_list<uint8_t> keys = {}, uint32_t buttons = 0) {
    host.pointerX = x, host.pointerY = y;
    Poll(keys, buttons);
    return host.Update(clock.TickMs());
  }

  test::RecordingHost host;
  SpriteList list;
  std::unique_ptr<Surface> strip;
};

TEST_F(ButtonControlTest, CellsOfAStrip) {
  struct Case {
    bool pressed, disabled;
    int32_t cells, width;
  };
  for (const Case& c : {Case{true, true, 4, 75}, Case{false, false, 2, 150}, Case{true, false, 3, 100},
                        Case{false, true, 3, 100}}) {
    ButtonControl b;
    ASSERT_EQ(b.CreateFromSurface(&list, 0, strip.get(), c.disabled, c.pressed, 0, 0, 0, 255, 0), 0);
    EXPECT_EQ(b.CellCount(), c.cells);
    EXPECT_EQ(b.GetWidth(), c.width);
    EXPECT_EQ(b.GetHeight(), 20);
    EXPECT_EQ(b.Sprite().GetSourceRect(), (Rect{0, 0, c.width, 20}));
  }
}

TEST_F(ButtonControlTest, StatesShowTheirCells) {
  struct Case {
    bool pressed, disabled;
    int32_t cells[4];  // normal, hover, pressed, disabled
  };
  const Case cases[] = {
      {true, true, {0, 1, 2, 3}},
      {false, true, {0, 1, 1, 2}},
      {true, false, {0, 1, 2, 0}},
      {false, false, {0, 1, 1, 0}},
  };
  for (const Case& c : cases) {
    ButtonControl b;
    ASSERT_EQ(b.CreateFromSurface(&list, 0, strip.get(), c.disabled, c.pressed, 40, 0, 0, 255, 0), 0);
    for (uint8_t state = 0; state < 4; ++state) {
      EXPECT_EQ(b.SetState(state), 0);
      EXPECT_EQ(ShownCell(b), c.cells[state]) << int(state);
      EXPECT_EQ(b.GetX(), 40);  // the sprite keeps its place
    }
  }
}

TEST_F(ButtonControlTest, TheDecideActionWithAndWithoutAPressedCell) {
  for (bool pressedCell : {false, true}) {
    SCOPED_TRACE(pressedCell);
    Poll();
    auto b = MakeButton(pressedCell);
    b->SetTag(3);
    host.SetFocus(b.get());
    ASSERT_EQ(b->GetState(), PushControl::kHover);
    host.TakeLog();
    EXPECT_EQ(Frame(-5, -5, {platform::DIK_RETURN}), 2);
    if (!pressedCell) {
      EXPECT_EQ(host.TakeLog(), (Log{"selected 3", "sound - -4"}));
      EXPECT_EQ(b->GetState(), PushControl::kHover);
      host.Clear();
      continue;
    }
    EXPECT_EQ(b->GetState(), PushControl::kPressed);
    EXPECT_EQ(ShownCell(*b), 2);
    EXPECT_EQ(host.TakeLog(), Log{});
    clock.Advance(100);  // not yet: the fire time must lie strictly before now
    EXPECT_EQ(Frame(-5, -5, {platform::DIK_RETURN}), 2);
    EXPECT_EQ(host.TakeLog(), Log{});
    clock.Advance(1);
    EXPECT_EQ(Frame(-5, -5), 2);
    EXPECT_EQ(host.TakeLog(), (Log{"selected 3", "sound - -4"}));
    EXPECT_EQ(b->GetState(), PushControl::kHover);
    EXPECT_EQ(ShownCell(*b), 1);
    host.Clear();
  }
}

TEST_F(ButtonControlTest, ThePressDelayIsSafeAcrossTheTickWrap) {
  clock.SetTick(0xFFFFFFC0u);
  auto b = MakeButton(true);
  host.SetFocus(b.get());
  Frame(-5, -5, {platform::DIK_RETURN});
  ASSERT_EQ(b->GetState(), PushControl::kPressed);
  EXPECT_EQ(b->GetFireTime(), 0x24u);
  clock.SetTick(0xFFFFFFF0u);  // 48 ms on: a plain unsigned compare would fire here
  Frame(-5, -5);
  EXPECT_EQ(b->GetState(), PushControl::kPressed);
  clock.SetTick(0x25u);
  Frame(-5, -5);
  EXPECT_EQ(b->GetState(), PushControl::kHover);
}

TEST_F(ButtonControlTest, ATimedActivationIsNotRepeatedByTheRelease) {
  auto b = MakeButton(true);
  b->SetTag(1);
  Frame(15, 25);  // hover by the pointer
  host.SetFocus(b.get());
  Frame(15, 25);
  host.TakeLog();
  EXPECT_EQ(Frame(15, 25, {platform::DIK_RETURN}), 2);  // pressed, firing in 100 ms
  ASSERT_EQ(b->GetState(), PushControl::kPressed);
  EXPECT_FALSE(b->OnPointerButtons(0, 0, input.Mouse()));  // button 0 not held: no second activation
  clock.Advance(101);
  Frame(15, 25);
  EXPECT_EQ(host.TakeLog(), (Log{"selected 1", "sound - -4"}));
}

TEST_F(ButtonControlTest, ThePointerPressesOnlyAHoveredButton) {
  // The pointer rests on the button; its owner then gives it another look.
  struct Case {
    const char* name;
    uint8_t lookBeforeTheClick;
    bool fires;
  };
  const Case cases[] = {
      {"hovered", PushControl::kHover, true},
      {"put back to normal under the pointer", PushControl::kNormal, false},
      {"shown pressed by its owner", PushControl::kPressed, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto b = MakeButton(true);
    b->SetTag(2);
    Frame(15, 25);
    ASSERT_EQ(b->GetState(), PushControl::kHover);
    b->SetState(c.lookBeforeTheClick);
    host.TakeLog();
    EXPECT_EQ(Frame(15, 25, {}, 1), c.fires ? 1 : 0);
    EXPECT_EQ(Frame(15, 25, {}, 0), c.fires ? 1 : 0);
    EXPECT_EQ(Frame(15, 25), 0);  // released: nothing more
    EXPECT_EQ(host.TakeLog(), c.fires ? (Log{"selected 2", "sound - -4"}) : Log{});
    EXPECT_EQ(b->GetState(), c.fires ? PushControl::kHover : c.lookBeforeTheClick);
    host.Clear();
  }
}

TEST_F(ButtonControlTest, ClickWithTheEventRecordAndItsScriptCells) {
  ScriptAddressSpace space;
  const uint32_t cells = space.Allocate(12);
  auto b = MakeButton(false);
  PushEvents events;
  events.eventName1 = "one";
  events.eventValue = 9;
  events.clicked = {&space, cells};
  events.hover = {&space, cells + 4};
  events.leave = {&space, cells + 8};
  events.hoverSound = "hov";
  b->SetEvents(events);
  EXPECT_EQ(b->GetEvents()->hoverCode, 0);
  EXPECT_EQ(b->GetEvents()->leaveCode, -1);
  auto cell = [&](uint32_t offset) {
    uint32_t v = 0;
    space.Read32(cells + offset, v);
    return v;
  };

  host.TakeLog();
  Frame(12, 22);
  EXPECT_EQ(host.TakeLog(), (Log{"sound hov 0"}));
  EXPECT_EQ(cell(4), 1u);
  EXPECT_EQ(cell(8), 0u);
  EXPECT_EQ(Frame(12, 22, {}, 1), 1);  // press
  EXPECT_EQ(b->GetState(), PushControl::kPressed);
  EXPECT_EQ(ShownCell(*b), 1);  // no pressed cell: the hover cell shows
  EXPECT_EQ(Frame(12, 22, {}, 0), 1);  // release: activation; tag -1 selects nothing
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -4", "event - one 9"}));
  EXPECT_EQ(cell(0), 1u);
  Frame(500, 22);
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -2"}));
  EXPECT_EQ(cell(4), 0u);
  EXPECT_EQ(cell(8), 1u);

  // A press released after the pointer left does not activate.
  Frame(12, 22);
  Frame(12, 22, {}, 1);
  Frame(500, 22, {}, 1);
  host.TakeLog();
  Frame(500, 22, {}, 0);
  EXPECT_EQ(host.TakeLog(), Log{});

  // A cell outside the arena is refused; nothing else breaks.
  events.clicked = {&space, 0xFFFFFFF0u};
  b->SetEvents(events);
  host.SetFocus(b.get());
  EXPECT_TRUE(b->Activate());
}

TEST_F(ButtonControlTest, DisablingAHoveredButtonDropsTheHover) {
  auto b = MakeButton(true, true);
  Frame(12, 22);
  ASSERT_TRUE(host.IsHovered(b.get()));
  EXPECT_TRUE(b->SetEnabled(false));
  EXPECT_EQ(b->GetState(), PushControl::kDisabled);
  EXPECT_EQ(ShownCell(*b), 3);
  EXPECT_FALSE(host.IsHovered(b.get()));
  Frame(13, 22);  // never hit while disabled
  EXPECT_FALSE(host.IsHovered(b.get()));
  EXPECT_TRUE(b->SetEnabled(true));
  EXPECT_EQ(b->GetState(), PushControl::kNormal);
}

// The pointer rests on the button throughout: each click fires at once,
// after the button was enabled under it and while its owner shows it
// pressed (held by a mode); a held look alone never fires.
TEST_F(ButtonControlTest, ClicksUnderAPointerAtRest) {
  auto b = MakeButton(true, true);
  b->SetTag(4);
  b->SetEnabled(false);
  Frame(12, 22);
  EXPECT_FALSE(host.IsHovered(b.get()));
  b->SetEnabled(true);
  Frame(12, 22);
  EXPECT_TRUE(host.IsHovered(b.get()));
  EXPECT_EQ(b->GetState(), PushControl::kHover);
  for (int click = 0; click < 3; ++click) {
    SCOPED_TRACE(click);
    Frame(12, 22, {}, 1);
    host.TakeLog();
    Frame(12, 22, {}, 0);
    EXPECT_EQ(host.TakeLog(), (Log{"selected 4", "sound - -4"}));
    EXPECT_EQ(b->GetState(), PushControl::kHover);
    Frame(12, 22);
    EXPECT_EQ(host.TakeLog(), Log{});
  }
}

TEST_F(ButtonControlTest, FocusAndThePointerModes) {
  auto b = MakeButton(false);  // 150 x 20 at (10, 20)
  host.TakeLog();
  host.pointerMode = 1;
  host.SetFocus(b.get());
  EXPECT_EQ(host.TakeLog(), (Log{"pointer 85,30"}));
  EXPECT_EQ(b->GetState(), PushControl::kNormal);
  host.SetFocus(nullptr);
  host.pointerMode = 2;
  host.SetFocus(b.get());
  EXPECT_EQ(host.TakeLog(), (Log{"sound - -3", "pointer 641,480"}));
  EXPECT_EQ(b->GetState(), PushControl::kHover);
  host.SetFocus(nullptr);  // focus loss: back to normal without a sound
  EXPECT_EQ(host.TakeLog(), Log{});
  EXPECT_EQ(b->GetState(), PushControl::kNormal);
}

TEST_F(ButtonControlTest, HitTestByRectangleOrByPixel) {
  auto b = MakeButton(false);
  EXPECT_TRUE(b->HasRectangularHit());
  EXPECT_TRUE(b->HitTest(10, 20));
  EXPECT_TRUE(b->HitTest(159, 39));
  EXPECT_FALSE(b->HitTest(160, 20));
  EXPECT_FALSE(b->HitTest(9, 20));
  // A keyed strip tests pixels: the key colour is not the button.
  auto keyedStrip = test::MakeSurface32(300, 20, [](int x, int) { return uint32_t(x); });
  keyedStrip->SetColorKeyRgb(0, 0, 5);
  ButtonControl keyed;
  ASSERT_EQ(keyed.CreateFromSurface(&list, 0, keyedStrip.get(), false, false, 0, 0, 0, 255, 0), 0);
  EXPECT_FALSE(keyed.HasRectangularHit());
  EXPECT_FALSE(keyed.HitTest(5, 3));
  EXPECT_TRUE(keyed.HitTest(6, 3));
}

TEST_F(ButtonControlTest, SpriteListsAndRelease) {
  SpriteList other;
  {
    ButtonControl b;
    EXPECT_EQ(b.AttachToSpriteList(1, 1, 1), 1);  // no list yet
    EXPECT_EQ(b.MoveToList(&other), 1);
    ASSERT_EQ(b.CreateFromSurface(&list, 7, strip.get(), false, false, 0, 0, 2, 128, 4), 0);
    EXPECT_EQ(b.GetGroup(), 4);
    EXPECT_EQ(b.GetOrder(), 7);
    EXPECT_EQ(b.IsReady(), 128);
    EXPECT_EQ(b.Sprite().GetDrawMode(), 2);
    EXPECT_EQ(b.BorrowedSurface(), strip.get());
    EXPECT_EQ(b.MoveToList(nullptr), 1);
    EXPECT_EQ(b.MoveToList(&other), 0);
    EXPECT_EQ(list.Find(&b.Sprite()), nullptr);
    ASSERT_NE(other.Find(&b.Sprite()), nullptr);
    EXPECT_EQ(other.Find(&b.Sprite())->order, 7u);
    EXPECT_EQ(b.AttachToSpriteList(9, 4, 1), 0);
    EXPECT_EQ(other.Find(&b.Sprite())->order, 9u);
    // A picture that cannot load leaves the button released.
    EXPECT_EQ(b.CreateFromImage(&list, 0, nullptr, false, false, 0, 0, 0, 255, -1, -1, 0), 1);
    EXPECT_EQ(b.CreateFromImage(&list, 0, "NOSUCH.BMP", false, false, 0, 0, 0, 255, -1, -1, 0), 2);
    EXPECT_EQ(other.Find(&b.Sprite()), nullptr);
    EXPECT_EQ(b.GetSpriteList(), nullptr);
    ASSERT_EQ(b.CreateFromSurface(&list, 7, strip.get(), false, false, 0, 0, 0, 255, 4), 0);
  }
  EXPECT_EQ(list.Head(), nullptr);  // the destructor took the sprite out
}

TEST_F(ButtonControlTest, TextButtonSizes) {
  BlockFont font;
  ButtonControl b;
  // "OK" is 12 x 10: the button is 20 x 18 with the text at (4, 4).
  ASSERT_EQ(b.CreateWithText(&list, 0, "OK", &font, 3, 4, 0, 0, false, 0), 0);
  EXPECT_EQ(b.GetWidth(), 20);
  EXPECT_EQ(b.GetHeight(), 18);
  EXPECT_EQ(b.CellCount(), 3);  // a text button always has a pressed cell
  EXPECT_EQ(b.OwnSurface().GetWidth(), 60);
  EXPECT_EQ(font.draws, (std::vector<std::string>{"4,4"}));
  EXPECT_EQ(b.GetText(), "OK");
  EXPECT_TRUE(b.HasRectangularHit());
  // A given size centres the text, halves rounded towards minus infinity.
  font.draws.clear();
  ASSERT_EQ(b.CreateWithText(&list, 0, "OK", &font, 3, 4, 11, 9, false, 0), 0);
  EXPECT_EQ(font.draws, (std::vector<std::string>{"-1,-1"}));
  // Re-creation keeps the list, order, font, size and place.
  font.draws.clear();
  EXPECT_EQ(b.RecreateWithText("ABC"), 0);
  EXPECT_EQ(b.GetWidth(), 11);
  EXPECT_EQ(b.GetX(), 3);
  EXPECT_EQ(b.GetText(), "ABC");
  EXPECT_EQ(b.RecreateWithText(nullptr), 1);
  // Without a font the size must be at least 8 each way.
  EXPECT_EQ(b.CreateWithText(&list, 0, "x", nullptr, 0, 0, 7, 20, false, 0), 1);
  EXPECT_EQ(b.CreateWithText(&list, 0, "x", nullptr, 0, 0, 20, 7, false, 0), 1);
  EXPECT_EQ(b.CreateWithText(nullptr, 0, "x", &font, 0, 0, 20, 20, false, 0), 1);
  EXPECT_EQ(b.CreateWithText(&list, 0, "x", nullptr, 0, 0, 8, 8, true, 0), 0);
  EXPECT_EQ(b.CellCount(), 4);
  // A translucent face colour becomes the sprite's opacity.
  b.SetFaceColor(0x80D4D0C8);
  ASSERT_EQ(b.CreateWithText(&list, 0, "OK", &font, 0, 0, 0, 0, false, 0), 0);
  EXPECT_EQ(b.IsReady(), 0x80);
}

TEST_F(ButtonControlTest, FourCellBevelMatchesItsGoldenPicture) {
  BlockFont font;
  font.textRed = 0x20, font.textGreen = 0x30, font.textBlue = 0x90;
  ButtonControl b;
  ASSERT_EQ(b.CreateWithText(&list, 0, "OK!", &font, 0, 0, 30, 20, true, 0), 0);
  ASSERT_EQ(b.CellCount(), 4);
  // The disabled cell borrowed the font's colours and gave them back.
  EXPECT_EQ(font.textBlue, 0x90);
  EXPECT_EQ(font.effectMode, kEffectNone);
  test::ExpectGolden(b.OwnSurface(), "button_text_4cells");
}

}  // namespace
}  // namespace orrivel
