// The copy blits of Surface: plain, stretched and mirrored copies (with the
// 8-to-32-bit palette expansion), alpha blending, alpha-plane transfers and
// the copies that keep the destination's alpha or colour.
#include <cstring>

#include "raster/BlitRows.h"
#include "raster/CompositeKernels32.h"
#include "raster/KernelFlags.h"
#include "raster/Kernels32.h"
#include "raster/PixelFormatConversion.h"
#include "raster/Surface.h"

namespace orrivel {

namespace {

bool Is32(Surface* s) { return s->GetBitsPerPixel() == 32; }
bool Is8(Surface* s) { return s->GetBitsPerPixel() == 8; }

}  // namespace

int Surface::PlanBlit(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                      const Size* size, bool mirror, bool flip, BlitRows* rows) {
  const int code = mirror ? ClipBlitMirrored(source, x, y, sourceRect, size, &rows->step, nullptr, flip)
                          : ClipBlit(source, x, y, sourceRect, size, &rows->step, nullptr, flip);
  if (code != 0) return code;
  const int dstBytes = GetBitsPerPixel() / 8;
  const int srcBytes = source->GetBitsPerPixel() / 8;
  rows->width = blitDest_.Width();
  rows->height = blitDest_.Height();
  rows->dst = GetBits() + ptrdiff_t(blitDest_.top) * pitch_ + ptrdiff_t(blitDest_.left) * dstBytes;
  rows->dstSkip = pitch_ - rows->width * dstBytes;
  const int pitch = source->GetPitch();
  const int row = flip ? blitSource_.bottom - 1 : blitSource_.top;
  const int column = mirror ? blitSource_.right : blitSource_.left;
  rows->src = source->GetBits() + ptrdiff_t(row) * pitch + ptrdiff_t(column) * srcBytes;
  rows->srcPitch = flip ? -pitch : pitch;
  rows->srcSkip = mirror ? rows->srcPitch + rows->width * srcBytes
                         : rows->srcPitch - rows->width * srcBytes;
  rows->stretched = size != nullptr;
  rows->mirrored = mirror;
  return 0;
}

bool Surface::EnsureSourcePalette(Surface* source) {
  return source->GetPalette() != nullptr || source->DibImage::SetPalette(nullptr, 0, 0, 0) == 0;
}

int Surface::Check32(Surface* source) {
  if (GetBits() == nullptr || source == nullptr || source->GetBits() == nullptr) return 1;
  return Is32(this) && Is32(source) ? 0 : 2;
}

// --- copies ----------------------------------------------------------------------------

int Surface::CopyFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                        const Rect* sourceRect, bool mirror, bool flip) {
  if (GetBits() == nullptr || source == nullptr || source->GetBits() == nullptr) return 1;
  const bool to32 = Is32(this);
  if (!(to32 && (Is32(source) || Is8(source))) && !(Is8(this) && Is8(source))) return 2;
  const uint32_t key = source->GetColorKey();
  const bool keyed = key != kNoColorKey;

  // 8 to 32 bits: a plain copy between two device-context images is the
  // platform's block transfer, which leaves the alpha byte 0; every other
  // path takes the palette's four bytes as they are.
  uint32_t colours[256];
  const uint32_t* palette = nullptr;
  if (to32 && Is8(source)) {
    if (!EnsureSourcePalette(source)) return 2;
    palette = source->GetPalette();
    if (IsSection() && source->IsSection() && !flip && !mirror && size == nullptr && !keyed) {
      for (int i = 0; i < 256; ++i) colours[i] = palette[i] & 0x00FFFFFFu;
      palette = colours;
    }
  }
  // Stretched 32-bit copies without key or flip would go to the
  // pixel-operation library's stretched drawing once it carries one.

  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, mirror, flip, &r) != 0) return 0;
  const bool packed = MmxFlag();
  if (to32 && Is32(source)) {
    if (keyed) {
      r.Run(ORRIVEL_BIND_ROWS(CopyPixels32Keyed, key), ORRIVEL_BIND_ROWS(MirrorCopyPixels32Keyed, key),
            ORRIVEL_BIND_STRETCH(StretchCopyPixels32Keyed, key),
            ORRIVEL_BIND_STRETCH(StretchMirrorCopyPixels32Keyed, key));
    } else if (packed) {
      r.Run(CopyPixels32Packed, MirrorCopyPixels32Packed, StretchCopyPixels32Packed,
            StretchMirrorCopyPixels32Packed);
    } else {
      r.Run(CopyPixels32, MirrorCopyPixels32, StretchCopyPixels32, StretchMirrorCopyPixels32);
    }
  } else if (to32) {
    if (keyed) {
      r.Run(ORRIVEL_BIND_ROWS(ExpandPalette8To32Keyed, palette, key),
            ORRIVEL_BIND_ROWS(MirrorExpandPalette8To32Keyed, palette, key),
            ORRIVEL_BIND_STRETCH(StretchExpandPalette8To32Keyed, palette, key),
            ORRIVEL_BIND_STRETCH(StretchMirrorExpandPalette8To32Keyed, palette, key));
    } else {
      r.Run(ORRIVEL_BIND_ROWS(ExpandPalette8To32, palette),
            ORRIVEL_BIND_ROWS(MirrorExpandPalette8To32, palette),
            ORRIVEL_BIND_STRETCH(StretchExpandPalette8To32, palette),
            ORRIVEL_BIND_STRETCH(StretchMirrorExpandPalette8To32, palette));
    }
  } else {
    const uint8_t key8 = uint8_t(key);
    // The 8-bit row copy walks leftwards from the rightmost byte itself.
    auto straight = [&](void* d, const void* s, int ds, int ss, int w, int h) {
      if (keyed)
        CopyRows8Keyed(d, s, ds, ss, 1, w, h, key8);
      else
        CopyRows8(d, s, ds, ss, 1, w, h);
    };
    auto mirrored = [&](void* d, const void* s, int ds, int ss, int w, int h) {
      const uint8_t* last = static_cast<const uint8_t*>(s) - 1;
      if (keyed)
        CopyRows8Keyed(d, last, ds, ss, -1, w, h, key8);
      else
        CopyRows8(d, last, ds, ss, -1, w, h);
    };
    if (keyed) {
      r.Run(straight, mirrored, ORRIVEL_BIND_STRETCH(StretchCopyRows8Keyed, key8),
            ORRIVEL_BIND_STRETCH(StretchCopyRows8MirroredKeyed, key8));
    } else {
      r.Run(straight, mirrored, StretchCopyRows8, StretchCopyRows8Mirrored);
    }
  }
  MarkDirty(blitDest_);
  return 0;
}

int Surface::Copy(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, bool flip) {
  return CopyFamily(source, nullptr, x, y, sourceRect, false, flip);
}

int Surface::StretchCopy(Surface* source, const Size* size, int32_t x, int32_t y,
                         const Rect* sourceRect, bool flip) {
  const Size whole{width_, height_};
  return CopyFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, false, flip);
}

int Surface::CopyMirrored(int mode, Surface* source, int32_t x, int32_t y,
                          const Rect* sourceRect) {
  if (mode == 1) return Copy(source, x, y, sourceRect, true);
  return CopyFamily(source, nullptr, x, y, sourceRect, true, mode == 2);
}

int Surface::StretchCopyMirrored(int mode, Surface* source, const Size* size, int32_t x,
                                 int32_t y, const Rect* sourceRect) {
  if (mode == 1) return StretchCopy(source, size, x, y, sourceRect, true);
  const Size whole{width_, height_};
  return CopyFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, true, mode == 2);
}

// --- alpha blend -------------------------------------------------------------------------

int Surface::AlphaBlendFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                              const Rect* sourceRect, bool mirror, bool flip) {
  if (const int code = Check32(source); code != 0) return code;
  // Unflipped, unmirrored blends would go to the pixel-operation library's
  // drawing (operation 2, opacity 255) once it carries one.
  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, mirror, flip, &r) != 0) return 0;
  if (MmxFlag()) {
    r.Run(BlendByAlpha32Mmx, BlendByAlpha32MirroredMmx, StretchBlendByAlpha32Mmx,
          StretchBlendByAlpha32MirroredMmx);
  } else {
    r.Run(BlendByAlpha32, BlendByAlpha32Mirrored, StretchBlendByAlpha32,
          StretchBlendByAlpha32Mirrored);
  }
  MarkDirty(blitDest_);
  return 0;
}

int Surface::AlphaBlend(Surface* source, int32_t x, int32_t y, const Rect* sourceRect, bool flip) {
  return AlphaBlendFamily(source, nullptr, x, y, sourceRect, false, flip);
}

int Surface::StretchAlphaBlend(Surface* source, const Size* size, int32_t x, int32_t y,
                               const Rect* sourceRect, bool flip) {
  const Size whole{width_, height_};
  return AlphaBlendFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, false, flip);
}

int Surface::AlphaBlendMirrored(int mode, Surface* source, int32_t x, int32_t y,
                                const Rect* sourceRect) {
  return AlphaBlendFamily(source, nullptr, x, y, sourceRect, mode != 1, mode != 0);
}

int Surface::StretchAlphaBlendMirrored(int mode, Surface* source, const Size* size, int32_t x,
                                       int32_t y, const Rect* sourceRect) {
  const Size whole{width_, height_};
  return AlphaBlendFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, mode != 1,
                          mode != 0);
}

// --- alpha plane ---------------------------------------------------------------------------

int Surface::AlphaPlaneFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                              const Rect* sourceRect, bool mirror, bool flip) {
  if (GetBits() == nullptr || source == nullptr || source->GetBits() == nullptr) return 1;
  const bool intoAlpha = Is32(this) && Is8(source);
  if (!intoAlpha && !(Is8(this) && Is32(source))) return 2;
  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, mirror, flip, &r) != 0) return 0;
  if (intoAlpha) {
    r.Run(CopyPlaneToAlpha, CopyPlaneToAlphaMirrored, StretchCopyPlaneToAlpha,
          StretchCopyPlaneToAlphaMirrored);
  } else {
    r.Run(CopyAlphaToPlane, CopyAlphaToPlaneMirrored, StretchCopyAlphaToPlane,
          StretchCopyAlphaToPlaneMirrored);
  }
  MarkDirty(blitDest_);
  return 0;
}

int Surface::CopyAlphaPlane(Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                            bool flip) {
  return AlphaPlaneFamily(source, nullptr, x, y, sourceRect, false, flip);
}

int Surface::StretchCopyAlphaPlane(Surface* source, const Size* size, int32_t x, int32_t y,
                                   const Rect* sourceRect, bool flip) {
  const Size whole{width_, height_};
  return AlphaPlaneFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, false, flip);
}

int Surface::CopyAlphaPlaneMirrored(int mode, Surface* source, int32_t x, int32_t y,
                                    const Rect* sourceRect) {
  return AlphaPlaneFamily(source, nullptr, x, y, sourceRect, mode != 1, mode != 0);
}

int Surface::StretchCopyAlphaPlaneMirrored(int mode, Surface* source, const Size* size, int32_t x,
                                           int32_t y, const Rect* sourceRect) {
  const Size whole{width_, height_};
  return AlphaPlaneFamily(source, size != nullptr ? size : &whole, x, y, sourceRect, mode != 1,
                          mode != 0);
}

// --- colour only, alpha only -------------------------------------------------------------------

int Surface::CopyColorKeepAlpha(Surface* source, int32_t x, int32_t y, const Rect* sourceRect) {
  return ColorOnlyFamily(source, nullptr, x, y, sourceRect);
}

int Surface::StretchCopyColorKeepAlpha(Surface* source, const Size* size, int32_t x, int32_t y,
                                       const Rect* sourceRect) {
  const Size whole{width_, height_};
  return ColorOnlyFamily(source, size != nullptr ? size : &whole, x, y, sourceRect);
}

int Surface::ColorOnlyFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                             const Rect* sourceRect) {
  if (const int code = Check32(source); code != 0) return code;
  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, false, false, &r) != 0) return 0;
  const uint32_t key = source->GetColorKey();
  const bool packed = MmxFlag();
  if (key != kNoColorKey) {
    if (packed)
      r.Run(ORRIVEL_BIND_ROWS(CopyColorKeepAlphaKeyed32Mmx, key), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchCopyColorKeepAlphaKeyed32Mmx, key), kNoStretch);
    else
      r.Run(ORRIVEL_BIND_ROWS(CopyColorKeepAlphaKeyed32, key), kNoRows,
            ORRIVEL_BIND_STRETCH(StretchCopyColorKeepAlphaKeyed32, key), kNoStretch);
  } else if (packed) {
    r.Run(CopyColorKeepAlpha32Mmx, kNoRows, StretchCopyColorKeepAlpha32Mmx, kNoStretch);
  } else {
    r.Run(CopyColorKeepAlpha32, kNoRows, StretchCopyColorKeepAlpha32, kNoStretch);
  }
  MarkDirty(blitDest_);
  return 0;
}

int Surface::CopyAlphaKeepColor(Surface* source, int32_t x, int32_t y, const Rect* sourceRect) {
  return AlphaOnlyFamily(source, nullptr, x, y, sourceRect);
}

int Surface::StretchCopyAlphaKeepColor(Surface* source, const Size* size, int32_t x, int32_t y,
                                       const Rect* sourceRect) {
  const Size whole{width_, height_};
  return AlphaOnlyFamily(source, size != nullptr ? size : &whole, x, y, sourceRect);
}

int Surface::AlphaOnlyFamily(Surface* source, const Size* size, int32_t x, int32_t y,
                             const Rect* sourceRect) {
  if (const int code = Check32(source); code != 0) return code;
  BlitRows r;
  if (PlanBlit(source, x, y, sourceRect, size, false, false, &r) != 0) return 0;
  if (MmxFlag())
    r.Run(CopyAlphaKeepColor32Mmx, kNoRows, StretchCopyAlphaKeepColor32Mmx, kNoStretch);
  else
    r.Run(CopyAlphaKeepColor32, kNoRows, StretchCopyAlphaKeepColor32, kNoStretch);
  MarkDirty(blitDest_);
  return 0;
}

}  // namespace orrivel
