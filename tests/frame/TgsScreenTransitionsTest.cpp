#include "frame/TgsScreenTransitions.h"

#include <functional>
#include <string>
#include <vector>

#include "../scene/GoldenSupport.h"
#include "../scene/ShownPixel.h"
#include "LayerSetsFixture.h"
#include "RecordingTransitions.h"
#include "transition/BuiltinTransitions.h"
#include "platform/SoftSurface.h"
#include "raster/PixelFormat.h"
#include "scene/CanvasTransitionTask.h"

namespace orrivel {
namespace {

class ScreenTransitionsTest : public test::LayerSetsTest {
 protected:
  void SetUp() override {
    LayerSetsTest::SetUp();
    test::RecordingTransition::made.clear();
    test::RegisterRecordingTransitions(registry_);
    ASSERT_EQ(target_.Create(1280, 720, platform::SurfaceFormat::X8R8G8B8), platform::kSurfaceOk);
    // Each frame presents the front display, which steps its transition.
    sets_->Environment().pumpFrame = [this] {
      ++pumps_;
      StepAt(clock_.TickMs() + 16);
      displays_[0].Present(nullptr, nullptr, &target_, kPixelFormatX8R8G8B8, 1);
      if (onPump_) onPump_();
      return pumps_ > closeAfter_ ? 0 : 1;
    };
    TgsTransitionEnvironment environment;
    environment.registry = &registry_;
    environment.loadPicture = [this](const char* path, Surface& into) {
      ++ruleLoads_;
      return into.LoadImageIndexed(path, nullptr, 0, 0);
    };
    environment.catchUpPacing = [this] { return pacing_; };
    environment.setCatchUp = [this](bool on) { catchUpChanges_.push_back(on); };
    transitions_ = std::make_unique<TgsScreenTransitions>(*sets_, std::move(environment));
    // Front: the gradient with a character; back: the plain sky.
    ASSERT_EQ(sets_->LoadLayerImage("BG01A.ELG", 0), 0);
    ASSERT_EQ(sets_->ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
    ASSERT_EQ(sets_->LoadLayerImage("BG02A.ELG", 1), 0);
    frontCanvas_ = &Canvas(0);
    backCanvas_ = &Canvas(1);
  }
  void TearDown() override {
    transitions_.reset();
    LayerSetsTest::TearDown();
    EXPECT_EQ(test::RecordingTransition::live, 0);
  }

  // The sets after an exchange: the sky record in front, on the canvas
  // that was the back one, and the character's slot in the back set.
  void ExpectExchanged() {
    EXPECT_STREQ(sets_->GetLayer(0).record.imageName, "BG02A.ELG");
    EXPECT_STREQ(sets_->GetLayer(1).record.imageName, "BG01A.ELG");
    EXPECT_EQ(sets_->FindSprite(0, 0, 0)->sprite, nullptr);
    EXPECT_NE(sets_->FindSprite(0, 1, 0)->sprite, nullptr);
  }
  void ExpectDisplaysExchanged() {
    EXPECT_EQ(displays_[0].GetCanvas(), backCanvas_);
    EXPECT_EQ(displays_[1].GetCanvas(), frontCanvas_);
  }
  void ExpectUnchanged() {
    EXPECT_STREQ(sets_->GetLayer(0).record.imageName, "BG01A.ELG");
    EXPECT_EQ(displays_[0].GetCanvas(), frontCanvas_);
    EXPECT_FALSE(displays_[0].TimedPresentRunning());
  }
  // The colour the screen shows at (x, y).
  uint32_t Shown(int32_t x, int32_t y) { return test::ShownPixel(target_, x, y); }
  std::vector<uint32_t> Durations() const {
    std::vector<uint32_t> out;
    for (const test::MadeTransition& made : test::RecordingTransition::made) out.push_back(uint32_t(made.words.at(0).value));
    return out;
  }

  TcpManager registry_;
  platform::SoftSurface target_;
  std::unique_ptr<TgsScreenTransitions> transitions_;
  SpriteCanvas* frontCanvas_ = nullptr;
  SpriteCanvas* backCanvas_ = nullptr;
  std::function<void()> onPump_;
  int ruleLoads_ = 0;
  bool pacing_ = false;
  std::vector<bool> catchUpChanges_;
};

using Command = std::function<int32_t(TgsScreenTransitions&)>;

struct CommandCase {
  const char* what;
  Command run;
  std::string name;
  std::vector<test::RecordedWord> words;  // after the duration
};

std::vector<CommandCase> Commands() {
  return {
      {"cross", [](TgsScreenTransitions& t) { return t.StartCross(0); }, "cross", {}},
      {"trans", [](TgsScreenTransitions& t) { return t.StartTrans(0, false); }, "trans", {}},
      {"filter", [](TgsScreenTransitions& t) { return t.StartFilterTransition(6, 0, 7, 8, 9); }, "hblur",
       {7, 8, 9, 0, 0}},
      {"scroll", [](TgsScreenTransitions& t) { return t.StartScroll(0, 2, 3, "2.0"); }, "scroll", {2, 3, "2.0"}},
      {"scroll without easing", [](TgsScreenTransitions& t) { return t.StartScroll(0, 2, 3, nullptr); }, "scroll",
       {2, 3, 0}},
      {"ripple", [](TgsScreenTransitions& t) { return t.StartRipple(0, "6.0", 2, 3, 4, 5, "1.0"); }, "ripple",
       {2, 3, 4, "1.0", "6.0", 5}},
  };
}

TEST_F(ScreenTransitionsTest, WhileSkippingEachCommandFlipsAtOnceWithTheRecordsExchanged) {
  skipping_ = true;
  for (const CommandCase& row : Commands()) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    skipping_ = true;
    EXPECT_EQ(row.run(*transitions_), 0);
    ExpectExchanged();
    ExpectDisplaysExchanged();
    EXPECT_TRUE(test::RecordingTransition::made.empty());
    EXPECT_FALSE(transitions_->Running());
  }
  // A rule transition does not even load its picture.
  TearDown();
  SetUp();
  skipping_ = true;
  EXPECT_EQ(transitions_->StartRule(1, 500, 0), 0);
  EXPECT_EQ(ruleLoads_, 0);
  ExpectExchanged();
}

TEST_F(ScreenTransitionsTest, CommandsStartTheirTransitionWithTheArgumentsAndExchangeTheRecords) {
  for (const CommandCase& row : Commands()) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    ASSERT_EQ(row.run(*transitions_), 0);
    ASSERT_EQ(test::RecordingTransition::made.size(), 1u);
    const test::MadeTransition& made = test::RecordingTransition::made[0];
    EXPECT_EQ(made.name, row.name);
    std::vector<test::RecordedWord> expected{1000};
    expected.insert(expected.end(), row.words.begin(), row.words.end());
    EXPECT_EQ(made.words, expected);
    // The records describe what is becoming visible; the displays change
    // places at the end.
    EXPECT_TRUE(transitions_->Running());
    ExpectExchanged();
    EXPECT_EQ(displays_[0].GetCanvas(), frontCanvas_);
    EXPECT_EQ(transitions_->RunTransition(true), 0);
    EXPECT_FALSE(transitions_->Running());
    EXPECT_GE(pumps_, 1000 / 16);
    ExpectDisplaysExchanged();
    EXPECT_STREQ(sets_->GetLayer(0).record.imageName, "BG02A.ELG");
  }
}

TEST_F(ScreenTransitionsTest, AFilterIndexOutsideTheTableIsRefusedAndChangesNothing) {
  EXPECT_EQ(transitions_->StartFilterTransition(7, 100, 0, 0, 0), -1);
  EXPECT_EQ(transitions_->StartFilterTransition(-1, 100, 0, 0, 0), -1);
  ExpectUnchanged();
  EXPECT_TRUE(test::RecordingTransition::made.empty());
  EXPECT_EQ(transitions_->StartFilterTransition(0, 100, 1, 2, 3), 0);
  EXPECT_EQ(test::RecordingTransition::made.at(0).name, "zoomflip");
  // While skipping the sets change places before the index is looked at.
  TearDown();
  SetUp();
  skipping_ = true;
  EXPECT_EQ(transitions_->StartFilterTransition(7, 100, 0, 0, 0), 0);
  ExpectExchanged();
  ExpectDisplaysExchanged();
  EXPECT_TRUE(test::RecordingTransition::made.empty());
}

TEST_F(ScreenTransitionsTest, ATransitionThatCannotStartFlipsAndReturnsWhy) {
  // "wave" is not in this registry.
  EXPECT_EQ(transitions_->StartFilterTransition(1, 100, 0, 0, 0), 2);
  ExpectExchanged();
  ExpectDisplaysExchanged();
  EXPECT_FALSE(transitions_->Running());
  // Unpaired displays refuse a two-picture transition.
  displays_[0].SetPairedImage(nullptr);
  EXPECT_EQ(transitions_->StartCross(100), 3);
  EXPECT_STREQ(sets_->GetLayer(0).record.imageName, "BG01A.ELG");
  EXPECT_EQ(test::RecordingTransition::live, 0);
}

// Whether "trans" keeps the shown picture first or not, and whether it
// runs out or is skipped, it ends with the screen showing what the records
// describe: the entered sky, on the canvas that held it.
TEST_F(ScreenTransitionsTest, TransEndsOnTheEnteredSceneAndSkipInputFinishesTheRun) {
  const uint32_t sky = kSkyBlue & 0xFFFFFFu;
  for (const bool keep : {true, false})
    for (const bool skip : {true, false}) {
      SCOPED_TRACE(std::string(keep ? "keep" : "no keep") + (skip ? ", skipped" : ", to its end"));
      TearDown();
      SetUp();
      pumps_ = 0;
      // The gradient is on screen first.
      displays_[0].Present(nullptr, nullptr, &target_, kPixelFormatX8R8G8B8, 0);
      ASSERT_NE(Shown(5, 100), sky);
      ASSERT_EQ(transitions_->StartTrans(800, keep), 0);
      if (skip) onPump_ = [this] { skipping_ = pumps_ >= 3; };
      EXPECT_EQ(transitions_->RunTransition(true), skip ? 1 : 0);
      if (skip) {
        EXPECT_EQ(pumps_, 4);
      }
      EXPECT_FALSE(displays_[0].TimedPresentRunning());
      ExpectExchanged();
      ExpectDisplaysExchanged();
      sets_->Environment().pumpFrame();
      EXPECT_EQ(Shown(5, 100), sky);
      onPump_ = nullptr;
      skipping_ = false;
    }
  // Refused with the keep flag: the sets change places at once all the same.
  TearDown();
  SetUp();
  displays_[0].SetPairedImage(nullptr);
  EXPECT_EQ(transitions_->StartTrans(800, true), 3);
  ExpectExchanged();
  ExpectDisplaysExchanged();
  displays_[0].SetPairedImage(&displays_[1]);
  // A quit while it runs ends the wait with -1.
  skipping_ = false;
  onPump_ = nullptr;
  pumps_ = 0;
  closeAfter_ = 2;
  ASSERT_EQ(transitions_->StartCross(800), 0);
  EXPECT_EQ(transitions_->RunTransition(true), -1);
}

TEST_F(ScreenTransitionsTest, RulePicturesLoadOnceAndAgainAfterTheMirrorSwitchChanges) {
  tools::ElgImage rule;
  rule.depth = 8;
  rule.width = 4;
  rule.height = 2;
  rule.pixels = {0, 1, 2, 3, 4, 5, 6, 7};
  for (int i = 0; i < 256; ++i) rule.palette.insert(rule.palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  pictures_.Write("SYS/RULE012.ELG", tools::EncodeElg(rule, tools::ElgHeaderVariant::kOffset));

  EXPECT_EQ(transitions_->StartRule(12, 0, 0), 0);
  ASSERT_EQ(test::RecordingTransition::made.size(), 1u);
  const test::MadeTransition& made = test::RecordingTransition::made[0];
  EXPECT_EQ(made.name, "rule");
  EXPECT_EQ(made.words, (std::vector<test::RecordedWord>{
                            1000, reinterpret_cast<std::intptr_t>(static_cast<Image*>(transitions_->RuleSurface())),
                            32}));
  EXPECT_EQ(transitions_->StartRule(12, 300, 5), 0);
  EXPECT_EQ(test::RecordingTransition::made.back().words.at(2).value, 5);
  EXPECT_EQ(ruleLoads_, 1);
  // The mirror switch forgets the picture; the next load is mirrored.
  transitions_->SetRuleMirror(true);
  EXPECT_EQ(transitions_->LoadRuleImage(12), 0);
  EXPECT_EQ(ruleLoads_, 2);
  EXPECT_EQ(transitions_->RuleSurface()->GetBits()[0], 3);
  transitions_->SetRuleFlip(true);
  EXPECT_EQ(transitions_->LoadRuleImage(12), 0);
  EXPECT_EQ(transitions_->RuleSurface()->GetBits()[0], 7);
  // A missing picture flips and gives -1.
  const std::string before = sets_->GetLayer(0).record.imageName;
  EXPECT_EQ(transitions_->StartRule(99, 300, 5), -1);
  EXPECT_NE(before, sets_->GetLayer(0).record.imageName);
}

TEST_F(ScreenTransitionsTest, AnEndlessQuakeIsRecordedAndWaitingForItEndsItWithoutPumping) {
  EXPECT_EQ(transitions_->StartQuakeFilter(3, 10, 12, 0, nullptr, 1, 1, true), 0);
  ASSERT_EQ(test::RecordingTransition::made.size(), 1u);
  EXPECT_EQ(test::RecordingTransition::made[0].words, (std::vector<test::RecordedWord>{3, 10, 12, 0, 0, 1}));
  EXPECT_TRUE(displays_[0].TimedPresentRunning());
  const TgsScreenTransitions::QuakeRecord saved = transitions_->Quake();
  EXPECT_EQ(saved.kind, 1);
  EXPECT_EQ(saved.amplitude, 3);
  EXPECT_EQ(transitions_->RunTransition(true), 0);
  EXPECT_EQ(pumps_, 0);
  EXPECT_FALSE(displays_[0].TimedPresentRunning());
  EXPECT_EQ(transitions_->Quake().kind, 0);
  ExpectUnchanged();
  // A load puts the record back and starts the filter again.
  transitions_->SetQuake(saved);
  EXPECT_EQ(transitions_->RestartQuakeFilter(), 0);
  EXPECT_TRUE(displays_[0].TimedPresentRunning());
  EXPECT_EQ(test::RecordingTransition::made.size(), 2u);
  // Any layer change stops it.
  EXPECT_EQ(sets_->ClearLayer(0, 1), 0);
  EXPECT_FALSE(displays_[0].TimedPresentRunning());
  EXPECT_EQ(transitions_->Quake().kind, 0);
  // A timed quake is not started while skipping.
  skipping_ = true;
  EXPECT_EQ(transitions_->StartQuakeFilter(3, 10, 12, 500, nullptr, 1, 1, true), 0);
  EXPECT_EQ(test::RecordingTransition::made.size(), 2u);
}

// --- blocking fades --------------------------------------------------------------------------

TEST_F(ScreenTransitionsTest, BlockingFadesSplitTheirTimeAndEndAsTheTableSays) {
  struct Case {
    const char* what;
    std::function<int32_t(TgsScreenTransitions&)> run;
    int closeAfter;
    std::function<void()> onPump;
    int32_t result;
    std::vector<uint32_t> durations;
  };
  bool skipOnce = false;
  const std::vector<Case> cases = {
      {"colour 3", [](TgsScreenTransitions& t) { return t.FadeThroughColour(3, 0); }, 1000, nullptr, 0, {400, 200}},
      {"background 1000", [](TgsScreenTransitions& t) { return t.ChangeBackgroundWithFade("BG02A.ELG", 1000, 0); }, 1000,
       nullptr, 0, {625, 375}},
      {"background 7", [](TgsScreenTransitions& t) { return t.ChangeBackgroundWithFade("BG02A.ELG", 7, 0); }, 1000,
       nullptr, 0, {500, 300}},
      {"missing picture", [](TgsScreenTransitions& t) { return t.ChangeBackgroundWithFade("NONE", 800, 0); }, 1000,
       nullptr, 2, {500, 300}},
      {"quit in the first", [](TgsScreenTransitions& t) { return t.FadeThroughColour(600, 0); }, 3, nullptr, -1,
       {400}},
      {"skip in the first",
       [](TgsScreenTransitions& t) { return t.ChangeBackgroundWithFade("BG02A.ELG", 800, 0); }, 1000,
       [&] {
         // The skip input shows for two frames of the first fade only.
         skipOnce = pumps_ >= 2 && pumps_ < 4;
       },
       0, {500, 300}},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    closeAfter_ = row.closeAfter;
    onPump_ = [&] {
      if (row.onPump) {
        row.onPump();
        skipping_ = skipOnce;
      }
    };
    EXPECT_EQ(row.run(*transitions_), row.result);
    EXPECT_EQ(Durations(), row.durations);
    // A quit leaves the screen to the program's closing.
    if (row.result != -1) {
      EXPECT_FALSE(displays_[0].TimedPresentRunning());
    }
  }
}

TEST_F(ScreenTransitionsTest, ScreenTransitionResultsAndPacing) {
  EXPECT_EQ(transitions_->RunScreenTransition(nullptr, nullptr, 1, 3), 2);
  // Refused: the transition goes.
  displays_[0].SetPairedImage(nullptr);
  EXPECT_EQ(transitions_->CrossFadeScreen(100, 1, 3), 3);
  EXPECT_EQ(test::RecordingTransition::live, 0);
  displays_[0].SetPairedImage(&displays_[1]);
  // Catch-up pacing is off while the fade runs.
  pacing_ = true;
  EXPECT_EQ(transitions_->CrossFadeScreen(100, 1, 3), 0);
  EXPECT_EQ(catchUpChanges_, (std::vector<bool>{false, true}));
  ExpectExchanged();
  ExpectDisplaysExchanged();
  // Layer mode 0 leaves the sets; a skip finishes at once with 1.
  skipping_ = true;
  EXPECT_EQ(transitions_->CrossFadeScreen(100, 0, 3), 1);
  ExpectExchanged();
  // A skip mask of 0 cannot be skipped.
  const int before = pumps_;
  EXPECT_EQ(transitions_->CrossFadeScreen(160, 0, 0), 0);
  EXPECT_GE(pumps_ - before, 10);
  skipping_ = false;
  closeAfter_ = pumps_;
  EXPECT_EQ(transitions_->CrossFadeScreen(100, 1, 3), -1);
}

TEST_F(ScreenTransitionsTest, GoldenRuleTransitionAtThreeProgressValues) {
  // A diagonal rule picture of the screen's size.
  tools::ElgImage rule;
  rule.depth = 8;
  rule.width = 1280;
  rule.height = 720;
  for (int y = 0; y < 720; ++y)
    for (int x = 0; x < 1280; ++x) rule.pixels.push_back(uint8_t((x / 5 + y / 3) % 256));
  for (int i = 0; i < 256; ++i) rule.palette.insert(rule.palette.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
  pictures_.Write("SYS/RULE001.ELG", tools::EncodeElg(rule, tools::ElgHeaderVariant::kOffset));
  TcpManager builtins;
  ASSERT_EQ(RegisterStartupTransitions(builtins), 0);
  TgsTransitionEnvironment environment;
  environment.registry = &builtins;
  transitions_.reset();
  transitions_ = std::make_unique<TgsScreenTransitions>(*sets_, std::move(environment));
  ASSERT_EQ(transitions_->StartRule(1, 960, 16), 0);
  Surface small;
  ASSERT_EQ(small.Create(320, 180, 32, 0), 0);
  const Size size{320, 180};
  for (const int step : {15, 30, 45}) {
    while (pumps_ < step) sets_->Environment().pumpFrame();
    ASSERT_TRUE(displays_[0].TimedPresentRunning());
    Surface* work = displays_[0].WorkSurface();
    ASSERT_NE(work, nullptr);
    ASSERT_EQ(small.StretchCopy(work, &size, 0, 0, nullptr, false), 0);
    test::ExpectGolden(small, "rule_transition_" + std::to_string(step), "frame");
  }
  EXPECT_EQ(transitions_->RunTransition(false), 0);
  ExpectDisplaysExchanged();
}

}  // namespace
}  // namespace orrivel
