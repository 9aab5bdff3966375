// The blending blits of Surface: constant opacity, per-channel factors,
// blend modes and levels, and the filtered scaled copy.
#include <climits>
#include <cstdlib>
#include <utility>

#include "raster/BlitRows.h"
#include "raster/KernelFlags.h"
#include "raster/Kernels32.h"
#include "raster/MaskKernels.h"
#include "raster/PixelFormatConversion.h"
#include "raster/Surface.h"

namespace orrivel {

template <typename Draw>
int Surface::Blend32(Surface* source, const Size* size, int32_t x, int32_t y,
                     const Rect* sourceRect, Draw draw) {
  if (const int code = Check32(source); code != 0) return code;
  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, false, false, &r) != 0) return 0;
  draw(r, source->GetColorKey());
  MarkDirty(blitDest_);
  return 0;
}

// --- constant opacity -----------------------------------------------------------------------

int Surface::BlendOpacity(Surface* source, uint8_t opacity, int32_t x, int32_t y,
                          const Rect* sourceRect) {
  return StretchBlendOpacity(source, opacity, nullptr, x, y, sourceRect);
}

int Surface::StretchBlendOpacity(Surface* source, uint8_t opacity, const Size* size, int32_t x,
                                 int32_t y, const Rect* sourceRect) {
  if (const int code = Check32(source); code != 0) return code;
  // Without a colour key this would go to the pixel-operation library's
  // drawing (operation 0) once it carries one; that check comes before the
  // opacity test.
  if (opacity == 0) return 0;
  const uint32_t srcFactors = opacity * 0x010101u;
  const uint32_t dstFactors = (255u - opacity) * 0x010101u;
  return Blend32(source, size, x, y, sourceRect, [&](const BlitRows& r, uint32_t key) {
    const bool keyed = key != kNoColorKey;
    if (MmxFlag()) {
      if (keyed)
        r.Run(ORRIVEL_BIND_ROWS(BlendOpacity32PackedKeyed, opacity, key), kNoRows,
              ORRIVEL_BIND_STRETCH(StretchBlendOpacity32PackedKeyed, opacity, key), kNoStretch);
      else
        r.Run(ORRIVEL_BIND_ROWS(BlendOpacity32Packed, opacity), kNoRows,
              ORRIVEL_BIND_STRETCH(StretchBlendOpacity32Packed, opacity), kNoStretch);
    } else if (keyed) {
      r.Run(ORRIVEL_BIND_ROWS(BlendFactors32Keyed, dstFactors, srcFactors, key), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchBlendFactors32Keyed, dstFactors, srcFactors, key),
            kNoStretch);
    } else {
      r.Run(ORRIVEL_BIND_ROWS(BlendFactors32, dstFactors, srcFactors), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchBlendFactors32, dstFactors, srcFactors), kNoStretch);
    }
  });
}

// --- factors -------------------------------------------------------------------------------

int Surface::BlendModulated(Surface* source, uint32_t destFactors, uint32_t sourceFactors,
                            int32_t x, int32_t y, const Rect* sourceRect) {
  return StretchBlendModulated(source, destFactors, sourceFactors, nullptr, x, y, sourceRect);
}

int Surface::StretchBlendModulated(Surface* source, uint32_t destFactors, uint32_t sourceFactors,
                                   const Size* size, int32_t x, int32_t y,
                                   const Rect* sourceRect) {
  if (const int code = Check32(source); code != 0) return code;
  if (sourceFactors == 0) return 0;
  const uint32_t df = destFactors, sf = sourceFactors;
  return Blend32(source, size, x, y, sourceRect, [&](const BlitRows& r, uint32_t key) {
    const bool keyed = key != kNoColorKey;
    if (MmxFlag()) {
      if (keyed)
        r.Run(ORRIVEL_BIND_ROWS(BlendFactors32PackedKeyed, df, sf, key), kNoRows,
              ORRIVEL_BIND_STRETCH(StretchBlendFactors32PackedKeyed, df, sf, key), kNoStretch);
      else
        r.Run(ORRIVEL_BIND_ROWS(BlendFactors32Packed, df, sf), kNoRows,
              ORRIVEL_BIND_STRETCH(StretchBlendFactors32Packed, df, sf), kNoStretch);
    } else if (keyed) {
      r.Run(ORRIVEL_BIND_ROWS(BlendFactors32Keyed, df, sf, key), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchBlendFactors32Keyed, df, sf, key), kNoStretch);
    } else {
      r.Run(ORRIVEL_BIND_ROWS(BlendFactors32, df, sf), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchBlendFactors32, df, sf), kNoStretch);
    }
  });
}

// --- modes -------------------------------------------------------------------------------------

int Surface::BlendByMode(uint8_t mode, Surface* source, int32_t x, int32_t y,
                         const Rect* sourceRect) {
  return StretchBlendByMode(mode, source, nullptr, x, y, sourceRect);
}

int Surface::StretchBlendByMode(uint8_t mode, Surface* source, const Size* size, int32_t x,
                                int32_t y, const Rect* sourceRect) {
#define ORRIVEL_RUN_MODE(Name)                                                               \
  do {                                                                                       \
    if (packed) {                                                                            \
      if (keyed)                                                                             \
        r.Run(ORRIVEL_BIND_ROWS(Name##PackedKeyed, key), kNoRows,                            \
              ORRIVEL_BIND_STRETCH(Stretch##Name##PackedKeyed, key), kNoStretch);            \
      else                                                                                   \
        r.Run(Name##Packed, kNoRows, Stretch##Name##Packed, kNoStretch);                     \
    } else if (keyed) {                                                                      \
      r.Run(ORRIVEL_BIND_ROWS(Name##Keyed, key), kNoRows,                                    \
            ORRIVEL_BIND_STRETCH(Stretch##Name##Keyed, key), kNoStretch);                    \
    } else {                                                                                 \
      r.Run(Name, kNoRows, Stretch##Name, kNoStretch);                                       \
    }                                                                                        \
  } while (0)
  return Blend32(source, size, x, y, sourceRect, [&](const BlitRows& r, uint32_t key) {
    const bool keyed = key != kNoColorKey;
    const bool packed = MmxFlag();
    switch (mode) {
      case 0:
        ORRIVEL_RUN_MODE(Average32);
        break;
      case 1:
        ORRIVEL_RUN_MODE(AddSaturate32);
        break;
      case 2:
        ORRIVEL_RUN_MODE(SubSaturate32);
        break;
      default:
        // Draws nothing; the rectangle is still marked.
        break;
    }
  });
#undef ORRIVEL_RUN_MODE
}

// --- level ----------------------------------------------------------------------------------------

int Surface::BlendAlphaLevel(Surface* source, uint8_t level, int32_t x, int32_t y,
                             const Rect* sourceRect) {
  if (const int code = Check32(source); code != 0) return code;
  if (level == 0) return 0;
  if (level == 255) return Copy(source, x, y, sourceRect, false);
  return Blend32(source, nullptr, x, y, sourceRect, [&](const BlitRows& r, uint32_t) {
    r.Run(ORRIVEL_BIND_ROWS(BlendLevel32, level), kNoRows, kNoStretch, kNoStretch);
  });
}

// --- scaled copy ------------------------------------------------------------------------------------

int Surface::ScaleCopy(Surface* source, const Size* size, int32_t x, int32_t y,
                       const Rect* sourceRect) {
  if (GetBits() == nullptr || source == nullptr || source->GetBits() == nullptr) return 1;
  Rect sr{0, 0, source->GetWidth(), source->GetHeight()};
  if (sourceRect != nullptr) {
    sr = *sourceRect;
    if (sr.left > sr.right) std::swap(sr.left, sr.right);
    if (sr.top > sr.bottom) std::swap(sr.top, sr.bottom);
  }
  const Size ds = size != nullptr ? *size : Size{width_, height_};
  // Far-off rectangles, whose edges would not fit 32 bits, show nothing.
  auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (!fits(int64_t(sr.right) - sr.left) || !fits(int64_t(sr.bottom) - sr.top) ||
      !fits(int64_t(x) + ds.width) || !fits(int64_t(y) + ds.height)) {
    return 0;
  }
  const int32_t sw = sr.Width(), sh = sr.Height();

  // The unfiltered paths draw without the source's colour key.
  auto withoutKey = [&](auto draw) {
    const uint32_t key = source->colorKey_;
    source->colorKey_ = kNoColorKey;
    const int code = draw();
    source->colorKey_ = key;
    return code;
  };
  if (ds.width == sw && ds.height == sh) {
    return withoutKey([&] { return Copy(source, x, y, &sr, false); });
  }
  if (!(sw > 1 && sh > 1 && ds.width > sw / 2 && ds.height > sh / 2)) {
    return withoutKey([&] { return StretchCopy(source, &ds, x, y, &sr, false); });
  }

  // Filtered: right and bottom become inclusive, so the pixel right of and
  // below every sample stays inside the source.
  const bool to32 = GetBitsPerPixel() == 32;
  const uint8_t srcBits = source->GetBitsPerPixel();
  if (to32 ? (srcBits != 32 && srcBits != 8) : (GetBitsPerPixel() != 8 || srcBits != 8)) return 2;
  if (to32 && srcBits == 8 && !EnsureSourcePalette(source)) return 2;
  Rect a{sr.left, sr.top, sr.right - 1, sr.bottom - 1};
  Rect b{x, y, x + ds.width, y + ds.height};
  Rect sourceClip;
  source->GetClipRect(&sourceClip);
  sourceClip.right -= 1;
  sourceClip.bottom -= 1;
  ScaleStep step;
  if (!SetupStretch(&b, &a, sourceClip, clipRect_, &step)) return 0;
  // The samples must stay inside the source whatever the rectangles were.
  const uint64_t lastX = uint64_t(a.left) + ((uint64_t(b.Width() - 1) * step.xIncrement +
                                              step.xFraction) >> 32);
  const uint64_t lastY = uint64_t(a.top) + ((uint64_t(b.Height() - 1) * step.yIncrement +
                                             step.yFraction) >> 32);
  if (a.left < 0 || a.top < 0 || lastX + 1 >= uint64_t(source->GetWidth()) ||
      lastY + 1 >= uint64_t(source->GetHeight())) {
    return 0;
  }
  const int dstBytes = GetBitsPerPixel() / 8, srcBytes = srcBits / 8;
  uint8_t* dst = GetBits() + ptrdiff_t(b.top) * pitch_ + ptrdiff_t(b.left) * dstBytes;
  const uint8_t* src = source->GetBits() + ptrdiff_t(a.top) * source->GetPitch() +
                       ptrdiff_t(a.left) * srcBytes;
  const int dstSkip = pitch_ - b.Width() * dstBytes;
  const bool packed = MmxFlag();
  if (to32 && srcBits == 32) {
    (packed ? ScaleBilinear32Mmx : ScaleBilinear32)(dst, src, dstSkip, source->GetPitch(),
                                                    b.Width(), b.Height(), step);
  } else if (to32) {
    (packed ? ScaleBilinearIndexedMmx : ScaleBilinearIndexed)(dst, src, dstSkip,
                                                              source->GetPitch(),
                                                              source->GetPalette(), b.Width(),
                                                              b.Height(), step);
  } else {
    ScaleBilinear8(dst, src, dstSkip, source->GetPitch(), b.Width(), b.Height(), step);
  }
  MarkDirty(b);
  return 0;
}

}  // namespace orrivel
