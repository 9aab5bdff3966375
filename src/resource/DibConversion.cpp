#include "resource/DibConversion.h"

#include <climits>
#include <cstddef>
#include <cstring>

namespace orrivel {

namespace {

// One source pixel, decoded to what the four targets need.
struct SourcePixel {
  bool indexed;
  uint32_t index;  // palette depths
  uint32_t entry;  // palette entry, or the pixel as 0xAARRGGBB
  uint32_t r5, g5, b5;
  int depth;
};

bool DepthSupported(const BitmapInfoHeader& h) {
  switch (h.bitCount) {
    case 1:
      return true;
    case 4:
    case 8:
      return h.compression == kBitmapCompressionRgb;
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

// The area to read must lie inside the bitmap, and every byte of it inside
// the bits handed over: a hostile header, stride or origin must not walk the
// reads off the bits.
bool AreaInside(const DibSource& s, const Rect& r, Point origin) {
  const BitmapInfoHeader& h = *s.header;
  const int64_t w = int64_t(r.right) - r.left, hgt = int64_t(r.bottom) - r.top;
  const int64_t bw = h.width, bh = h.height < 0 ? -int64_t(h.height) : int64_t(h.height);
  if (!(w > 0 && hgt > 0 && origin.x >= 0 && origin.y >= 0 && origin.x + w <= bw &&
        origin.y + hgt <= bh)) {
    return false;
  }
  // Bytes of a stored row up to the last pixel read, and the highest stored
  // row read (rows are bottom-up for a positive height).
  const int64_t rowBytes = (int64_t(h.bitCount) * (origin.x + w) + 7) / 8;
  if (s.stride < rowBytes) return false;
  const int64_t lastRow = h.height > 0 ? bh - 1 - origin.y : origin.y + hgt - 1;
  return uint64_t(lastRow) * uint64_t(s.stride) + uint64_t(rowBytes) <= s.bitsSize;
}

const uint8_t* SourceRow(const DibSource& s, int topDownRow) {
  const int32_t h = s.header->height;
  const int64_t stored = h > 0 ? int64_t(h) - 1 - topDownRow : topDownRow;
  return static_cast<const uint8_t*>(s.bits) + stored * s.stride;
}

SourcePixel ReadPixel(const DibSource& s, const uint8_t* row, int x) {
  SourcePixel p{};
  p.depth = s.header->bitCount;
  auto lookUp = [&](uint32_t index) {
    p.indexed = true;
    p.index = index;
    p.entry = index < s.colorCount && s.colors != nullptr ? s.colors[index] : 0;
  };
  switch (p.depth) {
    case 1:
      lookUp((row[x >> 3] >> (7 - (x & 7))) & 1);
      break;
    case 4:
      lookUp((x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4);
      break;
    case 8:
      lookUp(row[x]);
      break;
    case 16: {
      const uint32_t v = uint32_t(row[2 * x]) | (uint32_t(row[2 * x + 1]) << 8);
      p.r5 = (v >> 10) & 31;
      p.g5 = (v >> 5) & 31;
      p.b5 = v & 31;
      break;
    }
    case 24: {
      const uint8_t* q = row + 3 * x;
      p.entry = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16);
      break;
    }
    default: {
      const uint8_t* q = row + 4 * x;
      p.entry = uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16) |
                (uint32_t(q[3]) << 24);
      break;
    }
  }
  return p;
}

uint32_t R(uint32_t c) { return (c >> 16) & 0xFF; }
uint32_t G(uint32_t c) { return (c >> 8) & 0xFF; }
uint32_t Bl(uint32_t c) { return c & 0xFF; }

// Callers' buffers need not be aligned for words: their pitch is theirs.
template <typename T>
void Store(uint8_t* row, int x, T value) {
  std::memcpy(row + ptrdiff_t(x) * ptrdiff_t(sizeof(T)), &value, sizeof(T));
}

template <typename T, typename Convert>
bool ConvertDib(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source, Point origin,
                Convert convert) {
  if (source.header == nullptr || source.bits == nullptr) return false;
  const BitmapInfoHeader& h = *source.header;
  if (h.bitCount == 0 || h.bitCount > 32 || !DepthSupported(h)) return false;
  if (!AreaInside(source, dstRect, origin)) return false;
  const int w = dstRect.Width(), ht = dstRect.Height();
  uint8_t* drow = static_cast<uint8_t*>(dst) + ptrdiff_t(dstRect.top) * dstPitch +
                  ptrdiff_t(dstRect.left) * ptrdiff_t(sizeof(T));
  for (int y = 0; y < ht; ++y) {
    const uint8_t* srow = SourceRow(source, origin.y + y);
    for (int x = 0; x < w; ++x) Store<T>(drow, x, convert(ReadPixel(source, srow, origin.x + x)));
    drow += dstPitch;
  }
  return true;
}

// 24-bit rows are the common case of decoded pictures: four pixels are
// taken from three little-endian words at a time.
void Convert24Rows(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                   Point origin, uint32_t alpha) {
  const int w = dstRect.Width(), ht = dstRect.Height();
  uint8_t* drow = static_cast<uint8_t*>(dst) + ptrdiff_t(dstRect.top) * dstPitch +
                  ptrdiff_t(dstRect.left) * 4;
  for (int y = 0; y < ht; ++y) {
    const uint8_t* s = SourceRow(source, origin.y + y) + ptrdiff_t(origin.x) * 3;
    int x = 0;
    for (; x + 4 <= w; x += 4, s += 12) {
      uint32_t w0, w1, w2;
      std::memcpy(&w0, s, 4);
      std::memcpy(&w1, s + 4, 4);
      std::memcpy(&w2, s + 8, 4);
      Store<uint32_t>(drow, x, (w0 & 0x00FFFFFFu) | alpha);
      Store<uint32_t>(drow, x + 1, (w0 >> 24) | ((w1 & 0xFFFFu) << 8) | alpha);
      Store<uint32_t>(drow, x + 2, (w1 >> 16) | ((w2 & 0xFFu) << 16) | alpha);
      Store<uint32_t>(drow, x + 3, (w2 >> 8) | alpha);
    }
    for (; x < w; ++x, s += 3) {
      Store<uint32_t>(drow, x, uint32_t(s[0]) | (uint32_t(s[1]) << 8) | (uint32_t(s[2]) << 16) | alpha);
    }
    drow += dstPitch;
  }
}

bool Accepts(void* dst, const Rect& dstRect, const DibSource& source, Point origin) {
  return dst != nullptr && source.header != nullptr && source.bits != nullptr &&
         AreaInside(source, dstRect, origin);
}

}  // namespace

bool ConvertDibToArgb(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                      Point origin) {
  if (source.header != nullptr && source.header->bitCount == 24 && Accepts(dst, dstRect, source, origin)) {
    Convert24Rows(dst, dstRect, dstPitch, source, origin, 0xFF000000u);
    return true;
  }
  return ConvertDib<uint32_t>(dst, dstRect, dstPitch, source, origin, [](const SourcePixel& p) {
    if (p.indexed || p.depth == 24) return 0xFF000000u | (p.entry & 0x00FFFFFFu);
    if (p.depth == 16) return 0xFF000000u + (p.r5 << 19) + (p.g5 << 11) + (p.b5 << 3);
    return p.entry;
  });
}

bool ConvertDibTo32(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                    Point origin) {
  if (source.header != nullptr && source.header->bitCount == 24 && Accepts(dst, dstRect, source, origin)) {
    Convert24Rows(dst, dstRect, dstPitch, source, origin, 0);
    return true;
  }
  return ConvertDib<uint32_t>(dst, dstRect, dstPitch, source, origin, [](const SourcePixel& p) {
    if (p.indexed) return p.entry;
    if (p.depth == 16) return (p.r5 << 19) + (p.g5 << 11) + (p.b5 << 3);
    return p.entry & 0x00FFFFFFu;
  });
}

bool ConvertDibTo8(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                   Point origin) {
  return ConvertDib<uint8_t>(dst, dstRect, dstPitch, source, origin, [](const SourcePixel& p) {
    if (p.indexed) return static_cast<uint8_t>(p.index);
    if (p.depth == 16)
      return static_cast<uint8_t>(((p.r5 << 3) * 77 + (p.g5 << 3) * 150 + p.b5 * 232) >> 8);
    return static_cast<uint8_t>((77 * R(p.entry) + 150 * G(p.entry) + 29 * Bl(p.entry)) >> 8);
  });
}

bool ConvertDibTo4444(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                      Point origin) {
  return ConvertDib<uint16_t>(dst, dstRect, dstPitch, source, origin, [](const SourcePixel& p) {
    uint32_t v;
    if (p.depth == 16) {
      v = 0xF000u + ((p.r5 >> 1) << 8) + ((p.g5 >> 1) << 4) + (p.b5 >> 1);
    } else {
      const uint32_t alpha = p.depth == 32 ? (p.entry >> 28) : 15;
      v = (alpha << 12) | ((R(p.entry) >> 4) << 8) | ((G(p.entry) >> 4) << 4) | (Bl(p.entry) >> 4);
    }
    return static_cast<uint16_t>(v);
  });
}

bool ConvertDibForCaller(void* dst, const Rect& dstRect, int dstPitch, const DibSource& source,
                         Point origin, bool to8) {
  if (source.header == nullptr) return false;
  if (to8) return ConvertDibTo8(dst, dstRect, dstPitch, source, origin);
  if (source.header->bitCount == 32) return ConvertDibToArgb(dst, dstRect, dstPitch, source, origin);
  return ConvertDibTo32(dst, dstRect, dstPitch, source, origin);
}

bool ConvertWholeDibForCaller(void* dst, int dstPitch, const DibSource& source, bool to8) {
  if (source.header == nullptr) return false;
  const int64_t height = source.header->height < 0 ? -int64_t(source.header->height) : source.header->height;
  if (height > INT32_MAX) return false;
  const Rect all{0, 0, source.header->width, int32_t(height)};
  return ConvertDibForCaller(dst, all, dstPitch, source, Point{}, to8);
}

}  // namespace orrivel
