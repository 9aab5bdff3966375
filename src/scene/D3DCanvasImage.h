#pragma once
// The blitting scene object for an off-screen canvas image: before each
// draw the canvas image copies what changed into its display surface, then
// that surface is blitted like any image's. It accepts only canvas images
// of that kind.
#include <cstdint>

#include "display/D3DImage.h"

namespace orrivel {

class DrawObjectManager;

class D3DCanvasImage : public D3DImage {
 public:
  // 1 unless the image is an off-screen canvas image with its surface;
  // otherwise as D3DImage::Create.
  int Create(Image* image, const Rect* source, int32_t x, int32_t y) override;
  // 1 unless the image is one it accepts; 0.
  int SetImage(Image* image);
  // 0 hidden; otherwise the picture is brought up to date and blitted
  // (D3DImage's codes).
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
};

// The creation of the draw-object manager over a listed image: allocation
// failure 2, else Create's code.
int CreateD3DImageSubclass(DrawObjectManager& manager, uint32_t* out, uint32_t imageHandle,
                           const Rect* source, int32_t x, int32_t y);

}  // namespace orrivel
