#include "display/D3DColorBox.h"

#include "base/MathTables.h"

namespace orrivel {

void D3DColorBox::Reset() {
  vertices_.assign(4, ColoredVertex{});
  blend_ = kOpaqueBlend;
  x_ = y_ = 0;
  createdWidth_ = createdHeight_ = width_ = height_ = 0;
}

int D3DColorBox::Create(int32_t width, int32_t height, uint32_t argb, int32_t x, int32_t y) {
  Reset();
  createdWidth_ = width;
  createdHeight_ = height;
  Paint(argb);
  SetPosition(x, y);
  return 0;
}

void D3DColorBox::Place() {
  const float left = float(x_);
  const float top = float(y_);
  const float right = float(int64_t(x_) + DisplayWidth());
  const float bottom = float(int64_t(y_) + DisplayHeight());
  vertices_[0].x = vertices_[2].x = left;
  vertices_[1].x = vertices_[3].x = right;
  vertices_[0].y = vertices_[1].y = top;
  vertices_[2].y = vertices_[3].y = bottom;
}

void D3DColorBox::SetRect(const Rect& rect) { SetSizeAndPosition(rect.Width(), rect.Height(), rect.left, rect.top); }

void D3DColorBox::SetSize(int32_t width, int32_t height) {
  width_ = width;
  height_ = height;
  Place();
}

void D3DColorBox::SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) {
  width_ = width;
  height_ = height;
  SetPosition(x, y);
}

bool D3DColorBox::GetBounds(Rect* out) const {
  if (out == nullptr) return false;
  *out = Rect{x_, y_, ClampedEdge(x_, DisplayWidth()), ClampedEdge(y_, DisplayHeight())};
  return true;
}

void D3DColorBox::SetAnchor(int32_t angle, uint32_t mode) {
  Place();
  const Point offset = AnchorOffset(mode, DisplayWidth(), DisplayHeight());
  const Point anchor{x_ + offset.x, y_ + offset.y};
  const MathTables* tables = GetMathTables();
  if (tables == nullptr) return;
  for (ColoredVertex& v : vertices_) RotateAbout(*tables, angle, anchor, &v.x, &v.y);
}

}  // namespace orrivel
