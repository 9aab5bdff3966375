#pragma once
// The program's own mouse cursors (resources 120 to 123: a pointing hand,
// an hourglass, a crosshair and a "not here" sign), drawn by our code into
// small ARGB pictures that the window back end turns into cursors.
#include <cstdint>
#include <optional>
#include <vector>

namespace orrivel::platform {

struct ProgramCursor {
  static constexpr uint32_t kFirstResource = 120;
  static constexpr uint32_t kLastResource = 123;

  int32_t width = 0;
  int32_t height = 0;
  int32_t hotX = 0;
  int32_t hotY = 0;
  // Rows top to bottom, 0xAARRGGBB; transparent pixels are 0.
  std::vector<uint32_t> pixels;
};

// The picture of a resource cursor; nullopt for any other number.
std::optional<ProgramCursor> MakeProgramCursor(uint32_t resourceId);

}  // namespace orrivel::platform
