#pragma once
// A coloured polygon of N points drawn through the Direct3D device. Its
// points come from the script's address space: two arrays of 32-bit
// coordinates named by script addresses and a count, each array lying
// inside one live block of the arena, read with its checks and copied. The drawing-mode byte chooses how the points
// form triangles: 0 a fan (a filled convex polygon), 1 a strip, 2 a list;
// any other value draws a fan.
#include <cstdint>
#include <vector>

#include "display/D3DShape.h"

namespace orrivel {

class ScriptAddressSpace;

inline constexpr int kSceneObjectD3DPolygon = 7;
// More points than any shape a script draws; a larger count is refused.
inline constexpr uint32_t kMaxPolygonPoints = 65536;

class D3DPolygon : public D3DPointShape {
 public:
  enum : uint8_t { kModeFan = 0, kModeStrip = 1, kModeList = 2 };

  D3DPolygon() { D3DPolygon::Reset(); }

  // The create step: count points read from the x and y arrays at the two
  // script addresses, every vertex in the colour (opaque when its alpha is
  // 0xFF, blended otherwise). 1 without the arena or the cosine table, for
  // a null address, a count of 0 or above kMaxPolygonPoints, or arrays that
  // do not lie wholly inside a live block of the arena; 0. With takesArrays the two blocks
  // were made for the polygon and are freed whatever the result.
  int Create(ScriptAddressSpace* space, uint32_t count, uint32_t xArray, uint32_t yArray,
             uint32_t argb, uint8_t mode, uint8_t takesArrays);
  // Replaces the points (the same reading and checks as Create, colours
  // kept where vertices remain); false when refused, nothing changed.
  bool SetPoints(ScriptAddressSpace* space, uint32_t count, uint32_t xArray, uint32_t yArray);
  // The same from the engine's own points (empty or too many: false).
  bool SetPoints(const std::vector<Point>& points);
  // A line one pixel thick from one end point to the other (drawn as a strip).
  void SetLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
  // Moves one point; false for an index outside the points.
  bool SetPoint(int32_t index, int32_t x, int32_t y);
  void SetFillFlag(uint8_t mode) { mode_ = mode; }
  uint8_t Mode() const { return mode_; }

  int GetKind() const override { return kSceneObjectD3DPolygon; }
  // Back to the state after construction.
  void Reset();

 protected:
  uint32_t PrimitiveType() const override;

 private:
  uint8_t mode_ = kModeFan;
};

// Reads count 32-bit signed x and y coordinates from two arrays in the
// arena; false for a null address, a bad count or an array that does not
// lie inside one live block.
bool ReadScriptPoints(const ScriptAddressSpace& space, uint32_t count, uint32_t xArray,
                      uint32_t yArray, std::vector<Point>* out);

}  // namespace orrivel
