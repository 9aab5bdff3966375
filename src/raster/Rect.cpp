#include "raster/Rect.h"

#include <algorithm>
#include <climits>

namespace orrivel {

int32_t ClampedEdge(int32_t at, int64_t extent) {
  return int32_t(std::clamp<int64_t>(int64_t{at} + extent, INT32_MIN, INT32_MAX));
}

bool IntersectRectInPlace(Rect* rect, const Rect* clip) {
  if (clip == nullptr) return false;
  rect->left = std::max(rect->left, clip->left);
  rect->right = std::min(rect->right, clip->right);
  if (rect->left >= rect->right) return false;
  rect->top = std::max(rect->top, clip->top);
  rect->bottom = std::min(rect->bottom, clip->bottom);
  return rect->top < rect->bottom;
}

bool IntersectRects(Rect* out, const Rect& a, const Rect& b) {
  const Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
               std::min(a.bottom, b.bottom)};
  if (r.right <= r.left || r.bottom <= r.top) return false;
  if (out) *out = r;
  return true;
}

namespace {

// Moves a source side by the overhang d of its destination side, scaled by
// source/destination length (truncating toward zero). Both factors may span
// the whole 32-bit range, so the product is taken in 128 bits; a shift held to
// 2^40 still empties any rectangle of 32-bit sides.
int64_t ScaledShift(int64_t d, int64_t sourceLength, int64_t destLength) {
  constexpr __int128 kLimit = __int128(1) << 40;
  __int128 v = __int128(d) * sourceLength / destLength;
  if (v > kLimit) v = kLimit;
  if (v < -kLimit) v = -kLimit;
  return int64_t(v);
}

// Sides worked in 64 bits: placements come from scripts, and a position near
// the ends of the 32-bit range must not wrap into a rectangle that looks
// non-empty and points outside the source.
struct Sides {
  int64_t left, top, right, bottom;
  bool IsEmpty() const { return left >= right || top >= bottom; }
};

Sides SidesOf(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

Rect Store(const Sides& s) {
  return Rect{int32_t(s.left), int32_t(s.top), int32_t(s.right), int32_t(s.bottom)};
}

}  // namespace

int MapClipRectScaled(int32_t x, int32_t y, Rect* source, Rect* dest, const Rect* clip,
                      const Size* size) {
  if (clip == nullptr) return 1;
  Sides src = SidesOf(*source);
  const int64_t sw = src.right - src.left;
  const int64_t sh = src.bottom - src.top;
  const int64_t dw = size != nullptr ? size->width : sw;
  const int64_t dh = size != nullptr ? size->height : sh;
  Sides dst{x, y, x + dw, y + dh};
  if (size != nullptr && (dw == 0 || dh == 0)) {
    *dest = Store(dst);
    return -1;
  }
  // Unscaled, a source side moves by the overhang itself; scaled, by the
  // overhang times source/destination length.
  auto shift = [size](int64_t d, int64_t sourceLength, int64_t destLength) {
    return size == nullptr ? d : ScaledShift(d, sourceLength, destLength);
  };
  const int64_t overLeft = int64_t(clip->left) - x;
  if (overLeft >= 1) {
    src.left += shift(overLeft, sw, dw);
    dst.left = clip->left;
  }
  const int64_t overRight = dst.right - clip->right;
  if (overRight > 0) {
    src.right -= shift(overRight, sw, dw);
    dst.right = clip->right;
  }
  const int64_t overTop = int64_t(clip->top) - y;
  if (overTop >= 1) {
    src.top += shift(overTop, sh, dh);
    dst.top = clip->top;
  }
  const int64_t overBottom = dst.bottom - clip->bottom;
  if (overBottom > 0) {
    src.bottom -= shift(overBottom, sh, dh);
    dst.bottom = clip->bottom;
  }
  *source = Store(src);
  *dest = Store(dst);
  const bool empty = size == nullptr ? src.IsEmpty() : (src.IsEmpty() || dst.IsEmpty());
  return empty ? -1 : 0;
}

}  // namespace orrivel
