// The layer effects of the frame: the action each command asks for, where
// it is held, what the effect slots record, the end states applied at once
// when effects are off, and the waits.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "LayerSetsFixture.h"
#include "effect/LayerAction.h"
#include "effect/SpritePartsAction.h"

namespace orrivel {
namespace {

class LayerEffectsTest : public test::LayerSetsTest {
 protected:
  void SetUp() override {
    LayerSetsTest::SetUp();
    test::WriteEffectPictures(pictures_);
    ASSERT_EQ(sets_->LoadLayerImage("BG01A.ELG", 0), 0);
    ASSERT_EQ(sets_->LoadLayerImage("BG02A.ELG", 1), 0);
  }

  // Actions listed and not finished.
  size_t Running() const {
    size_t n = 0;
    for (TimedTask* task : timers_.Tasks())
      if (task && !task->IsFinished()) ++n;
    return n;
  }
  const EffectSlotRecord& Record(size_t slot) { return sets_->GetEffectSlot(slot).record; }
};

TEST_F(LayerEffectsTest, ZoomAndRotationRunOrLeaveTheirEndStates) {
  TgsLayerSets& s = *sets_;
  const LayerRecord& r = s.GetLayer(0).record;
  ASSERT_EQ(s.StartBgZoom(0, 640, 360, "2.0", nullptr, 500), 0);
  const ActionHolder first = s.GetLayer(0).effect;
  ASSERT_TRUE(s.HolderRunning(first));
  EXPECT_STREQ(s.ActionOf(first)->GetName(), "bg_zoom");
  EXPECT_EQ(Running(), 1u);
  const LayerRecord running = r;
  EXPECT_EQ(running.zoomLeft, 320);
  EXPECT_EQ(running.zoomBottom, 540);

  // A second effect on the set ends the first.
  ASSERT_EQ(s.StartBgRot(0, 128, "1.5", 640, 360, nullptr, 500), 0);
  EXPECT_FALSE(s.HolderRunning(first));
  EXPECT_STREQ(s.ActionOf(s.GetLayer(0).effect)->GetName(), "bg_rot");
  EXPECT_EQ(r.rotationAngle, 128);
  EXPECT_FLOAT_EQ(r.rotationScale, 1.5f);
  EXPECT_FALSE(r.HasZoom());

  // Effects off, or skipping: the same end states with nothing on the list.
  for (int way = 0; way < 2; ++way) {
    effectsOn_ = way == 0 ? false : true;
    skipping_ = way == 1;
    ASSERT_EQ(s.StartBgZoom(0, 640, 360, "2.0", nullptr, 500), 0);
    EXPECT_EQ(Running(), 0u);
    EXPECT_EQ(std::memcmp(&r, &running, sizeof r), 0);
    EXPECT_EQ(Canvas(0).StretchSource().left, 320);
    ASSERT_EQ(s.StartBgRot(0, 128, "1.5", 640, 360, nullptr, 500), 0);
    EXPECT_EQ(Running(), 0u);
    EXPECT_EQ(Canvas(0).BackgroundAngle(), 128);
    EXPECT_FLOAT_EQ(r.rotationScale, 1.5f);
  }
  // Without the registry's entries the end state cannot be had.
  effectsOn_ = false;
  s.Environment().actions = nullptr;
  EXPECT_EQ(s.StartBgZoom(0, 640, 360, "2.0", nullptr, 500), -2);
  EXPECT_EQ(s.StartBgPanime(0, "path", 100, 0, 0, -1), 2);  // -2 + 4
}

TEST_F(LayerEffectsTest, CommandsWriteTheirSlotRecords) {
  TgsLayerSets& s = *sets_;
  struct Case {
    const char* what;
    std::function<int32_t()> start;
    size_t slot;
    int32_t kind;
    int32_t p[6];
    const char* name;
  };
  const std::string longest(47, 'm');
  const Case cases[] = {
      {"noise", [&] { return s.StartNoise(0, 128, 1, 0); }, 0, 1, {128, 1, 0}, ""},
      {"quake", [&] { return s.StartQuake(6, 4, 3, 0, 500, 0, 1, 0, 0, 0); }, 0, 3, {6, 4, 3, 0, 1, 0}, ""},
      {"rast", [&] { return s.StartBgDistortion(1, 0, 8, 4, 100, -2, 0, 0, 1); }, 2, 4, {1, 8, 4, 100, 0, 1}, ""},
      {"haze", [&] { return s.StartBgDistortion(0, 2, 8, 4, 100, -1, 0, 0, 1); }, 1, 6, {0, 8, 4, 100, 0, 1}, ""},
      {"loop", [&] { return s.StartBgLoop(1, 2, 400, 0); }, 0, 7, {1, 2, 400}, ""},
      {"cross", [&] { return s.StartBgCross(300, -1, 2, 1); }, 1, 10, {300, 2, 1}, ""},
      {"snow", [&] { return s.StartWeather(2, 2, 30, 1, longest.c_str(), 1, 0); }, 2, 13, {30, 1, 0, 1}, longest.c_str()},
  };
  // With effects off every record is written and nothing runs.
  effectsOn_ = false;
  for (const Case& c : cases) {
    ASSERT_EQ(c.start(), 0) << c.what;
    const EffectSlotRecord& r = Record(c.slot);
    EXPECT_EQ(r.kind, c.kind) << c.what;
    EXPECT_TRUE(std::equal(std::begin(c.p), std::end(c.p), r.p)) << c.what;
    EXPECT_STREQ(r.name, c.name) << c.what;
    EXPECT_EQ(Running(), 0u) << c.what;
  }
  // With effects on, the overlay effects run in their slots.
  effectsOn_ = true;
  ASSERT_EQ(s.StartNoise(0, 128, 1, 0), 0);
  EXPECT_STREQ(s.ActionOf(s.GetEffectSlot(0).holder)->GetName(), "noise");
  ASSERT_EQ(s.StartWeather(1, 2, 30, 1, nullptr, 1, 1), 0);
  EXPECT_EQ(Record(1).kind, 13);
  EXPECT_EQ(Running(), 2u);

  // Refusals: slots past 2, names that do not fit a record.
  const std::string tooLong(48, 'm');
  EXPECT_EQ(s.StartNoise(3, 0, 0, 0), 1);
  EXPECT_EQ(s.StartWeather(0, 4, 1, 0, nullptr, 0, 0), 1);
  EXPECT_EQ(s.StartWeather(0, 1, 1, 0, tooLong.c_str(), 0, 0), 1);
  EXPECT_EQ(s.StartSpMovie(tooLong.c_str(), 0, 0, 0, 0, 0, 0), 2);
  EXPECT_EQ(s.StartSpMovie(nullptr, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(s.StartBgPanime(0, tooLong.c_str(), 0, 0, 0, 1), 2);
  EXPECT_EQ(s.StartSpParts(tooLong.c_str(), 0, 0, 1, 0, 0, 0), 3);
  EXPECT_EQ(s.StartSpParts("PARTS", 0, 0, -1, 0, 1, 0), 2);
  EXPECT_EQ(s.StartBgDistortion(0, 4, 0, 0, 0, 0, 0, 0, 0), 1);

  // A name nobody registered leaves kind 0 and no effect.
  DcpManager empty;
  s.Environment().actions = &empty;
  EXPECT_EQ(s.StartNoise(2, 1, 1, 1), 2);
  EXPECT_EQ(Record(2).kind, 0);
  EXPECT_FALSE(s.HolderRunning(s.GetEffectSlot(2).holder));
}

// Layer 2 puts a parts figure on the front display and on the back one
// paired with it, each shown by its own byte; another layer puts it on its
// own display, shown whatever the bytes hold.
TEST_F(LayerEffectsTest, PartsFigureOfLayerTwoIsOnBothDisplays) {
  TgsLayerSets& s = *sets_;
  pictures_.Write("SYS/EYE.ELG", test::ElgPicture(8, 8, 0, 0, [](int, int) { return 0xFF102030u; }));
  const std::string table = "*EYE.ELG\r\n0,0\r\nt100\r\n4,0\r\n";
  pictures_.Write("SYS/FIG.TXT", std::vector<uint8_t>(table.begin(), table.end()));
  const auto figure = [&s](size_t slot) {
    return dynamic_cast<SpritePartsAction*>(s.ActionOf(s.GetEffectSlot(slot).holder));
  };
  // Not paired yet: the figure cannot reach the back display.
  EXPECT_EQ(s.StartSpParts("SYS/FIG.TXT", 10, 2, 0, 0, 1, 0), 4);
  ASSERT_EQ(displays_[0].SetPairedImage(&displays_[1]), 0);
  ASSERT_EQ(s.StartSpParts("SYS/FIG.TXT", 10, 2, 0, 0, 1, 0), 0);
  ASSERT_NE(figure(0), nullptr);
  const PartRecord& both = *figure(0)->GetPart(0);
  EXPECT_EQ(both.mainSprite.OwningList(), &Canvas(0).MainList());
  EXPECT_EQ(both.mirrorSprite.OwningList(), &Canvas(1).MainList());
  EXPECT_FALSE(both.mainSprite.IsVisible());
  EXPECT_TRUE(both.mirrorSprite.IsVisible());
  EXPECT_EQ(Record(0).p[3], 2);

  ASSERT_EQ(s.StartSpParts("SYS/FIG.TXT", 10, 1, 1, 0, 0, 0), 0);
  ASSERT_NE(figure(1), nullptr);
  const PartRecord& back = *figure(1)->GetPart(0);
  EXPECT_EQ(back.mainSprite.OwningList(), &Canvas(1).MainList());
  EXPECT_EQ(back.mirrorSprite.OwningList(), nullptr);
  EXPECT_TRUE(back.mainSprite.IsVisible());
  displays_[0].SetPairedImage(nullptr);
}

TEST_F(LayerEffectsTest, SlotsAreControlledEndedAndClearedWithTheirLayer) {
  TgsLayerSets& s = *sets_;
  ASSERT_EQ(s.StartNoise(0, 128, 1, 1), 0);
  ASSERT_EQ(s.StartWeather(1, 2, 20, 0, nullptr, 1, 1), 0);
  EXPECT_EQ(s.ControlEffectSlot(0, 0, 1), 0);
  EXPECT_EQ(Record(0).p[1], 0);
  EXPECT_EQ(Record(0).p[2], 1);
  EXPECT_EQ(s.ControlEffectSlot(1, 1, 0), 0);
  EXPECT_EQ(s.ControlEffectSlot(2, 1, 0), 1);  // nothing runs there
  EXPECT_EQ(s.ControlEffectSlot(3, 1, 0), 1);

  // Graceful: the weather is asked to stop and ends by itself.
  EXPECT_EQ(s.EndEffectSlot(1, false), 0);
  EXPECT_EQ(Record(1).kind, 0);
  EXPECT_TRUE(s.HolderRunning(s.GetEffectSlot(1).holder));
  // Immediate: released at once.
  EXPECT_EQ(s.EndEffectSlot(0, true), 0);
  EXPECT_FALSE(s.HolderRunning(s.GetEffectSlot(0).holder));
  EXPECT_EQ(s.EndEffectSlot(5, true), 1);

  // Layer work ends the slots of its own set only (and every cross).
  effectsOn_ = false;
  ASSERT_EQ(s.StartBgLoop(1, 2, 400, 0), 0);
  ASSERT_EQ(s.StartBgDistortion(0, 0, 8, 4, 100, -1, 0, 0, 1), 0);
  ASSERT_EQ(s.StartBgCross(300, -2, 2, 1), 0);
  ASSERT_EQ(s.SetLayerPosition(0, 0, 0), 0);
  EXPECT_EQ(Record(0).kind, 7);
  EXPECT_EQ(Record(1).kind, 0);
  EXPECT_EQ(Record(2).kind, 0);
  ASSERT_EQ(s.ClearLayer(0, 1), 0);
  EXPECT_EQ(Record(0).kind, 0);
}

TEST_F(LayerEffectsTest, WaitsEndSkipOrQuit) {
  TgsLayerSets& s = *sets_;
  ActionHolder& holder = s.GetLayer(0).effect;
  // Ends by itself: 0, the holder emptied.
  ASSERT_EQ(s.StartBgZoom(0, 640, 360, "2.0", nullptr, 100), 0);
  EXPECT_EQ(s.WaitForAction(holder, true), 0);
  EXPECT_TRUE(holder.Empty());
  EXPECT_GE(pumps_, 6);
  EXPECT_EQ(s.WaitForAction(holder, true), 0);  // nothing held

  // Skipped: removed at once, 1.
  ASSERT_EQ(s.StartBgZoom(0, 640, 360, "2.0", nullptr, 100000), 0);
  const ActionHolder held = holder;
  skipping_ = true;
  closeAfter_ = pumps_ + 3;
  // An unskippable wait ignores the skip; the pump closing ends it.
  EXPECT_EQ(s.WaitForAction(holder, false), -1);
  EXPECT_FALSE(holder.Empty());
  closeAfter_ = 1000;
  EXPECT_EQ(s.WaitForAction(holder, true), 1);
  EXPECT_TRUE(holder.Empty());
  EXPECT_FALSE(s.HolderRunning(held));
  skipping_ = false;

  // The quake holder of a set waits the same way.
  ASSERT_EQ(s.StartQuake(4, 4, 4, 1, 200, 0, 1, 1, 1, 0), 0);
  ASSERT_TRUE(s.HolderRunning(s.GetLayer(1).quake));
  EXPECT_EQ(s.WaitQuake(1, false), 0);
  ASSERT_EQ(s.StartQuake(4, 4, 4, 1, 0, 0, 1, 1, 0, 0), 0);
  EXPECT_EQ(s.StopQuake(0), 0);
  EXPECT_FALSE(s.HolderRunning(s.GetLayer(0).quake));
}

TEST_F(LayerEffectsTest, SpriteActionsFadeAnimateAndWait) {
  TgsLayerSets& s = *sets_;
  EXPECT_EQ(s.StartSpCrossFade(0, nullptr, 0, 100, 0, 0), 2);  // empty slot, no name
  EXPECT_EQ(s.StartSpCrossFade(5, "ABC01.ELG", 0, 100, 0, 0), 1);
  ASSERT_EQ(s.StartSpCrossFade(0, "ABC01.ELG", -1, 100, 0, 0), 0);
  TgsLayerSets::SpriteSlot& slot = *s.FindSprite(0, 0, 0);
  EXPECT_EQ(slot.record.x, 640);  // a new sprite comes at place 0
  EXPECT_EQ(s.WaitSpriteAction(0, 0, 0, false), 0);

  // To another picture: the old one fades out on the canvas, then goes.
  ASSERT_EQ(s.StartSpCrossFade(0, "XYZ01.ELG", 1, 100, 0, 0), 0);
  ASSERT_NE(slot.outgoing, nullptr);
  EXPECT_STREQ(s.ActionOf(slot.action)->GetName(), "sp_cfade");
  EXPECT_EQ(slot.record.x, 320);
  EXPECT_EQ(s.WaitSpriteAction(0, 0, 0, true), 0);
  EXPECT_EQ(s.StartSpCrossFade(0, "xyz01.elg", -1, 100, 0, 0), 0);
  EXPECT_FALSE(s.HolderRunning(slot.action));
  EXPECT_EQ(s.StartSpCrossFade(0, "MISSING.ELG", 0, 100, 0, 0), 4);
  EXPECT_EQ(slot.outgoing, nullptr);
  skipping_ = true;
  ASSERT_EQ(s.StartSpCrossFade(0, "ABC01.ELG", 0, 100, 0, 0), 0);
  EXPECT_EQ(slot.outgoing, nullptr);
  EXPECT_EQ(Running(), 0u);
  skipping_ = false;

  // The path animation: its end state is recorded at the start, and the
  // slot keeps it to start again after a load.
  const std::string tooLong(48, 'p');
  EXPECT_EQ(s.StartSpPanime(1, 0, 0, "p1,1", 100, false), 2);  // no sprite
  EXPECT_EQ(s.StartSpPanime(0, 0, 0, tooLong.c_str(), 100, false), 3);
  ASSERT_EQ(s.StartSpPanime(0, 0, 0, "p100,20O77", 400, true), 0);
  EXPECT_EQ(slot.record.actionKind, SpriteSlotRecord::kPanimeAction);
  EXPECT_EQ(slot.record.actionWord, 400);
  EXPECT_STREQ(slot.record.actionName, "p100,20O77");
  // The keys move the sprite from where it stands (its top-left at 540, 320).
  EXPECT_EQ(slot.record.x, slot.record.baseX + 640);
  EXPECT_EQ(slot.record.y, slot.record.baseY + 340);
  EXPECT_EQ(slot.record.alpha, 77);
  // An endless action is not waited for: released, 2.
  EXPECT_EQ(s.WaitSpriteAction(0, 0, 0, true), 2);
  EXPECT_FALSE(s.HolderRunning(slot.action));
  EXPECT_EQ(s.WaitSpriteAction(9, 0, 0, true), 3);

  // Effects off: the end state at once, nothing on the list.
  effectsOn_ = false;
  ASSERT_EQ(s.StartSpPanime(0, 0, 0, "p30,40O90", 400, false), 0);
  EXPECT_EQ(Running(), 0u);
  EXPECT_EQ(slot.record.x, slot.record.baseX + slot.sprite->GetX());
  EXPECT_EQ(slot.record.y, slot.record.baseY + slot.sprite->GetY());
  EXPECT_EQ(slot.sprite->GetOpacity(), 90);
  EXPECT_EQ(slot.record.alpha, 90);
  EXPECT_EQ(s.StopSpriteAction(0, 0, 0, true), 0);
  EXPECT_EQ(s.StopSpriteAction(9, 0, 0, true), 1);

  // Parts tables: a listed character's own table; kept for a load.
  EXPECT_EQ(s.LoadSpPartsTable(1, 0, 0, true, 3), 2);  // no sprite
  ASSERT_EQ(s.ParseSpriteName(1, "XYZ01.ELG", 0, 0), 0);
  EXPECT_EQ(s.LoadSpPartsTable(1, 0, 0, true, 3), 3);  // not a listed character
  ASSERT_EQ(s.LoadSpPartsTable(0, 0, 0, true, 3), 0);  // effects off: recorded only
  EXPECT_EQ(slot.record.actionKind, SpriteSlotRecord::kPartsAction);
  EXPECT_EQ(slot.record.actionWord, 3);
  effectsOn_ = true;
  EXPECT_EQ(s.LoadSpPartsTable(0, 0, 0, true, 3), 4);  // "SYS/CA040.TXT" is not there
  EXPECT_EQ(slot.record.actionKind, SpriteSlotRecord::kNoAction);
}

TEST_F(LayerEffectsTest, LayerAnimationsTakeRequestsAndWaits) {
  TgsLayerSets& s = *sets_;
  test::WriteOpeningAnimation(pictures_);

  EXPECT_EQ(s.ControlLayerAnimation(0, 7, 0, 0), 1);
  EXPECT_EQ(s.ControlLayerAnimation(0, 1, 0, 0), 2);  // none
  EXPECT_EQ(s.SetLayerAnimation("MISSING.LAD", 0, 0, 0), 1);
  EXPECT_STREQ(s.GetLayer(0).record.animationName, "MISSING.LAD");
  EXPECT_EQ(s.SetLayerMovie("OPENING.MPG", 0), 2);  // no movie action here
  EXPECT_EQ(s.GetLayer(0).record.animationSequence, -1);

  ASSERT_EQ(s.SetLayerAnimation("OPENING.LAD", -3, 0, 0), 0);
  const LayerRecord& r = s.GetLayer(0).record;
  EXPECT_EQ(r.animationSequence, 0);
  ASSERT_TRUE(s.HolderRunning(s.GetLayer(0).animation));
  ASSERT_EQ(s.ControlLayerAnimation(0, 1, 0, 0), 0);
  EXPECT_EQ(r.animationState, 1u);
  EXPECT_EQ(r.imageName[0], '\0');
  EXPECT_STREQ(r.animationName, "OPENING.LAD");
  EXPECT_EQ(s.WaitLayerAnimation(0, false), 0);
  EXPECT_EQ(r.animationState, 0u);

  // Skipped: told to stop, 1; closing: -1.
  ASSERT_EQ(s.SetLayerAnimation("OPENING.LAD", 0, 0, 0), 0);
  ASSERT_EQ(s.ControlLayerAnimation(0, 1, 0, 0), 0);
  skipping_ = true;
  EXPECT_EQ(s.WaitLayerAnimation(0, true), 1);
  skipping_ = false;
  ASSERT_EQ(s.SetLayerAnimation("OPENING.LAD", 0, 0, 0), 0);
  ASSERT_EQ(s.ControlLayerAnimation(0, 1, 0, 0), 0);
  closeAfter_ = pumps_;
  EXPECT_EQ(s.WaitLayerAnimation(0, true), -1);
}

}  // namespace
}  // namespace orrivel
