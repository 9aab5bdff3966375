#include "resource/Stream.h"

namespace orrivel {

uint32_t ClampForward(uint32_t position, uint32_t size, int64_t delta) {
  const int64_t target = int64_t(position) + delta;
  if (target < 0) return 0;
  if (target > int64_t(size)) return size;
  return uint32_t(target);
}

}  // namespace orrivel
