#include "raster/ClippedImage.h"

#include <algorithm>

namespace orrivel {

bool ClippedImage::SetClipRect(const Rect* rect) {
  if (rect == nullptr) {
    GetBounds(&clipRect_);
    return true;
  }
  if (rect->top >= rect->bottom || rect->left >= rect->right) return false;
  clipRect_ = Rect{std::max(rect->left, 0), std::max(rect->top, 0), std::min(rect->right, width_),
                   std::min(rect->bottom, height_)};
  return true;
}

bool ClippedImage::ClipToClipRect(Rect* rect) { return IntersectRectInPlace(rect, &clipRect_); }

}  // namespace orrivel
