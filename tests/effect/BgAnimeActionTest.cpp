// bg_anime: the control and query tables, frames in time, loop marks and
// loop backs within and across sequences, the two preloaded halves, catch-
// up, the background given back, the set-up codes and a walk that would go
// round a loop with no frame in it.
#include "effect/BgAnimeAction.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "BackgroundTestRig.h"
#include "RefusingTimerList.h"
#include "effect/BuiltinEffects.h"
#include "layout/LayoutWriter.h"
#include "resource/DcpManager.h"
#include "resource/LadAnimation.h"

namespace orrivel {
namespace {

using testing::MakePicture;
using testing::RefusingTimerList;
using testing::TestBackgroundLayer;
using A = BgAnimeAction;

template <class T>
ObjectArgument Word(T* pointer) {
  return ObjectArgument(pointer);
}

tools::LadFrameRecord Frame(int32_t picture, int32_t ms, int16_t x = 0, int16_t y = 0) {
  return {picture, ms, x, y, 0};
}
tools::LadFrameRecord Control(int32_t value) { return {-1, value, 0, 0, 0}; }

// The colour of picture i: opaque and different for each.
uint32_t PictureColor(int i) { return 0xFF000000u | uint32_t(0x30 + 0x20 * i) << 16 | uint32_t(0x10 * (i + 1)); }

class BgAnimeTest : public testing::BackgroundTest {
 protected:
  static constexpr int kPictures = 4;
  static constexpr int kFrameSize = 8;

  void SetUp() override {
    BackgroundTest::SetUp();
    for (int i = 0; i < kPictures; ++i) {
      WritePicture("anim/p" + std::to_string(i) + ".elg", 4, 4, [i](int, int) { return PictureColor(i); });
    }
    picture_ = MakePicture(16, 16);
    ShowPicture(layer_.Canvas(), picture_.get());
  }
  void TearDown() override {
    SetBgAnimeFlag(CellList({0}));
    BackgroundTest::TearDown();
  }

  // An 8 × 8 animation over the rig's pictures with these steps and as
  // many sequences as closing steps.
  LadAnimation& Lad(const std::vector<tools::LadFrameRecord>& frames, const std::string& firstName = "p0.elg") {
    tools::LadDocument doc;
    doc.header[0] = kFrameSize;
    doc.header[2] = kFrameSize;
    uint16_t sequences = 0;
    for (const auto& f : frames) sequences += f.name < 0 && f.value < 1 ? 1 : 0;
    doc.SetSequenceCount(sequences);
    doc.frames = frames;
    doc.names.push_back({firstName, 0, 0});
    for (int i = 1; i < kPictures; ++i) doc.names.push_back({"p" + std::to_string(i) + ".elg", 0, 0});
    const std::vector<uint8_t> bytes = tools::WriteLad(doc);
    animations_.push_back(std::make_unique<LadAnimation>());
    EXPECT_EQ(animations_.back()->LoadFromMemory(bytes.data(), bytes.size()), kLadOk);
    return *animations_.back();
  }
  A* Start(LadAnimation& lad, int32_t sequence, int32_t step = 0, bool loop = false, bool play = true) {
    auto* anime = new A();
    EXPECT_EQ(anime->Setup(&list_, &layer_, {Word(&lad), Word("anim"), sequence, step, loop, play}), 0);
    return anime;
  }
  // Which picture the frame shows at (x, y); -1 for none of them.
  static int Shown(const A& anime, int x = 0, int y = 0) {
    const uint32_t pixel = test::Pixel32(*anime.FramePicture(), x, y);
    for (int i = 0; i < kPictures; ++i)
      if (pixel == PictureColor(i)) return i;
    return -1;
  }
  Surface* CanvasPicture() {
    Surface* image = nullptr;
    layer_.Canvas().GetBackground(&image, nullptr, nullptr, nullptr, nullptr, nullptr);
    return image;
  }

  TestBackgroundLayer layer_{32, 24};
  std::unique_ptr<Surface> picture_;
  std::vector<std::unique_ptr<LadAnimation>> animations_;
};

TEST_F(BgAnimeTest, ControlAndQueryTablesFollowThePlayState) {
  LadAnimation& lad = Lad({Frame(0, 100), Control(1), Frame(1, 100), Control(2), Frame(2, 100), Control(0)});
  A* anime = Start(lad, -1, 0, false, false);
  struct Case {
    const char* what;
    std::vector<ObjectArgument> cells;
    int32_t result;
    int32_t state;
    int32_t step = -1;  // -1: not looked at
  };
  const Case cases[] = {
      {"play before a select", {1}, A::kWrongState, A::kStopped},
      {"pause while stopped", {2}, A::kWrongState, A::kStopped},
      {"resume while stopped", {3}, A::kWrongState, A::kStopped},
      {"end a loop that is not set", {5}, A::kWrongState, A::kStopped},
      {"unknown command", {6}, A::kUnknownCommand, A::kStopped},
      {"select out of range", {0, 9, 99}, 0, A::kSelected, 0},
      {"select a step inside", {0, 0, 4}, 0, A::kSelected, 4},
      {"play", {1}, 0, A::kPlaying},
      {"play twice", {1}, A::kWrongState, A::kPlaying},
      {"resume while playing", {3}, A::kWrongState, A::kPlaying},
      {"pause", {2}, 0, A::kPaused},
      {"pause twice", {2}, A::kWrongState, A::kPaused},
      {"resume", {3}, 0, A::kPlaying},
      {"stop", {4}, 0, A::kStopped},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(anime->ControlV(ObjectArguments{c.cells.data(), c.cells.size()}), c.result);
    EXPECT_EQ(anime->Query({0}), c.state);
    if (c.step >= 0) {
      EXPECT_EQ(anime->Query({3}), c.step);
    }
    if (std::string(c.what) == "play") {
      EXPECT_EQ(Shown(*anime), 2);
      EXPECT_EQ(CanvasPicture(), anime->FramePicture());
    }
  }
  // Stopped: the canvas has its own picture back.
  EXPECT_EQ(CanvasPicture(), picture_.get());
  // Queries: sequence, step, the next loop mark, none in a later sequence.
  ASSERT_EQ(anime->Control({0, 0, 0}), 0);
  EXPECT_EQ(anime->Query({1}), 0);
  EXPECT_EQ(anime->Query({2}), 0);
  EXPECT_EQ(anime->Query({4}), 1);
  EXPECT_EQ(anime->Query({5}), -1);
  EXPECT_EQ(anime->Query({7}), A::kUnknownCommand);
  ASSERT_EQ(anime->Control({0, 0, 4}), 0);
  EXPECT_EQ(anime->Query({4}), -1);  // the closing step comes first
}

TEST_F(BgAnimeTest, FramesFollowTheirDisplayTimesAndTheEndStopsOrLoops) {
  for (bool loop : {false, true}) {
    SCOPED_TRACE(loop ? "loop" : "once");
    LadAnimation& lad = Lad({Frame(0, 100), Frame(1, 100, 4, 4), Control(0)});
    const uint32_t t = kStart + (loop ? 10000 : 0);  // the clock only goes on
    clock_.SetTick(t);
    A* anime = Start(lad, 0, 0, loop);
    EXPECT_EQ(Shown(*anime), 0);
    StepAt(t);  // only records the step's start
    StepAt(t + 99);
    EXPECT_EQ(anime->CurrentStep(), 0);
    StepAt(t + 100);
    EXPECT_EQ(anime->CurrentStep(), 1);
    EXPECT_EQ(Shown(*anime, 4, 4), 1);
    EXPECT_EQ(Shown(*anime, 0, 0), 0);  // drawn at its own place only
    StepAt(t + 200);
    if (loop) {
      EXPECT_EQ(anime->PlayState(), A::kPlaying);
      EXPECT_EQ(anime->CurrentStep(), 0);
    } else {
      EXPECT_EQ(anime->PlayState(), A::kStopped);
      EXPECT_EQ(Shown(*anime, 4, 4), 1);  // the last frame stays
    }
    anime->Control({4});
  }
}

TEST_F(BgAnimeTest, LoopMarksRepeatUntilTheEndIsRequested) {
  LadAnimation& lad =
      Lad({Frame(0, 100), Control(1), Frame(1, 100), Frame(2, 100), Control(2), Frame(3, 100), Control(0)});
  A* anime = Start(lad, 0);
  StepAt(kStart);
  uint32_t t = kStart;
  auto next = [&] {
    t += 100;
    StepAt(t);
    return Shown(*anime);
  };
  EXPECT_EQ(next(), 1);
  EXPECT_EQ(anime->LoopPoint(), 1);
  EXPECT_EQ(anime->Query({1}), 1);
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(next(), 1);  // back to the mark
  EXPECT_EQ(next(), 2);
  EXPECT_EQ(anime->Control({5}), 0);
  EXPECT_EQ(anime->Query({1}), 0);
  EXPECT_EQ(next(), 3);  // the loop back lets go
  EXPECT_EQ(anime->LoopPoint(), -1);
  EXPECT_EQ(anime->Control({5}), A::kWrongState);
}

TEST_F(BgAnimeTest, SequencesSwapHalvesAndLoopBacksReachAcrossThem) {
  // Sequence 0: 0, mark, 1; sequence 1: 2, loop back.
  LadAnimation& lad = Lad({Frame(0, 100), Control(1), Frame(1, 100), Control(0), Frame(2, 100), Control(2), Control(0)});
  A* anime = Start(lad, 0, 0, true);
  EXPECT_EQ(anime->ShownHalf(), 0);
  EXPECT_EQ(anime->PreparedSequence(0), 0);
  EXPECT_EQ(anime->PreparedSequence(1), 1);
  EXPECT_EQ(anime->Query({5}), -1);  // sequence 1 has no mark
  StepAt(kStart);
  StepAt(kStart + 100);
  EXPECT_EQ(Shown(*anime), 1);
  StepAt(kStart + 200);
  EXPECT_EQ(Shown(*anime), 2);
  EXPECT_EQ(anime->Sequence(), 1);
  EXPECT_EQ(anime->ShownHalf(), 1);
  EXPECT_EQ(anime->PreparedSequence(0), 0);  // looping: sequence 0 comes next
  StepAt(kStart + 300);
  EXPECT_EQ(Shown(*anime), 1);  // the mark lies in sequence 0: its half is taken
  EXPECT_EQ(anime->Sequence(), 0);
  EXPECT_EQ(anime->ShownHalf(), 0);
  EXPECT_EQ(anime->CurrentStep(), 2);

  // A later sequence's first mark; one that ends first is skipped.
  LadAnimation& marks = Lad({Frame(0, 100), Control(0), Control(0), Frame(1, 100), Control(1), Control(0)});
  A* other = Start(marks, 0, 0, false, false);
  EXPECT_EQ(other->Query({5}), 4);
  // Without the loop flag nothing is prepared after the last sequence.
  LadAnimation& two = Lad({Frame(0, 100), Control(0), Frame(1, 100), Control(0)});
  A* once = Start(two, 0);
  StepAt(kStart + 400);
  StepAt(kStart + 500);
  EXPECT_EQ(once->Sequence(), 1);
  EXPECT_EQ(once->PreparedSequence(once->ShownHalf() ^ 1), -1);
  StepAt(kStart + 600);
  EXPECT_EQ(once->PlayState(), A::kStopped);
  EXPECT_EQ(Shown(*once), 1);
}

TEST_F(BgAnimeTest, CatchUpSkipsLateFramesAndCutsLongLags) {
  for (bool catchUp : {false, true}) {
    SCOPED_TRACE(catchUp ? "catch-up" : "one step a time");
    EXPECT_EQ(SetBgAnimeFlag(CellList({catchUp})), 0);
    EXPECT_EQ(BgAnimeCatchUp(), catchUp);
    LadAnimation& lad = Lad({Frame(0, 100), Frame(1, 100), Frame(2, 100), Frame(3, 100), Control(0)});
    const uint32_t t = kStart + (catchUp ? 10000 : 0);  // the clock only goes on
    clock_.SetTick(t);
    A* anime = Start(lad, 0, 0, true);
    StepAt(t);
    StepAt(t + 250);
    EXPECT_EQ(Shown(*anime), catchUp ? 2 : 1);
    StepAt(t + 300);
    EXPECT_EQ(Shown(*anime), catchUp ? 3 : 1);
    StepAt(t + 5300);  // a lag of 5 s: one display time under catch-up
    EXPECT_EQ(Shown(*anime), catchUp ? 0 : 2);
    anime->Control({4});
  }
}

TEST_F(BgAnimeTest, ALoopMarkFollowedByALoopBackStopsTheWalk) {
  LadAnimation& lad = Lad({Frame(0, 100), Control(1), Control(2), Frame(1, 100), Control(0)});
  A* anime = Start(lad, 0);
  StepAt(kStart);
  StepAt(kStart + 100);
  EXPECT_EQ(anime->PlayState(), A::kStopped);
  EXPECT_EQ(Shown(*anime), 0);
  // Playing from the mark itself shows nothing.
  ASSERT_EQ(anime->Control({0, 0, 1}), 0);
  EXPECT_EQ(anime->Control({1}), A::kNothingShown);
  EXPECT_EQ(anime->PlayState(), A::kStopped);
}

TEST_F(BgAnimeTest, SetupCodes) {
  LadAnimation& lad = Lad({Frame(0, 100), Control(0)});
  LadAnimation& missing = Lad({Frame(0, 100), Control(0)}, "absent.elg");
  LadAnimation& unknown = Lad({Control(5), Frame(0, 100), Control(0)});
  tools::LadDocument flat;
  flat.SetSequenceCount(1);
  flat.frames = {Frame(0, 100), Control(0)};
  flat.names = {{"p0.elg", 0, 0}};
  const std::vector<uint8_t> flatBytes = tools::WriteLad(flat);
  LadAnimation sizeless;
  ASSERT_EQ(sizeless.LoadFromMemory(flatBytes.data(), flatBytes.size()), kLadOk);
  RefusingTimerList refusing;
  struct Case {
    const char* what;
    TimerList* list;
    ObjectArgument target;
    const LadAnimation* lad;
    const char* folder;
    std::intptr_t sequence;
    int32_t result;
  };
  const Case cases[] = {
      {"no timer list", nullptr, &layer_, &lad, "anim", 0, A::kBadArguments},
      {"no target", &list_, nullptr, &lad, "anim", 0, A::kBadArguments},
      {"no animation", &list_, &layer_, nullptr, "anim", 0, A::kBadArguments},
      {"no folder", &list_, &layer_, &lad, nullptr, 0, A::kBadArguments},
      {"an animation without a size", &list_, &layer_, &sizeless, "anim", 0, A::kCannotHold},
      {"a picture that is not there", &list_, &layer_, &missing, "anim", 0, A::kStartFailed},
      {"a control value it does not know", &list_, &layer_, &unknown, "anim", 0, A::kStartFailed},
      {"the list refuses", &refusing, &layer_, &lad, "anim", 0, A::kNotListed},
      {"no start", &list_, &layer_, &lad, "anim", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* anime = new A();
    EXPECT_EQ(anime->Setup(c.list, c.target, {Word(c.lad), Word(c.folder), c.sequence, 0, 0, 1}), c.result);
    EXPECT_EQ(CanvasPicture(), picture_.get());
    if (c.result != 0) {
      delete anime;
      continue;
    }
    // The list holds it now; a second animation is refused.
    EXPECT_EQ(anime->Setup(&list_, &layer_, {Word(&lad), Word("anim"), -1, 0, 0, 0}), A::kCannotHold);
  }
}

TEST_F(BgAnimeTest, IsMadeByNameAndItsClassEntrySetsCatchUp) {
  DcpManager actions;
  RegisterStartupEffects(actions);
  DcpObject* object = actions.GetObject("bg_anime");
  ASSERT_NE(object, nullptr);
  auto* action = dynamic_cast<LayerAction*>(object);
  ASSERT_NE(action, nullptr);
  EXPECT_STREQ(action->GetName(), "bg_anime");
  EXPECT_EQ(action->GetTypeId(), LayerAction::kBackgroundAnimationType);
  object->Release();
  EXPECT_EQ(SetBgAnimeFlagVariadic(1), 0);
  EXPECT_TRUE(BgAnimeCatchUp());
}

}  // namespace
}  // namespace orrivel
