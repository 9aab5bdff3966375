#include "base/SubtractiveRandom.h"

namespace orrivel {

// Wrapping 32-bit difference with the modulus added once below zero; seeds at
// or above the modulus may push words out of range, which must wrap, not trap.
int32_t SubtractiveRandom::Subtract(int32_t a, int32_t b) {
  auto difference = static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
  if (difference < 0)
    difference = static_cast<int32_t>(static_cast<uint32_t>(difference) + static_cast<uint32_t>(kModulus));
  return difference;
}

void SubtractiveRandom::Seed(uint32_t seed) {
  int32_t previous = static_cast<int32_t>(seed);
  words_[kWords] = previous;
  int32_t next = 1;
  for (int i = 1; i < kWords; ++i) {
    const int slot = (21 * i) % kWords;
    words_[static_cast<size_t>(slot)] = next;
    next = Subtract(previous, next);
    previous = words_[static_cast<size_t>(slot)];
  }
  for (int pass = 0; pass < seedRefills_; ++pass) Refill();
  index_ = kWords;
}

void SubtractiveRandom::Refill() {
  for (size_t i = 1; i <= 24; ++i) words_[i] = Subtract(words_[i], words_[i + 31]);
  for (size_t i = 25; i <= kWords; ++i) words_[i] = Subtract(words_[i], words_[i - 24]);
}

int32_t SubtractiveRandom::Next() {
  ++index_;
  if (index_ > kWords) {
    Refill();
    index_ = 1;
  }
  return words_[static_cast<size_t>(index_)];
}

SubtractiveRandom& SharedRandom() {
  static SubtractiveRandom shared(SubtractiveRandom::kSharedSeedRefills);
  return shared;
}

int32_t RandomDraw() { return SharedRandom().Next(); }

void ResetSharedRandom() { SharedRandom() = SubtractiveRandom(SubtractiveRandom::kSharedSeedRefills); }

}  // namespace orrivel
