#include "base/SubtractiveRandom.h"
#include "natives/NativeBinder.h"

namespace orrivel {

namespace {

constexpr uint32_t kRandomShared = 81;
constexpr uint32_t kSeedSharedRandom = 82;

}  // namespace

// The shared subtractive generator, as the scripts draw from and re-seed it.
// A modulus of 0 answers 0 without drawing, so the sequence does not move.
void BindRandomNatives(NativeBinder& binder) {
  binder.Bind(kRandomShared, [](NativeArgs& args) -> uint32_t {
    const uint32_t modulus = args.Cell(0);
    if (args.Failed() || modulus == 0) return 0;
    return uint32_t(SharedRandom().Next()) % modulus;
  });
  binder.Bind(kSeedSharedRandom, [](NativeArgs& args) -> uint32_t {
    const uint32_t seed = args.Cell(0);
    if (!args.Failed()) SharedRandom().Seed(seed);
    return 0;
  });
}

}  // namespace orrivel
