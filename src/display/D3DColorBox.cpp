#include "display/D3DColorBox.h"


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

void D3DColorBox::Place() { PlaceBoxCorners(vertices_.data(), x_, y_, DisplayWidth(), DisplayHeight()); }

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
  PlaceTurnedBox(vertices_.data(), x_, y_, DisplayWidth(), DisplayHeight(), angle, mode);
}

}  // namespace orrivel
