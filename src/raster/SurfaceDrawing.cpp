#include "raster/SurfaceDrawing.h"

#include <algorithm>
#include <cstring>

#include "raster/BlendTables.h"
#include "raster/KernelFlags.h"
#include "raster/MaskKernels.h"
#include "raster/PixelFilters.h"
#include "raster/PixelFilters8.h"
#include "raster/RampBuffer.h"
#include "raster/Surface.h"

namespace orrivel {

namespace {

constexpr int kDone = 0;
constexpr int kNoPixels = 1;
constexpr int kWrongDepth = 2;
constexpr int kOutOfRange = 3;
constexpr int kMaskUnusable = 4;

bool HasPixels(Surface* s) { return s != nullptr && s->GetBits() != nullptr; }
bool Is32(Surface* s) { return s->GetBitsPerPixel() == 32; }
bool Is8(Surface* s) { return s->GetBitsPerPixel() == 8; }

// The one-image rectangle rule; false when nothing is left.
bool AreaOf(Surface* s, const Rect* rect, Rect* out) {
  if (rect == nullptr) {
    *out = *s->GetClipRectPtr();
    return !out->IsEmpty();
  }
  *out = *rect;
  return s->ClipToClipRect(out);
}

// The rows of one rectangle of a surface.
struct Area {
  uint8_t* first;
  int skip;
  int pitch;
  int width;
  int height;
};

Area RowsOf(Surface* s, const Rect& r) {
  const int bytes = s->GetBitsPerPixel() / 8;
  const int pitch = s->GetPitch();
  return {s->GetBits() + ptrdiff_t(r.top) * pitch + ptrdiff_t(r.left) * bytes,
          pitch - r.Width() * bytes, pitch, r.Width(), r.Height()};
}

uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue) {
  return uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

bool Keyed(Surface* s) { return s->GetColorKey() != kNoColorKey; }

// 8-bit palette work: colour channels of every entry through op, pushed back.
template <typename Op>
void RecolourPalette(Surface* s, Op op) {
  uint32_t table[256];
  std::memcpy(table, s->GetPalette(), sizeof table);
  for (uint32_t& entry : table) {
    uint32_t out = entry & 0xFF000000u;
    for (int channel = 0; channel < 3; ++channel) {
      const int shift = 16 - 8 * channel;  // red, green, blue
      out |= uint32_t(op(channel, int((entry >> shift) & 0xFF)) & 0xFF) << shift;
    }
    entry = out;
  }
  s->SetPalette(table, 256, 256, 0);
}

// After a palette change the whole surface looks different, and a later
// brightness change must start from the new colours, not the kept ones.
void FinishPalette(Surface* s) {
  s->ReleaseSavedPalette();
  s->ClearColorKey();
  s->MarkAllDirty();
}

uint8_t Clamp255(int v) { return uint8_t(std::clamp(v, 0, 255)); }

// --- another image ---------------------------------------------------------------

struct Plan {
  uint8_t* dst = nullptr;
  const uint8_t* src = nullptr;
  int dstSkip = 0;
  int srcSkip = 0;
  int srcPitch = 0;
  int width = 0;
  int height = 0;
  StretchStep step;
};

// Clips the draw through the surface's blit set-up; false when nothing is visible.
bool PlanDraw(Surface* s, Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
              const Size* size, Plan* p) {
  if (s->ClipBlit(source, x, y, sourceRect, size, size != nullptr ? &p->step : nullptr, nullptr) !=
      0)
    return false;
  const Rect& d = s->BlitDest();
  const Rect& r = s->BlitSource();
  p->width = d.Width();
  p->height = d.Height();
  p->dst = s->GetBits() + ptrdiff_t(d.top) * s->GetPitch() + ptrdiff_t(d.left) * 4;
  p->dstSkip = s->GetPitch() - p->width * 4;
  const int bytes = source->GetBitsPerPixel() / 8;
  p->srcPitch = source->GetPitch();
  p->src = source->GetBits() + ptrdiff_t(r.top) * p->srcPitch + ptrdiff_t(r.left) * bytes;
  p->srcSkip = p->srcPitch - p->width * bytes;
  return true;
}

// Steps 1 and 2 of every two-image draw.
int CheckPair(Surface* s, Surface* source) {
  if (!HasPixels(s) || !HasPixels(source)) return kNoPixels;
  if (!Is32(s) || !Is32(source)) return kWrongDepth;
  return kDone;
}

uint32_t Grey(uint8_t level) { return uint32_t(level) * 0x010101u; }

// The whole source at a level, as the rule and blur draws do at their ends.
int DrawUniform(Surface* s, Surface* source, uint8_t level, int32_t x, int32_t y,
                const Rect* sourceRect) {
  return s->BlendModulated(source, Grey(uint8_t(255 - level)), Grey(level), x, y, sourceRect);
}

// Runs kernel(plan) for an unscaled draw, marks the destination.
template <typename Kernel>
int DrawPlain(Surface* s, Surface* source, uint8_t level, int32_t x, int32_t y,
              const Rect* sourceRect, Kernel kernel) {
  if (const int code = CheckPair(s, source); code != kDone) return code;
  if (level == 0) return kDone;
  Plan p;
  if (!PlanDraw(s, source, x, y, sourceRect, nullptr, &p)) return kDone;
  kernel(p);
  s->MarkDirty(s->BlitDest());
  return kDone;
}

template <typename Kernel>
int DrawStretched(Surface* s, Surface* source, uint8_t level, const Size* size, int32_t x,
                  int32_t y, const Rect* sourceRect, Kernel kernel) {
  if (const int code = CheckPair(s, source); code != kDone) return code;
  if (level == 0) return kDone;
  Plan p;
  if (!PlanDraw(s, source, x, y, sourceRect, size, &p)) return kDone;
  kernel(p);
  s->MarkDirty(s->BlitDest());
  return kDone;
}

using ByAlphaFn = void (*)(void*, const void*, int, int, int, int, const uint8_t*);
using ByAlphaStretchedFn = void (*)(void*, const void*, int, int, int, int, const StretchStep&,
                                    const uint8_t*);

ByAlphaFn ByAlphaKernel(uint8_t mode) {
  const bool mmx = MmxFlag();
  switch (mode) {
    case 0: return mmx ? &BlendImageByAlpha32Mmx : &BlendImageByAlpha32;
    case 1: return mmx ? &AddImageByAlpha32Mmx : &AddImageByAlpha32;
    case 2: return mmx ? &SubImageByAlpha32Mmx : &SubImageByAlpha32;
    default: return nullptr;
  }
}

ByAlphaStretchedFn ByAlphaStretchedKernel(uint8_t mode) {
  const bool mmx = MmxFlag();
  switch (mode) {
    case 0: return mmx ? &BlendImageByAlphaStretched32Mmx : &BlendImageByAlphaStretched32;
    case 1: return mmx ? &AddImageByAlphaStretched32Mmx : &AddImageByAlphaStretched32;
    case 2: return mmx ? &SubImageByAlphaStretched32Mmx : &SubImageByAlphaStretched32;
    default: return nullptr;
  }
}

// Position, width and level checks of the rule draws: -1 go on, else the result.
int CheckRule(uint8_t level, int32_t position, int32_t width) {
  if (position == 0 || position == 512 || level == 0) return kDone;
  if (position < 0 || position > 512 || width <= 0 || width >= 512) return kOutOfRange;
  return -1;
}

// The mask lies in the source's coordinates and must cover the drawn area.
const uint8_t* MaskRows(Surface* mask, const Rect& sourceArea, int* skip) {
  if (mask->GetBits() == nullptr || !Is8(mask) || mask->GetWidth() < sourceArea.right ||
      mask->GetHeight() < sourceArea.bottom)
    return nullptr;
  *skip = mask->GetPitch() - sourceArea.Width();
  return mask->GetBits() + ptrdiff_t(sourceArea.top) * mask->GetPitch() + sourceArea.left;
}

}  // namespace

// --- one image ---------------------------------------------------------------------------

int FillAlpha(Surface* s, uint8_t red, uint8_t green, uint8_t blue, uint8_t level,
              const Rect* rect) {
  if (level == 0) return kDone;
  if (!HasPixels(s)) return kNoPixels;
  if (!Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  if (Keyed(s))
    BlendToColorKeyed32(a.first, a.pitch, a.width, a.height, level, red, green, blue,
                        s->GetColorKey());
  else
    BlendToColor32(a.first, a.pitch, a.width, a.height, level, red, green, blue);
  s->MarkDirty(r);
  return kDone;
}

namespace {

using ColorFn = void (*)(void*, int, int, int, uint32_t);
using ColorKeyedFn = void (*)(void*, int, int, int, uint32_t, uint32_t);

int ColorOp(Surface* s, uint32_t color, const Rect* rect, ColorFn plain, ColorFn packed,
            ColorKeyedFn keyed, ColorKeyedFn keyedPacked) {
  if (color == 0) return kDone;
  if (!HasPixels(s)) return kNoPixels;
  if (!Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  const bool mmx = MmxFlag();
  if (Keyed(s))
    (mmx ? keyedPacked : keyed)(a.first, a.skip, a.width, a.height, color, s->GetColorKey());
  else
    (mmx ? packed : plain)(a.first, a.skip, a.width, a.height, color);
  s->MarkDirty(r);
  return kDone;
}

}  // namespace

int AddColor(Surface* s, uint8_t red, uint8_t green, uint8_t blue, const Rect* rect) {
  return ColorOp(s, Rgb(red, green, blue), rect, &AddColorSat32, &AddColorSat32Mmx,
                 &AddColorSatKeyed32, &AddColorSatKeyed32Mmx);
}

int SubColor(Surface* s, uint8_t red, uint8_t green, uint8_t blue, const Rect* rect) {
  return ColorOp(s, Rgb(red, green, blue), rect, &SubColorSat32, &SubColorSat32Mmx,
                 &SubColorSatKeyed32, &SubColorSatKeyed32Mmx);
}

int GrayScale(Surface* s, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  if (Is8(s)) {
    if (rect != nullptr) return kOutOfRange;
    if (s->GetPalette() == nullptr) return kDone;
    uint8_t grey[256];
    const uint32_t* palette = s->GetPalette();
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = palette[i];
      grey[i] = uint8_t((77 * ((c >> 16) & 0xFF) + 150 * ((c >> 8) & 0xFF) + 29 * (c & 0xFF)) >> 8);
    }
    s->SetPalette(nullptr, 0, 256, 0);  // the grey ramp
    for (int y = 0; y < s->GetHeight(); ++y) {
      uint8_t* row = s->GetScanLine(y);
      for (int x = 0; x < s->GetWidth(); ++x) row[x] = grey[row[x]];
    }
    FinishPalette(s);
    return kDone;
  }
  if (!Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  if (Keyed(s))
    GrayscaleKeyed32(a.first, a.skip, a.width, a.height, s->GetColorKey());
  else if (MmxFlag())
    Grayscale32Mmx(a.first, a.skip, a.width, a.height);
  else
    Grayscale32(a.first, a.skip, a.width, a.height);
  s->MarkDirty(r);
  return kDone;
}

int Tone(Surface* s, int32_t redScale, int32_t greenScale, int32_t blueScale, int32_t redOffset,
         int32_t greenOffset, int32_t blueOffset, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  const int32_t scales[3] = {redScale, greenScale, blueScale};
  const int32_t offsets[3] = {redOffset, greenOffset, blueOffset};
  for (int c = 0; c < 3; ++c)
    if (scales[c] < 0 || scales[c] > 256 || offsets[c] < -255 || offsets[c] > 255)
      return kOutOfRange;
  if (Is8(s)) {
    if (rect != nullptr) return kWrongDepth;
    if (s->GetPalette() == nullptr) return kNoPixels;
    RecolourPalette(s, [&](int c, int v) { return Clamp255(((v * scales[c]) >> 7) + offsets[c]); });
    FinishPalette(s);
    return kDone;
  }
  if (!Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  if (Keyed(s))
    ColorBalanceKeyed32(a.first, a.skip, a.width, a.height, redScale, greenScale, blueScale,
                        redOffset, greenOffset, blueOffset, s->GetColorKey());
  else
    (MmxFlag() ? &ColorBalance32Mmx : &ColorBalance32)(a.first, a.skip, a.width, a.height,
                                                        redScale, greenScale, blueScale,
                                                        redOffset, greenOffset, blueOffset);
  s->MarkDirty(r);
  return kDone;
}

int Negate(Surface* s, uint8_t mode, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  if (Is8(s)) {
    if (mode != 0) {
      Rect r;
      if (!AreaOf(s, rect, &r)) return kDone;
      const Area a = RowsOf(s, r);
      for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) a.first[ptrdiff_t(y) * a.pitch + x] ^= 0xFF;
      s->ClearColorKey();
      s->MarkDirty(r);
      return kDone;
    }
    if (rect != nullptr) return kWrongDepth;
    if (s->GetPalette() == nullptr) return kNoPixels;
    RecolourPalette(s, [](int, int v) { return 255 - v; });
    FinishPalette(s);
    return kDone;
  }
  if (!Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  if (Keyed(s))
    InvertKeyed32(a.first, a.skip, a.width, a.height, mode, s->GetColorKey());
  else
    (MmxFlag() ? &Invert32Mmx : &Invert32)(a.first, a.skip, a.width, a.height, mode);
  s->MarkDirty(r);
  return kDone;
}

int Blur(Surface* s, uint8_t mode, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  if (!Is8(s) && !Is32(s)) return kWrongDepth;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  const int code = Is32(s) ? Blur4Neighbour32(a.first, a.skip, a.pitch, a.width, a.height, mode)
                           : Blur4Neighbour8(a.first, a.skip, a.pitch, a.width, a.height);
  if (code != 0) return code + 1;
  s->ClearColorKey();
  s->MarkDirty(r);
  return kDone;
}

int Mosaic(Surface* s, int32_t blockSize, uint8_t anchor, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  if (!Is8(s) && !Is32(s)) return kWrongDepth;
  if (blockSize < 2) return kDone;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  if (Is32(s))
    Mosaic32(a.first, a.skip, a.pitch, a.width, a.height, blockSize, anchor);
  else
    Mosaic8(a.first, a.skip, a.pitch, a.width, a.height, blockSize, anchor);
  s->ClearColorKey();
  s->MarkDirty(r);
  return kDone;
}

int ScaleSmooth(Surface* s, int32_t direction, uint32_t from, uint32_t to, const Rect* rect) {
  if (!HasPixels(s)) return kNoPixels;
  if (!Is8(s) && !Is32(s)) return kWrongDepth;
  if (direction != 0 && direction != 1) return kOutOfRange;
  Rect r;
  if (!AreaOf(s, rect, &r)) return kDone;
  const Area a = RowsOf(s, r);
  RampBuffer ramp;
  const uint32_t n = uint32_t(direction == 0 ? a.width : a.height);
  if (RampBufferBuild(&ramp, n, from, to, s->GetBitsPerPixel()) != 0) return kWrongDepth;
  const int bytes = s->GetBitsPerPixel() / 8;
  for (int y = 0; y < a.height; ++y) {
    uint8_t* row = a.first + ptrdiff_t(y) * a.pitch;
    if (direction == 0) {
      std::memcpy(row, ramp.values, size_t(a.width) * size_t(bytes));
    } else if (bytes == 1) {
      std::memset(row, ramp.Bytes()[y], size_t(a.width));
    } else {
      std::fill_n(reinterpret_cast<uint32_t*>(row), a.width, ramp.Words()[y]);
    }
  }
  s->ClearColorKey();
  s->MarkDirty(r);
  return kDone;
}

namespace {

// Runs op on every level byte of the area: the bytes (8 bits) or the alpha bytes (32).
template <typename Op>
bool ForLevelBytes(Surface* s, const Rect* rect, Op op) {
  if (!Is8(s) && !Is32(s)) return false;
  Rect r;
  if (!AreaOf(s, rect, &r)) return false;
  const Area a = RowsOf(s, r);
  const int bytes = s->GetBitsPerPixel() / 8;
  const int offset = bytes - 1;  // alpha is the last byte of a 32-bit pixel
  for (int y = 0; y < a.height; ++y) {
    uint8_t* row = a.first + ptrdiff_t(y) * a.pitch + offset;
    for (int x = 0; x < a.width; ++x) row[x * bytes] = op(row[x * bytes]);
  }
  return true;
}

}  // namespace

bool ApplyLevelTable(Surface* s, int32_t level, const Rect* rect) {
  if (!HasPixels(s) || level < 0 || level >= 512) return false;
  if (level < 256) {
    const uint8_t* table = ProductTable[level];
    return ForLevelBytes(s, rect, [table](uint8_t b) { return table[b]; });
  }
  const int lift = level - 256;
  const uint8_t* table = ProductTable[255 - lift];
  return ForLevelBytes(s, rect, [table, lift](uint8_t b) { return uint8_t(table[b] + lift); });
}

bool ApplyByteTable(Surface* s, const uint8_t table[256], const Rect* rect) {
  if (!HasPixels(s) || table == nullptr) return false;
  return ForLevelBytes(s, rect, [table](uint8_t b) { return table[b]; });
}

bool AdjustLevels(Surface* s, int32_t scale, int32_t offset, const Rect* rect) {
  if (!HasPixels(s) || scale < 0 || scale > 256 || offset < -255 || offset > 255) return false;
  return ForLevelBytes(s, rect, [scale, offset](uint8_t b) {
    return Clamp255(((int(b) * scale) >> 7) + offset);
  });
}

// --- another image ----------------------------------------------------------------------------

int FillColorMasked(Surface* s, uint8_t mode, Surface* mask, uint8_t level, uint8_t red,
                    uint8_t green, uint8_t blue, int32_t x, int32_t y, const Rect* maskRect) {
  if (!HasPixels(s) || !HasPixels(mask)) return kNoPixels;
  if (!Is32(s) || !Is8(mask)) return kWrongDepth;
  if (mode > 2) return kOutOfRange;
  if (level == 0) return kDone;
  Plan p;
  if (!PlanDraw(s, mask, x, y, maskRect, nullptr, &p)) return kDone;
  const bool mmx = MmxFlag();
  using Fn = void (*)(void*, const uint8_t*, int, int, int, int, uint32_t, const uint8_t*);
  static constexpr Fn kPlain[3] = {&BlendColorByMask32, &AddColorByMask32, &SubColorByMask32};
  static constexpr Fn kPacked[3] = {&BlendColorByMask32Mmx, &AddColorByMask32Mmx,
                                    &SubColorByMask32Mmx};
  (mmx ? kPacked : kPlain)[mode](p.dst, p.src, p.dstSkip, p.srcSkip, p.width, p.height,
                                 Rgb(red, green, blue), ProductTable[level]);
  s->MarkDirty(s->BlitDest());
  return kDone;
}

int DrawAdd(Surface* s, Surface* source, uint8_t level, int32_t x, int32_t y,
            const Rect* sourceRect) {
  return DrawPlain(s, source, level, x, y, sourceRect, [level](const Plan& p) {
    (MmxFlag() ? &AddImage32Mmx : &AddImage32)(p.dst, p.src, p.dstSkip, p.srcSkip, p.width,
                                                p.height, level);
  });
}

int DrawSubtract(Surface* s, Surface* source, uint8_t level, int32_t x, int32_t y,
                 const Rect* sourceRect) {
  return DrawPlain(s, source, level, x, y, sourceRect, [level](const Plan& p) {
    (MmxFlag() ? &SubImage32Mmx : &SubImage32)(p.dst, p.src, p.dstSkip, p.srcSkip, p.width,
                                                p.height, level);
  });
}

int DrawAlphaBlend(Surface* s, uint8_t mode, Surface* source, uint8_t level, int32_t x, int32_t y,
                   const Rect* sourceRect) {
  const ByAlphaFn kernel = ByAlphaKernel(mode);
  if (kernel == nullptr) return HasPixels(s) && HasPixels(source) ? kOutOfRange : kNoPixels;
  return DrawPlain(s, source, level, x, y, sourceRect, [kernel, level](const Plan& p) {
    kernel(p.dst, p.src, p.dstSkip, p.srcSkip, p.width, p.height, ProductTable[level]);
  });
}

int StretchDrawAlphaBlend(Surface* s, uint8_t mode, Surface* source, uint8_t level,
                          const Size* size, int32_t x, int32_t y, const Rect* sourceRect) {
  const ByAlphaStretchedFn kernel = ByAlphaStretchedKernel(mode);
  if (kernel == nullptr) return HasPixels(s) && HasPixels(source) ? kOutOfRange : kNoPixels;
  if (size == nullptr) return DrawAlphaBlend(s, mode, source, level, x, y, sourceRect);
  return DrawStretched(s, source, level, size, x, y, sourceRect, [kernel, level](const Plan& p) {
    kernel(p.dst, p.src, p.dstSkip, p.srcPitch, p.width, p.height, p.step, ProductTable[level]);
  });
}

int DrawComposite(Surface* s, Surface* source, uint8_t level, int32_t x, int32_t y,
                  const Rect* sourceRect) {
  return DrawPlain(s, source, level, x, y, sourceRect, [level](const Plan& p) {
    (MmxFlag() ? &CompositeImage32Mmx : &CompositeImage32)(p.dst, p.src, p.dstSkip, p.srcSkip,
                                                            p.width, p.height,
                                                            ProductTable[level]);
  });
}

int StretchDrawComposite(Surface* s, Surface* source, uint8_t level, const Size* size, int32_t x,
                         int32_t y, const Rect* sourceRect) {
  if (size == nullptr) return DrawComposite(s, source, level, x, y, sourceRect);
  return DrawStretched(s, source, level, size, x, y, sourceRect, [level](const Plan& p) {
    (MmxFlag() ? &CompositeImageStretched32Mmx : &CompositeImageStretched32)(
        p.dst, p.src, p.dstSkip, p.srcPitch, p.width, p.height, p.step, ProductTable[level]);
  });
}

void BuildRuleMap(uint8_t map[256], uint8_t level, int32_t position, int32_t width) {
  int u = 0;
  if (position > 256) {
    position -= 256;
    u = 255;
  }
  const int start = position - 1;
  const int edgeEnd = std::min(start + width, 256);
  const uint8_t* row = ProductTable[level];
  int j = 0;
  for (; j < start; ++j) map[j] = row[255 - u];
  for (; j < edgeEnd; ++j) map[j] = row[(255 - ((j - start) * 255 / width)) ^ u];
  for (; j < 256; ++j) map[j] = row[u];
}

namespace {

using MaskDrawFn = void (*)(void*, const void*, const uint8_t*, int, int, int, int, int,
                            const uint8_t*);

int DrawThroughRule(Surface* s, Surface* source, Surface* mask, uint8_t level, int32_t position,
                    int32_t width, int32_t x, int32_t y, const Rect* sourceRect, bool product) {
  if (const int code = CheckPair(s, source); code != kDone) return code;
  if (const int code = CheckRule(level, position, width); code >= 0) return code;
  if (product && mask == nullptr) return kMaskUnusable;
  if (position == 256) {
    return product ? DrawAlphaBlend(s, 0, source, level, x, y, sourceRect)
                   : DrawUniform(s, source, level, x, y, sourceRect);
  }
  Plan p;
  if (!PlanDraw(s, source, x, y, sourceRect, nullptr, &p)) return kDone;
  const uint8_t* maskRows = nullptr;
  int maskSkip = 0;
  if (mask != nullptr) {
    maskRows = MaskRows(mask, s->BlitSource(), &maskSkip);
    if (maskRows == nullptr) return kMaskUnusable;
  }
  uint8_t map[256];
  BuildRuleMap(map, level, position, width);
  const bool mmx = MmxFlag();
  const MaskDrawFn kernel = product ? (mmx ? &DrawThroughMaskProduct32Mmx : &DrawThroughMaskProduct32)
                                    : (mmx ? &DrawThroughMask32Mmx : &DrawThroughMask32);
  kernel(p.dst, p.src, maskRows, p.dstSkip, p.srcSkip, maskSkip, p.width, p.height, map);
  s->MarkDirty(s->BlitDest());
  return kDone;
}

}  // namespace

int DrawMasked(Surface* s, Surface* source, Surface* mask, uint8_t level, int32_t position,
               int32_t width, int32_t x, int32_t y, const Rect* sourceRect) {
  return DrawThroughRule(s, source, mask, level, position, width, x, y, sourceRect, false);
}

int DrawMaskedProduct(Surface* s, Surface* source, Surface* mask, uint8_t level,
                      int32_t position, int32_t width, int32_t x, int32_t y,
                      const Rect* sourceRect) {
  return DrawThroughRule(s, source, mask, level, position, width, x, y, sourceRect, true);
}

namespace {

template <typename Kernel>
int DrawBoxBlur(Surface* s, Surface* source, int32_t x, int32_t y, const Rect* sourceRect,
                Kernel kernel) {
  Plan p;
  if (!PlanDraw(s, source, x, y, sourceRect, nullptr, &p)) return kDone;
  // The window repeats the edge pixels of the source's clip rectangle.
  const Rect& clip = *source->GetClipRectPtr();
  const int left = s->BlitSource().left;
  kernel(p, left - clip.left, clip.right - 1 - left);
  s->MarkDirty(s->BlitDest());
  return kDone;
}

}  // namespace

int DrawBlurred(Surface* s, Surface* source, int32_t radius, uint8_t level, int32_t x, int32_t y,
                const Rect* sourceRect) {
  if (const int code = CheckPair(s, source); code != kDone) return code;
  if (level == 0) return kDone;
  if (radius <= 0) return DrawUniform(s, source, level, x, y, sourceRect);
  radius = std::min(radius, 127);
  return DrawBoxBlur(s, source, x, y, sourceRect, [&](const Plan& p, int leftCount, int rightCount) {
    if (level == 255)
      BoxBlurDraw32(p.dst, p.src, p.dstSkip, p.srcSkip, p.width, p.height, leftCount, rightCount,
                    radius);
    else
      BoxBlurDraw32Alt(p.dst, p.src, p.dstSkip, p.srcSkip, p.width, p.height, leftCount,
                       rightCount, radius, level);
  });
}

int DrawBlurredAlpha(Surface* s, Surface* source, int32_t radius, uint8_t level, int32_t x,
                     int32_t y, const Rect* sourceRect) {
  if (const int code = CheckPair(s, source); code != kDone) return code;
  if (level == 0) return kDone;
  if (radius <= 0) return DrawAlphaBlend(s, 0, source, level, x, y, sourceRect);
  radius = std::min(radius, 127);
  return DrawBoxBlur(s, source, x, y, sourceRect, [&](const Plan& p, int leftCount, int rightCount) {
    BoxBlurAlphaDraw32(p.dst, p.src, p.dstSkip, p.srcSkip, p.width, p.height, leftCount,
                       rightCount, radius, ProductTable[level]);
  });
}

}  // namespace orrivel
