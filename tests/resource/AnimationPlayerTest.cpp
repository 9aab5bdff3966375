#include "resource/AnimationPlayer.h"

#include <gtest/gtest.h>

#include "LayoutTestFakes.h"
#include "LayoutTestFolder.h"

namespace orrivel {
namespace {

using testing::FakeSprite;
using testing::FakeSurface;
using testing::FakeSurfaceFactory;

class AnimationPlayerTest : public testing::LayoutFolderTest {
 protected:
  void SetUp() override {
    LayoutFolderTest::SetUp();
    folder_.Write("anim/strip.elg", testing::MakeElgPicture(256, 8));
    spriteSurface_ = FakeSurface(640, 480, 16);
    sprite_.surface = &spriteSurface_;
  }

  FakeSurfaceFactory surfaces_;
  FakeSurface spriteSurface_;
  FakeSprite sprite_;
  int owner_ = 0;
};

TEST_F(AnimationPlayerTest, LoadImageCutsTheStripIntoCells) {
  AnimationPlayer player(&surfaces_);
  ASSERT_EQ(player.LoadImage("anim\\strip.elg", 4, &owner_, &sprite_, nullptr, 3, -4, 9, 2, 0, false,
                             AnimationPlayer::kNoColorKey),
            kPlayerOk);
  EXPECT_EQ(player.CellWidth(), 64);
  EXPECT_EQ(player.CellCount(), 4);
  EXPECT_EQ(player.Target(), &spriteSurface_);
  EXPECT_EQ(player.Sprites(), (std::deque<ImageSpritePort*>{&sprite_}));
  EXPECT_EQ(player.Owner(), &owner_);
  EXPECT_EQ(player.Option(), 9);
  EXPECT_EQ(player.OriginX(), 3);
  EXPECT_EQ(player.OriginY(), -4);
  EXPECT_EQ(player.KeyMode(), 0);
  struct Cell {
    int32_t cell;
    platform::Rect rect;
  };
  for (const Cell& c : {Cell{0, {0, 0, 64, 8}}, Cell{2, {128, 0, 192, 8}}, Cell{3, {192, 0, 256, 8}},
                        Cell{4, {}}, Cell{-1, {}}}) {
    SCOPED_TRACE(c.cell);
    EXPECT_EQ(player.CellRect(c.cell), c.rect);
  }
  // Mode 2 draws through a work surface of one cell in the target's depth.
  ASSERT_NE(player.WorkSurface(), nullptr);
  EXPECT_EQ(player.WorkSurface()->GetWidth(), 64);
  EXPECT_EQ(player.WorkSurface()->GetHeight(), 8);
  EXPECT_EQ(player.WorkSurface()->GetBitCount(), 16);

  // A colour key on the strip sets key mode 2 whatever the flag says.
  ASSERT_EQ(player.LoadImage("anim\\strip.elg", 3, &owner_, nullptr, &spriteSurface_, 0, 0, 0, 0, 0, false,
                             0x00102030),
            kPlayerOk);
  EXPECT_EQ(player.Strip()->GetColorKey(), 0x102030u);
  EXPECT_EQ(player.KeyMode(), 2);
  EXPECT_EQ(player.CellWidth(), 85);
  EXPECT_EQ(player.WorkSurface(), nullptr);
  EXPECT_TRUE(player.Sprites().empty());
}

TEST_F(AnimationPlayerTest, AttachBorrowsAndTakesTheOriginFromThePicture) {
  FakeSurface borrowed(120, 10, 32);
  borrowed.userValue1 = 11;
  borrowed.userValue2 = -12;
  AnimationPlayer player(&surfaces_);
  ASSERT_EQ(player.Attach(&borrowed, 6, &owner_, nullptr, &spriteSurface_, AnimationPlayer::kOriginFromPicture, 5,
                          0, 0, 1),
            kPlayerOk);
  EXPECT_EQ(player.Strip(), &borrowed);
  EXPECT_EQ(player.OriginX(), 11);
  EXPECT_EQ(player.OriginY(), -12);
  EXPECT_EQ(player.KeyMode(), 1);  // the flag, as the strip has no key
  ASSERT_NE(player.WorkSurface(), nullptr);  // the flag also asks for one
  EXPECT_EQ(player.WorkSurface()->GetWidth(), 20);
  player.Reset();
  EXPECT_NE(player.Strip(), &borrowed);
  EXPECT_EQ(player.Target(), nullptr);
  EXPECT_EQ(player.WorkSurface(), nullptr);
}

TEST_F(AnimationPlayerTest, Refusals) {
  AnimationPlayer player(&surfaces_);
  FakeSurface strip(64, 4, 32);
  FakeSprite bare;  // shows no surface
  const auto none = AnimationPlayer::kNoColorKey;
  EXPECT_EQ(player.LoadImage("", 4, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0, false, none), kPlayerBadArgument);
  EXPECT_EQ(player.LoadImage("anim\\strip.elg", 4, nullptr, &sprite_, nullptr, 0, 0, 0, 0, 0, false, none),
            kPlayerBadArgument);
  // No cells would divide the strip by zero.
  EXPECT_EQ(player.LoadImage("anim\\strip.elg", 0, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0, false, none),
            kPlayerBadArgument);
  EXPECT_EQ(player.Attach(&strip, -2, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0), kPlayerBadArgument);
  EXPECT_EQ(player.Start(0, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0), kPlayerBadArgument);
  EXPECT_EQ(player.Attach(nullptr, 4, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0), kPlayerBadArgument);
  EXPECT_EQ(player.LoadImage("anim\\none.elg", 4, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0, false, none),
            kPlayerPictureFailed);
  EXPECT_EQ(player.Attach(&strip, 4, &owner_, nullptr, nullptr, 0, 0, 0, 0, 0), kPlayerBadArgument);
  EXPECT_EQ(player.Attach(&strip, 4, &owner_, &bare, nullptr, 0, 0, 0, 0, 0), kPlayerSpriteWithoutSurface);
  surfaces_.refuseSized = true;
  EXPECT_EQ(player.Attach(&strip, 4, &owner_, &sprite_, nullptr, 0, 0, 0, 2, 0), kPlayerWorkSurfaceFailed);
  AnimationPlayer noFactory(nullptr);
  EXPECT_EQ(noFactory.LoadImage("anim\\strip.elg", 4, &owner_, &sprite_, nullptr, 0, 0, 0, 0, 0, false, none),
            kPlayerPictureFailed);
}

TEST_F(AnimationPlayerTest, SpriteListKeepsOrderWithoutDuplicates) {
  AnimationPlayer player(&surfaces_);
  FakeSprite a, b, c;
  for (FakeSprite* s : {&a, &b, &a, &c, &b}) player.AddSprite(s);
  player.AddSprite(nullptr);
  EXPECT_EQ(player.Sprites(), (std::deque<ImageSpritePort*>{&a, &b, &c}));
  player.RemoveSprite(&b);
  player.RemoveSprite(&sprite_);  // absent: nothing happens
  EXPECT_EQ(player.Sprites(), (std::deque<ImageSpritePort*>{&a, &c}));
  player.Reset();
  EXPECT_TRUE(player.Sprites().empty());
}

}  // namespace
}  // namespace orrivel

namespace orrivel {
namespace {

// Each step: elapsed ms, the cell it brings up (-1 none), the queue left.
struct QueueStep {
  uint32_t elapsed;
  int32_t shown;
  size_t left;
};

TEST(AnimationPlayerQueue, EntriesLeaveInTurnAndTheLastStaysShown) {
  AnimationPlayer player(nullptr);
  EXPECT_EQ(player.Step(10), -1) << "nothing queued";
  player.QueueFrame(5, 30);
  player.QueueFrame(6, 0);
  player.QueueFrame(7, 20);
  player.QueueFrame(8, 10);
  const QueueStep steps[] = {
      {0, 5, 4},    // the head is shown on the first step
      {29, -1, 4},  // not yet its time
      {1, 7, 2},    // 5 runs out, 6 has no time of its own
      {45, 8, 1},   // 7 runs out with time over for 8, the last
      {1000, -1, 1},
  };
  for (const QueueStep& step : steps) {
    SCOPED_TRACE(step.elapsed);
    EXPECT_EQ(player.Step(step.elapsed), step.shown);
    EXPECT_EQ(player.Frames().size(), step.left);
  }
}

TEST(AnimationPlayerQueue, RemoveTakesTheFirstMatchAndRestartsAHead) {
  AnimationPlayer player(nullptr);
  for (int32_t cell : {1, 2, 1, 3}) player.QueueFrame(cell, 10);
  EXPECT_EQ(player.Step(4), 1);
  EXPECT_FALSE(player.Remove(9));
  EXPECT_TRUE(player.Remove(2));
  ASSERT_EQ(player.Frames().size(), 3u);
  EXPECT_EQ(player.Frames()[1].cell, 1);
  // Taking the head away shows the new head afresh on the next step.
  EXPECT_TRUE(player.Remove(1));
  EXPECT_EQ(player.Step(0), 1);
  EXPECT_EQ(player.Step(9), -1);
  EXPECT_EQ(player.Step(1), 3);
  player.Reset();
  EXPECT_TRUE(player.Frames().empty());
}

}  // namespace
}  // namespace orrivel
