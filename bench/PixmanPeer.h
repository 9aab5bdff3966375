#pragma once
// pixman as the peer of our whole-picture drawing: a 32-bit surface wrapped
// as a pixman image, and the benchmark loop of one composite of a whole
// source picture onto a destination of the same size.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include "raster/Surface.h"

namespace orrivel::bench {

inline pixman_image_t* WrapSurface(Surface& s) {
  return pixman_image_create_bits(PIXMAN_a8r8g8b8, s.GetWidth(), s.GetHeight(),
                                  reinterpret_cast<uint32_t*>(s.GetBits()), s.GetPitch());
}

inline void CompositeWholePicture(benchmark::State& state, pixman_op_t op, Surface& source, Surface& destination) {
  pixman_image_t* s = WrapSurface(source);
  pixman_image_t* d = WrapSurface(destination);
  for (auto _ : state) {
    pixman_image_composite32(op, s, nullptr, d, 0, 0, 0, 0, 0, 0, source.GetWidth(), source.GetHeight());
    benchmark::ClobberMemory();
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
}

}  // namespace orrivel::bench
