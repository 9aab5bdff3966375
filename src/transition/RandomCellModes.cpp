#include <algorithm>
#include <cmath>
#include <cstdint>

#include "transition/ModeFragments.h"
#include "transition/TransitionModes.h"
#include "transition/TransitionRandom.h"

// Every row or cell takes a fresh number, drawn in visiting order whether or
// not the back end draws anything, so a frame advances the library's
// generator by the same count on every back end.

namespace orrivel {

namespace {

// One cell of the grid: its place in the source and its size, narrower or
// lower at the right and bottom edges.
struct Cell {
  int32_t i, j, w, h;
  Rect Piece(int32_t dx = 0, int32_t dy = 0) const { return Rect{i + dx, j + dy, i + dx + w, j + dy + h}; }
};

// Visits the cells row by row from the top, each row from the left.
template <typename Visit>
void ForEachCell(const TransitionFrame& frame, int32_t cellWidth, int32_t cellHeight, Visit visit) {
  for (int32_t j = 0; j < frame.height; j += cellHeight) {
    const int32_t h = std::min(cellHeight, frame.height - j);
    for (int32_t i = 0; i < frame.width; i += cellWidth) visit(Cell{i, j, std::min(cellWidth, frame.width - i), h});
  }
}

// part / whole on a scale of 256, truncated.
int32_t Share256(int32_t part, int32_t whole) { return int32_t(256 * int64_t(part) / whole); }

int32_t RandomByte() { return TransitionRandom::Instance().Next() & 0xFF; }
// The remainder of a fresh number taken as unsigned; 0 for a count of 0
// (the jitter's span at the whole picture), the number still drawn.
int32_t RandomBelow(uint32_t count) {
  const uint32_t number = uint32_t(TransitionRandom::Instance().Next());
  return count == 0 ? 0 : int32_t(number % count);
}

// Draws each 4 x 2 cell in place when its byte is at most the cell's threshold.
// The drawn cells of a row go to the back end as runs.
template <typename Threshold>
int DissolveCells(const TransitionFrame& frame, Threshold threshold) {
  RowRuns runs(frame);
  ForEachCell(frame, 4, 2, [&](const Cell& cell) {
    if (RandomByte() <= threshold(cell)) runs.AddInPlace(cell.Piece());
  });
  return 0;
}

// The patch spread of the cell scramble, narrowing towards the end.
uint32_t ScrambleSpread(int32_t progress) {
  if (progress < 128) return 10;
  if (progress < 200) return 6;
  if (progress < 230) return 4;
  return 2;
}

}  // namespace

int TransitionJitterRows(const TransitionFrame& frame) {
  const int32_t span = 256 - frame.progress;
  for (int32_t i = 0; i < frame.height; ++i) {
    const int32_t offset = RandomBelow(uint32_t(span)) - (span >> 1);
    DrawCutFragment(frame, Rect{0, i, frame.width, i + 1}, offset, i);
  }
  return 0;
}

// Every cell is drawn every frame; a cell whose byte is above the progress
// shows a patch taken a little to the right and down, never from beyond
// the source's edges.
int TransitionScrambleCells(const TransitionFrame& frame) {
  const uint32_t spread = ScrambleSpread(frame.progress);
  ForEachCell(frame, 4, 2, [&](const Cell& cell) {
    if (RandomByte() <= frame.progress) {
      DrawInPlace(frame, cell.Piece());
      return;
    }
    int32_t dx = RandomBelow(spread);
    int32_t dy = RandomBelow(spread);
    if (cell.i + dx + cell.w > frame.width) dx = 0;
    if (cell.j + dy + cell.h > frame.height) dy = 0;
    DrawCutFragment(frame, cell.Piece(dx, dy), cell.i, cell.j);
  });
  return 0;
}

int TransitionDissolveCells(const TransitionFrame& frame) {
  return DissolveCells(frame, [&](const Cell&) { return frame.progress; });
}

// The directional dissolves: a positional term from about 255 on the side
// that comes first to 0 on the far side, plus 2p - 256.
int TransitionDissolveDown(const TransitionFrame& frame) {
  return DissolveCells(frame, [&](const Cell& c) {
    return Share256(frame.height - 1 - c.j, frame.height) + 2 * frame.progress - 256;
  });
}

int TransitionDissolveUp(const TransitionFrame& frame) {
  return DissolveCells(frame, [&](const Cell& c) { return Share256(c.j, frame.height) + 2 * frame.progress - 256; });
}

int TransitionDissolveRight(const TransitionFrame& frame) {
  return DissolveCells(frame, [&](const Cell& c) {
    return Share256(frame.width - 1 - c.i, frame.width) + 2 * frame.progress - 256;
  });
}

int TransitionDissolveLeft(const TransitionFrame& frame) {
  return DissolveCells(frame, [&](const Cell& c) { return Share256(c.i, frame.width) + 2 * frame.progress - 256; });
}

// A ragged disc opening from the centre: d is twice the distance from a 2 x 2
// cell's corner to the centre, so the disc reaches the corners (about
// sqrt(W^2 + H^2)) before its radius term (W + H) runs out.
int TransitionIris(const TransitionFrame& frame) {
  const int32_t reach = int32_t((int64_t(frame.width) + frame.height) * frame.progress >> 8);
  RowRuns runs(frame);
  ForEachCell(frame, 2, 2, [&](const Cell& cell) {
    const int64_t across = 2 * int64_t(cell.i) - frame.width, down = 2 * int64_t(cell.j) - frame.height;
    const int32_t twiceDistance = int32_t(std::sqrt(double(across * across + down * down)));
    if (RandomByte() <= reach - twiceDistance) runs.AddInPlace(cell.Piece());
  });
  return 0;
}

}  // namespace orrivel
