#pragma once
// Helpers for the partial-frame tests of the numbered modes: the fragments a
// mode asks for at a progress (recorded through a back end that draws
// nothing, so large pictures cost nothing), the source pixels those
// fragments put in place, and the math tables the turning modes need.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "base/MathTables.h"
#include "transition/FragmentRecorder.h"
#include "transition/RunTransition.h"

namespace orrivel::test {

// Publishes math tables for the life of a test, as the game does at start.
class PublishedMathTables {
 public:
  PublishedMathTables() : previous_(SetMathTables(&tables_)) {}
  ~PublishedMathTables() { SetMathTables(previous_); }

 private:
  MathTables tables_;
  MathTables* previous_;
};

// The routine's result and the fragments it asked for.
struct Recording {
  int result = 0;
  std::vector<RecordedFragment> fragments;
};

// Runs one frame of a mode on a source of the image's size without drawing.
inline Recording RecordFrame(uint32_t mode, Image* destination, Image* source, int32_t progress,
                             int32_t x = 0, int32_t y = 0) {
  FragmentRecorder recorder;
  Recording recording;
  recording.result =
      RunTransitionRoutine(mode, destination, source, progress, x, y, kBackendNone, nullptr, &recorder);
  recording.fragments = std::move(recorder.fragments);
  return recording;
}

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
