// The transition entries of our pixel-operation library against plain
// per-pixel references written from the arithmetic the entries promise.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "raster/LibraryImageOps.h"
#include "raster/PixelOpLibrary.h"
#include "raster/Surface.h"

namespace orrivel {
namespace {

uint32_t& At(Surface& s, int x, int y) { return reinterpret_cast<uint32_t*>(s.GetScanLine(y))[x]; }

void FillRandom(Surface& s, std::mt19937& rng) {
  for (int y = 0; y < s.GetHeight(); ++y)
    for (int i = 0; i < s.GetWidth() * s.GetBitsPerPixel() / 8; ++i)
      s.GetScanLine(y)[i] = uint8_t(rng());
}

// Plain reference: each colour channel a + (b - a) * k / 255 rounded, a's alpha.
uint32_t Towards(uint32_t a, uint32_t b, int k) {
  uint32_t out = a & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
    const int v = (ca * (255 - k) + cb * k + 127) / 255;
    out |= uint32_t(v) << shift;
  }
  return out;
}

int RuleWeight(int level, int vague, int rule) {
  const long v = std::max(vague, 1);
  const long t = long(level) * (255 + v) / 255;
  return int(std::clamp((t - rule) * 255 / v, 0L, 255L));
}

class PixelOpTransitionEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPixelOpEntries();
    library = std::make_unique<PixelOpLibrary>("tvpgl.dll", nullptr, false);
    ASSERT_TRUE(library->HasModule()) << library->Error();
    SetCurrentPixelOpLibrary(library.get());
    for (Surface* s : {&target, &from, &to}) ASSERT_EQ(s->Create(23, 17, 32, Surface::kWithRegion), 0);
    ASSERT_EQ(rule.Create(40, 30, 8, 0), 0);
    Refill();
  }
  // Fresh random pictures, the target's pixels kept as they were before.
  void Refill() {
    for (Surface* s : {&target, &from, &to, &rule}) FillRandom(*s, rng);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 23; ++x) before[y][x] = At(target, x, y);
  }
  void TearDown() override {
    SetCurrentPixelOpLibrary(nullptr);
    library.reset();
    ResetPixelOpEntries();
  }
  // Every pixel outside the changed rectangle kept, every one inside as want.
  template <typename Want>
  void ExpectOnly(const Rect& changed, Want want) {
    EXPECT_EQ(PixelOpChangedRect(), changed);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 23; ++x) {
        const bool inside = x >= changed.left && x < changed.right && y >= changed.top &&
                            y < changed.bottom;
        ASSERT_EQ(At(target, x, y), inside ? want(x, y) : before[y][x]) << x << "," << y;
      }
  }

  std::mt19937 rng{44};
  Surface target, from, to, rule;
  uint32_t before[17][23];
  std::unique_ptr<PixelOpLibrary> library;
};

TEST_F(PixelOpTransitionEntriesTest, CrossBlendMatchesThePlainReferenceAtEveryLevelClass) {
  for (int level : {0, 1, 127, 128, 254, 255}) {
    Refill();
    // Band partly off the from picture: cut the same way in all three.
    ASSERT_EQ(ApplyPixelOp25(&target, &from, &to, level, 0, 2, 3, 30, 9, 5, 1, 0, 2), 0);
    ExpectOnly(Rect{2, 3, 20, 12}, [&](int x, int y) {
      return Towards(At(from, x + 3, y - 2), At(to, x - 2, y - 1), level);
    });
    EXPECT_TRUE(target.Changed());
  }
  EXPECT_EQ(ApplyPixelOp25(&target, &from, &to, 256, 0, 0, 0, 4, 4, 0, 0, 0, 0), 3);
}

TEST_F(PixelOpTransitionEntriesTest, RuleBlendTurnsLowRuleValuesFirstOverTheVagueWidth) {
  struct Case {
    int level, vague;
  };
  for (const Case c : {Case{0, 32}, Case{255, 32}, Case{100, 32}, Case{100, 1}, Case{50, 0},
                       Case{200, 255}, Case{128, 600}}) {
    Refill();
    ASSERT_EQ(ApplyPixelOp26(&target, &from, &to, &rule, c.level, c.vague, 0, 1, 2, 20, 12, 0, 0,
                             3, 4, 17, 11),
              0);
    ExpectOnly(Rect{1, 2, 21, 14}, [&](int x, int y) {
      const int r = rule.GetScanLine(y - 2 + 11)[x - 1 + 17];
      return Towards(At(from, x - 1, y - 2), At(to, x + 2, y + 2),
                     RuleWeight(c.level, c.vague, r));
    });
  }
  // Level 0 is the from picture and 255 the to picture whatever the width.
  EXPECT_EQ(RuleWeight(0, 32, 0), 0);
  EXPECT_EQ(RuleWeight(255, 32, 255), 255);
  // A rule band cut by the rule image's edge cuts the destination band too.
  ASSERT_EQ(ApplyPixelOp26(&target, &from, &to, &rule, 255, 8, 0, 0, 0, 23, 17, 0, 0, 0, 0, 30, 25),
            0);
  EXPECT_EQ(PixelOpChangedRect(), (Rect{0, 0, 10, 5}));
  // The rule must be 8 bits.
  EXPECT_EQ(ApplyPixelOp26(&target, &from, &to, &from, 9, 8, 0, 0, 0, 4, 4, 0, 0, 0, 0, 0, 0), 2);
}

TEST_F(PixelOpTransitionEntriesTest, FillAndColourBlendStayInTheirCutRectangle) {
  const uint32_t colour = 0x123456;
  ASSERT_TRUE(FillRectOp(&target, colour, Rect{-4, 5, 9, 40}));
  ExpectOnly(Rect{0, 5, 9, 17}, [&](int x, int y) { return (before[y][x] & 0xFF000000u) | colour; });
  for (int level : {0, 1, 128, 255}) {
    Refill();
    ASSERT_TRUE(BlendColorOp(&target, 0xFFA0B0C0u, level, Rect{3, 2, 30, 8}));
    if (level == 0) {
      ExpectOnly(Rect{}, [](int, int) { return 0u; });
    } else {
      ExpectOnly(Rect{3, 2, 23, 8},
                 [&](int x, int y) { return Towards(before[y][x], 0xFFA0B0C0u, level); });
    }
  }
  EXPECT_FALSE(BlendColorOp(&target, 0, 256, Rect{0, 0, 2, 2}));
  EXPECT_FALSE(FillRectOp(&rule, 0, Rect{0, 0, 2, 2}));
}

}  // namespace
}  // namespace orrivel
