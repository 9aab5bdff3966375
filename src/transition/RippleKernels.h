#pragma once
// Row kernels of the ripple. Each pixel takes a map entry, looks up its
// (dx, dy) pair in the current displacement row and blends the from- and
// to-pixels at the displaced position. The fast kernels read without
// bounds tests: the caller keeps them a margin away from the edges.
#include <cstddef>
#include <cstdint>

namespace orrivel {

struct ProcessorInfo;

struct RippleRun {
  uint32_t* dst = nullptr;  // first output pixel
  // Column 0 of the row being drawn in each picture.
  const uint8_t* from = nullptr;
  const uint8_t* to = nullptr;
  // Bytes per vertical displacement step: the pitch in the upper half, its
  // negation in the lower half.
  ptrdiff_t pitch = 0;
  int32_t x = 0;  // picture column of the first pixel
  int32_t count = 0;
  // The map entry of the first pixel; the forward kernel walks it upwards,
  // the backward kernel downwards.
  const int16_t* map = nullptr;
  const int16_t* displacement = nullptr;  // the current displacement row
  uint32_t level = 0;  // 0..255 from the from-picture to the to-picture
};

// from + (to - from) * level >> 8 per colour channel, alpha 0.
inline uint32_t RippleBlend(uint32_t from, uint32_t to, uint32_t level) {
  const uint32_t keep = 256 - level;
  const uint32_t rb = ((from & 0xFF00FFu) * keep + (to & 0xFF00FFu) * level) >> 8;
  const uint32_t g = ((from & 0xFF00u) * keep + (to & 0xFF00u) * level) >> 8;
  return (rb & 0xFF00FFu) | (g & 0xFF00u);
}

inline int32_t RippleDx(int16_t pair) { return int8_t(uint16_t(pair) >> 8); }
inline int32_t RippleDy(int16_t pair) { return int8_t(uint16_t(pair) & 0xFF); }

using RippleKernel = void (*)(const RippleRun& run);

// Right of the centre: map read forwards, source column x - dx.
void RippleForward(const RippleRun& run);
// Left of the centre: map read backwards, source column x + dx.
void RippleBackward(const RippleRun& run);
// Packed twins, giving the same pixels; the prefetching ones also fetch
// the map entries ahead.
void RippleForwardPacked(const RippleRun& run);
void RippleBackwardPacked(const RippleRun& run);
void RippleForwardPackedPrefetch(const RippleRun& run);
void RippleBackwardPackedPrefetch(const RippleRun& run);

// The kernels in use; the plain ones until SelectRippleKernels.
RippleKernel CurrentRippleForward();
RippleKernel CurrentRippleBackward();
// Chooses once from the processor flags: packed with prefetch when the
// processor has packed integers and an extended SIMD set, packed alone with
// packed integers only, else the plain kernels.
void SelectRippleKernels(const ProcessorInfo& cpu);
void SetRippleKernels(RippleKernel forward, RippleKernel backward);

}  // namespace orrivel
