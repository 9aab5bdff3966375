#include "base/MtRandom.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace orrivel {
namespace {

TEST(MtRandom, UnseededStartsAsSeededWithTheDefault) {
  MtRandom unseeded, seeded;
  EXPECT_EQ(unseeded.Index(), MtRandom::kStateWords + 1);
  seeded.SeedRandom(4357);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(unseeded.NextRandom(), seeded.NextRandom()) << i;
}

TEST(MtRandom, SeedingFollowsTheReferenceRecurrence) {
  MtRandom random;
  random.SeedRandom(1);
  EXPECT_EQ(random.State()[0], 1u);  // 0 | (69070 >> 16)
  random.SeedRandom(0x12345678u);
  EXPECT_EQ(random.State()[0], 0x123492C5u);
  EXPECT_EQ(random.State()[1], 0xE37ECBE3u);
  EXPECT_EQ(random.Index(), MtRandom::kStateWords);
}

TEST(MtRandom, MatchesTheStandardGeneratorFromTheSameState) {
  for (uint32_t seed : {4357u, 0u, 0xDEADBEEFu}) {
    SCOPED_TRACE(seed);
    MtRandom ours;
    ours.SeedRandom(seed);
    std::stringstream state;
    for (int i = 0; i < MtRandom::kStateWords; ++i) state << ours.State()[i] << ' ';
    state << MtRandom::kStateWords;  // next call regenerates
    std::mt19937 reference;
    state >> reference;
    ASSERT_FALSE(state.fail());
    for (int i = 0; i < 3 * MtRandom::kStateWords; ++i) ASSERT_EQ(ours.NextRandom(), reference()) << i;
  }
}

}  // namespace
}  // namespace orrivel
