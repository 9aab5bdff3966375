#include "display/D3DPolygon.h"

#include <cstdlib>
#include <cstring>

#include "base/MathTables.h"
#include "script/ScriptAddressSpace.h"

namespace orrivel {

bool ReadScriptPoints(const ScriptAddressSpace& space, uint32_t count, uint32_t xArray,
                      uint32_t yArray, std::vector<Point>* out) {
  if (count == 0 || count > kMaxPolygonPoints || xArray == 0 || yArray == 0) return false;
  const uint64_t bytes = uint64_t(count) * 4;
  // Each array lies inside one live block: a freed (stale) address or an
  // array running past its block is refused, not read from its neighbour.
  if (space.LiveBytesAt(xArray) < bytes || space.LiveBytesAt(yArray) < bytes) return false;
  const uint8_t* xs = space.Bytes(xArray, bytes);
  const uint8_t* ys = space.Bytes(yArray, bytes);
  if (xs == nullptr || ys == nullptr) return false;
  out->resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::memcpy(&(*out)[i].x, xs + uint64_t(i) * 4, 4);
    std::memcpy(&(*out)[i].y, ys + uint64_t(i) * 4, 4);
  }
  return true;
}

void D3DPolygon::Reset() {
  points_.clear();
  vertices_.clear();
  scale_ = 65536;
  x_ = y_ = 0;
  blend_ = kOpaqueBlend;
  mode_ = kModeFan;
}

int D3DPolygon::Create(ScriptAddressSpace* space, uint32_t count, uint32_t xArray, uint32_t yArray,
                       uint32_t argb, uint8_t mode, uint8_t takesArrays) {
  std::vector<Point> points;
  const bool read = space != nullptr && GetMathTables() != nullptr &&
                    ReadScriptPoints(*space, count, xArray, yArray, &points);
  // Arrays handed over belong to the polygon, which keeps its own copy: they
  // are freed here, on refusal too, so the script's arena never leaks them.
  if (takesArrays && space != nullptr) {
    space->Free(xArray);
    if (yArray != xArray) space->Free(yArray);
  }
  if (!read) return 1;
  Reset();
  points_ = std::move(points);
  mode_ = mode;
  Place();
  Paint(argb);
  return 0;
}

bool D3DPolygon::SetPoints(ScriptAddressSpace* space, uint32_t count, uint32_t xArray, uint32_t yArray) {
  std::vector<Point> points;
  if (space == nullptr || !ReadScriptPoints(*space, count, xArray, yArray, &points)) return false;
  return SetPoints(points);
}

bool D3DPolygon::SetPoints(const std::vector<Point>& points) {
  if (points.empty() || points.size() > kMaxPolygonPoints) return false;
  const uint32_t colour = vertices_.empty() ? 0xFFFFFFFFu : vertices_.back().diffuse;
  const size_t kept = vertices_.size();
  points_ = points;
  Place();
  for (size_t i = kept; i < vertices_.size(); ++i) vertices_[i].diffuse = colour;
  return true;
}

bool D3DPolygon::SetPoint(int32_t index, int32_t x, int32_t y) {
  if (index < 0 || size_t(index) >= points_.size()) return false;
  points_[size_t(index)] = Point{x, y};
  Place();
  return true;
}

void D3DPolygon::SetLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  // Mostly across: the band is one row tall; mostly down: one column wide.
  const bool across = std::abs(int64_t(x1) - x0) >= std::abs(int64_t(y1) - y0);
  if (across) {
    SetPoints({Point{x0, y0}, Point{x1, y1}, Point{x0, y0 + 1}, Point{x1, y1 + 1}});
  } else {
    SetPoints({Point{x0, y0}, Point{x0 + 1, y0}, Point{x1, y1}, Point{x1 + 1, y1}});
  }
  mode_ = kModeStrip;
}

uint32_t D3DPolygon::PrimitiveType() const {
  switch (mode_) {
    case kModeStrip:
      return platform::kPrimTriangleStrip;
    case kModeList:
      return platform::kPrimTriangleList;
    default:
      return platform::kPrimTriangleFan;
  }
}

}  // namespace orrivel
