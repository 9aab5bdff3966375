#pragma once
// What the piece-cutting modes share beyond the frame: drawing a source
// rectangle where it lies in the picture, and the tables the turning modes
// read.
#include <cstdint>

#include "transition/TransitionModes.h"

namespace orrivel {

// The source rectangle drawn in place: its top-left corner lands on (x, y)
// plus the rectangle's own offset in the source.
inline int DrawInPlace(const TransitionFrame& frame, const Rect& piece) {
  return frame.draw->Fragment(piece, frame.x + piece.left, frame.y + piece.top);
}

// The 16.16 cosine table of the published math tables (512 entries), or
// null while the program has published none; the turning modes then have no
// partial frames.
const int32_t* TransitionCosineTable();

}  // namespace orrivel
