#pragma once
// What the recording library's transformed draws (entries 11 and 12) were
// last handed after the source, read by the tests through the address the
// library publishes at kRecordedDrawEntry.
#include <cstdint>

#include "raster/Rect.h"

namespace orrivel::test {

inline constexpr int kRecordedDrawEntry = 200;

struct RecordedDraw {
  int32_t entry = 0;
  const Rect* sourceRect = nullptr;
  // The six words between the source rectangle and the clip.
  int32_t words[6] = {};
  const Rect* clip = nullptr;
};

}  // namespace orrivel::test
