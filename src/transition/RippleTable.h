#pragma once
// The precomputed tables of a ripple: a quadrant map from pixel offset to
// (ring position, angle step), and a displacement table per ring step and
// wave phase. Building one costs far more than drawing a frame, so up to
// four parameter sets are kept, shared and counted, in a most-recently-used
// list for the whole process.
#include <cstdint>
#include <memory>

namespace orrivel {

struct RippleParams {
  int32_t width = 0, height = 0;
  int32_t centreX = 0, centreY = 0;
  int32_t wavelength = 16;  // 16, 32, 64 or 128
  float verticalScale = 1.0f;
  int32_t ringCount = 24;  // 1..127

  bool operator==(const RippleParams&) const = default;
};

struct RippleTable {
  RippleParams params;
  uint32_t references = 0;
  int32_t extentX = 0, extentY = 0;  // quadrant extents EX and EY
  // extentX * extentY entries: ring position * 32 + angle step.
  std::unique_ptr<int16_t[]> map;
  // 4 * ringCount * wavelength * 64 entries: horizontal displacement in the
  // high byte, vertical in the low; each phase row is stored twice so a
  // phase offset never wraps.
  std::unique_ptr<int16_t[]> displacement;

  const int16_t* MapRow(int32_t row) const { return map.get() + int64_t{row} * extentX; }
};

// Builds the tables of one parameter set (reference count 0); null when
// memory runs out.
std::unique_ptr<RippleTable> BuildRippleTable(const RippleParams& params);

// The shared table for the parameters with one more reference: found in
// the list (and moved to its front) or built, pushing the least recently
// used one out. Null when memory runs out; the list is then unchanged.
RippleTable* AcquireRippleTable(const RippleParams& params);
// Drops one reference; the last one frees the table.
void ReleaseRippleTable(RippleTable* table);
// Drops the list's references to every listed table.
void ReleaseListedRippleTables();
// The table at a list place (0 = most recently used), or null.
const RippleTable* ListedRippleTable(int place);

}  // namespace orrivel
