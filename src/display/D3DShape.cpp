#include "display/D3DShape.h"

#include <algorithm>
#include <climits>

#include "display/D3DDevice.h"

namespace orrivel {

int D3DShape::Draw(int32_t, int32_t, D3DDevice* device) {
  if (!IsVisible()) return 0;
  if (device == nullptr) return kDrawNoDevice;
  if (!device->HasDevice()) return kDrawNo3D;
  device->SetTexture(nullptr);
  ApplyBlend(*device, blend_);
  if (vertices_.empty()) return 0;
  return device->DrawPrimitive(PrimitiveType(), kColoredVertexFormat, vertices_.data(),
                               uint32_t(vertices_.size())) != 0
             ? kDrawFailed
             : 0;
}

void D3DShape::SetPosition(int32_t x, int32_t y) {
  x_ = x;
  y_ = y;
  Place();
}

bool D3DShape::GetBounds(Rect* out) const {
  if (vertices_.empty() || out == nullptr) return false;
  float left = vertices_[0].x, right = left, top = vertices_[0].y, bottom = top;
  for (const ColoredVertex& v : vertices_) {
    left = std::min(left, v.x);
    right = std::max(right, v.x);
    top = std::min(top, v.y);
    bottom = std::max(bottom, v.y);
  }
  const auto edge = [](float f) { return int32_t(std::clamp<double>(f, INT32_MIN, INT32_MAX)); };
  *out = Rect{edge(left), edge(top), edge(right), edge(bottom)};
  return true;
}

bool D3DShape::HitTest(int32_t x, int32_t y, uint8_t) {
  Rect bounds;
  if (!GetBounds(&bounds)) return false;
  return x >= bounds.left && y >= bounds.top && x < bounds.right && y < bounds.bottom;
}

void D3DShape::SetColor(uint32_t rgb) {
  for (ColoredVertex& v : vertices_) v.diffuse = WithRgb(v.diffuse, rgb);
}

bool D3DShape::SetVertexColor(int32_t index, uint32_t rgb) {
  if (index < 0 || size_t(index) >= vertices_.size()) return false;
  vertices_[size_t(index)].diffuse = WithRgb(vertices_[size_t(index)].diffuse, rgb);
  return true;
}

void D3DShape::SetAlpha(int32_t alpha) {
  for (ColoredVertex& v : vertices_) v.diffuse = WithAlpha(v.diffuse, alpha);
}

bool D3DShape::GetAlpha(uint8_t* alpha) const {
  if (vertices_.empty()) return false;
  if (alpha != nullptr) *alpha = uint8_t(vertices_[0].diffuse >> 24);
  return true;
}

bool D3DShape::SetVertexAlpha(int32_t index, int32_t alpha) {
  if (index < 0 || size_t(index) >= vertices_.size()) return false;
  vertices_[size_t(index)].diffuse = WithAlpha(vertices_[size_t(index)].diffuse, alpha);
  return true;
}

void D3DShape::SetBlend(uint8_t additive, int32_t alpha) {
  blend_ = additive ? kAdditiveBlend : kAlphaBlend;
  SetAlpha(alpha);
}

void D3DShape::Paint(uint32_t argb) {
  for (ColoredVertex& v : vertices_) v.diffuse = argb;
  blend_ = BlendForColor(argb);
}

void D3DPointShape::SetScale(int32_t scale) {
  scale_ = scale;
  Place();
}

void D3DPointShape::SetAnchor(int32_t angle, uint32_t mode) {
  Place();
  Rect box;
  const MathTables* tables = GetMathTables();
  if (!GetBounds(&box) || tables == nullptr) return;
  const Point anchor = AnchorPoint(mode, box.left, box.top, int64_t(box.right) - box.left,
                                   int64_t(box.bottom) - box.top);
  for (ColoredVertex& v : vertices_) RotateAbout(*tables, angle, anchor, &v.x, &v.y);
}

void D3DPointShape::Place() {
  vertices_.resize(points_.size());
  if (points_.empty()) return;
  Point low = points_[0];
  for (const Point& p : points_) {
    low.x = std::min(low.x, p.x);
    low.y = std::min(low.y, p.y);
  }
  for (size_t i = 0; i < points_.size(); ++i) {
    int64_t px = points_[i].x;
    int64_t py = points_[i].y;
    if (scale_ != 65536) {
      px = ((px - low.x) * scale_) >> 16;
      py = ((py - low.y) * scale_) >> 16;
    }
    vertices_[i].x = float(px + x_);
    vertices_[i].y = float(py + y_);
  }
}

}  // namespace orrivel
