#pragma once
// A coloured triangle drawn through the Direct3D device (a triangle list
// of three vertices), placed under a 16.16 scale at its position.
#include <cstdint>

#include "display/D3DShape.h"

namespace orrivel {

inline constexpr int kSceneObjectD3DTriangle = 8;

class D3DTriangle : public D3DPointShape {
 public:
  D3DTriangle() { D3DTriangle::Reset(); }

  // The create step: the three points, one colour on every vertex (opaque
  // when its alpha is 0xFF, blended otherwise), then the position. 0.
  int Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t argb,
             int32_t x, int32_t y);
  // False for an index outside 0..2.
  bool SetPoint(int32_t index, int32_t x, int32_t y);
  void SetPoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2);

  int GetKind() const override { return kSceneObjectD3DTriangle; }
  // Back to the state after construction.
  void Reset();

 protected:
  uint32_t PrimitiveType() const override { return platform::kPrimTriangleList; }
};

}  // namespace orrivel
