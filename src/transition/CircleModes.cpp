#include <algorithm>
#include <cmath>
#include <cstdint>

#include "transition/ModeFragments.h"
#include "transition/TransitionModes.h"

// A disc (or half disc) drawn as one chord per row, its diameter growing in
// proportion to the progress until it reaches at least the farthest corner.
// The corners may still be missing at the last partial frame; the last
// frame completes them.

namespace orrivel {

namespace {

// The disc at this progress: its diameter D, the chords on each side of the
// centre line (D >> 1) and D^2 / 4, which is not R^2 when D is odd.
struct Disc {
  int64_t chords;
  int64_t radiusSquared;
};

Disc DiscAt(int64_t fullDiameter, int32_t progress) {
  const int64_t diameter = fullDiameter * progress >> 8;
  return {diameter >> 1, diameter * diameter / 4};
}

// The diameter that reaches the far corners from the middle of an edge:
// the edge is `along` long and the picture `away` deep from it.
int64_t EdgeDiameter(int64_t along, int64_t away) {
  return int64_t(2 * std::sqrt(double(along * along / 4 + away * away)));
}

int32_t HalfChord(const Disc& disc, int64_t k) {
  return int32_t(std::sqrt(double(disc.radiusSquared - k * k)));
}
int32_t Chord(const Disc& disc, int64_t k) { return int32_t(2 * std::sqrt(double(disc.radiusSquared - k * k))); }

// One chord of `width` from column `left` on `row`: a row above the picture
// collapses onto row 0, one at or below the bottom draws nothing, and a
// chord running past either side is cut there.
void DrawChord(const TransitionFrame& frame, int64_t row, int32_t left, int32_t width) {
  left = std::max(left, 0);
  const int32_t top = int32_t(std::clamp<int64_t>(row, 0, frame.height));
  DrawInPlace(frame, Rect{left, top, left + std::min(width, frame.width - left), top + 1});
}

// A chord centred on the middle column.
void DrawCentredChord(const TransitionFrame& frame, int64_t row, int32_t width) {
  DrawChord(frame, row, (frame.width >> 1) - (width >> 1), width);
}

// The rows from R above the centre row to R - 1 below it, with their
// signed distance from it.
template <typename DrawRow>
int AcrossCentreRow(const TransitionFrame& frame, const Disc& disc, DrawRow draw) {
  const int64_t centre = frame.height >> 1;
  for (int64_t k = -disc.chords; k < disc.chords; ++k) draw(centre + k, k);
  return 0;
}

}  // namespace

int TransitionHalfCircleTop(const TransitionFrame& frame) {
  const Disc disc = DiscAt(EdgeDiameter(frame.width, frame.height), frame.progress);
  for (int64_t k = 0; k < disc.chords; ++k) DrawCentredChord(frame, k, Chord(disc, k));
  return 0;
}

// The centre line is row H, below the picture, so the widest chord is
// never seen and the bottom row carries the second.
int TransitionHalfCircleBottom(const TransitionFrame& frame) {
  const Disc disc = DiscAt(EdgeDiameter(frame.width, frame.height), frame.progress);
  for (int64_t k = 0; k < disc.chords; ++k) DrawCentredChord(frame, frame.height - k, Chord(disc, k));
  return 0;
}

// The half discs from the side edges take the half chord as the width.
int TransitionHalfCircleLeft(const TransitionFrame& frame) {
  const Disc disc = DiscAt(EdgeDiameter(frame.height, frame.width), frame.progress);
  return AcrossCentreRow(frame, disc, [&](int64_t row, int64_t k) { DrawChord(frame, row, 0, HalfChord(disc, k)); });
}

int TransitionHalfCircleRight(const TransitionFrame& frame) {
  const Disc disc = DiscAt(EdgeDiameter(frame.height, frame.width), frame.progress);
  return AcrossCentreRow(frame, disc, [&](int64_t row, int64_t k) {
    const int32_t width = HalfChord(disc, k);
    DrawChord(frame, row, frame.width - width, width);
  });
}

int TransitionCircleCentre(const TransitionFrame& frame) {
  const Disc disc = DiscAt(int64_t(frame.width) + frame.height, frame.progress);
  return AcrossCentreRow(frame, disc, [&](int64_t row, int64_t k) { DrawCentredChord(frame, row, Chord(disc, k)); });
}

}  // namespace orrivel
