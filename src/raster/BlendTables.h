#pragma once

#include <cstdint>

namespace orrivel {

// Multiplier lanes in the memory order of a pixel: blue, green, red, alpha.
struct OpacityLanes {
  uint16_t blue;
  uint16_t green;
  uint16_t red;
  uint16_t alpha;
};

// Process-wide tables, zero until BuildBlendTables fills them at start-up and
// read-only afterwards.
// ProductTable[a][b] = a * b / 255, rounded to nearest.
extern uint8_t ProductTable[256][256];
// Indexed from -768 to 1023 through ClampAt: clamps a sum or difference to a byte.
extern uint8_t ClampTable[1792];
// Entry 0 is all zero; entry k is (k + 1) in the colour lanes and 0 for alpha.
extern OpacityLanes OpacityMultiplierTable[256];
// Colour weight of a source coverage over a destination coverage.
extern uint8_t CompositeWeightTable[256][256];
// Union of two coverages: 255 - (255 - a)(255 - b) / 255.
extern uint8_t CompositeAlphaTable[256][256];

inline constexpr int kClampTableOffset = 768;

inline uint8_t ClampAt(int index) { return ClampTable[index + kClampTableOffset]; }

void BuildBlendTables();
// Builds the tables unless they are built already: drawing code that may
// run before start-up (or in a host that has none) calls it first, so it
// never blends through zero tables, which would draw black.
void EnsureBlendTables();

// Zeroes every table again, as before start-up (for tests); the next
// EnsureBlendTables builds them again.
void ResetBlendTables();

}  // namespace orrivel
