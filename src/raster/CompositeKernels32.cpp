#include "raster/CompositeKernels32.h"

#include "raster/BlendTables.h"
#include "raster/Image.h"
#include "raster/KernelLoops.h"
#include "raster/PixelOps32.h"

namespace orrivel {

namespace loops = kernel_loops;
namespace ops = pixel_ops;

namespace {
constexpr auto kBlendPlain = [](uint32_t& d, uint32_t s) { d = ops::BlendByAlpha<false>(d, s); };
constexpr auto kPlaneToAlpha = [](uint32_t& d, uint8_t p) {
  d = (d & 0x00FFFFFFu) | (uint32_t(p) << 24);
};
constexpr auto kAlphaToPlane = [](uint8_t& p, uint32_t s) { p = static_cast<uint8_t>(s >> 24); };
constexpr auto kColorKeepAlpha = [](uint32_t& d, uint32_t s) {
  d = (s & 0x00FFFFFFu) | (d & 0xFF000000u);
};
constexpr auto kAlphaKeepColor = [](uint32_t& d, uint32_t s) {
  d = (s & 0xFF000000u) | (d & 0x00FFFFFFu);
};
}  // namespace

void BlendByAlpha32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height, kBlendPlain);
}

void StretchBlendByAlpha32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              kBlendPlain);
}

void BlendByAlpha32Mirrored(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                            int height) {
  loops::Mirrored<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height, kBlendPlain);
}

void StretchBlendByAlpha32Mirrored(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                   int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, true>(dst, src, dstSkip, srcPitch, width, height, step,
                                             kBlendPlain);
}

void CopyPlaneToAlpha(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                      int height) {
  loops::Straight<uint32_t, uint8_t>(dst, plane, dstSkip, planeSkip, width, height, kPlaneToAlpha);
}

void StretchCopyPlaneToAlpha(void* dst, const void* plane, int dstSkip, int planePitch, int width,
                             int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint8_t, false>(dst, plane, dstSkip, planePitch, width, height, step,
                                             kPlaneToAlpha);
}

void CopyPlaneToAlphaMirrored(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                              int height) {
  loops::Mirrored<uint32_t, uint8_t>(dst, plane, dstSkip, planeSkip, width, height, kPlaneToAlpha);
}

void StretchCopyPlaneToAlphaMirrored(void* dst, const void* plane, int dstSkip, int planePitch,
                                     int width, int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint8_t, true>(dst, plane, dstSkip, planePitch, width, height, step,
                                            kPlaneToAlpha);
}

void CombineAlphaWithPlane(void* dst, const void* plane, int dstSkip, int planeSkip, int width,
                           int height) {
  loops::Straight<uint32_t, uint8_t>(dst, plane, dstSkip, planeSkip, width, height,
                                     [](uint32_t& d, uint8_t p) {
                                       const uint32_t a = CompositeAlphaTable[d >> 24][p];
                                       d = (d & 0x00FFFFFFu) | (a << 24);
                                     });
}

void CopyAlphaToPlane(void* plane, const void* src, int planeSkip, int srcSkip, int width,
                      int height) {
  loops::Straight<uint8_t, uint32_t>(plane, src, planeSkip, srcSkip, width, height, kAlphaToPlane);
}

void StretchCopyAlphaToPlane(void* plane, const void* src, int planeSkip, int srcPitch, int width,
                             int height, const StretchStep& step) {
  loops::Stretched<uint8_t, uint32_t, false>(plane, src, planeSkip, srcPitch, width, height, step,
                                             kAlphaToPlane);
}

void CopyAlphaToPlaneMirrored(void* plane, const void* src, int planeSkip, int srcSkip, int width,
                              int height) {
  loops::Mirrored<uint8_t, uint32_t>(plane, src, planeSkip, srcSkip, width, height, kAlphaToPlane);
}

void StretchCopyAlphaToPlaneMirrored(void* plane, const void* src, int planeSkip, int srcPitch,
                                     int width, int height, const StretchStep& step) {
  loops::Stretched<uint8_t, uint32_t, true>(plane, src, planeSkip, srcPitch, width, height, step,
                                            kAlphaToPlane);
}

void CopyColorKeepAlpha32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height, kColorKeepAlpha);
}

void StretchCopyColorKeepAlpha32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              kColorKeepAlpha);
}

void CopyColorKeepAlphaKeyed32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                               int height, uint32_t key) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height,
                                      loops::Keyed(key, kColorKeepAlpha));
}

void StretchCopyColorKeepAlphaKeyed32(void* dst, const void* src, int dstSkip, int srcPitch,
                                      int width, int height, const StretchStep& step, uint32_t key) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              loops::Keyed(key, kColorKeepAlpha));
}

void CopyAlphaKeepColor32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height) {
  loops::Straight<uint32_t, uint32_t>(dst, src, dstSkip, srcSkip, width, height, kAlphaKeepColor);
}

void StretchCopyAlphaKeepColor32(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                 int height, const StretchStep& step) {
  loops::Stretched<uint32_t, uint32_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                              kAlphaKeepColor);
}

void SetAlphaRows32(void* bits, int pitch, int width, int height, uint8_t alpha) {
  uint8_t* row = static_cast<uint8_t*>(bits);
  const uint32_t high = uint32_t(alpha) << 24;
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(row);
    for (int x = 0; x < width; ++x) d[x] = (d[x] & 0x00FFFFFFu) | high;
    row += pitch;
  }
}

// Rows are walked through the pitch: images whose rows carry padding (pitch
// above width * 4) must not have their padding or the next rows' pixels
// shifted into the walk. Only 32-bit images qualify; rows shorter than
// width * 4 bytes belong to a narrower image, whose pixels the walk would
// overrun, so such an image is left alone.
void SetImageAlpha(Image& image, uint8_t alpha) {
  uint8_t* bits = image.GetBits();
  if (bits == nullptr || image.GetWidth() <= 0 || image.GetHeight() <= 0) return;
  if (int64_t(image.GetPitch()) < int64_t(image.GetWidth()) * 4) return;
  SetAlphaRows32(bits, image.GetPitch(), image.GetWidth(), image.GetHeight(), alpha);
}

}  // namespace orrivel
