#pragma once
// The scripts' primitive index of a polygon (0-5: triangle list, strip,
// fan, line list, line strip, point list) and the polygon's drawing mode
// for it. The software device draws triangles only: line and point types
// fall back to the list, which draws nothing of two-point lines or single
// points.
#include <cstdint>
#include <iterator>

#include "display/D3DPolygon.h"

namespace orrivel {

inline constexpr uint8_t kPolygonPrimitives[] = {4, 5, 6, 2, 3, 1};
inline constexpr uint32_t kPolygonPrimitiveCount = std::size(kPolygonPrimitives);

// The mode of a primitive index below kPolygonPrimitiveCount.
inline uint8_t PolygonModeOfIndex(uint32_t index) {
  switch (kPolygonPrimitives[index]) {
    case 5:
      return D3DPolygon::kModeStrip;
    case 6:
      return D3DPolygon::kModeFan;
    default:
      return D3DPolygon::kModeList;
  }
}

}  // namespace orrivel
