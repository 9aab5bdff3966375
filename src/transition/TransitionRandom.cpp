#include "transition/TransitionRandom.h"

#include "base/TickSource.h"

namespace orrivel {

TransitionRandom::TransitionRandom() { SeedFromTicks(); }

TransitionRandom& TransitionRandom::Instance() {
  static TransitionRandom instance;
  return instance;
}

void TransitionRandom::SeedFromTicks() { generator_.Seed(CurrentTickMs()); }

const uint8_t* TransitionRandom::GetOrderTable() {
  if (!orderTableBuilt_) {
    generator_.Seed(0);
    for (uint8_t& entry : orderTable_) entry = uint8_t(generator_.Next());
    SeedFromTicks();
    orderTableBuilt_ = true;
  }
  return orderTable_.data();
}

void TransitionRandom::Reset() {
  orderTableBuilt_ = false;
  orderTable_.fill(0);
  SeedFromTicks();
}

}  // namespace orrivel
