#pragma once
// Recording the fragments of one partial frame of a numbered mode without
// drawing them (the back end that draws nothing still hands every fragment
// to the tap), and publishing a cosine table for the modes that read one.
#include <cstdint>
#include <vector>

#include "base/MathTables.h"
#include "raster/Surface.h"
#include "transition/FragmentRecorder.h"
#include "transition/RunTransition.h"

namespace orrivel::test {

struct RecordedFrame {
  int result = 0;
  std::vector<RecordedFragment> fragments;
};

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

inline RecordedFragment At(const Rect& source, int32_t x, int32_t y) {
  return {RecordedFragment::kFragment, source, x, y, Size{}};
}

inline RecordedFragment StretchedAt(const Rect& source, int32_t x, int32_t y, const Size& size) {
  return {RecordedFragment::kStretched, source, x, y, size};
}

// Publishes a cosine table for the scope (or withdraws it, given null).
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

}  // namespace orrivel::test
