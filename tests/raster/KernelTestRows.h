#pragma once

// Random pixel rows and an independent reference walker for the row-kernel
// tests: every kernel family is checked against a per-pixel reference over
// straight, mirrored, stretched and stretched-mirrored walks.

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <vector>

#include "raster/KernelFlags.h"
#include "raster/StretchStep.h"

namespace orrivel::test {

enum class Walk { Straight, Mirrored, Stretched, StretchedMirrored };

// A block of pixels of type T with padding at the end of each row.
template <typename T>
struct Block {
  int width = 0;
  int height = 0;
  int pitch = 0;  // in pixels
  std::vector<T> pixels;

  Block(int w, int h, int padding = 3) : width(w), height(h), pitch(w + padding) {
    pixels.assign(size_t(pitch) * size_t(h), T{});
  }
  T& At(int x, int y) { return pixels[size_t(y) * pitch + x]; }
  const T& At(int x, int y) const { return pixels[size_t(y) * pitch + x]; }
  T* Row(int y) { return pixels.data() + size_t(y) * pitch; }
  int PitchBytes() const { return pitch * int(sizeof(T)); }
  int SkipBytes() const { return (pitch - width) * int(sizeof(T)); }
};

// Fills with random values; keyFraction of the pixels take `key` instead.
template <typename T>
void FillRandom(Block<T>& b, std::mt19937& rng, std::optional<uint32_t> key = std::nullopt) {
  std::uniform_int_distribution<uint32_t> any;
  std::uniform_int_distribution<int> pick(0, 3);
  for (auto& p : b.pixels) p = static_cast<T>(key && pick(rng) == 0 ? *key : any(rng));
}

// Sprite-like alpha: runs of 1 to 20 pixels made wholly clear, wholly opaque
// or left random, so the packed twins meet whole groups of either and groups
// that mix them.
inline void MakeAlphaRuns(Block<uint32_t>& b, std::mt19937& rng) {
  for (size_t i = 0; i < b.pixels.size();) {
    const size_t run = 1 + rng() % 20;
    const uint32_t kind = rng() % 3;
    for (size_t j = i; j < i + run && j < b.pixels.size(); ++j) {
      if (kind == 0) b.pixels[j] &= 0x00FFFFFFu;
      if (kind == 1) b.pixels[j] |= 0xFF000000u;
    }
    i += run;
  }
}

// Runs fn once under every vector width the packed twins can take on this
// processor (16 bytes always, 32 where AVX2 is present), then restores the
// widest.
template <typename Fn>
void ForEachVectorWidth(Fn fn) {
  const int widest = SetPackedVectorBytes(32);
  for (int bytes : {16, 32}) {
    if (bytes > widest) break;
    SetPackedVectorBytes(bytes);
    fn(bytes);
  }
  SetPackedVectorBytes(widest);
}

// Stepping as the blit set-up builds it for a source of sw over a
// destination of dw pixels (and likewise for rows).
inline StretchStep MakeStep(int sw, int dw, int sh, int dh) {
  StretchStep s;
  s.xError = -dw - 1;
  s.xDenominator = dw;
  s.xStep = sw / dw;
  s.xRemainder = sw % dw;
  s.yError = -dh - 1;
  s.yDenominator = dh;
  s.yStep = sh / dh;
  s.yRemainder = sh % dh;
  return s;
}

// Source positions of a stretched walk, by the rule as worded: step, add the
// remainder, and when the error is no longer negative one more and take the
// denominator off.
inline std::vector<int> StretchPositions(int count, int32_t error, int32_t remainder,
                                         int32_t denominator, int32_t step) {
  std::vector<int> out;
  int64_t e = error;
  int pos = 0;
  for (int i = 0; i < count; ++i) {
    out.push_back(pos);
    pos += step;
    e += remainder;
    if (e >= 0) {
      ++pos;
      e -= denominator;
    }
  }
  return out;
}

// Runs a kernel through the walk's address set-up.
// call(dst, src, dstSkip, srcSkipOrPitch, width, height, step).
template <typename D, typename S>
using KernelCall = std::function<void(void*, const void*, int, int, int, int, const StretchStep&)>;

template <typename D, typename S>
void RunWalk(Walk walk, Block<D>& dst, const Block<S>& src, const KernelCall<D, S>& call) {
  const int w = dst.width, h = dst.height;
  const S* base = src.pixels.data();
  const int sz = int(sizeof(S));
  StretchStep step;
  switch (walk) {
    case Walk::Straight:
      call(dst.pixels.data(), base, dst.SkipBytes(), (src.pitch - w) * sz, w, h, step);
      break;
    case Walk::Mirrored:
      call(dst.pixels.data(), base + w, dst.SkipBytes(), src.pitch * sz + w * sz, w, h, step);
      break;
    case Walk::Stretched:
      step = MakeStep(src.width, w, src.height, h);
      call(dst.pixels.data(), base, dst.SkipBytes(), src.PitchBytes(), w, h, step);
      break;
    case Walk::StretchedMirrored:
      step = MakeStep(src.width, w, src.height, h);
      call(dst.pixels.data(), base + src.width, dst.SkipBytes(), src.PitchBytes(), w, h, step);
      break;
  }
}

// The reference: dst(x, y) := op(dst(x, y), source pixel the walk reads).
template <typename D, typename S>
void ReferenceWalk(Walk walk, Block<D>& dst, const Block<S>& src,
                   const std::function<D(D, S)>& op) {
  const int w = dst.width, h = dst.height;
  std::vector<int> xs, ys;
  if (walk == Walk::Stretched || walk == Walk::StretchedMirrored) {
    const StretchStep s = MakeStep(src.width, w, src.height, h);
    xs = StretchPositions(w, s.xError, s.xRemainder, s.xDenominator, s.xStep);
    ys = StretchPositions(h, s.yError, s.yRemainder, s.yDenominator, s.yStep);
  } else {
    for (int x = 0; x < w; ++x) xs.push_back(x);
    for (int y = 0; y < h; ++y) ys.push_back(y);
  }
  const bool mirrored = walk == Walk::Mirrored || walk == Walk::StretchedMirrored;
  const int rowWidth = (walk == Walk::Mirrored) ? w : src.width;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int sx = mirrored ? rowWidth - 1 - xs[x] : xs[x];
      dst.At(x, y) = op(dst.At(x, y), src.At(sx, ys[y]));
    }
}

inline const Walk kAllWalks[] = {Walk::Straight, Walk::Mirrored, Walk::Stretched,
                                 Walk::StretchedMirrored};

// Destination and source sizes used for every family: odd widths exercise
// the packed tails, stretched sizes shrink and grow; 12 and 15 leave one
// group of four after the eight-pixel steps.
struct Shape {
  int dw, dh, sw, sh;
};
inline const Shape kShapes[] = {{1, 1, 1, 1},   {3, 2, 7, 5},     {4, 3, 2, 2},
                                {5, 4, 13, 9},  {12, 3, 29, 4},   {15, 2, 6, 3},
                                {17, 3, 17, 3}, {64, 5, 23, 11},  {33, 2, 100, 7}};

}  // namespace orrivel::test
