#pragma once
// The textured quad for a canvas image held in a texture: before each draw
// the canvas image copies what changed into its texture, then the quad is
// drawn like any other. It accepts only canvas images of that kind.
#include <cstdint>

#include "display/D3DQuad.h"

namespace orrivel {

class DrawObjectManager;

class D3DCanvasQuad : public D3DQuad {
 public:
  // 1 unless the texture is a canvas image with its texture; otherwise as
  // D3DQuad::Create.
  int Create(TextureSource* texture, const Rect* source, int32_t x, int32_t y) override;
  int SetTexture(TextureSource* texture) override;
  // D3DQuad's codes; the picture is brought up to date once the device is
  // known to draw.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
};

// The creation of the draw-object manager over a listed texture image:
// allocation failure 2, else Create's code.
int CreateD3DQuadSubclass(DrawObjectManager& manager, uint32_t* out, uint32_t textureHandle,
                          const Rect* source, int32_t x, int32_t y);

}  // namespace orrivel
