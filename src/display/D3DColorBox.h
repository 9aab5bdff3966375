#pragma once
// A coloured rectangle drawn through the Direct3D device (a strip of four
// vertices: top-left, top-right, bottom-left, bottom-right) at its position
// and display size (0: the size it was created with), which can be turned
// about an anchor like the textured quad.
#include <cstdint>

#include "display/D3DShape.h"

namespace orrivel {

inline constexpr int kSceneObjectD3DColorBox = 6;

class D3DColorBox : public D3DShape {
 public:
  D3DColorBox() { D3DColorBox::Reset(); }

  // The create step: the size, every vertex in the colour (opaque when its
  // alpha is 0xFF, blended by it otherwise), then the position. 0.
  int Create(int32_t width, int32_t height, uint32_t argb, int32_t x, int32_t y);
  // Position and display size from a rectangle.
  void SetRect(const Rect& rect);
  void SetSize(int32_t width, int32_t height) override;
  void SetSizeAndPosition(int32_t width, int32_t height, int32_t x, int32_t y) override;
  // Rebuilds the corners, then turns them by angle (512ths of a turn)
  // about the anchor of the mode (see AnchorOffset).
  void SetAnchor(int32_t angle, uint32_t mode);
  // The position and display size (independent of any turn).
  bool GetBounds(Rect* out) const override;

  int GetKind() const override { return kSceneObjectD3DColorBox; }
  // Back to the state after construction.
  void Reset();
  int32_t DisplayWidth() const { return width_ != 0 ? width_ : createdWidth_; }
  int32_t DisplayHeight() const { return height_ != 0 ? height_ : createdHeight_; }

 protected:
  void Place() override;
  uint32_t PrimitiveType() const override { return platform::kPrimTriangleStrip; }

 private:
  int32_t createdWidth_ = 0;
  int32_t createdHeight_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace orrivel
