#include "raster/PixelFilters.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include "raster/BlendTables.h"
#include "raster/PixelFilterOps.h"

namespace orrivel {

namespace ops = filter_ops;
using ops::ForEachPixel;

void ScaleBrightness32(void* bits, int pitch, int width, int height, uint8_t level) {
  const uint8_t* row = ProductTable[level];
  ForEachPixel(bits, pitch - width * 4, width, height, [row](uint32_t& p) {
    p = (p & 0xFF000000u) | uint32_t(row[p & 0xFF]) | uint32_t(row[(p >> 8) & 0xFF]) << 8 |
        uint32_t(row[(p >> 16) & 0xFF]) << 16;
  });
}

void BlendToColor32(void* bits, int pitch, int width, int height, uint8_t level, uint8_t red,
                    uint8_t green, uint8_t blue) {
  const ops::Tint tint(level, red, green, blue);
  ForEachPixel(bits, pitch - width * 4, width, height, [&tint](uint32_t& p) { p = tint(p); });
}

void BlendToColorKeyed32(void* bits, int pitch, int width, int height, uint8_t level, uint8_t red,
                         uint8_t green, uint8_t blue, uint32_t key) {
  const ops::Tint tint(level, red, green, blue);
  ForEachPixel(bits, pitch - width * 4, width, height, [&tint, key](uint32_t& p) {
    if (p != key) p = tint(p);
  });
}

void AddColorSat32(void* bits, int skip, int width, int height, uint32_t color) {
  const uint32_t k = color & 0x00FFFFFFu;
  ForEachPixel(bits, skip, width, height, [k](uint32_t& p) { p = ops::AddSatWord(p, k); });
}

void AddColorSatKeyed32(void* bits, int skip, int width, int height, uint32_t color, uint32_t key) {
  const uint32_t k = color & 0x00FFFFFFu;
  ForEachPixel(bits, skip, width, height, [k, key](uint32_t& p) {
    if (p != key) p = ops::AddSatWord(p, k);
  });
}

void SubColorSat32(void* bits, int skip, int width, int height, uint32_t color) {
  const uint32_t k = color & 0x00FFFFFFu;
  ForEachPixel(bits, skip, width, height, [k](uint32_t& p) { p = ops::SubSatWord(p, k); });
}

void SubColorSatKeyed32(void* bits, int skip, int width, int height, uint32_t color, uint32_t key) {
  const uint32_t k = color & 0x00FFFFFFu;
  ForEachPixel(bits, skip, width, height, [k, key](uint32_t& p) {
    if (p != key) p = ops::SubSatWord(p, k);
  });
}

void Grayscale32(void* bits, int skip, int width, int height) {
  ForEachPixel(bits, skip, width, height, [](uint32_t& p) { p = ops::Grey(p); });
}

void GrayscaleKeyed32(void* bits, int skip, int width, int height, uint32_t key) {
  ForEachPixel(bits, skip, width, height, [key](uint32_t& p) {
    if (p != key) p = ops::Grey(p);
  });
}

void ColorBalance32(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                    int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue) {
  const ops::Tone tone(scaleRed, scaleGreen, scaleBlue, offsetRed, offsetGreen, offsetBlue);
  ForEachPixel(bits, skip, width, height, [&tone](uint32_t& p) { p = tone(p); });
}

void ColorBalanceKeyed32(void* bits, int skip, int width, int height, int scaleRed, int scaleGreen,
                         int scaleBlue, int offsetRed, int offsetGreen, int offsetBlue,
                         uint32_t key) {
  const ops::Tone tone(scaleRed, scaleGreen, scaleBlue, offsetRed, offsetGreen, offsetBlue);
  ForEachPixel(bits, skip, width, height, [&tone, key](uint32_t& p) {
    if (p != key) p = tone(p);
  });
}

void Invert32(void* bits, int skip, int width, int height, uint8_t mode) {
  const uint32_t mask = ops::InvertMask(mode);
  ForEachPixel(bits, skip, width, height, [mask](uint32_t& p) { p ^= mask; });
}

void InvertKeyed32(void* bits, int skip, int width, int height, uint8_t mode, uint32_t key) {
  const uint32_t mask = ops::InvertMask(mode);
  ForEachPixel(bits, skip, width, height, [mask, key](uint32_t& p) {
    if (p != key) p ^= mask;
  });
}

// --- four-neighbour blur ---------------------------------------------------

namespace {

// Sums terms with their weights and divides by the total weight (4 or 8,
// given as its shift). Exact mode sums B with R in the two halves of one word
// and G in another; fast mode drops the low three bits of every channel
// first and then adds whole words, which cannot spill since each term is a
// multiple of 8.
struct BlurSum {
  bool exact;
  uint32_t br = 0;
  uint32_t g = 0;
  uint32_t fast = 0;

  void Add(uint32_t p, uint32_t weight) {
    if (exact) {
      br += (p & 0x00FF00FFu) * weight;
      g += (p & 0x0000FF00u) * weight;
    } else {
      fast += (p & 0x00F8F8F8u) * weight;
    }
  }
  uint32_t Result(int shift, uint8_t mode) const {
    if (exact) {
      const uint32_t brMask = shift == 2 ? 0x03FC03FCu : 0x07F807F8u;
      const uint32_t gMask = shift == 2 ? 0x0003FC00u : 0x0007F800u;
      return ((br & brMask) >> shift) | ((g & gMask) >> shift);
    }
    const uint32_t v = fast >> shift;
    return mode == 1 ? v + 0x00070707u : v;
  }
};

}  // namespace

int Blur4Neighbour32(void* bits, int skip, int pitch, int width, int height, uint8_t mode) {
  if (width < 4 || height < 4 || (skip & 3) != 0 || (pitch & 3) != 0) return 1;
  // Unblurred copies of the previous and the current row: each row's
  // results go straight over the row, and the row below still reads the
  // pixels as they were through these copies.
  std::unique_ptr<uint32_t[]> rows(new (std::nothrow) uint32_t[size_t(width) * 2]);
  if (!rows) return 2;
  uint32_t* above = rows.get();
  uint32_t* current = rows.get() + width;
  uint8_t* base = static_cast<uint8_t*>(bits);
  auto rowAt = [&](int y) { return reinterpret_cast<uint32_t*>(base + ptrdiff_t(y) * pitch); };
  const bool exact = mode >= 2;
  for (int y = 0; y < height; ++y) {
    uint32_t* row = rowAt(y);
    const uint32_t* below = y + 1 < height ? rowAt(y + 1) : nullptr;
    std::copy(row, row + width, current);
    const bool up = y > 0, down = below != nullptr;
    for (int x = 0; x < width; ++x) {
      BlurSum sum{exact};
      const bool left = x > 0, right = x + 1 < width;
      const uint32_t self = current[x];
      int shift = 2;
      if (left && right && up && down) {
        sum.Add(above[x], 1);
        sum.Add(below[x], 1);
        sum.Add(current[x - 1], 2);
        sum.Add(self, 2);
        sum.Add(current[x + 1], 2);
        shift = 3;
      } else if (left && right) {  // top or bottom row
        sum.Add(current[x - 1], 1);
        sum.Add(self, 1);
        sum.Add(current[x + 1], 1);
        sum.Add(up ? above[x] : below[x], 1);
      } else if (up && down) {  // left or right column
        sum.Add(above[x], 1);
        sum.Add(self, 1);
        sum.Add(below[x], 1);
        sum.Add(left ? current[x - 1] : current[x + 1], 1);
      } else {  // corner
        sum.Add(self, 2);
        sum.Add(left ? current[x - 1] : current[x + 1], 1);
        sum.Add(up ? above[x] : below[x], 1);
      }
      row[x] = sum.Result(shift, mode);
    }
    std::swap(above, current);
  }
  return 0;
}

// --- mosaic ------------------------------------------------------------------

namespace {

// Width of the first block of a line of `length` pixels (0 stands for a
// full block) for the anchors that start at the far end or in the middle.
int FarPhase(int length, int block) { return length % block; }
int CentredPhase(int length, int block) {
  return block < length ? ((length - block) >> 1) % block : 0;
}

}  // namespace

void Mosaic32(void* bits, int /*skip*/, int pitch, int width, int height, int blockSize,
              uint8_t anchor) {
  if (width < 3 || height < 3 || blockSize < 2) return;
  int firstColumn = 0, firstRow = 0;
  switch (anchor) {
    case 1:
      break;
    case 2:
      firstColumn = FarPhase(width, blockSize);
      break;
    case 3:
      firstRow = FarPhase(height, blockSize);
      break;
    case 4:
      firstColumn = FarPhase(width, blockSize);
      firstRow = FarPhase(height, blockSize);
      break;
    default:
      firstColumn = CentredPhase(width, blockSize);
      firstRow = CentredPhase(height, blockSize);
      break;
  }
  if (firstColumn == 0) firstColumn = blockSize;
  if (firstRow == 0) firstRow = blockSize;
  uint8_t* base = static_cast<uint8_t*>(bits);
  for (int top = 0, bandHeight = firstRow; top < height; top += bandHeight, bandHeight = blockSize) {
    const int bottom = std::min(height, top + bandHeight);
    const uint32_t* topRow = reinterpret_cast<const uint32_t*>(base + ptrdiff_t(top) * pitch);
    for (int left = 0, blockWidth = firstColumn; left < width;
         left += blockWidth, blockWidth = blockSize) {
      const int right = std::min(width, left + blockWidth);
      const uint32_t value = topRow[left];
      for (int y = top; y < bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(base + ptrdiff_t(y) * pitch);
        std::fill(row + left, row + right, value);
      }
    }
  }
}

// --- horizontal box blur ------------------------------------------------------

namespace {

// Runs the moving window over each row and hands every output pixel with
// its blurred value to `put`.
template <typename Put>
void BoxBlurRows(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                 int leftCount, int rightCount, int radius, Put put) {
  radius = std::clamp(radius, 0, 127);
  leftCount = std::max(leftCount, 0);
  rightCount = std::max(rightCount, 0);
  const uint32_t weight = 65536u / uint32_t(2 * radius + 1);
  uint8_t* drow = static_cast<uint8_t*>(dst);
  const uint8_t* srow = static_cast<const uint8_t*>(src);
  for (int y = 0; y < height; ++y) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(srow);
    uint32_t* d = reinterpret_cast<uint32_t*>(drow);
    auto at = [&](int i) { return s[std::clamp(i, -leftCount, rightCount)]; };
    // B with R and G with A, each channel in a 16-bit half: 255 * 255 fits.
    uint32_t br = 0, ga = 0;
    for (int i = -radius; i <= radius; ++i) {
      br += at(i) & 0x00FF00FFu;
      ga += (at(i) >> 8) & 0x00FF00FFu;
    }
    for (int x = 0; x < width; ++x) {
      auto mean = [weight](uint32_t sum) { return (uint64_t(sum) * weight + 32768) >> 16; };
      const uint32_t blurred = uint32_t(mean(br & 0xFFFF)) | uint32_t(mean(br >> 16)) << 16 |
                               uint32_t(mean(ga & 0xFFFF)) << 8 | uint32_t(mean(ga >> 16)) << 24;
      put(d[x], blurred);
      const uint32_t entering = at(x + radius + 1), leaving = at(x - radius);
      br += (entering & 0x00FF00FFu) - (leaving & 0x00FF00FFu);
      ga += ((entering >> 8) & 0x00FF00FFu) - ((leaving >> 8) & 0x00FF00FFu);
    }
    drow += ptrdiff_t(width) * 4 + dstSkip;
    srow += ptrdiff_t(width) * 4 + srcSkip;
  }
}

}  // namespace

void BoxBlurDraw32(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                   int leftCount, int rightCount, int radius) {
  BoxBlurRows(dst, src, dstSkip, srcSkip, width, height, leftCount, rightCount, radius,
              [](uint32_t& d, uint32_t b) { d = b; });
}

void BoxBlurDraw32Alt(void* dst, const void* src, int dstSkip, int srcSkip, int width, int height,
                      int leftCount, int rightCount, int radius, uint8_t opacity) {
  const uint32_t m = OpacityMultiplierTable[opacity].blue;
  BoxBlurRows(dst, src, dstSkip, srcSkip, width, height, leftCount, rightCount, radius,
              [m](uint32_t& d, uint32_t b) { d = ops::BlendKeepAlpha(d, b, m); });
}

void BoxBlurAlphaDraw32(void* dst, const void* src, int dstSkip, int srcSkip, int width,
                        int height, int leftCount, int rightCount, int radius,
                        const uint8_t* levelMap) {
  BoxBlurRows(dst, src, dstSkip, srcSkip, width, height, leftCount, rightCount, radius,
              [levelMap](uint32_t& d, uint32_t b) {
                d = ops::BlendKeepAlpha(d, b, OpacityMultiplierTable[levelMap[b >> 24]].blue);
              });
}

}  // namespace orrivel
