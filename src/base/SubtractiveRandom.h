#pragma once
// The subtractive generator with 55 words, lags 24 and 31 and modulus
// 1000000000. Several independent instances exist in the engine (the shared
// one the script host seeds, the transition library's own one); they differ
// only in how many refills mix the table after seeding.
//
// All arithmetic is on signed 32-bit words and the modulus is added once when
// a difference falls below zero. The seed enters unchanged, as the 32-bit value
// it is: with seeds below the modulus every draw lies in [0, 1000000000).
#include <array>
#include <cstddef>
#include <cstdint>

namespace orrivel {

class SubtractiveRandom {
 public:
  static constexpr int32_t kModulus = 1000000000;
  static constexpr int kWords = 55;
  // Refills after seeding: the shared generator mixes four times, the
  // transition library three times.
  static constexpr int kSharedSeedRefills = 4;
  static constexpr int kTransitionSeedRefills = 3;

  explicit SubtractiveRandom(int seedRefills = kSharedSeedRefills) : seedRefills_(seedRefills) {}
  virtual ~SubtractiveRandom() = default;

  // Fills the table from the seed, mixes it and leaves the index at 55 so
  // that the first draw refills the table once more.
  void Seed(uint32_t seed);
  // The next word: advances the index and refills the table past word 55.
  int32_t Next();
  // One subtractive pass over the table; the second loop already sees the
  // words the first loop changed.
  void Refill();

  // Word i for i in 1..55 (word 0 is never used).
  int32_t Word(int i) const { return words_[static_cast<size_t>(i)]; }
  int Index() const { return index_; }
  int SeedRefills() const { return seedRefills_; }

 private:
  static int32_t Subtract(int32_t a, int32_t b);

  std::array<int32_t, kWords + 1> words_{};
  int16_t index_ = 0;
  int seedRefills_;
};

// The one process-wide shared instance (four seeding refills): the script
// host seeds it, and the layer effects, the sprite frame steppers and the
// script natives all draw from this one sequence. Main thread only.
SubtractiveRandom& SharedRandom();
// One draw of the shared instance.
int32_t RandomDraw();
// Puts the shared instance back in its unseeded state (tests).
void ResetSharedRandom();

}  // namespace orrivel
