#include "resource/LzssMatchSpread.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace orrivel {
namespace {

TEST(LzssMatchSpreadTest, RaisesOnlyTheReachedPositionsWithLongerReferences) {
  uint8_t lengths[kLzssSpreadReach] = {};
  uint16_t distances[kLzssSpreadReach] = {};
  lengths[13] = 9;  // three back: already longer than 5 + 3
  distances[13] = 77;
  LzssSpreadMatchPlain(lengths, distances, 5, 4, 300);
  const uint8_t expectedLengths[kLzssSpreadReach] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 9, 7, 6};
  const uint16_t expectedDistances[kLzssSpreadReach] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 300, 77, 300, 300};
  EXPECT_EQ(0, std::memcmp(lengths, expectedLengths, sizeof lengths));
  EXPECT_EQ(0, std::memcmp(distances, expectedDistances, sizeof distances));
  // Lengths stop at 18; a match of no bytes forward offers nothing shorter
  // than a reference (the nearest two positions) and 3.. further back.
  uint8_t far[kLzssSpreadReach] = {};
  uint16_t farDistances[kLzssSpreadReach] = {};
  LzssSpreadMatchPlain(far, farDistances, 0, 16, 9);
  EXPECT_EQ(far[15], 0);
  EXPECT_EQ(far[14], 0);
  EXPECT_EQ(far[13], 3);
  EXPECT_EQ(far[0], 16);
  LzssSpreadMatchPlain(far, farDistances, 17, 16, 10);
  EXPECT_EQ(far[15], 18);
  EXPECT_EQ(far[0], 18);
  EXPECT_EQ(farDistances[0], 10);
}

TEST(LzssMatchSpreadTest, PackedMatchesPlainOnRandomTables) {
  std::mt19937 random(23);
  for (int round = 0; round < 20000; ++round) {
    uint8_t plainLengths[kLzssSpreadReach], packedLengths[kLzssSpreadReach];
    uint16_t plainDistances[kLzssSpreadReach], packedDistances[kLzssSpreadReach];
    for (int j = 0; j < kLzssSpreadReach; ++j) {
      const uint32_t length = random() % 19;
      plainLengths[j] = uint8_t(length < kLzssMinMatch ? 0 : length);
      plainDistances[j] = uint16_t(1 + random() % 4095);
    }
    std::memcpy(packedLengths, plainLengths, sizeof plainLengths);
    std::memcpy(packedDistances, plainDistances, sizeof plainDistances);
    const int forward = int(random() % 19);
    const int back = int(random() % (kLzssSpreadReach + 1));
    const int distance = int(1 + random() % 4095);
    LzssSpreadMatchPlain(plainLengths, plainDistances, forward, back, distance);
    LzssSpreadMatchPacked(packedLengths, packedDistances, forward, back, distance);
    ASSERT_EQ(0, std::memcmp(plainLengths, packedLengths, sizeof plainLengths)) << round;
    ASSERT_EQ(0, std::memcmp(plainDistances, packedDistances, sizeof plainDistances)) << round;
  }
}

}  // namespace
}  // namespace orrivel
