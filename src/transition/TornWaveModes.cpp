#include <array>
#include <cstdint>

#include "base/MathTables.h"
#include "transition/ModeFragments.h"
#include "transition/TransitionModes.h"

namespace orrivel {

namespace {

// The torn edge: six rows beyond the band, pushed alternately left and
// right, further with each row. 2W/9 is its own quotient, not twice W/9.
constexpr int kTornRows = 6;

std::array<int32_t, kTornRows> TornShifts(int32_t width) {
  const int32_t ninth = width / 9, twoNinths = int32_t(2 * int64_t(width) / 9), third = width / 3;
  return {-ninth, ninth, -twoNinths, twoNinths, -third, third};
}

int32_t BandHeight(const TransitionFrame& frame) {
  const int64_t rows = int64_t(frame.height) * frame.progress >> 8;
  return rows > frame.height ? frame.height : int32_t(rows);
}

void DrawShiftedRow(const TransitionFrame& frame, int32_t row, int32_t shift) {
  DrawCutFragment(frame, Rect{0, row, frame.width, row + 1}, shift, row);
}

// Each row shifted by its table entry scaled by the amplitude; the shift
// rounds towards minus infinity, so the opposite phase can land one pixel
// further out than the exact negative.
int DrawWaveRows(const TransitionFrame& frame, int32_t indexStep, int32_t phase, int32_t amplitude) {
  const MathTables* tables = GetMathTables();
  if (tables == nullptr) return 1;
  for (int32_t j = 0; j < frame.height; ++j) {
    const int32_t cosine = tables->Cos(int32_t(uint32_t(j) * uint32_t(indexStep) + uint32_t(phase)));
    DrawShiftedRow(frame, j, (cosine * amplitude) >> 16);
  }
  return 0;
}

// The amplitude falls to nothing at the last partial frame (255, not 256).
int32_t Settling(const TransitionFrame& frame) { return 255 - frame.progress; }

constexpr int32_t kOppositePhase = 256;

}  // namespace

int TransitionTornWipeDown(const TransitionFrame& frame) {
  const int32_t band = BandHeight(frame);
  DrawInPlace(frame, Rect{0, 0, frame.width, band});
  const std::array<int32_t, kTornRows> shifts = TornShifts(frame.width);
  for (int i = 0; i < kTornRows; ++i) DrawShiftedRow(frame, band + i, shifts[i]);
  return 0;
}

int TransitionTornWipeUp(const TransitionFrame& frame) {
  const int32_t top = frame.height - BandHeight(frame);
  DrawInPlace(frame, Rect{0, top, frame.width, frame.height});
  const std::array<int32_t, kTornRows> shifts = TornShifts(frame.width);
  for (int i = 0; i < kTornRows; ++i) DrawShiftedRow(frame, top - 1 - i, shifts[i]);
  return 0;
}

int TransitionWaveRows(const TransitionFrame& frame) { return DrawWaveRows(frame, 1, 0, Settling(frame) * 2); }

int TransitionWaveRowsInverse(const TransitionFrame& frame) {
  return DrawWaveRows(frame, 1, kOppositePhase, Settling(frame) * 2);
}

int TransitionWaveRowsShort(const TransitionFrame& frame) { return DrawWaveRows(frame, 8, 0, Settling(frame)); }

int TransitionWaveRowsShortInverse(const TransitionFrame& frame) {
  return DrawWaveRows(frame, 8, kOppositePhase, Settling(frame));
}

}  // namespace orrivel
