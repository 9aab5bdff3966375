#include "display/PrimitiveVertex.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "base/MathTables.h"
#include "display/D3DDevice.h"

namespace orrivel {

void ApplyBlend(D3DDevice& device, const StateTriple& blend) {
  device.SetAlphaBlendEnable(blend.a);
  device.SetSrcBlend(blend.b);
  device.SetDestBlend(blend.c);
}

void ApplyStage(D3DDevice& device, const StateTriple& colorOp, const StateTriple& alphaOp) {
  device.SetColorOp(colorOp.a);
  device.SetColorArg1(colorOp.b);
  device.SetColorArg2(colorOp.c);
  device.SetAlphaOp(alphaOp.a);
  device.SetAlphaArg1(alphaOp.b);
  device.SetAlphaArg2(alphaOp.c);
}

Point AnchorOffset(uint32_t mode, int32_t width, int32_t height) {
  switch (mode & 0xFF) {
    case 0:
      return Point{0, 0};
    case 1:
      return Point{width, 0};
    case 2:
      return Point{0, height};
    case 3:
      return Point{width, height};
    case 4:
      return Point{width >> 1, height >> 1};
    default:
      return Point{int32_t(mode & 0xFF), int32_t(mode & 0xFF)};
  }
}

Point AnchorPoint(uint32_t mode, int32_t left, int32_t top, int64_t width, int64_t height) {
  const auto held = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
  const Point offset = AnchorOffset(mode, held(width), held(height));
  return Point{held(int64_t(left) + offset.x), held(int64_t(top) + offset.y)};
}

void RotateAbout(const MathTables& tables, int32_t angle, const Point& anchor, float* x, float* y) {
  // c is the table's entry for -a and -s its entry for -a - 128, so the
  // turn is anticlockwise as seen with y growing downwards.
  const int64_t c = tables.Cos(-angle);
  const int64_t s = -int64_t(tables.Cos(-angle - 128));
  const int64_t dx = int64_t(std::lround(*x)) - anchor.x;
  const int64_t dy = int64_t(std::lround(*y)) - anchor.y;
  *x = float(((c * dx + s * dy) >> 16) + anchor.x);
  *y = float(((c * dy - s * dx) >> 16) + anchor.y);
}

bool ReadRawPixel(platform::SoftSurface* surface, int32_t x, int32_t y, uint32_t* out) {
  if (surface == nullptr || x < 0 || y < 0 || x >= surface->Width() || y >= surface->Height()) {
    return false;
  }
  platform::SurfaceLock lock;
  if (surface->Lock(nullptr, &lock) != platform::kSurfaceOk) return false;
  const uint32_t bytes = std::clamp(lock.format.bitCount / 8, 1u, 4u);
  uint32_t value = 0;
  std::memcpy(&value, lock.bits + ptrdiff_t(y) * lock.pitch + ptrdiff_t(x) * bytes, bytes);
  surface->Unlock();
  // Only the colour bits count: a key never holds the unused or alpha bits.
  const uint32_t colour = lock.format.redMask | lock.format.greenMask | lock.format.blueMask;
  const uint32_t all = bytes == 4 ? 0xFFFFFFFFu : (1u << (bytes * 8)) - 1;
  *out = value & (colour != 0 ? colour : all);
  return true;
}

}  // namespace orrivel
