#pragma once
// What the Direct3D draw objects need of a picture held in a texture: the
// texture surface and its size, the picture's own size inside it, the
// colour key and the mapping from picture pixels to texture coordinates.
// The picture kinds held in textures implement it beside their Image part,
// with the same answers where the two overlap.
#include <cstdint>

#include "platform/SoftSurface.h"

namespace orrivel {

class D3DDevice;

class TextureSource {
 public:
  virtual ~TextureSource() = default;

  virtual uint8_t GetKind() const = 0;
  // The texture surface's size.
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual int SetColorKeyRgb(uint8_t red, uint8_t green, uint8_t blue) = 0;
  virtual int SetColorKeyAt(int32_t x, int32_t y) = 0;
  virtual uint32_t GetColorKey() const = 0;
  virtual int ClearColorKey() = 0;
  // Null before the texture exists.
  virtual platform::SoftSurface* GetSurface() = 0;
  // The pixel-format code asked for at creation.
  virtual uint32_t GetPixelFormatCode() const = 0;
  // The picture's own size, which can be smaller or larger than the texture.
  virtual int32_t GetContentWidth() const = 0;
  virtual int32_t GetContentHeight() const = 0;
  virtual double TexelToU(int32_t x) const { return TexelToCoordinate(x, GetWidth(), GetContentWidth()); }
  virtual double TexelToV(int32_t y) const { return TexelToCoordinate(y, GetHeight(), GetContentHeight()); }

  // The centre of picture pixel `texel` in a texture of `textureSize`
  // texels holding `contentSize` pixels: a picture larger than the texture
  // was shrunk into it, so its pixels are scaled first.
  static double TexelToCoordinate(int32_t texel, int32_t textureSize, int32_t contentSize);
};

// The texture size a picture of the given size needs on the device: powers
// of two and squares when the device asks for them, cut to the device's
// maximum (the picture is then shrunk) and raised to its minimum.
struct TextureSize {
  int32_t width = 0;
  int32_t height = 0;
  bool shrunk = false;
};
TextureSize TextureSizeFor(const D3DDevice& device, int32_t contentWidth, int32_t contentHeight);

}  // namespace orrivel
