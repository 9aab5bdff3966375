// Natives 507 to 537 and the LAG sequence task: sequences played on a
// layer's sprite on an injected tick, the task natives' codes, releases that
// remove their tasks first, LAD header values, and the layouts read part by
// part.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <tuple>
#include <memory>
#include <string>
#include <vector>

#include "NativeHarness.h"
#include "NativeSession.h"
#include "base/TimerList.h"
#include "display/DrawObjectManager.h"
#include "elg/BmpWriter.h"
#include "layout/LayoutWriter.h"
#include "natives/GameControlHost.h"
#include "natives/LagAnimationTask.h"
#include "natives/ObjectPool.h"
#include "natives/ProcessObjects.h"
#include "natives/IntervalTask.h"
#include "natives/SoundNativesRig.h"
#include "platform/Clock.h"
#include "raster/SpriteList.h"
#include "resource/AnimationPlayer.h"
#include "resource/ImageLoaderManager.h"
#include "resource/LadAnimation.h"
#include "resource/LagAnimation.h"
#include "resource/LgmLayout.h"
#include "resource/LgmSpriteLayout.h"
#include "resource/LayoutTestFakes.h"
#include "resource/LayoutTestFolder.h"
#include "scene/CanvasDrawImage.h"
#include "scene/Control.h"
#include "scene/ControlFactory.h"
#include "scene/FrameStepper.h"
#include "scene/PictureFolder.h"
#include "scene/RasterSurfacePort.h"
#include "scene/SceneTestSupport.h"
#include "scene/SpriteCanvas.h"
#include "sound/BufferSound.h"
#include "sound/SoundTestRig.h"
#include "sound/StreamSound.h"

namespace orrivel::testing {
namespace {

std::vector<uint8_t> Bitmap(int32_t width, int32_t height) {
  tools::BmpFile file;
  file.width = width;
  file.height = -height;
  file.bitCount = 32;
  file.data.assign(size_t(width * height * 4), 0x40);
  return tools::WriteBmpFile(file);
}

int32_t Place(int16_t x, int16_t y) { return int32_t(uint32_t(uint16_t(x)) | (uint32_t(uint16_t(y)) << 16)); }

// Four sequences: 0 shows pictures 0 and 1 (10 and 20 ms), 1 picture 1 for
// 5 ms, 2 a picture index past the two pictures, 3 is empty.
tools::LagDocument Animation() {
  tools::LagDocument document;
  document.SetSequenceCount(4);
  document.frames = {{0, 10, Place(1, 2), 0}, {1, 20, Place(3, 4), 0}, {-1, 0, 0, 0},
                     {1, 5, Place(0, 0), 0},  {-1, 0, 0, 0},           {7, 10, 0, 0},
                     {-1, 0, 0, 0},           {-1, 0, 0, 0}};
  document.pictures = {{Bitmap(4, 2), -1, 0}, {Bitmap(2, 2), -1, 0}};
  return document;
}

class AnimationTest : public test::SceneTest {
 protected:
  void SetUp() override {
    test::SceneTest::SetUp();
    previous_ = SetProcessObjects(&objects_);
    folder_.Write("ANIM.LAG", tools::WriteLag(Animation()));
    auto layer = std::make_unique<CanvasDrawImage>();
    ASSERT_EQ(layer->Prepare(64, 32, 32, 1), 0);
    canvas_ = layer->GetCanvas();
    ASSERT_NE(canvas_, nullptr);
    layerHandle_ = drawObjects_.AddImage(std::move(layer));
    ASSERT_NE(layerHandle_, 0u);
  }
  void TearDown() override {
    session_.reset();
    timers_.Clear();
    objects_.ReleasePools();
    SetProcessObjects(previous_);
    test::SceneTest::TearDown();
  }

  LagAnimationPool::Object* LoadAnimation() {
    LagAnimationPool::Object* animation = nullptr;
    EXPECT_EQ(objects_.LagAnimations().Create(&animation, &surfaces_, "ANIM.LAG", false), 0);
    return animation;
  }

  NativeSession& Session() {
    if (!session_) {
      GameHostSetup setup;
      setup.objectTimers = &timers_;
      setup.drawObjects = &drawObjects_;
      session_ = std::make_unique<NativeSession>(setup);
    }
    return *session_;
  }
  template <class T>
  T* Task(uint32_t handle) {
    for (TimedTask* task : timers_.Tasks()) {
      if (task && task->Handle() == handle) return dynamic_cast<T*>(task);
    }
    return nullptr;
  }

  platform::ManualClock clock_{1000};
  platform::ScopedClock scopedClock_{clock_};
  test::PictureFolder folder_;
  ProcessObjects objects_;
  ProcessObjects* previous_ = nullptr;
  RasterSurfaceFactory surfaces_;
  DrawObjectManager drawObjects_;
  TimerList timers_;
  SpriteCanvas* canvas_ = nullptr;
  std::unique_ptr<NativeSession> session_;
  uint32_t layerHandle_ = 0;
};

// ---- the task on the injected tick ------------------------------------------------------

struct Expect {
  uint32_t tick;
  int32_t result;
  uint32_t record;
  LagAnimationTask::State state;
  bool visible;
};

struct TaskCase {
  const char* name;
  int32_t sequence;
  int32_t loops;
  LagAnimationTask::Options options;
  bool chainAfterStart;
  std::vector<Expect> steps;
};

using S = LagAnimationTask::State;
constexpr auto kPlaying = S::kPlaying;
constexpr auto kHolding = S::kHolding;

LagAnimationTask::Options WithoutCatchUp() {
  LagAnimationTask::Options options;
  options.catchUp = false;
  return options;
}
LagAnimationTask::Options Delayed(uint32_t ms) {
  LagAnimationTask::Options options;
  options.startDelayMs = ms;
  return options;
}

TEST_F(AnimationTest, SequenceTaskStepsOnTheTick) {
  const std::vector<TaskCase> cases = {
      {"loop count 0 holds the last frame, then finishes",
       0, 0, {}, false,
       {{0, 0, 0, kPlaying, true}, {10, 0, 1, kPlaying, true}, {30, 0, 1, kHolding, true}, {31, 1, 1, kHolding, true}}},
      {"loop count 2 plays twice",
       0, 2, {}, false,
       {{0, 0, 0, kPlaying, true}, {10, 0, 1, kPlaying, true}, {30, 0, 0, kPlaying, true},
        {40, 0, 1, kPlaying, true}, {60, 1, 1, kPlaying, true}}},
      {"catch-up passes several records in one step",
       0, -1, {}, false,
       {{0, 0, 0, kPlaying, true}, {45, 0, 1, kPlaying, true}, {59, 0, 1, kPlaying, true},
        {60, 0, 0, kPlaying, true}}},
      {"without catch-up one record a step",
       0, -1, WithoutCatchUp(), false,
       {{0, 0, 0, kPlaying, true}, {45, 0, 1, kPlaying, true}, {64, 0, 1, kPlaying, true},
        {65, 0, 0, kPlaying, true}}},
      {"a chain request moves to the next sequence",
       0, -1, {}, true,
       {{0, 0, 0, kPlaying, true}, {10, 0, 1, kPlaying, true}, {30, 0, 3, kPlaying, true},
        {35, 0, 3, kHolding, true}}},
      {"a chain past the last sequence ends the task",
       2, -1, {}, true,
       {{0, 0, 5, kPlaying, false}, {10, 2, 5, kPlaying, false}}},
      {"a start delay keeps the sprite hidden",
       0, -1, Delayed(50), false,
       {{0, 0, 0, kPlaying, false}, {40, 0, 0, kPlaying, false}, {50, 0, 0, kPlaying, true},
        {60, 0, 1, kPlaying, true}}},
  };
  for (const TaskCase& c : cases) {
    SCOPED_TRACE(c.name);
    LagAnimationPool::Object* animation = LoadAnimation();
    ASSERT_NE(animation, nullptr);
    TimerList list;
    auto* task = new LagAnimationTask();
    ASSERT_EQ(task->Setup(&list, canvas_, animation, c.sequence, c.loops, c.options), 0);
    EXPECT_EQ(task->Sprite().OwningList(), &canvas_->MainList());
    // The ticks of a case count from an arbitrary start, across the wrap.
    const uint32_t base = 0xFFFFFFF0u;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Expect& e = c.steps[i];
      const int32_t result = task->Step(base + e.tick);
      if (i == 0 && c.chainAfterStart) task->RequestChain(0);
      EXPECT_EQ(result, e.result) << "tick " << e.tick;
      EXPECT_EQ(task->CurrentRecord(), e.record) << "tick " << e.tick;
      EXPECT_EQ(task->GetState(), e.state) << "tick " << e.tick;
      EXPECT_EQ(task->Sprite().IsVisible(), e.visible) << "tick " << e.tick;
    }
    list.Clear();  // deletes the task: its sprite leaves the layer, its hold goes
    EXPECT_EQ(canvas_->MainList().Items().size(), 0u);
    EXPECT_EQ(animation->holders, 0);
  }
}

TEST_F(AnimationTest, SequenceTaskPlacesPicturesAndKeepsTimeAcrossAPause) {
  LagAnimationPool::Object* animation = LoadAnimation();
  TimerList list;
  LagAnimationTask::Options options;
  options.xOffset = 10;
  options.yOffset = 20;
  auto* task = new LagAnimationTask();
  ASSERT_EQ(task->Setup(&list, canvas_, animation, 0, -1, options), 0);
  EXPECT_EQ(task->Sprite().GetX(), 11);
  EXPECT_EQ(task->Sprite().GetY(), 22);
  EXPECT_EQ(task->Sprite().GetWidth(), 4);
  task->Step(100);
  task->Pause(105);
  task->Resume(205);  // 100 ms paused: the 10 ms record ends at 210
  task->Step(209);
  EXPECT_EQ(task->CurrentRecord(), 0u);
  task->Step(210);
  EXPECT_EQ(task->CurrentRecord(), 1u);
  EXPECT_EQ(task->Sprite().GetX(), 13);
  EXPECT_EQ(task->Sprite().GetY(), 24);
  EXPECT_EQ(task->Sprite().GetWidth(), 2);
}

TEST_F(AnimationTest, SequenceTaskSetupCodes) {
  LagAnimationPool::Object* animation = LoadAnimation();
  TimerList list;
  struct Case {
    TimerList* list;
    SpriteCanvas* layer;
    LagAnimationPool::Object* animation;
    int32_t sequence;
    int32_t code;
  };
  for (const Case& c : {Case{nullptr, canvas_, animation, 0, 1}, Case{&list, nullptr, animation, 0, 1},
                        Case{&list, canvas_, nullptr, 0, 1}, Case{&list, canvas_, animation, 4, 2},
                        Case{&list, canvas_, animation, -1, 2}, Case{&list, canvas_, animation, 3, 3}}) {
    LagAnimationTask task;
    EXPECT_EQ(task.Setup(c.list, c.layer, c.animation, c.sequence, 0, {}), c.code) << c.sequence;
  }
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(canvas_->MainList().Items().size(), 0u);
  EXPECT_EQ(animation->holders, 0);
}

TEST_F(AnimationTest, SequenceTaskOutlivingItsLayerLetsGoSafely) {
  LagAnimationPool::Object* animation = LoadAnimation();
  TimerList list;
  auto* task = new LagAnimationTask();
  {
    SpriteCanvas layer;
    ASSERT_EQ(task->Setup(&list, &layer, animation, 0, -1, {}), 0);
  }
  EXPECT_EQ(task->Sprite().OwningList(), nullptr);
  task->Step(0);
  task->Step(100);
  list.Clear();
  EXPECT_EQ(animation->holders, 0);
}

TEST_F(AnimationTest, SequenceWithoutTerminatorEndsAtTheLastRecord) {
  tools::LagDocument document = Animation();
  document.SetSequenceCount(1);
  document.frames = {{0, 10, 0, 0}, {1, 10, 0, 0}};  // no closing record
  folder_.Write("OPEN.LAG", tools::WriteLag(document));
  LagAnimationPool::Object* animation = nullptr;
  ASSERT_EQ(objects_.LagAnimations().Create(&animation, &surfaces_, "OPEN.LAG", false), 0);
  TimerList list;
  auto* task = new LagAnimationTask();
  ASSERT_EQ(task->Setup(&list, canvas_, animation, 0, 0, {}), 0);
  task->Step(0);
  EXPECT_EQ(task->Step(1000), 0);
  EXPECT_EQ(task->CurrentRecord(), 1u);
  EXPECT_EQ(task->GetState(), kHolding);
}

// ---- natives ------------------------------------------------------------------------------------

TEST_F(AnimationTest, LagNativesStartQueryChainAndRelease) {
  NativeSession& s = Session();
  const uint32_t animation = s.Call("NativeLoadLagAnimation", {s.Text("ANIM.LAG"), 0});
  ASSERT_NE(animation, 0u);
  EXPECT_EQ(s.Call("NativeLoadLagAnimation", {s.Text("NONE.LAG"), 0}), 0u);
  EXPECT_EQ(s.Call("NativeStartLagAnimationTask", {0, animation, 0, 0, uint32_t(-1), 0, 0, 0, 0, 0}), 0u);
  EXPECT_EQ(s.Call("NativeStartLagAnimationTask", {layerHandle_, animation, 3, 0, uint32_t(-1), 0, 0, 0, 0, 0}), 0u);

  // Cell 4 = -1: cells 5 to 9 are not read; offsets 0, catch-up and
  // remove-when-done on, no delay.
  const uint32_t handle = s.Call("NativeStartLagAnimationTask",
                                 {layerHandle_, animation, 0, 0, uint32_t(-1), 100, 100, 0, 0, 5000});
  ASSERT_NE(handle, 0u);
  auto* task = Task<LagAnimationTask>(handle);
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->Sprite().GetX(), 1);
  EXPECT_EQ(task->Sprite().GetY(), 2);
  EXPECT_TRUE(task->Sprite().IsVisible());
  EXPECT_EQ(s.Call("NativeGetLagAnimationTaskState", {handle}), 0u);
  timers_.Step(clock_.TickMs());
  EXPECT_EQ(s.Call("NativeGetLagAnimationTaskState", {handle}), 1u);
  clock_.Advance(30);  // both records pass in one step, the last is held
  timers_.Step(clock_.TickMs());
  EXPECT_EQ(s.Call("NativeGetLagAnimationTaskState", {handle}), 2u);

  // Chain codes.
  EXPECT_EQ(s.CallInt("NativeChainLagAnimationSequence", {0, 0, 0}), -1);
  EXPECT_EQ(s.CallInt("NativeChainLagAnimationSequence", {handle, 1, 0}), -4);
  auto* stepper = new FrameStepper();
  ASSERT_EQ(timers_.Add(stepper, 0, 0, 0), 0);
  EXPECT_EQ(s.CallInt("NativeChainLagAnimationSequence", {stepper->Handle(), 0, 0}), -3);
  timers_.Stop(stepper->Handle());
  EXPECT_EQ(s.CallInt("NativeChainLagAnimationSequence", {handle, 0, 1}), 0);
  EXPECT_EQ(task->LoopsLeft(), 1);
  clock_.Advance(1);
  timers_.Step(clock_.TickMs());  // held with remove-when-done: the task ends
  EXPECT_EQ(s.CallInt("NativeChainLagAnimationSequence", {handle, 0, 0}), -2);
  EXPECT_EQ(s.Call("NativeGetLagAnimationTaskState", {handle}), 0u);
  EXPECT_EQ(canvas_->MainList().Items().size(), 0u);

  // Releasing stops the animation's tasks first; the cell is cleared.
  const uint32_t playing =
      s.Call("NativeStartLagAnimationTask", {layerHandle_, animation, 1, uint32_t(-1), 0, 0, 0, 1, 1, 0});
  ASSERT_NE(playing, 0u);
  const uint32_t cell = s.Var(animation);
  EXPECT_EQ(s.Call("NativeReleaseLagAnimation", {0}), 1u);
  EXPECT_EQ(s.Call("NativeReleaseLagAnimation", {s.Var(0)}), 1u);
  EXPECT_EQ(s.Call("NativeReleaseLagAnimation", {cell}), 0u);
  EXPECT_EQ(s.Word(cell), 0u);
  EXPECT_EQ(objects_.LagAnimations().Count(), 0u);
  EXPECT_EQ(s.Call("NativeGetLagAnimationTaskState", {playing}), 0u);
  EXPECT_EQ(canvas_->MainList().Items().size(), 0u);
  const uint32_t stale = s.Var(animation);
  EXPECT_EQ(s.Call("NativeReleaseLagAnimation", {stale}), 2u);
  EXPECT_EQ(s.Word(stale), animation);
  EXPECT_EQ(s.CallInt("NativeReloadLagAnimation", {animation, s.Text("ANIM.LAG"), 0}), -2);
  EXPECT_EQ(s.CallInt("NativeReloadLagAnimation", {0, s.Text("ANIM.LAG"), 0}), -2);
}

TEST_F(AnimationTest, ReleaseAllAndReloadRemoveTheTasksFirst) {
  NativeSession& s = Session();
  const uint32_t a = s.Call("NativeLoadLagAnimation", {s.Text("ANIM.LAG"), 0});
  const uint32_t b = s.Call("NativeLoadLagAnimation", {s.Text("ANIM.LAG"), 0});
  const uint32_t ta = s.Call("NativeStartLagAnimationTask", {layerHandle_, a, 0, uint32_t(-1), uint32_t(-1), 0, 0, 0, 0, 0});
  const uint32_t tb = s.Call("NativeStartLagAnimationTask", {layerHandle_, b, 0, uint32_t(-1), uint32_t(-1), 0, 0, 0, 0, 0});
  ASSERT_TRUE(ta != 0 && tb != 0);
  EXPECT_EQ(s.Call("NativeReloadLagAnimation", {a, s.Text("ANIM.LAG"), 0}), 0u);
  EXPECT_TRUE(Task<LagAnimationTask>(ta)->IsFinished());
  EXPECT_FALSE(Task<LagAnimationTask>(tb)->IsFinished());
  EXPECT_EQ(s.Call("NativeReloadLagAnimation", {b, s.Text("NONE.LAG"), 0}), uint32_t(kLagCannotOpen));
  EXPECT_EQ(s.Call("NativeReleaseAllLagAnimations", {}), 0u);
  EXPECT_EQ(objects_.LagAnimations().Count(), 0u);
  EXPECT_EQ(canvas_->MainList().Items().size(), 0u);
  timers_.Step(clock_.TickMs());
  EXPECT_EQ(timers_.Size(), 0u);
}

TEST_F(AnimationTest, LadInfoSelectorsAndRelease) {
  tools::LadDocument document;
  // After the magic: words 0x1234 and 0x20 (file offsets 4 and 6), the
  // sequence count 1 (file offset 10).
  document.header = {0x34, 0x12, 0x20, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  document.frames = {{0, 1, 0, 0, 0}, {-1, 0, 0, 0, 0}};
  document.names = {{"A", 1, 2}};
  folder_.Write("ANIM.LAD", tools::WriteLad(document));
  NativeSession& s = Session();
  const uint32_t lad = s.Call("NativeLoadLadAnimation", {s.Text("ANIM.LAD")});
  ASSERT_NE(lad, 0u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lad, 0}), 1u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lad, 1}), 2u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lad, 2}), 0x1234u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lad, 3}), 0x20u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lad, 4}), 0u);
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {0, 0}), 0u);
  // A LAG handle is no LAD handle.
  const uint32_t lag = s.Call("NativeLoadLagAnimation", {s.Text("ANIM.LAG"), 0});
  EXPECT_EQ(s.Call("NativeGetLadAnimationInfo", {lag, 1}), 0u);
  EXPECT_EQ(s.Call("NativeReloadLadAnimation", {lad, s.Text("ANIM.LAD")}), 0u);
  const uint32_t cell = s.Var(lad);
  EXPECT_EQ(s.Call("NativeReleaseLadAnimation", {cell}), 0u);
  EXPECT_EQ(s.Word(cell), 0u);
  EXPECT_EQ(objects_.LadAnimations().Count(), 0u);
  EXPECT_EQ(s.Call("NativeReleaseAllLadAnimations", {}), 0u);
}

TEST_F(AnimationTest, LayoutPartsOneByOneAndInRanges) {
  // Five parts whose stored records are (10 + i, -i, flag 200 + i).
  tools::LgmDocument document;
  folder_.Write("P.ELG", MakeElgPicture(4, 4));
  for (int16_t i = 0; i < 5; ++i) document.parts.push_back({"P.ELG", 2, 0, 0, 255, 1, int16_t(10 + i), int16_t(-i), uint8_t(200 + i)});
  const std::vector<uint8_t> bytes = tools::WriteLgm(document, tools::LgmForm::kSprite);
  FakeDevice device;
  FakeCanvas canvas;
  ASSERT_EQ(objects_.SystemMenuLayout().LoadFromMemory(&device, &canvas, bytes.data(), bytes.size(), "L.LGM", 0,
                                                       false, false),
            0);
  NativeSession& s = Session();
  EXPECT_EQ(s.Call("NativeGetLayoutPartCount", {}), 5u);
  const uint32_t x = s.Var(77), y = s.Var(77), flag = s.Var(77);
  EXPECT_EQ(s.Call("NativeGetLayoutPart", {5, 0, 0, x, y, flag}), 0u);  // the count itself: nothing written
  EXPECT_EQ(s.Word(x), 77u);
  EXPECT_EQ(s.Call("NativeGetLayoutPart", {3, 0, 0, x, y, flag}), 1u);
  EXPECT_EQ(s.Word(x), 13u);
  EXPECT_EQ(int32_t(s.Word(y)), -3);
  EXPECT_EQ(s.Word(flag), 203u);

  struct Range {
    int32_t start, count;
    std::vector<int32_t> xs;
  };
  for (const Range& r : {Range{2, 0, {12, 13, 14}}, Range{-4, 2, {10, 11}}, Range{3, 9, {13, 14}},
                         Range{5, 0, {}}, Range{7, 2, {}}}) {
    const uint32_t xs = s.Block(40), ys = s.Block(40), flags = s.Block(40);
    for (uint32_t i = 0; i < 10; ++i) s.Space().Write32(xs + i * 4, 0xAAAAAAAA);
    EXPECT_EQ(s.Call("NativeGetLayoutParts", {uint32_t(r.start), uint32_t(r.count), 0, 0, xs, ys, flags}), 1u);
    for (size_t i = 0; i < r.xs.size(); ++i) {
      EXPECT_EQ(int32_t(s.Word(xs + uint32_t(i) * 4)), r.xs[i]) << r.start << " " << i;
      EXPECT_EQ(int32_t(s.Word(ys + uint32_t(i) * 4)), 10 - r.xs[i]);
      EXPECT_EQ(s.Word(flags + uint32_t(i) * 4), uint32_t(190 + r.xs[i]));
    }
    EXPECT_EQ(s.Word(xs + uint32_t(r.xs.size()) * 4), 0xAAAAAAAAu) << r.start;
  }
  // An array too small for the parts is a script error, not an overrun.
  EXPECT_EQ(s.Call("NativeGetLayoutParts", {0, 0, 0, 0, s.Block(8), 0, 0}), 1u);
  EXPECT_TRUE(s.LastFailed());
  EXPECT_EQ(s.Call("NativeClearLayout", {}), 0u);
  EXPECT_EQ(s.Call("NativeGetLayoutPartCount", {}), 0u);
  // The sprite layout holds nothing: a range copies nothing and says so.
  EXPECT_EQ(s.Call("NativeGetSpriteLayoutPartCount", {}), 0u);
  EXPECT_EQ(s.Call("NativeGetSpriteLayoutParts", {0, 0, 0, s.Block(8), 0, 0}), 0u);
  EXPECT_EQ(s.Call("NativeGetSpriteLayoutPart", {0, s.Var(), 0, 0, 0}), 0u);
}

TEST_F(AnimationTest, LayoutLoadedForAnObjectNamesItsPartsByScreenHandles) {
  folder_.Write("UI/P.BMP", Bitmap(6, 4));
  tools::LgmDocument document;
  document.parts.push_back({"P.BMP", 0, 5, 6, 255, 1, 0, 0, 0});
  document.parts.push_back({"P.BMP", 2, 7, 8, 255, 1, 3, 2, 9});
  folder_.Write("UI/SCREEN.LGM", tools::WriteLgm(document, tools::LgmForm::kSprite));
  NativeSession& s = Session();
  EXPECT_EQ(s.CallInt("NativeLoadLayout", {0, s.Text("UI\\SCREEN.LGM"), 0, 0, 0}), -2);
  ASSERT_EQ(s.Call("NativeLoadLayout", {layerHandle_, s.Text("UI\\SCREEN.LGM"), 3, 0, 0}), 0u);
  ASSERT_EQ(s.Call("NativeGetLayoutPartCount", {}), 2u);
  const uint32_t image = s.Var(), sprite = s.Var(), x = s.Var(), y = s.Var(), flag = s.Var();
  ASSERT_EQ(s.Call("NativeGetLayoutPart", {1, image, sprite, x, y, flag}), 1u);
  EXPECT_NE(drawObjects_.GetImage(s.Word(image)), nullptr);
  EXPECT_EQ(drawObjects_.GetSprite(s.Word(sprite)), canvas_->MainList().Items().back());
  EXPECT_EQ(s.Word(x), 3u);
  EXPECT_EQ(s.Word(y), 2u);
  EXPECT_EQ(s.Word(flag), 9u);
  EXPECT_EQ(s.Call("NativeClearLayout", {}), 0u);
  EXPECT_EQ(s.Call("NativeGetLayoutPartCount", {}), 0u);
}

TEST_F(AnimationTest, SpriteLayoutPartsBecomeTheGamesControls) {
  folder_.Write("UI/B.BMP", Bitmap(24, 6));
  tools::LgmDocument document;
  document.parts.push_back({"B.BMP", 1, 5, 6, 255, 1, 0, 0, 4});
  document.parts.push_back({"B.BMP", 6, 20, 6, 255, 0, 0, 0, 0});
  folder_.Write("UI/MENU.LGM", tools::WriteLgm(document, tools::LgmForm::kControl));
  objects_.Controls().SetCanvas(canvas_);
  NativeSession& s = Session();
  EXPECT_EQ(s.Call("NativeLoadSpriteLayout", {s.Text("UI\\NONE.LGM"), 0, 0, 0}), 2u);  // no such file
  ASSERT_EQ(s.Call("NativeLoadSpriteLayout", {s.Text("UI\\MENU.LGM"), 40, 0, 0}), 0u);
  EXPECT_EQ(s.Call("NativeGetSpriteLayoutPartCount", {}), 2u);
  EXPECT_EQ(objects_.Controls().Count(), 2u);
  const std::vector<Control*> hosted = objects_.ControlHost().Controls();
  ASSERT_EQ(hosted.size(), 2u);
  EXPECT_EQ(hosted[0]->GetTag(), 40);
  EXPECT_EQ(hosted[1]->GetTag(), 41);
  EXPECT_FALSE(hosted[1]->IsVisible());
  EXPECT_EQ(s.Call("NativeClearSpriteLayout", {}), 0u);
  EXPECT_EQ(s.Call("NativeGetSpriteLayoutPartCount", {}), 0u);
  objects_.Controls().DeleteAll();
  objects_.Controls().SetCanvas(nullptr);
}

TEST_F(AnimationTest, PlayersDrawIntoObjectsAndTheirReleaseStopsTheirSteppers) {
  folder_.Write("STRIP.BMP", Bitmap(16, 4));
  auto target = std::make_unique<Surface>();
  ASSERT_EQ(target->Create(16, 16, 32, 0), 0);
  const uint32_t targetHandle = drawObjects_.AddImage(std::move(target));
  NativeSession& s = Session();
  const uint32_t marker = NativeArgs::kAbsentMarker;
  EXPECT_EQ(s.Call("NativeCreateAnimationPlayer", {s.Text("STRIP.BMP"), 4, 1, 0, 0, 0, 0, 0, 0, marker}), 1u);
  EXPECT_EQ(s.Call("NativeCreateAnimationPlayer", {s.Text("NONE.BMP"), 4, 1, 0, targetHandle, 0, 0, 0, 0, marker}),
            0u);
  const uint32_t player =
      s.Call("NativeCreateAnimationPlayer", {s.Text("STRIP.BMP"), 4, 1, 0, targetHandle, 2, 3, 0, 0, marker});
  ASSERT_NE(player, 0u);
  ASSERT_EQ(objects_.AnimationPlayers().Count(), 1u);
  const uint32_t stepper = s.Call("NativeStartFrameStepper", {player, 0, 400, 0, 0});
  ASSERT_NE(stepper, 0u);
  EXPECT_EQ(Task<FrameStepper>(stepper)->State()->frameWidth, 4);
  EXPECT_EQ(s.Call("NativeStartFrameStepper", {0, 0, 400, 0, 0}), 0u);

  EXPECT_EQ(s.CallInt("NativeReloadAnimationPlayer", {0, s.Text("STRIP.BMP")}), -2);
  EXPECT_EQ(s.Call("NativeReloadAnimationPlayer", {player, s.Text("STRIP.BMP"), 2, 1, 0, 0}), 1u);
  EXPECT_FALSE(Task<FrameStepper>(stepper)->IsFinished());
  EXPECT_EQ(s.Call("NativeReloadAnimationPlayer",
                   {player, s.Text("STRIP.BMP"), 2, 1, 0, targetHandle, 0, 0, 0, marker}),
            0u);
  EXPECT_TRUE(Task<FrameStepper>(stepper)->IsFinished());  // its tasks go first

  const uint32_t again = s.Call("NativeStartFrameStepper", {player, 0, 400, 0, 0});
  ASSERT_NE(again, 0u);
  const uint32_t cell = s.Var(player);
  EXPECT_EQ(s.Call("NativeReleaseAnimationPlayer", {cell}), 0u);
  EXPECT_EQ(s.Word(cell), 0u);
  EXPECT_TRUE(Task<FrameStepper>(again)->IsFinished());
  EXPECT_EQ(objects_.AnimationPlayers().Count(), 0u);
}

// A strip of four 4 x 4 cells, every byte of cell i being 0x10 x (i + 1).
std::vector<uint8_t> CellStrip() {
  tools::BmpFile file;
  file.width = 16;
  file.height = -4;
  file.bitCount = 32;
  file.data.resize(16 * 4 * 4);
  for (size_t i = 0; i < file.data.size(); ++i) file.data[i] = uint8_t(0x10 * ((i / 4) % 16 / 4 + 1));
  return tools::WriteBmpFile(file);
}

TEST_F(AnimationTest, PlayerFrameQueueStepsDrawsAndAnswersItsImage) {
  folder_.Write("CELLS.BMP", CellStrip());
  uint32_t targets[2] = {};
  for (uint32_t& handle : targets) {
    auto target = std::make_unique<Surface>();
    ASSERT_EQ(target->Create(8, 8, 32, 0), 0);
    handle = drawObjects_.AddImage(std::move(target));
  }
  auto shown = [&] {
    auto* target = dynamic_cast<Surface*>(drawObjects_.GetImage(targets[0]));
    uint32_t value = 0;
    std::memcpy(&value, target->GetScanLine(1) + 4, 4);
    return value & 0xFFFFFFu;
  };
  NativeSession& s = Session();
  const uint32_t marker = NativeArgs::kAbsentMarker;
  const uint32_t player =
      s.Call("NativeCreateAnimationPlayer", {s.Text("CELLS.BMP"), 4, 1, 0, targets[0], 0, 0, 0, 0, marker});
  ASSERT_NE(player, 0u);
  auto* queue = s.Host().Handles().Get<AnimationPlayerPool::Object>(player, HandleFamily::PooledAnimation);
  ASSERT_NE(queue, nullptr);
  queue->QueueFrame(2, 100);
  queue->QueueFrame(1, 50);
  queue->QueueFrame(3, 0);

  // The first step shows the head; removing a waiting entry keeps the head
  // on until its time has run out.
  EXPECT_EQ(s.Call("NativeStepAnimationPlayer", {player, 0}), 0u);
  EXPECT_EQ(shown(), 0x303030u);
  EXPECT_EQ(s.Call("NativeRemoveAnimationFrame", {player, 1}), 0u);
  ASSERT_EQ(queue->Frames().size(), 2u);
  s.Call("NativeStepAnimationPlayer", {player, 99});
  EXPECT_EQ(shown(), 0x303030u);
  s.Call("NativeStepAnimationPlayer", {player, 1});
  EXPECT_EQ(shown(), 0x404040u);
  // A null or released player changes nothing.
  EXPECT_EQ(s.Call("NativeStepAnimationPlayer", {0, 10}), 0u);
  EXPECT_EQ(s.Call("NativeRemoveAnimationFrame", {0, 3}), 0u);

  // Its image: the object it was made on, or the one a reload moved it to.
  EXPECT_EQ(s.Call("NativeGetAnimationPlayerImage", {player}), targets[0]);
  EXPECT_EQ(s.Call("NativeReloadAnimationPlayer",
                   {player, s.Text("CELLS.BMP"), 4, 1, 0, targets[1], 0, 0, 0, marker}),
            0u);
  EXPECT_EQ(s.Call("NativeGetAnimationPlayerImage", {player}), targets[1]);
  EXPECT_TRUE(queue->Frames().empty()) << "a reload starts with an empty queue";
  EXPECT_EQ(s.Call("NativeReloadAnimationPlayer",
                   {player, s.Text("CELLS.BMP"), 4, 1, 0, targets[0], 0, 0, 0, marker}),
            0u);
  EXPECT_EQ(s.Call("NativeGetAnimationPlayerImage", {player}), targets[0]);
  EXPECT_EQ(s.Call("NativeGetAnimationPlayerImage", {0}), 0u);
  EXPECT_EQ(s.Call("NativeReleaseAnimationPlayer", {s.Var(player)}), 0u);
  EXPECT_EQ(s.Call("NativeGetAnimationPlayerImage", {player}), 0u);
}

TEST_F(AnimationTest, SoundLevelTaskRefusesStreamAndMissingSounds) {
  NativeSession& s = Session();
  StreamSound stream(nullptr);
  const uint32_t sound = s.Host().Handles().Insert(static_cast<SoundBase*>(&stream), HandleFamily::Sound);
  EXPECT_EQ(s.Call("NativeStartSoundLevelFrameTask", {0, sound}), 0u);
  EXPECT_EQ(s.Call("NativeStartSoundLevelFrameTask", {0, 0}), 0u);
  EXPECT_EQ(timers_.Size(), 0u);
  EXPECT_EQ(s.Call("NativeReleaseAllAnimationPlayers", {}), 0u);
  EXPECT_EQ(s.Call("NativeReleaseAnimationPlayer", {s.Var(0)}), 1u);
}

TEST(AnimationNativesBinding, AreBoundAndCallableFromAScript) {
  NativeHarness harness;
  const NativeCall call = harness.Call("NativeGetLayoutPartCount", {});
  ASSERT_TRUE(call.Ran());
  for (uint32_t number = 507; number <= 537; ++number) EXPECT_FALSE(harness.Host().IsNotBuilt(number)) << number;
}

}  // namespace
}  // namespace orrivel::testing

namespace orrivel::testing {
namespace {

// A frame stepper over a strip of four 4 x 4 frames at 16 ms a frame.
FrameStepperSetup StripOfFour(Surface* target, Surface* frames) {
  FrameStepperSetup setup;
  setup.target = target;
  setup.frames = frames;
  setup.frameWidth = 4;
  setup.frameHeight = 4;
  setup.frameCount = 4;
  setup.intervalMs = 16;
  return setup;
}

// A strip of four 4x4 cells, cell i filled with the value i + 1.
class VoiceFrameTest : public SoundTestRig {
 protected:
  void SetUp() override {
    SoundTestRig::SetUp();
    ASSERT_EQ(strip_.Create(16, 4, 32, 0), 0);
    for (int32_t cell = 0; cell < 4; ++cell) strip_.FillBox(cell * 4, 0, 4, 4, uint32_t(cell + 1));
    ASSERT_EQ(target_.Create(4, 4, 32, 0), 0);
    target_.FillBox(0, 0, 4, 4, 0xEEEEEEEE);
    ASSERT_EQ(player_.Attach(&stripPort_, 4, this, nullptr, &targetPort_, 0, 0, 0, 0, 0), 0);
  }
  // The colour shown; a strip without alpha leaves the target's own.
  uint32_t Shown() { return reinterpret_cast<uint32_t*>(target_.GetScanLine(2))[2] & 0xFFFFFFu; }

  RasterSurfaceFactory surfaces_;
  Surface strip_, target_;
  RasterSurfacePort stripPort_{&strip_}, targetPort_{&target_};
  AnimationPlayerPool::Object player_{&surfaces_};
  TimerList list_;
};

TEST_F(VoiceFrameTest, FollowsABufferSoundsAmplitudeUntilItStops) {
  // Half a second loud, then half a second quiet.
  std::vector<int16_t> samples(44100, 20000);
  std::fill(samples.begin() + 22050, samples.end(), int16_t(1000));
  WriteMono16("VOICE.TPC", samples);
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("VOICE.TPC", kKeepEnvelope), kBufferOpenOk);
  BufferSound bare(&device);
  ASSERT_EQ(bare.Open("VOICE.TPC", kKeepNoSamples), kBufferOpenOk);
  {
    IntervalTask refused;
    EXPECT_EQ(refused.Start(&list_, &player_, &bare), IntervalTask::kStartMissing);  // no samples in memory
    EXPECT_EQ(refused.Start(&list_, nullptr, &sound), IntervalTask::kStartMissing);
  }
  ASSERT_EQ(sound.Play(), 0);
  auto* task = new IntervalTask();
  ASSERT_EQ(task->Start(&list_, &player_, &sound), IntervalTask::kStartOk);
  EXPECT_EQ(player_.holders, 1);
  Hear(100);
  EXPECT_EQ(task->Step(0), 0);
  EXPECT_EQ(task->CurrentFrame(), 3);
  EXPECT_EQ(Shown(), 4u);  // the loudest cell
  Hear(500);
  EXPECT_EQ(task->Step(0), 0);
  EXPECT_EQ(task->CurrentFrame(), 0);
  EXPECT_EQ(Shown(), 1u);
  Hear(600);
  EXPECT_EQ(task->Step(0), 1);  // the sound has ended
  EXPECT_EQ(player_.holders, 0);
  list_.Clear();

  // Stopped while loud, the picture still comes to rest on the first cell.
  ASSERT_EQ(sound.Play(), 0);
  task = new IntervalTask();
  ASSERT_EQ(task->Start(&list_, &player_, &sound), IntervalTask::kStartOk);
  Hear(100);
  EXPECT_EQ(task->Step(0), 0);
  EXPECT_EQ(Shown(), 4u);
  sound.Stop();
  EXPECT_EQ(task->Step(0), 1);
  EXPECT_EQ(task->CurrentFrame(), 0);
  EXPECT_EQ(Shown(), 1u);
  list_.Clear();
}

// What starting answers, over a frame stepper's state or a player: a task
// that is not started is in no list and holds nothing.
TEST_F(VoiceFrameTest, StartAnswersWhatIsMissing) {
  WriteMono16("VOICE.TPC", std::vector<int16_t>(4410, 20000));
  BufferSound playing(&device), idle(&device), bare(&device);
  for (BufferSound* sound : {&playing, &idle}) ASSERT_EQ(sound->Open("VOICE.TPC", kKeepEnvelope), kBufferOpenOk);
  ASSERT_EQ(bare.Open("VOICE.TPC", kKeepNoSamples), kBufferOpenOk);
  ASSERT_EQ(playing.Play(), 0);
  FrameStepper stepper;
  ASSERT_EQ(stepper.Setup(StripOfFour(&target_, &strip_), 0), FrameStepper::kSetupOk);
  TimerList other;
  auto* held = new IntervalTask();  // the list owns it
  ASSERT_EQ(held->Start(&other, stepper.SharedState(), &playing), IntervalTask::kStartOk);

  struct Row {
    const char* name;
    TimerList* list;
    bool state;
    BufferSound* sound;
    int32_t answer;
  };
  const Row rows[] = {
      {"no list", nullptr, true, &playing, IntervalTask::kStartMissing},
      {"no state", &list_, false, &playing, IntervalTask::kStartMissing},
      {"no sound", &list_, true, nullptr, IntervalTask::kStartMissing},
      {"no samples in memory", &list_, true, &bare, IntervalTask::kStartMissing},
      {"not playing", &list_, true, &idle, IntervalTask::kStartNotPlaying},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    IntervalTask task;
    EXPECT_EQ(task.Start(row.list, row.state ? stepper.SharedState() : nullptr, row.sound), row.answer);
    EXPECT_EQ(task.Handle(), 0u);
    IntervalTask overPlayer;
    EXPECT_EQ(overPlayer.Start(row.list, row.state ? &player_ : nullptr, row.sound), row.answer);
    EXPECT_EQ(player_.holders, 0);
  }
  EXPECT_EQ(list_.Size(), 0u);
  // A task another list holds is refused and goes on as it was.
  EXPECT_EQ(held->Start(&list_, stepper.SharedState(), &playing), IntervalTask::kStartListRefused);
  EXPECT_EQ(held->Start(&list_, &player_, &playing), IntervalTask::kStartListRefused);
  EXPECT_EQ(player_.holders, 0);
  EXPECT_EQ(list_.Size(), 0u);
  Hear(20);
  EXPECT_EQ(held->Step(0), 0);
  EXPECT_EQ(held->CurrentFrame(), 3);
  other.Clear();
}

// Over a frame stepper's state: each frame the voice picks is drawn over
// the background saved when the voice began (draw kind 1 blends cells
// whose right half is clear), every listener of the state hears of it, and
// the stepper may go first.
TEST_F(VoiceFrameTest, DrawsOverTheStatesBackgroundAndTellsItsListeners) {
  // Levels scale to the loudest stretch: 2000 of 20000 is cell 1 of four.
  std::vector<int16_t> samples(Frames(200), 20000);
  samples.resize(Frames(400), 2000);
  WriteMono16("VOICE.TPC", samples);
  BufferSound sound(&device);
  ASSERT_EQ(sound.Open("VOICE.TPC", kKeepEnvelope), kBufferOpenOk);
  Surface frames, target;
  ASSERT_EQ(frames.Create(16, 4, 32, 0), 0);
  frames.FillBox(0, 0, 16, 4, 0);
  for (int32_t cell = 0; cell < 4; ++cell) frames.FillBox(cell * 4, 0, 2, 4, 0xFF000000u + 0x101010u * uint32_t(cell + 1));
  ASSERT_EQ(target.Create(8, 8, 32, 0), 0);
  target.FillBox(0, 0, 8, 8, 0x111111);
  struct Listener final : SpriteListOwner {
    int AddDirty(const Rect* rect) override {
      rects.push_back(*rect);
      return 1;
    }
    std::vector<Rect> rects;
  } first, second;
  auto* stepper = new FrameStepper();
  FrameStepperSetup setup = StripOfFour(&target, &frames);
  setup.x = 2;
  setup.y = 3;
  setup.frameHeight = 1;  // the voice reads the height from the strip
  setup.drawKind = 1;
  setup.keepBackground = true;
  setup.restingValue = -1;
  ASSERT_EQ(stepper->Setup(setup, 0), FrameStepper::kSetupOk);
  ASSERT_EQ(list_.Add(stepper, 0, 16, 0), 0);
  stepper->State()->listeners = {&first, &second};
  // The scene under the mouth changes after the stepper was made.
  target.FillBox(0, 0, 8, 8, 0x222222);
  ASSERT_EQ(sound.Play(), 0);
  auto* task = new IntervalTask();
  ASSERT_EQ(task->Start(&list_, stepper->SharedState(), &sound), IntervalTask::kStartOk);
  list_.Stop(stepper->Handle());

  auto pixel = [&](int32_t x, int32_t y) { return reinterpret_cast<uint32_t*>(target.GetScanLine(y))[x] & 0xFFFFFFu; };
  struct Expect {
    uint32_t hearMs;
    int32_t frame;
  };
  for (const Expect& at : {Expect{100, 3}, Expect{200, 1}}) {
    SCOPED_TRACE(at.hearMs);
    Hear(at.hearMs);
    list_.Step(0);
    EXPECT_EQ(task->CurrentFrame(), at.frame);
    const uint32_t grey = 0x101010u * uint32_t(at.frame + 1);
    EXPECT_EQ(pixel(2, 3), grey);
    EXPECT_EQ(pixel(3, 6), grey) << "the whole strip's height";
    EXPECT_EQ(pixel(4, 3), 0x222222u) << "the background saved when the voice began";
  }
  Hear(300);
  list_.Step(0);
  EXPECT_EQ(list_.Size(), 0u);
  EXPECT_EQ(pixel(2, 3), 0x202020u) << "rests on the frame the state names";
  EXPECT_EQ(pixel(5, 3), 0x222222u);
  const Rect area{2, 3, 6, 7};
  ASSERT_EQ(first.rects.size(), 3u);
  EXPECT_EQ(first.rects, second.rects);
  for (const Rect& rect : first.rects) EXPECT_EQ(rect, area);
}

// Through the natives, as a script moves a mouth with a voice: a player's
// strip on a picture object follows a loose buffer sound's loudness as the
// sound plays, and rests on the first cell when it ends; over the frame
// stepper a script started for the player, the stepper's background shows
// under clear parts of the cells.
class VoiceFrameNativesTest : public SoundNativesRig {
 protected:
  void SetUp() override {
    setup.drawObjects = &drawObjects_;
    SoundNativesRig::SetUp();
    loader_.RegisterBuiltInDecoders();
    loader_.SetCacheLimit(0);
    oldLoader_ = Surface::SetLoaderManager(&loader_);
    // Cells of 4 x 4: the left half opaque grey 0x10 x (cell + 1), the right
    // half clear.
    tools::BmpFile file;
    file.width = 16;
    file.height = -4;
    file.bitCount = 32;
    file.data.assign(16 * 4 * 4, 0);
    for (int32_t y = 0; y < 4; ++y) {
      for (int32_t x = 0; x < 16; ++x) {
        if (x % 4 >= 2) continue;
        uint8_t* at = &file.data[size_t(y * 16 + x) * 4];
        std::memset(at, 0x10 * (x / 4 + 1), 3);
        at[3] = 0xFF;
      }
    }
    folder_.Write("MOUTH.BMP", tools::WriteBmpFile(file));
    auto target = std::make_unique<Surface>();
    ASSERT_EQ(target->Create(8, 8, 32, 0), 0);
    target->FillBox(0, 0, 8, 8, 0x111111);
    target_ = target.get();
    targetHandle_ = drawObjects_.AddImage(std::move(target));
    // 200 ms at each of three levels: cells 3, 2 and 1 of four (a level
    // scales to the loudest stretch).
    std::vector<int16_t> samples(Frames(200), 20000);
    samples.resize(Frames(400), 3000);
    samples.resize(Frames(600), 2000);
    WriteMono16("VOICE.TPC", samples);
  }
  void TearDown() override {
    list.Clear();
    objects.ReleasePools();
    SoundNativesRig::TearDown();
    Surface::SetLoaderManager(oldLoader_);
  }
  uint32_t Pixel(int32_t x, int32_t y) { return reinterpret_cast<uint32_t*>(target_->GetScanLine(y))[x] & 0xFFFFFFu; }
  uint32_t MakePlayer() {
    return Call(529, {Text("MOUTH.BMP"), 4, 1, 0, targetHandle_, 2, 3, 0, 0, NativeArgs::kAbsentMarker});
  }
  uint32_t PlayVoice() {
    const uint32_t sound = Call(600, {Text("VOICE.TPC"), 2});
    EXPECT_NE(sound, 0u);
    EXPECT_EQ(Call(605, {sound}), 0u);
    return sound;
  }

  DrawObjectManager drawObjects_;
  ImageLoaderManager loader_;
  ImageLoaderManager* oldLoader_ = nullptr;
  Surface* target_ = nullptr;
  uint32_t targetHandle_ = 0;
};

TEST_F(VoiceFrameNativesTest, AMouthFollowsAPlayedVoiceAndRestsWhenItEnds) {
  const uint32_t player = MakePlayer();
  ASSERT_NE(player, 0u);
  const uint32_t idle = Call(600, {Text("VOICE.TPC"), 2});
  EXPECT_EQ(Call(536, {player, idle}), 0u) << "a voice not playing";
  const uint32_t sound = PlayVoice();
  const uint32_t task = Call(536, {player, sound});
  ASSERT_NE(task, 0u);
  struct Expect {
    uint32_t runMs;
    uint32_t grey;
  };
  for (const Expect& at : {Expect{100, 0x404040}, Expect{200, 0x303030}, Expect{200, 0x202020}, Expect{200, 0x101010}}) {
    SCOPED_TRACE(at.runMs);
    Run(at.runMs, 10);
    EXPECT_EQ(Pixel(2, 3), at.grey);
    EXPECT_EQ(Pixel(5, 6), 0u) << "the clear half of the cell, drawn plainly";
  }
  EXPECT_EQ(list.Size(), 0u) << "the task ends with the voice";
  // Released with its player while the voice still plays.
  PlayVoice();
  const uint32_t again = Call(536, {player, Call(600, {Text("VOICE.TPC"), 2})});
  EXPECT_EQ(again, 0u) << "that sound was never played";
  const uint32_t sound2 = PlayVoice();
  ASSERT_NE(Call(536, {player, sound2}), 0u);
  Run(50, 10);
  EXPECT_EQ(list.Size(), 1u);
  EXPECT_EQ(Call(532, {calls->Word(player)}), 0u);
  Run(10, 10);  // a stopped task leaves the list at its next step
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(objects.AnimationPlayers().Count(), 0u);
}

TEST_F(VoiceFrameNativesTest, OverAFrameSteppersStateTheSavedBackgroundShows) {
  const uint32_t player = MakePlayer();
  ASSERT_NE(player, 0u);
  // Draw kind 1 with a kept background; one cycle of 1 ms, then a long wait.
  const uint32_t stepper = Call(535, {player, 1, 1, 100000, 1});
  ASSERT_NE(stepper, 0u);
  Run(20, 10);
  EXPECT_EQ(Pixel(2, 3), 0x101010u);
  EXPECT_EQ(Pixel(4, 3), 0x111111u);
  // The scene under the mouth changes; the voice keeps what lies there now.
  target_->FillBox(0, 0, 8, 8, 0x222222);
  const uint32_t sound = PlayVoice();
  const uint32_t task = Call(536, {stepper, sound});
  ASSERT_NE(task, 0u);
  for (const uint32_t grey : {0x404040u, 0x303030u, 0x202020u}) {
    Run(grey == 0x404040u ? 100 : 200, 10);
    EXPECT_EQ(Pixel(3, 6), grey);
    EXPECT_EQ(Pixel(4, 3), 0x222222u);
  }
  Run(200, 10);
  EXPECT_EQ(Pixel(2, 3), 0x101010u) << "the resting frame";
  EXPECT_EQ(Pixel(5, 6), 0x222222u);
  EXPECT_EQ(Call(536, {stepper, PlayVoice()}) != 0u, true);
  EXPECT_EQ(Call(533, {}), 0u);
  Run(10, 10);
  EXPECT_EQ(list.Size(), 0u) << "both tasks go with the players";
}

}  // namespace
}  // namespace orrivel::testing

namespace orrivel::testing {
namespace {

// A script deletes the voice a mouth moves with while it moves (by
// handle, or all sounds at once, or the sound system goes): the task must
// let go of the sound and end, over a player or over a frame stepper, the
// voice's handle is refused from then on, and releasing the player
// afterwards stays quiet.
class VoiceFrameDeletionTest;

struct MouthDeletion {
  const char* name;
  std::function<void(VoiceFrameDeletionTest&, uint32_t sound)> remove;
};

class VoiceFrameDeletionTest : public VoiceFrameNativesTest,
                               public ::testing::WithParamInterface<std::tuple<MouthDeletion, bool>> {
 public:
  uint32_t Do(uint32_t native, const std::vector<uint32_t>& cells) { return Call(native, cells); }
  uint32_t Var(uint32_t value) { return calls->Word(value); }
  void DeleteEverySound() { system.DeleteAllSounds(); }
};

void PrintTo(const MouthDeletion& deletion, std::ostream* out) { *out << deletion.name; }

const MouthDeletion kMouthDeletions[] = {
    {"DeleteSound", [](VoiceFrameDeletionTest& t, uint32_t sound) { EXPECT_EQ(t.Do(604, {t.Var(sound)}), 0u); }},
    {"DeleteAllSounds", [](VoiceFrameDeletionTest& t, uint32_t) { EXPECT_EQ(t.Do(599, {}), 0u); }},
    // The sound system's own teardown, which no native's bookkeeping sees.
    {"SoundSystemTeardown", [](VoiceFrameDeletionTest& t, uint32_t) { t.DeleteEverySound(); }},
};

TEST_P(VoiceFrameDeletionTest, TheMouthEndsWithoutReachingWhatWent) {
  const auto& [deletion, overStepper] = GetParam();
  const uint32_t player = MakePlayer();
  ASSERT_NE(player, 0u);
  uint32_t over = player;
  if (overStepper) {
    over = Call(535, {player, 1, 1, 100000, 1});
    ASSERT_NE(over, 0u);
    Run(20, 10);
  }
  const uint32_t sound = PlayVoice();
  ASSERT_NE(Call(536, {over, sound}), 0u);
  Run(50, 10);
  deletion.remove(*this, sound);
  EXPECT_EQ(Call(536, {over, sound}), 0u) << "the deleted voice's handle is refused";
  Run(300, 10);
  EXPECT_EQ(Call(532, {Var(player)}), 0u);
  Run(700, 10);
  EXPECT_EQ(list.Size(), 0u);
}

std::string MouthRowName(const ::testing::TestParamInfo<std::tuple<MouthDeletion, bool>>& info) {
  return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_OverStepper" : "_OverPlayer");
}

INSTANTIATE_TEST_SUITE_P(EveryDeletion, VoiceFrameDeletionTest,
                         ::testing::Combine(::testing::ValuesIn(kMouthDeletions), ::testing::Bool()), MouthRowName);

}  // namespace
}  // namespace orrivel::testing
