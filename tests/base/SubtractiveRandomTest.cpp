#include "base/SubtractiveRandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orrivel {
namespace {

// A plain lagged-subtraction generator written the other common way: one word
// is replaced per draw, walking a circular pair of indices 31 apart, in 64-bit
// arithmetic. Replacing word n while reading n + 31 (old) or n - 24 (new) is the
// same sequence the batch refill produces.
class ReferenceLagged {
 public:
  ReferenceLagged(int64_t seed, int refills) {
    table_[55] = seed;
    int64_t mj = seed, mk = 1;
    for (int i = 1; i <= 54; ++i) {
      const int ii = (21 * i) % 55;
      table_[ii] = mk;
      mk = mj - mk;
      if (mk < 0) mk += 1000000000;
      mj = table_[ii];
    }
    for (int k = 0; k < refills; ++k)
      for (int i = 1; i <= 55; ++i) {
        table_[i] -= table_[1 + (i + 30) % 55];
        if (table_[i] < 0) table_[i] += 1000000000;
      }
  }
  int64_t Next() {
    if (++next_ == 56) next_ = 1;
    if (++nextLag_ == 56) nextLag_ = 1;
    int64_t value = table_[next_] - table_[nextLag_];
    if (value < 0) value += 1000000000;
    table_[next_] = value;
    return value;
  }

 private:
  int64_t table_[56] = {};
  int next_ = 0;
  int nextLag_ = 31;
};

TEST(SubtractiveRandom, SeededSequencesEqualThePlainLaggedGenerator) {
  for (int refills : {SubtractiveRandom::kSharedSeedRefills, SubtractiveRandom::kTransitionSeedRefills})
    for (uint32_t seed : {0u, 1u, 161803398u, 999999999u, 123456u}) {
      SCOPED_TRACE(testing::Message() << "refills " << refills << " seed " << seed);
      SubtractiveRandom ours(refills);
      ours.Seed(seed);
      ReferenceLagged reference(seed, refills);
      for (int i = 0; i < 500; ++i) {
        const int32_t value = ours.Next();
        ASSERT_EQ(value, reference.Next()) << i;
        ASSERT_GE(value, 0);
        ASSERT_LT(value, SubtractiveRandom::kModulus);
      }
    }
}

TEST(SubtractiveRandom, FiftySixthDrawRefillsAndReturnsTheNewFirstWord) {
  SubtractiveRandom random;
  random.Seed(4711);
  EXPECT_EQ(random.Index(), 55);
  // The first draw after seeding already refills.
  random.Next();
  EXPECT_EQ(random.Index(), 1);
  for (int i = 2; i <= 55; ++i) EXPECT_EQ(random.Next(), random.Word(i));
  int64_t expected = int64_t{random.Word(1)} - random.Word(32);
  if (expected < 0) expected += SubtractiveRandom::kModulus;
  EXPECT_EQ(random.Next(), expected);
  EXPECT_EQ(random.Index(), 1);
  EXPECT_EQ(random.Word(1), expected);
}

TEST(SubtractiveRandom, SecondRefillLoopSeesTheNewLowWords) {
  SubtractiveRandom random;
  random.Seed(77);
  std::vector<int64_t> before(56);
  for (int i = 1; i <= 55; ++i) before[i] = random.Word(i);
  random.Refill();
  auto reduce = [](int64_t v) { return v < 0 ? v + SubtractiveRandom::kModulus : v; };
  std::vector<int64_t> after(56);
  for (int i = 1; i <= 24; ++i) after[i] = reduce(before[i] - before[i + 31]);
  for (int i = 25; i <= 55; ++i) after[i] = reduce(before[i] - after[i - 24]);
  for (int i = 1; i <= 55; ++i) EXPECT_EQ(random.Word(i), after[i]) << i;
}

TEST(SubtractiveRandom, TransitionOrderTableSeedGivesTheKnownLowBytes) {
  SubtractiveRandom random(SubtractiveRandom::kTransitionSeedRefills);
  random.Seed(0);
  const int expected[] = {135, 98, 243, 3, 132, 14, 221, 132};
  for (int byte : expected) EXPECT_EQ(random.Next() & 0xFF, byte);
}

TEST(SubtractiveRandom, LargeSeedsEnterUnchangedAndWrapWithoutTrapping) {
  // Tick counts past the modulus and past 2^31 are taken as they are; the
  // arithmetic wraps in 32 bits and reseeding repeats the sequence.
  for (uint32_t seed : {1000000000u, 0x80000000u, 0xFFFFFFFFu}) {
    SubtractiveRandom first, second;
    first.Seed(seed);
    second.Seed(seed);
    for (int i = 0; i < 200; ++i) ASSERT_EQ(first.Next(), second.Next());
  }
}

}  // namespace
}  // namespace orrivel
