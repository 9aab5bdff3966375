// The script's message window: typing the markup text token by token on
// the injected tick with scripted input, the typing states, the rules for
// pages read before and the skip inputs, advancing, the commands, the name
// plate and wait cursor; and natives 694, 767 and 769-777 driven through a
// persistent game script host.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../scene/SceneTestSupport.h"
#include "../scene/WindowTestSupport.h"
#include "ControlNativeRig.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "display/DrawObjectManager.h"
#include "natives/AppNativePort.h"
#include "natives/DisplayObjectArguments.h"
#include "natives/GameControlHost.h"
#include "natives/GameDrawable.h"
#include "natives/GameDrawableTask.h"
#include "natives/ProcessObjects.h"
#include "platform/Clock.h"
#include "raster/BlendTables.h"
#include "raster/PixelOpLibrary.h"
#include "scene/CheckButtonControl.h"
#include "scene/ControlFactory.h"
#include "scene/HotSpotControl.h"
#include "scene/TextListControl.h"
#include "scene/SpriteCanvas.h"
#include "text/MarkupTextBase.h"

namespace orrivel::testing {
namespace {

constexpr uint32_t kMinusOne = uint32_t(-1);
using Task = GameDrawableTask;

// The player's hands, scripted per frame.
class ScriptedInput : public GameDrawableInput {
 public:
  bool IsSkipKeyDown() override { return skipKey; }
  bool IsActionPressed(uint32_t action) override { return actions.count(action) != 0; }
  bool IsLeftButtonPressed() override { return click; }
  void GetPointer(int32_t* x, int32_t* y) override {
    *x = 5;
    *y = 5;
  }
  bool IsOverButton(int32_t, int32_t) override { return overButton; }
  void Release() {
    actions.clear();
    click = false;
  }
  bool skipKey = false;
  std::set<uint32_t> actions;
  bool click = false;
  bool overButton = false;
};

// A page whose read mark the test decides.
class PageText : public MarkupTextBase {
 public:
  bool read = false;
  bool IsPageRead(uint8_t, uint16_t) override { return read; }
  int Set(const std::string& record) {
    return SetText(reinterpret_cast<const uint8_t*>(record.c_str()), record.size() + 1);
  }
};

class GameDrawableTest : public ControlNativeRig {
 protected:
  void SetUp() override {
    ControlNativeRig::SetUp();
    GameHostSetup setup;
    setup.objectTimers = &timers_;
    session_ = std::make_unique<NativeSession>(std::move(setup));
    font_ = ScriptDisplayObjects()->AddFont(std::make_unique<test::CellFont>(16));
    picture_ = session_->Call("NativeCreateSurface", {24, 12, 32, 0});
    ASSERT_NE(picture_, 0u);
    // Cells of a check button: a grey box, darker to the right.
    Surface* cells = GetObjectSurface(picture_);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 24; ++x) test::Pixel32(*cells, x, y) = 0xFF000000u | (0x303030u * uint32_t(5 - x / 8));
  }
  void TearDown() override {
    // The windows go before the text and the timer list they type with.
    objects_.Reset();
    timers_.Clear();
    session_.reset();
    for (size_t byte : {5, 24, 25, 26, 27, 28, 130, 131}) AppPort().appConfig[byte] = 0;
    AppPort().skipSuppress = 0;
    ControlNativeRig::TearDown();
  }

  NativeSession& S() { return *session_; }
  Control* ControlOf(uint32_t handle) { return S().Host().ControlHandles().Find(Factory(), handle); }
  Font* CellFont() { return ScriptDisplayObjects()->GetFont(font_); }

  // A 64 x 32 window of 8 x 16 cells without margins: two lines of eight.
  GameDrawable* Make(MarkupTextBase* text) {
    GameDrawable* drawable = nullptr;
    EXPECT_EQ(CreateGameDrawable(Factory(), &drawable, text, &timers_, 0, 0, 64, 32, 0, 0, 0, CellFont(), nullptr, 0),
              0);
    if (drawable != nullptr) drawable->SetInput(&input_);
    return drawable;
  }
  CheckButtonControl* SkipButton(GameDrawable* drawable) {
    const uint32_t handle = S().Call("NativeCreateSurfaceCheckButton", {0, 0, picture_, 0, 65535});
    auto* button = dynamic_cast<CheckButtonControl*>(ControlOf(handle));
    if (button != nullptr) drawable->BindSkipButton(Factory().HandleOf(button));
    return button;
  }
  // One frame at the next tick (never 0, which reads the clock).
  void Frame() {
    clock_.Advance(16);
    timers_.Step(clock_.TickMs());
    input_.Release();
  }
  static int32_t Typed(const GameDrawable& d) { return d.CursorY() / 16 * 8 + d.CursorX() / 8; }

  TimerList timers_;
  std::unique_ptr<NativeSession> session_;
  ScriptedInput input_;
  uint32_t font_ = 0;
  uint32_t picture_ = 0;
  // The tick the timer list and the wait cursor read.
  platform::ManualClock clock_{1000};
  platform::ScopedClock clockScope_{clock_};
};

// Tokens 0-7 as the typing treats them, one character per frame unless
// the page's no-wait setting says otherwise.
TEST_F(GameDrawableTest, TokensStatesAndAFullPage) {
  struct Row {
    const char* body;
    bool noWait;
    int frames;
    uint8_t state;
    int8_t lastKind;
    int32_t typed;  // cells from the window's top-left
    bool ended;
  };
  const Row rows[] = {
      {"AB$&CD", false, 0, Task::kIdle, 0, 0, false},
      {"AB$&CD", false, 1, Task::kTyping, 0, 1, false},
      {"AB$&CD", false, 3, Task::kWaiting, 2, 2, false},       // a stop waits
      {"AB$", false, 3, Task::kWaiting, 3, 2, false},          // the last stop
      {"A$B$&", false, 2, Task::kWaiting, 1, 1, false},        // a variable mark stops too
      {"A\\B", false, 3, Task::kTyping, 0, 9, false},          // a backslash breaks the line
      {"A\\B", false, 4, Task::kFinished, 5, 9, true},         // the end, told once
      {"A\nB", false, 3, Task::kTyping, 0, 9, false},          // so does a line feed
      {"AB&CD", true, 1, Task::kFinished, 5, 2, true},         // a clear starts the page again
      // Full (seven cells to a line under the wrap rule): waits as a stop.
      {"ABCDEFGHIJKLMNOPQRST", true, 1, Task::kWaiting, 3, 15, false},
      {"<\"xy\">Z", false, 1, Task::kTyping, 0, 2, false},     // an item ends a step
  };
  for (const Row& row : rows) {
    PageText text;
    ASSERT_EQ(text.Set(std::string("#$") + row.body), 0) << row.body;
    GameDrawable* d = Make(&text);
    ASSERT_NE(d, nullptr);
    AppPort().appConfig[Task::kSettingUnreadNoWait] = row.noWait ? 1 : 0;
    ASSERT_EQ(d->StartText(false), 0);
    for (int i = 0; i < row.frames; ++i) Frame();
    const Task* task = d->Task();
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->GetState(), row.state) << row.body << " after " << row.frames;
    EXPECT_EQ(task->LastKind(), row.lastKind) << row.body << " after " << row.frames;
    EXPECT_EQ(Typed(*d), row.typed) << row.body << " after " << row.frames;
    EXPECT_EQ(task->EndNotifications(), row.ended ? 1u : 0u) << row.body;
    ASSERT_EQ(Factory().Delete(d), 0);
  }
  // The full page gave its fifteenth character back: reading goes on
  // there.
  PageText text;
  ASSERT_EQ(text.Set("#$ABCDEFGHIJKLMNOPQ"), 0);
  GameDrawable* d = Make(&text);
  AppPort().appConfig[Task::kSettingUnreadNoWait] = 1;
  ASSERT_EQ(d->StartText(false), 0);
  Frame();
  EXPECT_EQ(text.ReadCursor(), 14u);
  // The end is told once however often it is read.
  PageText shortPage;
  ASSERT_EQ(shortPage.Set("#$AB"), 0);
  GameDrawable* e = Make(&shortPage);
  ASSERT_EQ(e->StartText(false), 0);
  EXPECT_EQ(e->Command(2), 0);
  Frame();
  EXPECT_EQ(e->Command(2), 0);
  EXPECT_EQ(e->Task()->GetState(), Task::kFinished);
  EXPECT_EQ(e->Task()->EndNotifications(), 1u);
}

// An inline command block is passed over within the same step.
TEST_F(GameDrawableTest, CommandBlocksAreIgnored) {
  const char block[] = {'[', 0, 1, 2, 3, 4, 8, 0};
  const std::string record = "#$A" + std::string(block, sizeof block) + "B";
  PageText text;
  ASSERT_EQ(text.SetText(reinterpret_cast<const uint8_t*>(record.data()), record.size() + 1), 0);
  GameDrawable* d = Make(&text);
  ASSERT_EQ(d->StartText(false), 0);
  Frame();
  Frame();
  EXPECT_EQ(Typed(*d), 2);
  EXPECT_EQ(d->Task()->GetState(), Task::kTyping);
}

// The name plate follows the window: moved by the same offset, shown with
// it unless the page has no name, and given its background.
TEST_F(GameDrawableTest, NamePlateFollowsTheWindow) {
  const uint32_t plate = S().Call(693, {0, 0, 48, 16, 0, 0, 0, font_, 0, 0});
  auto* p = dynamic_cast<WindowControl*>(ControlOf(plate));
  ASSERT_NE(p, nullptr);
  PageText text;
  ASSERT_EQ(text.Set("#Ann$AB"), 0);
  GameDrawable* d = Make(&text);
  d->BindNamePlate(Factory().HandleOf(p), 0);
  ASSERT_EQ(d->StartText(false), 0);
  EXPECT_TRUE(p->IsVisible());
  d->SetPosition(10, 20);
  EXPECT_EQ(p->GetX(), 10);
  EXPECT_EQ(p->GetY(), 20);
  d->SetVisible(false);
  EXPECT_FALSE(p->IsVisible());
  d->SetVisible(true);
  EXPECT_TRUE(p->IsVisible());
  EXPECT_EQ(d->SetBackground(1, 0x112233, 200), 0);
  EXPECT_EQ(p->SetBackground(1, 0x112233, 200), -1);  // unchanged: it has it already
  // A page without a name keeps the plate hidden, even when shown again.
  ASSERT_EQ(text.Set("#$CD"), 0);
  ASSERT_EQ(d->StartText(false), 0);
  EXPECT_FALSE(p->IsVisible());
  d->SetVisible(true);
  EXPECT_FALSE(p->IsVisible());
}

// A scroll mark moves the page by its value and a line; the end of the
// page puts the first offset back.
TEST_F(GameDrawableTest, ScrollingIsPutBackAtTheEnd) {
  PageText text;
  ASSERT_EQ(text.Set("#$A<3>B<10>C"), 0);
  GameDrawable* d = Make(&text);
  ASSERT_EQ(d->StartText(false), 0);
  Frame();
  Frame();
  EXPECT_EQ(d->ScrollOffset(), 3 + 16);
  Frame();
  EXPECT_EQ(d->ScrollOffset(), 10 + 16);
  Frame();
  EXPECT_EQ(d->Task()->GetState(), Task::kFinished);
  EXPECT_EQ(d->ScrollOffset(), 0);
}

// Which pages are shown at once: the read mark with settings byte 28 and
// the permission, the skip key (byte 131 keeps it to pages read before),
// the skip button (byte 5 switches it off on new pages), the skip-suppress
// byte and a pending advance; and the pacing bytes of read and new pages.
TEST_F(GameDrawableTest, ReadPageRulesAndSkipInputs) {
  struct Row {
    const char* what;
    bool read;
    bool permission;
    std::vector<size_t> settings;
    bool skipKey;
    int buttonState;  // -1 no button
    bool suppress;
    bool advance;
    uint8_t state;
    int buttonAfter;  // -1: not checked
    bool buttonEnabled;
  };
  const Row rows[] = {
      {"read, skip read pages", true, true, {28}, false, -1, false, false, Task::kShownAtOnce, -1, true},
      {"read, no permission", true, false, {28}, false, -1, false, false, Task::kIdle, -1, true},
      {"read, suppressed", true, true, {28}, false, -1, true, false, Task::kIdle, -1, true},
      {"read, advance pending", true, true, {28}, false, -1, false, true, Task::kIdle, -1, true},
      {"new, skip read pages", false, true, {28}, false, -1, false, false, Task::kIdle, -1, true},
      {"new, skip key", false, true, {}, true, -1, false, false, Task::kShownAtOnce, -1, true},
      {"new, skip key for read pages only", false, true, {131}, true, -1, false, false, Task::kIdle, -1, true},
      {"read, skip key for read pages only", true, true, {131}, true, -1, false, false, Task::kShownAtOnce, -1,
       true},
      {"new, skip button on", false, true, {}, false, 3, false, false, Task::kShownAtOnce, 3, true},
      {"new, skip button in state 6", false, true, {}, false, 6, false, false, Task::kIdle, 6, true},
      {"new, no skipping new pages", false, true, {5}, false, 3, false, false, Task::kIdle, 6, false},
      {"read, no skipping new pages", true, false, {5}, false, 3, false, false, Task::kShownAtOnce, 3, true},
  };
  for (const Row& row : rows) {
    PageText text;
    text.read = row.read;
    ASSERT_EQ(text.Set("#$AB$&CD"), 0);
    GameDrawable* d = Make(&text);
    ASSERT_NE(d, nullptr);
    for (size_t byte : row.settings) AppPort().appConfig[byte] = 1;
    AppPort().skipSuppress = row.suppress ? 1 : 0;
    input_.skipKey = row.skipKey;
    if (row.advance) input_.actions.insert(GameDrawable::kActionNextPage);
    CheckButtonControl* button = row.buttonState >= 0 ? SkipButton(d) : nullptr;
    if (button != nullptr) button->SetState(uint8_t(row.buttonState));
    ASSERT_EQ(d->StartText(row.permission), 0) << row.what;
    EXPECT_EQ(d->Task()->GetState(), row.state) << row.what;
    EXPECT_EQ(d->Task()->PageRead(), row.read) << row.what;
    if (row.state == Task::kShownAtOnce) {
      EXPECT_EQ(text.ReadCursor(), text.Body().size()) << row.what;
      EXPECT_EQ(d->skipKeyMark, 1) << row.what;
    }
    if (button != nullptr) {
      if (row.buttonAfter >= 0) {
        EXPECT_EQ(button->GetState(), row.buttonAfter) << row.what;
        EXPECT_EQ(button->IsOn(), row.state == Task::kShownAtOnce) << row.what;
      }
      EXPECT_EQ(button->IsEnabled(), row.buttonEnabled) << row.what;
    }
    for (size_t byte : row.settings) AppPort().appConfig[byte] = 0;
    input_ = ScriptedInput{};
    Factory().DeleteAll();
  }

  // Pacing: read pages take bytes 26 and 27, new ones 24 and 25.
  AppPort().appConfig[24] = 0;
  AppPort().appConfig[25] = 20;
  AppPort().appConfig[26] = 1;
  AppPort().appConfig[27] = 7;
  for (bool read : {false, true}) {
    PageText text;
    text.read = read;
    ASSERT_EQ(text.Set("#$ABCD"), 0);
    GameDrawable* d = Make(&text);
    ASSERT_EQ(d->StartText(true), 0);
    EXPECT_EQ(d->Task()->NoWait(), read);
    EXPECT_EQ(d->Task()->Delay(), read ? 7 : 20);
  }
  // With the delay, the second character waits for its time.
  Factory().DeleteAll();
  PageText text;
  ASSERT_EQ(text.Set("#$ABCD"), 0);
  GameDrawable* d = Make(&text);
  ASSERT_EQ(d->StartText(true), 0);
  Frame();  // A, the next one due in 20 ms
  Frame();
  EXPECT_EQ(Typed(*d), 1);
  Frame();
  EXPECT_EQ(Typed(*d), 2);
}

// The skip key while typing shows the rest at once; the player's advance
// (action 19 or 4, or a click off the buttons) leaves a stop; with the
// auto-advance flag a request while typing runs to the next stop.
TEST_F(GameDrawableTest, AdvancingAndSkippingWhileTyping) {
  struct Row {
    const char* what;
    std::set<uint32_t> actions;
    bool click;
    bool overButton;
    bool advances;
  };
  const Row rows[] = {
      {"nothing", {}, false, false, false},
      {"next page", {19}, false, false, true},
      {"decide", {4}, false, false, true},
      {"another action", {5}, false, false, false},
      {"click", {}, true, false, true},
      {"click on a button", {}, true, true, false},
  };
  for (const Row& row : rows) {
    PageText text;
    ASSERT_EQ(text.Set("#$A$&BC$&D"), 0);
    GameDrawable* d = Make(&text);
    ASSERT_EQ(d->StartText(false), 0);
    Frame();
    Frame();
    ASSERT_EQ(d->Task()->GetState(), Task::kWaiting);
    input_.actions = row.actions;
    input_.click = row.click;
    input_.overButton = row.overButton;
    Frame();
    EXPECT_EQ(d->Task()->GetState(), row.advances ? Task::kTyping : Task::kWaiting) << row.what;
    EXPECT_EQ(Typed(*d), row.advances ? 2 : 1) << row.what;
    input_ = ScriptedInput{};
    Factory().DeleteAll();
  }

  // Auto-advance: a request while typing types up to the next stop.
  PageText text;
  ASSERT_EQ(text.Set("#$ABCD$&EF"), 0);
  GameDrawable* d = Make(&text);
  ASSERT_EQ(d->StartText(false), 0);
  Frame();
  ASSERT_EQ(d->Task()->GetState(), Task::kTyping);
  input_.actions = {19};
  Frame();
  EXPECT_EQ(Typed(*d), 4);
  EXPECT_EQ(d->Task()->GetState(), Task::kWaiting);
  // Without it, a request only leaves a stop.
  d->autoAdvance = 0;
  input_.actions = {19};
  Frame();  // leaves the stop and types E
  input_.actions = {19};
  Frame();
  EXPECT_EQ(Typed(*d), 6);

  // The skip key held while typing: the page at once, state 4.
  PageText skipped;
  ASSERT_EQ(skipped.Set("#$ABC$&DEF"), 0);
  GameDrawable* e = Make(&skipped);
  ASSERT_EQ(e->StartText(false), 0);
  Frame();
  input_.skipKey = true;
  Frame();
  EXPECT_EQ(e->Task()->GetState(), Task::kShownAtOnce);
  EXPECT_EQ(Typed(*e), 6);
}

TEST_F(GameDrawableTest, Commands) {
  PageText text;
  ASSERT_EQ(text.Set("#$AB$&CD$&EF"), 0);
  GameDrawable* d = Make(&text);
  EXPECT_EQ(d->Command(0), 1);  // no task yet
  ASSERT_EQ(d->StartText(false), 0);
  Frame();
  ASSERT_EQ(d->Task()->GetState(), Task::kTyping);
  // 3 while typing changes nothing.
  EXPECT_EQ(d->Command(3), 0);
  EXPECT_EQ(d->Task()->GetState(), Task::kTyping);
  EXPECT_EQ(Typed(*d), 1);
  EXPECT_EQ(d->Command(7), 2);
  // 0: one step without waits, to the stop.
  EXPECT_EQ(d->Command(0), 0);
  EXPECT_EQ(Typed(*d), 2);
  EXPECT_EQ(d->Task()->GetState(), Task::kWaiting);
  // 3 leaves the wait.
  EXPECT_EQ(d->Command(3), 0);
  EXPECT_EQ(d->Task()->GetState(), Task::kTyping);
  // 1: on to the next stop.
  EXPECT_EQ(d->Command(1), 0);
  EXPECT_EQ(Typed(*d), 4);
  EXPECT_EQ(d->Task()->LastKind(), 2);
  // 2: the rest at once.
  EXPECT_EQ(d->Command(2), 0);
  EXPECT_EQ(Typed(*d), 6);
  EXPECT_EQ(d->Task()->GetState(), Task::kFinished);
}

// A page whose second name component does not fit the field starts
// nothing: the window keeps what it showed.
TEST_F(GameDrawableTest, AnOverlongFieldChangesNothing) {
  PageText text;
  ASSERT_EQ(text.Set("#Alice\\0123456789ABCDEF$XY"), 0);
  GameDrawable* d = Make(&text);
  ASSERT_EQ(d->StartText(false), 0);
  EXPECT_EQ(d->Field(), "0123456789ABCDEF");
  Frame();
  Frame();
  Frame();
  ASSERT_EQ(d->Task()->GetState(), Task::kFinished);
  const std::vector<uint8_t> before(d->GetSurface().GetScanLine(0),
                                    d->GetSurface().GetScanLine(0) + 4 * 64);
  ASSERT_EQ(text.Set("#Bob\\0123456789ABCDEFG$ZZZZ"), 0);
  EXPECT_EQ(d->StartText(false), 2);
  EXPECT_EQ(Typed(*d), 2);
  EXPECT_EQ(d->Field(), "0123456789ABCDEF");
  EXPECT_EQ(std::vector<uint8_t>(d->GetSurface().GetScanLine(0), d->GetSurface().GetScanLine(0) + 4 * 64), before);
  Frame();
  EXPECT_EQ(Typed(*d), 2);
  EXPECT_EQ(text.ReadCursor(), 0u);
}

// Natives 767 and 769-777 serve only the message window; every other
// kind and a null handle get the refusal value.
TEST_F(GameDrawableTest, DrawableNativesServeOnlyTheMessageWindow) {
  // Under the marker the window has no font, which its creation refuses.
  const size_t before = Factory().Count();
  EXPECT_EQ(S().Call(694, {0, 0, 64, 32, 0, kMinusOne}), 1u);
  EXPECT_EQ(Factory().Count(), before);
  const uint32_t drawable = S().Call(694, {0, 0, 64, 32, 1, 0x202040, 200, font_, 0, 0});
  auto* d = dynamic_cast<GameDrawable*>(ControlOf(drawable));
  ASSERT_NE(d, nullptr);
  d->SetInput(&input_);
  const uint32_t window = S().Call(693, {0, 40, 64, 16, 0, 0, 0, font_, 0, 0});
  const uint32_t check = S().Call("NativeCreateSurfaceCheckButton", {0, 0, picture_, 0, 65535});
  ASSERT_NE(ControlOf(window), nullptr);
  ASSERT_NE(ControlOf(check), nullptr);
  EXPECT_EQ(S().Call(768, {drawable}), 1u);
  EXPECT_EQ(S().Call(768, {window}), 0u);
  EXPECT_EQ(S().Call(768, {0}), 0u);

  const uint32_t byte = S().Var(0);
  struct Row {
    uint32_t native;
    std::vector<uint32_t> rest;
    uint32_t refused;
    uint32_t served;
  };
  const Row rows[] = {
      {767, {1}, 0, 1},           {771, {0, 0}, kMinusOne, 1},  // no task yet
      {772, {0}, 1, 0},           {773, {window, 2}, 1, 0},     {773, {check, 0}, 1, 2},
      {774, {check}, 1, 0},       {774, {window}, 1, 2},        {775, {}, 0, 0},
      {776, {}, 0, 0},            {777, {byte}, 0, 0},          {770, {}, kMinusOne, 0},
      {769, {0}, kMinusOne, 0},   {771, {9, 0}, kMinusOne, 2},
  };
  for (const Row& row : rows) {
    for (uint32_t other : {0u, window, check}) {
      std::vector<uint32_t> cells{other};
      cells.insert(cells.end(), row.rest.begin(), row.rest.end());
      EXPECT_EQ(S().Call(row.native, cells), row.refused) << row.native << " on " << other;
    }
    std::vector<uint32_t> cells{drawable};
    cells.insert(cells.end(), row.rest.begin(), row.rest.end());
    EXPECT_EQ(S().Call(row.native, cells), row.served) << row.native;
  }

  // Typing the host's shared text: states and the last mark through 775
  // and 776.
  const std::string page = "#Al\\x$AB$&C";
  ASSERT_EQ(S().Host().Message().SetText(reinterpret_cast<const uint8_t*>(page.c_str()), page.size() + 1), 0);
  EXPECT_EQ(S().Call(769, {drawable, 1}), 0u);
  EXPECT_EQ(d->Field(), "x");
  EXPECT_EQ(S().Call(775, {drawable}), uint32_t(Task::kIdle));
  Frame();
  Frame();
  Frame();
  EXPECT_EQ(S().Call(775, {drawable}), uint32_t(Task::kWaiting));
  EXPECT_EQ(S().Call(776, {drawable}), 2u);
  EXPECT_EQ(S().Call(771, {drawable, 2, 0}), 0u);
  EXPECT_EQ(S().Call(775, {drawable}), uint32_t(Task::kFinished));
  EXPECT_EQ(S().Call(776, {drawable}), 5u);
  EXPECT_EQ(S().Call(770, {drawable}), 0u);

  // The skip key shows the page at once and leaves its mark, taken once.
  input_.skipKey = true;
  EXPECT_EQ(S().Call(769, {drawable, 0}), 0u);
  EXPECT_EQ(S().Call(775, {drawable}), uint32_t(Task::kShownAtOnce));
  EXPECT_EQ(S().Call(777, {drawable, byte}), 1u);
  EXPECT_EQ(S().Bytes(byte, 1), std::string(1, '\1'));
  EXPECT_EQ(S().Call(777, {drawable, byte}), 0u);
  input_.skipKey = false;

  // A wait cursor whose frames name nothing drawable cannot be made.
  const uint32_t frames = S().Block(12);
  S().Space().Write32(frames, picture_);
  EXPECT_EQ(S().Call(772, {drawable, frames}), 0u);
  EXPECT_EQ(S().Call(769, {drawable, 0}), 3u);
  S().Space().Write32(frames + 4, 3);
  S().Space().Write32(frames + 8, 100);
  EXPECT_EQ(S().Call(772, {drawable, frames}), 0u);
  EXPECT_EQ(S().Call(769, {drawable, 0}), 0u);

  // A plate or button the script deleted is simply gone.
  EXPECT_EQ(S().Call(773, {drawable, window, 0}), 0u);
  EXPECT_NE(d->NamePlate(), nullptr);
  const uint32_t variable = S().Var(window);
  EXPECT_EQ(S().Call("NativeDeleteControl", {variable}), 0u);
  EXPECT_EQ(d->NamePlate(), nullptr);
  EXPECT_EQ(S().Call(769, {drawable, 0}), 0u);

  // Deleting the drawable takes its task off the timer list.
  const uint32_t held = S().Var(drawable);
  EXPECT_EQ(S().Call("NativeDeleteControl", {held}), 0u);
  Frame();
  EXPECT_EQ(timers_.Size(), 0u);

  // A host that goes takes the message windows typing its text along; the
  // other controls stay.
  const uint32_t typing = S().Call(694, {0, 0, 64, 32, 0, 0, 0, font_, 0, 0});
  ASSERT_EQ(S().Call(769, {typing, 0}), 0u);
  const size_t controls = Factory().Count();
  session_.reset();
  EXPECT_EQ(Factory().Count(), controls - 1);
  Frame();
  EXPECT_EQ(timers_.Size(), 0u);
}

// The per-control natives of windows, text lists, hot spots and any kind:
// each on the kinds it serves, and its refusal for a null handle and for
// every other kind.
TEST_F(GameDrawableTest, WindowListAndStateNativesServeTheirKinds) {
  const uint32_t button = S().Call("NativeCreateSurfaceButton", {0, 0, picture_, 65535});
  const uint32_t check = S().Call("NativeCreateSurfaceCheckButton", {0, 0, picture_, 0, 65535});
  const uint32_t window = S().Call(693, {0, 0, 64, 32, 0, 0, 0, font_, 0, 0});
  const uint32_t drawable = S().Call(694, {0, 40, 64, 32, 0, 0, 0, font_, 0, 0});
  const uint32_t list = S().Call(695, {0, 0, 60, 16, 2, font_, 0});
  const uint32_t spot = S().Call(696, {10, 10, 8, 8, kMinusOne});
  const uint32_t controls[] = {button, check, window, drawable, list, spot};
  const int32_t kinds[] = {kControlPushButton, kControlCheckButton, kControlWindow, GameDrawable::kKind,
                           kControlTextList,   kControlHotSpot};
  for (size_t i = 0; i < std::size(controls); ++i) {
    ASSERT_NE(ControlOf(controls[i]), nullptr) << i;
    ASSERT_EQ(ControlOf(controls[i])->GetKind(), kinds[i]);
  }
  const uint32_t width = S().Var(), height = S().Var();
  const uint32_t text = S().Text("AB");
  const std::vector<int32_t> any(std::begin(kinds), std::end(kinds));
  const std::vector<int32_t> windows{kControlWindow, GameDrawable::kKind};
  const std::vector<int32_t> windowsAndLists{kControlWindow, GameDrawable::kKind, kControlTextList};
  const std::vector<int32_t> lists{kControlTextList};
  struct Row {
    uint32_t native;
    std::vector<uint32_t> rest;
    std::vector<int32_t> served;
    uint32_t refused;
  };
  const Row rows[] = {
      {722, {2, 3, 66, 35}, any, 0},
      {731, {}, any, 0},
      {732, {}, any, 0},
      {738, {1}, {kControlCheckButton, kControlWindow, GameDrawable::kKind, kControlTextList}, kMinusOne},
      {747, {12, 13}, {kControlHotSpot}, 0},
      {748, {1, 2, 3, 4, 5, 6, 7, 8}, windowsAndLists, 0},
      {749, {16, 0x102030}, windowsAndLists, kMinusOne},
      {750, {0, font_, 0}, windowsAndLists, kMinusOne},
      {751, {0}, windowsAndLists, 0},
      {753, {width, height, text, 0}, windowsAndLists, 0},
      {760, {0, 1, 0, 1, 0, 1}, windows, 0},
      {761, {8}, windows, 0},
      {762, {64, 32}, windows, 4},
      {763, {0, 0x123456, 200, 1}, windows, 9},
      {764, {text, 0, 0, 1}, windows, 9},
      {765, {0}, windows, 2},
      {766, {1}, windows, 5},
      {779, {1, 0, 0, 0, 0, 0, kMinusOne}, lists, 4},
      {780, {2, 0x80FF0000}, lists, 0},
      {783, {40, 0}, lists, 0},
      {785, {0, 0}, lists, kMinusOne},
  };
  for (const Row& row : rows) {
    std::vector<uint32_t> cells{0};
    cells.insert(cells.end(), row.rest.begin(), row.rest.end());
    EXPECT_EQ(S().Call(row.native, cells), row.refused) << row.native << " null";
    for (size_t i = 0; i < std::size(controls); ++i) {
      cells[0] = controls[i];
      const uint32_t result = S().Call(row.native, cells);
      const bool served = std::find(row.served.begin(), row.served.end(), kinds[i]) != row.served.end();
      if (!served) {
        EXPECT_EQ(result, row.refused) << row.native << " kind " << kinds[i];
      }
    }
  }

  // What they changed.
  auto* w = dynamic_cast<WindowControl*>(ControlOf(window));
  auto* l = dynamic_cast<TextListControl*>(ControlOf(list));
  auto* h = dynamic_cast<HotSpotControl*>(ControlOf(spot));
  ASSERT_TRUE(w != nullptr && l != nullptr && h != nullptr);
  EXPECT_EQ(w->GetX(), 2);
  EXPECT_EQ(w->GetWidth(), 64);
  EXPECT_EQ(w->MarginRight(), 3);
  EXPECT_EQ(w->LineGap(), 1);  // the style's, set after the margins
  EXPECT_TRUE(w->AreItemsLocked());
  EXPECT_EQ(h->CentreX(), 12);
  EXPECT_EQ(l->textOffsetX, 7);
  EXPECT_EQ(l->highlightMode, 2);
  EXPECT_EQ(l->dragAlpha, 40);
  EXPECT_TRUE(l->IsLocked());
  EXPECT_EQ(S().Word(width), 16u);  // two half-height cells
  EXPECT_EQ(S().Word(height), 16u);
  // 722 gives a window its size; a negative centre is the middle.
  EXPECT_EQ(S().Call(722, {window, 0, 0, 40, 24}), 1u);
  EXPECT_EQ(w->GetWidth(), 40);
  EXPECT_EQ(S().Call(747, {spot, kMinusOne, kMinusOne}), 1u);
  EXPECT_EQ(h->CentreX(), 2 + 4);  // moved to (2, 3) by 722
  // The state values: a check button's look and a window's items.
  EXPECT_EQ(S().Call(735, {check, 1}), 0u);
  auto* c = dynamic_cast<CheckButtonControl*>(ControlOf(check));
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->IsOn());
  EXPECT_EQ(S().Call(731, {check}), uint32_t(c->GetState()));
  EXPECT_EQ(S().Call(732, {check}), 1u);  // locked by 738
  EXPECT_EQ(S().Call(731, {window}), kMinusOne);  // no item hovered
  // Resizing refuses a size below 1; 765 turns the window's writing.
  EXPECT_EQ(S().Call(762, {window, 0, 10}), 1u);
  EXPECT_EQ(S().Call(765, {window, 1}), 0u);
  EXPECT_TRUE(w->IsVertical());
  // A list line, hovered by 785.
  EXPECT_EQ(S().Call(784, {list, text, 0, kMinusOne}), 0u);
  EXPECT_EQ(S().Call(785, {list, 0, 0}), 1u);
}

class GameDrawablePictureTest : public GameDrawableTest {
 protected:
  // A canvas image the controls are drawn on.
  uint32_t Canvas(int32_t width, int32_t height) {
    const uint32_t canvas = S().Call("NativeCreateCanvasImage", {uint32_t(width), uint32_t(height), 32, 1});
    EXPECT_NE(canvas, 0u);
    EXPECT_EQ(S().Call("NativeSetCanvasBackgroundColor", {canvas, 0x304050, 1}), 1u);
    EXPECT_EQ(S().Call(699, {canvas}), 0u);
    return canvas;
  }
  // The default outline face, so the pictures show real letters.
  uint32_t Face(int32_t height) {
    const uint32_t face = S().Call("NativeCreateOutlineFont", {S().Text(""), uint32_t(height)});
    EXPECT_NE(face, 0u);
    return face;
  }
  Surface* Render(uint32_t canvas) {
    EXPECT_EQ(S().Call("NativeRenderCanvas", {canvas}), 0u);
    return GetObjectSurface(canvas);
  }
  // Three 8 x 8 frames: dark, middle and light.
  uint32_t Strip() {
    const uint32_t strip = S().Call("NativeCreateSurface", {24, 8, 32, 0});
    Surface* s = GetObjectSurface(strip);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 24; ++x) test::Pixel32(*s, x, y) = 0xFF000000u | (0x404040u * uint32_t(1 + x / 8));
    return strip;
  }
};

// The message window mid-page: its name plate above it, the text typed to
// a stop and the wait cursor after it.
TEST_F(GameDrawablePictureTest, MidPageWithNamePlateAndWaitCursor) {
  const uint32_t canvas = Canvas(140, 72);
  const uint32_t face = Face(14);
  const uint32_t drawable = S().Call(694, {8, 24, 124, 40, 1, 0x102060, 220, face, 0, 0});
  const uint32_t plate = S().Call(693, {8, 4, 48, 18, 1, 0x603010, 220, face, 0, 0});
  auto* d = dynamic_cast<GameDrawable*>(ControlOf(drawable));
  ASSERT_NE(d, nullptr);
  d->SetInput(&input_);
  ASSERT_EQ(S().Call(773, {drawable, plate, 0}), 0u);
  const uint32_t frames = S().Block(12);
  S().Space().Write32(frames, Strip());
  S().Space().Write32(frames + 4, 3);
  S().Space().Write32(frames + 8, 100);
  ASSERT_EQ(S().Call(772, {drawable, frames}), 0u);
  ASSERT_EQ(S().Call(728, {plate, 8, 4}), 1u);
  const std::string page = "#Ann$Hi there\\again$&next";
  ASSERT_EQ(S().Host().Message().SetText(reinterpret_cast<const uint8_t*>(page.c_str()), page.size() + 1), 0);
  AppPort().appConfig[Task::kSettingUnreadNoWait] = 1;
  ASSERT_EQ(S().Call(769, {drawable, 0}), 0u);
  Frame();
  ASSERT_EQ(d->Task()->GetState(), Task::kWaiting);
  EXPECT_TRUE(d->IsWaitCursorShown());
  EXPECT_TRUE(d->IsNamePlateShown());
  Frame();
  test::ExpectGolden(*Render(canvas), "game_drawable_mid_page", "natives");
  // Leaving the wait puts back what lay under the cursor.
  ASSERT_EQ(S().Call(771, {drawable, 3, 0}), 0u);
  EXPECT_FALSE(d->IsWaitCursorShown());
}

// A small form: a text button, a check button, a colour box, a drawn
// scroll bar and a window with a line of text.
TEST_F(GameDrawablePictureTest, SmallFormOfControls) {
  const uint32_t canvas = Canvas(120, 64);
  const uint32_t face = Face(14);
  ASSERT_NE(S().Call(682, {4, 4, 40, 18, 0, S().Text("OK"), face, 0}), 0u);
  const uint32_t check = S().Call("NativeCreateSurfaceCheckButton", {50, 4, picture_, 0, 65535});
  ASSERT_EQ(S().Call(735, {check, 1}), 0u);
  ASSERT_NE(S().Call(687, {80, 4, 20, 18, 0xFFC04040, 0xFF40C040, 0xFF4040C0, 0}), 0u);
  const uint32_t bar = S().Call(690, {104, 4, 1, 65535});
  ASSERT_EQ(S().Call(692, {bar, 56, 100, 20, 30, 0, 0}), 0u);
  const uint32_t window = S().Call(693, {4, 28, 96, 32, 1, 0x204020, 200, face, 0, 0});
  ASSERT_EQ(S().Call(735, {window, S().Text("Name\r\nTom")}), 0u);
  test::ExpectGolden(*Render(canvas), "control_form", "natives");
}

}  // namespace
}  // namespace orrivel::testing
