#include "transition/RotaxisTransition.h"

#include <algorithm>
#include <new>

#include "base/MathTables.h"
#include "raster/LibraryImageOps.h"
#include "raster/Surface.h"
#include "transition/BandTransitions.h"

namespace orrivel {

namespace {

int32_t TurnedAngle(uint32_t progress) {
  // The second half turns half a revolution further, so the to-picture is
  // not shown mirrored.
  return int32_t(progress > 128 ? progress + 256 : progress);
}

void FillInside(Surface* surface, Rect strip, const Rect& band) {
  strip = Rect{std::max(strip.left, band.left), std::max(strip.top, band.top),
               std::min(strip.right, band.right), std::min(strip.bottom, band.bottom)};
  if (strip.left < strip.right && strip.top < strip.bottom) FillRectOp(surface, 0, strip);
}

}  // namespace

TcpObject* RotaxisTransition::Create(int32_t) { return new (std::nothrow) RotaxisTransition(); }

int32_t RotaxisTransition::SetupV(const ObjectArgument& first, const ObjectArguments& rest) {
  if (const int32_t code = ReadTransitionHead(first, rest, &time_.duration); code != kSetupDone)
    return code;
  MathTables* tables = GetMathTables();
  if (tables == nullptr || !tables->GetSinCosTable()) return kSetupNoMathTables;
  cosTable_ = tables->DoubleCosTable();
  axis_ = uint8_t(rest.Cell(1));
  if (!first.Object<TransitionTarget>()->GetPictureSize(&pictureWidth_, &pictureHeight_))
    pictureWidth_ = pictureHeight_ = 0;
  time_.firstPending = true;
  return kSetupDone;
}

int32_t RotaxisTransition::Update(uint32_t now) {
  progress_ = time_.TakeFirst(now) ? 0 : time_.Scaled(now, 256);
  return 0;
}

void RotaxisTransition::ProjectCorners(int32_t width, int32_t height, platform::Point out[4]) const {
  const int32_t a = TurnedAngle(progress_);
  const double c = cosTable_[a & 511], s = cosTable_[(a - 128) & 511];
  const double corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
  const int32_t halfW = width / 2, halfH = height / 2;
  for (int i = 0; i < 4; ++i) {
    const double x = corners[i][0], y = corners[i][1];
    double tx = x, ty = y, tz = 0;
    switch (axis_) {
      case 0: tx = x * c; tz = -x * s; break;
      case 1: tx = x * c; tz = x * s; break;
      case 2: ty = y * c; tz = y * s; break;
      default: ty = y * c; tz = -y * s; break;
    }
    const double w = tz + 2.0;
    out[i] = {int32_t((2 * tx / w + 1.0) * halfW), int32_t((1.0 - 2 * ty / w) * halfH)};
  }
}

int32_t RotaxisTransition::Apply(const TransitionApplyRecord& r) {
  auto* destination = dynamic_cast<Surface*>(r.destination);
  if (destination == nullptr || destination->GetKind() != kImageKindDib) return kApplyNotDib;
  if (r.width <= 0 || r.height <= 0) return 0;
  const bool whole = pictureWidth_ > 0 && pictureHeight_ > 0;
  const int32_t w = whole ? pictureWidth_ : r.width, h = whole ? pictureHeight_ : r.height;
  // Area (0, 0) of the whole picture, or the band's own corner, lands here.
  const int32_t originX = r.destX - (whole ? r.areaX : 0), originY = r.destY - (whole ? r.areaY : 0);
  platform::Point points[4];
  ProjectCorners(w, h, points);
  for (platform::Point& p : points) p = {p.x + originX, p.y + originY};
  const Rect band{r.destX, r.destY, r.destX + r.width, r.destY + r.height};
  const int32_t a = TurnedAngle(progress_);
  if (a != 0 && a != 512) {
    const int32_t top = std::max(points[0].y, points[1].y);
    const int32_t bottom = std::min(points[2].y, points[3].y);
    const int32_t left = originX, right = originX + w;
    FillInside(destination, {left, originY, right, top}, band);
    FillInside(destination, {left, bottom, right, originY + h}, band);
    FillInside(destination, {left, top, points[0].x, bottom}, band);
    FillInside(destination, {points[1].x, top, right, bottom}, band);
  }
  const bool fromSide = a <= 128;
  auto* source = dynamic_cast<Surface*>(fromSide ? r.from : r.to);
  if (source == nullptr) return 0;
  const int32_t sx = (fromSide ? r.fromX : r.toX) - (whole ? r.areaX : 0);
  const int32_t sy = (fromSide ? r.fromY : r.toY) - (whole ? r.areaY : 0);
  const Rect sourceRect{sx, sy, sx + w, sy + h};
  if (!RectInsideImage(source, sx, sy, w, h)) return kApplyFailed;
  destination->MapQuad(source, points, &sourceRect, &band);
  return 0;
}

}  // namespace orrivel
