#include <cstdint>

#include "base/MathTables.h"
#include "transition/ModeFragments.h"
#include "transition/TransitionModes.h"

namespace orrivel {

namespace {

// The table entry that bends line i of a picture `extent` lines long: a
// half cosine that is 0 at the first line, the whole table value at the
// middle line and falls off again towards the last.
int32_t BendCosine(const MathTables& tables, int32_t i, int32_t extent) {
  return tables.Cos(int32_t((256 * int64_t(i)) / extent - 128));
}

// How far a line is stretched about the centre line: its length and the
// distance its start moves back, both truncated.
struct Stretch {
  int32_t length;
  int32_t back;
};

// The strength falls from almost 1 at the first frame to 1/256 at the last,
// so the middle line starts almost three times as long as the picture.
Stretch StretchLine(int32_t cosine, int32_t progress, int32_t extent) {
  const double strength = (256 - progress) * (1.0 / 256);
  const double factor = (2.0 * cosine) * strength * (1.0 / 65536) + 1.0;
  return {ClampToInt32(int64_t(factor * extent)), int32_t((factor - 1.0) * (extent >> 1))};
}

}  // namespace

// The mirrored picture stands for the whole transition; only the last
// frame shows it the right way round.
int TransitionMirrorColumns(const TransitionFrame& frame) {
  for (int32_t i = 0; i < frame.width; ++i)
    DrawCutFragment(frame, Rect{i, 0, i + 1, frame.height}, frame.width - 1 - i, 0);
  return 0;
}

int TransitionMirrorRows(const TransitionFrame& frame) {
  for (int32_t j = 0; j < frame.height; ++j)
    DrawCutFragment(frame, Rect{0, j, frame.width, j + 1}, 0, frame.height - 1 - j);
  return 0;
}

int TransitionStretchRows(const TransitionFrame& frame) {
  const MathTables* tables = GetMathTables();
  if (tables == nullptr) return 1;
  for (int32_t i = 0; i < frame.height; ++i) {
    const Stretch row = StretchLine(BendCosine(*tables, i, frame.height), frame.progress, frame.width);
    frame.draw->StretchedFragment(Rect{0, i, frame.width, i + 1}, Placed(frame.x, -int64_t(row.back)), Placed(frame.y, i),
                                  Size{row.length, 1});
  }
  return 0;
}

int TransitionStretchColumns(const TransitionFrame& frame) {
  const MathTables* tables = GetMathTables();
  if (tables == nullptr) return 1;
  for (int32_t i = 0; i < frame.width; ++i) {
    const Stretch column = StretchLine(BendCosine(*tables, i, frame.width), frame.progress, frame.height);
    frame.draw->StretchedFragment(Rect{i, 0, i + 1, frame.height}, Placed(frame.x, i), Placed(frame.y, -int64_t(column.back)),
                                  Size{1, column.length});
  }
  return 0;
}

}  // namespace orrivel
