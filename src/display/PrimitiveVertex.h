#pragma once
// What the Direct3D draw objects share: their two vertex layouts, the
// colour and alpha edits that keep the other half of a vertex colour, the
// blending triple they send through the device's state cache, and the
// rotation of corners about an anchor point with the fixed-point cosine table.
#include <algorithm>
#include <cstdint>

#include "base/MathTables.h"
#include "platform/RenderDevice.h"
#include "raster/Rect.h"

namespace orrivel {

using platform::Point;

class D3DDevice;

// Position (x, y, z, rhw), diffuse 0xAARRGGBB and one texture pair.
struct TexturedVertex {
  float x = 0.0f, y = 0.0f, z = 0.0f, rhw = 1.0f;
  uint32_t diffuse = 0xFFFFFFFFu;
  float u = 0.0f, v = 0.0f;
};
inline constexpr uint32_t kTexturedVertexFormat =
    platform::kFvfXyzRhw | platform::kFvfDiffuse | platform::kFvfTex1;  // 0x144

// Position and diffuse only.
struct ColoredVertex {
  float x = 0.0f, y = 0.0f, z = 0.0f, rhw = 1.0f;
  uint32_t diffuse = 0xFFFFFFFFu;
};
inline constexpr uint32_t kColoredVertexFormat = platform::kFvfXyzRhw | platform::kFvfDiffuse;  // 0x44

// Replaces red, green and blue (from 0x..RRGGBB) and keeps the alpha.
inline uint32_t WithRgb(uint32_t diffuse, uint32_t rgb) {
  return (diffuse & 0xFF000000u) | (rgb & 0x00FFFFFFu);
}
// Replaces the alpha, held to 0..255, and keeps the colour.
inline uint32_t WithAlpha(uint32_t diffuse, int32_t alpha) {
  return (diffuse & 0x00FFFFFFu) | uint32_t(std::clamp(alpha, 0, 255)) << 24;
}

// Enable, source blend and destination blend, or one texture stage's
// operation and two arguments: three state bytes that travel together.
struct StateTriple {
  uint8_t a = 0, b = 0, c = 0;
  friend bool operator==(const StateTriple&, const StateTriple&) = default;
};
inline constexpr StateTriple kOpaqueBlend{0, platform::kBlendOne, platform::kBlendZero};
inline constexpr StateTriple kAlphaBlend{1, platform::kBlendSrcAlpha, platform::kBlendInvSrcAlpha};
inline constexpr StateTriple kAdditiveBlend{1, platform::kBlendSrcAlpha, platform::kBlendOne};
// Opaque for a colour whose alpha is 0xFF, blended by its alpha otherwise.
inline StateTriple BlendForColor(uint32_t argb) {
  return (argb >> 24) == 0xFF ? kOpaqueBlend : kAlphaBlend;
}

// Sends the triples through the device's cache: blending, then colour
// operation, then alpha operation (either may be null).
void ApplyBlend(D3DDevice& device, const StateTriple& blend);
void ApplyStage(D3DDevice& device, const StateTriple& colorOp, const StateTriple& alphaOp);

// The anchor offset of a mode (low byte) inside a width x height box: 0
// top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 the centre; any
// other mode uses its own value for both offsets.
Point AnchorOffset(uint32_t mode, int32_t width, int32_t height);
// The anchor point of the mode for a box at (left, top) of the size, worked
// out in 64 bits and held to the 32-bit range: a script may place and size
// a box at the edges of that range.
Point AnchorPoint(uint32_t mode, int32_t left, int32_t top, int64_t width, int64_t height);
// Turns a corner about the anchor by angle (512ths of a turn, anticlockwise
// on the screen) with the 16.16 table; the corner is rounded first.
void RotateAbout(const MathTables& tables, int32_t angle, const Point& anchor, float* x, float* y);

// Places the four corners of a box (top-left, top-right, bottom-left,
// bottom-right) at (x, y) of the size.
template <class Vertex>
void PlaceBoxCorners(Vertex* v, int32_t x, int32_t y, int32_t width, int32_t height) {
  const float left = float(x);
  const float top = float(y);
  const float right = float(int64_t(x) + width);
  const float bottom = float(int64_t(y) + height);
  v[0].x = v[2].x = left;
  v[1].x = v[3].x = right;
  v[0].y = v[1].y = top;
  v[2].y = v[3].y = bottom;
}

// Places the box's corners, then turns them by angle about the anchor of
// the mode (AnchorOffset); without the cosine table they stay unturned.
template <class Vertex>
void PlaceTurnedBox(Vertex* v, int32_t x, int32_t y, int32_t width, int32_t height, int32_t angle,
                    uint32_t mode) {
  PlaceBoxCorners(v, x, y, width, height);
  const Point anchor = AnchorPoint(mode, x, y, width, height);
  const MathTables* tables = GetMathTables();
  if (tables == nullptr) return;
  for (int i = 0; i < 4; ++i) RotateAbout(*tables, angle, anchor, &v[i].x, &v[i].y);
}

// The colour bits of the pixel at (x, y) of a surface (all bits of an
// indexed one), for the precise hit tests
// against a colour key; false outside or when it cannot be locked.
bool ReadRawPixel(platform::SoftSurface* surface, int32_t x, int32_t y, uint32_t* out);

}  // namespace orrivel
