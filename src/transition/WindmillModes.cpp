#include <algorithm>

#include "transition/ModeFragments.h"

namespace orrivel {
namespace {

// A piece cut to the source: edges past the right or bottom side come back
// to it, negative edges to 0, and the piece stays where it lies.
void DrawWindmillPiece(const TransitionFrame& frame, Rect piece) {
  piece.right = std::min(piece.right, frame.width);
  piece.bottom = std::min(piece.bottom, frame.height);
  piece.left = std::max(piece.left, 0);
  piece.top = std::max(piece.top, 0);
  DrawPieceInPlace(frame, piece);
}

// Four wedges turn a quarter turn about the centre from the four
// half-axes, each built of one-pixel lines from the centre ray outwards;
// past 45 degrees a rectangle fills what each wedge has swept beyond its
// diagonal. Counter-clockwise mirrors the rows of clockwise about the
// centre row, except that the vertical lines and the last two rectangles
// sit one row off an exact mirror image.
int DrawWindmill(const TransitionFrame& frame, bool clockwise) {
  const int32_t* cosine = TransitionCosineTable();
  if (cosine == nullptr) return 1;
  const int32_t hw = frame.width >> 1, hh = frame.height >> 1;
  const int64_t m = std::max(hw, hh);
  // cos 315 degrees is 1/sqrt(2): the reach passes every corner.
  const int64_t reach = ((m + 1) * 65536) / cosine[448];
  const int32_t a = frame.progress >> 1;
  const int32_t sv = int32_t((cosine[(a - 128) & 511] * reach) >> 16);
  const int32_t cv = int32_t((cosine[a & 511] * reach) >> 16);
  if (sv <= 0) return 0;
  for (int32_t i = 0; i < sv; ++i) {
    const int32_t q = int32_t((int64_t(i) * cv) / sv);
    const int32_t near = clockwise ? hh + i : hh - i;  // the row of the right wedge
    const int32_t far = clockwise ? hh - i : hh + i;   // the row of the left wedge
    DrawWindmillPiece(frame, Rect{hw + q, near, hw + cv, near + 1});
    DrawWindmillPiece(frame, Rect{hw - cv, far, hw - q, far + 1});
    if (clockwise) {
      DrawWindmillPiece(frame, Rect{hw - i, hh + q, hw - i + 1, hh + cv});
      DrawWindmillPiece(frame, Rect{hw + i, hh - cv, hw + i + 1, hh - q});
    } else {
      DrawWindmillPiece(frame, Rect{hw - i, hh - cv, hw - i + 1, hh - q});
      DrawWindmillPiece(frame, Rect{hw + i, hh + q, hw + i + 1, hh + cv});
    }
  }
  if (sv <= cv) return 0;
  const int32_t right = 2 * hw, bottom = 2 * hh;
  if (clockwise) {
    DrawWindmillPiece(frame, Rect{hw + cv, hh, right, hh + sv + 1});
    DrawWindmillPiece(frame, Rect{0, hh - sv, hw - cv, hh + 1});
    DrawWindmillPiece(frame, Rect{0, hh + cv, hw + 1, bottom});
    DrawWindmillPiece(frame, Rect{hw, 0, right + 1, hh - cv});
  } else {
    DrawWindmillPiece(frame, Rect{hw + cv, hh - sv, right, hh + 1});
    DrawWindmillPiece(frame, Rect{0, hh, hw - cv, hh + sv + 1});
    DrawWindmillPiece(frame, Rect{0, 0, hw + 1, hh - cv});
    DrawWindmillPiece(frame, Rect{hw, hh + cv, right + 1, bottom});
  }
  return 0;
}

}  // namespace

int TransitionWindmillClockwise(const TransitionFrame& frame) { return DrawWindmill(frame, true); }
int TransitionWindmillCounterClockwise(const TransitionFrame& frame) { return DrawWindmill(frame, false); }

}  // namespace orrivel
