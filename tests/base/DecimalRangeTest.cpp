// Decimal texts as scripts write them: what is read, what is refused (not
// a number, NaN, infinities) and how a value outside a range is held to it.
#include "base/DecimalRange.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <optional>
#include <string>

namespace orrivel {
namespace {

TEST(DecimalRangeTest, ParseDecimalReadsFiniteNumbersOnly) {
  struct Case {
    std::string text;
    std::optional<double> value;
    size_t used;
  };
  const Case cases[] = {
      {"2.5", 2.5, 3},
      {"  -0.75xyz", -0.75, 7},
      {"+3", 3.0, 2},
      {"5.", 5.0, 2},
      {".5", 0.5, 2},
      {"1e3", 1000.0, 3},
      {"1E-2", 0.01, 4},
      {"7e", 7.0, 1},       // an exponent needs its digits
      {"7e+x", 7.0, 1},
      {"1e30", 1e30, 4},
      {"-1e30", -1e30, 5},
      {"1e400", DBL_MAX, 5},    // too large: the largest double
      {"-1e400", -DBL_MAX, 6},
      {"1e-400", 0.0, 6},       // too small: zero
      {"0.000e999999999999", 0.0, 18},
      {std::string(400, '9'), DBL_MAX, 400},
      {"nan", std::nullopt, 0},
      {"NaN", std::nullopt, 0},
      {"inf", std::nullopt, 0},
      {"-inf", std::nullopt, 0},
      {"infinity", std::nullopt, 0},
      {"0x10", 0.0, 1},         // no hexadecimal form: the 0 before the x
      {"", std::nullopt, 0},
      {"-", std::nullopt, 0},
      {".", std::nullopt, 0},
      {"abc", std::nullopt, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    size_t used = 0;
    const std::optional<double> value = ParseDecimal(c.text, &used);
    ASSERT_EQ(value.has_value(), c.value.has_value());
    if (!value) continue;
    EXPECT_EQ(*value, *c.value);
    EXPECT_EQ(used, c.used);
  }
}

TEST(DecimalRangeTest, ReadHoldsValuesToTheRangeAndRefusesWhatIsNoNumber) {
  const DecimalRange range{-10.0, 100.0};
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"nan", 7.0}, {"inf", 7.0},      {"-inf", 7.0},  {"1e30", 100.0},  {"-1e30", -10.0}, {"1e-400", 0.0},
      {"2.5", 2.5}, {"-10", -10.0},    {"100.0", 100.0}, {"100.5", 100.0}, {"garbage", 7.0}, {nullptr, 7.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "(null)");
    EXPECT_EQ(range.Read(c.text, 7.0), c.value);
  }
  EXPECT_EQ(DoubleToInt32Clamped(1e30), 2147483647);
  EXPECT_EQ(DoubleToInt32Clamped(-1e30), -2147483647 - 1);
  EXPECT_EQ(DoubleToInt32Clamped(0.0 / 1.0 - 2.9), -2);
}

}  // namespace
}  // namespace orrivel
