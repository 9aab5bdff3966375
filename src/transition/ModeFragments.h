#pragma once
// Fragment helpers shared by the numbered modes. A mode names its fragments
// in source coordinates, sometimes running past the source's edge (a torn
// row below the last one, a chord above the first); such a fragment is cut
// to the source here, and one cut to nothing never reaches the back end.
// Cutting against the destination is the back end's business. The turning
// modes also share the published cosine table.
#include <algorithm>
#include <cstdint>

#include "transition/TransitionModes.h"

namespace orrivel {

// The fragment with its top-left corner at (frame.x + dx, frame.y + dy),
// cut to the source; the point moves with a cut left or top edge.
inline void DrawCutFragment(const TransitionFrame& frame, const Rect& piece, int32_t dx, int32_t dy) {
  const Rect cut{std::max(piece.left, 0), std::max(piece.top, 0), std::min(piece.right, frame.width),
                 std::min(piece.bottom, frame.height)};
  if (cut.IsEmpty()) return;
  frame.draw->Fragment(cut, frame.x + dx + (cut.left - piece.left), frame.y + dy + (cut.top - piece.top));
}

// The fragment where it lies in the source.
inline void DrawInPlace(const TransitionFrame& frame, const Rect& piece) {
  DrawCutFragment(frame, piece, piece.left, piece.top);
}

// The piece where it lies in the source, handed on whole even when empty or
// past the edge: the cell, stripe and wedge modes count one back-end draw
// per unit they have reached, drawn or not.
inline int DrawPieceInPlace(const TransitionFrame& frame, const Rect& piece) {
  return frame.draw->Fragment(piece, frame.x + piece.left, frame.y + piece.top);
}

// The 16.16 cosine table of the published math tables (512 entries), or
// null while the program has published none; the turning modes then have no
// partial frames.
const int32_t* TransitionCosineTable();

}  // namespace orrivel
