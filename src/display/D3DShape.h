#pragma once
// The untextured Direct3D draw objects (triangle, polygon, colour box):
// coloured vertices at a position, with a blending triple. Colour setters
// keep each vertex's alpha; alpha setters hold their value to 0..255 and
// keep the colour. Drawing clears the device's texture, sends the blending
// triple through the state cache and draws the vertices.
#include <cstdint>
#include <vector>

#include "display/PrimitiveVertex.h"
#include "display/PlacedSceneObject.h"

namespace orrivel {

class D3DShape : public PlacedSceneObject {
 public:
  // Draw's results.
  enum : int { kDrawNoDevice = 1, kDrawNo3D = 2, kDrawFailed = 3 };

  // 0 hidden or drawn; 1 no device; 2 no Direct3D device; 3 the drawing failed.
  int Draw(int32_t a, int32_t b, D3DDevice* device) override;
  void SetPosition(int32_t x, int32_t y) override;
  // The point inside the bounds (right and bottom exclusive).
  bool HitTest(int32_t x, int32_t y, uint8_t precise) override;
  // The box around the placed vertices; false without vertices.
  bool GetBounds(Rect* out) const override;

  void SetColor(uint32_t rgb);
  // False for an index outside the vertices.
  bool SetVertexColor(int32_t index, uint32_t rgb);
  void SetAlpha(int32_t alpha);
  // The alpha of the first vertex (false without vertices); the same alpha
  // on every vertex.
  bool GetAlpha(uint8_t* alpha) const override;
  void SetAlpha(uint8_t alpha) override { SetAlpha(int32_t(alpha)); }
  bool SetVertexAlpha(int32_t index, int32_t alpha);
  // Additive (source alpha against one) or blended drawing, at an alpha.
  void SetBlend(uint8_t additive, int32_t alpha);
  void SetBlendBytes(uint8_t enable, uint8_t source, uint8_t destination) {
    blend_ = {enable, source, destination};
  }

  const std::vector<ColoredVertex>& Vertices() const { return vertices_; }
  StateTriple Blend() const { return blend_; }

 protected:
  // Puts the vertices where the shape's geometry and position say.
  virtual void Place() = 0;
  virtual uint32_t PrimitiveType() const = 0;
  // Gives every vertex the colour (alpha included) and the blending that
  // colour asks for.
  void Paint(uint32_t argb);

  std::vector<ColoredVertex> vertices_;
  StateTriple blend_;
};

// The triangle and the polygon: points placed under a 16.16 scale. At
// 65536 each vertex is its point plus the position; at any other scale the
// points are first moved so that their smallest x and y are 0, then scaled
// (so a shape whose points do not start at 0, 0 moves when scaled).
class D3DPointShape : public D3DShape {
 public:
  // Stores the scale and places the shape again.
  void SetScale(int32_t scale);
  // Places the shape again, then turns its vertices by angle (512ths of a
  // turn) about the anchor of the mode (AnchorOffset) inside the box around
  // them, as the quad and the colour box turn their corners; without the
  // cosine table they stay unturned.
  void SetAnchor(int32_t angle, uint32_t mode);
  int32_t Scale() const { return scale_; }

 protected:
  void Place() override;

  std::vector<Point> points_;
  int32_t scale_ = 65536;
};

}  // namespace orrivel
