// The frame's side of the text history on a headless run: pages measured
// in the history window, their page commands acting on the history window
// and fonts only, the taken choice reaching its entry across a history size
// change, the screen's opening (the menu state back, the message window
// faded away), its fades and its closing by the pointer, the history ending
// with the program, the history through a save and a resumed run, and a
// replayed voice's scene on a screen canvas of its own, taken only once a
// transition running on the frame's canvas has ended.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "../scene/SceneTestSupport.h"
#include "FramePictures.h"
#include "TgsFrameTestSupport.h"
#include "display/DisplayScreenDevice.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TextHistoryScreen.h"
#include "frame/TgsFrame.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/Clock.h"
#include "raster/SpriteList.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlFactory.h"
#include "scene/ImageSprite.h"
#include "scene/SpriteCanvas.h"
#include "script/ByteWriter.h"
#include "script/SobCursor.h"
#include "text/OutlineFont.h"
#include "transition/BuiltinTransitions.h"

namespace orrivel {
namespace {

constexpr size_t kSettingHistoryLength = 29;
constexpr size_t kSettingNoFades = 189;
// A recorded page's height is its laid-out height and this.
constexpr int32_t kHeightExtra = 4;

class TgsFrameHistoryTest : public test::SceneTest {
 protected:
  static constexpr uint32_t kSceneColour = 0x204060;

  void SetUp() override {
    test::SceneTest::SetUp();
    test::WriteRunPictures(pictures_);
    // The history screen opens only with its pictures.
    test::WriteHistoryPictures(pictures_);
    settings_[kSettingHistoryLength] = 3;
    TgsFrameEnvironment environment = fixture_.Environment();
    environment.readGameFile = nullptr;
    environment.controls = &controls_;
    environment.factory = &factory_;
    environment.settings = std::span<uint8_t>(settings_);
    environment.pumpFrame = [this] {
      clock_.Advance(17);
      if (onPump_) onPump_();
      return ++pumps_ > pumpsBeforeClose_ ? 0 : 1;
    };
    environment.setMenuState = [this](bool on) { menuStates_.push_back(on); };
    environment.player.modalScreenMenu = [this](bool open) { screenMenus_.push_back(open); };
    environment.screen = &screen_;
    // The game's own transitions, so a script-started one can be running.
    ASSERT_EQ(RegisterStartupTransitions(screenObjects_), 0);
    environment.screenObjects = &screenObjects_;
    frame_ = std::make_unique<TgsFrame>(fixture_.host.Space(), environment);
    ASSERT_EQ(frame_->SetupMessageWindow(nullptr), 0);
    ASSERT_EQ(frame_->BeginRun(false), 0);
  }
  void TearDown() override {
    frame_.reset();
    test::SceneTest::TearDown();
  }
  void SetHistoryLength(uint8_t length) {
    settings_[kSettingHistoryLength] = length;
    frame_->ApplySettings(false, false, true, false);
  }
  int32_t RecordPage(const char* text, const char* voice = "") {
    const std::string bytes = text;
    return frame_->RecordPageInHistory({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, "", voice, 0);
  }

  // A voiced page whose scene is a plain background of kSceneColour: its
  // voice mark is line control 1.
  void RecordVoicedPageWithScene() {
    ASSERT_EQ(RecordPage("page", "V"), 0);
    SceneLayerSource layer;
    layer.state.colour = kSceneColour;
    ASSERT_EQ(frame_->History().AddSceneEntry(&layer, {}, {}, {}), 0);
  }

  // Loads a module of this text and reads it to its end; the page stays.
  void ReadModule(const std::string& text, const std::string& module = "T") {
    frame_->SetFolder("SCRIPT");
    frame_->SetFileReader([this](const std::string& path) { return fixture_.disk.Read(path); });
    fixture_.AddStory("module " + module + "\n" + text + "\n");
    ASSERT_EQ(frame_->LoadScriptByName(module), 0);
    ASSERT_EQ(frame_->ReadText(), 0);
  }
  std::vector<uint8_t> SaveBlock() {
    std::vector<uint8_t> block(frame_->GetSaveSize(true));
    ByteWriter out(block.data(), block.size());
    EXPECT_EQ(frame_->SaveTo(out, true), 0);
    return block;
  }

  // The line control of the screen's voiced block with this tag.
  TextHistoryLine* LineControl(int32_t tag) {
    for (Control* control : controls_.Controls())
      if (auto* line = dynamic_cast<TextHistoryLine*>(control); line && line->GetTag() == tag) return line;
    return nullptr;
  }

  test::PictureFolder pictures_;
  FrameFixture fixture_;
  DisplayScreenDevice screen_;
  InputControlHost controls_;
  ControlFactory factory_;
  TcpManager screenObjects_;
  platform::ManualClock clock_{5000};
  platform::ScopedClock scopedClock_{clock_};
  std::array<uint8_t, 196> settings_{};
  std::unique_ptr<TgsFrame> frame_;
  int pumps_ = 0;
  int pumpsBeforeClose_ = 1 << 20;
  std::function<void()> onPump_;
  std::vector<bool> menuStates_;
  std::vector<bool> screenMenus_;
};

TEST_F(TgsFrameHistoryTest, PagesAreMeasuredInTheHistoryWindow) {
  EXPECT_EQ(frame_->History().Capacity(), 4);
  ASSERT_EQ(RecordPage("one line", "V1"), 0);
  ASSERT_EQ(RecordPage("one\ntwo"), 0);
  EXPECT_EQ(RecordPage(""), 1);  // nothing laid out
  ASSERT_EQ(frame_->History().Count(), 2);
  const int32_t one = frame_->History().GetEntry(0)->Text()->lineHeight;
  const int32_t two = frame_->History().GetEntry(1)->Text()->lineHeight;
  EXPECT_GT(one, 4);
  EXPECT_GT(two, one);
  EXPECT_EQ(frame_->History().GetEntry(0)->Text()->voice, "V1");
  SetHistoryLength(0);
  EXPECT_EQ(RecordPage("off"), 2);
}

// A page's line feed and font change act on the history window and the
// history fonts, both when the page is measured for the history and when
// the screen draws it: the recorded height holds the second line, the
// drawn page has two lines and its colour, and the message window and the
// page fonts never see them.
TEST_F(TgsFrameHistoryTest, PageCommandsActOnTheHistoryWindowAndFonts) {
  ASSERT_NO_FATAL_FAILURE(ReadModule("A[br][font _ 0x0000FF]B"));
  const std::vector<uint8_t> page(frame_->Page().Data(), frame_->Page().Data() + frame_->Page().Size());
  ASSERT_EQ(RecordPage("AB"), 0);

  MessageTextWindow& message = *frame_->WindowState().Window(0);
  MessageTextWindow& history = *frame_->HistoryWindow();
  OutlineFont& pageFont = *frame_->GetFont(TgsFrame::kPageFont1);
  OutlineFont& historyFont = *frame_->GetFont(TgsFrame::kHistoryFont1);
  const int32_t penX = message.PenX(), penY = message.PenY();
  // Watches every command the history window replays.
  bool pageFontChanged = false, historyRed = false;
  history.SetCommandRunner([&](const uint8_t* record, size_t available, size_t& taken) {
    const int32_t result = frame_->ReplayPageCommand(record, available, taken);
    pageFontChanged = pageFontChanged || pageFont.textGreen != 255 || pageFont.textBlue != 255;
    historyRed = historyRed || (historyFont.textRed == 255 && historyFont.textGreen == 0 && historyFont.textBlue == 0);
    return result;
  });

  ASSERT_EQ(frame_->RecordPageInHistory(page, "", "", 0), 0);
  const int32_t oneLine = frame_->History().GetEntry(0)->Text()->lineHeight;
  const int32_t twoLines = frame_->History().GetEntry(1)->Text()->lineHeight;
  EXPECT_GE(twoLines - kHeightExtra, 2 * (oneLine - kHeightExtra)) << oneLine << " " << twoLines;
  EXPECT_TRUE(historyRed);
  EXPECT_EQ(historyFont.textGreen, 255);  // back after the page

  historyRed = false;
  settings_[kSettingNoFades] = 1;
  int32_t drawnLines = 0;
  onPump_ = [&] { drawnLines = history.LineCount(); };
  pumpsBeforeClose_ = pumps_ + 2;
  EXPECT_EQ(frame_->ShowTextHistory(), -1);
  onPump_ = nullptr;
  EXPECT_EQ(drawnLines, 2);  // the last page drawn is the one with the feed
  EXPECT_TRUE(historyRed);
  EXPECT_EQ(historyFont.textGreen, 255);
  EXPECT_FALSE(pageFontChanged);
  EXPECT_EQ(message.PenX(), penX);
  EXPECT_EQ(message.PenY(), penY);
  // Outside the screen the page's commands go to the message window again.
  EXPECT_EQ(frame_->CurrentWindow(), &message);
}

// The history shows a page in the colour its font command asks for (white
// when it asks for none), dark colours and black as solidly as white: the
// list's text, over the clear history window, is opaque wherever its
// glyphs cover their pixels whole.
TEST_F(TgsFrameHistoryTest, TheHistoryShowsAPageInTheColourItAskedFor) {
  struct Case {
    const char* module;
    const char* text;
    uint32_t colour;  // as the window's pixels hold it
  };
  const Case cases[] = {
      {"W", "AB", 0xFFFFFF},
      {"R", "[font _ 0x0000FF]AB", 0xFF0000},
      {"N", "[font _ 0x400000]AB", 0x000040},
      {"K", "[font _ 0]AB", 0x000000},
  };
  settings_[kSettingNoFades] = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    frame_->History().Clear();
    ASSERT_NO_FATAL_FAILURE(ReadModule(c.text, c.module));
    ASSERT_EQ(frame_->FlushPage(), 0);
    ASSERT_EQ(frame_->History().Count(), 1);
    int32_t solid = 0, otherColour = 0;
    onPump_ = [&] {
      if (solid + otherColour > 0) return;
      Surface& list = frame_->HistoryWindow()->GetSurface();
      for (int32_t y = 0; y < list.GetHeight(); ++y)
        for (int32_t x = 0; x < list.GetWidth(); ++x) {
          const uint32_t pixel = test::Pixel32(list, x, y);
          if (pixel >> 24 != 0xFF) continue;
          ++solid;
          if ((pixel & 0xFFFFFFu) != c.colour) ++otherColour;
        }
    };
    pumpsBeforeClose_ = pumps_ + 2;
    EXPECT_EQ(frame_->ShowTextHistory(), -1);
    onPump_ = nullptr;
    EXPECT_GT(solid, 20);
    EXPECT_EQ(otherColour, 0);
    frame_->Unload();
  }
}

// Every page the frame shows is kept, with its speaker and voice; with the
// history off nothing is.
TEST_F(TgsFrameHistoryTest, ShownPagesAreKeptWithTheirSpeakerAndVoice) {
  frame_->SetFolder("SCRIPT");
  frame_->SetFileReader([this](const std::string& path) { return fixture_.disk.Read(path); });
  fixture_.AddStory("module T\n[name \"Aki\" \"V1\"]Hello\n");
  ASSERT_EQ(frame_->LoadScriptByName("T"), 0);
  ASSERT_EQ(frame_->ReadText(), 0);
  ASSERT_EQ(frame_->FlushPage(), 0);
  ASSERT_EQ(frame_->History().Count(), 1);
  const HistoryTextRecord& page = *frame_->History().GetEntry(0)->Text();
  EXPECT_EQ(std::string(page.text.begin(), page.text.end()), "Hello");
  EXPECT_EQ(page.name, "Aki");
  EXPECT_EQ(page.voice, "V1");
  EXPECT_GT(page.lineHeight, 4);
  SetHistoryLength(0);
  frame_->Unload();
  ASSERT_EQ(frame_->LoadScriptByName("T"), 0);
  ASSERT_EQ(frame_->ReadText(), 0);
  ASSERT_EQ(frame_->FlushPage(), 0);
  EXPECT_EQ(frame_->History().Count(), 0);
}

// The settings screen can change the history size while a choice waits.
TEST_F(TgsFrameHistoryTest, TakenChoiceFollowsItsEntryAcrossASizeChange) {
  struct Case {
    uint8_t length;
    int32_t pagesAfter;
    bool written;
  };
  for (const Case c : {Case{3, 0, true}, Case{1, 0, true}, Case{1, 2, false}, Case{0, 0, false}}) {
    SCOPED_TRACE(int(c.length));
    SetHistoryLength(3);
    frame_->History().Clear();
    ASSERT_EQ(RecordPage("before"), 0);
    ASSERT_EQ(frame_->RecordChoicesInHistory({{"left", true}, {"right", false}}), 0);
    const uint32_t serial = frame_->History().NewestSerial();
    SetHistoryLength(c.length);
    for (int i = 0; i < c.pagesAfter; ++i) RecordPage("after");
    frame_->RecordChoiceTaken(1);
    const TextHistoryEntry* entry = frame_->History().FindSerial(serial);
    ASSERT_EQ(entry != nullptr, c.written);
    if (entry) {
      EXPECT_EQ(entry->Choices()->selected, 1);
    }
  }
}

TEST_F(TgsFrameHistoryTest, HistoryScreenEndsWithTheProgramAndLeavesNothingBehind) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RecordPage("page", "V"), 0);
  const size_t controlsBefore = controls_.Controls().size();
  pumpsBeforeClose_ = pumps_ + 5;
  EXPECT_EQ(frame_->ShowTextHistory(), -1);
  EXPECT_EQ(controls_.Controls().size(), controlsBefore);
  EXPECT_FALSE(frame_->HistoryWindow()->IsVisible());
}

// Opening the screen brings the main window's menu state back, and the
// message window goes away faded over a few frames before the list shows,
// or at once with settings byte 189; it is back, whole, after the screen.
TEST_F(TgsFrameHistoryTest, OpeningRestoresTheMenuAndPutsTheMessageWindowAway) {
  ASSERT_EQ(RecordPage("page", "V"), 0);
  MessageWindowState& state = frame_->WindowState();
  ImageSprite& message = state.Window(0)->WindowSprite();
  for (const bool fades : {true, false}) {
    SCOPED_TRACE(fades);
    settings_[kSettingNoFades] = fades ? 0 : 1;
    state.ShowMessageWindow(true, false);
    state.SwitchMenuStateOff();
    menuStates_.clear();
    int fadingFrames = 0;
    bool listShownWithWindow = false;
    onPump_ = [&] {
      if (message.IsVisible() && message.GetOpacity() > 0 && message.GetOpacity() < 255) ++fadingFrames;
      if (frame_->HistoryWindow()->IsVisible() && message.IsVisible()) listShownWithWindow = true;
    };
    pumpsBeforeClose_ = pumps_ + 20;
    EXPECT_EQ(frame_->ShowTextHistory(), -1);
    onPump_ = nullptr;
    EXPECT_EQ(menuStates_, std::vector<bool>{true});
    EXPECT_EQ(fadingFrames >= 3, fades) << fadingFrames;
    if (!fades) {
      EXPECT_EQ(fadingFrames, 0);
    }
    EXPECT_FALSE(listShownWithWindow);
    EXPECT_TRUE(message.IsVisible());
    EXPECT_EQ(message.GetOpacity(), 255);
  }
}

// A fired voice mark puts its scene on a screen canvas of its own, made
// the screen image, and the list with its parts stands over it; when the
// screen ends, the frame's canvas is the screen image again and the window
// is back among the frame's parts. The main window's menu bar is asked to
// grey its commands on opening and to bring them back on closing.
TEST_F(TgsFrameHistoryTest, AVoicesSceneTakesTheScreenBehindTheList) {
  ASSERT_NO_FATAL_FAILURE(RecordVoicedPageWithScene());
  ASSERT_EQ(screen_.GetScreenImage(), frame_->CanvasObject());
  settings_[kSettingNoFades] = 1;
  CanvasDrawObject* shown = nullptr;
  bool partsOnScene = false;
  uint32_t scenePixel = 0, linePixel = 0;
  std::vector<bool> menusWhileOpen;
  int at = 0;
  onPump_ = [&] {
    ++at;
    if (at == 1) menusWhileOpen = screenMenus_;
    if (at == 2) {
      TextHistoryLine* line = LineControl(1);
      ASSERT_NE(line, nullptr);
      line->Activate();
    }
    if (at != 4) return;
    shown = dynamic_cast<CanvasDrawObject*>(screen_.GetScreenImage());
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(shown, frame_->CanvasObject());
    EXPECT_EQ(shown->ImageWidth(), 1280);
    EXPECT_EQ(shown->ImageHeight(), 720);
    SpriteList& list = shown->GetCanvas()->MainList();
    TextHistoryLine* line = LineControl(1);
    // Under the pointer, the line's box tints what lies behind it.
    if (line) line->SetState(TextHistoryLine::kHover);
    partsOnScene = list.Find(&frame_->HistoryWindow()->WindowSprite()) != nullptr && line &&
                   line->GetSpriteList() == &list && line->VoiceMark() && line->VoiceMark()->OwningList() == &list;
    // The scroll bar and the close button came along.
    int moved = 0;
    for (Control* control : controls_.Controls()) {
      if (auto* bar = dynamic_cast<ScrollBar*>(control)) moved += bar->ThumbSprite().OwningList() == &list;
      if (auto* button = dynamic_cast<TextHistoryButton*>(control)) moved += button->GetSpriteList() == &list;
    }
    partsOnScene = partsOnScene && moved == 2;
    Surface picture;
    ASSERT_EQ(picture.Create(1280, 720, 32, 0), 0);
    shown->GetCanvas()->RenderInto(&picture, 0, 0, 1);
    scenePixel = test::Pixel32(picture, 100, 100) & 0xFFFFFFu;
    linePixel = line ? test::Pixel32(picture, line->GetX() + 400, line->GetY() + 2) & 0xFFFFFFu : 0;
  };
  pumpsBeforeClose_ = pumps_ + 6;
  EXPECT_EQ(frame_->ShowTextHistory(), -1);
  onPump_ = nullptr;
  EXPECT_EQ(menusWhileOpen, std::vector<bool>{true});
  EXPECT_EQ(screenMenus_, (std::vector<bool>{true, false}));
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(partsOnScene);
  // The scene's colour around the list; over it the lit line's box blends in.
  EXPECT_EQ(scenePixel, kSceneColour);
  EXPECT_NE(linePixel, kSceneColour);
  EXPECT_EQ(screen_.GetScreenImage(), frame_->CanvasObject());
  EXPECT_NE(frame_->WindowList()->Find(&frame_->HistoryWindow()->WindowSprite()), nullptr);
}

// A cross-fade a script started is still running on the frame's canvas
// when a voice mark is clicked: it ends before the scene takes the screen,
// leaving the displays and the layer records as after it, and it does not
// run on behind the scene or come back with the frame's canvas.
TEST_F(TgsFrameHistoryTest, ARunningTransitionEndsBeforeAVoicesSceneShows) {
  ASSERT_NO_FATAL_FAILURE(RecordVoicedPageWithScene());
  settings_[kSettingNoFades] = 1;
  TgsLayerSets& sets = *frame_->Layers();
  TgsScreenTransitions& transitions = *frame_->Transitions();
  CanvasDrawObject* front = transitions.FrontDisplay();
  ASSERT_EQ(front, frame_->CanvasObject());
  SpriteCanvas* backCanvas = transitions.BackDisplay()->GetCanvas();
  constexpr uint32_t kOld = 0xFF800000u, kNew = 0xFF0000A0u;
  ASSERT_EQ(sets.ClearLayer(kOld, 0), 0);
  ASSERT_EQ(sets.ClearLayer(kNew, 1), 0);
  ASSERT_EQ(transitions.StartCross(5000), 0);
  ASSERT_TRUE(front->TimedPresentRunning());

  bool runningBeforeScene = false, sceneSeen = false, runningWithScene = false, endedAsAfter = false;
  uint32_t scenePixel = 0;
  int at = 0;
  onPump_ = [&] {
    ++at;
    if (at == 2) {
      runningBeforeScene = transitions.Running() && front->TimedPresentRunning();
      TextHistoryLine* line = LineControl(1);
      ASSERT_NE(line, nullptr);
      line->Activate();
      return;
    }
    auto* shown = dynamic_cast<CanvasDrawObject*>(screen_.GetScreenImage());
    if (shown == nullptr || shown == front) return;
    runningWithScene = runningWithScene || transitions.Running() || front->TimedPresentRunning();
    if (sceneSeen) return;
    sceneSeen = true;
    // The frame's canvas holds the picture the transition was making.
    endedAsAfter = front->GetCanvas() == backCanvas && sets.GetLayer(0).record.colour == kNew &&
                   sets.GetLayer(1).record.colour == kOld;
    Surface picture;
    ASSERT_EQ(picture.Create(1280, 720, 32, 0), 0);
    shown->GetCanvas()->RenderInto(&picture, 0, 0, 1);
    scenePixel = test::Pixel32(picture, 100, 100) & 0xFFFFFFu;
  };
  pumpsBeforeClose_ = pumps_ + 8;
  EXPECT_EQ(frame_->ShowTextHistory(), -1);
  onPump_ = nullptr;
  EXPECT_TRUE(runningBeforeScene);
  ASSERT_TRUE(sceneSeen);
  EXPECT_FALSE(runningWithScene);
  EXPECT_TRUE(endedAsAfter);
  EXPECT_EQ(scenePixel, kSceneColour);
  // Back on the frame's canvas nothing of the transition resumes.
  EXPECT_EQ(screen_.GetScreenImage(), front);
  EXPECT_FALSE(front->TimedPresentRunning());
  EXPECT_FALSE(transitions.Running());
  EXPECT_EQ(front->GetCanvas(), backCanvas);
}

// The screen fades in and out over 200 ms of frames, or not at all with
// settings byte 189, and the pointer's second button closes it.
TEST_F(TgsFrameHistoryTest, ThePointersSecondButtonClosesTheScreenWithOrWithoutFades) {
  ASSERT_EQ(RecordPage("page", "V"), 0);
  for (const bool fades : {true, false}) {
    SCOPED_TRACE(fades);
    settings_[kSettingNoFades] = fades ? 0 : 1;
    ImageSprite& list = frame_->HistoryWindow()->WindowSprite();
    int fadingFrames = 0, frames = 0;
    onPump_ = [&] {
      controls_.pointer.pressed.clear();
      if (list.IsVisible() && list.GetOpacity() > 0 && list.GetOpacity() < 255) ++fadingFrames;
      if (++frames == 30) controls_.pointer.pressed = {1};
    };
    EXPECT_EQ(frame_->ShowTextHistory(), 0);
    onPump_ = nullptr;
    EXPECT_FALSE(list.IsVisible());
    if (fades) {
      EXPECT_GE(fadingFrames, 2 * 8);  // in and out, 17 ms a frame
    } else {
      EXPECT_EQ(fadingFrames, 0);
    }
  }
}

// The history goes into a save and comes back whole with it; a run
// resumed from it offers the history button at once. A history block
// with a kind byte the frame does not know is refused whole.
TEST_F(TgsFrameHistoryTest, HistoryRoundTripsThroughASaveAndAResumedRunOffersIt) {
  ASSERT_NO_FATAL_FAILURE(ReadModule("[12 0]hello"));
  ASSERT_EQ(RecordPage("first", "V1"), 0);
  ASSERT_EQ(frame_->RecordChoicesInHistory({{"left", true}, {"right", false}}), 0);
  frame_->RecordChoiceTaken(1);
  ASSERT_EQ(RecordPage("second"), 0);
  const std::vector<uint8_t> good = SaveBlock();

  // The kind byte of the first entry: after the module state, the records
  // up to the history flag, and the entry count.
  const size_t kindAt = frame_->GetStateSize() + 3665 + 4;
  ASSERT_EQ(good[kindAt - 5], 1);  // the history flag
  ASSERT_EQ(good[kindAt], 0);
  std::vector<uint8_t> bad = good;
  bad[kindAt] = 7;
  TgsFrameBlock block;
  SobCursor parsed(bad.data(), bad.size());
  EXPECT_EQ(TgsFrame::ParseSaveBlock(parsed, block), 2);
  SobCursor refused(bad.data(), bad.size());
  EXPECT_EQ(frame_->LoadFrom(refused), 2);
  EXPECT_EQ(frame_->History().Count(), 3);

  // A new run starts with an empty history and no history button.
  ASSERT_EQ(frame_->EndRun(), 0);
  ASSERT_EQ(frame_->BeginRun(false), 0);
  EXPECT_EQ(frame_->History().Count(), 0);
  EXPECT_EQ(frame_->ButtonState(TgsFrame::kHistory), 0);

  SobCursor in(good.data(), good.size());
  ASSERT_EQ(frame_->LoadFrom(in), 0);
  const TextHistoryBuffer& history = frame_->History();
  ASSERT_EQ(history.Count(), 3);
  EXPECT_EQ(history.GetEntry(0)->Text()->voice, "V1");
  EXPECT_EQ(history.GetEntry(1)->Choices()->selected, 1);
  EXPECT_FALSE(history.GetEntry(1)->Choices()->choices[1].enabled);
  const HistoryTextRecord& second = *history.GetEntry(2)->Text();
  EXPECT_EQ(std::string(second.text.begin(), second.text.end()), "second");
  ASSERT_EQ(frame_->BeginRun(true), 0);
  EXPECT_EQ(frame_->History().Count(), 3);
  EXPECT_EQ(frame_->ButtonState(TgsFrame::kHistory), 1);
}

}  // namespace
}  // namespace orrivel
