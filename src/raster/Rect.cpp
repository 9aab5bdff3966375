#include "raster/Rect.h"

#include <algorithm>

namespace orrivel {

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
// source/destination length (truncating toward zero).
int32_t ScaledShift(int64_t d, int64_t sourceLength, int64_t destLength) {
  return int32_t(d * sourceLength / destLength);
}

}  // namespace

int MapClipRectScaled(int32_t x, int32_t y, Rect* source, Rect* dest, const Rect* clip,
                      const Size* size) {
  if (clip == nullptr) return 1;
  const int64_t sw = int64_t(source->right) - source->left;
  const int64_t sh = int64_t(source->bottom) - source->top;
  if (size == nullptr) {
    *dest = Rect{x, y, int32_t(x + sw), int32_t(y + sh)};
    const int64_t overLeft = int64_t(clip->left) - x;
    if (overLeft >= 1) {
      source->left += int32_t(overLeft);
      dest->left = clip->left;
    }
    const int64_t overRight = int64_t(dest->right) - clip->right;
    if (overRight > 0) {
      source->right -= int32_t(overRight);
      dest->right = clip->right;
    }
    const int64_t overTop = int64_t(clip->top) - y;
    if (overTop >= 1) {
      source->top += int32_t(overTop);
      dest->top = clip->top;
    }
    const int64_t overBottom = int64_t(dest->bottom) - clip->bottom;
    if (overBottom > 0) {
      source->bottom -= int32_t(overBottom);
      dest->bottom = clip->bottom;
    }
    return source->IsEmpty() ? -1 : 0;
  }

  *dest = Rect{x, y, x + size->width, y + size->height};
  const int64_t dw = size->width;
  const int64_t dh = size->height;
  if (dw == 0 || dh == 0) return -1;
  const int64_t overLeft = int64_t(clip->left) - x;
  if (overLeft >= 1) {
    source->left += ScaledShift(overLeft, sw, dw);
    dest->left = clip->left;
  }
  const int64_t overRight = int64_t(dest->right) - clip->right;
  if (overRight > 0) {
    source->right -= ScaledShift(overRight, sw, dw);
    dest->right = clip->right;
  }
  const int64_t overTop = int64_t(clip->top) - y;
  if (overTop >= 1) {
    source->top += ScaledShift(overTop, sh, dh);
    dest->top = clip->top;
  }
  const int64_t overBottom = int64_t(dest->bottom) - clip->bottom;
  if (overBottom > 0) {
    source->bottom -= ScaledShift(overBottom, sh, dh);
    dest->bottom = clip->bottom;
  }
  return (source->IsEmpty() || dest->IsEmpty()) ? -1 : 0;
}

}  // namespace orrivel
