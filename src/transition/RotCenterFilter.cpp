#include "transition/RotCenterFilter.h"

#include <new>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/PixelOpEntries.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

TcpObject* RotCenterFilter::Create(int32_t) { return new (std::nothrow) RotCenterFilter(); }

int32_t RotCenterFilter::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &progress_.time.duration); code != kSetupDone)
    return code;
  MathTables* tables = GetMathTables();
  if (tables == nullptr || !tables->GetSinCosTable()) return kSetupNoTables;
  cos_ = tables->DoubleCosTable();
  direction_ = uint8_t(rest.Cell(1));
  smoothing_ = uint8_t(rest.Cell(2));
  progress_.time.firstPending = true;
  return kSetupDone;
}

int32_t RotCenterFilter::Update(uint32_t now) {
  progress_.Update(now, kTurn);
  return 0;
}

int32_t RotCenterFilter::Apply(const TransitionApplyRecord& r) {
  if (r.width <= 0 || r.height <= 0) return 0;
  if (r.from == nullptr || r.to == nullptr ||
      !RectInsideImage(r.destination, r.destX, r.destY, r.width, r.height))
    return kApplyFailed;
  const bool outward = direction_ == 1;
  const int32_t a = outward ? int32_t(kTurn - progress_.value) : int32_t(progress_.value);
  Image* turning = outward ? r.from : r.to;
  int32_t opacity = 255;
  if (direction_ == 2) {
    if (!progress_.changed) return 0;
    if (!progress_.firstFrame && a != int32_t(kTurn)) opacity = 16;
  } else {
    Image* still = outward ? r.to : r.from;
    const int32_t sx = outward ? r.toX : r.fromX, sy = outward ? r.toY : r.fromY;
    if (!RectInsideImage(still, sx, sy, r.width, r.height)) return kApplyFailed;
    CopyImageRect32(CurrentCopyKernel32(), r.destination, r.destX, r.destY, still,
                    Rect{sx, sy, sx + r.width, sy + r.height});
  }
  const int32_t code = DrawTurning(r, turning, a, opacity);
  if (auto* surface = dynamic_cast<Surface*>(r.destination))
    surface->MarkDirty(Rect{r.destX, r.destY, r.destX + r.width, r.destY + r.height});
  return code;
}

int32_t RotCenterFilter::DrawTurning(const TransitionApplyRecord& r, Image* picture, int32_t a,
                                     int32_t opacity) const {
  const int32_t w = r.from->GetWidth(), h = r.from->GetHeight();
  const int32_t sw = int32_t(int64_t{w} * a / int32_t(kTurn)), sh = int32_t(int64_t{h} * a / int32_t(kTurn));
  if (sw <= 1 || sh <= 1) return 0;
  auto draw = reinterpret_cast<PixelOpTransformDrawFn>(LibraryEntry(kPixelOpTransformDrawImage));
  if (draw == nullptr) return kApplyFailed;
  // Corners in destination pixels: the whole area's centre, where area
  // (0, 0) lands. Every band of a frame computes the same corners and is
  // cut to its own rows by the clip, so bands join without a seam.
  const double cx = (r.destX - r.areaX) + w / 2.0, cy = (r.destY - r.areaY) + h / 2.0;
  const double c = cos_[uint32_t(a) & 511], s = cos_[uint32_t(a - 128) & 511];
  const auto turn = [&](double dx, double dy, double* x, double* y) {
    *x = c * dx - s * dy + cx;
    *y = s * dx + c * dy + cy;
  };
  double x0, y0, x1, y1, x2, y2;
  turn(-sw / 2.0, -sh / 2.0, &x0, &y0);
  turn(sw / 2.0, -sh / 2.0, &x1, &y1);
  turn(-sw / 2.0, sh / 2.0, &x2, &y2);
  const PixelOpImage target = ViewForLibrary(r.destination), source = ViewForLibrary(picture);
  // Mode 0 copies texels; mode 2 blends them at the opacity.
  const Rect band{r.destX, r.destY, r.destX + r.width, r.destY + r.height};
  draw(&target, &source, x0, y0, x1, y1, x2, y2, nullptr, opacity < 255 ? 2 : 0, smoothing_, opacity, 0, 0, 0, &band);
  return 0;
}

}  // namespace orrivel
