// The frame's message-window state on a headless run with a manual clock
// that a frame pump moves 17 ms a frame: the skip test, the waits, the page
// display mode, window visibility and clearing, the bar buttons and the
// bar, and the window fade.
#include "frame/MessageWindowState.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>

#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "base/TimedTask.h"
#include "base/TimerList.h"
#include "frame/MessageTextWindow.h"
#include "platform/Clock.h"
#include "scene/ButtonControl.h"
#include "scene/ControlFactory.h"
#include "scene/ImageSprite.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"

namespace orrivel {
namespace {

constexpr uint32_t kFrameMs = 17;
// The keyboard's codes of the two skip keys.
constexpr uint8_t kShift = 0x2A, kCtrl = 0x1D;

// A task that ends by itself after a number of steps.
struct CountdownTask : TimedTask {
  int left = 0;
  bool stopped = false;
  int32_t Step(uint32_t) override { return --left <= 0 ? 1 : 0; }
  void Stop() override { stopped = true; }
};

class MessageWindowStateTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    test::WriteRunPictures(pictures_);
    TgsFrameEnvironment environment = fixture_.Environment();
    environment.readGameFile = nullptr;
    environment.controls = &controls_;
    environment.factory = &factory_;
    environment.settings = std::span<uint8_t>(settings_);
    environment.systemTimers = [this] { return &timers_; };
    environment.pumpFrame = [this] {
      clock_.Advance(kFrameMs);
      timers_.Step(clock_.TickMs());
      ++pumps_;
      if (watch_) alphas_.insert(watch_->GetOpacity());
      return pumps_ > pumpsBeforeClose_ ? 0 : 1;
    };
    frame_ = std::make_unique<TgsFrame>(fixture_.host.Space(), environment);
    ASSERT_EQ(frame_->SetupMessageWindow(nullptr), 0);
    ASSERT_EQ(frame_->BeginRun(false), 0);
  }
  void TearDown() override {
    frame_.reset();
    test::SceneTest::TearDown();
  }
  MessageWindowState& state() { return frame_->WindowState(); }
  MessageTextWindow& window() { return *state().Window(0); }

  test::PictureFolder pictures_;
  FrameFixture fixture_;
  InputControlHost controls_;
  ControlFactory factory_;
  platform::ManualClock clock_{5000};
  platform::ScopedClock scopedClock_{clock_};
  TimerList timers_;
  std::array<uint8_t, 196> settings_{};
  std::unique_ptr<TgsFrame> frame_;
  // The pointer's button newly pressed, and the one key held (0 none).
  void Click(bool on) {
    controls_.pointer.pressed.clear();
    if (on) controls_.pointer.pressed.insert(0);
  }
  void Hold(uint8_t key) {
    controls_.keys.down.clear();
    if (key) controls_.keys.down.insert(key);
  }
  int pumps_ = 0;
  int pumpsBeforeClose_ = 1 << 20;
  Drawable* watch_ = nullptr;
  std::set<uint8_t> alphas_;
};

TEST_F(MessageWindowStateTest, SkipTestOverSettingsClicksAndKeys) {
  struct Case {
    uint32_t mask;
    uint8_t always, clickEnds, keySwap;
    bool click;
    uint8_t key;
    bool expected;
  };
  const Case cases[] = {
      {1, 0, 0, 0, true, 0, false},     // a click counts only with byte 191
      {1, 0, 1, 0, true, 0, true},
      {1, 0, 1, 0, false, kShift, false}, // the key is not bit 0's
      {2, 1, 0, 0, false, 0, true},     // byte 3: always
      {2, 0, 0, 0, false, kShift, true},  // Shift without the swap
      {2, 0, 0, 1, false, kShift, false}, // Ctrl with it
      {2, 0, 0, 1, false, kCtrl, true},
      {2, 0, 1, 0, true, 0, false},
      {3, 0, 1, 0, true, 0, true},
      {3, 0, 0, 0, false, kShift, true},
      {3, 0, 0, 0, false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.mask << " " << int(c.always) << int(c.clickEnds) << int(c.keySwap) << c.click
                                    << int(c.key));
    settings_[3] = c.always, settings_[191] = c.clickEnds, settings_[130] = c.keySwap;
    Click(c.click), Hold(c.key);
    EXPECT_EQ(state().ShouldSkip(c.mask), c.expected);
  }
  // Nothing skips while input is off.
  frame_->EndRun();
  EXPECT_FALSE(state().ShouldSkip(3));
}

TEST_F(MessageWindowStateTest, TimedWaitsAndTaskWaits) {
  EXPECT_EQ(state().TimedWait(100, true), 0);
  EXPECT_EQ(pumps_, 6);  // past 100 ms at the sixth frame
  settings_[191] = 1;
  Click(true);
  EXPECT_EQ(state().TimedWait(100, true), 1);
  EXPECT_EQ(state().TimedWait(50, false), 0);
  Click(false);
  Hold(kShift);
  EXPECT_EQ(state().TimedWait(1000, false), 0);  // the skip key ends it
  Hold(0);
  pumpsBeforeClose_ = pumps_;
  EXPECT_EQ(state().TimedWait(100, true), -1);
  EXPECT_EQ(state().FixedWait(100), -1);
  pumpsBeforeClose_ = 1 << 20;
  frame_->SetSkipByKey(true);
  const int before = pumps_;
  EXPECT_EQ(state().TimedWait(100, true), 1);
  EXPECT_EQ(pumps_, before);
  frame_->SetSkipByKey(false);

  // A task that runs out.
  TimedTask* slot = nullptr;
  auto* task = new CountdownTask;
  task->left = 3;
  ASSERT_EQ(timers_.Add(task, 0, 0, 0), 0);
  task->SetOwnerSlot(&slot);
  slot = task;
  EXPECT_EQ(state().WaitDisplayTask(&slot, &timers_, true), 0);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(state().WaitDisplayTask(&slot, &timers_, true), 0);  // empty slot
  // A skipped one is stopped and its slot cleared.
  task = new CountdownTask;
  task->left = 1000;
  ASSERT_EQ(timers_.Add(task, 0, 0, 0), 0);
  task->SetOwnerSlot(&slot);
  slot = task;
  pumpsBeforeClose_ = pumps_ + 2;
  EXPECT_EQ(state().WaitDisplayTask(&slot, &timers_, false), -1);
  EXPECT_EQ(slot, task);
  pumpsBeforeClose_ = 1 << 20;
  Hold(kShift);
  EXPECT_EQ(state().WaitDisplayTask(&slot, &timers_, true), 1);
  EXPECT_EQ(slot, nullptr);
  EXPECT_TRUE(task->stopped);
  Hold(0);
  // In skip mode a skippable wait ends at once.
  task = new CountdownTask;
  task->left = 1000;
  ASSERT_EQ(timers_.Add(task, 0, 0, 0), 0);
  task->SetOwnerSlot(&slot);
  slot = task;
  frame_->SetSkipBySetting(true);
  EXPECT_EQ(state().WaitDisplayTask(&slot, &timers_, true), 1);
  EXPECT_EQ(slot, nullptr);
}

TEST_F(MessageWindowStateTest, PageDisplayModeFromTheSettings) {
  struct Case {
    bool read;
    std::array<uint8_t, 5> bytes;  // 24 to 28
    int32_t mode;
    bool skipBySetting;
  };
  const Case cases[] = {
      {false, {0, 0, 0, 0, 0}, 1, false},   // speed 0 counts as 1
      {false, {0, 30, 0, 0, 0}, 30, false},
      {false, {1, 30, 0, 0, 1}, 0, false},  // at once; byte 28 is for read text
      {true, {0, 0, 0, 20, 0}, 20, false},
      {true, {0, 0, 1, 20, 0}, 0, false},
      {true, {0, 0, 0, 0, 0}, 1, false},
      {true, {0, 0, 0, 20, 1}, 0, true},    // skip read text
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.read << int(c.bytes[0]) << int(c.bytes[1]) << int(c.bytes[2])
                                    << int(c.bytes[3]) << int(c.bytes[4]));
    std::copy(c.bytes.begin(), c.bytes.end(), settings_.begin() + 24);
    frame_->SetAlreadyRead(c.read);
    frame_->SetSkipBySetting(true);
    EXPECT_EQ(state().GetPageDisplayMode(), c.mode);
    EXPECT_EQ(frame_->SkipBySetting(), c.skipBySetting);
  }
}

TEST_F(MessageWindowStateTest, WindowVisibilityAndClearing) {
  const std::string page = Sjis("こんにちは");
  struct Case {
    int32_t window;
    int32_t result;
    bool touched;
  };
  const Case cases[] = {{1, 1, false}, {0, 0, true}, {-1, 0, true}, {-2, 0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    state().SetWindowVisible(false, 0);
    EXPECT_EQ(state().SetWindowVisible(true, c.window), c.result);
    EXPECT_EQ(window().IsVisible(), c.touched);
    EXPECT_EQ(state().Record().visible, c.touched);
    ASSERT_EQ(window().SetPageText(page.data(), page.size()), 0);
    window().SetNames(Sjis("名前").c_str(), "V01");
    EXPECT_EQ(state().ClearMessageWindow(c.window), c.result);
    EXPECT_EQ(window().HasPageText(), !c.touched);
    EXPECT_EQ(window().SpeakerName().empty(), c.touched);
    EXPECT_EQ(window().IsVisible(), false);
  }
  EXPECT_EQ(state().CurrentWindow(), 0);
}

TEST_F(MessageWindowStateTest, BarButtonStatesAndTheBar) {
  ButtonControl* skip = frame_->BarButtonControl(TgsFrame::kSkipToChoice);
  ASSERT_NE(skip, nullptr);
  struct Case {
    uint8_t state;
    bool enabled;
    uint8_t cell;
  };
  const Case cases[] = {
      {2, true, PushControl::kNormal}, {1, true, PushControl::kNormal}, {2, true, PushControl::kNormal},
      {0, false, PushControl::kDisabled}, {2, true, PushControl::kNormal},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.state));
    state().SetBarButtonState(TgsFrame::kSkipToChoice, c.state);
    EXPECT_EQ(frame_->ButtonState(TgsFrame::kSkipToChoice), c.state);
    EXPECT_EQ(skip->IsEnabled(), c.enabled);
    EXPECT_EQ(skip->GetState(), c.cell);
  }
  // Held keeps the look the pointer gave (so a click switches the mode off
  // again); enabled takes a pressed look away.
  skip->SetState(PushControl::kHover);
  state().SetBarButtonState(TgsFrame::kSkipToChoice, 2);
  EXPECT_EQ(skip->GetState(), PushControl::kHover);
  state().SetBarButtonState(TgsFrame::kSkipToChoice, 1);
  EXPECT_EQ(skip->GetState(), PushControl::kHover);
  skip->SetState(PushControl::kPressed);
  state().SetBarButtonState(TgsFrame::kSkipToChoice, 1);
  EXPECT_EQ(skip->GetState(), PushControl::kNormal);
  state().SetBarButtonState(10, 0);  // no such button
  EXPECT_EQ(frame_->ButtonState(10), 0);

  // At once.
  ImageSprite* bar = frame_->BarSprite();
  ASSERT_NE(bar, nullptr);
  state().SetBarVisible(true, false);
  EXPECT_TRUE(skip->IsVisible());
  EXPECT_TRUE(frame_->ButtonsVisible());
  EXPECT_EQ(bar->GetOpacity(), 255);
  // Animated: over 200 ms on the system timer list.
  state().SetBarVisible(false, true);
  EXPECT_TRUE(bar->IsVisible());
  state().FixedWait(100);
  EXPECT_GT(bar->GetOpacity(), 0);
  EXPECT_LT(bar->GetOpacity(), 255);
  state().FixedWait(150);
  EXPECT_FALSE(bar->IsVisible());
  EXPECT_FALSE(skip->IsVisible());
  EXPECT_EQ(bar->GetOpacity(), 255);
  state().SetBarVisible(true, true);
  EXPECT_TRUE(skip->IsVisible());
  EXPECT_EQ(skip->Sprite().GetOpacity(), 0);
  state().FixedWait(250);
  EXPECT_EQ(skip->Sprite().GetOpacity(), 255);
}

// What the bar draws (its picture and its ten buttons) is what its record
// says, from the start of a run on: before any page has shown it, after the
// script hid or faded the window with it, at the first page, and when a run
// resumes, with or without a loaded state.
TEST_F(MessageWindowStateTest, BarOnScreenFollowsItsRecordFromTheRunStart) {
  // A loaded state, saved from a run of its own over a module.
  frame_->SetFolder("SCRIPT");
  frame_->SetFileReader([this](const std::string& path) { return fixture_.disk.Read(path); });
  fixture_.AddStory("module T\n[12 0]Hello\n");
  ASSERT_EQ(frame_->LoadScriptByName("T"), 0);
  std::vector<uint8_t> saved(frame_->GetSaveSize(false));
  ByteWriter out(saved.data(), saved.size());
  ASSERT_EQ(frame_->SaveTo(out, false), 0);
  const auto load = [&] {
    SobCursor in(saved.data(), saved.size());
    ASSERT_EQ(frame_->LoadFrom(in), 0);
    ASSERT_EQ(frame_->BeginRun(true), 0);
  };
  struct Case {
    const char* what;
    uint8_t barNearBottom;  // settings byte 11
    std::function<void()> step;
    bool shown;
  };
  const Case cases[] = {
      {"a fresh run", 0, [] {}, false},
      {"the window hidden with the bar", 0, [&] { state().ShowMessageWindow(false, true); }, false},
      {"the window faded out with the bar", 0, [&] { EXPECT_EQ(state().FadeMessageWindow(false, 100, true), 0); },
       false},
      {"the window faded in with the bar", 1, [&] { EXPECT_EQ(state().FadeMessageWindow(true, 100, true), 0); },
       true},
      {"a suspended run resumed", 0,
       [&] {
         state().SetBarVisible(true, false);
         ASSERT_EQ(frame_->BeginRun(true), 0);
       },
       false},
      {"the first page, the bar always shown", 0, [&] { EXPECT_EQ(frame_->OutputPage(0, true), 0); }, true},
      {"the first page, the bar only near the bottom", 1, [&] { EXPECT_EQ(frame_->OutputPage(0, true), 0); },
       false},
      {"a load, the bar always shown", 0, load, true},
      {"a load, the bar only near the bottom", 1, load, false},
  };
  const auto drawn = [](const Drawable& part) { return part.IsVisible() && part.GetOpacity() > 0; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    frame_->EndRun();
    settings_[11] = c.barNearBottom;
    ASSERT_EQ(frame_->BeginRun(false), 0);
    c.step();
    EXPECT_EQ(state().BarVisible(), c.shown);
    EXPECT_EQ(frame_->ButtonsVisible(), c.shown);
    ASSERT_NE(frame_->BarSprite(), nullptr);
    EXPECT_EQ(drawn(*frame_->BarSprite()), c.shown);
    for (uint32_t b = 0; b < TgsFrame::kBarButtons; ++b) {
      SCOPED_TRACE(b);
      ButtonControl* button = frame_->BarButtonControl(b);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->IsVisible() && drawn(button->Sprite()), c.shown);
    }
  }
}

TEST_F(MessageWindowStateTest, WindowFadesInAndOut) {
  watch_ = &window().WindowSprite();
  EXPECT_EQ(state().FadeMessageWindow(true, 300, true), 0);
  EXPECT_TRUE(window().IsVisible());
  EXPECT_EQ(window().Sprite().GetOpacity(), 255);
  EXPECT_NEAR(double(alphas_.size()), 18.0, 1.0);
  EXPECT_TRUE(state().BarVisible());
  alphas_.clear();
  EXPECT_EQ(state().FadeMessageWindow(false, 300, true), 0);
  EXPECT_FALSE(window().IsVisible());
  EXPECT_FALSE(state().BarVisible());
  EXPECT_EQ(window().Sprite().GetOpacity(), 255);
  EXPECT_NEAR(double(alphas_.size()), 18.0, 1.0);
  // In skip mode the fade is a switch.
  frame_->SetSkipByKey(true);
  const int before = pumps_;
  EXPECT_EQ(state().FadeMessageWindow(true, 300, true), 0);
  EXPECT_EQ(pumps_, before);
  EXPECT_TRUE(window().IsVisible());
  frame_->SetSkipByKey(false);
  pumpsBeforeClose_ = pumps_;
  EXPECT_EQ(state().FadeMessageWindow(false, 300, false), -1);
}

TEST_F(MessageWindowStateTest, AFlushedPageShowsInTheWindowWithItsName) {
  const std::string text = Sjis("こんにちは、世界。");
  for (size_t i = 0; i < text.size(); i += 2)
    ASSERT_TRUE(frame_->Page().AppendCharacter(reinterpret_cast<const uint8_t*>(text.data() + i), 2));
  frame_->SpeakerName() = Sjis("案内人");
  frame_->VoiceName() = "V0001";
  settings_[25] = 10;  // unread text: 10 ms a character
  ASSERT_EQ(frame_->FlushPage(), 0);
  MessageTextWindow& w = window();
  EXPECT_EQ(w.SpeakerName(), Sjis("案内人"));
  EXPECT_EQ(w.VoiceCue(), "V0001");
  EXPECT_EQ(w.CharacterCount(), 9);
  EXPECT_EQ(w.RevealState(), MessageTextWindow::kRevealPrepared);
  EXPECT_EQ(w.RevealDuration(), 90u);
  EXPECT_EQ(w.GetY() + w.GetHeight(), 688);  // standing on the bar
  EXPECT_FALSE(state().TakeStopRequest());
  state().ShowMessageWindow(true, true);
  EXPECT_TRUE(w.IsVisible());
  EXPECT_TRUE(state().NamePlate()->IsVisible());
  // The reveal runs on the control host's frames.
  controls_.Update(clock_.TickMs());
  clock_.Advance(100);
  controls_.Update(clock_.TickMs());
  EXPECT_EQ(w.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_TRUE(w.IsCursorShown());
  // Shown at once when the settings say so.
  settings_[24] = 1;
  ASSERT_TRUE(frame_->Page().AppendCharacter(reinterpret_cast<const uint8_t*>(text.data()), 2));
  ASSERT_EQ(frame_->FlushPage(), 0);
  EXPECT_EQ(w.RevealState(), MessageTextWindow::kRevealNone);
  EXPECT_EQ(w.SpeakerName(), "");
}

}  // namespace
}  // namespace orrivel
