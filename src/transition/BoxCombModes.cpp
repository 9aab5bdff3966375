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

// The combs work on lines: rows, grown along x, or columns, grown along y.
struct CombLines {
  const TransitionFrame& frame;
  bool columns;

  int32_t Along() const { return columns ? frame.height : frame.width; }
  int32_t Count() const { return columns ? frame.width : frame.height; }
  void Draw(int32_t line, int32_t from, int32_t to) const {
    DrawInPlace(frame, columns ? Rect{line, from, line + 1, to} : Rect{from, line, to, line + 1});
  }
  // A line grown from the start (left or top) by `length`.
  void FromStart(int32_t line, int32_t length) const { Draw(line, 0, std::min(length, Along())); }
  // A line grown from the end, which always shows one pixel more.
  void FromEnd(int32_t line, int32_t length) const { Draw(line, std::max(Along() - length - 1, 0), Along()); }
};

// Even lines grow from the start, odd lines from the end.
int DrawComb(const CombLines& lines, int32_t progress) {
  const int32_t length = Tooth(lines.Along(), progress, 8);
  for (int32_t line = 0; line < lines.Count(); line += 2) {
    lines.FromStart(line, length);
    lines.FromEnd(line + 1, length);
  }
  return 0;
}

constexpr int32_t kHalfway = 128;

// Lines 4k and 4k + 2 close at double speed in the first half; lines 4k + 1
// and 4k + 3 fill in at double speed in the second.
int DrawFourPhaseComb(const CombLines& lines, int32_t progress) {
  const int32_t first = Tooth(lines.Along(), progress, 7);
  for (int32_t line = 0; line < lines.Count(); line += 4) {
    lines.FromStart(line, first);
    lines.FromEnd(line + 2, first);
  }
  if (progress <= kHalfway) return 0;
  const int32_t second = Tooth(lines.Along(), progress - kHalfway, 7);
  for (int32_t line = 0; line < lines.Count(); line += 4) {
    lines.FromStart(line + 1, second);
    lines.FromEnd(line + 3, second);
  }
  return 0;
}

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

int TransitionCombRows(const TransitionFrame& frame) { return DrawComb(CombLines{frame, false}, frame.progress); }

int TransitionCombColumns(const TransitionFrame& frame) { return DrawComb(CombLines{frame, true}, frame.progress); }

int TransitionCombRows4(const TransitionFrame& frame) {
  return DrawFourPhaseComb(CombLines{frame, false}, frame.progress);
}

int TransitionCombColumns4(const TransitionFrame& frame) {
  return DrawFourPhaseComb(CombLines{frame, true}, frame.progress);
}

}  // namespace orrivel
