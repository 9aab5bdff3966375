#include "display/D3DTriangle.h"

namespace orrivel {

void D3DTriangle::Reset() {
  points_.assign(3, Point{});
  scale_ = 65536;
  x_ = y_ = 0;
  blend_ = kOpaqueBlend;
  vertices_.assign(3, ColoredVertex{});
}

int D3DTriangle::Create(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                        uint32_t argb, int32_t x, int32_t y) {
  Reset();
  points_ = {Point{x0, y0}, Point{x1, y1}, Point{x2, y2}};
  Paint(argb);
  SetPosition(x, y);
  return 0;
}

bool D3DTriangle::SetPoint(int32_t index, int32_t x, int32_t y) {
  if (index < 0 || index > 2) return false;
  points_[size_t(index)] = Point{x, y};
  Place();
  return true;
}

void D3DTriangle::SetPoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  points_ = {Point{x0, y0}, Point{x1, y1}, Point{x2, y2}};
  Place();
}

}  // namespace orrivel
