#pragma once
// Cutting the source rectangle of a stretch or a turn to the picture before
// any texel is read. A source rectangle may lie partly off its picture (a
// moved cell of a strip, a script's rectangle); the part that is there is
// drawn where it would lie in the whole mapping, so the picture is neither
// shifted nor squeezed, and the rest of the destination keeps its fill.
#include <cmath>
#include <cstdint>

#include "raster/PixelOpEntries.h"
#include "raster/Rect.h"

namespace orrivel {

// The part of sourceRect on picture, and the part of dest (the whole source
// rectangle stretched onto it) that shows it, edges rounded to the nearest
// pixel. False when nothing of the source rectangle is on the picture.
inline bool CutStretch(const Rect& sourceRect, const Rect& picture, const Rect& dest,
                       Rect* cutSource, Rect* cutDest) {
  if (!IntersectRects(cutSource, sourceRect, picture)) return false;
  if (*cutSource == sourceRect) {
    *cutDest = dest;
    return true;
  }
  const double sx = double(int64_t{dest.right} - dest.left) /
                    double(int64_t{sourceRect.right} - sourceRect.left);
  const double sy = double(int64_t{dest.bottom} - dest.top) /
                    double(int64_t{sourceRect.bottom} - sourceRect.top);
  auto at = [](int32_t origin, int64_t offset, double scale) {
    return ClampedEdge(origin, int64_t(std::llround(double(offset) * scale)));
  };
  *cutDest = {at(dest.left, int64_t{cutSource->left} - sourceRect.left, sx),
              at(dest.top, int64_t{cutSource->top} - sourceRect.top, sy),
              at(dest.left, int64_t{cutSource->right} - sourceRect.left, sx),
              at(dest.top, int64_t{cutSource->bottom} - sourceRect.top, sy)};
  return !cutDest->IsEmpty();
}

// The same for a turn: the corner data of the whole source rectangle becomes
// the corner data of its part on the picture (the parallelogram's points at
// the same fractions of its sides).
inline bool CutCorners(const Rect& sourceRect, const Rect& picture, const PixelOpCorners& corners,
                       Rect* cutSource, PixelOpCorners* cutCorners) {
  if (!IntersectRects(cutSource, sourceRect, picture)) return false;
  if (*cutSource == sourceRect) {
    *cutCorners = corners;
    return true;
  }
  const double w = double(int64_t{sourceRect.right} - sourceRect.left);
  const double h = double(int64_t{sourceRect.bottom} - sourceRect.top);
  const double s0 = double(int64_t{cutSource->left} - sourceRect.left) / w;
  const double s1 = double(int64_t{cutSource->right} - sourceRect.left) / w;
  const double t0 = double(int64_t{cutSource->top} - sourceRect.top) / h;
  const double t1 = double(int64_t{cutSource->bottom} - sourceRect.top) / h;
  const auto& p = corners.points;
  auto point = [&p](double s, double t, double out[2]) {
    for (int k = 0; k < 2; ++k) out[k] = p[0][k] + s * (p[1][k] - p[0][k]) + t * (p[2][k] - p[0][k]);
  };
  point(s0, t0, cutCorners->points[0]);
  point(s1, t0, cutCorners->points[1]);
  point(s0, t1, cutCorners->points[2]);
  point(s1, t1, cutCorners->points[3]);
  return true;
}

}  // namespace orrivel
