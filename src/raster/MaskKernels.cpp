#include "raster/MaskKernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "raster/BlendTables.h"
#include "raster/KernelLoops.h"
#include "raster/MaskKernelLoops.h"
#include "raster/PixelFilterOps.h"

namespace orrivel {

namespace ops = filter_ops;
namespace loops = kernel_loops;
using mask_loops::Multiplier;
using mask_loops::WithMask;

// --- a colour through a mask -------------------------------------------------------

void BlendColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                        int height, uint32_t color, const uint8_t* levelMap) {
  WithMask(dst, mask, dstSkip, maskSkip, width, height, [=](uint32_t& d, uint8_t m) {
    d = ops::BlendKeepAlpha(d, color, Multiplier(levelMap[m]));
  });
}

void AddColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                      int height, uint32_t color, const uint8_t* levelMap) {
  WithMask(dst, mask, dstSkip, maskSkip, width, height, [=](uint32_t& d, uint8_t m) {
    d = ops::AddScaled<false>(d, color, Multiplier(levelMap[m]));
  });
}

void SubColorByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                      int height, uint32_t color, const uint8_t* levelMap) {
  WithMask(dst, mask, dstSkip, maskSkip, width, height, [=](uint32_t& d, uint8_t m) {
    d = ops::AddScaled<true>(d, color, Multiplier(levelMap[m]));
  });
}

void BlendAlphaByMask32(void* dst, const uint8_t* mask, int dstSkip, int maskSkip, int width,
                        int height, uint32_t color, const uint8_t* levelMap) {
  WithMask(dst, mask, dstSkip, maskSkip, width, height,
           [=](uint32_t& d, uint8_t m) { d = ops::Composite(d, color, levelMap[m]); });
}

// --- another image at a level --------------------------------------------------------

void AddImage32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                uint8_t level) {
  const uint32_t m = Multiplier(level);
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      [m](uint32_t& d, uint32_t s) {
                                        d = ops::AddScaled<false>(d, s, m);
                                      });
}

void SubImage32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                uint8_t level) {
  const uint32_t m = Multiplier(level);
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      [m](uint32_t& d, uint32_t s) {
                                        d = ops::AddScaled<true>(d, s, m);
                                      });
}

// --- another image by its alpha ---------------------------------------------------------

#define ORRIVEL_DEFINE_BY_ALPHA(Name, OP)                                                        \
  void Name##32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,     \
                const uint8_t* levelMap) {                                                       \
    loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,               \
                                        [levelMap](uint32_t& d, uint32_t s) { OP; });            \
  }                                                                                              \
  void Name##Stretched32(void* dst, const void* src, int dstSkip, int srcPitch, int width,       \
                         int height, const StretchStep& step, const uint8_t* levelMap) {         \
    loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step, \
                                                [levelMap](uint32_t& d, uint32_t s) { OP; });    \
  }

ORRIVEL_DEFINE_BY_ALPHA(BlendImageByAlpha,
                        d = ops::BlendKeepAlpha(d, s, Multiplier(levelMap[s >> 24])))
ORRIVEL_DEFINE_BY_ALPHA(AddImageByAlpha,
                        d = ops::AddScaled<false>(d, s, Multiplier(levelMap[s >> 24])))
ORRIVEL_DEFINE_BY_ALPHA(SubImageByAlpha,
                        d = ops::AddScaled<true>(d, s, Multiplier(levelMap[s >> 24])))
ORRIVEL_DEFINE_BY_ALPHA(CompositeImage, d = ops::Composite(d, s, levelMap[s >> 24]))

#undef ORRIVEL_DEFINE_BY_ALPHA

// --- an image through a mask ---------------------------------------------------------------

void DrawThroughMask32(void* dst, const void* src, const uint8_t* mask, int dstSkip, int srcSkip,
                       int maskSkip, int width, int height, const uint8_t* levelMap) {
  if (mask == nullptr) {
    BlendImageByAlpha32(dst, src, dstSkip, srcSkip, width, height, levelMap);
    return;
  }
  mask_loops::WithSourceAndMask(dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
                                [levelMap](uint32_t& d, uint32_t s, uint8_t m) {
                                  d = ops::BlendKeepAlpha(d, s, Multiplier(levelMap[m]));
                                });
}

void DrawThroughMaskProduct32(void* dst, const void* src, const uint8_t* mask, int dstSkip,
                              int srcSkip, int maskSkip, int width, int height,
                              const uint8_t* levelMap) {
  if (mask == nullptr) return;
  mask_loops::WithSourceAndMask(
      dst, src, mask, dstSkip, srcSkip, maskSkip, width, height,
      [levelMap](uint32_t& d, uint32_t s, uint8_t m) {
        d = ops::BlendKeepAlpha(d, s, Multiplier(ProductTable[levelMap[m]][s >> 24]));
      });
}

// --- glyph colour at a position ---------------------------------------------------------------

bool BlendMaskedColorAt(int x, int y, uint8_t red, uint8_t green, uint8_t blue, void* dstBits,
                        int dstWidth, int dstHeight, int dstPitch, const uint8_t* mask,
                        int maskWidth, int maskHeight, int maskPitch) {
  mask_loops::MaskPlacement place;
  if (!mask_loops::PlaceMask(x, y, dstBits, dstWidth, dstHeight, dstPitch, mask, maskWidth,
                             maskHeight, maskPitch, &place)) {
    return false;
  }
  const uint32_t color = uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
  WithMask(place.dst, place.mask, place.dstSkip, place.maskSkip, place.width, place.height,
           [color](uint32_t& d, uint8_t m) {
             if (m != 0) d = (d & 0xFF000000u) | color;
           });
  return true;
}

// --- bilinear scaling -------------------------------------------------------------------------

void ScaleBilinear32(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                     const ScaleStep& step) {
  mask_loops::Bilinear(dst, src, dstSkip, srcPitch, width, height, step,
                       [](const uint8_t* row, ptrdiff_t x) {
                         return reinterpret_cast<const uint32_t*>(row)[x];
                       });
}

void ScaleBilinearIndexed(void* dst, const void* src, int dstSkip, int srcPitch,
                          const uint32_t* palette, int width, int height, const ScaleStep& step) {
  mask_loops::Bilinear(dst, src, dstSkip, srcPitch, width, height, step,
                       [palette](const uint8_t* row, ptrdiff_t x) { return palette[row[x]]; });
}

// --- copy into a texture format -----------------------------------------------------------------

void ConvertFormatRect(uint32_t formatCode, void* dst, int dstX, int dstY, int width, int height,
                       int dstPitch, const void* src, int srcX, int srcY, int srcPitch) {
  if (formatCode != 64 && formatCode != 128 && formatCode != 256) return;
  const int dstBytes = formatCode == 256 ? 4 : 2;
  for (int y = 0; y < height; ++y) {
    uint8_t* d = static_cast<uint8_t*>(dst) + ptrdiff_t(dstY + y) * dstPitch +
                 ptrdiff_t(dstX) * dstBytes;
    const uint32_t* s = reinterpret_cast<const uint32_t*>(
                            static_cast<const uint8_t*>(src) + ptrdiff_t(srcY + y) * srcPitch) +
                        srcX;
    if (formatCode == 256) {
      std::memcpy(d, s, size_t(width) * 4);
      continue;
    }
    uint16_t* d16 = reinterpret_cast<uint16_t*>(d);
    for (int x = 0; x < width; ++x) {
      const uint32_t p = s[x];
      d16[x] = formatCode == 64
                   ? uint16_t(((p >> 9) & 0x7C00) + ((p >> 6) & 0x3E0) + ((p >> 3) & 0x1F) +
                              ((p >> 16) & 0x8000))
                   : uint16_t(((p >> 16) & 0xF000) + ((p >> 12) & 0xF00) + ((p >> 8) & 0xF0) +
                              ((p >> 4) & 0xF));
    }
  }
}

}  // namespace orrivel
