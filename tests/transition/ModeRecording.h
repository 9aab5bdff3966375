#pragma once
// Recording the fragments of one partial frame of a numbered mode without
// drawing them (the back end that draws nothing still hands every fragment
// to the tap, so large pictures cost nothing), the source pixels those
// fragments put in place, and publishing the math tables for the modes
// that read them.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "base/MathTables.h"
#include "raster/Surface.h"
#include "transition/FragmentRecorder.h"
#include "transition/RunTransition.h"

namespace orrivel::test {

// The routine's result and the fragments it asked for.
struct RecordedFrame {
  int result = 0;
  std::vector<RecordedFragment> fragments;
};
using Recording = RecordedFrame;

inline RecordedFrame RecordMode(uint32_t mode, int32_t width, int32_t height, int32_t progress, int32_t x = 0,
                                int32_t y = 0) {
  Surface source;
  EXPECT_EQ(source.Create(width, height, 32, 0), 0);
  FragmentRecorder recorder;
  RecordedFrame frame;
  frame.result = RunTransitionRoutine(mode, nullptr, &source, progress, x, y, kBackendNone, nullptr, &recorder);
  frame.fragments = std::move(recorder.fragments);
  return frame;
}

// Runs one frame of a mode between given images without drawing.
inline Recording RecordFrame(uint32_t mode, Image* destination, Image* source, int32_t progress, int32_t x = 0,
                             int32_t y = 0) {
  FragmentRecorder recorder;
  Recording recording;
  recording.result =
      RunTransitionRoutine(mode, destination, source, progress, x, y, kBackendNone, nullptr, &recorder);
  recording.fragments = std::move(recorder.fragments);
  return recording;
}

inline RecordedFragment At(const Rect& source, int32_t x, int32_t y) {
  return {RecordedFragment::kFragment, source, x, y, Size{}};
}

inline RecordedFragment StretchedAt(const Rect& source, int32_t x, int32_t y, const Size& size) {
  return {RecordedFragment::kStretched, source, x, y, size};
}

// Publishes the math tables for the scope (or withdraws them, given null),
// as the game does at start.
class ScopedMathTables {
 public:
  explicit ScopedMathTables(MathTables* tables = &Shared()) : previous_(SetMathTables(tables)) {}
  ~ScopedMathTables() { SetMathTables(previous_); }
  ScopedMathTables(const ScopedMathTables&) = delete;
  ScopedMathTables& operator=(const ScopedMathTables&) = delete;

  static MathTables& Shared() {
    static MathTables tables;
    return tables;
  }

 private:
  MathTables* previous_;
};
using PublishedMathTables = ScopedMathTables;

using PixelSet = std::set<std::pair<int32_t, int32_t>>;

// The source pixels (column, row) that unscaled fragments cover.
inline PixelSet CoveredSourcePixels(const std::vector<RecordedFragment>& fragments) {
  PixelSet pixels;
  for (const RecordedFragment& f : fragments) {
    if (f.kind != RecordedFragment::kFragment) continue;
    for (int32_t y = f.source.top; y < f.source.bottom; ++y)
      for (int32_t x = f.source.left; x < f.source.right; ++x) pixels.insert({x, y});
  }
  return pixels;
}

// The pixels of a width x height picture for which the predicate holds.
template <typename Predicate>
PixelSet PixelsWhere(int32_t width, int32_t height, Predicate predicate) {
  PixelSet pixels;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (predicate(x, y)) pixels.insert({x, y});
  return pixels;
}

}  // namespace orrivel::test
