#include "resource/plugin/ObjectArguments.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orrivel {
namespace {

TEST(ObjectArguments, DoubleIsReadFromTwoCellsLowWordFirst) {
  const double value = -1234.5678;
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  // Cells are 32-bit script values widened with their sign.
  const std::intptr_t words[] = {7, std::int32_t(uint32_t(bits)), std::int32_t(uint32_t(bits >> 32))};
  const ObjectArguments arguments{words, 3};
  EXPECT_EQ(arguments.Double(1), value);
  EXPECT_EQ(arguments.Cell(0), 7);
  // A missing high cell reads as 0: only the low word's bits remain.
  const ObjectArguments cut{words, 2};
  uint64_t lowOnly = uint32_t(bits);
  double expected = 0;
  std::memcpy(&expected, &lowOnly, sizeof expected);
  EXPECT_EQ(cut.Double(1), expected);
  EXPECT_EQ(ObjectArguments{}.Double(0), 0.0);
}

}  // namespace
}  // namespace orrivel
