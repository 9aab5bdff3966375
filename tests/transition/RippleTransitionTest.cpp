// The ripple: its packed kernels against the plain ones on random data, the
// shared most-recently-used tables, mirroring at the edges (also for a
// picture smaller than the displacements) and the registry hooks.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "NamedTransitionFixture.h"
#include "base/ProcessorInfo.h"
#include "transition/RippleKernels.h"
#include "transition/RippleTable.h"
#include "transition/RippleTransition.h"

namespace orrivel {
namespace {

using named_test::At;
using named_test::SizedTarget;

class RippleTest : public named_test::NamedTransitionFixture {
 protected:
  RippleTest() : NamedTransitionFixture(80, 60, 7) {}
  void SetUp() override {
    ReleaseListedRippleTables();
    NamedTransitionFixture::SetUp();
  }
  void TearDown() override {
    NamedTransitionFixture::TearDown();
    SetRippleKernels(&RippleForward, &RippleBackward);
  }
  HeldPtr<RippleTransition> Make(SizedTarget& on, std::vector<ObjectArgument> args) {
    return NamedTransitionFixture::Make<RippleTransition>("ripple", std::move(args), &on);
  }
  // Pictures whose pixels name their own coordinates, so an output pixel
  // tells where it was read.
  void CodedPictures(int w, int h) {
    for (Surface* s : {&destination, &from, &to}) ASSERT_EQ(s->Create(w, h, 32, 0), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) At(from, x, y) = At(to, x, y) = uint32_t(x << 8 | y);
  }
  void DrawArea(RippleTransition& t, int w, int h, int bandHeight) {
    for (int y = 0; y < h; y += bandHeight) {
      const int bh = std::min(bandHeight, h - y);
      ASSERT_EQ(t.Apply({0, y, w, bh, &destination, 0, y, &from, 0, y, &to, 0, y}), 0);
    }
  }
};

TEST_F(RippleTest, PackedKernelsMatchThePlainOnesOnRandomData) {
  std::mt19937 rng(51);
  constexpr int kW = 96, kH = 40, kPad = 12;
  std::vector<uint32_t> fromPixels(kW * kH), toPixels(kW * kH);
  for (auto* v : {&fromPixels, &toPixels})
    for (uint32_t& p : *v) p = uint32_t(rng());
  std::vector<int16_t> displacement(4096), map(kW * 2);
  for (int16_t& d : displacement)
    d = int16_t(uint16_t(int(rng() % kPad) << 8 | int(rng() % kPad)));
  for (int16_t& m : map) m = int16_t(rng() % displacement.size());
  const RippleKernel kernels[][4] = {
      {&RippleForward, &RippleForwardPacked, &RippleForwardPackedPrefetch},
      {&RippleBackward, &RippleBackwardPacked, &RippleBackwardPackedPrefetch}};
  for (int side = 0; side < 2; ++side) {
    for (int trial = 0; trial < 200; ++trial) {
      RippleRun run;
      const int y = kPad + int(rng() % (kH - 2 * kPad));
      const ptrdiff_t pitch = (trial & 1) ? kW * 4 : -kW * 4;
      run.from = reinterpret_cast<const uint8_t*>(fromPixels.data() + y * kW);
      run.to = reinterpret_cast<const uint8_t*>(toPixels.data() + y * kW);
      run.pitch = pitch;
      run.count = int(rng() % 41);
      run.x = kPad + int(rng() % (kW - 2 * kPad - run.count + 1));
      run.map = side == 0 ? map.data() + rng() % kW : map.data() + kW + rng() % kW;
      run.displacement = displacement.data();
      run.level = trial < 3 ? uint32_t(trial * 127) : uint32_t(rng() % 256);
      std::vector<uint32_t> want(64, 0xDEADBEEF);
      run.dst = want.data();
      kernels[side][0](run);
      for (int k = 1; k < 3; ++k) {
        std::vector<uint32_t> got(64, 0xDEADBEEF);
        run.dst = got.data();
        kernels[side][k](run);
        ASSERT_EQ(got, want) << "side " << side << " kernel " << k << " trial " << trial;
      }
    }
  }
}

TEST_F(RippleTest, EqualParametersShareATableAndAFifthSetPushesOutTheOldest) {
  SizedTarget a{40, 30}, b{41, 30}, c{42, 30}, d{43, 30}, e{44, 30};
  auto first = Make(a, {1000, -1, -1, 32, 0, 0, 8});
  auto second = Make(a, {500, -1, -1, 32, 0, 0, 8});
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Table(), second->Table());
  EXPECT_EQ(first->Table()->references, 3u);  // the list's and two transitions'
  const RippleTable* tableA = first->Table();
  auto rb = Make(b, {1000, -1, -1, 32, 0, 0, 8});
  auto rc = Make(c, {1000, -1, -1, 32, 0, 0, 8});
  auto rd = Make(d, {1000, -1, -1, 32, 0, 0, 8});
  // Using A again makes B the least recently used.
  auto third = Make(a, {1000, -1, -1, 32, 0, 0, 8});
  EXPECT_EQ(third->Table(), tableA);
  EXPECT_EQ(ListedRippleTable(0), tableA);
  auto re = Make(e, {1000, -1, -1, 32, 0, 0, 8});
  const std::vector<const RippleTable*> want = {re->Table(), tableA, rd->Table(), rc->Table()};
  for (int place = 0; place < 4; ++place) EXPECT_EQ(ListedRippleTable(place), want[size_t(place)]);
  // B left the list but lives on in its transition.
  EXPECT_EQ(rb->Table()->references, 1u);
  EXPECT_EQ(rb->Table()->params.width, 41);
  // Other parameters are other tables.
  auto otherWave = Make(a, {1000, -1, -1, 64, 0, 0, 8});
  EXPECT_NE(otherWave->Table(), tableA);
}

TEST_F(RippleTest, ArgumentsAreHeldToTheirRanges) {
  SizedTarget target{50, 20};
  struct Case {
    std::vector<ObjectArgument> args;
    RippleParams want;
  };
  const char* half = "0.5";
  const char* negative = "-2";
  const std::vector<Case> cases = {
      {{1000, -5, -5, 33, 0, 0, 0}, {50, 20, 25, 10, 16, 1.0f, 24}},
      {{1000, 50, 99, 128, ObjectArgument(half), 0, 300}, {50, 20, 49, 19, 128, 0.5f, 127}},
      {{0, 3, 4, 64, ObjectArgument(negative), 0, 5}, {50, 20, 3, 4, 64, 1.0f, 5}},
  };
  for (const Case& c : cases) {
    auto t = Make(target, c.args);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->Table()->params == c.want) << c.args[1].Number();
  }
  // A target without a picture, or of another depth, is refused.
  class NoPicture : public TransitionTarget {
    int32_t GetDepth() const override { return 32; }
  } none;
  const ObjectArgument args[] = {1000};
  EXPECT_EQ(RippleTransition().SetupV(static_cast<TransitionTarget*>(&none), {args, 1}), 2);
  EXPECT_EQ(RippleTransition().SetupV(0, {args, 1}), 1);
}

// Scale and speed texts a script passes: what is no finite number takes
// the default, a value past what the map holds is held to the range, and
// the ripple draws.
TEST_F(RippleTest, DecimalTextsAreReadFiniteAndHeldToTheirRange) {
  SizedTarget target{50, 20};
  struct Case {
    const char* text;
    float scale;
  };
  const Case cases[] = {
      {"nan", 1.0f},     {"inf", 1.0f},  {"-inf", 1.0f}, {"1e30", 65536.0f}, {"-1e30", 1.0f},
      {"1e-400", 1.0f},  {"2.5", 2.5f},  {"garbage", 1.0f},
  };
  CodedPictures(50, 20);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto t = Make(target, {1000, -1, -1, 32, ObjectArgument(c.text), ObjectArgument(c.text), 8});
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Table()->params.verticalScale, c.scale);
    for (uint32_t now : {0u, 400u, 999u}) {
      ASSERT_EQ(t->Update(now), 0);
      DrawArea(*t, 50, 20, 20);
    }
  }
}

TEST_F(RippleTest, EdgesMirrorAndEveryReadStaysInsideThePicture) {
  struct Case {
    int w, h, cx, cy, wavelength, rings;
  };
  // A corner centre on a normal picture, then pictures far smaller than the
  // displacements.
  const Case cases[] = {{64, 48, 0, 0, 16, 40}, {3, 2, 0, 0, 128, 127}, {5, 7, 4, 6, 16, 127},
                        {1, 1, 0, 0, 32, 127}};
  for (const Case& c : cases) {
    CodedPictures(c.w, c.h);
    SizedTarget target{c.w, c.h};
    auto t = Make(target, {1000, c.cx, c.cy, c.wavelength, 0, 0, c.rings});
    ASSERT_NE(t, nullptr);
    bool mirrored = false;
    for (uint32_t now : {0u, 250u, 500u, 731u}) {
      t->Update(now);
      DrawArea(*t, c.w, c.h, 5);
      for (int y = 0; y < c.h; ++y)
        for (int x = 0; x < c.w; ++x) {
          const uint32_t p = At(destination, x, y);
          const int sx = int(p >> 8 & 0xFFFF), sy = int(p & 0xFF);
          ASSERT_LT(sx, c.w);
          ASSERT_LT(sy, c.h);
          EXPECT_EQ(p >> 24, 0u);
          // From a top-left centre every unmirrored read lies up and left.
          if (c.cx == 0 && c.cy == 0 && (sx > x || sy > y)) mirrored = true;
        }
    }
    if (c.w == 64) {
      EXPECT_TRUE(mirrored) << "no read was mirrored at the edges";
    }
  }
}

TEST_F(RippleTest, BandsMatchOneBandAndTheEndIsTheToPicture) {
  constexpr int kW = 80, kH = 60;  // the fixture's random pictures
  std::vector<uint32_t> plainPicture;
  for (bool packed : {false, true}) {
    if (packed) SetRippleKernels(&RippleForwardPackedPrefetch, &RippleBackwardPackedPrefetch);
    std::vector<std::vector<uint32_t>> pictures;
    for (int bandHeight : {kH, 1, 7}) {
      auto t = Make(target, {1000, 30, 20, 16, 0, 0, 24});
      t->Update(100);
      t->Update(400);
      EXPECT_GT(t->RadiusStep(), 0);
      DrawArea(*t, kW, kH, bandHeight);
      std::vector<uint32_t> picture;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) picture.push_back(At(destination, x, y));
      pictures.push_back(picture);
      EXPECT_EQ(t->IsFinished(), 0);
      t->Update(1100);
      EXPECT_EQ(t->IsFinished(), -1);
      DrawArea(*t, kW, kH, bandHeight);
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          // Level 255 of 256: each channel within one step of the to-picture.
          const uint32_t got = At(destination, x, y), want = At(to, x, y);
          ASSERT_EQ(got >> 24, 0u);
          for (int shift : {0, 8, 16})
            ASSERT_LE(std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)), 1);
        }
    }
    EXPECT_EQ(pictures[1], pictures[0]);
    EXPECT_EQ(pictures[2], pictures[0]);
    if (!packed) {
      plainPicture = pictures[0];
    } else {
      EXPECT_EQ(pictures[0], plainPicture) << "packed kernels drew another picture";
    }
  }
}

TEST_F(RippleTest, HooksPickKernelsOnFirstUseAndReleaseTheTables) {
  ResetProcessorInfoForTest();
  Processor().mmx = true;
  Processor().sse = true;
  SizedTarget target{20, 20};
  auto t = Make(target, {1000});
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(CurrentRippleForward(), &RippleForwardPackedPrefetch);
  EXPECT_EQ(CurrentRippleBackward(), &RippleBackwardPackedPrefetch);
  ResetProcessorInfoForTest();
  struct Flags {
    bool mmx, sse, mmxPlus;
    RippleKernel want;
  };
  for (const Flags& f : {Flags{true, false, false, &RippleForwardPacked},
                         Flags{true, false, true, &RippleForwardPackedPrefetch},
                         Flags{false, true, true, &RippleForward}}) {
    ProcessorInfo cpu;
    cpu.mmx = f.mmx;
    cpu.sse = f.sse;
    cpu.mmxPlus = f.mmxPlus;
    SelectRippleKernels(cpu);
    EXPECT_EQ(CurrentRippleForward(), f.want);
  }
  ASSERT_NE(ListedRippleTable(0), nullptr);
  registry.ClearAll();  // the release hook
  EXPECT_EQ(ListedRippleTable(0), nullptr);
  EXPECT_EQ(t->Table()->references, 1u);  // still held by the transition
}

}  // namespace
}  // namespace orrivel
