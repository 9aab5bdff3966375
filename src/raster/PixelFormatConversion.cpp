#include "raster/PixelFormatConversion.h"

#include <cstddef>
#include <cstring>

#include "raster/BlendTables.h"
#include "raster/KernelLoops.h"

namespace orrivel {

// --- surface formats ----------------------------------------------------------

namespace {

uint32_t To555(uint32_t c) { return ((c >> 9) & 0x7C00) + ((c >> 6) & 0x03E0) + ((c >> 3) & 0x1F); }
uint32_t To565(uint32_t c) { return ((c >> 8) & 0xF800) + ((c >> 5) & 0x07E0) + ((c >> 3) & 0x1F); }
uint32_t To444(uint32_t c) { return ((c >> 12) & 0x0F00) + ((c >> 8) & 0xF0) + ((c >> 4) & 0x0F); }

int BytesPerPixel(uint32_t code) {
  switch (code) {
    case 4:
    case 8:
    case 64:
    case 128:
      return 2;
    case 16:
      return 3;
    case 32:
    case 256:
      return 4;
    default:
      return 0;
  }
}

template <typename Source, typename Word>
bool WriteSurface(uint32_t code, void* dst, int x, int y, int dstPitch, const Source* src,
                  int srcPitch, int width, int height, Word word) {
  const int bpp = BytesPerPixel(code);
  if (bpp == 0) return false;
  uint8_t* drow = static_cast<uint8_t*>(dst) + ptrdiff_t(y) * dstPitch + ptrdiff_t(x) * bpp;
  const uint8_t* srow = reinterpret_cast<const uint8_t*>(src);
  for (int j = 0; j < height; ++j) {
    const Source* s = reinterpret_cast<const Source*>(srow);
    for (int i = 0; i < width; ++i) {
      const uint32_t v = word(s[i]);
      uint8_t* p = drow + ptrdiff_t(i) * bpp;
      if (bpp == 2) {
        *reinterpret_cast<uint16_t*>(p) = static_cast<uint16_t>(v);
      } else if (bpp == 3) {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
      } else {
        *reinterpret_cast<uint32_t*>(p) = v;
      }
    }
    drow += dstPitch;
    srow += srcPitch;
  }
  return true;
}

}  // namespace

bool ExpandIndexedToSurface(uint32_t formatCode, void* dst, int x, int y, int dstPitch,
                            const uint8_t* src, int srcPitch, int width, int height,
                            const uint32_t* palette) {
  return WriteSurface(formatCode, dst, x, y, dstPitch, src, srcPitch, width, height,
                      [&](uint8_t index) -> uint32_t {
                        const uint32_t c = palette[index];
                        switch (formatCode) {
                          case 4: return To555(c);
                          case 8: return To565(c);
                          case 16: return c;
                          case 32: return c;
                          case 64: return To555(c) + 0x8000;
                          case 128: return To444(c) + 0xF000;
                          default: return c | 0xFF000000u;
                        }
                      });
}

bool ExpandIndexedToSurfaceAlt(uint32_t formatCode, void* dst, int x, int y, int dstPitch,
                               const uint32_t* src, int srcPitch, int width, int height) {
  return WriteSurface(formatCode, dst, x, y, dstPitch, src, srcPitch, width, height,
                      [&](uint32_t c) -> uint32_t {
                        switch (formatCode) {
                          case 4: return To555(c);
                          case 8: return To565(c);
                          case 16: return c;
                          case 32: return c & 0x00FFFFFFu;
                          case 64: return To555(c) + ((c >> 16) & 0x8000);
                          case 128: return ((c >> 16) & 0xF000) + To444(c);
                          default: return c;
                        }
                      });
}

void SetAlphaBitsFromPlane(uint32_t formatCode, void* dst, int x, int y, int width, int height,
                           int dstPitch, const uint8_t* plane, int planeX, int planeY,
                           int planePitch) {
  const uint8_t* prow = plane + ptrdiff_t(planeY) * planePitch + planeX;
  uint8_t* drow = static_cast<uint8_t*>(dst) + ptrdiff_t(y) * dstPitch;
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      const uint8_t a = prow[i];
      if (formatCode == 64) {
        auto* p = reinterpret_cast<uint16_t*>(drow) + x + i;
        *p = static_cast<uint16_t>((*p & 0x7FFF) | ((a & 0x80) << 8));
      } else if (formatCode == 128) {
        auto* p = reinterpret_cast<uint16_t*>(drow) + x + i;
        *p = static_cast<uint16_t>((*p & 0x0FFF) | ((a & 0xF0) << 8));
      } else if (formatCode == 256) {
        drow[ptrdiff_t(x + i) * 4 + 3] = a;
      } else {
        return;
      }
    }
    drow += dstPitch;
    prow += planePitch;
  }
}

void FoldPixelBytes32(void* buffer, int pitch, int width, int groupCount) {
  uint8_t* base = static_cast<uint8_t*>(buffer);
  for (int g = 0; g < groupCount; ++g) {
    const uint8_t* group = base + ptrdiff_t(g) * 4 * pitch;
    uint8_t* out = base + ptrdiff_t(g) * pitch;
    for (int x = 0; x < width; ++x) {
      uint32_t sum = 0;
      for (int r = 0; r < 4; ++r) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(group + ptrdiff_t(r) * pitch)[x];
        const uint32_t t = p + (p >> 16);
        sum += (t & 0xFF) + (t >> 8);
      }
      // Every word of the column is read before its byte is written: the
      // byte lands at or before the first word of the group's first row.
      uint8_t byte = static_cast<uint8_t>(sum);
      byte = static_cast<uint8_t>(byte | ((byte >> 3) & 7));
      out[x] = byte;
    }
  }
}

// --- coverage blends -------------------------------------------------------------

namespace {

uint32_t BlendChannels(uint32_t d, uint32_t q, int m) {
  uint32_t out = 0;
  for (int i = 0; i < 3; ++i) {
    const int dc = int((d >> (8 * i)) & 0xFF), qc = int((q >> (8 * i)) & 0xFF);
    out |= uint32_t((dc + (((qc - dc) * m) >> 8)) & 0xFF) << (8 * i);
  }
  return out;
}

template <bool kComposite, bool kColorPerRow>
void CoverageLoop(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch, int width,
                  int height, const uint32_t* colors, const uint8_t* levelMap) {
  uint8_t* drow = static_cast<uint8_t*>(dst);
  for (int y = 0; y < height; ++y) {
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    for (int x = 0; x < width; ++x) {
      const uint32_t q = kColorPerRow ? colors[y] : colors[x];
      const uint8_t k = levelMap[coverage[x]];
      if constexpr (kComposite) {
        const uint32_t a = d[x] >> 24;
        const int m = OpacityMultiplierTable[CompositeWeightTable[a][k]].blue;
        d[x] = BlendChannels(d[x], q, m) | (uint32_t(CompositeAlphaTable[a][k]) << 24);
      } else {
        const int m = OpacityMultiplierTable[k].blue;
        d[x] = BlendChannels(d[x], q, m) | (d[x] & 0xFF000000u);
      }
    }
    drow += dstPitch;
    coverage += coveragePitch;
  }
}

}  // namespace

void BlendIndexedToSurface(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                           int width, int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<false, false>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedToSurfaceMmx(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                              int width, int height, const uint32_t* colors,
                              const uint8_t* levelMap) {
  CoverageLoop<false, false>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedToSurfaceB(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                            int width, int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<false, true>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedToSurfaceMmxB(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                               int width, int height, const uint32_t* colors,
                               const uint8_t* levelMap) {
  CoverageLoop<false, true>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedTo8Keyed(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                          int width, int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<true, true>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedTo8Mmx(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch,
                        int width, int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<true, true>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedTo8B(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch, int width,
                      int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<true, false>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}
void BlendIndexedTo8(void* dst, const uint8_t* coverage, int dstPitch, int coveragePitch, int width,
                     int height, const uint32_t* colors, const uint8_t* levelMap) {
  CoverageLoop<true, false>(dst, coverage, dstPitch, coveragePitch, width, height, colors, levelMap);
}

// --- 8-bit rows ---------------------------------------------------------------------

namespace loops = kernel_loops;

namespace {
template <typename Op>
void Rows8(void* dst, const void* src, int dstSkip, int srcSkip, int direction, int width,
           int height, Op op) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  const int step = direction < 0 ? -1 : 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) op(d[x], s[ptrdiff_t(x) * step]);
    d += width + dstSkip;
    s += ptrdiff_t(width) * step + srcSkip;
  }
}
constexpr auto kCopy8 = [](uint8_t& d, uint8_t s) { d = s; };
}  // namespace

void CopyRows8(void* dst, const void* src, int dstSkip, int srcSkip, int direction, int width,
               int height) {
  Rows8(dst, src, dstSkip, srcSkip, direction, width, height, kCopy8);
}

void CopyRows8Keyed(void* dst, const void* src, int dstSkip, int srcSkip, int direction, int width,
                    int height, uint8_t key) {
  Rows8(dst, src, dstSkip, srcSkip, direction, width, height, loops::Keyed(key, kCopy8));
}

void StretchCopyRows8(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                      const StretchStep& step) {
  loops::Stretched<uint8_t, uint8_t, false>(dst, src, dstSkip, srcPitch, width, height, step, kCopy8);
}

void StretchCopyRows8Keyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                           int height, const StretchStep& step, uint8_t key) {
  loops::Stretched<uint8_t, uint8_t, false>(dst, src, dstSkip, srcPitch, width, height, step,
                                            loops::Keyed(key, kCopy8));
}

void StretchCopyRows8Mirrored(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                              int height, const StretchStep& step) {
  loops::Stretched<uint8_t, uint8_t, true>(dst, src, dstSkip, srcPitch, width, height, step, kCopy8);
}

void StretchCopyRows8MirroredKeyed(void* dst, const void* src, int dstSkip, int srcPitch, int width,
                                   int height, const StretchStep& step, uint8_t key) {
  loops::Stretched<uint8_t, uint8_t, true>(dst, src, dstSkip, srcPitch, width, height, step,
                                           loops::Keyed(key, kCopy8));
}

void ScaleBilinear8(void* dst, const void* src, int dstSkip, int srcPitch, int width, int height,
                    const ScaleStep& step) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* row = static_cast<const uint8_t*>(src);
  uint32_t yFraction = step.yFraction;
  for (int y = 0; y < height; ++y) {
    const uint8_t* next = row + srcPitch;
    const int fy = int(yFraction >> 24);
    uint64_t pos = step.xFraction;
    for (int x = 0; x < width; ++x) {
      const size_t sx = size_t(pos >> 32);
      const int fx = int((pos >> 24) & 0xFF);
      const int a = row[sx], b = row[sx + 1], c = next[sx], e = next[sx + 1];
      const int top = (a + (((b - a) * fx) >> 8)) & 0xFF;
      const int bottom = (c + (((e - c) * fx) >> 8)) & 0xFF;
      d[x] = static_cast<uint8_t>((top + (((bottom - top) * fy) >> 8)) & 0xFF);
      pos += step.xIncrement;
    }
    d += width + dstSkip;
    const uint64_t sum = uint64_t(yFraction) + step.yIncrement;
    row += ptrdiff_t(sum >> 32) * srcPitch;
    yFraction = static_cast<uint32_t>(sum);
  }
}

}  // namespace orrivel
