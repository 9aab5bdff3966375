#include "raster/PixelFilters8.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <memory>

namespace orrivel {

int MosaicFirstBlock(int extent, int blockSize, uint8_t anchor, bool vertical) {
  const bool far = vertical ? (anchor == 3 || anchor == 4) : (anchor == 2 || anchor == 4);
  int first = blockSize;
  if (anchor >= 1 && anchor <= 4) {
    if (far) first = extent % blockSize;
  } else if (blockSize < extent) {
    first = ((extent - blockSize) >> 1) % blockSize;
  }
  // A remainder of 0 is a whole block; the centred rule can give 0 too
  // (width 9, block 3), which would stall the walk.
  return first == 0 ? blockSize : first;
}

void Mosaic8(void* bits, int, int pitch, int width, int height, int blockSize, uint8_t anchor) {
  if (width < 3 || height < 3 || blockSize < 2) return;
  uint8_t* base = static_cast<uint8_t*>(bits);
  const int firstColumn = MosaicFirstBlock(width, blockSize, anchor, false);
  const int firstRow = MosaicFirstBlock(height, blockSize, anchor, true);
  for (int top = 0, band = firstRow; top < height; top += band, band = blockSize) {
    const int bottom = std::min(height, top + band);
    for (int left = 0, block = firstColumn; left < width; left += block, block = blockSize) {
      const int right = std::min(width, left + block);
      const uint8_t value = base[ptrdiff_t(top) * pitch + left];
      for (int y = top; y < bottom; ++y)
        std::memset(base + ptrdiff_t(y) * pitch + left, value, size_t(right - left));
    }
  }
}

int Blur4Neighbour8(void* bits, int, int pitch, int width, int height) {
  if (width <= 3 || height <= 3) return 1;
  std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[size_t(width) * 2]);
  if (!scratch) return 2;
  uint8_t* above = scratch.get();        // the unblurred row above
  uint8_t* self = scratch.get() + width;  // the unblurred current row
  uint8_t* base = static_cast<uint8_t*>(bits);
  const int last = width - 1;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = base + ptrdiff_t(y) * pitch;
    std::memcpy(self, row, size_t(width));
    const bool edgeRow = y == 0 || y == height - 1;
    // Top row reads the row below; bottom row the (unblurred) row above.
    const uint8_t* other = y == 0 ? row + pitch : above;
    const uint8_t* below = y + 1 < height ? row + pitch : nullptr;
    for (int x = 0; x <= last; ++x) {
      int value;
      if (edgeRow) {
        if (x == 0)
          value = (other[0] + 2 * self[0] + self[1]) >> 2;
        else if (x == last)
          value = (other[last] + 2 * self[last] + self[last - 1]) >> 2;
        else
          value = (self[x - 1] + self[x] + self[x + 1] + other[x]) >> 2;
      } else if (x == 0 || x == last) {
        const int inner = x == 0 ? 1 : last - 1;
        value = (above[x] + below[x] + self[x] + self[inner]) >> 2;
      } else {
        value = (above[x] + below[x] + 2 * self[x - 1] + 2 * self[x] + 2 * self[x + 1]) >> 3;
      }
      row[x] = uint8_t(value);
    }
    std::swap(above, self);
  }
  return 0;
}

}  // namespace orrivel
