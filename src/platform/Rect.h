#pragma once
// Rectangles and sizes in the engine's one convention: left, top, right,
// bottom with right and bottom exclusive.
#include <cstdint>

namespace orrivel::platform {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t Width() const { return right - left; }
  int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return left >= right || top >= bottom; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

}  // namespace orrivel::platform
