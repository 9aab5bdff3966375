#include "raster/Kernels32.h"

#include <cstring>

#include "raster/KernelLoops.h"
#include "raster/PixelOps32.h"

namespace orrivel {

namespace loops = kernel_loops;
namespace ops = pixel_ops;

void FillPixels32(void* dst, int dstSkip, int width, int height, uint32_t value) {
  uint8_t* row = static_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < width; ++x) d[x] = value;
    row += ptrdiff_t(width) * 4 + dstSkip;
  }
}

void FillColorKeepAlpha32(void* dst, int dstSkip, int width, int height, uint32_t color) {
  const uint32_t low = color & 0x00FFFFFFu;
  uint8_t* row = static_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < width; ++x) d[x] = (d[x] & 0xFF000000u) | low;
    row += ptrdiff_t(width) * 4 + dstSkip;
  }
}

namespace {
constexpr auto kCopy = [](uint32_t& d, uint32_t s) { d = s; };
}

void CopyPixels32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  const uint8_t* s = static_cast<const uint8_t*>(src);
  uint8_t* d = static_cast<uint8_t*>(dst);
  const size_t rowBytes = size_t(width) * 4;
  if (dstSkip == 0 && srcSkip == 0) {  // contiguous rows: one block
    const size_t n = rowBytes * size_t(height);
    if (d + n <= s || s + n <= d)
      std::memcpy(d, s, n);
    else
      std::memmove(d, s, n);
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::memmove(d, s, rowBytes);
    d += ptrdiff_t(rowBytes) + dstSkip;
    s += ptrdiff_t(rowBytes) + srcSkip;
  }
}

void CopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                       uint32_t key) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      loops::Keyed(key, kCopy));
}

void StretchCopyPixels32(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                         const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step, kCopy);
}

void StretchCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step, uint32_t key) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              loops::Keyed(key, kCopy));
}

void MirrorCopyPixels32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  loops::Mirrored<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height, kCopy);
}

void MirrorCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height, uint32_t key) {
  loops::Mirrored<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      loops::Keyed(key, kCopy));
}

void StretchMirrorCopyPixels32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, true>(dst, src, dstSkip, srcPitch, width, height, step, kCopy);
}

void StretchMirrorCopyPixels32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step, uint32_t key) {
  loops::Stretched<uint32_t, uint32_t, true>(dst, src, dstSkip, srcPitch, width, height, step,
                                             loops::Keyed(key, kCopy));
}

// --- palette expansion ----------------------------------------------------

namespace {
auto ExpandOp(const uint32_t* palette) {
  return [palette](uint32_t& d, uint8_t index) { d = palette[index]; };
}
auto ExpandKeyedOp(const uint32_t* palette, uint32_t key) {
  const uint8_t keyIndex = static_cast<uint8_t>(key);
  return [palette, keyIndex](uint32_t& d, uint8_t index) {
    if (index != keyIndex) d = palette[index];
  };
}
}  // namespace

void ExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                        const uint32_t* palette) {
  loops::Straight<uint32_t, uint8_t>(dst, src, dstSkip, srcSkip, width, height, ExpandOp(palette));
}

void ExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                             int height, const uint32_t* palette, uint32_t key) {
  loops::Straight<uint32_t, uint8_t>(dst, src, dstSkip, srcSkip, width, height,
                                     ExpandKeyedOp(palette, key));
}

void StretchExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                               int height, const StretchStep& step, const uint32_t* palette) {
  loops::Stretched<uint32_t, uint8_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                             ExpandOp(palette));
}

void StretchExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                    int height, const StretchStep& step, const uint32_t* palette,
                                    uint32_t key) {
  loops::Stretched<uint32_t, uint8_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                             ExpandKeyedOp(palette, key));
}

void MirrorExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                              int height, const uint32_t* palette) {
  loops::Mirrored<uint32_t, uint8_t>(dst, src, dstSkip, srcSkip, width, height, ExpandOp(palette));
}

void MirrorExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                                   int height, const uint32_t* palette, uint32_t key) {
  loops::Mirrored<uint32_t, uint8_t>(dst, src, dstSkip, srcSkip, width, height,
                                     ExpandKeyedOp(palette, key));
}

void StretchMirrorExpandPalette8To32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                     int height, const StretchStep& step, const uint32_t* palette) {
  loops::Stretched<uint32_t, uint8_t, true>(dst, src, dstSkip, srcPitch, width, height, step,
                                            ExpandOp(palette));
}

void StretchMirrorExpandPalette8To32Keyed(void* dst, const void* src, int dstSkip, int srcPitch,
                                          int width, int height, const StretchStep& step,
                                          const uint32_t* palette, uint32_t key) {
  loops::Stretched<uint32_t, uint8_t, true>(dst, src, dstSkip, srcPitch, width, height, step,
                                            ExpandKeyedOp(palette, key));
}

// --- blends ----------------------------------------------------------------

namespace {
auto FactorsOp(uint32_t df, uint32_t sf) {
  return [df, sf](uint32_t& d, uint32_t s) { d = ops::BlendFactorsPlain(d, s, df, sf); };
}
}  // namespace

void BlendFactors32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                    uint32_t dstFactors, uint32_t srcFactors) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      FactorsOp(dstFactors, srcFactors));
}

void BlendFactors32Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                         uint32_t dstFactors, uint32_t srcFactors, uint32_t key) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      loops::Keyed(key, FactorsOp(dstFactors, srcFactors)));
}

void StretchBlendFactors32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step, uint32_t dstFactors,
                           uint32_t srcFactors) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              FactorsOp(dstFactors, srcFactors));
}

void StretchBlendFactors32Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                int height, const StretchStep& step, uint32_t dstFactors,
                                uint32_t srcFactors, uint32_t key) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              loops::Keyed(key, FactorsOp(dstFactors, srcFactors)));
}

void BlendLevel32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                  uint8_t level) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      [level](uint32_t& d, uint32_t s) { d = ops::BlendLevel(d, s, level); });
}

#define ORRIVEL_DEFINE_MODE_FAMILY(Name, Fn)                                                       \
  void Name(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {         \
    loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,                 \
                                        [](uint32_t& d, uint32_t s) { d = Fn(d, s); });            \
  }                                                                                                \
  void Name##Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,    \
                   uint32_t key) {                                                                 \
    loops::Straight<uint32_t, uint32_t>(                                                           \
        dst, src, dstSkip, srcSkip, width, height,                                                 \
        loops::Keyed(key, [](uint32_t& d, uint32_t s) { d = Fn(d, s); }));                         \
  }                                                                                                \
  void Stretch##Name(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height, \
                     const StretchStep& step) {                                                    \
    loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,  \
                                                [](uint32_t& d, uint32_t s) { d = Fn(d, s); });    \
  }                                                                                                \
  void Stretch##Name##Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,      \
                            int height, const StretchStep& step, uint32_t key) {                   \
    loops::Stretched<uint32_t, uint32_t, false>(                                                   \
        dst, src, dstSkip, srcPitch, width, height, step,                                          \
        loops::Keyed(key, [](uint32_t& d, uint32_t s) { d = Fn(d, s); }));                         \
  }

ORRIVEL_DEFINE_MODE_FAMILY(Average32, ops::Average)
ORRIVEL_DEFINE_MODE_FAMILY(AddSaturate32, ops::AddSaturate)
ORRIVEL_DEFINE_MODE_FAMILY(SubSaturate32, ops::SubSaturate)

#undef ORRIVEL_DEFINE_MODE_FAMILY

// Blue keeps its brightening term in whole steps of the shifted-out range;
// green and red keep the fraction, as the lower channel's bits ride along.
uint32_t ShiftChannels(uint32_t color, int n) {
  if (n > 8) n = 8;
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) {
    const uint32_t c = (color >> (8 * i)) & 0xFF;
    uint32_t r;
    if (n <= 0) {
      r = -n >= 8 ? 0 : c >> -n;
    } else if (c <= (255u >> n)) {
      r = c << n;
    } else {
      const uint32_t gain = (1u << n) - 1;
      r = i == 0 ? c + ((255 - c) >> n) * gain : c + ((255 - c) * gain >> n);
    }
    out |= (r & 0xFF) << (8 * i);
  }
  return out;
}

}  // namespace orrivel
