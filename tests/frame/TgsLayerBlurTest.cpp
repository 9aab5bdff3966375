// The blur commands of a layer, the sprite change and the parts tables'
// colour: what each starts, what the layer or slot records of the end, the
// end state applied at once when effects are off or text is skipped, and
// the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "LayerSetsFixture.h"
#include "effect/LayerAction.h"
#include "effect/SpriteChangeAction.h"
#include "effect/SpritePartsAction.h"

namespace orrivel {
namespace {

class LayerBlurTest : public test::LayerSetsTest {
 protected:
  void SetUp() override {
    LayerSetsTest::SetUp();
    ASSERT_EQ(sets_->LoadLayerImage("BG01A.ELG", 0), 0);
  }

  size_t Running() const {
    size_t n = 0;
    for (TimedTask* task : timers_.Tasks())
      if (task && !task->IsFinished()) ++n;
    return n;
  }
  const LayerRecord& Front() { return sets_->GetLayer(0).record; }

  // Zoom 2 about the screen's centre, kept at the end.
  static BgBlurCommand ZoomToTwo() {
    BgBlurCommand c;
    c.duration = 200;
    c.startZoom = "1.0";
    c.endZoom = "2.0";
    c.opacity = 128;
    c.keepEnd = true;
    return c;
  }
};

TEST_F(LayerBlurTest, BlurRunsOrLeavesItsEndAtOnce) {
  TgsLayerSets& s = *sets_;
  const std::unique_ptr<Surface> before = Compose();
  ASSERT_EQ(s.StartBgBlur(0, ZoomToTwo()), 0);
  ASSERT_TRUE(s.HolderRunning(s.GetLayer(0).effect));
  EXPECT_STREQ(s.ActionOf(s.GetLayer(0).effect)->GetName(), "bg_blur");
  // The end is recorded at the start: the middle half stretched over the screen.
  const LayerRecord running = Front();
  EXPECT_EQ(running.zoomLeft, 320);
  EXPECT_EQ(running.zoomTop, 180);
  EXPECT_EQ(running.zoomRight, 960);
  EXPECT_EQ(running.zoomBottom, 540);
  StepAt(clock_.TickMs() + 16);
  StepAt(clock_.TickMs() + 100);
  // Half way the trail has left the picture as it was.
  const std::unique_ptr<Surface> middle = Compose();
  EXPECT_NE(std::memcmp(middle->GetBits(), before->GetBits(), size_t(middle->GetPitch()) * 720), 0);
  EXPECT_EQ(s.WaitForAction(s.GetLayer(0).effect, false), 0);
  EXPECT_EQ(Canvas(0).StretchSource().left, 320);

  // Effects off or skipping: the same end with nothing on the list; without
  // the keep flag nothing at all.
  for (int way = 0; way < 2; ++way) {
    ASSERT_EQ(s.SetLayerPosition(0, 0, 0), 0);
    effectsOn_ = way == 0 ? false : true;
    skipping_ = way == 1;
    BgBlurCommand c = ZoomToTwo();
    c.keepEnd = false;
    ASSERT_EQ(s.StartBgBlur(0, c), 0);
    EXPECT_FALSE(Front().HasZoom());
    ASSERT_EQ(s.StartBgBlur(0, ZoomToTwo()), 0);
    EXPECT_EQ(Running(), 0u);
    EXPECT_EQ(std::memcmp(&Front(), &running, sizeof running), 0);
    EXPECT_EQ(Canvas(0).StretchSource().left, 320);
  }
  skipping_ = false;

  // A turn is kept as the turn about its centre, which shows the same
  // picture when the record is applied again.
  ASSERT_EQ(s.ChangeBgBlur(0, 400, 300, "1.5", "64"), 0);
  const LayerRecord turned = Front();
  EXPECT_FALSE(turned.HasZoom());
  EXPECT_EQ(turned.x, 400);
  EXPECT_EQ(turned.y, 300);
  EXPECT_EQ(turned.rotationAngle, 64);
  EXPECT_FLOAT_EQ(turned.rotationScale, 1.5f);
  EXPECT_EQ(Canvas(0).BackgroundAngle(), 64);
  const std::unique_ptr<Surface> blurTurn = Compose();
  ASSERT_EQ(s.SetLayerRotation(turned.rotationAngle, "1.5", turned.x, turned.y, 0), 0);
  const std::unique_ptr<Surface> applied = Compose();
  int worst = 0;
  for (int y = 0; y < 720; y += 7)
    for (int x = 0; x < 1280; x += 7)
      for (int shift = 0; shift < 24; shift += 8) {
        const auto channel = [&](Surface& p) {
          return int(reinterpret_cast<const uint32_t*>(p.GetScanLine(y))[x] >> shift & 0xFF);
        };
        worst = std::max(worst, std::abs(channel(*blurTurn) - channel(*applied)));
      }
  EXPECT_LE(worst, 4);
  // None for the zoom reads 1.0: the whole picture.
  ASSERT_EQ(s.ChangeBgBlur(0, 640, 360, nullptr, nullptr), 0);
  EXPECT_EQ(Front().zoomLeft, 0);
  EXPECT_EQ(Front().zoomRight, 1280);
  s.Environment().actions = nullptr;
  EXPECT_EQ(s.ChangeBgBlur(0, 640, 360, "2.0", nullptr), -2);
}

TEST_F(LayerBlurTest, BlurPathEndsOnItsLastPoint) {
  TgsLayerSets& s = *sets_;
  BgBlurCommand c;
  c.path = "(100,100)(640,360,2.0)";
  c.duration = 100;
  c.opacity = 255;
  c.keepEnd = true;
  ASSERT_EQ(s.StartBgBlur(0, c), 0);
  EXPECT_STREQ(s.ActionOf(s.GetLayer(0).effect)->GetName(), "bg_blur");
  EXPECT_EQ(Front().zoomLeft, 320);
  EXPECT_EQ(Front().zoomBottom, 540);
  // With the wait flag the command returns when the blur has ended.
  c.wait = true;
  const int before = pumps_;
  ASSERT_EQ(s.StartBgBlur(0, c), 0);
  EXPECT_TRUE(s.GetLayer(0).effect.Empty());
  EXPECT_GE(pumps_ - before, 6);
  // A blur that outlasts the program: the wait answers the closing.
  c.duration = 100000;
  c.skippable = true;
  effectsOn_ = true;
  closeAfter_ = pumps_ + 2;
  EXPECT_EQ(s.StartBgBlur(0, c), -1);  // the pump closed before it ended
  closeAfter_ = 1000;

  effectsOn_ = false;
  ASSERT_EQ(s.SetLayerPosition(0, 0, 0), 0);
  ASSERT_EQ(s.StartBgBlur(0, c), 0);
  EXPECT_EQ(Running(), 0u);
  EXPECT_EQ(Front().zoomLeft, 320);
  // A path without points is refused before anything else.
  c.path = "no points";
  EXPECT_EQ(s.StartBgBlur(0, c), 2);
  effectsOn_ = true;
  EXPECT_EQ(s.StartBgBlur(0, c), 2);
  // A set-up the blur refuses (a missing picture file) starts nothing.
  BgBlurCommand missing = ZoomToTwo();
  missing.picture = "MISSING.ELG";
  EXPECT_EQ(s.StartBgBlur(0, missing), 1);
  EXPECT_FALSE(s.HolderRunning(s.GetLayer(0).effect));
}

TEST_F(LayerBlurTest, SpriteChangeRefinesItsStyleAndLeavesItsEnd) {
  TgsLayerSets& s = *sets_;
  for (const char* name : {"ABC01S.ELG", "ABC01M.ELG", "ABC01X.ELG", "ABC01.ELG", "XYZ01S.ELG"})
    pictures_.Write(name, test::ElgPicture(100, 100, 590, 620, [](int, int) { return 0xFF30C050u; }));
  EXPECT_EQ(s.StartSpChange(9, "ABC01.ELG", "p10,0", 100, false, 0, 0, 0), 1);    // no slot
  EXPECT_EQ(s.StartSpChange(0, nullptr, "p10,0", 100, false, 0, 0, 0), 1);        // no name
  EXPECT_EQ(s.StartSpChange(0, "ABC01.ELG", "p10,0", 100, false, 3, 0, 0), 1);    // style
  EXPECT_EQ(s.StartSpChange(0, "ABC01.ELG", "p10,0", 100, false, 0, 0, 0), 2);    // no sprite
  ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
  EXPECT_EQ(s.StartSpChange(0, "abc01.elg", "p10,0", 100, false, 0, 0, 0), 3);    // the same picture
  EXPECT_EQ(s.StartSpChange(0, "MISSING.ELG", "p10,0", 100, false, 0, 0, 0), 4);  // cannot load
  EXPECT_TRUE(s.FindSprite(0, 0, 0)->record.IsEmpty());

  // Style 2 takes the kind from the last letter of the picture being left.
  struct Case {
    const char* from;
    uint8_t mode;
  };
  const Case cases[] = {{"ABC01S.ELG", 2}, {"ABC01M.ELG", 3}, {"ABC01X.ELG", 4}, {"ABC01.ELG", 0}};
  for (const Case& c : cases) {
    ASSERT_EQ(s.ParseSpriteName(0, c.from, 0, 0), 0) << c.from;
    ASSERT_EQ(s.StartSpChange(0, "XYZ01S.ELG", "p10,0", 100, false, 2, 0, 0), 0) << c.from;
    TgsLayerSets::SpriteSlot& slot = *s.FindSprite(0, 0, 0);
    auto* change = dynamic_cast<SpriteChangeAction*>(s.ActionOf(slot.action));
    ASSERT_NE(change, nullptr) << c.from;
    EXPECT_EQ(change->Mode(), c.mode) << c.from;
    EXPECT_STREQ(slot.record.imageName, "XYZ01S.ELG");
    EXPECT_NE(slot.outgoing, nullptr);
    EXPECT_EQ(s.WaitSpriteAction(0, 0, 0, false), 0);
  }

  // The end position is recorded at the start, where the sprite stands when
  // the change is over; off, it is there at once.
  TgsLayerSets::SpriteSlot& slot = *s.FindSprite(0, 0, 0);
  ASSERT_EQ(s.StartSpChange(0, "ABC01.ELG", "p20,30", 100, false, 0, 0, 0), 0);
  const SpriteSlotRecord started = slot.record;
  ASSERT_EQ(s.WaitSpriteAction(0, 0, 0, false), 0);
  EXPECT_EQ(started.x, started.baseX + slot.sprite->GetX());
  EXPECT_EQ(started.y, started.baseY + slot.sprite->GetY());
  effectsOn_ = false;
  ASSERT_EQ(s.StartSpChange(0, "XYZ01.ELG", "p20,30", 100, false, 0, 0, 0), 0);
  EXPECT_EQ(Running(), 0u);
  EXPECT_EQ(slot.outgoing, nullptr);
  EXPECT_EQ(slot.record.x, slot.record.baseX + slot.sprite->GetX());
  EXPECT_EQ(slot.record.y, slot.record.baseY + slot.sprite->GetY());
  // Without the assist the end cannot be had: -2 + 5.
  s.Environment().actions = nullptr;
  EXPECT_EQ(s.StartSpChange(0, "ABC01.ELG", "p20,30", 100, false, 0, 0, 0), 3);
}

TEST_F(LayerBlurTest, PartsTakeTheAutomaticColour) {
  TgsLayerSets& s = *sets_;
  pictures_.Write("SYS/EYE.ELG", test::ElgPicture(16, 8, 0, 0, [](int, int) { return 0xFF2050E0u; }));
  const std::string table = "*EYE.ELG\r\n0,0\r\n10,0\r\n";
  pictures_.Write("SYS/CA040.TXT", std::vector<uint8_t>(table.begin(), table.end()));
  ASSERT_EQ(s.ParseSpriteName(0, "ABC01.ELG", 0, 0), 0);
  s.autoColourMode = LayerRecord::kGrey;
  ASSERT_EQ(s.LoadSpPartsTable(0, 0, 0, false, 0), 0);
  auto* parts = dynamic_cast<SpritePartsAction*>(s.ActionOf(s.FindSprite(0, 0, 0)->action));
  ASSERT_NE(parts, nullptr);
  ASSERT_EQ(parts->PartCount(), 1);
  const uint32_t pixel = reinterpret_cast<const uint32_t*>(parts->GetPart(0)->surface.GetBits())[0];
  const uint32_t grey = (77u * 0x20 + 150u * 0x50 + 29u * 0xE0) >> 8;
  EXPECT_EQ(pixel, 0xFF000000u | grey << 16 | grey << 8 | grey);
}

// Half way through a blur towards zoom 1.5 with a trail, over which a
// small figure cross-fades into the large one while it moves left.
TEST_F(LayerBlurTest, GoldenBlurredBackgroundWithChangingSprite) {
  TgsLayerSets& s = *sets_;
  pictures_.Write("BG03A.ELG", test::ElgPicture(1280, 720, 0, 0, [](int x, int y) {
                    return (x / 80 + y / 80) % 2 ? 0xFF3050D0u : 0xFFE0E040u;
                  }));
  pictures_.Write("ABC01S.ELG", test::ElgPicture(120, 240, 580, 480, [](int x, int y) {
                    return (x / 20 + y / 20) % 2 ? 0xFF20A040u : 0xFFF0F0F0u;
                  }));
  ASSERT_EQ(s.LoadLayerImage("BG03A.ELG", 0), 0);
  ASSERT_EQ(s.ParseSpriteName(0, "ABC01S.ELG", 0, 0), 0);
  ASSERT_EQ(s.MoveSprite(0, 0, false, 0, 0), 0);
  BgBlurCommand blur;
  blur.duration = 320;
  blur.startZoom = "1.0";
  blur.endZoom = "1.5";
  blur.opacity = 96;
  ASSERT_EQ(s.StartBgBlur(0, blur), 0);
  ASSERT_EQ(s.StartSpChange(0, "ABC01.ELG", "p-200,0", 320, false, 2, 0, 0), 0);
  for (uint32_t t = 0; t <= 160; t += 16) StepAt(kStart + t);
  ExpectQuarterGolden("layers_blur_and_sprite_change");
}

}  // namespace
}  // namespace orrivel
