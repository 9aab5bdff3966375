#include "raster/RampBuffer.h"

#include <gtest/gtest.h>

#include <vector>

namespace orrivel {
namespace {

std::vector<uint32_t> Entries(const RampBuffer& r) {
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < r.count; ++i) out.push_back(r.bits == 8 ? r.Bytes()[i] : r.Words()[i]);
  return out;
}

void ExpectEmpty(const RampBuffer& r) {
  EXPECT_EQ(r.values, nullptr);
  EXPECT_EQ(r.count, 0u);
  EXPECT_EQ(r.from, 0xFFFFFFFFu);
  EXPECT_EQ(r.to, 0xFFFFFFFFu);
}

TEST(RampBufferTest, EightBitRamps) {
  struct Case {
    uint32_t n, from, to;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {4, 0, 100, {0, 25, 50, 75}},  // levels 0 64 128 192, weights 0 65 129 193
      {4, 100, 0, {100, 74, 49, 24}},  // a falling ramp rounds down
      {2, 10, 20, {10, 15}},
      {4, 0, 255, {0, 64, 128, 192}},   // the plain level ramp
      {4, 255, 0, {192, 128, 64, 0}},   // written backwards
  };
  for (const auto& c : cases) {
    RampBuffer r;
    ASSERT_EQ(RampBufferBuild(&r, c.n, c.from, c.to, 8), 0);
    EXPECT_EQ(Entries(r), c.expected) << c.from << "->" << c.to;
    EXPECT_EQ(r.from, c.from);
    EXPECT_EQ(r.to, c.to);
    EXPECT_EQ(r.bits, 8);
  }
  RampBuffer up, down;
  ASSERT_EQ(RampBufferBuild(&up, 256, 0, 255, 8), 0);
  ASSERT_EQ(RampBufferBuild(&down, 256, 255, 0, 8), 0);
  for (uint32_t i = 0; i < 256; ++i) {
    EXPECT_EQ(up.Bytes()[i], i);
    EXPECT_EQ(down.Bytes()[i], 255 - i);
  }
}

TEST(RampBufferTest, ThirtyTwoBitRampKeepsAlphaAndMixesChannels) {
  RampBuffer r;
  ASSERT_EQ(RampBufferBuild(&r, 4, 0x80000000u, 0x00FFFFFFu, 32), 0);
  // Weights 0, 65, 129, 193 of 255.
  EXPECT_EQ(Entries(r), (std::vector<uint32_t>{0x80000000u, 0x80404040u, 0x80808080u, 0x80C0C0C0u}));
  ASSERT_EQ(RampBufferBuild(&r, 4, 0xFF0064C8u, 0x00C86400u, 32), 0);
  for (uint32_t w : Entries(r)) EXPECT_EQ(w >> 24, 0xFFu);
  // Red rises 0 -> 200, blue falls 200 -> 0 (arithmetic shift rounds down).
  EXPECT_EQ(Entries(r)[1], 0xFF326495u);
}

TEST(RampBufferTest, FailuresLeaveTheRecordEmpty) {
  RampBuffer r;
  ASSERT_EQ(RampBufferBuild(&r, 8, 0, 255, 8), 0);
  r.holders = 3;
  EXPECT_EQ(RampBufferBuild(&r, 1, 0, 255, 8), kRampTooShort);
  ExpectEmpty(r);
  EXPECT_EQ(RampBufferBuild(&r, 0, 0, 255, 32), kRampTooShort);
  EXPECT_EQ(RampBufferBuild(&r, 8, 0, 255, 16), kRampBadBits);
  ExpectEmpty(r);
  EXPECT_EQ(r.holders, 3);  // holders are the sharers' business

  RampBuffer init;
  init.count = 7;
  RampBufferInit(&init);
  ExpectEmpty(init);
  EXPECT_EQ(init.holders, 0);
}

TEST(RampBufferTest, HeapRecordsCountTheirHolders) {
  auto* r = new RampBuffer;
  int result = -1;
  RampBufferCreate(r, &result, 16, 0, 255, 8);
  EXPECT_EQ(result, 0);
  r->holders = 1;
  RampBufferRelease(r);  // one holder less; still alive
  EXPECT_EQ(r->holders, 0);
  EXPECT_EQ(r->count, 16u);
  RampBufferRelease(r);  // deleted (the sanitiser checks the leak)
  RampBufferRelease(nullptr);
}

}  // namespace
}  // namespace orrivel
