#include "effect/NoiseEffect.h"

#include <gtest/gtest.h>

#include "OverlayTestRig.h"

namespace orrivel {
namespace {

using testing::RefusingTimerList;
using testing::TestLayerHost;

class NoiseTest : public testing::OverlayTest {
 protected:
  void SetUp() override {
    OverlayTest::SetUp();
    // Pixel i of the run is i, so the work picture shows where it read.
    WritePicture("SYS/NOISE.ELG", kNoiseW, kNoiseH,
                 [](int x, int y) { return 0xFF000000u | uint32_t(y * kNoiseW + x); });
    reference_.Seed(424242);
  }
  NoiseEffect* Start(int32_t opacity, bool first, bool second) {
    auto* noise = new NoiseEffect();
    EXPECT_EQ(noise->Setup(&list_, &host_, {opacity, 300, first, second}), 0);
    noise->SetOwnerSlot(&slot_);
    slot_ = noise;
    return noise;
  }
  // The run index the work picture shows at (x, y).
  uint32_t Shown(NoiseEffect& noise, int x, int y) {
    return test::Pixel32(const_cast<Surface&>(noise.WorkPicture()), x, y) & 0xFFFFFFu;
  }
  size_t OnPage(int i) { return host_.Page(i).MainList().Items().size(); }

  static constexpr uint16_t kNoiseW = 5;
  static constexpr uint16_t kNoiseH = 3;
  static constexpr int kW = 4;
  static constexpr int kH = 3;
  TestLayerHost host_{kW, kH};
  SubtractiveRandom reference_;
  TimedTask* slot_ = nullptr;
};

TEST_F(NoiseTest, SetupRefusesWithItsCodesAndLeavesNothingOnThePages) {
  TestLayerHost noSecond{kW, kH};
  noSecond.DropSecondPage();
  TestLayerHost noScreen{0, 0};
  RefusingTimerList refusing;
  struct Case {
    const char* what;
    bool bound;
    TimerList* list;
    TestLayerHost* host;
    const char* picture;  // written over the noise picture; null keeps it
    bool removePicture;
    int32_t code;
  } const cases[] = {
      {"no generator yet", false, &list_, &host_, nullptr, false, 1},
      {"no timer list", true, nullptr, &host_, nullptr, false, 1},
      {"no target", true, &list_, nullptr, nullptr, false, 1},
      {"no second page", true, &list_, &noSecond, nullptr, false, 2},
      {"work picture cannot be made", true, &list_, &noScreen, nullptr, false, 4},
      {"timer list refuses", true, &refusing, &host_, nullptr, false, 5},
      {"picture without pixels", true, &list_, &host_, "", false, 3},
      {"no picture", true, &list_, &host_, nullptr, true, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BindOverlayEffectRandom(c.bound ? &SharedRandom() : nullptr);
    if (c.picture != nullptr) WritePicture("SYS/NOISE.ELG", 0, 0, [](int, int) { return 0u; });
    if (c.removePicture) std::filesystem::remove(folder_.HostPath("SYS/NOISE.ELG"));
    NoiseEffect noise;
    EXPECT_EQ(noise.Setup(c.list, c.host, {255, 300, 1, 1}), c.code);
    EXPECT_EQ(OnPage(0), 0u);
    EXPECT_EQ(OnPage(1), 0u);
    EXPECT_EQ(list_.Size(), 0u);
  }
}

TEST_F(NoiseTest, WorkPictureIsTheNoiseReadAsOneWrappingRunFromTheDrawnStart) {
  NoiseEffect* noise = Start(200, true, true);
  const uint32_t pixels = kNoiseW * kNoiseH;
  // The set-up frame, then one frame per 100 ms, each from the next draw.
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE(frame);
    if (frame > 0) StepAt(kStart + 100 * uint32_t(frame));
    const uint32_t start = uint32_t(reference_.Next()) % pixels;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) EXPECT_EQ(Shown(*noise, x, y), (start + uint32_t(y * kW + x)) % pixels);
  }
  // A start near the end wraps to the first pixel in mid-row, and the rows
  // shift against the narrower picture.
  noise->DrawFrame(13);
  const uint32_t expected[kH][kW] = {{13, 14, 0, 1}, {2, 3, 4, 5}, {6, 7, 8, 9}};
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) EXPECT_EQ(Shown(*noise, x, y), expected[y][x]);
  // A noise picture without pixels has no run: nothing is drawn.
  Surface empty, work;
  ASSERT_EQ(work.Create(2, 2, 32, 0), 0);
  work.FillBox(0, 0, 2, 2, 0xFF010203u);
  DrawNoiseRun(empty, work, 7);
  EXPECT_EQ(test::Pixel32(work, 1, 1), 0xFF010203u);
  EXPECT_EQ(noise->Sprite(0).GetOpacity(), 200);
  EXPECT_EQ(noise->Sprite(0).OwningList(), &host_.Page(0).MainList());
  EXPECT_EQ(noise->Sprite(1).OwningList(), &host_.Page(1).MainList());
  EXPECT_EQ(host_.Page(0).MainList().Head()->order, 300u);
}

TEST_F(NoiseTest, VisibilityFollowsThePageThatIsFirstNowAndAStopHidesBoth) {
  NoiseEffect* noise = Start(255, true, false);
  EXPECT_TRUE(noise->Sprite(0).IsVisible());
  EXPECT_FALSE(noise->Sprite(1).IsVisible());
  host_.Exchange();
  // The first cell is for the page that is first now: the set-up's second.
  EXPECT_EQ(noise->Control({1, 0}), 0);
  EXPECT_FALSE(noise->Sprite(0).IsVisible());
  EXPECT_TRUE(noise->Sprite(1).IsVisible());
  host_.Exchange();
  noise->Control({1, 0});
  EXPECT_TRUE(noise->Sprite(0).IsVisible());
  EXPECT_FALSE(noise->Sprite(1).IsVisible());

  noise->Control({1, 1});
  ASSERT_TRUE(list_.Stop(noise->Handle()));
  EXPECT_EQ(slot_, nullptr);
  EXPECT_FALSE(noise->Sprite(0).IsVisible());
  EXPECT_FALSE(noise->Sprite(1).IsVisible());
  StepAt(kStart + 100);
  EXPECT_EQ(list_.Size(), 0u);
  EXPECT_EQ(OnPage(0), 0u) << "the sprites leave the pages with the effect";
  EXPECT_EQ(OnPage(1), 0u);
}

}  // namespace
}  // namespace orrivel
