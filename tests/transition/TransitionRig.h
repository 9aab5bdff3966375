#pragma once
// Pictures for transition tests on every drawing path: back end 0 on 8- and
// 32-bit surfaces, back end 2 on blit surfaces of 8-bit indexed, R5G6B5,
// X1R5G5B5 and X8R8G8B8 formats. A source pixel holds a code of its own
// coordinates within its format's range (exact on the 32-bit paths, the
// running index modulo the range elsewhere), and the destination starts as
// a background value that no code takes.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/SoftSurface.h"
#include "raster/Surface.h"
#include "display/SurfaceImage.h"
#include "transition/OffscreenDisplay.h"

namespace orrivel::test {

struct DrawPath {
  const char* name;
  int32_t backend;          // 0 on surfaces, 2 on blit surfaces
  uint8_t surfaceBits;      // back end 0: 8 or 32
  platform::SurfaceFormat format;  // back end 2
  uint32_t codeRange;       // 0: exact 32-bit codes
  uint32_t background;
};

inline constexpr DrawPath kDrawPaths[] = {
    {"surface8", 0, 8, platform::SurfaceFormat::Indexed8, 255, 255},
    {"surface32", 0, 32, platform::SurfaceFormat::X8R8G8B8, 0, 0xFFFFFFFFu},
    {"blit8", 2, 0, platform::SurfaceFormat::Indexed8, 255, 255},
    {"blit565", 2, 0, platform::SurfaceFormat::R5G6B5, 0x7FFF, 0x7FFF},
    {"blit555", 2, 0, platform::SurfaceFormat::X1R5G5B5, 0x7FFF, 0x7FFF},
    {"blit32", 2, 0, platform::SurfaceFormat::X8R8G8B8, 0, 0xFFFFFFFFu},
};

// The code of source pixel (sx, sy) on a path.
uint32_t SourceCode(const DrawPath& path, int32_t width, int32_t sx, int32_t sy);
// The exact code's coordinates; false for the background or a value that
// names no pixel of a width x height source.
bool DecodeExact(uint32_t value, int32_t width, int32_t height, int32_t* sx, int32_t* sy);

// A coded source of width x height and a destination of the given size with
// a clip rectangle, both on one path. The blit paths make surface images on
// the display.
class PathPictures {
 public:
  PathPictures(tools::OffscreenDisplay& display, const DrawPath& path, int32_t width, int32_t height,
               int32_t destWidth, int32_t destHeight, const Rect& clip);
  const DrawPath& Path() const { return path_; }
  Image* Destination() { return destination_; }
  Image* Source() { return source_; }
  // Every destination pixel back to the background.
  void ClearDestination();
  // The destination's raw pixels, row by row.
  std::vector<uint32_t> Snapshot();

 private:
  const DrawPath& path_;
  int32_t destWidth_;
  int32_t destHeight_;
  Surface surfaceSource_;
  Surface surfaceDestination_;
  std::unique_ptr<SurfaceImage> blitSource_;
  std::unique_ptr<SurfaceImage> blitDestination_;
  Image* source_ = nullptr;
  Image* destination_ = nullptr;
};

// A 32-bit surface of the size, every pixel set to value.
std::unique_ptr<Surface> MakeSurface32(int32_t width, int32_t height, uint32_t value);

}  // namespace orrivel::test
