#pragma once
// The colour (without alpha) a 32-bit display surface shows at a point.
#include <cstdint>

#include "platform/SoftSurface.h"

namespace orrivel::test {

// 0xDEAD when the surface cannot be read.
inline uint32_t ShownPixel(platform::SoftSurface& surface, int32_t x, int32_t y) {
  platform::SurfaceLock lock;
  if (surface.Lock(nullptr, &lock) != platform::kSurfaceOk) return 0xDEADu;
  const uint32_t value = reinterpret_cast<const uint32_t*>(lock.bits + y * lock.pitch)[x] & 0xFFFFFFu;
  surface.Unlock();
  return value;
}

}  // namespace orrivel::test
