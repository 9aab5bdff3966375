// The transition rows run from compiled modules in a set-up frame whose
// front display is presented every frame: each row must reach the screen
// transitions with its arguments in the order the transition takes them,
// and leave the layer records as the picture on screen will be.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../scene/ShownPixel.h"
#include "FramePictures.h"
#include "LayerSetsFixture.h"
#include "RecordingTransitions.h"
#include "TgsFrameTestSupport.h"
#include "frame/MessageTextWindow.h"
#include "frame/MessageWindowState.h"
#include "frame/TgsLayerSets.h"
#include "frame/TgsScreenTransitions.h"
#include "platform/SoftSurface.h"
#include "raster/PixelFormat.h"
#include "scene/ButtonControl.h"
#include "scene/CanvasDrawImage.h"
#include "scene/CanvasDrawObject.h"
#include "scene/ControlFactory.h"
#include "scene/SpriteCanvas.h"
#include "transition/BuiltinTransitions.h"

namespace orrivel {
namespace {

// A diagonal rule picture of the given size (the grey level is the
// progress at which a pixel turns).
std::vector<uint8_t> RulePicture(int width, int height) {
  tools::ElgImage rule;
  rule.depth = 8;
  rule.width = width;
  rule.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) rule.pixels.push_back(uint8_t((x / 5 + y / 3) % 256));
  for (int i = 0; i < 256; ++i) rule.palette.insert(rule.palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  return tools::EncodeElg(rule, tools::ElgHeaderVariant::kOffset);
}

class TransitionRowsTest : public test::LayerSetsTest {
 protected:
  void SetUp() override {
    LayerSetsTest::SetUp();
    test::WriteRunPictures(pictures_);
    pictures_.Write("SYS/RULE001.ELG", RulePicture(1280, 720));
    test::RecordingTransition::made.clear();
    test::RegisterRecordingTransitions(recording_);
    ASSERT_EQ(RegisterStartupTransitions(builtins_), 0);
    ASSERT_EQ(target_.Create(1280, 720, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
  }
  void TearDown() override {
    fixture_.frame.reset();
    LayerSetsTest::TearDown();
    EXPECT_EQ(test::RecordingTransition::live, 0);
  }

  // A frame set up and running over the registry; each pump moves the
  // clock 16 ms and presents the front display, which steps its transition.
  TgsFrame& StartFrame(TcpManager& registry, const TgsCanvasRef* canvas = nullptr) {
    fixture_.RemakeFrame([&](TgsFrameEnvironment& environment) {
      environment.controls = &controls_;
      environment.factory = &factory_;
      environment.settings = std::span<uint8_t>(settings_);
      environment.objectTimers = &timers_;
      environment.layerActions = &actions_;
      environment.screenObjects = &registry;
      environment.lowPriorityOff = [this] { return lowPriorityOff_; };
      environment.readGameFile = nullptr;  // the game folder's files (the bar's layout)
    });
    fixture_.onPump = [this] {
      StepAt(clock_.TickMs() + 16);
      if (CanvasDrawObject* front = fixture_.frame->Transitions()->FrontDisplay())
        front->Present(nullptr, nullptr, &target_, kPixelFormatX8R8G8B8, 1);
    };
    TgsFrame& frame = *fixture_.frame;
    EXPECT_EQ(frame.SetupMessageWindow(canvas), 0);
    EXPECT_EQ(frame.BeginRun(false), 0);
    frame.Layers()->characters = {"ABCDEF"};
    return frame;
  }

  // The colour the screen shows at (x, y).
  uint32_t Shown(int32_t x, int32_t y) { return test::ShownPixel(target_, x, y); }

  int32_t PlayText(const std::string& text) {
    fixture_.AddStory("module T\n" + text + "\n");
    return fixture_.Play("T");
  }

  FrameFixture fixture_;
  InputControlHost controls_;
  ControlFactory factory_;
  std::array<uint8_t, 196> settings_{};
  TcpManager recording_;
  TcpManager builtins_;
  platform::SoftSurface target_;
  bool lowPriorityOff_ = false;
  // A canvas a script made, for the frame to draw on.
  CanvasDrawImage givenCanvas_;
};

struct Rig {
  TgsFrame& frame;
  TgsLayerSets& s;
  TgsScreenTransitions& t;
  int pumps;  // frames pumped by the block
};

struct RowCase {
  uint32_t opcode;
  const char* before;  // module text read first
  const char* block;   // the rows under test
  // The transitions made by the block, each as its name and words
  // (duration first); a word of kRule stands for the rule surface.
  std::vector<std::pair<std::string, std::vector<test::RecordedWord>>> made;
  std::function<void(Rig&)> check;
  bool skipMode = false;
};

void PrintTo(const RowCase& row, std::ostream* out) { *out << "opcode " << row.opcode << " " << row.block; }

constexpr std::intptr_t kRule = -12345;
constexpr const char* kScene = "[bg \"BG01A.ELG\" 0][sp 0 \"ABC01.ELG\" 0 0 0 0][bg \"BG02A.ELG\" 1]";

const char* FrontName(Rig& r) { return r.s.GetLayer(0).record.imageName; }
bool FrontHasCharacter(Rig& r) { return r.s.FindSprite(0, 0, 0)->sprite != nullptr; }

// After a change that showed the back set: the sky in front, the
// character gone with the set that went back.
void ExpectSkyInFront(Rig& r) {
  EXPECT_STREQ(FrontName(r), "BG02A.ELG");
  EXPECT_STREQ(r.s.GetLayer(1).record.imageName, "BG01A.ELG");
  EXPECT_FALSE(FrontHasCharacter(r));
}

std::vector<RowCase> Cases() {
  return {
      // Rule picture switches: the held picture is forgotten.
      {96, "", "[rule_mirror_b 1]", {}, [](Rig& r) { EXPECT_TRUE(r.t.RuleFlip()); }},
      {97, "", "[rule_mirror_a 1]", {}, [](Rig& r) { EXPECT_TRUE(r.t.RuleMirror()); }},
      // The transition commands (a duration of 0 means 1000 ms).
      {101, kScene, "[cross 0]", {{"cross", {1000}}}, ExpectSkyInFront},
      {102, kScene, "[rule 1 500 0]", {{"rule", {500, kRule, 32}}}, ExpectSkyInFront},
      {103, kScene, "[trans 300 1]", {{"trans", {300}}}, ExpectSkyInFront},
      {104, kScene, "[filter_transition 6 200 7 8 9]", {{"hblur", {200, 7, 8, 9, 0, 0}}}, ExpectSkyInFront},
      // Refused commands go on reading: an unknown filter changes nothing,
      // a missing rule picture shows the back set at once.
      {104, kScene, "[filter_transition 7 200 7 8 9]", {},
       [](Rig& r) { EXPECT_STREQ(FrontName(r), "BG01A.ELG"); }},
      {102, kScene, "[rule 9 500 0]", {}, ExpectSkyInFront},
      {105, kScene, "[scroll 0 258 3 \"2.0\"]", {{"scroll", {1000, 2, 3, "2.0"}}}, ExpectSkyInFront},
      // A number where the easing text belongs is no text: the default.
      {105, kScene, "[scroll 0 258 3 44]", {{"scroll", {1000, 2, 3, 0}}}, ExpectSkyInFront},
      {106, kScene, "[ripple 100 \"6.0\" 2 3 4 5 \"1.0\"]", {{"ripple", {100, 2, 3, 4, "1.0", "6.0", 5}}},
       ExpectSkyInFront},
      {106, kScene, "[ripple 100 1 2 3 4 5 6]", {{"ripple", {100, 2, 3, 4, 0, 0, 5}}}, ExpectSkyInFront},
      // While skipping nothing is made and the sets change places at once.
      {101, kScene, "[cross 100]", {}, ExpectSkyInFront, true},
      // Clearing cross-fades: black, then white.
      {107, kScene, "[clear_cross 200]", {{"cross", {200}}},
       [](Rig& r) {
         EXPECT_FALSE(r.s.GetLayer(0).record.HasPicture());
         EXPECT_EQ(r.s.GetLayer(0).record.colour, 0x000000u);
         EXPECT_FALSE(FrontHasCharacter(r));
       }},
      {108, kScene, "[clear_cross2 200]", {{"cross", {200}}},
       [](Rig& r) { EXPECT_EQ(r.s.GetLayer(0).record.colour, 0xFFFFFFu); }},
      // A picture into the back set, then the transition with the rest.
      {109, kScene, "[bg_cross_to \"BG02A.ELG\" 200]", {{"cross", {200}}}, ExpectSkyInFront},
      {110, kScene, "[bg_rule_to \"BG02A.ELG\" 1 200 0]", {{"rule", {200, kRule, 32}}}, ExpectSkyInFront},
      {111, kScene, "[bg_trans_to \"BG02A.ELG\" 200 0]", {{"trans", {200}}}, ExpectSkyInFront},
      // A picture that does not load changes nothing.
      {109, kScene, "[bg_cross_to \"NONE.ELG\" 200]", {},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG01A.ELG");
         EXPECT_TRUE(FrontHasCharacter(r));
       }},
      // The front with one sprite changed crosses over (300 ms by default).
      {112, "[bg \"BG01A.ELG\" 0]", "[sp_cross 0 \"ABC01.ELG\" 2]", {{"cross", {300}}},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG01A.ELG");
         ASSERT_TRUE(FrontHasCharacter(r));
         EXPECT_STREQ(r.s.FindSprite(0, 0, 0)->record.imageName, "ABC01.ELG");
         EXPECT_EQ(r.s.FindSprite(0, 0, 0)->record.x, 960);
       }},
      {113, kScene, "[sp_clear_cross -1]", {{"cross", {300}}},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG01A.ELG");
         EXPECT_FALSE(FrontHasCharacter(r));
       }},
      {113, kScene, "[sp_clear_cross -1 200 1 8]", {{"rule", {200, kRule, 8}}},
       [](Rig& r) { EXPECT_FALSE(FrontHasCharacter(r)); }},
      // The endless quake filter and its record for the save.
      {114, kScene, "[quake_filter 4 2 3 0 =0 1 1 0]", {{"quake", {4, 2, 3, 0, 0, 1}}},
       [](Rig& r) {
         EXPECT_EQ(r.frame.QuakeFilterRecord(), (std::array<int32_t, 6>{1, 4, 2, 3, 1, 1}));
         EXPECT_TRUE(r.t.Running());
       }},
      // Waiting: the transition runs to its end on the clock; skip mode
      // ends it at once; an endless quake ends without a frame.
      {99, kScene, "[cross 160][wait_transition 1]", {{"cross", {160}}},
       [](Rig& r) {
         ExpectSkyInFront(r);
         EXPECT_GE(r.pumps, 10);
         EXPECT_FALSE(r.t.FrontDisplay()->TimedPresentRunning());
       }},
      {99, kScene, "[quake_filter 4 2 3 0 =0 1 1 0][wait_transition 0]", {{"quake", {4, 2, 3, 0, 0, 1}}},
       [](Rig& r) {
         EXPECT_EQ(r.pumps, 0);
         EXPECT_EQ(r.frame.QuakeFilterRecord()[0], 0);
         EXPECT_FALSE(r.t.FrontDisplay()->TimedPresentRunning());
       }},
      {100, kScene, "[cross 500][stop_transition]", {{"cross", {500}}},
       [](Rig& r) {
         EXPECT_FALSE(r.t.FrontDisplay()->TimedPresentRunning());
         EXPECT_FALSE(r.t.Running());
         ExpectSkyInFront(r);
       }},
      // The blocking two-phase fades: 4/6 and 2/6, 5/8 and 3/8.
      // Through the colour and back to the picture.
      {120, kScene, "[flash 600 16777215]", {{"cross", {400}}, {"cross", {200}}},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG01A.ELG");
         EXPECT_TRUE(FrontHasCharacter(r));
         EXPECT_EQ(r.s.GetLayer(1).record.colour, 0xFFFFFFu);
         EXPECT_FALSE(r.s.GetLayer(1).record.HasPicture());
         EXPECT_GE(r.pumps, 30);
       }},
      {121, kScene, "[bg_change \"BG02A.ELG\" 800 0]", {{"cross", {500}}, {"cross", {300}}},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG02A.ELG");
         EXPECT_FALSE(FrontHasCharacter(r));
       }},
      {121, kScene, "[bg_change \"BG02A.ELG\" 800 0]", {},
       [](Rig& r) {
         EXPECT_STREQ(FrontName(r), "BG02A.ELG");
         EXPECT_EQ(r.pumps, 0);
       },
       true},
  };
}

TEST_F(TransitionRowsTest, EachRowReachesTheTransitionsWithItsArguments) {
  for (const RowCase& row : Cases()) {
    SCOPED_TRACE(::testing::PrintToString(row));
    TgsFrame& frame = StartFrame(recording_);
    int pumpsBefore = 0;
    frame.Opcodes().Register(15, [&](TgsFrame& f, const TgsArguments&) {
      f.SetSkipByKey(row.skipMode);
      test::RecordingTransition::made.clear();
      pumpsBefore = fixture_.pumps;
      return 0;
    });
    EXPECT_EQ(PlayText(std::string(row.before) + "[15]" + row.block), 0);
    const auto rule = reinterpret_cast<std::intptr_t>(static_cast<Image*>(frame.Transitions()->RuleSurface()));
    ASSERT_EQ(test::RecordingTransition::made.size(), row.made.size());
    for (size_t i = 0; i < row.made.size(); ++i) {
      EXPECT_EQ(test::RecordingTransition::made[i].name, row.made[i].first);
      std::vector<test::RecordedWord> words = row.made[i].second;
      for (test::RecordedWord& word : words)
        if (word.value == kRule) word.value = rule;
      EXPECT_EQ(test::RecordingTransition::made[i].words, words);
    }
    Rig rig{frame, *frame.Layers(), *frame.Transitions(), fixture_.pumps - pumpsBefore};
    row.check(rig);
    frame.SetSkipByKey(false);
    frame.EndRun();
    timers_.Clear();
  }
}

// The rule transition of a compiled module, caught half-way on the test
// clock with the real transitions: the picture the player sees then.
TEST_F(TransitionRowsTest, GoldenRuleTransitionFromAModuleHalfWay) {
  TgsFrame& frame = StartFrame(builtins_);
  EXPECT_EQ(PlayText("[bg \"BG01A.ELG\" 0][sp 0 \"ABC01.ELG\" 0 1 0 0][bg_rule_to \"BG02A.ELG\" 1 960 16]"), 0);
  CanvasDrawObject* front = frame.Transitions()->FrontDisplay();
  ASSERT_TRUE(front->TimedPresentRunning());
  // The records already describe the picture the transition is making.
  EXPECT_STREQ(frame.Layers()->GetLayer(0).record.imageName, "BG02A.ELG");
  const int start = fixture_.pumps;
  while (fixture_.pumps - start < 30) ASSERT_TRUE(frame.PumpOneFrame());
  ASSERT_TRUE(front->TimedPresentRunning());
  Surface small;
  ASSERT_EQ(small.Create(320, 180, 32, 0), 0);
  const Size size{320, 180};
  ASSERT_EQ(small.StretchCopy(front->WorkSurface(), &size, 0, 0, nullptr, false), 0);
  test::ExpectGolden(small, "rule_row_half_way", "frame");
  // Waiting for it ends it with the displays matching the records again.
  EXPECT_EQ(frame.RunTransition(TgsFrame::MakeCall(99, {0})), 0);
  EXPECT_FALSE(front->TimedPresentRunning());
  frame.EndRun();
}

// The message window and its bar stand on the display the player sees
// after any number of transitions and flips, which hand the displays'
// canvases back and forth, and are drawn over a transition in progress;
// the display behind holds none of them. So on the frame's own canvases
// and on a canvas a script gave that was made without an overlay list.
TEST_F(TransitionRowsTest, WindowAndBarStayOnTheShownDisplayThroughEveryExchange) {
  for (const bool givenCanvas : {false, true}) {
    SCOPED_TRACE(givenCanvas ? "a canvas made without an overlay list" : "the frame's own canvases");
    CanvasDrawImage& given = givenCanvas_;
    if (givenCanvas) {
      ASSERT_EQ(given.Load(1280, 720, 32, 1), 0);
      ASSERT_EQ(given.GetOverlayList(), nullptr);
    }
    const TgsCanvasRef givenRef{1, int32_t(TgsFrame::kCanvasKind), 1280, 720, &given};
    TgsFrame& frame = StartFrame(builtins_, givenCanvas ? &givenRef : nullptr);
    TgsLayerSets& sets = *frame.Layers();
    TgsScreenTransitions& transitions = *frame.Transitions();
    CanvasDrawObject* shown = frame.CanvasObject();
    ASSERT_EQ(shown == &given, givenCanvas);
    ASSERT_EQ(transitions.FrontDisplay(), shown);
    ASSERT_EQ(sets.LoadLayerImage("BG01A.ELG", 0), 0);
    frame.WindowState().ShowMessageWindow(true, true);
    const uint32_t gradientAt100 = 0x230040u;  // BG01A at (5, 100)
    const uint32_t sky = kSkyBlue & 0xFFFFFFu;
    const auto pixel = [this](int32_t x, int32_t y) { return Shown(x, y); };
    // The window's frame picture, its text window, the bar and its buttons.
    std::vector<const Drawable*> parts = {frame.FrameSprite(), frame.BarSprite(),
                                          &frame.WindowState().Window(0)->WindowSprite()};
    for (uint32_t b = 0; b < TgsFrame::kBarButtons; ++b)
      if (ButtonControl* button = frame.BarButtonControl(b)) parts.push_back(&button->Sprite());
    ASSERT_EQ(parts.size(), 3u + TgsFrame::kBarButtons);
    // What the shown display presents (whole, or the transition's frame).
    const auto expectShown = [&](uint32_t background) {
      EXPECT_EQ(pixel(5, 100), background);
      EXPECT_EQ(pixel(5, 600), 0x102030u);  // the window's frame picture
      EXPECT_EQ(pixel(5, 700), 0x405060u);  // the bar
    };
    const auto expectPartsInFront = [&] {
      ASSERT_NE(shown->GetOverlayList(), nullptr);
      CanvasDrawObject* back = transitions.BackDisplay();
      for (const Drawable* part : parts) {
        EXPECT_EQ(part->OwningList(), shown->GetOverlayList());
        EXPECT_EQ(back->GetCanvas()->MainList().Find(part), nullptr);
      }
      SpriteList* behind = back->GetOverlayList();
      EXPECT_TRUE(behind == nullptr || behind->Head() == nullptr);
    };
    const auto runHalfWay = [&] {
      ASSERT_TRUE(shown->TimedPresentRunning());
      const int start = fixture_.pumps;
      while (fixture_.pumps - start < 5) ASSERT_TRUE(frame.PumpOneFrame());
      ASSERT_TRUE(shown->TimedPresentRunning());
      // The window is over the picture being made, not swept with the old.
      EXPECT_EQ(pixel(5, 600), 0x102030u);
      EXPECT_EQ(pixel(5, 700), 0x405060u);
      expectPartsInFront();
      EXPECT_EQ(transitions.RunTransition(false), 0);
    };
    ASSERT_EQ(shown->Present(nullptr, nullptr, &target_, kPixelFormatX8R8G8B8, 0), 0);
    expectShown(gradientAt100);
    for (int exchange = 1; exchange <= 3; ++exchange) {
      SCOPED_TRACE(exchange);
      const bool toSky = exchange % 2 == 1;
      ASSERT_EQ(sets.LoadLayerImage(toSky ? "BG02A.ELG" : "BG01A.ELG", 1), 0);
      SpriteCanvas* before = shown->GetCanvas();
      if (exchange == 1) {
        ASSERT_EQ(transitions.StartCross(160), 0);
        runHalfWay();
      } else if (exchange == 2) {
        transitions.FlipLayers();
      } else {
        ASSERT_EQ(transitions.StartRule(1, 160, 16), 0);
        runHalfWay();
      }
      ASSERT_NE(shown->GetCanvas(), before);
      EXPECT_EQ(transitions.FrontDisplay(), shown);
      ASSERT_EQ(shown->Present(nullptr, nullptr, &target_, kPixelFormatX8R8G8B8, 0), 0);
      expectShown(toSky ? sky : gradientAt100);
      expectPartsInFront();
    }
    frame.EndRun();
    fixture_.frame.reset();
    // What the frame made leaves the given canvas with the frame.
    EXPECT_EQ(given.GetOverlayList() ? given.GetOverlayList()->Head() : nullptr, nullptr);
  }
}

// Boot byte 15 runs the transitions and the blocking fades of a module
// without the low-priority hook; without it both enter it.
int lowPriorityEntries = 0;
void CountLowPriority(bool enter) { lowPriorityEntries += enter ? 1 : 0; }

TEST_F(TransitionRowsTest, BootByteFifteenTakesTheLowPriorityFromTransitionsAndFades) {
  CanvasDrawObject::SetLowPriorityHook(&CountLowPriority);
  for (const bool off : {false, true})
    for (const char* block : {"[cross 100][wait_transition 0]", "[flash 60 0]"}) {
      SCOPED_TRACE(std::string(off ? "off: " : "on: ") + block);
      lowPriorityOff_ = off;
      TgsFrame& frame = StartFrame(recording_);
      lowPriorityEntries = 0;
      EXPECT_EQ(PlayText(std::string(kScene) + block), 0);
      EXPECT_EQ(lowPriorityEntries, off ? 0 : (block[1] == 'f' ? 2 : 1));
      frame.EndRun();
      timers_.Clear();
    }
  CanvasDrawObject::SetLowPriorityHook(nullptr);
  lowPriorityOff_ = false;
}

// Quitting from the system menu: the picture on screen fades to black over
// 1000 ms, even when the display behind still holds the picture an earlier
// transition entered.
TEST_F(TransitionRowsTest, QuitFadeBlendsWhatIsShownToBlack) {
  TgsFrame& frame = StartFrame(builtins_);
  ASSERT_EQ(PlayText(std::string(kScene) + "[cross 100][wait_transition 0]"), 0);
  // The window and its bar are up, as over a page.
  frame.WindowState().ShowMessageWindow(true, true);
  ASSERT_TRUE(frame.PumpOneFrame());
  const uint32_t sky = kSkyBlue & 0xFFFFFFu;
  ASSERT_EQ(Shown(5, 100), sky);
  ASSERT_EQ(Shown(5, 700), 0x405060u);
  std::vector<uint32_t> seen;
  const int start = fixture_.pumps;
  const std::function<void()> present = fixture_.onPump;
  fixture_.onPump = [&] {
    present();
    seen.push_back(Shown(5, 100));
  };
  EXPECT_EQ(frame.FadeToBlackForQuit(), 0);
  EXPECT_GE(fixture_.pumps - start, 1000 / 16);
  ASSERT_GE(seen.size(), 40u);
  // Half-way it is darker sky; at the end black, all over.
  const uint32_t half = seen[seen.size() / 2];
  EXPECT_GT(half & 0xFF, 0u);
  EXPECT_LT(half & 0xFF, sky & 0xFF);
  EXPECT_EQ(seen.back(), 0u);
  for (const auto& [x, y] : {std::pair{5, 5}, {640, 360}, {5, 600}, {5, 700}, {1279, 719}})
    EXPECT_EQ(Shown(x, y), 0u) << x << ", " << y;
  frame.EndRun();
}

}  // namespace
}  // namespace orrivel
