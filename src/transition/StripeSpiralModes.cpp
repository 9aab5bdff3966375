#include <algorithm>

#include "transition/ModeFragments.h"

namespace orrivel {
namespace {

// Stripes of n pixels every `period` columns. Each row starts its stripes
// one column further left than the row above, wrapping after period - 1
// rows (not period), so no row starts a stripe at place 1 of a period. One
// piece per stripe, empty ones included.
int DrawDiagonalStripes(const TransitionFrame& frame, int32_t period, int shift) {
  const int32_t n = frame.progress >> shift;
  const int32_t rowModulus = period - 1;
  for (int32_t j = 0; j < frame.height; ++j) {
    for (int32_t c = -(j % rowModulus); c < frame.width; c += period) {
      int32_t length = c + n > frame.width ? frame.width - c : n;
      int32_t left = c;
      if (c < 0) {
        length = std::max(length + c, 0);
        left = 0;
      }
      DrawPieceInPlace(frame, Rect{left, j, left + length, j + 1});
    }
  }
  return 0;
}

// Ranks of the 4 x 4 units of a cell, row by row: a clockwise spiral from
// the top-left corner inwards, and one from row 1, column 1 outwards.
constexpr int32_t kSpiralInOrder[16] = {0, 1, 2, 3, 11, 12, 13, 4, 10, 15, 14, 5, 9, 8, 7, 6};
constexpr int32_t kSpiralOutOrder[16] = {6, 7, 8, 9, 5, 0, 1, 10, 4, 3, 2, 11, 15, 14, 13, 12};

// Units of `unit` pixels square appear rank by rank, one rank every 16
// steps of progress; units not yet reached cost no draw, and the reached
// units of a row go to the back end as runs.
int DrawSpiralCells(const TransitionFrame& frame, int32_t unit, const int32_t (&order)[16]) {
  const int32_t n = frame.progress >> 4;
  RowRuns runs(frame);
  for (int32_t top = 0; top < frame.height; top += unit) {
    const int32_t height = top + unit > frame.height ? frame.height - top : unit;
    const int32_t row = (top / unit) % 4;
    for (int32_t left = 0; left < frame.width; left += unit) {
      if (order[4 * row + (left / unit) % 4] > n) continue;
      const int32_t width = left + unit > frame.width ? frame.width - left : unit;
      runs.AddInPlace(Rect{left, top, left + width, top + height});
    }
  }
  return 0;
}

}  // namespace

int TransitionDiagonalStripes8(const TransitionFrame& frame) { return DrawDiagonalStripes(frame, 8, 5); }
int TransitionDiagonalStripes16(const TransitionFrame& frame) { return DrawDiagonalStripes(frame, 16, 4); }
int TransitionSpiralInPixels(const TransitionFrame& frame) { return DrawSpiralCells(frame, 1, kSpiralInOrder); }
int TransitionSpiralOutPixels(const TransitionFrame& frame) { return DrawSpiralCells(frame, 1, kSpiralOutOrder); }
int TransitionSpiralIn2(const TransitionFrame& frame) { return DrawSpiralCells(frame, 2, kSpiralInOrder); }
int TransitionSpiralOut2(const TransitionFrame& frame) { return DrawSpiralCells(frame, 2, kSpiralOutOrder); }
int TransitionSpiralIn4(const TransitionFrame& frame) { return DrawSpiralCells(frame, 4, kSpiralInOrder); }
int TransitionSpiralOut4(const TransitionFrame& frame) { return DrawSpiralCells(frame, 4, kSpiralOutOrder); }
int TransitionSpiralIn8(const TransitionFrame& frame) { return DrawSpiralCells(frame, 8, kSpiralInOrder); }
int TransitionSpiralOut8(const TransitionFrame& frame) { return DrawSpiralCells(frame, 8, kSpiralOutOrder); }

}  // namespace orrivel
