#pragma once
// The anchor codes shared by sprite centres and background pivots.
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel {

// 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right, 4 the middle
// (halves rounded toward zero) of a width x height picture; any other code
// the given (x, y).
inline platform::Point AnchorPoint(int32_t code, int32_t width, int32_t height, int32_t x,
                                   int32_t y) {
  switch (code) {
    case 0: return {0, 0};
    case 1: return {width, 0};
    case 2: return {0, height};
    case 3: return {width, height};
    case 4: return {width / 2, height / 2};
    default: return {x, y};
  }
}

}  // namespace orrivel
