#pragma once
// Fragment helpers shared by the numbered modes. A mode names its fragments
// in source coordinates, sometimes running past the source's edge (a torn
// row below the last one, a chord above the first); such a fragment is cut
// to the source here, and one cut to nothing never reaches the back end.
// Cutting against the destination is the back end's business. The turning
// modes also share the published cosine table.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "transition/TransitionModes.h"

namespace orrivel {

// A value worked out in 64 bits, held to the 32-bit range.
inline int32_t ClampToInt32(int64_t value) {
  return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// A destination coordinate: the call's point plus a mode's offset. A
// script may put the point anywhere, so the sum is taken in 64 bits; inside
// the 32-bit range nothing changes, and a place pushed past it stays past
// every destination's edge instead of wrapping round onto the picture.
inline int32_t Placed(int32_t point, int64_t offset) { return ClampToInt32(int64_t(point) + offset); }

// The fragment with its top-left corner at (frame.x + dx, frame.y + dy),
// cut to the source; the point moves with a cut left or top edge.
inline void DrawCutFragment(const TransitionFrame& frame, const Rect& piece, int32_t dx, int32_t dy) {
  const Rect cut{std::max(piece.left, 0), std::max(piece.top, 0), std::min(piece.right, frame.width),
                 std::min(piece.bottom, frame.height)};
  if (cut.IsEmpty()) return;
  frame.draw->Fragment(cut, Placed(frame.x, int64_t(dx) + cut.left - piece.left),
                       Placed(frame.y, int64_t(dy) + cut.top - piece.top));
}

// The fragment where it lies in the source.
inline void DrawInPlace(const TransitionFrame& frame, const Rect& piece) {
  DrawCutFragment(frame, piece, piece.left, piece.top);
}

// The piece where it lies in the source, handed on whole even when empty or
// past the edge: the cell, stripe and wedge modes count one back-end draw
// per unit they have reached, drawn or not.
inline int DrawPieceInPlace(const TransitionFrame& frame, const Rect& piece) {
  return frame.draw->Fragment(piece, Placed(frame.x, piece.left), Placed(frame.y, piece.top));
}

// Pieces of a row of cells drawn in place, handed on as runs: a piece that
// continues the last one (the same rows, the next columns, landing right
// beside it) lengthens it, so a row of cells costs the back end one draw
// per run rather than one per cell. Drawing adjacent pieces of one source
// together puts the same pixels where drawing them one after the other
// does. A watched frame hands each piece on by itself.
class RowRuns {
 public:
  explicit RowRuns(const TransitionFrame& frame) : frame_(frame) {}
  ~RowRuns() { Flush(); }
  RowRuns(const RowRuns&) = delete;
  RowRuns& operator=(const RowRuns&) = delete;

  // The piece where it lies in the source, cut to the source.
  void AddInPlace(const Rect& piece) {
    if (frame_.watched) {
      DrawInPlace(frame_, piece);
      return;
    }
    const Rect cut{std::max(piece.left, 0), std::max(piece.top, 0), std::min(piece.right, frame_.width),
                   std::min(piece.bottom, frame_.height)};
    if (cut.IsEmpty()) return;
    if (pending_ && cut.top == run_.top && cut.bottom == run_.bottom && cut.left == run_.right) {
      run_.right = cut.right;
      return;
    }
    Flush();
    run_ = cut;
    pending_ = true;
  }

  void Flush() {
    if (!pending_) return;
    pending_ = false;
    DrawInPlace(frame_, run_);
  }

 private:
  const TransitionFrame& frame_;
  Rect run_;
  bool pending_ = false;
};

// The 16.16 cosine table of the published math tables (512 entries), or
// null while the program has published none; the turning modes then have no
// partial frames.
const int32_t* TransitionCosineTable();

}  // namespace orrivel
