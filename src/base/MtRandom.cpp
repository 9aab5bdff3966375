#include "base/MtRandom.h"

namespace orrivel {
namespace {

constexpr int kShift = 397;
constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;

uint32_t Twist(uint32_t upper, uint32_t lower, uint32_t shifted) {
  const uint32_t y = (upper & kUpperMask) | (lower & kLowerMask);
  return shifted ^ (y >> 1) ^ ((y & 1) ? kMatrixA : 0u);
}

}  // namespace

void MtRandom::SeedRandom(uint32_t seed) {
  uint32_t x = seed;
  for (uint32_t& word : state_) {
    word = x & 0xFFFF0000u;
    x = x * 69069u + 1;
    word |= x >> 16;
    x = x * 69069u + 1;
  }
  index_ = kStateWords;
}

void MtRandom::Regenerate() {
  int k = 0;
  for (; k < kStateWords - kShift; ++k) state_[k] = Twist(state_[k], state_[k + 1], state_[k + kShift]);
  for (; k < kStateWords - 1; ++k) state_[k] = Twist(state_[k], state_[k + 1], state_[k + kShift - kStateWords]);
  state_[kStateWords - 1] = Twist(state_[kStateWords - 1], state_[0], state_[kShift - 1]);
  index_ = 0;
}

uint32_t MtRandom::NextRandom() {
  if (index_ >= kStateWords) {
    if (index_ == kStateWords + 1) SeedRandom(kDefaultSeed);
    Regenerate();
  }
  uint32_t y = state_[index_++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

}  // namespace orrivel
