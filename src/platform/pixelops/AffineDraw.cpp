// Entry 12: a picture drawn through an affine map given in 16.16 fixed
// point. The map sends the source rectangle to a parallelogram, which the
// transformed draw then fills, so both entries sample alike.
#include "platform/pixelops/Entries.h"

namespace pixelops {

using orrivel::PixelOpImage;
using orrivel::Rect;

int32_t AffineDraw(const PixelOpImage* target, const PixelOpImage* source, int32_t a, int32_t b, int32_t c,
                   int32_t d, int32_t tx, int32_t ty, const Rect* sourceRect, int32_t mode, int32_t reserved,
                   int32_t opacity, int32_t r1, int32_t r2, int32_t r3, int32_t r4) {
  if (!Usable32(target) || !Usable32(source)) return kRefused;
  const Rect area = sourceRect != nullptr ? *sourceRect : Rect{0, 0, source->width, source->height};
  if (area.IsEmpty()) return kRefused;
  constexpr double kOne = 65536.0;
  const double w = double(int64_t(area.right) - area.left), h = double(int64_t(area.bottom) - area.top);
  const double x0 = tx / kOne, y0 = ty / kOne;
  const double x1 = x0 + a / kOne * w, y1 = y0 + b / kOne * w;
  const double x2 = x0 + c / kOne * h, y2 = y0 + d / kOne * h;
  return TransformDraw(target, source, x0, y0, x1, y1, x2, y2, &area, mode, reserved, opacity, r1, r2, r3, r4);
}

}  // namespace pixelops
