#include "transition/ModeFragments.h"

namespace orrivel {
namespace {

// Each cell of side `cell` shows a square of side n anchored at its top-left
// corner; n stays below the cell size, so the last row and column of every
// cell wait for the whole picture. One piece per cell, empty ones included.
int DrawGrowingSquares(const TransitionFrame& frame, int32_t cell, int shift) {
  const int32_t n = frame.progress >> shift;
  for (int32_t top = 0; top < frame.height; top += cell) {
    const int32_t height = top + n > frame.height ? frame.height - top : n;
    for (int32_t left = 0; left < frame.width; left += cell) {
      const int32_t width = left + n > frame.width ? frame.width - left : n;
      DrawPieceInPlace(frame, Rect{left, top, left + width, top + height});
    }
  }
  return 0;
}

// A line of a group of `group` lines is drawn once its place in the group,
// counted from the side the blinds open from, is at most n. Each drawn line
// is its own piece.
bool BlindLineShows(int32_t line, int32_t group, bool reverse, int32_t n) {
  const int32_t place = line & (group - 1);
  return (reverse ? group - 1 - place : place) <= n;
}

int DrawColumnBlinds(const TransitionFrame& frame, int32_t group, int shift, bool reverse) {
  const int32_t n = frame.progress >> shift;
  for (int32_t c = 0; c < frame.width; ++c) {
    if (BlindLineShows(c, group, reverse, n)) DrawPieceInPlace(frame, Rect{c, 0, c + 1, frame.height});
  }
  return 0;
}

int DrawRowBlinds(const TransitionFrame& frame, int32_t group, int shift, bool reverse) {
  const int32_t n = frame.progress >> shift;
  for (int32_t j = 0; j < frame.height; ++j) {
    if (BlindLineShows(j, group, reverse, n)) DrawPieceInPlace(frame, Rect{0, j, frame.width, j + 1});
  }
  return 0;
}

}  // namespace

int TransitionSquares4(const TransitionFrame& frame) { return DrawGrowingSquares(frame, 4, 6); }
int TransitionSquares8(const TransitionFrame& frame) { return DrawGrowingSquares(frame, 8, 5); }
int TransitionSquares16(const TransitionFrame& frame) { return DrawGrowingSquares(frame, 16, 4); }
int TransitionBlindColumns8(const TransitionFrame& frame) { return DrawColumnBlinds(frame, 8, 5, false); }
int TransitionBlindColumns8Reverse(const TransitionFrame& frame) { return DrawColumnBlinds(frame, 8, 5, true); }
int TransitionBlindColumns16(const TransitionFrame& frame) { return DrawColumnBlinds(frame, 16, 4, false); }
int TransitionBlindColumns16Reverse(const TransitionFrame& frame) { return DrawColumnBlinds(frame, 16, 4, true); }
int TransitionBlindRows8(const TransitionFrame& frame) { return DrawRowBlinds(frame, 8, 5, false); }
int TransitionBlindRows8Reverse(const TransitionFrame& frame) { return DrawRowBlinds(frame, 8, 5, true); }
int TransitionBlindRows16(const TransitionFrame& frame) { return DrawRowBlinds(frame, 16, 4, false); }
int TransitionBlindRows16Reverse(const TransitionFrame& frame) { return DrawRowBlinds(frame, 16, 4, true); }

}  // namespace orrivel
