#pragma once
// The scanline walk shared by the quadrilateral mapper kernels; each kernel
// supplies its pixel rule. Internal to QuadMapper*.cpp.
#include <algorithm>
#include <cstdint>

#include "raster/QuadMapper.h"
#include "raster/Surface.h"

namespace orrivel::quad_map {

inline constexpr int kFractionBits = 20;
inline constexpr int64_t kOne = int64_t{1} << kFractionBits;

struct Corner {
  int64_t x, y, u, v;
};

// Neighbours (first, second) and opposite of each corner in Z order.
inline constexpr int kNeighbour[4][2] = {{1, 2}, {0, 3}, {0, 3}, {1, 2}};
inline constexpr int kOpposite[4] = {3, 2, 1, 0};

inline int64_t HoldCoordinate(int32_t value) {
  return std::clamp<int64_t>(value, -kQuadCoordinateLimit, kQuadCoordinateLimit);
}

// One side of the quadrilateral walking down its chain of corners. x, u
// and v are 12.20; the per-row steps are subtracted once per row.
struct Edge {
  int chain[4] = {};
  int at = 0;  // the edge runs chain[at] -> chain[at + 1]
  int64_t x = 0, u = 0, v = 0, dx = 0, du = 0, dv = 0;

  int End() const { return chain[at + 1]; }

  void Start(const Corner* c, bool keepX) {
    const Corner& s = c[chain[at]];
    const Corner& e = c[chain[at + 1]];
    if (!keepX) x = s.x << kFractionBits;
    u = s.u << kFractionBits;
    v = s.v << kFractionBits;
    const int64_t h = e.y - s.y;
    if (h > 0) {
      dx = ((s.x - e.x) << kFractionBits) / h;
      du = ((s.u - e.u) << kFractionBits) / h;
      dv = ((s.v - e.v) << kFractionBits) / h;
    } else {
      dx = du = dv = 0;
    }
  }
  // Turns at its end corner toward the next one of its chain; x goes on
  // from where the steps brought it.
  void Turn(const Corner* c) {
    if (at + 2 > 3) return;
    ++at;
    Start(c, true);
  }
  void Step(int64_t n) {
    x -= n * dx;
    u -= n * du;
    v -= n * dv;
  }
};

struct SourceView {
  uint8_t* const* rows;
  Rect clip;
};

// rule(uint32_t* pixel, uint32_t texel).
template <typename Rule>
void DrawSpan(uint32_t* row, const Edge& left, const Edge& right, const Rect& clip,
              const SourceView& src, uint8_t spanFlag, Rule& rule) {
  const int64_t px0 = left.x >> kFractionBits;
  const int64_t px1 = right.x >> kFractionBits;
  const int64_t n = px1 - px0;
  if (n <= 0) return;
  int64_t du = 0, dv = 0;
  if (n > 1) {
    const int64_t length = (n << kFractionBits) - (spanFlag == 0 ? kOne : 0);
    du = ((left.u - right.u) << kFractionBits) / length;
    dv = ((left.v - right.v) << kFractionBits) / length;
  }
  const int64_t start = std::max<int64_t>(px0, clip.left);
  const int64_t end = std::min<int64_t>(px1, clip.right);
  if (start >= end) return;
  int64_t u = left.u - (start - px0) * du;
  int64_t v = left.v - (start - px0) * dv;
  for (int64_t x = start; x < end; ++x, u -= du, v -= dv) {
    const int64_t col = u >> kFractionBits;
    const int64_t texRow = v >> kFractionBits;
    if (col < src.clip.left || col >= src.clip.right || texRow < src.clip.top ||
        texRow >= src.clip.bottom)
      continue;
    const auto* texels = reinterpret_cast<const uint32_t*>(src.rows[texRow]);
    rule(row + x, texels[col]);
  }
}

template <typename Rule>
int MapQuad(Image* dest, Surface* source, const Point destPoints[4], const Point sourcePoints[4],
            const Rect& destClip, uint8_t spanFlag, Rule rule) {
  if (source->RowTable() == nullptr && source->BuildRowTable() != 0) return 1;
  uint8_t* bits = dest->GetBits();
  if (bits == nullptr || source->RowTable() == nullptr) return 0;
  Rect clip = destClip;
  const Rect bounds{0, 0, dest->GetWidth(), dest->GetHeight()};
  if (!IntersectRects(&clip, clip, bounds)) return 0;
  SourceView src{source->RowTable(), *source->GetClipRectPtr()};
  const Rect sourceBounds{0, 0, source->GetWidth(), source->GetHeight()};
  if (!IntersectRects(&src.clip, src.clip, sourceBounds)) return 0;

  Corner c[4];
  for (int i = 0; i < 4; ++i)
    c[i] = {HoldCoordinate(destPoints[i].x), HoldCoordinate(destPoints[i].y),
            HoldCoordinate(sourcePoints[i].x), HoldCoordinate(sourcePoints[i].y)};
  int order[4] = {0, 1, 2, 3};
  std::sort(order, order + 4, [&](int a, int b) {
    if (c[a].y != c[b].y) return c[a].y < c[b].y;
    if (c[a].x != c[b].x) return c[a].x < c[b].x;
    return a < b;
  });
  const int top = order[0];
  const int na = kNeighbour[top][0], nb = kNeighbour[top][1];
  const int64_t cross = (c[na].y - c[top].y) * (c[nb].x - c[top].x) -
                        (c[nb].y - c[top].y) * (c[na].x - c[top].x);
  const int rightN = cross < 0 ? na : nb;
  const int leftN = cross < 0 ? nb : na;
  if (order[1] != na && order[1] != nb) return 0;  // not convex

  const int opp = kOpposite[top];
  Edge left, right;
  const int leftChain[4] = {top, leftN, opp, rightN};
  const int rightChain[4] = {top, rightN, opp, leftN};
  std::copy(leftChain, leftChain + 4, left.chain);
  std::copy(rightChain, rightChain + 4, right.chain);
  left.Start(c, false);
  right.Start(c, false);
  if (c[order[1]].y == c[top].y) right.x = c[rightN].x << kFractionBits;

  const int32_t pitch = dest->GetPitch();
  for (int section = 0; section < 3; ++section) {
    if (section > 0) {
      const int corner = order[section];
      if (left.End() == corner) left.Turn(c);
      if (right.End() == corner) right.Turn(c);
    }
    const int64_t ya = c[order[section]].y;
    const int64_t total = std::max<int64_t>(c[order[section + 1]].y - ya, 0);
    const int64_t first = std::clamp<int64_t>(clip.top - ya, 0, total);
    const int64_t last = std::clamp<int64_t>(clip.bottom - ya, 0, total);
    left.Step(first);
    right.Step(first);
    for (int64_t r = first; r < last; ++r) {
      // A row is drawn with the values the edges reach one row further down.
      left.Step(1);
      right.Step(1);
      auto* row = reinterpret_cast<uint32_t*>(bits + (ya + r) * pitch);
      DrawSpan(row, left, right, clip, src, spanFlag, rule);
    }
    const int64_t done = std::max(first, last);
    left.Step(total - done);
    right.Step(total - done);
  }
  return 0;
}

}  // namespace orrivel::quad_map
