// Page output, the choice wait and the player's actions in a set-up frame
// on the injected tick: the input a test plays arrives on given frames of
// the pump, and the test looks at when the reading went on, what the
// window, the bar and the history show, and what the game was asked for.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsFrame.h"
#include "platform/Clock.h"
#include "scene/ButtonControl.h"
#include "scene/ControlFactory.h"

namespace orrivel {
namespace {

constexpr size_t kSettingKeepSkip = 6;
constexpr size_t kSettingHideMenu = 7;
constexpr size_t kSettingAutoSave = 12;
constexpr size_t kSettingUnreadAtOnce = 24, kSettingUnreadSpeed = 25;
constexpr size_t kSettingHistoryLength = 29;
constexpr size_t kSettingAutoPerChar = 31, kSettingAutoBase = 32;
constexpr size_t kSettingSwapKeys = 130, kSettingSkipReadOnly = 131;
constexpr size_t kSettingConfirmPreviousChoice = 172;
constexpr uint8_t kCtrl = 0x1D, kShift = 0x2A, kAlt = 0x38, kF1 = 0x3B, kF3 = 0x3D;
constexpr uint32_t kFrameMs = 16;

class TgsPageOutputTest : public test::SceneTest {
 public:
  void SetUp() override {
    test::SceneTest::SetUp();
    test::WriteRunPictures(pictures_);
    settings_[kSettingHistoryLength] = 8;
    settings_[kSettingUnreadSpeed] = 100;  // 100 ms a character
  }
  void TearDown() override {
    fixture_.frame.reset();
    test::SceneTest::TearDown();
  }

  // A set-up, running frame whose pump moves the clock 16 ms and plays the
  // input of that frame (pressed codes last one frame). Frames count from
  // the start of the frame.
  TgsFrame& StartFrame() {
    fixture_.RemakeFrame([this](TgsFrameEnvironment& environment) {
      environment.readGameFile = nullptr;
      environment.controls = &controls_;
      environment.factory = &factory_;
      environment.settings = std::span<uint8_t>(settings_);
      environment.setMenuState = [this](bool on) { menuStates_.push_back(on); };
      environment.player.takeFiredTag = [this] {
        const int32_t tag =
            controls_.selected >= 0 ? std::exchange(controls_.selected, -1) : std::exchange(fired_, -1);
        if (tag >= 0) firedTags_.emplace_back(fixture_.pumps - base_, tag);
        return tag;
      };
      environment.player.confirm = [this](const std::string& text) {
        asked_.push_back(text);
        return answer_;
      };
      environment.player.notice = [this](const std::string& text, uint32_t ms) {
        notices_.push_back(text + " " + std::to_string(ms));
      };
      environment.player.quickSave = [this](int32_t slot) {
        saves_.push_back(slot);
        return saveWorks_;
      };
      environment.player.selectQuickLoad = [this](int32_t slot) {
        loads_.push_back(slot);
        return loadChoice_;
      };
      environment.player.autoSave = [this] {
        ++autoSaves_;
        return true;
      };
      environment.player.settingsScreen = [this](bool&) {
        ++sheetsShown_;
        return 0;
      };
    });
    fixture_.onPump = [this] {
      clock_.Advance(kFrameMs);
      controls_.pointer.pressed.clear();
      controls_.keys.pressed.clear();
      const auto found = input_.find(fixture_.pumps + 1 - base_);
      if (found != input_.end()) found->second();
    };
    TgsFrame& frame = *fixture_.frame;
    base_ = fixture_.pumps;
    EXPECT_EQ(frame.SetupMessageWindow(nullptr), 0);
    EXPECT_EQ(frame.BeginRun(false), 0);
    // Opcode 15 marks the frames and ticks at which the reading passes it.
    frame.Opcodes().Register(15, [this](TgsFrame&, const TgsArguments&) {
      marks_.push_back(fixture_.pumps - base_);
      ticks_.push_back(clock_.TickMs());
      return 0;
    });
    return frame;
  }
  int32_t PlayText(const std::string& text) {
    fixture_.AddStory("module T\n" + text + "\n");
    return fixture_.Play("T");
  }
  void ClickAt(int frame) {
    input_[frame] = [this] { controls_.pointer.pressed.insert(0); };
  }

  test::PictureFolder pictures_;
  FrameFixture fixture_;
  InputControlHost controls_;
  ControlFactory factory_;
  platform::ManualClock clock_{5000};
  platform::ScopedClock scopedClock_{clock_};
  std::array<uint8_t, 196> settings_{};
  std::map<int, std::function<void()>> input_;
  std::vector<int> marks_;
  std::vector<uint32_t> ticks_;
  std::vector<bool> menuStates_;
  std::vector<std::string> asked_, notices_;
  std::vector<int32_t> saves_, loads_;
  int32_t fired_ = -1;
  std::vector<std::pair<int, int32_t>> firedTags_;  // (frame, tag) as the frame took them
  int32_t answer_ = 0;
  bool saveWorks_ = true;
  int32_t loadChoice_ = TgsPlayerServices::kQuickLoadChosen;
  int autoSaves_ = 0;
  int sheetsShown_ = 0;
  int base_ = 0;
};

// One page of ten characters, then the mark.
constexpr const char* kPage = "[15]ABCDEFGHIJ[page][15]";

TEST_F(TgsPageOutputTest, ThePageWaitLeavesOnTheRightInput) {
  struct Case {
    const char* name;
    std::vector<std::pair<size_t, uint8_t>> settings;
    std::function<void(TgsPageOutputTest&)> input;
    int leftAt;  // the frame the wait ended on
  };
  const Case cases[] = {
      // The first click completes the reveal (1000 ms) without leaving.
      {"click, click", {}, [](TgsPageOutputTest& t) {
         t.ClickAt(5);
         t.ClickAt(9);
       },
       9},
      {"one click then the reveal ends", {}, [](TgsPageOutputTest& t) { t.ClickAt(70); }, 70},
      {"Ctrl skips with byte 130", {{kSettingSwapKeys, 1}},
       [](TgsPageOutputTest& t) { t.controls_.keys.down = {kCtrl}; }, 1},
      {"Shift skips without it", {}, [](TgsPageOutputTest& t) { t.controls_.keys.down = {kShift}; }, 1},
      {"Ctrl does not skip without it", {},
       [](TgsPageOutputTest& t) {
         t.controls_.keys.down = {kCtrl};
         t.ClickAt(70);
       },
       70},
      {"byte 131: no skip on an unread page", {{kSettingSkipReadOnly, 1}},
       [](TgsPageOutputTest& t) {
         t.controls_.keys.down = {kShift};
         t.ClickAt(80);
       },
       80},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_ = {};
    settings_[kSettingUnreadSpeed] = 100;
    for (const auto& [at, value] : c.settings) settings_[at] = value;
    input_.clear();
    marks_.clear();
    controls_.keys.down.clear();
    StartFrame();
    c.input(*this);
    ASSERT_EQ(PlayText(kPage), 0);
    ASSERT_EQ(marks_.size(), 2u);
    EXPECT_EQ(marks_[1] - marks_[0], c.leftAt);
    EXPECT_FALSE(fixture_.frame->PageShown());
    fixture_.frame->EndRun();
  }
}

TEST_F(TgsPageOutputTest, AClickDuringTheRevealShowsTheWholePage) {
  TgsFrame& frame = StartFrame();
  ClickAt(5);
  input_[7] = [&frame] {
    MessageTextWindow* window = frame.WindowState().Window(0);
    EXPECT_EQ(window->RevealState(), 0);
    EXPECT_TRUE(frame.PageShown());
  };
  ClickAt(9);
  ASSERT_EQ(PlayText(kPage), 0);
  EXPECT_EQ(marks_[1], 9);
}

TEST_F(TgsPageOutputTest, AutoModeWaitsByTheCharactersAfterTheReveal) {
  settings_[kSettingUnreadAtOnce] = 1;
  settings_[kSettingAutoPerChar] = 50;
  settings_[kSettingAutoBase] = 1000 & 0xFF;
  settings_[kSettingAutoBase + 1] = 1000 >> 8;
  TgsFrame& frame = StartFrame();
  frame.SetAutoMode(true);
  EXPECT_EQ(frame.ButtonState(TgsFrame::kAutoPlay), MessageWindowState::kHeld);
  ASSERT_EQ(PlayText("[15]" + std::string(40, 'x') + "[page][15]"), 0);
  ASSERT_EQ(ticks_.size(), 2u);
  // 50 ms x 40 characters + 1000 ms, passed on the first frame after.
  EXPECT_GT(ticks_[1] - ticks_[0], 3000u);
  EXPECT_LE(ticks_[1] - ticks_[0], 3000u + kFrameMs);
}

TEST_F(TgsPageOutputTest, AClosingPumpEndsEveryWait) {
  for (const char* text : {"A[page]", "[choices _ \"a\" \"b\"][choose]"}) {
    SCOPED_TRACE(text);
    StartFrame();
    fixture_.pumpsBeforeClose = fixture_.pumps + 3;
    EXPECT_EQ(PlayText(text), -1);
    fixture_.frame->EndRun();
    fixture_.pumpsBeforeClose = 1 << 20;
  }
}

TEST_F(TgsPageOutputTest, TheMenuStateGoesOffAfterAPageAndComesBackOnAMove) {
  settings_[kSettingHideMenu] = 1;
  StartFrame();
  ClickAt(70);
  input_[80] = [this] { controls_.pointerX = 100, controls_.pointerY = 100; };
  ClickAt(90);
  ASSERT_EQ(PlayText("A[page]B[page]"), 0);
  // Off after the first page, on at the move during the second, off after it.
  EXPECT_EQ(menuStates_, (std::vector<bool>{false, true, false}));
}

TEST_F(TgsPageOutputTest, PlayerActionsDoWhatTheirInputsAsk) {
  EXPECT_EQ(std::vector<int32_t>({TgsFrame::ActionOfInput(0), TgsFrame::ActionOfInput(1), TgsFrame::ActionOfInput(2),
                                  TgsFrame::ActionOfInput(3), TgsFrame::ActionOfInput(4), TgsFrame::ActionOfInput(5),
                                  TgsFrame::ActionOfInput(6), TgsFrame::ActionOfInput(7), TgsFrame::ActionOfInput(8),
                                  TgsFrame::ActionOfInput(9), TgsFrame::ActionOfInput(10),
                                  TgsFrame::ActionOfInput(11), TgsFrame::ActionOfInput(12),
                                  TgsFrame::ActionOfInput(13), TgsFrame::ActionOfInput(14)}),
            (std::vector<int32_t>{6, 3, 4, 0, 1, 9, 10, 8, 7, 5, 2, 11, -1, -1, -1}));

  struct Case {
    const char* name;
    std::function<void(TgsPageOutputTest&, TgsFrame&)> prepare;
    int32_t action;
    int32_t result;
    int32_t pending;
    std::vector<std::string> notices;
    std::vector<std::string> asked;
  };
  const Case cases[] = {
      {"F3 with Ctrl quick-saves into slot 2",
       [](TgsPageOutputTest& t, TgsFrame&) {
         t.controls_.keys.down = {kCtrl};
         t.controls_.keys.pressed = {kF3};
       },
       -1, -1, 0, {"スロット３にセーブしました 100"}, {}},
      {"F1 alone quick-loads slot 5",
       [](TgsPageOutputTest& t, TgsFrame&) { t.controls_.keys.pressed = {kF1}; }, -1, 6, 2,
       {"スロット５からロードしました 850"}, {}},
      {"Alt turns the F-keys off",
       [](TgsPageOutputTest& t, TgsFrame&) {
         t.controls_.keys.down = {kAlt};
         t.controls_.keys.pressed = {kF1};
       },
       -1, 0, 0, {}, {}},
      {"a failed quick save", [](TgsPageOutputTest& t, TgsFrame&) { t.saveWorks_ = false; }, 0, -1, 0,
       {"クイックセーブに失敗しました 100"}, {}},
      {"no quick save to load",
       [](TgsPageOutputTest& t, TgsFrame&) { t.loadChoice_ = TgsPlayerServices::kQuickLoadMissing; }, 1, -1, 0,
       {"クイックセーブデータは存在しません 100"}, {}},
      {"a damaged quick save is not loaded",
       [](TgsPageOutputTest& t, TgsFrame&) { t.loadChoice_ = TgsPlayerServices::kQuickLoadDamaged; }, 1, -1, 0,
       {"クイックセーブデータが壊れているためロードできません 100"}, {}},
      {"a disabled button blocks its action",
       [](TgsPageOutputTest&, TgsFrame& f) { f.WindowState().SetBarButtonState(0, MessageWindowState::kDisabled); },
       0, 0, 0, {}, {}},
      {"back to the title always runs, confirmed",
       [](TgsPageOutputTest& t, TgsFrame&) { t.answer_ = 1; }, 11, 7, 1, {},
       {"タイトルに戻ります。\nよろしいですか？"}},
      {"back to the title declined", [](TgsPageOutputTest&, TgsFrame&) {}, 11, -1, 0, {},
       {"タイトルに戻ります。\nよろしいですか？"}},
      {"back to the choice asks with byte 172",
       [](TgsPageOutputTest& t, TgsFrame& f) {
         t.settings_[kSettingConfirmPreviousChoice] = 1;
         t.answer_ = 1;
         f.WindowState().SetBarButtonState(2, MessageWindowState::kEnabled);
       },
       2, 5, 3, {}, {"前の選択肢に戻ります。\nよろしいですか？"}},
      {"skip on", [](TgsPageOutputTest&, TgsFrame&) {}, 5, 3, 0, {}, {}},
      {"skip off", [](TgsPageOutputTest&, TgsFrame& f) { f.RunPlayerAction(5); }, 5, 4, 0, {}, {}},
      {"auto play", [](TgsPageOutputTest&, TgsFrame&) {}, 6, -1, 0, {}, {}},
      {"the system menu without a port closes at once", [](TgsPageOutputTest&, TgsFrame&) {}, 10, -1, 0, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_ = {};
    controls_.keys.Reset();
    notices_.clear();
    asked_.clear();
    answer_ = 0;
    saveWorks_ = true;
    loadChoice_ = TgsPlayerServices::kQuickLoadChosen;
    TgsFrame& frame = StartFrame();
    c.prepare(*this, frame);
    EXPECT_EQ(frame.RunPlayerAction(c.action), c.result);
    EXPECT_EQ(frame.PendingResult(), c.pending);
    EXPECT_EQ(notices_, c.notices);
    EXPECT_EQ(asked_, c.asked);
    frame.EndRun();
  }
}

TEST_F(TgsPageOutputTest, SaveAndLoadScreensAreTheGamesSystemScript) {
  struct Case {
    const char* name;
    int32_t action;
    uint32_t n, visited;  // what the script finds
    bool hasScreen;
    int32_t result, pending;
    uint32_t nAfter;
  };
  const Case cases[] = {
      {"the save screen", 3, 0, 0, true, -1, 0, 7},
      {"the load screen closed", 4, 0, 0, true, -1, 0, 0},
      {"a save chosen on the load screen", 4, 2, 0, true, 6, 2, 2},
      {"a save screen cannot choose a save to load", 3, 2, 0, true, -1, 0, 7},
      {"a screen that fails", 4, 2, 1, true, -2, 0, 2},
      {"a game without the screen", 4, 2, 0, false, -1, 0, 2},
  };
  const std::vector<uint8_t> screen = fixture_.disk.files.at("SCRIPT\\SAVELOAD.SOB");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.hasScreen) fixture_.disk.Put("SCRIPT\\SAVELOAD.SOB", screen);
    else fixture_.disk.files.erase("SCRIPT\\SAVELOAD.SOB");
    TgsFrame& frame = StartFrame();
    fixture_.SetVariable("n", c.n);
    fixture_.SetVariable("visited", c.visited);
    // The game's own scene runs beneath the frame and stays.
    ASSERT_EQ(fixture_.host.LoadScriptFile("ROOM", nullptr), 0);
    const size_t modules = fixture_.host.Modules().size();
    frame.RunPlayerAction(5);  // skip mode, which a modal screen ends
    EXPECT_EQ(frame.RunPlayerAction(c.action), c.result);
    EXPECT_EQ(frame.PendingResult(), c.pending);
    EXPECT_EQ(fixture_.Variable("n"), c.nAfter);
    EXPECT_FALSE(frame.SkipByKey());
    EXPECT_EQ(fixture_.host.Modules().size(), modules);
    fixture_.host.UnloadScript();
    frame.EndRun();
  }
}

TEST_F(TgsPageOutputTest, TheSettingsActionRunsTheGamesSettingsScreen) {
  struct Case {
    const char* name;
    int32_t screen;    // frame option word 1
    bool hasScreens;
    uint32_t answer;   // what the first screen answers
    uint8_t skipReadAfter;  // settings byte 5 once the screen ran
    int32_t result;
    uint32_t n;        // which screen ran
    int sheets;
    uint8_t skipButton;
  };
  const Case cases[] = {
      {"the first screen", 0, true, 0, 0, -1, 1, 0, MessageWindowState::kEnabled},
      {"the first screen changes the text settings", 0, true, 1, 0, -1, 1, 0, MessageWindowState::kEnabled},
      {"read text only switched on an unread page", 0, true, 0, 1, -1, 1, 0, MessageWindowState::kDisabled},
      {"the second screen, which fails", 1, true, 0, 0, -2, 2, 0, MessageWindowState::kEnabled},
      {"a game without the screens gets the sheet", 0, false, 0, 0, -1, 0, 1, MessageWindowState::kEnabled},
  };
  const std::vector<uint8_t> first = fixture_.disk.files.at("SCRIPT\\CONFIG1.SOB");
  const std::vector<uint8_t> second = fixture_.disk.files.at("SCRIPT\\CONFIG2.SOB");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.hasScreens) {
      fixture_.disk.Put("SCRIPT\\CONFIG1.SOB", first);
      fixture_.disk.Put("SCRIPT\\CONFIG2.SOB", second);
    } else {
      fixture_.disk.files.erase("SCRIPT\\CONFIG1.SOB");
      fixture_.disk.files.erase("SCRIPT\\CONFIG2.SOB");
    }
    settings_ = {};
    sheetsShown_ = 0;
    TgsFrame& frame = StartFrame();
    frame.OptionWords()[TgsFrame::kOptionSettingsScreen] = c.screen;
    fixture_.SetVariable("n", 0);
    fixture_.SetVariable("visited", c.answer);
    // The screen changes the player's settings while it runs.
    const std::function<void()> pump = fixture_.onPump;
    fixture_.onPump = [this, pump, after = c.skipReadAfter] {
      pump();
      if (fixture_.Variable("n") == 1) settings_[5] = after;
    };
    ASSERT_EQ(fixture_.host.LoadScriptFile("ROOM", nullptr), 0);
    const size_t modules = fixture_.host.Modules().size();
    EXPECT_EQ(frame.RunPlayerAction(8), c.result);
    EXPECT_EQ(fixture_.Variable("n"), c.n);
    EXPECT_EQ(sheetsShown_, c.sheets);
    EXPECT_EQ(frame.ButtonState(TgsFrame::kSkipToChoice), c.skipButton);
    EXPECT_TRUE(frame.WindowState().Window(0)->IsVisible());
    EXPECT_EQ(fixture_.host.Modules().size(), modules);
    fixture_.host.UnloadScript();
    frame.EndRun();
  }
}

// A bar button under a pointer at rest fires on each click at once,
// whatever happened to the button meanwhile: its action held it, or it
// was disabled when the pointer came and enabled later.
TEST_F(TgsPageOutputTest, BarButtonsFireUnderAPointerAtRest) {
  struct Case {
    const char* name;
    uint32_t button;
    bool disabledAtFirst;
  };
  const Case cases[] = {
      {"quick save", TgsFrame::kQuickSave, false},
      {"auto play, held by its action", TgsFrame::kAutoPlay, false},
      {"quick save, enabled under the pointer", TgsFrame::kQuickSave, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    settings_ = {};
    settings_[kSettingUnreadSpeed] = 100;
    input_.clear();
    controls_.pointer.Reset();
    controls_.pointerX = controls_.pointerY = -2;
    TgsFrame& frame = StartFrame();
    firedTags_.clear();
    if (c.disabledAtFirst) frame.WindowState().SetBarButtonState(c.button, MessageWindowState::kDisabled);
    input_[2] = [&] {
      ButtonControl* button = frame.BarButtonControl(c.button);
      ASSERT_NE(button, nullptr);
      controls_.pointerX = button->GetX() + button->GetWidth() / 2;
      controls_.pointerY = button->GetY() + button->GetHeight() / 2;
    };
    if (c.disabledAtFirst)
      input_[3] = [&] { frame.WindowState().SetBarButtonState(c.button, MessageWindowState::kEnabled); };
    for (int press : {5, 9, 13}) {
      input_[press] = [this] { controls_.pointer.pressed.insert(0), controls_.pointer.down.insert(0); };
      input_[press + 1] = [this] { controls_.pointer.down.clear(); };
    }
    fixture_.pumpsBeforeClose = fixture_.pumps + 16;
    PlayText(kPage);
    const int32_t tag = int32_t(c.button);
    EXPECT_EQ(firedTags_, (std::vector<std::pair<int, int32_t>>{{6, tag}, {10, tag}, {14, tag}}));
    fixture_.pumpsBeforeClose = 1000000;
    frame.EndRun();
  }
}

TEST_F(TgsPageOutputTest, SkipAndAutoActionsHoldTheirButtons) {
  TgsFrame& frame = StartFrame();
  EXPECT_EQ(frame.RunPlayerAction(5), 3);
  EXPECT_TRUE(frame.SkipByKey());
  EXPECT_EQ(frame.ButtonState(TgsFrame::kSkipToChoice), MessageWindowState::kHeld);
  EXPECT_EQ(frame.RunPlayerAction(6), -1);
  EXPECT_TRUE(frame.AutoMode());
  EXPECT_EQ(frame.WindowState().Window(0)->SelectedCursor(), 1);
  EXPECT_EQ(frame.ButtonState(TgsFrame::kAutoPlay), MessageWindowState::kHeld);
  // A modal screen's return leaves skip mode.
  frame.SuspendClock();
  clock_.Advance(500);
  frame.ResumeClock();
  EXPECT_FALSE(frame.SkipByKey());
  EXPECT_EQ(frame.ClockOffset(), 500u);
}

TEST_F(TgsPageOutputTest, HidingTheWindowWaitsForAClick) {
  TgsFrame& frame = StartFrame();
  frame.WindowState().ShowMessageWindow(true, false);
  bool hiddenMeanwhile = false;
  input_[3] = [&] { hiddenMeanwhile = !frame.WindowState().Window(0)->IsVisible(); };
  ClickAt(5);
  const int before = fixture_.pumps;
  EXPECT_EQ(frame.RunPlayerAction(9), -1);
  EXPECT_TRUE(hiddenMeanwhile);
  EXPECT_EQ(fixture_.pumps - before, 5);
  EXPECT_TRUE(frame.WindowState().Window(0)->IsVisible());
}

TEST_F(TgsPageOutputTest, TheChoiceTakenWithThePointerReachesTheVariableAndTheHistory) {
  settings_[kSettingAutoSave] = 1;
  settings_[kSettingKeepSkip] = 1;
  TgsFrame& frame = StartFrame();
  frame.OptionWords()[0] = int32_t(fixture_.host.LiveRecords()[0].address);
  fixture_.SetVariable("n", 99);
  // The buttons are up once the wait runs: the second one is clicked.
  input_[3] = [&] {
    ASSERT_EQ(frame.ChoiceButtons().size(), 2u);
    ButtonControl* second = frame.ChoiceButtons()[1];
    controls_.pointerX = second->GetX() + 10;
    controls_.pointerY = second->GetY() + 10;
  };
  input_[4] = [this] { controls_.pointer.pressed.insert(0), controls_.pointer.down.insert(0); };
  input_[5] = [this] { controls_.pointer.down.clear(); };
  frame.RunPlayerAction(5);  // skip mode, kept across the choice by byte 6
  ASSERT_EQ(PlayText("[choices _ \"left\" \"right\"][choose][15]"), 0);
  EXPECT_EQ(fixture_.Variable("n"), 1u);
  EXPECT_EQ(autoSaves_, 1);
  EXPECT_TRUE(frame.ChoiceButtons().empty());
  EXPECT_EQ(frame.ChoiceCount(), 0u);
  EXPECT_TRUE(frame.SkipByKey());
  const TextHistoryEntry* entry = frame.History().GetEntry(frame.History().Count() - 1);
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(entry->Choices(), nullptr);
  EXPECT_EQ(entry->Choices()->selected, 1);

  // Suppressed once: no automatic save; a history shrunk during the wait
  // takes no write.
  frame.SuppressOnce();
  frame.Unload();
  input_.clear();
  const int start = fixture_.pumps - base_;
  input_[start + 2] = [&] {
    settings_[kSettingHistoryLength] = 0;
    frame.ApplySettings(false, false, true, false);
  };
  input_[start + 3] = [this] { fired_ = 20; };
  ASSERT_EQ(PlayText("[choices _ \"left\" \"right\"][choose][15]"), 0);
  EXPECT_EQ(fixture_.Variable("n"), 0u);
  EXPECT_EQ(autoSaves_, 1);
  EXPECT_EQ(frame.History().Count(), 0);
}

}  // namespace
}  // namespace orrivel
