#include "base/BitArray.h"

#include <gtest/gtest.h>

namespace orrivel {
namespace {

TEST(BitArray, EmptyArrayRefusesEverything) {
  BitArray bits;
  const uint8_t byte = 0xFF;
  EXPECT_EQ(bits.ByteCount(), 0u);
  EXPECT_EQ(bits.Set(0, 1), 1);
  EXPECT_FALSE(bits.Test(0));
  EXPECT_EQ(bits.LoadBytes(&byte, 1), 1);
  EXPECT_EQ(bits.CountSet(), 0u);
  EXPECT_FALSE(bits.AllSet());
}

TEST(BitArray, NineBitsTakeTwoBytesLsbFirst) {
  BitArray bits;
  ASSERT_EQ(bits.Resize(9), 0);
  EXPECT_EQ(bits.BitCount(), 9u);
  EXPECT_EQ(bits.ByteCount(), 2u);
  EXPECT_EQ(bits.Set(9, 1), 2);
  EXPECT_FALSE(bits.Test(9));
  EXPECT_EQ(bits.Set(8, 1), 0);
  EXPECT_EQ(bits.Set(1, 1), 0);
  EXPECT_EQ(bits.Bytes()[0], 0x02);
  EXPECT_EQ(bits.Bytes()[1], 0x01);
  EXPECT_EQ(bits.Set(1, 0), 0);
  EXPECT_FALSE(bits.Test(1));
  EXPECT_TRUE(bits.Test(8));

  // Resize to 0 is refused and keeps the bits.
  EXPECT_EQ(bits.Resize(0), 1);
  EXPECT_TRUE(bits.Test(8));
  // Resize replaces the bits with clear ones.
  ASSERT_EQ(bits.Resize(3), 0);
  EXPECT_EQ(bits.CountSet(), 0u);
  bits.Clear();
  EXPECT_EQ(bits.BitCount(), 0u);
  EXPECT_EQ(bits.Bytes(), nullptr);
}

TEST(BitArray, AllSetAndCountSetAfterLoad) {
  BitArray bits;
  ASSERT_EQ(bits.Resize(16), 0);
  const uint8_t almost[2] = {0xFF, 0x7F};
  const uint8_t full[2] = {0xFF, 0xFF};
  ASSERT_EQ(bits.LoadBytes(almost, 2), 0);
  EXPECT_FALSE(bits.AllSet());
  ASSERT_EQ(bits.LoadBytes(full, 2), 0);
  EXPECT_TRUE(bits.AllSet());
  EXPECT_EQ(bits.LoadBytes(full, 3), 1);  // more than the storage
  EXPECT_EQ(bits.LoadBytes(nullptr, 1), 1);

  // Bits above the count in the last byte are counted but do not make AllSet.
  ASSERT_EQ(bits.Resize(10), 0);
  const uint8_t high[2] = {0xFF, 0xF1};
  ASSERT_EQ(bits.LoadBytes(high, 2), 0);
  EXPECT_EQ(bits.CountSet(), 13u);
  EXPECT_FALSE(bits.AllSet());
  EXPECT_EQ(bits.Set(9, 1), 0);
  EXPECT_TRUE(bits.AllSet());
}

TEST(BitArray, LargestCountDoesNotWrapTheByteCount) {
  BitArray bits;
  const int32_t result = bits.Resize(0xFFFFFFFFu);  // 512 MiB when there is room
  if (result == 0) {
    EXPECT_EQ(bits.ByteCount(), 0x20000000u);
    EXPECT_EQ(bits.Set(0xFFFFFFFEu, 1), 0);
    EXPECT_TRUE(bits.Test(0xFFFFFFFEu));
  } else {
    EXPECT_EQ(result, 2);
    EXPECT_EQ(bits.ByteCount(), 0u);
  }
}

}  // namespace
}  // namespace orrivel
