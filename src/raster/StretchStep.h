#pragma once

#include <cstdint>

namespace orrivel {

// Stepping state of a stretched blit. Per destination pixel the source moves
// by xStep pixels and xRemainder is added to xError; the carry out of that
// 32-bit addition (xError is negative before each step) moves the source one
// pixel further and takes xDenominator off again. Rows step the same way.
struct StretchStep {
  int32_t xError = 0;
  int32_t xRemainder = 0;
  int32_t xDenominator = 0;
  int32_t xStep = 0;
  int32_t yError = 0;
  int32_t yRemainder = 0;
  int32_t yDenominator = 0;
  int32_t yStep = 0;
};

// State of the filtered scaled copy: fractions in 0.32, increments in 32.32.
struct ScaleStep {
  uint32_t xFraction = 0;
  uint32_t yFraction = 0;
  uint64_t xIncrement = 0;
  uint64_t yIncrement = 0;
};

// One step of the carry rule shared by every stretched kernel: adds the
// remainder to the error and returns 1 when the addition carried out of 32
// bits, after taking the denominator off.
inline int32_t StepCarry(uint32_t& error, uint32_t remainder, uint32_t denominator) {
  const uint32_t sum = error + remainder;
  const bool carry = sum < error;
  error = carry ? sum - denominator : sum;
  return carry ? 1 : 0;
}

}  // namespace orrivel
