#include "transition/TransitionRandom.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/Clock.h"

namespace orrivel {
namespace {

std::vector<int32_t> Draws(TransitionRandom& random, int count) {
  std::vector<int32_t> out;
  for (int i = 0; i < count; ++i) out.push_back(random.Next());
  return out;
}

TEST(TransitionRandomTest, OrderTableIsTheLowBytesOfTheDrawsAfterSeedZero) {
  platform::ManualClock clock(5000);
  platform::ScopedClock scoped(clock);
  TransitionRandom random;
  const uint8_t* table = random.GetOrderTable();
  const std::vector<uint8_t> first(table, table + 8);
  EXPECT_EQ(first, (std::vector<uint8_t>{135, 98, 243, 3, 132, 14, 221, 132}));

  TransitionRandom reference;
  reference.Seed(0);
  for (size_t i = 0; i < TransitionRandom::kOrderTableSize; ++i) {
    const int32_t value = reference.Next();
    ASSERT_GE(value, 0);
    ASSERT_LT(value, 1000000000);
    ASSERT_EQ(table[i], uint8_t(value)) << "entry " << i;
  }
}

TEST(TransitionRandomTest, SecondRequestReturnsTheSameTableWithoutReseeding) {
  platform::ManualClock clock(7000);
  platform::ScopedClock scoped(clock);
  TransitionRandom random;
  const uint8_t* table = random.GetOrderTable();
  const std::vector<uint8_t> before(table, table + TransitionRandom::kOrderTableSize);
  const int32_t drawn = random.Next();
  clock.Advance(40);
  EXPECT_EQ(random.GetOrderTable(), table);
  EXPECT_EQ(std::vector<uint8_t>(table, table + TransitionRandom::kOrderTableSize), before);
  // The table was not rebuilt, so the generator runs on where it was.
  TransitionRandom replay;
  replay.Seed(7000);
  EXPECT_EQ(replay.Next(), drawn);
  EXPECT_EQ(replay.Next(), random.Next());
}

TEST(TransitionRandomTest, TableIsFixedButLaterDrawsFollowTheTimeOfTheRun) {
  platform::ManualClock clock(100);
  platform::ScopedClock scoped(clock);
  TransitionRandom firstRun;
  const uint8_t* firstTable = firstRun.GetOrderTable();
  const std::vector<int32_t> firstDraws = Draws(firstRun, 8);

  clock.SetTick(100 + 16807);
  TransitionRandom secondRun;
  const uint8_t* secondTable = secondRun.GetOrderTable();
  EXPECT_TRUE(std::equal(firstTable, firstTable + TransitionRandom::kOrderTableSize, secondTable));
  EXPECT_NE(Draws(secondRun, 8), firstDraws);

  // Building the table reseeds from the tick source: the draws after it are
  // those of a generator seeded with the tick of that moment.
  TransitionRandom replay;
  replay.Seed(100 + 16807);
  secondRun.Reset();
  clock.SetTick(100 + 16807);
  secondRun.GetOrderTable();
  EXPECT_EQ(Draws(secondRun, 8), Draws(replay, 8));
}

TEST(TransitionRandomTest, ConstructionSeedsFromTheTickSource) {
  platform::ManualClock clock(123456);
  platform::ScopedClock scoped(clock);
  TransitionRandom a;
  TransitionRandom b;
  b.Seed(123456);
  EXPECT_EQ(Draws(a, 60), Draws(b, 60));
}

}  // namespace
}  // namespace orrivel
