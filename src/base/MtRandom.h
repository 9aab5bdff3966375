#pragma once
// The MT19937 generator with the 1998 reference seeding. That seeding differs
// from std::mt19937::seed, so the sequences differ from the standard
// library's for the same seed; the state transition and tempering are the same.
#include <cstdint>

namespace orrivel {

class MtRandom {
 public:
  static constexpr int kStateWords = 624;
  static constexpr uint32_t kDefaultSeed = 4357;

  MtRandom() = default;
  virtual ~MtRandom() = default;

  void SeedRandom(uint32_t seed);
  // A generator never seeded seeds itself with kDefaultSeed first.
  uint32_t NextRandom();

  const uint32_t* State() const { return state_; }
  // kStateWords + 1 until seeded; kStateWords when the next call regenerates.
  int Index() const { return index_; }

 private:
  void Regenerate();

  uint32_t state_[kStateWords] = {};
  int index_ = kStateWords + 1;
};

}  // namespace orrivel
