#pragma once
// Where an image native's copy lands: the cells after the images (and a
// leading mode, if any) give a destination point, for stretched copies a
// destination size, and a source rectangle, each group optional through
// the 65535 marker in its first cell:
//
//   point form      x, y, left, top, right, bottom
//   stretched form  x, y, width, height, left, top, right, bottom
//
// x = 65535: the whole source at the origin (stretched: at the operation's
// own whole-picture size), whatever the other cells hold; left = 65535:
// the whole source at the point. The test is for exactly 65535.
#include <cstdint>
#include <optional>

#include "raster/Rect.h"

namespace orrivel {

class NativeArgs;

struct BlitPlacement {
  int32_t x = 0;
  int32_t y = 0;
  std::optional<Size> size;        // stretched form with a point only
  std::optional<Rect> sourceRect;  // null: the whole source

  const Size* SizeOrNull() const { return size ? &*size : nullptr; }
  const Rect* RectOrNull() const { return sourceRect ? &*sourceRect : nullptr; }
};

// Reads the group starting at cell first.
BlitPlacement ReadPointPlacement(NativeArgs& args, uint32_t first);
BlitPlacement ReadStretchPlacement(NativeArgs& args, uint32_t first);

// A rectangle group (left, top, right, bottom) that 65535 in its first cell
// leaves out.
std::optional<Rect> ReadOptionalRect(NativeArgs& args, uint32_t first);

}  // namespace orrivel
