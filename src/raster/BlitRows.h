#pragma once
// Addresses of one clipped blit, as the row kernels take them. Internal to
// the surface blitters.
#include <cstdint>

#include "raster/StretchStep.h"

namespace orrivel {

struct BlitRows {
  uint8_t* dst = nullptr;
  // Straight: the first source pixel. Mirrored: just after the rightmost
  // source pixel of the first row. Flipped: the source's last row.
  const uint8_t* src = nullptr;
  int dstSkip = 0;
  // Bytes added after each source row for the straight and mirrored walks.
  int srcSkip = 0;
  // Signed source pitch (negative when flipped), for the stretched walks.
  int srcPitch = 0;
  int width = 0;
  int height = 0;
  bool stretched = false;
  bool mirrored = false;
  StretchStep step;

  // Runs the walk's kernel: straight(dst, src, dstSkip, srcSkip, w, h),
  // mirrored(...) likewise, stretched(dst, src, dstSkip, srcPitch, w, h,
  // step) and stretchedMirrored(...) likewise.
  template <typename Straight, typename Mirrored, typename Stretched, typename StretchedMirrored>
  void Run(Straight straight, Mirrored mirror, Stretched stretch,
           StretchedMirrored stretchMirror) const {
    if (stretched) {
      if (mirrored)
        stretchMirror(dst, src, dstSkip, srcPitch, width, height, step);
      else
        stretch(dst, src, dstSkip, srcPitch, width, height, step);
    } else if (mirrored) {
      mirror(dst, src, dstSkip, srcSkip, width, height);
    } else {
      straight(dst, src, dstSkip, srcSkip, width, height);
    }
  }
};

// Binds trailing arguments (key, palette, level) to a row kernel, so it fits
// the Run slots above.
#define ORRIVEL_BIND_ROWS(fn, ...)                                  \
  [&](void* d_, const void* s_, int ds_, int ss_, int w_, int h_) { \
    fn(d_, s_, ds_, ss_, w_, h_, __VA_ARGS__);                      \
  }
#define ORRIVEL_BIND_STRETCH(fn, ...)                                                        \
  [&](void* d_, const void* s_, int ds_, int sp_, int w_, int h_, const StretchStep& st_) { \
    fn(d_, s_, ds_, sp_, w_, h_, st_, __VA_ARGS__);                                          \
  }

// Slots for walks an operation does not have.
inline constexpr auto kNoRows = [](void*, const void*, int, int, int, int) {};
inline constexpr auto kNoStretch = [](void*, const void*, int, int, int, int, const StretchStep&) {};

}  // namespace orrivel
