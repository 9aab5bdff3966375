#include <algorithm>
#include <cstdint>

#include "transition/ModeFragments.h"
#include "transition/TransitionModes.h"

// Reveals without chance: every visible pixel is drawn in its final place
// and the visible part only grows with the progress.

namespace orrivel {

namespace {

// The box's side, measured on the longer side of the picture, so on a wide
// picture the box reaches the top and bottom first and then only widens.
int32_t BoxSide(const TransitionFrame& frame) {
  const int32_t longer = frame.height > frame.width ? frame.height : frame.width;
  return int32_t(int64_t(longer) * frame.progress >> 8);
}

// A span of `side` starting at `start` on an axis `extent` long, its start
// raised to 0 and its length cut at the far edge: {start, end}.
struct Span {
  int32_t start, end;
};
Span CutSpan(int32_t start, int32_t side, int32_t extent) {
  start = std::max(start, 0);
  return {start, start + (start + side > extent ? extent - start : side)};
}

int DrawBox(const TransitionFrame& frame, Span across, Span down) {
  DrawInPlace(frame, Rect{across.start, down.start, across.end, down.end});
  return 0;
}

// S times the extent over 2^shift: the combs' tooth lengths.
int32_t Tooth(int32_t extent, int32_t progress, int shift) { return int32_t(int64_t(extent) * progress >> shift); }

// Row `row` grown from the left edge by `length`, and row `row` grown from
// the right edge, which always shows one column more.
void RowFromLeft(const TransitionFrame& frame, int32_t row, int32_t length) {
  DrawInPlace(frame, Rect{0, row, std::min(length, frame.width), row + 1});
}
void RowFromRight(const TransitionFrame& frame, int32_t row, int32_t length) {
  DrawInPlace(frame, Rect{std::max(frame.width - length - 1, 0), row, frame.width, row + 1});
}
void ColumnFromTop(const TransitionFrame& frame, int32_t column, int32_t length) {
  DrawInPlace(frame, Rect{column, 0, column + 1, std::min(length, frame.height)});
}
void ColumnFromBottom(const TransitionFrame& frame, int32_t column, int32_t length) {
  DrawInPlace(frame, Rect{column, std::max(frame.height - length - 1, 0), column + 1, frame.height});
}

constexpr int32_t kHalfway = 128;

}  // namespace

int TransitionBoxCentre(const TransitionFrame& frame) {
  const int32_t side = BoxSide(frame);
  return DrawBox(frame, CutSpan((frame.width >> 1) - (side >> 1), side, frame.width),
                 CutSpan((frame.height >> 1) - (side >> 1), side, frame.height));
}

int TransitionBoxTopLeft(const TransitionFrame& frame) {
  const int32_t side = BoxSide(frame);
  return DrawBox(frame, CutSpan(0, side, frame.width), CutSpan(0, side, frame.height));
}

int TransitionBoxTopRight(const TransitionFrame& frame) {
  const int32_t side = BoxSide(frame);
  return DrawBox(frame, CutSpan(frame.width - side, side, frame.width), CutSpan(0, side, frame.height));
}

int TransitionBoxBottomLeft(const TransitionFrame& frame) {
  const int32_t side = BoxSide(frame);
  return DrawBox(frame, CutSpan(0, side, frame.width), CutSpan(frame.height - side, side, frame.height));
}

int TransitionBoxBottomRight(const TransitionFrame& frame) {
  const int32_t side = BoxSide(frame);
  return DrawBox(frame, CutSpan(frame.width - side, side, frame.width),
                 CutSpan(frame.height - side, side, frame.height));
}

// Even rows grow from the left, odd rows from the right.
int TransitionCombRows(const TransitionFrame& frame) {
  const int32_t length = Tooth(frame.width, frame.progress, 8);
  for (int32_t j = 0; j < frame.height; j += 2) {
    RowFromLeft(frame, j, length);
    RowFromRight(frame, j + 1, length);
  }
  return 0;
}

int TransitionCombColumns(const TransitionFrame& frame) {
  const int32_t length = Tooth(frame.height, frame.progress, 8);
  for (int32_t i = 0; i < frame.width; i += 2) {
    ColumnFromTop(frame, i, length);
    ColumnFromBottom(frame, i + 1, length);
  }
  return 0;
}

// Rows 4k and 4k + 2 close at double speed in the first half; rows 4k + 1
// and 4k + 3 fill in at double speed in the second.
int TransitionCombRows4(const TransitionFrame& frame) {
  const int32_t first = Tooth(frame.width, frame.progress, 7);
  for (int32_t j = 0; j < frame.height; j += 4) {
    RowFromLeft(frame, j, first);
    RowFromRight(frame, j + 2, first);
  }
  if (frame.progress <= kHalfway) return 0;
  const int32_t second = Tooth(frame.width, frame.progress - kHalfway, 7);
  for (int32_t j = 0; j < frame.height; j += 4) {
    RowFromLeft(frame, j + 1, second);
    RowFromRight(frame, j + 3, second);
  }
  return 0;
}

int TransitionCombColumns4(const TransitionFrame& frame) {
  const int32_t first = Tooth(frame.height, frame.progress, 7);
  for (int32_t i = 0; i < frame.width; i += 4) {
    ColumnFromTop(frame, i, first);
    ColumnFromBottom(frame, i + 2, first);
  }
  if (frame.progress <= kHalfway) return 0;
  const int32_t second = Tooth(frame.height, frame.progress - kHalfway, 7);
  for (int32_t i = 0; i < frame.width; i += 4) {
    ColumnFromTop(frame, i + 1, second);
    ColumnFromBottom(frame, i + 3, second);
  }
  return 0;
}

}  // namespace orrivel
