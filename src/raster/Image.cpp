#include "raster/Image.h"

namespace orrivel {

Rect* Image::GetBounds(Rect* out) const {
  *out = Rect{0, 0, width_, height_};
  return out;
}

Rect* Image::GetClipRect(Rect* out) const {
  *out = clipRect_;
  return out;
}

}  // namespace orrivel
