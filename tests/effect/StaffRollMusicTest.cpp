// The staff roll over music: the scroll takes the music's length, and the
// music fades with the lines and stops at the end.
#include <gtest/gtest.h>

#include "CrLfText.h"
#include "effect/StaffRoll.h"
#include "scene/CanvasDrawObject.h"
#include "sound/SoundManager.h"
#include "sound/SoundManagerRig.h"
#include "sound/SoundTask.h"

namespace orrivel {
namespace {

class StaffRollMusic : public testing::SoundManagerRig {
 protected:
  void SetUp() override {
    SoundManagerRig::SetUp();
    ASSERT_EQ(layer_.Prepare(320, 40, 32, 1), 0);
    oldSound_ = SetSoundManager(&sound);
  }
  void TearDown() override {
    list.Clear();
    SetSoundManager(oldSound_);
    SoundManagerRig::TearDown();
  }
  void WriteLayout(const std::string& text) { folder_.Write("staff.txt", testing::WithCrLf(text)); }
  bool MusicFading() const {
    for (TimedTask* task : list.Tasks()) {
      if (task->GetTypeId() == SoundTask::kMusicVolumeType) return true;
    }
    return false;
  }

  CanvasDrawObject layer_;
  SoundManager* oldSound_ = nullptr;

  // Set up from the layout; the owner slot tells when the list deleted it.
  StaffRoll* Make(const std::string& layout) {
    WriteLayout(layout);
    auto* roll = new StaffRoll();
    if (roll->Setup(&list, &layer_, {"staff.txt"}) != 0) {
      delete roll;
      return nullptr;
    }
    roll->SetOwnerSlot(&slot_);
    slot_ = roll;
    return roll;
  }
  TimedTask* slot_ = nullptr;
};

TEST_F(StaffRollMusic, WithoutATimeTheScrollTakesTheMusicsLength) {
  WriteDc("BGM.TPC", 2000);
  StaffRoll* roll = Make("init , \"BGM.TPC\"\ntext 0, 100, \"A\"\n");
  ASSERT_NE(roll, nullptr);
  EXPECT_FALSE(sound.IsMusicActive());
  Run(50);
  ASSERT_TRUE(sound.IsMusicActive());
  EXPECT_EQ(roll->ScrollMs(), 2000u);
  const int32_t total = roll->TotalHeight();
  Run(1000);
  EXPECT_EQ(roll->Lines()[0]->sprite.GetY(), 100 - total / 2);
  Run(950);
  ASSERT_NE(slot_, nullptr);
  Run(50);
  EXPECT_EQ(slot_, nullptr);
  EXPECT_FALSE(sound.IsMusicActive());
}

TEST_F(StaffRollMusic, TheMusicFadesWithTheLinesThenStops) {
  WriteDc("BGM.TPC", 4000);
  StaffRoll* roll = Make("init 1000, \"BGM.TPC\"\ntext 0, 100, \"A\"\nend 0, 0, 500, 0\n");
  ASSERT_NE(roll, nullptr);
  const ImageSprite& line = roll->Lines()[0]->sprite;
  Run(50);
  Run(1000);
  EXPECT_TRUE(MusicFading());
  Run(250);
  EXPECT_GT(line.GetOpacity(), 0);
  EXPECT_LT(line.GetOpacity(), 255);
  Run(250);
  EXPECT_EQ(line.GetOpacity(), 0);
  EXPECT_EQ(roll->Query({}), StaffRoll::kHolding);
  EXPECT_FALSE(sound.IsMusicActive());
  EXPECT_NE(slot_, nullptr);
}

}  // namespace
}  // namespace orrivel
