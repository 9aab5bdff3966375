#pragma once
// The transition library's own random generator: an instance of the
// subtractive generator, apart from every other instance in the program,
// seeded from the process tick source when first used, and the 256-byte
// order table that the block modes read.
//
// The order table is the low bytes of the first 256 draws after seeding
// with 0, so it is the same in every run (bytes repeat: it is not a
// permutation). Building it reseeds the generator from the tick source, so
// draws after it still differ between runs. The table lives in static
// storage and cannot fail to be made.
//
// Main thread only.
#include <array>
#include <cstdint>

#include "base/SubtractiveRandom.h"

namespace orrivel {

class TransitionRandom {
 public:
  static constexpr size_t kOrderTableSize = 256;

  // Seeds from the tick source.
  TransitionRandom();
  virtual ~TransitionRandom() = default;
  TransitionRandom(const TransitionRandom&) = delete;
  TransitionRandom& operator=(const TransitionRandom&) = delete;

  // The library's instance, made on first use.
  static TransitionRandom& Instance();

  // The next number, 0 to 999999999 after any seed below 10^9; callers take
  // the low byte or the remainder by a small count.
  int32_t Next() { return generator_.Next(); }
  void Seed(uint32_t seed) { generator_.Seed(seed); }
  // Builds the table on the first call.
  const uint8_t* GetOrderTable();

  // Back to the state of program start: the table forgotten, the generator
  // seeded from the tick source. For tests that stand for separate runs.
  void Reset();

 private:
  void SeedFromTicks();

  SubtractiveRandom generator_{SubtractiveRandom::kTransitionSeedRefills};
  std::array<uint8_t, kOrderTableSize> orderTable_{};
  bool orderTableBuilt_ = false;
};

}  // namespace orrivel
